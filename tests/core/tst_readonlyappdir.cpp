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
    QTemporaryDir m_home;
    QString userFolder() const { return m_home.filePath(QStringLiteral("data/QtProject/Gallery/Plit")); }

private slots:
    void initTestCase()
    {
        const QString appDir = QCoreApplication::applicationDirPath();
        QVERIFY2(!QFileInfo(appDir).isWritable(), "not started through run-read-only");
        QCOMPARE(QDir::currentPath(), appDir);
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
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

        for (const QString name : {"corvane.db", "System.ini", "log.txt"}) {
            QVERIFY2(QFileInfo(userFolder() + '/' + name).size() > 0, qPrintable(name));
            QVERIFY2(!QFileInfo::exists(QCoreApplication::applicationDirPath() + '/' + name), qPrintable(name));
        }
        QVERIFY(ConfigFunction().keyExist(QStringLiteral("DownloadPath")));
        // "恢复默认目录" offers this folder, not the read-only /usr/bin.
        QCOMPARE(SystemFunction().getExePath(), userFolder());

        // A desktop menu starts programs in the home folder: an installed copy
        // must not leave its log there.
        QTemporaryDir home;
        QVERIFY(QDir::setCurrent(home.path()));
        const QString log = Deployment::logFilePath();
        QDir::setCurrent(QCoreApplication::applicationDirPath());
        QCOMPARE(log, userFolder() + QStringLiteral("/log.txt"));

        // A data directory named in the environment still wins.
        TestDataDir dir;
        QCOMPARE(Deployment::dataDir(), dir.path());
    }
};

QTEST_GUILESS_MAIN(ReadOnlyAppDirTest)
#include "tst_readonlyappdir.moc"
