#include "plitinterface.h"
#include "screenreader.h"
#include "testdesktop.h"

#include "desktop/doorbell.h"
#include "desktop/opaquewindows.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QtTest>

#define VERIFY_MAIN_WINDOW_IN_FRONT() do { verifyMainWindowHasTheKeys(); \
    QVERIFY2(mainOnTop(), qPrintable(xprop("_NET_CLIENT_LIST_STACKING"))); } while (false)

namespace {

using P = PlitInterface;

QString xprop(const char *name, WId window = 0, const QStringList &format = {})
{
    return TestDesktop::xprop(QLatin1String(name), window, format);
}
bool xpropHas(const char *name, WId window, const char *value) { return xprop(name, window).contains(QLatin1String(value)); }
WId activeWindow() { return TestDesktop::xpropWindow(QStringLiteral("_NET_ACTIVE_WINDOW")); }

// The client windows, bottom of the stack first; a panel, always over them, left out.
QList<WId> stacking()
{
    QList<WId> windows;
    for (const QString &word : xprop("_NET_CLIENT_LIST_STACKING").section('#', 1).split(',', Qt::SkipEmptyParts)) {
        const WId window = word.trimmed().toULongLong(nullptr, 16);
        if (!xpropHas("_NET_WM_WINDOW_TYPE", window, "_NET_WM_WINDOW_TYPE_DOCK"))
            windows << window;
    }
    return windows;
}

bool above(QWindow *upper, QWindow *lower)
{
    const QList<WId> order = stacking();
    return order.indexOf(upper->winId()) > order.indexOf(lower->winId()) && order.contains(lower->winId());
}

// An icon of at least 64 pixels a side: the property starts with the first picture's width and height.
bool hasIcon(QWindow *window)
{
    const QStringList numbers = xprop("_NET_WM_ICON", window->winId(), {"-f", "_NET_WM_ICON", "32c"}).left(200).section('=', 1).split(',');
    return numbers.size() > 2 && numbers.at(0).trimmed().toInt() >= 64 && numbers.at(1).trimmed().toInt() >= 64;
}

// A call on the session bus, answered on this thread (an empty message if none comes).
QDBusMessage busCall(const QString &service, const QString &path, const QString &interface, const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    return QTest::qWaitFor([&] { return pending.isFinished(); }, 10000) ? pending.reply() : QDBusMessage();
}
QVariant variantOf(const QDBusMessage &reply) { return reply.arguments().value(0).value<QDBusVariant>().variant(); }

// Starts `program` in `environment` and `directory`, its output merged; true once it runs.
bool launch(QProcess &process, const QProcessEnvironment &environment, const QString &program, const QStringList &arguments = {},
            const QString &directory = {})
{
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(directory);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    return process.waitForStarted();
}

// A second start of the program as a launcher makes it: true once it has handed over and left.
bool secondStart(QProcessEnvironment environment, const QString &id, const QString &directory = {})
{
    QProcess second;
    environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), id);
    return launch(second, environment, QStringLiteral(PLIT_EXECUTABLE), {}, directory) && second.waitForFinished(20000) && second.exitCode() == 0;
}

// Another program in front of Plit's windows, with the keys.
struct OtherProgram
{
    QProcess process;
    bool start()
    {
        process.start(QStringLiteral("xmessage"), {QStringLiteral("-geometry"), QStringLiteral("+300+200"), QStringLiteral("another program in front")});
        return process.waitForStarted() && QTest::qWaitFor([] { return activeWindow() && xpropHas("WM_CLASS", activeWindow(), "Xmessage"); }, 10000);
    }
    ~OtherProgram() { process.kill(), process.waitForFinished(5000); }
};

} // namespace

// The windows under real window managers, in turn on the test's own X display, each a row of the same journeys.
class WindowManagerTest : public PlitJourney
{
    Q_OBJECT

private:
    TestDesktop m_desktop;

    QQuickWindow *openCompany(const QString &title)
    {
        if (!ui->clickTile(QStringLiteral("我要开票")) || !P::waitForWindow(QStringLiteral("选择税号"))
            || !P::click(title) || !P::waitForWindow(title))
            return nullptr;
        return P::window(title);
    }

    void desktopRows()
    {
        QTest::addColumn<QString>("desktop");
        for (const QString &row : TestDesktop::names())
            QTest::newRow(qPrintable(row)) << row;
    }

    // The tray items the panel's notification area holds, by their services.
    QStringList trayItems()
    {
        QStringList items;
        const QDBusMessage reply = busCall("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties", "Get",
                                           {"org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems"});
        for (const QString &item : variantOf(reply).toStringList())
            items << item.section('/', 0, 0); // XFCE's panel adds the item's path
        return items;
    }

