// What the whole interface costs while it waits, measured in this process
// with the real "qrc:/main.qml" and backend (as PlitInterface builds them)
// against the stand-in platform. Run it on a real display (Xvfb), not
// offscreen: the drawing is part of the cost. bench/cost_report.py runs
// every mode and prints the figures against their goals.
//
//   interface_bench download   a download at 8 MiB/s: CPU-seconds per GiB from
//                              30 % to 90 % and up to 30 %, of the backend
//                              alone (DownloadControl in this process, before
//                              the interface exists), with "下载中心" shown,
//                              and with the window in the tray
//   interface_bench idle       wake-ups a second of this process (voluntary
//                              context switches of all its threads), signed out and
//                              signed in, the main window shown and in the tray
//   interface_bench memory     memory (private, proportional and resident) of
//                              this process and its web engine processes
//                              signed in, with three invoicing windows, 40 s
//                              after closing them, and 40 s after three more
//
// Each mode prints "figure NAME VALUE" lines for the report script.

#include "plitinterface.h"

#include "download/downloadcontrol.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <ctime>
#include <functional>
#include <unistd.h>

namespace {

using P = PlitInterface;

const QString kTitle = QStringLiteral("自然人电子税务局(扣缴端)");
const QString kFile = QStringLiteral("/files/gen/100663296/setup_13.exe");
const qint64 kFileBytes = 100663296;
const int kRate = 8 * 1024 * 1024;
const double kGiB = 1024.0 * 1024.0 * 1024.0;

void figure(const char *name, double value)
{
    std::printf("figure %s %.4f\n", name, value);
    std::fflush(stdout);
}

void fail(const char *what)
{
    std::fprintf(stderr, "interface_bench: %s\n", what);
    std::fflush(stderr);
    _exit(1);
}

// CPU-seconds of this process, every thread, user and system.
double cpuSeconds()
{
    timespec spent{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent);
    return spent.tv_sec + spent.tv_nsec / 1e9;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// CPU ticks of each thread of this process so far, by "id name".
QHash<QString, qint64> threadTicks()
{
    QHash<QString, qint64> ticks;
    for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray stat = readFile(QStringLiteral("/proc/self/task/%1/stat").arg(task));
        const int close = stat.lastIndexOf(')');
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        const QString name = task + QLatin1Char(' ') + QString::fromLatin1(stat.mid(stat.indexOf('(') + 1, close - stat.indexOf('(') - 1));
        ticks[name] = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    }
    return ticks;
}

// PLIT_BENCH_THREADS=1: the threads that used CPU since `from`, to find out why.
void printThreadTicks(const QHash<QString, qint64> &from)
{
    if (!qEnvironmentVariableIsSet("PLIT_BENCH_THREADS"))
        return;
    const QHash<QString, qint64> to = threadTicks();
    for (auto thread = to.cbegin(); thread != to.cend(); ++thread) {
        if (thread.value() > from.value(thread.key(), 0))
            std::fprintf(stderr, "cpu %s: %lld ticks\n", qPrintable(thread.key()),
                         static_cast<long long>(thread.value() - from.value(thread.key(), 0)));
    }
}

// Voluntary context switches of each thread of this process so far, by
// thread: each is a thread that went to sleep, so a wake-up that ended.
QHash<QString, qint64> contextSwitches()
{
    QHash<QString, qint64> counts;
    for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QByteArray &line : readFile(QStringLiteral("/proc/self/task/%1/status").arg(task)).split('\n')) {
            // Only the switches of a thread that went to sleep: a thread the
            // system preempted on a busy machine did not wake up.
            if (line.startsWith("voluntary_ctxt_switches:"))
                counts[task] += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return counts;
}

// Memory of a process and its descendants but the stand-in server (a
// Python program this process started), in MiB, one line of smaps_rollup
// added up: "Anonymous" is what the processes hold privately (their heaps:
// what they can give back), "Rss" what is resident, with the code of the
// libraries that the first web page brought into memory (its pages stay
// mapped and shared by the web engine's processes), "Pss" the resident size
// with each shared page divided among the processes that map it.
double memoryMiB(qint64 pid, qint64 standIn, const QByteArray &field)
{
    if (pid == standIn)
        return 0;
    double mib = 0;
    for (const QByteArray &line : readFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid)).split('\n')) {
        if (line.startsWith(field + ':'))
            mib += line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    const QList<QByteArray> children = readFile(QStringLiteral("/proc/%1/task/%1/children").arg(pid)).split(' ');
    for (const QByteArray &child : children) {
        if (!child.trimmed().isEmpty())
            mib += memoryMiB(child.trimmed().toLongLong(), standIn, field);
    }
    return mib;
}

