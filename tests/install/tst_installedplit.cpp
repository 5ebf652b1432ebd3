#include "standinserver.h"

#include <QDirIterator>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kRoot = QStringLiteral(PLIT_INSTALL_ROOT);
const QString kBinDir = kRoot + QStringLiteral("/usr/bin");

QStringList filesUnder(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

// Whether a top-level window with this title and WM_CLASS ("plit" "plit")
// is mapped on the X server.
bool windowShown(const QString &title)
{
    QProcess xwininfo;
    // The title is UTF-8; xwininfo converts it to the locale's code set.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xwininfo.setProcessEnvironment(env);
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    const QString needle = QLatin1Char('"') + title + QStringLiteral("\": (\"plit\" \"plit\")");
    const QStringList lines = xwininfo.waitForFinished(10000) ? QString::fromUtf8(xwininfo.readAll()).split('\n') : QStringList();
    for (const QString &line : lines.filter(needle)) {
        xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), line.trimmed().section(' ', 0, 0)});
        if (xwininfo.waitForFinished(10000) && xwininfo.readAll().contains("Map State: IsViewable"))
            return true;
    }
    return false;
}

} // namespace

// The installed program as a user starts it from the application menu of a
// system-wide installation: no PLIT_DATA_DIR, and neither its own directory
// nor the working directory writable (a read-only mount: directory
// permissions would not stop a test run as root). It keeps its data in the
// user's data folder and shows its window on the X server.
class InstalledPlitTest : public QObject
{
    Q_OBJECT

private slots:
    void startsFromAReadOnlyDirectoryWithItsDataInTheUserFolder()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        if (QProcess::execute(QStringLiteral(PLIT_RUN_READ_ONLY), {home.path(), QStringLiteral("true")}) == 77)
            QSKIP("this system allows no read-only mount of one's own");

        StandInServer server;
        QVERIFY(server.isRunning());
        server.useAsPlatform();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("PLIT_DATA_DIR"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the X server of xvfb-run
        env.insert(QStringLiteral("HOME"), home.path());
        for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
            const QString dir = home.filePath(QLatin1String(name));
            QVERIFY(QDir().mkpath(dir));
            env.insert(QLatin1String(name), dir);
        }
        QFile::setPermissions(env.value(QStringLiteral("XDG_RUNTIME_DIR")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        const QStringList installed = filesUnder(kRoot);
        QProcess plit;
        plit.setProcessEnvironment(env);
        plit.setProcessChannelMode(QProcess::MergedChannels);
        plit.start(QStringLiteral(PLIT_RUN_READ_ONLY), {kBinDir, kBinDir + QStringLiteral("/plit")});
        QVERIFY(plit.waitForStarted());
        QTRY_VERIFY2_WITH_TIMEOUT(windowShown(QStringLiteral("Plit云台")) || plit.state() == QProcess::NotRunning,
                                  "no window", 60000);
        QVERIFY2(plit.state() == QProcess::Running, plit.readAll().constData());

        const QString folder = env.value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/plit/plit/Plit");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(folder + QStringLiteral("/corvane.db"));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("SELECT count(*) FROM config")) && query.next());
            QCOMPARE(query.value(0).toInt(), 8);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        // The window shows while the pages are still being built, and maybe
        // before the first line reaches the log: start-up ends a moment later.
        QFile log(folder + QStringLiteral("/log.txt"));
        QTRY_VERIFY_WITH_TIMEOUT((log.isOpen() || log.open(QIODevice::ReadOnly)) && log.seek(0)
                                     && log.readAll().contains(" main End "),
                                 30000);
        // Its start-up reached the stand-in.
        QVERIFY(!server.requests().isEmpty());

        // SIGTERM ends it in order, and it left nothing in the installed tree.
        plit.terminate();
        QVERIFY(plit.waitForFinished(20000));
        QCOMPARE(plit.exitStatus(), QProcess::NormalExit);
        QCOMPARE(plit.exitCode(), 0);
        QCOMPARE(filesUnder(kRoot), installed);
    }
};

QTEST_GUILESS_MAIN(InstalledPlitTest)
#include "tst_installedplit.moc"
