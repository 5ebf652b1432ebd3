#include "app/startup.h"
#include "core/deployment.h"
#include "core/logmessagehandler.h"
#include "core/singleinstance.h"
#include "core/trace.h"
#include "core/unixsignals.h"
#include "services/versionupdate.h"
#include "desktop/scenegraphbackend.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
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
    SingleCase(unimem);

    QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
    QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0.2"));
    QGuiApplication::setDesktopFileName(QStringLiteral(PLIT_APP_ID));
    // What the desktop calls the program (the tray's title among others);
    // the names above decide where its files are kept.
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Plit云台"));

    // On a screen scaled by 1.5 or 2 the interface is drawn at that scale,
    // with the pictures rendered at twice their size ("@2x"), not enlarged.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);

    // Qt 5.15 wants the web engine set up before the application object exists.
    QtWebEngine::initialize();
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

    // The updater replaces the program's files and starts it again.
    if (GetUpdateFileAndCheckVersion()) {
        Trace::end(label);
        return 0;
    }

    qInstallMessageHandler(logMessageHandler);
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

    // A second start rings here: the main window comes back in front, from
    // the tray or from under other windows.
    QLocalServer doorbell;
    doorbell.setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(instanceSocketPath());
    if (!doorbell.listen(instanceSocketPath()))
        qWarning().noquote() << QStringLiteral("second starts cannot reach this copy: ") + doorbell.errorString();
    QObject::connect(&doorbell, &QLocalServer::newConnection, &app, [&doorbell, &engine] {
        while (QLocalSocket *caller = doorbell.nextPendingConnection()) {
            QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            caller->disconnectFromServer();
        }
        qDebug().noquote() << QStringLiteral("a second start: showing the main window");
        auto *window = engine.rootObjects().isEmpty()
            ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
        if (window) {
            window->showNormal();
            window->raise();
            window->requestActivate();
        }
    });

    Trace::end(label);
    return app.exec();
}
