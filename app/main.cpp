#include "app/startup.h"
#include "core/deployment.h"
#include "core/logmessagehandler.h"
#include "core/programnames.h"
#include "core/singleinstance.h"
#include "core/trace.h"
#include "core/unixsignals.h"
#include "desktop/doorbell.h"
#include "desktop/platformchoice.h"
#include "desktop/scenegraphbackend.h"
#include "desktop/windowraiser.h"

#include <QApplication>
#include <QQuickWindow>
#include <QLoggingCategory>
#include <QQmlApplicationEngine>
#include <QSharedMemory>
#include <QtWebEngine>

int main(int argc, char *argv[])
{
    PrepareProcess();
    const QString label = QStringLiteral("main");
    Trace::begin(label);

    QSharedMemory unimem(QStringLiteral("PlitApp"));
    SingleCase(unimem, &WindowRaiser::completeStartup);

    // What the desktop calls the program; the names also decide where its
    // files are kept, moved there once from an earlier version's folders.
    ProgramNames::apply();
    ProgramNames::moveFormerFiles();
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0.2"));
    QGuiApplication::setDesktopFileName(QStringLiteral(PLIT_APP_ID));

    // On a screen scaled by 1.5 or 2 the interface is drawn at that scale,
    // with the pictures rendered at twice their size ("@2x"), not enlarged.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);

    // Qt 5.15 wants the web engine set up before the application object exists.
    QtWebEngine::initialize();
    // This start's startup-notification id, read before Qt's X11 platform
    // takes it out of the environment.
    const QByteArray launch = Deployment::startupId();
    PlatformChoice platform;
    QApplication app(argc, argv);
    // The program goes on in the tray with no window shown; only the
    // interface ends it ("退出" in the tray menu or the close dialog).
    app.setQuitOnLastWindowClosed(false);
    quitOnTerminationSignals();

    RegisterTypeToQml();
    // Qt's scene-graph diagnostics stay off: every window wrote its set-up
    // into the log, for nothing a user could act on.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.scenegraph.general=false"));
    qSetMessagePattern(QStringLiteral("%{category}: %{message}"));
#ifdef Q_OS_WIN
    // The renderer runs inside the program's own process there. Not on
    // Linux: Qt WebEngine 5.15 in one process here never finishes loading
    // a page, so the renderer keeps its own process.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--single-process");
#endif

    QQmlApplicationEngine engine;
    RegisterEngine(engine);

    qInstallMessageHandler(logMessageHandler);
    platform.settle();
    qDebug().noquote() << QStringLiteral("the interface's renderer: ")
            + SceneGraphBackend::choose(Deployment::renderer());

    const QUrl url(QStringLiteral("qrc:/main.qml"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, &app,
        [url](QObject *obj, const QUrl &objUrl) {
            if (!obj && url == objUrl)
                QCoreApplication::exit(-1);
        },
        Qt::QueuedConnection);
    engine.load(url);
    // With the main window shown the launch is complete: Qt's X11 platform
    // says so as the window maps, its Wayland platform does not.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        WindowRaiser::completeStartup(launch);
    // The updater replaces the program's files and starts it again.
    CheckForUpdateBesideTheWindow(launch);

    // A second start rings here: the main window comes back in front, from
    // the tray or from under other windows.
    Doorbell doorbell(engine);

    Trace::end(label);
    return app.exec();
}