// PLIT_BENCH_THREADS=1: the resident memory of each process of the tree.
void printProcesses(qint64 pid, qint64 standIn)
{
    if (!qEnvironmentVariableIsSet("PLIT_BENCH_THREADS") || pid == standIn)
        return;
    QByteArray type = "main";
    // The web engine's processes rewrite their command line into one
    // string, spaces between the arguments.
    for (const QByteArray &argument : readFile(QStringLiteral("/proc/%1/cmdline").arg(pid)).replace('\0', ' ').split(' ')) {
        if (argument.startsWith("--type="))
            type = argument.mid(7);
    }
    QByteArray sizes;
    for (const QByteArray &line : readFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid)).split('\n')) {
        if (line.startsWith("Rss:") || line.startsWith("Pss:") || line.startsWith("Anonymous:"))
            sizes += ' ' + line.simplified();
    }
    std::fprintf(stderr, "process %lld %s:%s\n", pid, type.constData(), sizes.constData());
    for (const QByteArray &child : readFile(QStringLiteral("/proc/%1/task/%1/children").arg(pid)).split(' ')) {
        if (!child.trimmed().isEmpty())
            printProcesses(child.trimmed().toLongLong(), standIn);
    }
}

qint64 standInPid()
{
    // The stand-in is this process's one Python child.
    for (const QByteArray &child : readFile(QStringLiteral("/proc/%1/task/%1/children").arg(getpid())).split(' ')) {
        const qint64 pid = child.trimmed().toLongLong();
        if (pid > 0 && readFile(QStringLiteral("/proc/%1/cmdline").arg(pid)).contains("platform_server.py"))
            return pid;
    }
    return -1;
}

// Lets time pass in the event loop. Not QTest::qWait, which wakes every 10 ms.
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    // The bench clicks from outside any event loop, and Qt holds back a
    // deleteLater() made there for a loop outside this one, which never
    // runs here (a closed help window stayed made, its page alive). plit's
    // clicks arrive inside its own loop, which deletes what they let go;
    // so it is deleted here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QQuickItem *rowOf(const QString &title)
{
    for (QQuickItem *item : P::findAll(title)) {
        if (P::accessibleRole(item) == QAccessible::ListItem)
            return item;
    }
    return nullptr;
}

QQuickItem *inRow(QQuickItem *row, const QString &name)
{
    for (QQuickItem *item : P::findAll(name, row->window())) {
        for (QQuickItem *up = item->parentItem(); up; up = up->parentItem()) {
            if (up == row)
                return item;
        }
    }
    return nullptr;
}

QObject *downloadCentre(PlitInterface &ui)
{
    return ui.engine()->rootContext()->contextProperty(QStringLiteral("downloadFunction")).value<QObject *>();
}

double progressOf(QObject *centre, const QString &id)
{
    float progress = 0;
    QMetaObject::invokeMethod(centre, "getProgress", Q_RETURN_ARG(float, progress), Q_ARG(QString, id));
    return progress;
}

// Into the tray as a person puts it there: "关闭", " 最小化托盘", "确定".
// Where no tray host runs (a bare Xvfb) the program offers no tray, and the
// window is hidden as the tray would hide it.
void toTray(PlitInterface &ui)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        ui.mainWindow()->hide();
        return;
    }
    if (!P::click(QStringLiteral("关闭")) || !P::waitForWindow(QStringLiteral("提示"))
        || !P::click(QStringLiteral(" 最小化托盘")) || !P::click(QStringLiteral("确定"))
        || !QTest::qWaitFor([&] { return !ui.mainWindow()->isVisible(); }, 5000))
        fail("the main window did not go to the tray");
}

