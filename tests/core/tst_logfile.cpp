#include "core/logmessagehandler.h"
#include "testdatadir.h"

#include <QDir>
#include <QFile>
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
        QFile file(m_dir->filePath(QStringLiteral("log.txt")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromLocal8Bit(file.readAll());
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

    void backendMessageHasEmptyLocationAndTime()
    {
        qDebug().noquote() << "abc";
        const QStringList written = lines();
        QCOMPARE(written.size(), 1);
        const QRegularExpression shape(QStringLiteral(
            "^Debug: File:\\(\\) Line:\\(0\\) abc \\(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\S+\\)$"));
        QVERIFY2(shape.match(written.first()).hasMatch(), qPrintable(written.first()));
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd"));
        QVERIFY(written.first().contains(QLatin1Char('(') + stamp));
    }

    void levelWordsFollowMessageType()
    {
        qWarning("w");
        qCritical("c");
        qInfo("i");
        const QStringList written = lines();
        QCOMPARE(written.size(), 3);
        QVERIFY(written.at(0).startsWith(QLatin1String("Warning: File:() Line:(0) w (")));
        QVERIFY(written.at(1).startsWith(QLatin1String("Critical: File:() Line:(0) c (")));
        QVERIFY(written.at(2).startsWith(QLatin1String("Info: File:() Line:(0) i (")));
        // A fatal message would end this process; its line is built the same way.
        QVERIFY(formatLogLine(QtFatalMsg, nullptr, 0, QStringLiteral("f"))
                    .startsWith(QLatin1String("Fatal: File:() Line:(0) f (")));
    }

    void placeMarkersInTheMessageStayVerbatim()
    {
        qDebug().noquote() << "value %1 and %2 %3%";
        const QStringList written = lines();
        QCOMPARE(written.size(), 1);
        QVERIFY2(written.first().startsWith(QLatin1String("Debug: File:() Line:(0) value %1 and %2 %3% (")),
                 qPrintable(written.first()));
        QVERIFY(written.first().endsWith(QLatin1Char(')')));
    }

    void qmlMessageCarriesItsLocation()
    {
        QMessageLogContext context("qrc:/main.qml", 42, "", "qml");
        logMessageHandler(QtDebugMsg, context, QStringLiteral("hello"));
        QVERIFY(lines().value(0).startsWith(QLatin1String("Debug: File:(qrc:/main.qml) Line:(42) hello (")));
    }

    void deletedFileIsCreatedAgain()
    {
        qDebug("one");
        QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("log.txt"))));
        qDebug("two");
        const QStringList written = lines();
        QCOMPARE(written.size(), 1);
        QVERIFY(written.first().contains(QLatin1String(" two (")));
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
        QVERIFY(first->wait(30000));
        QVERIFY(second->wait(30000));

        const QStringList written = lines();
        QCOMPARE(written.size(), 2 * perThread);
        int as = 0;
        for (const QString &line : written) {
            const bool isA = line.contains(a);
            QVERIFY2(isA != line.contains(b), qPrintable(line));
            QVERIFY(line.startsWith(QLatin1String("Debug: File:() Line:(0) ")));
            as += isA;
        }
        QCOMPARE(as, perThread);
    }

    void fileExistLeavesATraceLine()
    {
        const QString missing = m_dir->filePath(QStringLiteral("nothing-here"));
        QVERIFY(!fileExist(missing));
        QVERIFY(fileExist(m_dir->path()));
        const QStringList written = lines();
        QCOMPARE(written.size(), 2);
        QVERIFY(written.at(0).contains(QLatin1String(" file ") + missing + QLatin1String(" no exist (")));
        QVERIFY(written.at(1).contains(QLatin1String(" file ") + m_dir->path() + QLatin1String(" exist (")));
    }

    void makeDirIfMissingMakesOneLevel()
    {
        const QString one = m_dir->filePath(QStringLiteral("temp"));
        QVERIFY(makeDirIfMissing(one));
        QVERIFY(QFileInfo(one).isDir());
        QVERIFY(makeDirIfMissing(one));
        QVERIFY(!makeDirIfMissing(m_dir->filePath(QStringLiteral("a/b/c"))));
        // Relative to the working directory, which is m_dir here.
        QVERIFY(makeDirIfMissing(QStringLiteral("relative")));
        QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("relative"))).isDir());
        QVERIFY(makeDirIfMissing(QStringLiteral("temp/inner")));
        QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("temp/inner"))).isDir());
        QVERIFY(lines().isEmpty());
    }
};

QTEST_GUILESS_MAIN(LogFileTest)
#include "tst_logfile.moc"
