#include "core/deployment.h"
#include "core/logmessagehandler.h"

#include <QDir>
#include <QFile>
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
    QString m_startDir;

private slots:
    void initTestCase()
    {
        // As start-up names the program: the user's data location depends on it.
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
        QVERIFY(m_home.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
        m_startDir = QDir::currentPath();
    }

    void init()
    {
        qunsetenv("PLIT_DATA_DIR");
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

    void portableCopyKeepsItsDataBesideTheProgram()
    {
        QVERIFY(QFileInfo(QCoreApplication::applicationDirPath()).isWritable());
        QCOMPARE(Deployment::dataDir(), QCoreApplication::applicationDirPath());
        QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("data/QtProject/Gallery/Plit"))));
    }

    void userDataFolderIsMadeInTheApplicationDataLocation()
    {
        const QString expected = m_home.filePath(QStringLiteral("data/QtProject/Gallery/Plit"));
        QCOMPARE(Deployment::userDataDir(), expected);
        QVERIFY(QFileInfo(expected).isDir());
        // A second call finds it there.
        QCOMPARE(Deployment::userDataDir(), expected);
    }

    void logStaysInAWritableWorkingDirectory()
    {
        QTemporaryDir work;
        QTemporaryDir data;
        qputenv("PLIT_DATA_DIR", QFile::encodeName(data.path()));
        QDir::setCurrent(work.path());
        QCOMPARE(Deployment::logFilePath(), QStringLiteral("log.txt"));

        qInstallMessageHandler(logMessageHandler);
        qDebug("into the working directory");
        QVERIFY(QFile::exists(work.filePath(QStringLiteral("log.txt"))));
        QVERIFY(!QFile::exists(data.filePath(QStringLiteral("log.txt"))));
    }

    void logMovesToTheDataDirectoryWhenTheWorkingDirectoryIsGone()
    {
        QTemporaryDir data;
        qputenv("PLIT_DATA_DIR", QFile::encodeName(data.path()));
        {
            QTemporaryDir work;
            QDir::setCurrent(work.path());
        } // removed under our feet: nothing can be written there any more

        QCOMPARE(Deployment::logFilePath(), data.filePath(QStringLiteral("log.txt")));
        qInstallMessageHandler(logMessageHandler);
        qDebug("kept all the same");
        QFile log(data.filePath(QStringLiteral("log.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains(" kept all the same ("));
    }

    void aboutTextsComeFromTheEnvironmentOrTheBuild()
    {
        qunsetenv("PLIT_SERVICE_HOTLINE");
        qunsetenv("PLIT_COPYRIGHT");
        QCOMPARE(Deployment::serviceHotline(), QStringLiteral(PLIT_DEFAULT_SERVICE_HOTLINE));
        QCOMPARE(Deployment::copyrightLine(), QStringLiteral(PLIT_DEFAULT_COPYRIGHT));

        qputenv("PLIT_SERVICE_HOTLINE", "021-5555 0101");
        qputenv("PLIT_COPYRIGHT", QStringLiteral("© 2026 某某科技").toUtf8());
        QCOMPARE(Deployment::serviceHotline(), QStringLiteral("021-5555 0101"));
        QCOMPARE(Deployment::copyrightLine(), QStringLiteral("© 2026 某某科技"));
        qunsetenv("PLIT_SERVICE_HOTLINE");
        qunsetenv("PLIT_COPYRIGHT");
    }
};

QTEST_GUILESS_MAIN(DeploymentTest)
#include "tst_deployment.moc"
