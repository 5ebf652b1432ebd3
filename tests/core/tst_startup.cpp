#include "databasefile.h"
#include "plitprocess.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The built program as a user starts it: first start, a second copy, and a
// start after the first copy was killed.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesDatabaseAndLog()
    {
        QTemporaryDir dir;
        PlitProcess plit(dir.path());
        plit.start();
        QVERIFY2(plit.waitUntilUp(), qPrintable(plit.output()));

        const QString database = dir.filePath(QStringLiteral("corvane.db"));
        QStringList names;
        for (const QVariantMap &row : queryDatabaseFile(database, QStringLiteral("SELECT name FROM config")))
            names << row.value(QStringLiteral("name")).toString();
        QCOMPARE(names, QStringList({QStringLiteral("开票软件"), QStringLiteral("我要开票"),
                                     QStringLiteral("Ressa"), QStringLiteral("UKEY开票"),
                                     QStringLiteral("财税助手"), QStringLiteral("打印助手"),
                                     QStringLiteral("智能客服"), QStringLiteral("更多")}));
        QCOMPARE(valueInDatabaseFile(database, QStringLiteral("SELECT version FROM version")), QStringLiteral("2.0.0.2"));
        QCOMPARE(valueInDatabaseFile(database, QStringLiteral("SELECT count(*) FROM UserInfo")), QStringLiteral("0"));

        // A backend trace: level, empty location, label, marker, time; then the
        // handler's own time in parentheses, and CR LF.
        const QRegularExpression mainEnd(QStringLiteral(
            "(^|\\n)Debug: File:\\(\\) Line:\\(0\\) main End \\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\S+ "
            "\\(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\S+\\)\\r\\n"));
        QVERIFY2(mainEnd.match(plit.logText()).hasMatch(), qPrintable(plit.logText().left(2000)));

        // The interface loaded without a single QML warning or error: no warning
        // line points at a document. (The offscreen platform has no tray area, which
        // Qt itself reports once.)
        QTest::qWait(300);
        const QRegularExpression qmlWarning(QStringLiteral(
            "(^|\\n)(Warning|Critical|Fatal): [^\\n]*(qrc:|\\.qml)"));
        const QString log = plit.logText();
        QVERIFY2(!qmlWarning.match(log).hasMatch(), qPrintable(qmlWarning.match(log).captured(0)));
        QCOMPARE(plit.process().state(), QProcess::Running);
    }

    void secondCopyExitsWhileFirstRuns()
    {
        QTemporaryDir dir;
        PlitProcess first(dir.path());
        first.start();
        QVERIFY(first.waitUntilUp());

        PlitProcess second(dir.path());
        second.start();
        QVERIFY(second.waitForExit(10000));
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY2(second.output().contains(QStringLiteral("已经有一个PlitApp在运行，即将退出")),
                 qPrintable(second.output()));
        QCOMPARE(first.process().state(), QProcess::Running);
        // The first copy was asked to show its window.
        QTRY_VERIFY2(first.logText().contains(QStringLiteral("a second start: showing the main window")),
                     qPrintable(first.logText().right(2000)));
    }

    void startAfterKilledCopyRuns()
    {
        QTemporaryDir dir;
        {
            PlitProcess first(dir.path());
            first.start();
            QVERIFY(first.waitUntilUp());
            first.kill(); // SIGKILL: the shared-memory segment stays behind
        }
        QFile::remove(dir.filePath(QStringLiteral("log.txt")));

        PlitProcess next(dir.path());
        next.start();
        QVERIFY2(next.waitUntilUp(), qPrintable(next.output()));
        QCOMPARE(next.process().state(), QProcess::Running);

        // And that copy in turn keeps a further one out.
        PlitProcess third(dir.path());
        third.start();
        QVERIFY(third.waitForExit(10000));
        QCOMPARE(third.process().exitCode(), 0);
        QCOMPARE(next.process().state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
