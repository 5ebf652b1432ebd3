#include "services/configfunction.h"
#include "testdatadir.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <sys/stat.h>

namespace {

int unixMode(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

// The settings file: the dictionary of chosen paths and the saved credentials.
class ConfigFunctionTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        // Qt finds the user's configuration folder once, at its first use.
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
    }

    void savedKeyExistsAndUnknownOrEmptiedDoesNot()
    {
        TestDataDir dir;
        ConfigFunction config;
        QVERIFY(!config.keyExist("DownloadPath"));
        config.saveConfig("DownloadPath", "/home/u/downloads");
        QVERIFY(config.keyExist("DownloadPath"));
        QVERIFY(!config.keyExist("never"));
        QVERIFY(QFile::exists(dir.filePath("System.ini")));
        config.saveConfig("DownloadPath", "");
        QVERIFY(!config.keyExist("DownloadPath"));
    }

    void chinesePathSurvivesARewriteOfTheCredentials()
    {
        TestDataDir dir;
        ConfigFunction config;
        const QString path = QStringLiteral("/home/用户/下载目录");
        config.saveConfig("DownloadPath", path);
        ConfigFunction::writeCredentials("13800000002", "secret");

        const ConfigFunction::Credentials saved = ConfigFunction::readCredentials();
        QCOMPARE(saved.phone, QStringLiteral("13800000002"));
        QCOMPARE(saved.password, QStringLiteral("secret"));
        QVERIFY(saved.autoLogon);
        QSettings raw(dir.filePath("System.ini"), QSettings::IniFormat);
        raw.setIniCodec("GB18030");
        QCOMPARE(raw.value("FunDic/DownloadPath").toString(), path);
        // Stored as text in the Chinese code page, not as escape sequences.
        const QByteArray bytes = dir.read("System.ini");
        QVERIFY2(bytes.contains(QTextCodec::codecForName("GB18030")->fromUnicode(path)), bytes.constData());
        QVERIFY(bytes.contains("PHONRNUM=13800000002"));
        QVERIFY(bytes.contains("AUTOLOGON=true"));
    }

    void existingGb2312FileReadsUnchanged()
    {
        TestDataDir dir;
        const QString path = QStringLiteral("D:/税务/开票");
        QVERIFY(dir.write("System.ini", "[FunDic]\r\nDownloadPath="
                                            + QTextCodec::codecForName("GB2312")->fromUnicode(path) + "\r\n"));
        ConfigFunction config;
        QVERIFY(config.keyExist("DownloadPath"));
        ConfigFunction::writeCredentials("1", "2");
        QSettings raw(dir.filePath("System.ini"), QSettings::IniFormat);
        raw.setIniCodec("GB2312");
        QCOMPARE(raw.value("FunDic/DownloadPath").toString(), path);
    }

    void fileIsReadableByItsOwnerOnly()
    {
        TestDataDir dir;
        ConfigFunction::writeCredentials("13800000002", "secret");
        QCOMPARE(unixMode(dir.filePath("System.ini")), 0600);
        ConfigFunction config;
        config.saveConfig("DownloadPath", "/x");
        ConfigFunction::writeCredentials("13800000002", "other");
        QCOMPARE(unixMode(dir.filePath("System.ini")), 0600);
    }

    void interfaceSettingsAreTheOwnersBeforeTheFirstWrite()
    {
        const QString path = QSettings().fileName();
        QVERIFY(path.startsWith(m_config.path()));
        QVERIFY(!QFile::exists(path));

        ConfigFunction::protectInterfaceSettings();
        QCOMPARE(unixMode(path), 0600);
        QCOMPARE(QFileInfo(path).size(), 0);

        // The interface writes the remembered password the way Qt writes settings.
        {
            QSettings settings;
            settings.setValue("inputPassword", "Plit@2026");
        }
        QCOMPARE(unixMode(path), 0600);
        QCOMPARE(QSettings().value("inputPassword").toString(), QStringLiteral("Plit@2026"));

        // A file that others could read is closed to them at the next start.
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        ConfigFunction::protectInterfaceSettings();
        QCOMPARE(unixMode(path), 0600);
        QCOMPARE(QSettings().value("inputPassword").toString(), QStringLiteral("Plit@2026"));
    }

    void missingOrForgottenCredentialsReadAsNoneAndLeaveThePaths()
    {
        TestDataDir dir;
        ConfigFunction config;
        // No file reads as no credentials, and forgetting them makes none.
        QVERIFY(ConfigFunction::readCredentials().phone.isEmpty());
        QVERIFY(!ConfigFunction::readCredentials().autoLogon);
        config.forgetCredentials();
        QVERIFY(!QFile::exists(dir.filePath("System.ini")));

        config.saveConfig("DownloadPath", "/home/u/下载");
        ConfigFunction::writeCredentials("13800000002", "secret");
        config.forgetCredentials();
        const ConfigFunction::Credentials saved = ConfigFunction::readCredentials();
        QVERIFY(saved.phone.isEmpty());
        QVERIFY(saved.password.isEmpty());
        QVERIFY(!saved.autoLogon);
        QVERIFY(!dir.read("System.ini").contains("secret"));
        QVERIFY(config.keyExist("DownloadPath"));
        QCOMPARE(unixMode(dir.filePath("System.ini")), 0600);
    }
};

QTEST_GUILESS_MAIN(ConfigFunctionTest)
#include "tst_configfunction.moc"
