#include "core/deployment.h"
#include "core/logmessagehandler.h"
#include "core/programnames.h"

#include <QtTest>
#include <array>

// Where a copy that may write beside itself keeps its data and its log; the copy installed into a read-only
// directory is tested by tst_readonlyappdir and tst_installedplit.
class DeploymentTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QString m_startDir = QDir::currentPath();

private slots:
    void initTestCase() { cleanup(); }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        QDir::setCurrent(m_startDir);
        // As start-up names the program: the user's data location depends on it.
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
        for (const char *name : {"PLIT_DATA_DIR", "PLIT_SERVICE_HOTLINE", "PLIT_COPYRIGHT", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
            qunsetenv(name);
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

    // A portable copy keeps its data beside the program; the user's data folder is made only when asked for.
    void portableCopyKeepsItsDataBesideTheProgram()
    {
        const QString userFolder = m_home.filePath(QStringLiteral("data/QtProject/Gallery/Plit"));
        QCOMPARE(Deployment::dataDir(), QCoreApplication::applicationDirPath());
        QVERIFY(!QFileInfo::exists(userFolder));
        QCOMPARE(Deployment::userDataDir(), userFolder);
        QVERIFY(QFileInfo(userFolder).isDir());
    }

    // log.txt goes to the working directory, and to the data directory once the working directory is gone.
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
    }

    // X11 under XWayland wherever there is an X display, unless the user chose; the reason goes to the log.
    void windowPlatformPrefersXWayland_data()
    {
        // QT_QPA_PLATFORM, WAYLAND_DISPLAY, XDG_SESSION_TYPE and DISPLAY; empty is unset.
        QTest::addColumn<QByteArrayList>("environment");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("because");
        QTest::newRow("x11 session") << QByteArrayList{"", "", "x11", ":0"} << QString() << "no Wayland";
        QTest::newRow("wayland with XWayland") << QByteArrayList{"", "wayland-0", "wayland", ":1"} << "xcb" << "XWayland (DISPLAY=:1)";
        QTest::newRow("only the session type says wayland") << QByteArrayList{"", "", "Wayland", ":1"} << "xcb" << "XWayland";
        QTest::newRow("compositor socket, no session type") << QByteArrayList{"", "wayland-1", "", ":2"} << "xcb" << "XWayland";
        QTest::newRow("wayland without XWayland") << QByteArrayList{"", "wayland-0", "wayland", ""} << QString() << "without XWayland";
        QTest::newRow("the user chose wayland") << QByteArrayList{"wayland", "wayland-0", "wayland", ":1"} << QString() << "QT_QPA_PLATFORM=wayland";
    }

    void windowPlatformPrefersXWayland()
    {
        QFETCH(QByteArrayList, environment);
        const char *const names[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY"};
        const auto set = [](const char *name, const QByteArray &value) { value.isEmpty() ? qunsetenv(name) : qputenv(name, value); };
        QByteArrayList before;
        for (int i = 0; i < 4; ++i)
            before << qgetenv(names[i]), set(names[i], environment[i]);
        QString why;
        const QString platform = Deployment::windowPlatform(&why);
        for (int i = 0; i < 4; ++i)
            set(names[i], before[i]);
        QTEST(platform, "platform");
        QFETCH(QString, because);
        QVERIFY2(why.contains(because), qPrintable(why));
    }

    // An earlier version's settings file, web profile and caches move once to the present names with what they
    // hold; what exists under the new names already is never written over.
    void formerFilesMoveOnceToThePresentNames()
    {
        QTemporaryDir home;
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(name, QFile::encodeName(home.filePath(QString::fromLatin1(name).section(QLatin1Char('_'), 1, 1).toLower())));
        const auto write = [&](const QString &name, const QByteArray &content) {
            QDir().mkpath(QFileInfo(home.filePath(name)).absolutePath());
            QFile file(home.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
        };
        const auto read = [&](const QString &name) {
            QFile file(home.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
        };
        // Former name, present name, what it holds; Qt's own settings of every program stay.
        const std::array<std::array<const char *, 3>, 5> files{{
            {"config/QtProject/Gallery.conf", "config/plit/plit.conf", "[form]\nphone=13800000000\n"},
            {"data/QtProject/Gallery/Plit/System.ini", "data/plit/plit/Plit/System.ini", "[User]\n"},
            {"data/QtProject/Gallery/QtWebEngine/Default/Cookies", "data/plit/plit/QtWebEngine/Default/Cookies", "signed in"},
            {"cache/QtProject/Gallery/QtWebEngine/Default/index", "cache/plit/plit/QtWebEngine/Default/index", "cached"},
            {"config/QtProject.conf", "config/QtProject.conf", "qt"}}};
        for (const auto &file : files)
            QVERIFY(write(file[0], file[2]));

        ProgramNames::apply();
        QCOMPARE(ProgramNames::moveFormerFiles(), 3);
        for (const auto &file : files)
            QCOMPARE(read(file[1]), QByteArray(file[2]));
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("config/QtProject/Gallery.conf"))));
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("data/QtProject/Gallery"))));
        // The settings file Qt opens by default is the moved one.
        QCOMPARE(QFileInfo(QSettings().fileName()), QFileInfo(home.filePath(QStringLiteral("config/plit/plit.conf"))));

        // Nothing more to move; an old copy's files that came back later are left alone, the present ones untouched.
        QCOMPARE(ProgramNames::moveFormerFiles(), 0);
        QVERIFY(write(files[0][0], "older") && write(files[1][0], "older"));
        QCOMPARE(ProgramNames::moveFormerFiles(), 0);
        for (const auto &file : {files[0], files[1]})
            QCOMPARE(read(file[0]) + '|' + read(file[1]), "older|" + QByteArray(file[2]));
    }
};

QTEST_GUILESS_MAIN(DeploymentTest)
#include "tst_deployment.moc"
