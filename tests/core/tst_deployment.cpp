#include "core/deployment.h"
#include "core/logmessagehandler.h"
#include "core/programnames.h"

#include <QDir>
#include <QSettings>
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

    // X11 under XWayland wherever there is an X display, unless the user
    // chose; the reason goes to the log.
    void windowPlatformPrefersXWayland_data()
    {
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("because");
        QTest::newRow("x11 session") << QByteArray() << QByteArray() << QByteArray("x11") << QByteArray(":0") << QString() << "no Wayland";
        QTest::newRow("wayland with XWayland") << QByteArray() << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray(":1") << "xcb" << "XWayland (DISPLAY=:1)";
        QTest::newRow("only the session type says wayland") << QByteArray() << QByteArray() << QByteArray("Wayland") << QByteArray(":1") << "xcb" << "XWayland";
        QTest::newRow("compositor socket, no session type") << QByteArray() << QByteArray("wayland-1") << QByteArray() << QByteArray(":2") << "xcb" << "XWayland";
        QTest::newRow("wayland without XWayland") << QByteArray() << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray() << QString() << "without XWayland";
        QTest::newRow("the user chose wayland") << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray(":1") << QString() << "QT_QPA_PLATFORM=wayland";
    }

    void windowPlatformPrefersXWayland()
    {
        QFETCH(QByteArray, chosen);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, display);
        const QList<QPair<const char *, QByteArray>> environment{
            {"QT_QPA_PLATFORM", chosen}, {"WAYLAND_DISPLAY", waylandDisplay},
            {"XDG_SESSION_TYPE", sessionType}, {"DISPLAY", display}};
        QList<QPair<const char *, QByteArray>> before;
        const auto set = [](const char *name, const QByteArray &value) { value.isEmpty() ? qunsetenv(name) : qputenv(name, value); };
        for (const auto &variable : environment) {
            before.append({variable.first, qgetenv(variable.first)});
            set(variable.first, variable.second);
        }
        QString why;
        const QString platform = Deployment::windowPlatform(&why);
        for (const auto &variable : before)
            set(variable.first, variable.second);
        QTEST(platform, "platform");
        QFETCH(QString, because);
        QVERIFY2(why.contains(because), qPrintable(why));
    }

    // An earlier version's settings file, web profile and caches move once
    // to the present names with what they hold; what exists under the new
    // names already is never written over.
    void formerFilesMoveOnceToThePresentNames()
    {
        QTemporaryDir home;
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
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
        QVERIFY(write(QStringLiteral("config/QtProject/Gallery.conf"), "[form]\nphone=13800000000\n"));
        QVERIFY(write(QStringLiteral("data/QtProject/Gallery/QtWebEngine/Default/Cookies"), "signed in"));
        QVERIFY(write(QStringLiteral("data/QtProject/Gallery/Plit/System.ini"), "[User]\n"));
        QVERIFY(write(QStringLiteral("cache/QtProject/Gallery/QtWebEngine/Default/index"), "cached"));
        // Qt's own settings of every program stay.
        QVERIFY(write(QStringLiteral("config/QtProject.conf"), "qt"));

        ProgramNames::apply();
        QCOMPARE(ProgramNames::moveFormerFiles(), 3);
        QCOMPARE(read(QStringLiteral("config/plit/plit.conf")), QByteArray("[form]\nphone=13800000000\n"));
        QCOMPARE(read(QStringLiteral("data/plit/plit/QtWebEngine/Default/Cookies")), QByteArray("signed in"));
        QCOMPARE(read(QStringLiteral("data/plit/plit/Plit/System.ini")), QByteArray("[User]\n"));
        QCOMPARE(read(QStringLiteral("cache/plit/plit/QtWebEngine/Default/index")), QByteArray("cached"));
        QCOMPARE(read(QStringLiteral("config/QtProject.conf")), QByteArray("qt"));
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("config/QtProject/Gallery.conf"))));
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("data/QtProject/Gallery"))));
        // The settings file Qt opens by default is the moved one.
        QCOMPARE(QFileInfo(QSettings().fileName()), QFileInfo(home.filePath(QStringLiteral("config/plit/plit.conf"))));

        // Nothing more to move; an old copy's files that came back later are
        // left alone, the present ones untouched.
        QCOMPARE(ProgramNames::moveFormerFiles(), 0);
        QVERIFY(write(QStringLiteral("config/QtProject/Gallery.conf"), "older"));
        QVERIFY(write(QStringLiteral("data/QtProject/Gallery/Plit/System.ini"), "older"));
        QCOMPARE(ProgramNames::moveFormerFiles(), 0);
        QCOMPARE(read(QStringLiteral("config/plit/plit.conf")), QByteArray("[form]\nphone=13800000000\n"));
        QCOMPARE(read(QStringLiteral("data/plit/plit/Plit/System.ini")), QByteArray("[User]\n"));
        QCOMPARE(read(QStringLiteral("config/QtProject/Gallery.conf")), QByteArray("older"));

        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
        qputenv("XDG_DATA_HOME", dataHome);
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CACHE_HOME");
    }
};

QTEST_GUILESS_MAIN(DeploymentTest)
#include "tst_deployment.moc"
