#include "services/configfunction.h"
#include "services/keyring.h"
#include "testdatadir.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kPhone = QStringLiteral("13800000002");

// A key of the settings file, absent: an invalid value.
QVariant ini(const TestDataDir &dir, const QString &key)
{
    return QSettings(dir.filePath(QStringLiteral("System.ini")), QSettings::IniFormat).value(key);
}

} // namespace

// "记住密码" against a real Secret Service: gnome-keyring-daemon, unlocked,
// on a D-Bus session bus of the test's own that starts nothing by itself.
class KeyringTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QProcess m_bus;
    QProcess m_keyring;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()
            || QStandardPaths::findExecutable("gnome-keyring-daemon").isEmpty())
            QSKIP("dbus-daemon and gnome-keyring-daemon are needed (tools/setup installs them)");
        const QString home = m_home.path();
        QVERIFY(QDir(home).mkpath("run") && QDir(home).mkpath("data"));
        QFile::setPermissions(home + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile config(home + "/bus.conf");
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                     " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><listen>unix:dir=" + home.toUtf8() + "</listen>"
                     "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        m_bus.start("dbus-daemon", {"--config-file=" + config.fileName(), "--nofork", "--print-address"});
        QVERIFY(m_bus.waitForReadyRead(10000));
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home + "/run"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/data"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/config"));
        qputenv("HOME", QFile::encodeName(home));
        QCoreApplication::setOrganizationName("QtProject");
        QCoreApplication::setApplicationName("Gallery");

        m_keyring.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_keyring.start("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"});
        QVERIFY(m_keyring.waitForStarted(10000));
        m_keyring.write("plit-test\n");
        m_keyring.closeWriteChannel();
        // Up once it keeps a secret.
        QString why;
        QTRY_VERIFY2_WITH_TIMEOUT(Keyring::write("probe", "x", &why), qPrintable(why), 20000);
    }

    void cleanupTestCase()
    {
        for (QProcess *process : {&m_keyring, &m_bus}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
        }
    }

    void aRememberedPasswordIsKeptInTheKeyringOnly()
    {
        TestDataDir dir;
        ConfigFunction::writeCredentials(kPhone, QStringLiteral("Plit@2026"));
        QVERIFY(!ini(dir, QStringLiteral("PASSWORD")).isValid());
        QCOMPARE(ini(dir, QStringLiteral("PHONRNUM")).toString(), kPhone);
        QString kept;
        QVERIFY(Keyring::read(kPhone, &kept));
        QCOMPARE(kept, QStringLiteral("Plit@2026"));
        const ConfigFunction::Credentials saved = ConfigFunction::readCredentials();
        QCOMPARE(saved.password, QStringLiteral("Plit@2026"));
        QVERIFY(saved.autoLogon);

        // Forgotten, it leaves the keyring too.
        ConfigFunction config;
        config.forgetCredentials();
        QVERIFY(!Keyring::read(kPhone, &kept));
        QCOMPARE(ConfigFunction::readCredentials().password, QString());

        // The sign-in form's remembered password: kept there, given back,
        // taken out again; never a silent sign-in.
        QVERIFY(config.rememberFormPassword(kPhone, QStringLiteral("form secret")));
        QCOMPARE(config.rememberedFormPassword(kPhone), QStringLiteral("form secret"));
        QVERIFY(!ConfigFunction::readCredentials().autoLogon);
        QVERIFY(config.rememberFormPassword(kPhone, QString()));
        QCOMPARE(config.rememberedFormPassword(kPhone), QString());
    }

    void aPasswordLeftInTheFileMovesIntoTheKeyring()
    {
        TestDataDir dir;
        QVERIFY(dir.write(QStringLiteral("System.ini"),
                          "PHONRNUM=13800000002\r\nPASSWORD=old secret\r\nAUTOLOGON=true\r\n"
                          "[FunDic]\r\nDownloadPath=/tmp/x\r\n"));
        {
            // The sign-in form of that version kept its own copy.
            QSettings form;
            form.setValue(QStringLiteral("inputPhone"), QStringLiteral("13800000003"));
            form.setValue(QStringLiteral("inputPassword"), QStringLiteral("form secret"));
        }
        ConfigFunction::movePasswordToKeyring();
        QVERIFY(!ini(dir, QStringLiteral("PASSWORD")).isValid());
        QVERIFY(!QSettings().contains(QStringLiteral("inputPassword")));
        QCOMPARE(ConfigFunction().rememberedFormPassword(QStringLiteral("13800000003")), QStringLiteral("form secret"));
        QCOMPARE(ini(dir, QStringLiteral("FunDic/DownloadPath")).toString(), QStringLiteral("/tmp/x"));
        QCOMPARE(ConfigFunction::readCredentials().password, QStringLiteral("old secret"));
        ConfigFunction().forgetCredentials();
    }

    // Last: the keyring goes away.
    void withoutAKeyringThePasswordStaysInTheOwnersFile()
    {
        m_keyring.kill();
        QVERIFY(m_keyring.waitForFinished(5000));
        TestDataDir dir;
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral(
                "^no keyring took the password \\(.+\\): it is kept in System.ini, readable by its owner only$")));
        ConfigFunction::writeCredentials(kPhone, QStringLiteral("Plit@2026"));
        QCOMPARE(ini(dir, QStringLiteral("PASSWORD")).toString(), QStringLiteral("Plit@2026"));
        QVERIFY(QFile::permissions(dir.filePath(QStringLiteral("System.ini")))
                == (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser));
        QCOMPARE(ConfigFunction::readCredentials().password, QStringLiteral("Plit@2026"));

        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral(
                "^the saved password stays in System.ini, readable by its owner only: .+")));
        ConfigFunction::movePasswordToKeyring();
        QCOMPARE(ini(dir, QStringLiteral("PASSWORD")).toString(), QStringLiteral("Plit@2026"));

        // The form keeps its own then, in its owner-only settings file.
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^no keyring took the remembered password")));
        QVERIFY(!ConfigFunction().rememberFormPassword(kPhone, QStringLiteral("form secret")));
        QCOMPARE(ConfigFunction().rememberedFormPassword(kPhone), QString());
    }
};

QTEST_GUILESS_MAIN(KeyringTest)
#include "tst_keyring.moc"