void fromTray(PlitInterface &ui)
{
    auto *tray = ui.mainWindow()->findChild<QSystemTrayIcon *>();
    if (!tray)
        fail("no tray icon");
    emit tray->activated(QSystemTrayIcon::Trigger);
    if (!QTest::qWaitFor([&] { return ui.mainWindow()->isExposed(); }, 5000))
        fail("the main window did not come back from the tray");
}

// CPU-seconds per GiB while a download runs from 30 % to 90 % (`progress`
// tells how far it is, 0 to 1): the steady cost. Up to 30 % a download
// row first draws its bar and speed once; with `startCpu`, the CPU-seconds
// from the call to the 30 % mark are given there. With `frames`
// (a count of frames drawn that goes on meanwhile), `fps` becomes the frames
// a second drawn between the two marks.
double cpuPerGiBWhileRunning(const std::function<double()> &progress, double *startCpu = nullptr,
                             const int *frames = nullptr, double *fps = nullptr)
{
    const double calledCpu = cpuSeconds();
    if (!QTest::qWaitFor([&] { return progress() >= 0.3; }, 120000))
        fail("the download did not start");
    const double fromProgress = progress();
    const double fromCpu = cpuSeconds();
    if (startCpu)
        *startCpu = fromCpu - calledCpu;
    QElapsedTimer clock;
    clock.start();
    const int fromFrames = frames ? *frames : 0;
    const QHash<QString, qint64> fromTicks = threadTicks();
    if (!QTest::qWaitFor([&] { return progress() >= 0.9; }, 120000))
        fail("the download did not go on");
    const double toProgress = progress();
    const double cpu = cpuSeconds() - fromCpu;
    printThreadTicks(fromTicks);
    if (frames && fps)
        *fps = (*frames - fromFrames) * 1000.0 / clock.elapsed();
    return cpu / ((toProgress - fromProgress) * kFileBytes / kGiB);
}

void slowDown(PlitInterface &ui)
{
    ui.server().script(kFile, {{QStringLiteral("method"), QStringLiteral("GET")},
                               {QStringLiteral("rate"), kRate},
                               {QStringLiteral("times"), 0}});
}

int download(PlitInterface &ui)
{
    slowDown(ui);
    {
        // As bench/download_bench measures it: the log lines go nowhere.
        const QtMessageHandler logFile
            = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        QTemporaryDir dir;
        DownloadControl control;
        bool done = false;
        QObject::connect(&control, &DownloadControl::finished, [&](int index) { done = done || index == 0; });
        if (!control.downloadFile(ui.server().baseUrl() + kFile, dir.filePath(QStringLiteral("file")), 1))
            fail("the backend did not start its download");
        double startCpu = 0;
        figure("download_backend_cpu_s_per_gib",
               cpuPerGiBWhileRunning([&] { return double(control.readySize()) / kFileBytes; }, &startCpu));
        figure("download_backend_start_cpu_s", startCpu);
        if (!QTest::qWaitFor([&] { return done; }, 120000))
            fail("the backend's download did not finish");
        qInstallMessageHandler(logFile);
    }

    if (!ui.start())
        fail("no main window");
    QObject *centre = downloadCentre(ui);
    const QList<QQuickItem *> more = P::findAll(QStringLiteral("更多"), ui.mainWindow());
    if (more.isEmpty())
        fail("no tile 更多");
    P::click(more.last());
    if (!P::waitFor(QStringLiteral("下载中心")) || !P::click(QStringLiteral("下载中心"))
        || !QTest::qWaitFor([] { return rowOf(kTitle) != nullptr; }, 10000))
        fail("no download centre");
    QQuickItem *row = rowOf(kTitle);
    const QString id = row->property("software").value<QObject *>()->property("id").toString();

    // Shown: the row's progress and speed on the main window.
    int frames = 0;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(ui.mainWindow(), &QQuickWindow::frameSwapped, [&] {
        ++frames;
        if (qEnvironmentVariableIsSet("PLIT_BENCH_FRAMES"))
            std::fprintf(stderr, "frame at %lld ms\n", static_cast<long long>(clock.elapsed()));
    });
    P::click(inRow(row, QStringLiteral("一键安装")));
    double fps = 0;
    double startCpu = 0;
    const auto shownProgress = [&] { return progressOf(centre, id); };
    figure("download_shown_cpu_s_per_gib", cpuPerGiBWhileRunning(shownProgress, &startCpu, &frames, &fps));
    figure("download_shown_frames_per_s", fps);
    figure("download_shown_start_cpu_s", startCpu);
    if (!QTest::qWaitFor([&] { return inRow(row, QStringLiteral("一键安装")) != nullptr; }, 120000))
        fail("the shown download did not end");

    // In the tray: the same download again, nothing shown.
    P::click(inRow(row, QStringLiteral("一键安装")));
    if (!QTest::qWaitFor([&] { return progressOf(centre, id) > 0; }, 20000))
        fail("the second download did not start");
    toTray(ui);
    figure("download_tray_cpu_s_per_gib", cpuPerGiBWhileRunning(shownProgress));
    return 0;
}

