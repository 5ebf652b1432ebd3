// A small program around one QML document with a tray: it loads the
// document, chooses the tray menu's "退出" and returns what the event loop
// returns, so a test can see how the program ends.
#include "app/startup.h"

#include <QAction>
#include <QApplication>
#include <QQmlApplicationEngine>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    RegisterTypeToQml();
    QQmlApplicationEngine engine;
    engine.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    if (engine.rootObjects().isEmpty())
        return 3;
    QAction *exitAction = nullptr;
    for (QAction *action : engine.rootObjects().first()->findChildren<QAction *>())
        if (action->text() == QStringLiteral("退出"))
            exitAction = action;
    if (!exitAction)
        return 4;
    QTimer::singleShot(0, exitAction, &QAction::trigger);
    QTimer::singleShot(10000, [] { QCoreApplication::exit(5); });
    return app.exec();
}
