// A downloader in a process of its own, for the tests that kill one mid-way:
//   download_helper URL SEGMENTS FILE
// Prints "error <index> <text>" for every error and "finished" at the end;
// an error does not end it, so that a test can kill it where it stands.

#include "download/downloadcontrol.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    DownloadControl control;
    QObject::connect(&control, &DownloadControl::error, [](int index, const QString &text) {
        std::printf("error %d %s\n", index, qPrintable(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
        std::fflush(stdout);
    });
    QObject::connect(&control, &DownloadControl::finished, &app, [&app](int index) {
        if (index == 0) {
            std::printf("finished\n");
            std::fflush(stdout);
            app.quit();
        }
    });
    if (!control.downloadFile(args.at(1), args.at(3), args.at(2).toInt()))
        return 1;
    return control.state() == DownloadControl::Finished ? 0 : app.exec();
}