double wakeUpsPerSecond(int seconds)
{
    waitMs(3000); // what was started settles
    const QHash<QString, qint64> from = contextSwitches();
    waitMs(seconds * 1000);
    // Threads that ended meanwhile are not counted; new ones from their start.
    const QHash<QString, qint64> to = contextSwitches();
    qint64 total = 0;
    for (auto thread = to.cbegin(); thread != to.cend(); ++thread) {
        const qint64 woken = thread.value() - from.value(thread.key(), 0);
        total += woken;
        // PLIT_BENCH_THREADS=1: which threads woke, to find out why.
        if (woken && qEnvironmentVariableIsSet("PLIT_BENCH_THREADS"))
            std::fprintf(stderr, "thread %s %s: %lld\n", qPrintable(thread.key()),
                         readFile(QStringLiteral("/proc/self/task/%1/comm").arg(thread.key())).trimmed().constData(),
                         static_cast<long long>(woken));
    }
    return double(total) / seconds;
}

int idle(PlitInterface &ui, int seconds)
{
    if (!ui.start())
        fail("no main window");
    waitMs(6000); // the notices come and go
    figure("idle_signed_out_shown_wakeups_per_s", wakeUpsPerSecond(seconds));
    toTray(ui);
    figure("idle_signed_out_tray_wakeups_per_s", wakeUpsPerSecond(seconds));
    fromTray(ui);
    if (!P::submitSignIn(QStringLiteral("13800000002"), QStringLiteral("Plit@2026"))
        || !P::waitForWindowGone(QStringLiteral("登录"), 10000))
        fail("no sign-in");
    waitMs(3000);
    figure("idle_signed_in_shown_wakeups_per_s", wakeUpsPerSecond(seconds));
    toTray(ui);
    figure("idle_signed_in_tray_wakeups_per_s", wakeUpsPerSecond(seconds));
    return 0;
}

// Waits for the web window `title` and its page, then closes it by its
// title bar.
void closeOnceLoaded(const QString &title)
{
    if (!P::waitForWindow(title, 10000) || !P::waitForWebPages(P::window(title), 60000))
        fail("a web window did not open");
    P::click(P::find(QStringLiteral("关闭"), P::window(title)));
    if (!P::waitForWindowGone(title))
        fail("a web window did not close");
}

