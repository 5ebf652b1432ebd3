#include "core/logmessagehandler.h"
#include "testdatadir.h"

#include <QRegularExpression>
#include <QThread>
#include <QtTest>

// The log file: one line per message in a fixed format, each handed to the
// system at once, safe from several threads.
class LogFileTest : public QObject
{
    Q_OBJECT

private:
    // The working directory of each test, where log.txt goes.
    QScopedPointer<TestDataDir> m_dir;

    QStringList lines() const
    {
        const QString text = QString::fromLocal8Bit(m_dir->read(QStringLiteral("log.txt")));
        if (!text.endsWith(QLatin1String("\r\n")))
            return {QStringLiteral("<no CR LF at the end>")};
        QStringList result = text.split(QStringLiteral("\r\n"));
        result.removeLast();
        return result;
    }

private slots:
    void init()
    {
        m_dir.reset(new TestDataDir);
        QVERIFY(m_dir->isValid());
        m_dir->makeCurrent();
        qInstallMessageHandler(logMessageHandler);
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        m_dir.reset();
    }

    // Level, location (empty for the backend, whose builds carry none), the
    // message as written, and the time.
    void lineHasTheFixedShape_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("start");
        QTest::newRow("debug") << int(QtDebugMsg) << QByteArray() << 0 << "Debug: File:() Line:(0) abc";
        QTest::newRow("warning") << int(QtWarningMsg) << QByteArray() << 0 << "Warning: File:() Line:(0) w";
        QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray() << 0 << "Critical: File:() Line:(0) c";
        QTest::newRow("info") << int(QtInfoMsg) << QByteArray() << 0 << "Info: File:() Line:(0) i";
        QTest::newRow("QML") << int(QtDebugMsg) << QByteArray("qrc:/main.qml") << 42 << "Debug: File:(qrc:/main.qml) Line:(42) hi";
        QTest::newRow("place markers stay verbatim") << int(QtDebugMsg) << QByteArray() << 0 << "Debug: File:() Line:(0) %1 and %2 %3%";
    }

    void lineHasTheFixedShape()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, file);
        QFETCH(int, line);
        QFETCH(QString, start);
        const QMessageLogContext context(file.isEmpty() ? nullptr : file.constData(), line, nullptr, nullptr);
        logMessageHandler(QtMsgType(type), context, start.mid(start.indexOf(QLatin1String(") "), start.indexOf("Line:")) + 2));
        const QStringList written = lines();
        QCOMPARE(written.size(), 1);
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd"));
        const QRegularExpression shape(QRegularExpression::escape(start + QStringLiteral(" (") + stamp)
                                       + QStringLiteral(" \\d\\d:\\d\\d:\\d\\d \\S+\\)$"));
        QVERIFY2(shape.match(written.first()).hasMatch(), qPrintable(written.first()));
        // A fatal message would end this process; its line is built the same way.
        QVERIFY(formatLogLine(QtFatalMsg, nullptr, 0, QStringLiteral("f")).startsWith(QLatin1String("Fatal: File:() Line:(0) f (")));
    }

    void deletedFileIsCreatedAgain()
    {
        qDebug("one");
        QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("log.txt"))));
        qDebug("two");
        QCOMPARE(lines().size(), 1);
        QVERIFY(lines().first().contains(QLatin1String(" two (")));
        // Moved away, as a person keeps an old log: the next line starts a new one.
        QVERIFY(QFile::rename(m_dir->filePath(QStringLiteral("log.txt")), m_dir->filePath(QStringLiteral("old.txt"))));
        qDebug("three");
        QCOMPARE(lines().size(), 1);
        QVERIFY(lines().first().contains(QLatin1String(" three (")));
    }

    void twoThreadsNeverInterleaveWithinALine()
    {
        constexpr int perThread = 300;
        const QString a(200, QLatin1Char('a'));
        const QString b(200, QLatin1Char('b'));
        auto writer = [](const QString &text) {
            return QThread::create([text] {
                for (int i = 0; i < perThread; ++i)
                    qDebug().noquote() << text;
            });
        };
        QScopedPointer<QThread> first(writer(a));
        QScopedPointer<QThread> second(writer(b));
        first->start();
        second->start();
        QVERIFY(first->wait(30000) && second->wait(30000));

        const QStringList written = lines();
        QCOMPARE(written.size(), 2 * perThread);
        QCOMPARE(written.filter(QRegularExpression(QStringLiteral("^Debug: File:\\(\\) Line:\\(0\\) a{200} \\([^()]*\\)$"))).size(), perThread);
        QCOMPARE(written.filter(QRegularExpression(QStringLiteral("^Debug: File:\\(\\) Line:\\(0\\) b{200} \\([^()]*\\)$"))).size(), perThread);
    }

    void fileExistLeavesATraceLineAndMakeDirMakesOneLevel()
    {
        const QString missing = m_dir->filePath(QStringLiteral("nothing-here"));
        QVERIFY(!fileExist(missing));
        QVERIFY(fileExist(m_dir->path()));
        const QStringList written = lines();
        QCOMPARE(written.size(), 2);
        QVERIFY(written.at(0).contains(QLatin1String(" file ") + missing + QLatin1String(" no exist (")));
        QVERIFY(written.at(1).contains(QLatin1String(" file ") + m_dir->path() + QLatin1String(" exist (")));

        // One level at a time, relative to the working directory (m_dir here).
        for (const char *dir : {"temp", "temp", "temp/inner"})
            QVERIFY2(makeDirIfMissing(QLatin1String(dir)), dir);
        QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("temp/inner"))).isDir());
        QVERIFY(!makeDirIfMissing(m_dir->filePath(QStringLiteral("a/b/c"))));
        QCOMPARE(lines().size(), 2);
    }
};

QTEST_GUILESS_MAIN(LogFileTest)
#include "tst_logfile.moc"

