#include "core/replyreader.h"
#include "core/tool.h"
#include "services/versionupdate.h"
#include "testdatadir.h"
#include "plitprocess.h"
#include "standinserver.h"

#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

// Versions compared and reconciled with the database record; the update check
// at start-up, in the process and with the built program for the hand-over.
class UpdateCheckTest : public QObject
{
    Q_OBJECT

private:
    StandInServer m_server;

    QScopedPointer<QTemporaryDir> m_install;

    // A copy of the built program in a directory of its own, beside an updater
    // that leaves its arguments, one per line, in "updater-ran".
    QString installProgram(bool withUpdater)
    {
        m_install.reset(new QTemporaryDir(QCoreApplication::applicationDirPath() + QStringLiteral("/install-XXXXXX")));
        const QString program = m_install->filePath(QStringLiteral("plit"));
        QFile updater(m_install->filePath(QStringLiteral("AutoUpdate.exe")));
        if (!QFile::copy(QStringLiteral(PLIT_EXECUTABLE), program)
            || (withUpdater && !updater.open(QIODevice::WriteOnly)))
            return QString();
        if (withUpdater) {
            updater.write("#!/bin/sh\ncd \"$(dirname \"$0\")\"\nprintf '%s\\n' \"$@\" > updater-ran.tmp\n"
                          "mv updater-ran.tmp updater-ran\n");
            updater.setPermissions(updater.permissions() | QFile::ExeOwner);
        }
        return program;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isRunning());
        m_server.useAsPlatform();
        qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
        // The database's dates have no leading zeros.
        QCOMPARE(databaseDateText(QDate(2019, 3, 7)), QStringLiteral("2019-3-7"));
    }

    void init() { m_server.reset(); }

    // A silent server holds the start only a short while (3 s), far from the
    // usual request limit.
    void startUpGoesOnWithoutANewerVersion_data()
    {
        QTest::addColumn<QByteArray>("updateFile");
        QTest::addColumn<bool>("silent");
        QTest::newRow("same version") << QByteArray(R"({"version":"2.0.0.2"})") << false;
        QTest::newRow("older version") << QByteArray(R"({"version":"2.0.0.1"})") << false;
        QTest::newRow("version as a number") << QByteArray(R"({"version":3})") << false;
        QTest::newRow("an array") << QByteArray(R"(["2.0.0.3"])") << false;
        QTest::newRow("no version") << QByteArray(R"({"ver":"2.0.0.3"})") << false;
        QTest::newRow("not JSON") << QByteArray("<html>404</html>") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("silent server") << QByteArray(R"({"version":"2.0.0.3"})") << true;
    }

    void startUpGoesOnWithoutANewerVersion()
    {
        QFETCH(QByteArray, updateFile);
        QFETCH(bool, silent);
        FreshDatabase fresh;
        reconcileVersionOnOpen(fresh.db());
        m_server.setUpdateBody(updateFile);
        if (silent)
            m_server.script(QStringLiteral("/updatefile.json"), {{"hang", true}});

        QElapsedTimer clock;
        clock.start();
        QVERIFY(!GetUpdateFileAndCheckVersion());
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(m_server.requests(QStringLiteral("/updatefile.json")).size(), 1);
        QCOMPARE(fresh.db().getVersion(), QStringLiteral("2.0.0.2"));
        QCOMPARE(databaseVersion(), QStringLiteral("2.0.0.2"));
    }

    // Each case as "a|b|the result of comparing a with b".
    void compareVersion()
    {
        const QStringList cases{"2.0.0.2|2.0.0.2|0", "2.0.0.3|2.0.0.2|1", "2.0.0.1|2.0.0.2|-1", "1.10|1.9|1",
                                "1.a|1.0|1", "1.0|1.0.0|-1", "2.0.0|2.0|1", "2.0.0.02|2.0.0.2|1", "2.0.0.2|2.0.0.02|1",
                                "|2.0.0.2|-1", "2.0.0.2||1"};
        QStringList compared;
        for (const QString &entry : cases) {
            const QString a = entry.section('|', 0, 0), b = entry.section('|', 1, 1);
            compared << QStringLiteral("%1|%2|%3").arg(a, b).arg(::compareVersion(a, b));
        }
        QCOMPARE(compared, cases);
    }

    // An older record is brought up to the program and dated today; a newer
    // or unknown one is left as it is, undated. Opening restores the user table.
    void recordIsReconciledWithTheProgram_data()
    {
        QTest::addColumn<QString>("recorded");
        QTest::addColumn<QString>("reconciled");
        QTest::addColumn<QString>("date");
        QTest::newRow("older") << "2.0.0.1" << "2.0.0.2" << databaseDateText(QDate::currentDate());
        QTest::newRow("newer") << "2.0.0.3" << "2.0.0.3" << "1900-01-01";
        QTest::newRow("unknown") << "" << "" << "1900-01-01";
    }

    void recordIsReconciledWithTheProgram()
    {
        QFETCH(QString, recorded);
        QFETCH(QString, reconciled);
        QFETCH(QString, date);
        FreshDatabase fresh;
        QVERIFY(recorded.isEmpty() ? fresh.exec(QStringLiteral("DELETE FROM version")) : fresh.db().setVersion(recorded));
        QVERIFY(fresh.exec(QStringLiteral("DROP TABLE UserInfo")));

        reconcileVersionOnOpen(fresh.db());
        QCOMPARE(databaseVersion(), recorded);
        QVERIFY(fresh.db().connection().isTableExist(QStringLiteral("UserInfo")));

        reconcileVersionWithProgram(fresh.db());
        QCOMPARE(fresh.db().getVersion(), reconciled);
        QCOMPARE(databaseVersion(), reconciled);
        QCOMPARE(fresh.db().getdateDatabaseDate(), date);
    }

    void newerVersionHandsOverToTheUpdaterAndExits()
    {
        QTemporaryDir data;
        const QString program = installProgram(true);
        QVERIFY(!program.isEmpty());
        m_server.setUpdateVersion(QStringLiteral("2.0.0.3"));

        PlitProcess plit(data.path(), program);
        plit.environment().insert(QStringLiteral("DESKTOP_STARTUP_ID"), QStringLiteral("launcher-update-1_TIME0"));
        plit.start();
        QVERIFY2(plit.waitForExit(), qPrintable(plit.output()));
        QCOMPARE(plit.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(plit.process().exitCode(), 0);

        // The updater got its own full path as its only argument.
        QFile marker(m_install->filePath(QStringLiteral("updater-ran")));
        QTRY_VERIFY(marker.exists());
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(marker.readAll()), m_install->filePath(QStringLiteral("AutoUpdate.exe")) + "\n");

        const QString db = data.filePath(QStringLiteral("corvane.db"));
        QCOMPARE(valueInDatabaseFile(db, QStringLiteral("SELECT version FROM version")), QStringLiteral("2.0.0.3"));
        QCOMPARE(valueInDatabaseFile(db, QStringLiteral("SELECT time FROM time")), databaseDateText(QDate::currentDate()));
        // Asked beside the window, which the hand-over closed.
        QVERIFY2(plit.logText().contains(QLatin1String("a newer version takes over: the program ends")),
                 qPrintable(plit.logText().right(2000)));
        // The launcher stops showing the start that ended (on the X display
        // the test runs under).
        QVERIFY(plit.logText().contains(QLatin1String("startup notification completed: launcher-update-1_TIME0")));
    }

    // A hand-over from a database that cannot record the new version would
    // repeat at every start, and the window would never appear; an updater
    // that cannot start records nothing. Start-up goes on and reports itself.
    void noHandOverWithoutAKnownVersionAWholeReplyOrAnUpdater_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QJsonObject>("fault");
        const QJsonObject newer{{"version", "2.0.0.3"}};
        QTest::newRow("empty version table") << "empty version table" << QJsonObject();
        QTest::newRow("unopenable database") << "unopenable database" << QJsonObject();
        QTest::newRow("no updater beside the program") << "no updater" << QJsonObject();
        QTest::newRow("reply cut short after the object") << "" << QJsonObject{{"json", newer}, {"short_by", 64}};
        QTest::newRow("oversized reply") << "" << QJsonObject{{"json", newer}, {"pad", int(ReplyReader::MaxReplyBytes)}};
        QTest::newRow("update server never answers") << "" << QJsonObject{{"hang", true}};
    }

    void noHandOverWithoutAKnownVersionAWholeReplyOrAnUpdater()
    {
        QFETCH(QString, damage);
        QFETCH(QJsonObject, fault);
        const QString program = installProgram(damage != QLatin1String("no updater"));
        QVERIFY(!program.isEmpty());
        FreshDatabase data;
        const QString database = data.dir().filePath(QStringLiteral("corvane.db"));
        if (damage == QLatin1String("empty version table"))
            QVERIFY(data.exec(QStringLiteral("DELETE FROM version")));
        if (damage == QLatin1String("unopenable database"))
            QVERIFY(QFile::remove(database) && QDir().mkpath(database));
        m_server.setUpdateVersion(QStringLiteral("2.0.0.3"));
        if (!fault.isEmpty())
            m_server.script(QStringLiteral("/updatefile.json"), fault);

        PlitProcess plit(data.dir().path(), program);
        plit.start();
        QVERIFY2(plit.waitUntilUp(), qPrintable(plit.output()));
        QCOMPARE(plit.process().state(), QProcess::Running);
        QVERIFY(!QFile::exists(m_install->filePath(QStringLiteral("updater-ran"))));
        // An unknown recorded version is not even compared.
        const QJsonArray asked = m_server.requests(QStringLiteral("/updatefile.json"));
        const bool known = !damage.contains(QLatin1String("database")) && !damage.contains(QLatin1String("table"));
        QCOMPARE(asked.size(), known ? 1 : 0);
        if (!known)
            return;
        QCOMPARE(asked.first()["method"].toString(), QStringLiteral("GET"));
        // A silent update server does not hold the window: the start is over
        // before the program gives up asking.
        if (fault.contains(QLatin1String("hang"))) {
            const QString noAnswer = QStringLiteral("no whole answer from the update server");
            QTRY_VERIFY(plit.logText().contains(noAnswer));
            QVERIFY(plit.logText().indexOf(QLatin1String(" main End ")) < plit.logText().indexOf(noAnswer));
        }
        // Said in the log, which the program keeps from before its window on.
        QTRY_VERIFY2(damage.isEmpty() || plit.logText().contains(QLatin1String("AutoUpdate.exe")),
                     qPrintable(plit.logText().right(2000)));
        QTRY_COMPARE(m_server.requests(QStringLiteral("/api/platApi/sendLog")).size(), 1);
        Tool tool;
        QCOMPARE(m_server.requests(QStringLiteral("/api/platApi/sendLog")).first()["body"].toString(),
                 QStringLiteral("types=1000&summary=user open software&mac=%1&ip=%2&edition=2.0.0.2")
                     .arg(tool.getMac(), tool.getIp()));
        QCOMPARE(valueInDatabaseFile(database, "SELECT version FROM version"), QStringLiteral("2.0.0.2"));
        QCOMPARE(valueInDatabaseFile(database, "SELECT time FROM time"), QStringLiteral("1900-01-01"));
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "tst_updatecheck.moc"