// Opens an invoicing window for each company, as a person does from the
// home page, and closes them again after their pages have loaded; the
// resident memory with all of them open is that figure.
void openAndCloseInvoicing(PlitInterface &ui, qint64 standIn, const char *openFigure)
{
    const QStringList companies = {QStringLiteral("北京恒达商贸有限公司 911100000007000000"),
                                   QStringLiteral("上海鑫源科技有限公司 911101000007000137"),
                                   QStringLiteral("广州华信餐饮有限公司 911102000007000274")};
    for (const QString &company : companies) {
        const QList<QQuickItem *> tiles = P::findAll(QStringLiteral("我要开票"), ui.mainWindow());
        if (tiles.isEmpty())
            fail("no tile 我要开票");
        P::click(tiles.last());
        if (!P::waitForWindow(QStringLiteral("选择税号")) || !P::waitFor(company)
            || !P::click(company) || !P::waitForWindow(company, 10000)
            || !P::waitForWebPages(P::window(company), 60000))
            fail("no invoicing window");
    }
    waitMs(3000);
    figure(openFigure, memoryMiB(getpid(), standIn, "Rss"));
    printProcesses(getpid(), standIn);
    for (const QString &company : companies)
        closeOnceLoaded(company);
}

// Lets 40 s pass after windows closed, for what they held to be given back.
void settle(qint64 standIn)
{
    waitMs(40000);
    printProcesses(getpid(), standIn);
}

int memory(PlitInterface &ui)
{
    ui.installProgram(QStringLiteral("Vanta打印助手升级版"), QStringLiteral("printhelper/prnhelper"));
    if (!ui.start())
        fail("no main window");
    if (!P::submitSignIn(QStringLiteral("13800000002"), QStringLiteral("Plit@2026"))
        || !P::waitForWindowGone(QStringLiteral("登录"), 10000))
        fail("no sign-in");
    const qint64 standIn = standInPid();
    waitMs(10000);
    const QByteArrayList fields = {"Anonymous", "Rss", "Pss"};
    QHash<QByteArray, double> before;
    for (const QByteArray &field : fields)
        before[field] = memoryMiB(getpid(), standIn, field);
    printProcesses(getpid(), standIn);
    figure("memory_signed_in_rss_mib", before["Rss"]);

    openAndCloseInvoicing(ui, standIn, "memory_three_invoicing_rss_mib");
    settle(standIn);
    figure("memory_40s_after_closing_rss_mib", memoryMiB(getpid(), standIn, "Rss"));
    QHash<QByteArray, double> afterFirst;
    for (const QByteArray &field : fields) {
        afterFirst[field] = memoryMiB(getpid(), standIn, field);
        figure(QByteArray("memory_kept_" + field.toLower() + "_mib").constData(), afterFirst[field] - before[field]);
    }
    // The first page starts the web engine, which keeps its process
    // launchers and the code it brought in; three more windows, the help and
    // the chat show what each window keeps once the engine runs.
    openAndCloseInvoicing(ui, standIn, "memory_three_again_rss_mib");
    // The help pages and the assistant's chat, one after the other in the
    // one web window they share.
    if (!P::clickInMenu(QStringLiteral("使用帮助")))
        fail("no help in the menu");
    closeOnceLoaded(QStringLiteral("使用帮助 "));
    if (!P::click(QStringLiteral("在线服务")))
        fail("no 在线服务");
    closeOnceLoaded(QStringLiteral("智能客服 Tilo"));
    settle(standIn);
    for (const QByteArray &field : fields) {
        figure(QByteArray("memory_kept_again_" + field.toLower() + "_mib").constData(),
               memoryMiB(getpid(), standIn, field) - afterFirst[field]);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    PlitInterface::prepareProcess();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int seconds = argc > 2 ? atoi(argv[2]) : 20;
    PlitInterface ui;
    if (!ui.server().isRunning())
        fail("the stand-in server did not start");
    int result = 2;
    if (mode == QLatin1String("download"))
        result = download(ui);
    else if (mode == QLatin1String("idle"))
        result = idle(ui, seconds);
    else if (mode == QLatin1String("memory"))
        result = memory(ui);
    else
        std::fprintf(stderr, "usage: interface_bench download|idle [SECONDS]|memory\n");
    std::fflush(stdout);
    // The web engine's teardown is no part of what is measured.
    _exit(result);
}
