#include "testdatadir.h"
#include "plitprocess.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The built program as a user starts it: a first start, which is killed; a
// start after it, and a second copy while that one runs.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartThenAKilledCopyThenASecondCopy()
    {
        QTemporaryDir dir;
        PlitProcess plit(dir.path());
        // On the X display, whose OpenGL is Mesa's software rasteriser: the
        // program draws with Qt Quick's software renderer instead.
        plit.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        plit.environment().remove(QStringLiteral("QT_QUICK_BACKEND"));
        plit.start();
        QVERIFY2(plit.waitUntilUp(), qPrintable(plit.output()));
        QVERIFY2(plit.logText().contains(QStringLiteral("the interface's renderer: software")),
                 qPrintable(plit.logText().left(2000)));

        const QString database = dir.filePath(QStringLiteral("corvane.db"));
        QCOMPARE(valueInDatabaseFile(database, QStringLiteral("SELECT count(*) FROM config")), QStringLiteral("8"));
        QCOMPARE(valueInDatabaseFile(database, QStringLiteral("SELECT version FROM version")), QStringLiteral("2.0.0.2"));
        QCOMPARE(valueInDatabaseFile(database, QStringLiteral("SELECT count(*) FROM UserInfo")), QStringLiteral("0"));

        // A backend trace: level, empty location, label, marker, time; then the
        // handler's own time in parentheses, and CR LF.
        const QRegularExpression mainEnd(QStringLiteral(
            "(^|\\n)Debug: File:\\(\\) Line:\\(0\\) main End \\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\S+ "
            "\\(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\S+\\)\\r\\n"));
        QVERIFY2(mainEnd.match(plit.logText()).hasMatch(), qPrintable(plit.logText().left(2000)));

        QCOMPARE(plit.process().state(), QProcess::Running);
        plit.kill(); // SIGKILL: the shared-memory segment stays behind
        QFile::remove(dir.filePath(QStringLiteral("log.txt")));

        PlitProcess next(dir.path());
        next.start();
        QVERIFY2(next.waitUntilUp(), qPrintable(next.output()));

        PlitProcess second(dir.path());
        second.start();
        QVERIFY(second.waitForExit(10000));
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY2(second.output().contains(QStringLiteral("已经有一个PlitApp在运行，即将退出")), qPrintable(second.output()));
        QCOMPARE(next.process().state(), QProcess::Running);
        // The running copy was asked to show its window.
        QTRY_VERIFY2(next.logText().contains(QStringLiteral("a second start: showing the main window")),
                     qPrintable(next.logText().right(2000)));
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
