// Time and peak memory of the program's readers on crafted input, through
// the code the program runs:
//
//   badinput_bench icon FILE      a program's icon as detection takes it at
//                                 start (IconExtractFunction::offerIcons)
//   badinput_bench json COUNT     COUNT replies of 7 MB whose 600 000 keys
//                                 repeat, each through JsonReply::parse
//
// Images go through the image provider: see remoteimage_bench.

#include "bench/procstatus.h"
#include "core/jsonreply.h"
#include "desktop/iconextractfunction.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: badinput_bench icon FILE | json COUNT\n");
        return 2;
    }
    QByteArray reply;
    if (args.at(1) == QLatin1String("json")) {
        // Below the 8 MiB reply bound; every value an object, which the parser
        // would lose on each repeat.
        reply = "{";
        for (int i = 0; i < 600000; ++i)
            reply += "\"a\":{\"b\":1},";
        reply += "\"z\":0}";
    }
    const long before = statusKiB("VmRSS");
    QElapsedTimer clock;
    clock.start();
    if (args.at(1) == QLatin1String("icon")) {
        int offered = IconExtractFunction::offerIcons(args.at(2), [](const QImage &icon) {
            std::printf("icon: %d x %d\n", icon.width(), icon.height());
            return !icon.isNull();
        });
        std::printf("groups offered: %d\n", offered);
    } else {
        for (int i = 0; i < args.at(2).toInt(); ++i)
            JsonReply::parse(reply);
        std::printf("%d replies of %d bytes\n", args.at(2).toInt(), reply.size());
    }
    std::printf("time: %lld ms, resident before: %ld KiB, after: %ld KiB, peak growth: %ld KiB\n",
                clock.elapsed(), before, statusKiB("VmRSS"), statusKiB("VmHWM") - before);
    return 0;
}
