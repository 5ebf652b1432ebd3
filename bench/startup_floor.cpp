// The floor of Plit's start-up: what this stack costs before any of Plit's
// own work. It initialises the web engine, makes the same widgets
// application and shows one empty, frameless Qt Quick window of the main
// window's size. bench/startup_bench.py measures it beside plit.
#include <QApplication>
#include <QQmlApplicationEngine>
#include <QtWebEngine>

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
    QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
    QtWebEngine::initialize();
    QApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData("import QtQuick 2.15\n"
                    "import QtQuick.Window 2.15\n"
                    "Window { title: \"floor\"; width: 1020; height: 610; visible: true;"
                    " color: \"transparent\"; flags: Qt.FramelessWindowHint | Qt.WindowMinimizeButtonHint }\n");
    return app.exec();
}
