// Times one detection of the installed programs against crafted sources:
// a Wine prefix whose system.reg is about 100 MB (a million uninstall
// entries of no interest, a key line of 20 MB, binary noise) with the
// wanted entries at its end, and 10,000 desktop entries of which the last
// one names the print helper. Prints the median of five rounds of each part
// and of the whole detection, cold files aside (the first round reads them
// into the page cache and is not counted).
//
//   detection_bench [MEGABYTES [ENTRIES]]     (default: 100 10000)

#include "services/desktopentries.h"
#include "services/installedprograms.h"
#include "services/wineregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

const QByteArray kUninstall = "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\";

QString asItStands(const QString &text)
{
    return text;
}

void writeRegistry(const QString &path, qint64 megabytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n");
    const qint64 target = megabytes << 20;
    // One absurd line, some noise, then many entries of no interest.
    file.write("[" + QByteArray(20 << 20, 'k') + "\n");
    QByteArray noise(4 << 20, 0);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    file.write(noise);
    file.write("\n");
    for (int i = 0; file.size() < target; ++i) {
        file.write("[" + kUninstall + "Other" + QByteArray::number(i) + "] 1700000000\n#time=1d9\n"
                   "\"DisplayName\"=\"Other program\"\n\"DisplayIcon\"=\"C:\\\\Other\\\\other.exe\"\n"
                   "\"UninstallString\"=\"C:\\\\Other\\\\unins000.exe\"\n\n");
    }
    file.write("[" + kUninstall + "\\x5f00\\x7968\\x8f6f\\x4ef6] 1700000000\n"
               "\"DisplayIcon\"=\"C:\\\\kp.exe\"\n");
}

void writeEntries(const QString &dir, int count, const QString &helper)
{
    QDir().mkpath(dir);
    for (int i = 0; i < count; ++i) {
        QFile file(QStringLiteral("%1/app%2.desktop").arg(dir).arg(i));
        file.open(QIODevice::WriteOnly);
        const bool last = i == count - 1;
        file.write("[Desktop Entry]\nType=Application\nName=Application " + QByteArray::number(i)
                   + "\nName[zh_CN]=" + (last ? QByteArray("打印助手") : QByteArray("应用") + QByteArray::number(i))
                   + "\nComment=Something one uses\nExec=" + (last ? helper.toUtf8() : QByteArray("/usr/bin/true"))
                   + " %U\nIcon=app\nCategories=Office;\n\n[Desktop Action New]\nName=New\nExec=x\n");
    }
}

double cpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The medians of the wall-clock time and of the processor time this
// process spent (on a shared machine the first waits for the others).
struct Times
{
    double wall;
    double cpu;
};

Times median(const std::function<void()> &run)
{
    run(); // page cache
    QVector<double> walls;
    QVector<double> cpus;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        run();
        cpus << cpuMs() - cpu;
        walls << timer.nsecsElapsed() / 1e6;
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[2], cpus[2]};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const int entries = argc > 2 ? QByteArray(argv[2]).toInt() : 10000;
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(home.filePath("system")));
    qputenv("PLIT_DATA_DIR", QFile::encodeName(home.filePath("plit")));
    qunsetenv("WINEPREFIX");
    qunsetenv("PLIT_WINE_PREFIXES");

    const QString prefix = home.filePath(".wine");
    QDir().mkpath(prefix + "/drive_c");
    QDir().mkpath(prefix + "/dosdevices");
    QFile::link("../drive_c", prefix + "/dosdevices/c:");
    QFile exe(prefix + "/drive_c/kp.exe");
    exe.open(QIODevice::WriteOnly);
    exe.write("MZ");
    exe.close();
    writeRegistry(prefix + "/system.reg", megabytes);
    writeEntries(home.filePath("data/applications"), entries, QStringLiteral("/bin/true"));

    const QStringList subkeys = {QStringLiteral("开票软件"), QStringLiteral("Vanta打印助手升级版")};
    const Times registry = median([&] {
        WineRegistry::uninstallEntries(prefix + "/system.reg", subkeys, {QStringLiteral("DisplayIcon")});
    });
    const Times desktop = median([&] { DesktopEntries::find({QStringLiteral("打印助手")}); });
    const QVector<InstalledPrograms::Probe> probes = {
        {QStringLiteral("开票软件"), QStringLiteral("DisplayIcon"), QStringLiteral("开票软件"), asItStands},
        {QStringLiteral("Vanta打印助手升级版"), QStringLiteral("DisplayIcon"), QStringLiteral("打印助手"), asItStands},
    };
    bool found = false;
    const Times whole = median([&] {
        const QVector<InstalledPrograms::Found> result = InstalledPrograms::detect(probes);
        found = !result[0].path.isEmpty() && !result[1].path.isEmpty();
    });
    std::printf("system.reg of %lld MB: %.1f ms (processor %.1f ms)\n"
                "%d desktop entries: %.1f ms (processor %.1f ms)\n"
                "whole detection (both, plus uninstall.ini and user.reg): %.1f ms (processor %.1f ms), "
                "both programs %s\n",
                QFileInfo(prefix + "/system.reg").size() >> 20, registry.wall, registry.cpu, entries,
                desktop.wall, desktop.cpu, whole.wall, whole.cpu, found ? "found" : "NOT FOUND");
    return found ? 0 : 1;
}