    // A call to the tray item as the host makes it.
    QDBusMessage callTray(const QString &interface, const QString &method, const QVariantList &arguments)
    {
        return busCall(trayItems().value(trayItems().size() - 1), "/StatusNotifierItem", interface, method, arguments);
    }

    // The main window is back as a person wants it: shown normal, with the keys (mainOnTop: over every other window).
    void verifyMainWindowHasTheKeys()
    {
        QQuickWindow *main = ui->mainWindow();
        QTRY_VERIFY(main->isVisible());
        QTRY_COMPARE(main->visibility(), QWindow::Windowed);
        QTRY_VERIFY(xpropHas("WM_STATE", main->winId(), "Normal"));
        QTRY_COMPARE(activeWindow(), main->winId());
        QTRY_COMPARE(QGuiApplication::focusWindow(), main);
    }
    bool mainOnTop() { return QTest::qWaitFor([&] { return stacking().value(stacking().size() - 1) == ui->mainWindow()->winId(); }, 5000); }

    QString trayProperty(const QString &name)
    {
        return variantOf(callTray("org.freedesktop.DBus.Properties", "Get", {"org.kde.StatusNotifierItem", name})).toString();
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (the test runs under xvfb-run)");
        // A second start must find this process as the running copy, not the machine's: folders of its own.
        qputenv("TMPDIR", qgetenv("XDG_RUNTIME_DIR"));
    }

    void cleanupTestCase()
    {
        m_desktop.stop();
    }

