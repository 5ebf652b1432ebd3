#include "core/deployment.h"
#include "core/logmessagehandler.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// Where a copy that may write beside itself keeps its data and its log; the
// copy installed into a read-only directory is tested by tst_readonlyappdir
// and tst_installedplit.
class DeploymentTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QString m_startDir = QDir::currentPath();

private slots:
    void initTestCase()
    {
        // As start-up names the program: the user's data location depends on it.
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        QDir::setCurrent(m_startDir);
        qunsetenv("PLIT_DATA_DIR");
    }

    void dataDirectoryIsTheOneNamedInTheEnvironment()
    {
        QTemporaryDir dir;
        qputenv("PLIT_DATA_DIR", QFile::encodeName(dir.path() + QStringLiteral("/data/")));
        QCOMPARE(Deployment::dataDir(), dir.path() + QStringLiteral("/data"));
        QCOMPARE(Deployment::dataPath(QStringLiteral("System.ini")), dir.path() + QStringLiteral("/data/System.ini"));
        // A relative name is taken from the working directory at start.
        QDir::setCurrent(dir.path());
        qputenv("PLIT_DATA_DIR", "here/../there");
        QCOMPARE(Deployment::dataDir(), QDir::currentPath() + QStringLiteral("/there"));
    }

    // A portable copy keeps its data beside the program; the user's data
    // folder is made only when asked for.
    void portableCopyKeepsItsDataBesideTheProgram()
    {
        const QString userFolder = m_home.filePath(QStringLiteral("data/QtProject/Gallery/Plit"));
        QCOMPARE(Deployment::dataDir(), QCoreApplication::applicationDirPath());
        QVERIFY(!QFileInfo::exists(userFolder));
        QCOMPARE(Deployment::userDataDir(), userFolder);
        QVERIFY(QFileInfo(userFolder).isDir());
    }

    // log.txt goes to the working directory, and to the data directory once
    // the working directory is gone.
    void logGoesToAWritableWorkingDirectory()
    {
        QTemporaryDir data;
        qputenv("PLIT_DATA_DIR", QFile::encodeName(data.path()));
        QScopedPointer<QTemporaryDir> work(new QTemporaryDir);
        QDir::setCurrent(work->path());
        QCOMPARE(Deployment::logFilePath(), QStringLiteral("log.txt"));
        qInstallMessageHandler(logMessageHandler);
        qDebug("into the working directory");
        QVERIFY(QFile::exists(work->filePath(QStringLiteral("log.txt"))));
        work.reset();
        QCOMPARE(Deployment::logFilePath(), data.filePath(QStringLiteral("log.txt")));
        qDebug("kept all the same");
        QFile log(data.filePath(QStringLiteral("log.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("Debug: "), 1);
    }

    // The build's defaults show in the about dialog's journey.
    void aboutTextsComeFromTheEnvironment()
    {
        qputenv("PLIT_SERVICE_HOTLINE", "021-5555 0101");
        qputenv("PLIT_COPYRIGHT", QStringLiteral("© 2026 某某科技").toUtf8());
        QCOMPARE(Deployment::serviceHotline() + Deployment::copyrightLine(), QStringLiteral("021-5555 0101© 2026 某某科技"));
        qunsetenv("PLIT_SERVICE_HOTLINE");
        qunsetenv("PLIT_COPYRIGHT");
    }
};

QTEST_GUILESS_MAIN(DeploymentTest)
#include "tst_deployment.moc"
