#include "core/replyreader.h"
#include "core/tool.h"
#include "core/versionupdate.h"
#include "databasefile.h"
#include "freshdatabase.h"
#include "plitprocess.h"
#include "standinserver.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

// The update check at start-up against the stand-in update server: in the
// process for the replies that let start-up go on, and with the built program
// for the hand-over to the updater.
class UpdateCheckTest : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<StandInServer> m_server{new StandInServer};

    // A copy of the built program in a directory of its own, so that an
    // updater can sit beside it without meeting another test's.
    QString installProgram(const QTemporaryDir &dir, bool withUpdater) const
    {
        const QString program = dir.filePath(QStringLiteral("plit"));
        if (!QFile::copy(QStringLiteral(PLIT_EXECUTABLE), program))
            return QString();
        if (withUpdater) {
            // Leaves its arguments, one per line, where the test can read them.
            const QString updater = dir.filePath(QStringLiteral("AutoUpdate.exe"));
            QFile script(updater);
            if (!script.open(QIODevice::WriteOnly))
                return QString();
            script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/updater-ran.tmp\"\n"
                         "mv \"$(dirname \"$0\")/updater-ran.tmp\" \"$(dirname \"$0\")/updater-ran\"\n");
            script.close();
            script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        }
        return program;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server->isRunning());
        m_server->useAsPlatform();
    }

    void init()
    {
        m_server->reset();
        qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
    }

    void cleanup()
    {
        qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
    }

    void startUpGoesOnWithoutANewerVersion_data()
    {
        QTest::addColumn<QByteArray>("updateFile");
        QTest::newRow("same version") << QByteArray(R"({"version":"2.0.0.2"})");
        QTest::newRow("older version") << QByteArray(R"({"version":"2.0.0.1"})");
        QTest::newRow("version as a number") << QByteArray(R"({"version":3})");
        QTest::newRow("an array") << QByteArray(R"(["2.0.0.3"])");
        QTest::newRow("no version") << QByteArray(R"({"ver":"2.0.0.3"})");
        QTest::newRow("not JSON") << QByteArray("<html>404</html>");
        QTest::newRow("empty") << QByteArray();
    }

    void startUpGoesOnWithoutANewerVersion()
    {
        QFETCH(QByteArray, updateFile);
        FreshDatabase fresh;
        reconcileVersionOnOpen(fresh.db());
        m_server->setUpdateBody(updateFile);

        QVERIFY(!GetUpdateFileAndCheckVersion());
        QCOMPARE(m_server->requests(QStringLiteral("/updatefile.json")).size(), 1);
        QCOMPARE(fresh.db().getVersion(), QStringLiteral("2.0.0.2"));
        QCOMPARE(databaseVersion(), QStringLiteral("2.0.0.2"));
    }

    void updaterThatCannotStartRecordsNothing()
    {
        // The test program's own directory has no AutoUpdate.exe.
        FreshDatabase fresh;
        QVERIFY(fresh.db().updateDatabaseDate(QStringLiteral("2019-3-7")));
        reconcileVersionOnOpen(fresh.db());
        m_server->setUpdateVersion(QStringLiteral("2.0.0.3"));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("AutoUpdate\\.exe")));
        QVERIFY(!GetUpdateFileAndCheckVersion());
        QCOMPARE(fresh.db().getVersion(), QStringLiteral("2.0.0.2"));
        QCOMPARE(fresh.db().getdateDatabaseDate(), QStringLiteral("2019-3-7"));
        QCOMPARE(databaseVersion(), QStringLiteral("2.0.0.2"));
    }

    void silentUpdateServerDelaysStartUpOnlyUntilTheTimeLimit()
    {
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "500");
        FreshDatabase fresh;
        reconcileVersionOnOpen(fresh.db());
        m_server->script(QStringLiteral("/updatefile.json"), {{"hang", true}});
        QVERIFY(!GetUpdateFileAndCheckVersion());
        QCOMPARE(fresh.db().getVersion(), QStringLiteral("2.0.0.2"));

        // With the usual request limit, the start waits for the update server
        // only a short while (3 s), far from the limit.
        qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
        m_server->script(QStringLiteral("/updatefile.json"), {{"hang", true}});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!GetUpdateFileAndCheckVersion());
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    }

    void newerVersionHandsOverToTheUpdaterAndExits()
    {
        QTemporaryDir install(QCoreApplication::applicationDirPath() + QStringLiteral("/install-XXXXXX"));
        QTemporaryDir data;
        const QString program = installProgram(install, true);
        QVERIFY(!program.isEmpty());
        m_server->setUpdateVersion(QStringLiteral("2.0.0.3"));

        PlitProcess plit(data.path(), program);
        plit.start();
        QVERIFY2(plit.waitForExit(), qPrintable(plit.output()));
        QCOMPARE(plit.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(plit.process().exitCode(), 0);

        // The updater got its own full path as its only argument.
        const QString marker = install.filePath(QStringLiteral("updater-ran"));
        QTRY_VERIFY(QFile::exists(marker));
        QFile file(marker);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(file.readAll()), install.filePath(QStringLiteral("AutoUpdate.exe")) + "\n");

        const QString db = data.filePath(QStringLiteral("corvane.db"));
        QCOMPARE(valueInDatabaseFile(db, QStringLiteral("SELECT version FROM version")), QStringLiteral("2.0.0.3"));
        QCOMPARE(valueInDatabaseFile(db, QStringLiteral("SELECT time FROM time")), databaseDateText(QDate::currentDate()));
        // Start-up stopped before the log file and the interface.
        QVERIFY(!plit.logText().contains(QLatin1String(" main End ")));
    }

    void runningProgramReportsItsStartAndKeepsItsVersion()
    {
        QTemporaryDir install(QCoreApplication::applicationDirPath() + QStringLiteral("/install-XXXXXX"));
        QTemporaryDir data;
        const QString program = installProgram(install, false);
        QVERIFY(!program.isEmpty());
        m_server->setUpdateVersion(QStringLiteral("2.0.0.3"));

        PlitProcess plit(data.path(), program);
        plit.start();
        QVERIFY2(plit.waitUntilUp(), qPrintable(plit.output()));
        QCOMPARE(plit.process().state(), QProcess::Running);
        QVERIFY2(plit.output().contains(QLatin1String("AutoUpdate.exe")), qPrintable(plit.output()));

        QCOMPARE(m_server->requests(QStringLiteral("/updatefile.json")).size(), 1);
        QCOMPARE(m_server->requests(QStringLiteral("/updatefile.json")).first().toObject().value("method").toString(),
                 QStringLiteral("GET"));
        QTRY_COMPARE(m_server->requests(QStringLiteral("/api/platApi/sendLog")).size(), 1);
        const QJsonObject report = m_server->requests(QStringLiteral("/api/platApi/sendLog")).first().toObject();
        Tool tool;
        QCOMPARE(report.value("body").toString(),
                 QStringLiteral("types=1000&summary=user open software&mac=%1&ip=%2&edition=2.0.0.2")
                     .arg(tool.getMac(), tool.getIp()));

        QCOMPARE(valueInDatabaseFile(data.filePath(QStringLiteral("corvane.db")), QStringLiteral("SELECT version FROM version")),
                 QStringLiteral("2.0.0.2"));
    }

    void programComesUpWhenTheUpdateServerNeverAnswers()
    {
        QTemporaryDir data;
        m_server->script(QStringLiteral("/updatefile.json"), {{"hang", true}});
        PlitProcess plit(data.path());
        plit.environment().insert(QStringLiteral("PLIT_REQUEST_TIMEOUT_MS"), QStringLiteral("1500"));
        plit.start();
        QVERIFY2(plit.waitUntilUp(), qPrintable(plit.output()));
        QCOMPARE(m_server->requests(QStringLiteral("/updatefile.json")).size(), 1);
        QCOMPARE(plit.process().state(), QProcess::Running);
    }

    void noHandOverWithoutAKnownVersionOrAWholeReply_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QJsonObject>("fault");
        const QJsonObject newer{{"version", "2.0.0.3"}};
        // A hand-over from a database that cannot record the new version would
        // repeat at every start, and the window would never appear.
        QTest::newRow("empty version table") << "empty version table" << QJsonObject();
        QTest::newRow("unopenable database") << "unopenable database" << QJsonObject();
        QTest::newRow("reply cut short after the object") << "" << QJsonObject{{"json", newer}, {"short_by", 64}};
        QTest::newRow("oversized reply") << "" << QJsonObject{{"json", newer}, {"pad", int(ReplyReader::MaxReplyBytes)}};
    }

    void noHandOverWithoutAKnownVersionOrAWholeReply()
    {
        QFETCH(QString, damage);
        QFETCH(QJsonObject, fault);
        QTemporaryDir install(QCoreApplication::applicationDirPath() + QStringLiteral("/install-XXXXXX"));
        const QString program = installProgram(install, true);
        QVERIFY(!program.isEmpty());
        FreshDatabase data;
        const QString database = data.dir().filePath(QStringLiteral("corvane.db"));
        if (damage == QLatin1String("empty version table"))
            QVERIFY(data.exec(QStringLiteral("DELETE FROM version")));
        if (damage == QLatin1String("unopenable database"))
            QVERIFY(QFile::remove(database) && QDir().mkpath(database));
        m_server->setUpdateVersion(QStringLiteral("2.0.0.3"));
        if (!fault.isEmpty())
            m_server->script(QStringLiteral("/updatefile.json"), fault);

        PlitProcess plit(data.dir().path(), program);
        plit.start();
        QVERIFY2(plit.waitUntilUp(), qPrintable(plit.output()));
        QCOMPARE(plit.process().state(), QProcess::Running);
        QVERIFY(!QFile::exists(install.filePath(QStringLiteral("updater-ran"))));
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "tst_updatecheck.moc"
