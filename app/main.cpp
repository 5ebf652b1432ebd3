#include "core/logmessagehandler.h"
#include "core/singleinstance.h"
#include "app/startup.h"
#include "core/trace.h"
#include "core/unixsignals.h"
#include "core/versionupdate.h"

#include <QApplication>
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

    const QUrl url(QStringLiteral("qrc:/main.qml"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, &app,
        [url](QObject *obj, const QUrl &objUrl) {
            if (!obj && url == objUrl)
                QCoreApplication::exit(-1);
        },
        Qt::QueuedConnection);
    engine.load(url);

    Trace::end(label);
    return app.exec();
}