    void init()
    {
        // The Wayland journey runs the program on a display of its own.
        if (QByteArray(QTest::currentTestFunction()) == "secondStartUnderWeston")
            return;
        QFETCH(QString, desktop);
        const QString missing = TestDesktop::missing(desktop);
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing + QStringLiteral(" is not installed (tools/setup installs it)")));
        QVERIFY2(m_desktop.use(desktop), qPrintable(desktop + QStringLiteral(" did not start")));
        ui = std::make_unique<PlitInterface>();
        ui->installPrintHelper();
        // The notices' pop-up comes only where a journey asks for it.
        if (QByteArray(QTest::currentTestFunction()) != "namesAndIcon")
            ui->server().script("/api/platapi/getArticle", {{"json", QJsonObject{{"states", true}, {"data", QJsonArray()}}}});
        QVERIFY(ui->start());
        // A window manager just started (xfwm4 with its settings daemon) may take a while before it hands out the keys.
        QVERIFY(QTest::qWaitForWindowActive(ui->mainWindow(), 15000));
    }

    // A company chosen opens in front of the main window with the keys, and stays so; the next one opens a step
    // further; moving the main window moves neither.
    void companyWindowsOpenInFrontAndCascade_data() { desktopRows(); }
    void companyWindowsOpenInFrontAndCascade()
    {
        QVERIFY(P::signIn());
        QQuickWindow *main = ui->mainWindow();
        // See-through only where a compositing manager runs (metacity's own, say): elsewhere the shadow's margin would
        // show black.
        QCOMPARE(main->color().alpha(), OpaqueWindows::isComposited() ? 0 : 255);
        QQuickWindow *first = openCompany(QStringLiteral("北京恒达商贸有限公司 911100000007000000"));
        QVERIFY(first);
        QTRY_COMPARE(QGuiApplication::focusWindow(), first);
        QTRY_VERIFY(above(first, main));
        QTest::qWait(500);
        QVERIFY(QGuiApplication::focusWindow() == first && above(first, main));

        QQuickWindow *second = openCompany(QStringLiteral("上海鑫源科技有限公司 911101000007000137"));
        QVERIFY(second);
        QTRY_COMPARE(QGuiApplication::focusWindow(), second);
        QTRY_VERIFY(above(second, first));
        // A window manager may place it first and take the program's place after; it keeps it above a panel at the
        // screen's foot (UKUI's).
        const int room = second->screen()->availableGeometry().bottom() - first->frameGeometry().bottom();
        QTRY_COMPARE(second->position() - first->position(), QPoint(30, qBound(0, room, 30)));

        const QPoint firstAt = first->position(), mainAt = main->position();
        main->setPosition(mainAt + QPoint(80, 40));
        QTRY_VERIFY(main->position() != mainAt);
        QTest::qWait(300);
        QCOMPARE(first->position(), firstAt);

        QVERIFY(m_desktop.clickTrayIcon()); // brings the main window over the invoicing window
        VERIFY_MAIN_WINDOW_IN_FRONT();
    }

    // With a notification area the close dialog opens on the tray, Return taking it without quitting; one click on the
    // tray icon brings the window back, from hidden as from minimised, over another program with the keys.
    void closeDialogAndTrayRestore_data() { desktopRows(); }
    void closeDialogAndTrayRestore()
    {
        QQuickWindow *main = ui->mainWindow();
        QSignalSpy quit(ui->engine(), &QQmlApplicationEngine::quit);
        QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        QTRY_VERIFY(!trayItems().isEmpty());
        QCOMPARE(main->findChild<QSystemTrayIcon *>()->toolTip(), QStringLiteral("Plit云台"));

        QVERIFY(P::click(QStringLiteral("关闭")) && P::waitForWindow(QStringLiteral("提示")));
        QQuickWindow *dialog = P::window(QStringLiteral("提示"));
        QCOMPARE(dialog->color().alpha(), OpaqueWindows::isComposited() ? 0 : 255);
        QVERIFY(P::find(QStringLiteral(" 退出")) && P::find(QStringLiteral(" 最小化托盘")));
        QTRY_COMPARE(QGuiApplication::focusWindow(), dialog);
        QTRY_VERIFY(dialog->activeFocusItem());
        QCOMPARE(dialog->activeFocusItem()->property("text").toString(), QStringLiteral("确定"));
        QTest::keyClick(dialog, Qt::Key_Return);
        QTRY_VERIFY(!main->isVisible());
        QVERIFY(P::waitForWindowGone(QStringLiteral("提示")) && quit.isEmpty());

        for (const bool hidden : {true, false}) {
            if (!hidden) {
                main->showMinimized();
                QTRY_COMPARE(main->visibility(), QWindow::Minimized);
                // Asked only once the window manager has iconified it.
                QTRY_VERIFY(xpropHas("WM_STATE", main->winId(), "Iconic"));
            }
            OtherProgram other;
            QVERIFY2(other.start(), "another program in front");
            QVERIFY(m_desktop.clickTrayIcon());
            VERIFY_MAIN_WINDOW_IN_FRONT();
        }
    }

    // A second start while another program has the keys brings the running copy's window in front, and completes the
    // launcher's startup notification.
    void secondStartOverAnotherProgram_data() { desktopRows(); }
    void secondStartOverAnotherProgram()
    {
        // This process is the running copy, as the program's start makes it.
        QSharedMemory running(QStringLiteral("PlitApp"));
        QVERIFY2(running.create(1) || running.attach(), qPrintable(running.errorString()));
        Doorbell doorbell(*ui->engine());
        QQuickWindow *main = ui->mainWindow();

        for (const bool minimised : {false, true}) {
            if (minimised) {
                main->showMinimized();
                QTRY_VERIFY(xpropHas("WM_STATE", main->winId(), "Iconic"));
            }
            OtherProgram other;
            QVERIFY2(other.start(), "another program in front");
            const QString id = QStringLiteral("launcher-%1-%2_TIME0").arg(QCoreApplication::applicationPid()).arg(minimised ? 2 : 1);
            QVERIFY(secondStart(QProcessEnvironment::systemEnvironment(), id));
            QTRY_VERIFY(ui->logText().contains(QStringLiteral("startup notification completed: ") + id));
            VERIFY_MAIN_WINDOW_IN_FRONT();
        }
    }

    // What the desktop reads of the program: class, icon, tray names, the main window's one size, and a notice pop-up
    // without a taskbar entry of its own.
    void namesAndIcon_data() { desktopRows(); }
    void namesAndIcon()
    {
        QQuickWindow *main = ui->mainWindow();
        QCOMPARE(xprop("WM_CLASS", main->winId()).section(QLatin1Char('='), 1).trimmed(), QStringLiteral("\"tst_windowmanager\", \"plit\""));
        QVERIFY(hasIcon(main));
        QTRY_VERIFY(!trayItems().isEmpty());
        QCOMPARE(trayProperty(QStringLiteral("Id")), QStringLiteral("plit"));
        // Qt 5.15's tray item takes its title from the application name too.
        QCOMPARE(trayProperty(QStringLiteral("Title")), QStringLiteral("plit"));
        // The panel lists the icons it has shown by their Id.
        QTRY_VERIFY2(m_desktop.trayNames().contains(QStringLiteral("plit")), qPrintable(m_desktop.trayNames().join(", ")));
        const QString hints = xprop("WM_NORMAL_HINTS", main->winId());
        const QString size = hints.section(QStringLiteral("user specified size: "), 1).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(!size.isEmpty() && hints.contains(QStringLiteral("minimum size: ") + size)
                     && hints.contains(QStringLiteral("maximum size: ") + size), qPrintable(hints));

        QVERIFY(P::waitForWindow(QStringLiteral("Plit通知"), 8000));
        QQuickWindow *notice = P::window(QStringLiteral("Plit通知"));
        QTRY_VERIFY(xpropHas("_NET_WM_STATE", notice->winId(), "_NET_WM_STATE_SKIP_TASKBAR"));
        QVERIFY(hasIcon(notice));
        // Over the main window, which keeps the keys: a window manager that refuses a new window the keys may put it
        // under the one that has them.
        QTRY_VERIFY2(above(notice, main), qPrintable(xprop("_NET_CLIENT_LIST_STACKING")));
        QCOMPARE(QGuiApplication::focusWindow(), main);
        notice->hide(); // and each time it shows again
        QTRY_VERIFY(!xpropHas("WM_STATE", notice->winId(), "Normal"));
        notice->show();
        QTRY_VERIFY(xpropHas("WM_STATE", notice->winId(), "Normal"));
        QVERIFY(xpropHas("_NET_WM_STATE", notice->winId(), "_NET_WM_STATE_SKIP_TASKBAR"));
    }

    // In a Wayland session (weston, headless) the program takes X11 where XWayland runs and Wayland where it does not,
    // and says which and why. Minimised, and hidden in the tray, a second start shows the main window again and
    // completes or leaves its startup notification; no warning. What weston shows is read off its screenshots; the
    // program is driven as a screen reader drives it.
    void secondStartUnderWeston_data()
    {
        QTest::addColumn<bool>("xwayland");
        // weston's X window manager takes no request to iconify (WM_CHANGE_STATE): "最小化" leaves the window there.
        QTest::addColumn<bool>("minimises");
        QTest::newRow("XWayland") << true << false;
        QTest::newRow("native Wayland") << false << true;
    }
    void secondStartUnderWeston()
    {
        QFETCH(bool, xwayland);
        QFETCH(bool, minimises);
        const QString launcher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
        for (const QString &program : {QStringLiteral("weston"), QStringLiteral("weston-screenshooter"), xwayland ? QStringLiteral("Xwayland") : QString()}) {
            if (!program.isEmpty() && QStandardPaths::findExecutable(program).isEmpty())
                QSKIP(qPrintable(program + QStringLiteral(" is not installed (tools/setup installs it)")));
        }
        if (!QFileInfo(launcher).isExecutable())
            QSKIP("at-spi2-core is not installed (tools/setup installs it)");
        QTemporaryDir home;
        const QString runtime = home.filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkpath(runtime) && QDir().mkpath(home.filePath(QStringLiteral("data"))));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // One environment, grown as the session comes up: weston's, the accessibility bus's, the program's.
        QProcessEnvironment session = QProcessEnvironment::systemEnvironment();
        session.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        session.remove(QStringLiteral("DISPLAY"));
        session.remove(QStringLiteral("QT_QPA_PLATFORM"));
        QProcess weston; // screenshots need weston's debugging protocols
        QVERIFY(launch(weston, session, QStringLiteral("weston"), QStringList{"--backend=headless-backend.so", "--use-pixman", "--debug", "--width=1280",
                       "--height=800", "--socket=plit-test", "--idle-time=0"} + (xwayland ? QStringList{"--xwayland"} : QStringList())));
        QByteArray westonLog;
        QString display;
        QVERIFY(QTest::qWaitFor([&] {
            westonLog += weston.readAll();
            const int at = westonLog.indexOf("xserver listening on display ");
            if (at >= 0)
                display = QString::fromLatin1(westonLog.mid(at + 29).split('\n').first().trimmed());
            return xwayland ? !display.isEmpty() : westonLog.contains("launching '/usr/lib/x86_64-linux-gnu/weston-desktop-shell'");
        }, 20000));
        if (xwayland)
            session.insert(QStringLiteral("DISPLAY"), display);
        // The accessibility bus, its address also on XWayland's root window, where Qt's X11 platform reads it at once
        // (asked over D-Bus, Qt 5.15 at times publishes nothing on the bus it joins).
        QProcess accessibility;
        QVERIFY(launch(accessibility, session, launcher, {QStringLiteral("--launch-immediately")}));
        QVERIFY(QTest::qWaitFor([] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.a11y.Bus")).value(); }, 10000));

        StandInServer platform;
        QVERIFY(platform.isRunning());
        // QT_LINUX_ACCESSIBILITY_ALWAYS_ON: a screen reader listens (Qt's switch for readers that do not say so).
        for (const auto &[name, value] : QList<QPair<QString, QString>>{
                 {"WAYLAND_DISPLAY", "plit-test"}, {"XDG_SESSION_TYPE", "wayland"}, {"HOME", home.path()}, {"TMPDIR", runtime},
                 {"PLIT_DATA_DIR", home.filePath("data")}, {"PLIT_PLATFORM_URL", platform.baseUrl()},
                 {"PLIT_UPDATE_URL", platform.baseUrl()}, {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}})
            session.insert(name, value);
        QProcess plit;
        QVERIFY(launch(plit, session, QStringLiteral(PLIT_EXECUTABLE), {}, home.path()));
        const auto log = [&] {
            QFile file(home.filePath(QStringLiteral("log.txt")));
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        // The main window's title band on weston's screen: its blue, a thousand pixels by a hundred.
        const QString shots = home.filePath(QStringLiteral("shots"));
        const auto mainWindowShows = [&] {
            QDir(shots).removeRecursively();
            QDir().mkpath(shots);
            QProcess shooter;
            launch(shooter, session, QStringLiteral("weston-screenshooter"), {}, shots);
            shooter.waitForFinished(10000);
            const QStringList taken = QDir(shots).entryList({QStringLiteral("*.png")});
            const QImage screen = taken.isEmpty() ? QImage() : QImage(shots + QLatin1Char('/') + taken.first());
            int band = 0;
            for (int y = 0; y < screen.height(); ++y) {
                for (int x = 0; x < screen.width(); ++x) {
                    const QColor pixel = screen.pixelColor(x, y);
                    band += pixel.blue() > 200 && pixel.red() < 100 && pixel.green() > 100 && pixel.green() < 190;
                }
            }
            return band > 50000;
        };
        QTRY_VERIFY_WITH_TIMEOUT(mainWindowShows(), 60000);
        const QString why = xwayland ? QStringLiteral("xcb (a Wayland session with XWayland (DISPLAY=") + display
                                     : QStringLiteral("wayland (a Wayland session without XWayland");
        QVERIFY2(log().contains(QStringLiteral("the windowing platform: ") + why), qPrintable(log()));

        ScreenReader reader;
        QVERIFY(reader.reach(plit.processId()));
        QTRY_VERIFY_WITH_TIMEOUT(reader.shows(QStringLiteral("Plit通知")), 20000);
        // The sign-in window opens, unplaced under Wayland, and closes again.
        QVERIFY(reader.press(QStringLiteral("账号登录"), QStringLiteral("Plit云台")));
        QTRY_VERIFY(reader.shows(QStringLiteral("登录")));
        QVERIFY(reader.press(QStringLiteral("关闭"), QStringLiteral("登录")));
        QTRY_VERIFY(!reader.shows(QStringLiteral("登录")));
        for (const QString &away : {QStringLiteral("最小化"), QStringLiteral("关闭")}) {
            QVERIFY(reader.press(away, QStringLiteral("Plit云台")));
            if (away == QStringLiteral("关闭")) { // into the tray, as the dialog offers first
                QTRY_VERIFY(reader.shows(QStringLiteral("提示")));
                QVERIFY(reader.press(QStringLiteral("确定"), QStringLiteral("提示")));
            }
            if (minimises || away != QStringLiteral("最小化"))
                QTRY_VERIFY_WITH_TIMEOUT(!mainWindowShows(), 10000);

            const QString id = QStringLiteral("weston-launch-%1_TIME0").arg(away == QStringLiteral("关闭") ? 2 : 1);
            QVERIFY(secondStart(session, id, home.path()));
            QTRY_VERIFY(log().contains(QStringLiteral("a second start: showing the main window (launch %1)").arg(id)));
            // Completed on XWayland's display; without one Qt 5.15 cannot.
            QTRY_VERIFY(log().contains(xwayland ? QStringLiteral("startup notification completed: ") + id
                                                : QStringLiteral("startup notification %1 left to the desktop's timeout").arg(id)));
            QTRY_VERIFY_WITH_TIMEOUT(mainWindowShows(), 10000);
        }
        const QStringList warnings = log().split('\n').filter(QRegularExpression(QStringLiteral("^(Warning|Critical):")));
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));

        QCOMPARE(plit.state(), QProcess::Running);
        plit.terminate();
        QVERIFY(plit.waitForFinished(20000));
        QCOMPARE(plit.exitStatus(), QProcess::NormalExit);
        for (QProcess *process : {&accessibility, &weston}) {
            process->terminate();
            QVERIFY(process->waitForFinished(10000));
        }
    }
};

PLIT_INTERFACE_TEST_MAIN(WindowManagerTest)
#include "tst_windowmanager.moc"
