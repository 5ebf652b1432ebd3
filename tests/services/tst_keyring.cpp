#include "services/configfunction.h"
#include "services/keyring.h"
#include "plitinterface.h"
#include "plitprocess.h"
#include "standinserver.h"
#include "testdatadir.h"

#include <QtDBus>
#include <QtTest>

using Attributes = QMap<QString, QString>;
Q_DECLARE_METATYPE(Attributes)

namespace {

const QString kPhone = QStringLiteral("13800000005");
const QString kKeyringPassword = QStringLiteral("keyring-pass");

// System.ini of a number saved with "自动登录", and with a password when given.
QByteArray autoLogonIni(const QString &phone, const QString &password = {})
{ return "PHONRNUM=" + phone.toUtf8() + (password.isEmpty() ? "" : "\r\nPASSWORD=" + password.toUtf8()) + "\r\nAUTOLOGON=true\r\n"; }

// A key of System.ini, absent: an invalid value.
QVariant ini(const TestDataDir &dir, const QString &key) { return QSettings(dir.filePath("System.ini"), QSettings::IniFormat).value(key); }

// System.ini's number, password ("-" when absent) and "自动登录", as one text.
QString saved(const TestDataDir &dir)
{
    return ini(dir, "PHONRNUM").toString() + ' ' + ini(dir, "PASSWORD").toString() + (ini(dir, "PASSWORD").isValid() ? " " : "- ")
        + (ini(dir, "AUTOLOGON").toBool() ? "auto" : "manual");
}

// The files under `dirs` that hold `secret`, by name.
QStringList filesHolding(const QStringList &dirs, const QString &secret)
{
    QStringList found;
    for (const QString &dir : dirs) {
        for (QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            QFile file(it.next());
            if (!file.fileName().contains(QLatin1String("/keyrings/")) && file.open(QIODevice::ReadOnly)
                && file.readAll().contains(secret.toUtf8()))
                found << file.fileName();
        }
    }
    return found;
}

QString promptWindow()
{
    QProcess xdotool;
    xdotool.start("xdotool", {"search", "--onlyvisible", "--class", "gcr-prompter"});
    xdotool.waitForFinished(10000);
    return QString::fromLocal8Bit(xdotool.readAllStandardOutput()).trimmed().section('\n', 0, 0);
}

bool waitForPrompt()
{
    const bool shown = QTest::qWaitFor([] { return !promptWindow().isEmpty(); }, 20000);
    QTest::qWait(500); // it takes keys once drawn
    return shown;
}

// Types each field, Tab between them, then Return; an empty list is the Escape of a person who cancels.
// One xdotool each: "type" takes every word after it as text.
bool answerPrompt(const QStringList &fields)
{
    const QString window = promptWindow();
    if (window.isEmpty())
        return false;
    QProcess::execute("xdotool", {"windowfocus", "--sync", window});
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            QProcess::execute("xdotool", {"key", "Tab"});
        QProcess::execute("xdotool", {"type", "--delay", "20", fields[i]});
    }
    QProcess::execute("xdotool", {"key", fields.isEmpty() ? "Escape" : "Return"});
    return QTest::qWaitFor([] { return promptWindow().isEmpty(); }, 10000);
}

bool waitForKeyring() { return QTest::qWaitFor([] { return !Keyring::instance()->isBusy(); }, 60000); }

QDBusMessage callSecretService(const char *method, const QVariant &argument)
{
    return QDBusInterface("org.freedesktop.secrets", "/org/freedesktop/secrets", "org.freedesktop.Secret.Service").call(method, argument);
}

// The program's entries for `phone`, locked or not, without a prompt.
int entries(const QString &phone)
{
    const QDBusMessage reply = callSecretService("SearchItems", QVariant::fromValue(Attributes{{"server", Keyring::service()}, {"user", phone}}));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        return -1;
    int count = 0;
    for (const QVariant &list : reply.arguments())
        count += qdbus_cast<QList<QDBusObjectPath>>(list).size();
    return count;
}

// What the keyring holds for `phone`, once it answers.
QString keyringEntry(const QString &phone)
{
    QString secret = QStringLiteral("(no answer)");
    QObject receiver;
    Keyring::instance()->read(phone, &receiver, [&](Keyring::Outcome, const QString &value, const QString &) { secret = value; });
    static_cast<void>(QTest::qWaitFor([&] { return secret != QLatin1String("(no answer)"); }, 20000));
    return secret;
}

