#include "core/deployment.h"
#include "core/logmessagehandler.h"
#include "database/datebasefunction.h"
#include "desktop/systemfunction.h"
#include "services/configfunction.h"
#include "testdatadir.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// A copy whose own directory is read-only, as once installed into a system
// directory. ctest starts this program inside a read-only mount of its
// directory and working directory (tests/common/run-read-only).
class ReadOnlyAppDirTest : public QObject
{
    Q_OBJECT

private:
    QString userFolder() const { return m_home.filePath(QStringLiteral("data/QtProject/Gallery/Plit")); }

    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        const QString appDir = QCoreApplication::applicationDirPath();
        QVERIFY2(!QFileInfo(appDir).isWritable(), "not started through run-read-only");
        QCOMPARE(QDir::currentPath(), appDir);

        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
        QVERIFY(m_home.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
        qunsetenv("PLIT_DATA_DIR");
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(nullptr);
        resetDefaultDatabase();
    }

    void databaseSettingsAndLogGoToTheUserDataFolder()
    {
        QVERIFY(!QFileInfo::exists(userFolder()));
        QCOMPARE(Deployment::dataDir(), userFolder());

        DatebaseFunction db;
        db.createSqlite();
        ConfigFunction().saveConfig(QStringLiteral("DownloadPath"), QStringLiteral("/home/用户/下载"));
        qInstallMessageHandler(logMessageHandler);
        qDebug("a line for the log");
        qInstallMessageHandler(nullptr);

        for (const char *name : {"corvane.db", "System.ini", "log.txt"}) {
            QVERIFY2(QFileInfo(userFolder() + QLatin1Char('/') + QLatin1String(name)).size() > 0, name);
            QVERIFY2(!QFileInfo::exists(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name)), name);
        }
        QVERIFY(ConfigFunction().keyExist(QStringLiteral("DownloadPath")));
        // "恢复默认目录" offers this folder, not the read-only /usr/bin.
        QCOMPARE(SystemFunction().getExePath(), userFolder());
    }

    void logStaysWithTheDataWhenStartedFromAWritableFolder()
    {
        // A desktop menu starts programs in the home folder: an installed copy
        // must not leave its log there.
        QTemporaryDir home;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(home.path()));
        const QString log = Deployment::logFilePath();
        QDir::setCurrent(previous);
        QCOMPARE(log, userFolder() + QStringLiteral("/log.txt"));
    }

    void namedDataDirectoryStillWins()
    {
        TestDataDir dir;
        QCOMPARE(Deployment::dataDir(), dir.path());
    }
};

QTEST_GUILESS_MAIN(ReadOnlyAppDirTest)
#include "tst_readonlyappdir.moc"
