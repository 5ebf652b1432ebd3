// Downloads one URL through DownloadControl and prints, as its last line,
// the bytes, the seconds, the throughput and the peak resident memory.
//
//   download_bench URL SEGMENTS FILE

#include "download/downloadcontrol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: download_bench URL SEGMENTS FILE\n");
        return 2;
    }
    // Trace lines go nowhere: the benchmark measures the download.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    DownloadControl control;
    int result = 1;
    QString failure;
    QObject::connect(&control, &DownloadControl::finished, &app, [&](int index) {
        if (index == 0) {
            result = 0;
            app.quit();
        }
    });
    QObject::connect(&control, &DownloadControl::error, &app, [&](int index, const QString &text) {
        failure = QStringLiteral("segment %1: %2").arg(index).arg(text);
        app.quit();
    });

    QElapsedTimer clock;
    clock.start();
    if (!control.downloadFile(args.at(1), args.at(3), args.at(2).toInt())) {
        std::fprintf(stderr, "start failed: %s\n", qPrintable(control.errorString()));
        return 1;
    }
    if (control.state() != DownloadControl::Finished)
        app.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (result != 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(failure));
        return 1;
    }
    const qint64 bytes = QFileInfo(args.at(3)).size();
    std::printf("bytes %lld seconds %.3f MB/s %.1f peak_rss_KiB %lld\n", static_cast<long long>(bytes),
                seconds, bytes / seconds / 1e6, static_cast<long long>(peakResidentKiB()));
    return 0;
}