bool lockKeyring()
{
    const QList<QDBusObjectPath> all{QDBusObjectPath("/org/freedesktop/secrets/aliases/default")};
    return callSecretService("Lock", QVariant::fromValue(all)).type() == QDBusMessage::ReplyMessage;
}

// As the sign-in form does it.
void signInForm(ConfigFunction &config, const QString &password)
{
    ConfigFunction::writeCredentials(kPhone, password);
    config.rememberFormPassword(kPhone, password);
}

// The form of an earlier version kept its password in the interface's settings file.
void leaveFormPassword(const QString &phone, const QString &password)
{
    QSettings().setValue("inputPhone", phone);
    QSettings().setValue("inputPassword", password);
}

// How deep the interface thread's event loops are nested while the keyring works, at most: a nested loop
// waiting for the keyring shows as 1.
struct LoopDepth : QTimer
{
    int ticks = 0, deepest = 0;
    LoopDepth() { connect(this, &QTimer::timeout, [this] { ++ticks, deepest = qMax(deepest, QThread::currentThread()->loopLevel()); }), start(20); }
};

} // namespace

// "记住密码" against the desktop's real keyring: gnome-keyring-daemon on a D-Bus session bus of the test's own,
// whose prompts the real gcr-prompter shows on the test's X display and the test answers by keys (xdotool).
// Nothing here may wait on the interface thread: each call returns before the keyring is even asked, the
// interface thread's loop never nests, and whatever the person answers, a password lands in a file only where
// the session has no keyring at all.
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
        const auto missing = [](const char *program) { return QStandardPaths::findExecutable(program).isEmpty(); };
        if (missing("dbus-daemon") || missing("gnome-keyring-daemon") || missing("xdotool")
            || !QFile::exists("/usr/libexec/gcr-prompter") || qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("dbus-daemon, gnome-keyring-daemon, xdotool, gcr-prompter (tools/setup installs them) and an X display are needed");
        qDBusRegisterMetaType<Attributes>();
        const QString home = m_home.path();
        const auto write = [&](const QString &name, const QByteArray &text) {
            QFile file(home + name);
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
        };
        QVERIFY(QDir(home).mkpath("run") && QDir(home).mkpath("services"));
        QFile::setPermissions(home + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // The bus starts the prompter when the keyring asks for it, and nothing else: no keyring is started by the bus.
        QVERIFY(write("/services/org.gnome.keyring.SystemPrompter.service",
                      "[D-BUS Service]\nName=org.gnome.keyring.SystemPrompter\nExec=/usr/libexec/gcr-prompter\n"));
        QVERIFY(write("/bus.conf", "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                   "<busconfig><type>session</type><listen>unix:dir=" + home.toUtf8() + "</listen><servicedir>"
                                   + home.toUtf8() + "/services</servicedir><auth>EXTERNAL</auth><policy context=\"default\">"
                                   "<allow send_destination=\"*\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n"));
        qputenv("HOME", QFile::encodeName(home));
        for (const char *name : {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            qputenv(name, QFile::encodeName(home + '/' + QString::fromLatin1(name).section('_', 1, 1).toLower()));
        m_bus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_bus.start("dbus-daemon", {"--config-file=" + home + "/bus.conf", "--nofork", "--print-address"});
        QVERIFY(m_bus.waitForReadyRead(10000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        QCoreApplication::setOrganizationName("QtProject");
        QCoreApplication::setApplicationName("Gallery");
        // A new account's keyring: none made yet.
        m_keyring.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_keyring.start("gnome-keyring-daemon", {"--foreground", "--components=secrets"});
        QTRY_VERIFY_WITH_TIMEOUT(Keyring::existsOnSessionBus(), 20000);
    }

    void cleanupTestCase()
    {
        answerPrompt({});
        for (QProcess *process : {&m_keyring, &m_bus}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
        }
    }

    // A case that failed leaves no prompt open for the next.
    void cleanup() { answerPrompt({}), waitForKeyring(); }

    // "记住密码" with "自动登录" on an account without a keyring: the desktop asks for the new keyring's password
    // while the interface goes on, and one answer keeps the password of both boxes.
    void aNewKeyringIsMadeWhileTheInterfaceGoesOn()
    {
        TestDataDir dir;
        ConfigFunction config;
        QSignalSpy notSaved(&config, &ConfigFunction::passwordNotSaved);
        LoopDepth loop;
        signInForm(config, "Plit@2026");
        // Back before the keyring was even asked.
        QVERIFY(promptWindow().isEmpty());
        QCOMPARE(saved(dir), kPhone + " - manual");
        QVERIFY(waitForPrompt());
        const int ticks = loop.ticks;
        QTRY_VERIFY(loop.ticks > ticks + 10); // the interface's timers run while the prompt waits
        QVERIFY(answerPrompt({kKeyringPassword, kKeyringPassword}));
        QVERIFY(waitForKeyring());
        QCOMPARE(loop.deepest, 0);
        QCOMPARE(notSaved.count(), 0);
        QVERIFY(promptWindow().isEmpty()); // asked once: no second prompt came for the form's copy
        QCOMPARE(entries(kPhone), 1);
        QCOMPARE(keyringEntry(kPhone), QStringLiteral("Plit@2026"));
        QCOMPARE(saved(dir), kPhone + " - auto");
        QVERIFY(!QSettings().contains("inputPassword"));
        // The form's copy comes back without the interface waiting either.
        QSignalSpy read(&config, &ConfigFunction::rememberedFormPasswordRead);
        config.rememberedFormPassword(kPhone);
        QCOMPARE(read.count(), 0);
        QTRY_COMPARE(read.count(), 1);
        QCOMPARE(read.first().at(1).toString(), QStringLiteral("Plit@2026"));
    }

    // The desktop asks to unlock the keyring and the person cancels, or never answers: the password is kept
    // nowhere, the number is, the next start does not sign in by itself, and the user is told once.
    void aCancelledPromptKeepsThePasswordNowhere()
    {
        TestDataDir dir;
        ConfigFunction config;
        QSignalSpy notSaved(&config, &ConfigFunction::passwordNotSaved);
        QVERIFY(lockKeyring());
        LoopDepth loop;
        signInForm(config, "Other@2027");
        QVERIFY(waitForPrompt());
        QVERIFY(answerPrompt({}));
        QVERIFY(waitForKeyring());
        QCOMPARE(loop.deepest, 0);
        QCOMPARE(notSaved.count(), 1);
        QCOMPARE(saved(dir), kPhone + " - manual");
        QCOMPARE(filesHolding({m_home.path(), dir.path()}, "Other@2027"), QStringList());
        QCOMPARE(ConfigFunction::readCredentials().password, QString());
        // A prompt still waiting keeps it nowhere either.
        ConfigFunction::writeCredentials(kPhone, "Other@2027");
        QVERIFY(waitForPrompt());
        QCOMPARE(filesHolding({m_home.path(), dir.path()}, "Other@2027"), QStringList());
        QVERIFY(answerPrompt({}));
        QVERIFY(waitForKeyring());
        QCOMPARE(notSaved.count(), 2);
    }

    // A start that signs in by itself with a locked keyring: the password comes once the person unlocks it, and
    // not before; a cancelled unlock leaves the keyring as it was, so the next start asks again.
    void aLockedKeyringGivesThePasswordOnceUnlocked()
    {
        TestDataDir dir;
        QVERIFY(dir.write("System.ini", autoLogonIni(kPhone)));
        QVERIFY(lockKeyring());
        for (const bool unlock : {false, true}) {
            LoopDepth loop;
            QObject receiver;
            QList<ConfigFunction::Credentials> given;
            ConfigFunction::loadCredentials(&receiver, [&](const ConfigFunction::Credentials &saved) { given << saved; });
            QVERIFY(waitForPrompt());
            QVERIFY(given.isEmpty());
            QVERIFY(answerPrompt(unlock ? QStringList{kKeyringPassword} : QStringList()));
            QTRY_COMPARE_WITH_TIMEOUT(given.size(), 1, 20000);
            QCOMPARE(loop.deepest, 0);
            QCOMPARE(given.first().password, unlock ? QStringLiteral("Plit@2026") : QString());
            QVERIFY(given.first().autoLogon);
        }
    }

    // Passwords an earlier version left in System.ini and in the interface's settings file leave both at once,
    // for the keyring; forgotten, the number's entry leaves the keyring too.
    void passwordsOfAnEarlierVersionLeaveTheirFiles()
    {
        TestDataDir dir;
        QVERIFY(dir.write("System.ini", autoLogonIni("13800000006", "old secret") + "[FunDic]\r\nDownloadPath=/tmp/x\r\n"));
        leaveFormPassword("13800000007", "form secret");
        ConfigFunction::movePasswordToKeyring();
        QCOMPARE(saved(dir), "13800000006 - auto");
        QVERIFY(!QSettings().contains("inputPassword"));
        QCOMPARE(ini(dir, "FunDic/DownloadPath").toString(), QStringLiteral("/tmp/x"));
        QVERIFY(waitForKeyring());
        QCOMPARE(keyringEntry("13800000006"), QStringLiteral("old secret"));
        QCOMPARE(keyringEntry("13800000007"), QStringLiteral("form secret"));
        ConfigFunction().forgetCredentials();
        QVERIFY(waitForKeyring());
        QCOMPARE(entries("13800000006"), 0);
        ConfigFunction().rememberFormPassword("13800000007", QString());
        QVERIFY(waitForKeyring());
        QCOMPARE(entries("13800000007"), 0);
    }

    // The real program, started with "自动登录" saved and the keyring locked: its main window is up while the
    // desktop asks, it signs in once the person unlocks, and a logout's SIGTERM while the desktop asks ends it
    // cleanly. The second start also finds a password an earlier version left in the file: it moves while the
    // desktop asks.
    void theProgramSignsInWhenUnlockedAndEndsCleanlyWhileAsking()
    {
        StandInServer server;
        QVERIFY(server.isRunning());
        server.useAsPlatform();
        TestDataDir dir;
        QVERIFY(dir.write("System.ini", autoLogonIni(kDemoPhone)));
        Keyring::instance()->keep(kDemoPhone, kDemoPassword);
        QVERIFY(waitForKeyring());
        QCOMPARE(entries(kDemoPhone), 1);
        for (const bool unlock : {true, false}) {
            server.clearRequests();
            QVERIFY(lockKeyring());
            if (!unlock)
                QVERIFY(dir.write("System.ini", autoLogonIni(kDemoPhone, kDemoPassword)));
            PlitProcess plit(dir.path());
            plit.start();
            QVERIFY2(plit.waitUntilUp(), qPrintable(plit.output()));
            QVERIFY(waitForPrompt());
            QCOMPARE(server.requests("/api/platApi/passlog_on").size(), 0);
            if (unlock) {
                QVERIFY(answerPrompt({kKeyringPassword}));
                QTRY_COMPARE_WITH_TIMEOUT(server.requests("/api/platApi/passlog_on").size(), 1, 20000);
                QCOMPARE(server.requests("/api/platApi/passlog_on").first().toObject()["form"].toObject()["password"].toString(), kDemoPassword);
            } else {
                QCOMPARE(saved(dir), kDemoPhone + " - auto");
            }
            plit.process().terminate(); // SIGTERM, as a logout sends it
            QVERIFY(plit.waitForExit(20000));
            QVERIFY2(plit.process().exitStatus() == QProcess::NormalExit, qPrintable(plit.output()));
            QCOMPARE(plit.process().exitCode(), 0);
            // The keyring may take its prompt down when the asker goes.
            QVERIFY(unlock || promptWindow().isEmpty() || answerPrompt({}));
        }
    }

    // Last: the keyring goes away and the session bus has none. Then, and only then, System.ini keeps the
    // password, readable by its owner only; the interface's settings file never does.
    void withoutAnyKeyringOnlySystemIniKeepsIt()
    {
        m_keyring.terminate();
        QVERIFY(m_keyring.waitForFinished(5000));
        QTRY_VERIFY(!Keyring::existsOnSessionBus());
        TestDataDir dir;
        ConfigFunction config;
        QSignalSpy notSaved(&config, &ConfigFunction::passwordNotSaved);
        signInForm(config, "Plit@2026");
        QCOMPARE(saved(dir), kPhone + " Plit@2026 auto");
        QCOMPARE(QFile::permissions(dir.filePath("System.ini")), kOwnerOnly);
        QObject receiver;
        QString loaded;
        ConfigFunction::loadCredentials(&receiver, [&](const ConfigFunction::Credentials &saved) { loaded = saved.password; });
        QTRY_COMPARE(loaded, QStringLiteral("Plit@2026"));
        // The form of an earlier version: its password leaves the interface's file for System.ini, where no
        // sign-in uses it.
        ConfigFunction().forgetCredentials();
        leaveFormPassword(kPhone, "form secret");
        ConfigFunction::movePasswordToKeyring();
        QVERIFY(!QSettings().contains("inputPassword"));
        QCOMPARE(saved(dir), kPhone + " form secret manual");
        QCOMPARE(QFile::permissions(dir.filePath("System.ini")), kOwnerOnly);
        QCOMPARE(filesHolding({QFileInfo(QSettings().fileName()).absolutePath()}, "form secret"), QStringList());
        QVERIFY(!Keyring::instance()->isBusy());
        QCOMPARE(notSaved.count(), 0);
    }
};

QTEST_GUILESS_MAIN(KeyringTest)
#include "tst_keyring.moc"
