#include "plitinterface.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QMutex>
#include <QProcess>
#include <QThread>
#include <QSystemTrayIcon>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

using P = PlitInterface;

// The client windows of the X display from the bottom of the stack to the
// top, as the window manager keeps them.
QList<WId> stacking()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    xprop.waitForFinished(5000);
    const QString line = QString::fromLatin1(xprop.readAllStandardOutput());
    QList<WId> windows;
    for (const QString &word : line.section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        windows << word.trimmed().toULongLong(nullptr, 16);
    return windows;
}

bool above(QWindow *upper, QWindow *lower)
{
    const QList<WId> order = stacking();
    return order.indexOf(upper->winId()) > order.indexOf(lower->winId()) && order.contains(lower->winId());
}

// A notification area's side of the session bus, as a desktop's panel keeps
// it: tray items register with it, and it says a host is there to show them.
// It answers from a thread of its own, since Qt asks it while blocking the
// main thread.
class TrayHost : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const
    {
        QMutexLocker lock(&m_mutex);
        return m_items;
    }

public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &item)
    {
        // An item names its own service, or only its path on the caller's.
        const QString service = item.startsWith(QLatin1Char('/')) ? message().service() : item;
        {
            QMutexLocker lock(&m_mutex);
            m_items << service;
        }
        emit StatusNotifierItemRegistered(service);
    }
    Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString &) {}

signals:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString &service);
    Q_SCRIPTABLE void StatusNotifierHostRegistered();

private:
    mutable QMutex m_mutex;
    QStringList m_items;
};

// A session bus of the test's own, before anything in the process asks for
// one: a private dbus-daemon that starts nothing by itself, with the host above
// on it. Returns the daemon's process id, 0 if there is none.
pid_t startSessionBus(const QString &dir)
{
    const QByteArray config = QFile::encodeName(dir + QStringLiteral("/bus.conf"));
    FILE *file = std::fopen(config.constData(), "w");
    if (!file)
        return 0;
    std::fprintf(file, "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig><type>session</type><listen>unix:dir=%s</listen><auth>EXTERNAL</auth>"
                       "<policy context=\"default\"><allow send_destination=\"*\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                       "</policy></busconfig>\n",
                 QFile::encodeName(dir).constData());
    std::fclose(file);
    const QByteArray command = "dbus-daemon --fork --print-address=1 --print-pid=1 --config-file=" + config;
    FILE *daemon = popen(command.constData(), "r");
    if (!daemon)
        return 0;
    char address[512] = {};
    char pid[32] = {};
    const bool read = std::fgets(address, sizeof address, daemon) && std::fgets(pid, sizeof pid, daemon);
    pclose(daemon);
    if (!read)
        return 0;
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray(address).trimmed());
    return pid_t(std::atoi(pid));
}

} // namespace

// The windows under a real window manager (openbox on the test's own X
// display): what comes to the front, what takes the keys, where windows
// open, and the way back from the tray.
class WindowManagerTest : public QObject
{
    Q_OBJECT

private:
    QProcess m_openbox;
    QThread m_hostThread;
    TrayHost *m_host = nullptr;
    std::unique_ptr<PlitInterface> ui;

    // A call to the tray item as the host makes it, answered while the test
    // waits (the item answers on this thread).
    QDBusMessage callItem(const QString &interface, const QString &method, const QVariantList &arguments)
    {
        const QStringList items = m_host->items();
        if (items.isEmpty())
            return QDBusMessage::createError(QStringLiteral("test.NoItem"), QStringLiteral("no tray item"));
        QDBusMessage call = QDBusMessage::createMethodCall(items.last(), QStringLiteral("/StatusNotifierItem"),
                                                          interface, method);
        call.setArguments(arguments);
        QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 10000))
            return QDBusMessage::createError(QStringLiteral("test.NoAnswer"), QStringLiteral("the tray item did not answer"));
        return pending.reply();
    }

    QVariant itemProperty(const QString &name)
    {
        const QDBusMessage reply = callItem(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                            {QStringLiteral("org.kde.StatusNotifierItem"), name});
        return reply.arguments().isEmpty() ? QVariant() : reply.arguments().constFirst().value<QDBusVariant>().variant();
    }

    QQuickWindow *openCompany(const QString &title)
    {
        P::click(P::findAll(QStringLiteral("我要开票"), ui->mainWindow()).last());
        if (!P::waitForWindow(QStringLiteral("选择税号")) || !P::click(title) || !P::waitForWindow(title))
            return nullptr;
        return P::window(title);
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (the test runs under xvfb-run)");
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
            QSKIP("openbox is not installed (tools/setup installs it)");
        m_openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        QVERIFY(m_openbox.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT([] {
            QProcess xprop;
            xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
            xprop.waitForFinished(5000);
            return xprop.readAllStandardOutput().contains("window id");
        }(), 10000);

        // The notification area, in place before the program's tray asks.
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed (tools/setup installs it)");
        QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "the test's own session bus did not start");
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("trayhost"));
        QVERIFY2(bus.isConnected(), qPrintable(bus.lastError().message()));
        m_host = new TrayHost;
        m_host->moveToThread(&m_hostThread);
        connect(&m_hostThread, &QThread::finished, m_host, &QObject::deleteLater);
        m_hostThread.start();
        // Put on the bus from its own thread, where its signals are relayed.
        bool registered = false;
        QMetaObject::invokeMethod(m_host, [&] {
            registered = bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), m_host,
                                            QDBusConnection::ExportAllContents)
                && bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        }, Qt::BlockingQueuedConnection);
        QVERIFY(registered);
    }

    void cleanupTestCase()
    {
        m_hostThread.quit();
        m_hostThread.wait();
        m_openbox.terminate();
        m_openbox.waitForFinished(5000);
    }

    void init()
    {
        ui = std::make_unique<PlitInterface>();
        ui->installProgram(QStringLiteral("Vanta打印助手升级版"), QStringLiteral("printhelper/prnhelper"));
        QVERIFY(ui->start());
        QVERIFY(QTest::qWaitForWindowActive(ui->mainWindow()));
    }

    void cleanup()
    {
        ui.reset();
    }

    // A company chosen in the selection opens in front of the main window and
    // takes the keys, and stays so; the next one opens a step further; moving
    // the main window moves neither.
    void companyWindowsOpenInFrontAndCascade()
    {
        QVERIFY(P::submitSignIn(QStringLiteral("13800000002"), QStringLiteral("Plit@2026")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("登录")));
        QQuickWindow *main = ui->mainWindow();
        // No compositing manager runs here: no window is left see-through,
        // where its shadow's margin would show black.
        QCOMPARE(main->color().alpha(), 255);
        QQuickWindow *first = openCompany(QStringLiteral("北京恒达商贸有限公司 911100000007000000"));
        QVERIFY(first);
        QTRY_COMPARE(QGuiApplication::focusWindow(), first);
        QTRY_VERIFY(above(first, main));
        QTest::qWait(500);
        QCOMPARE(QGuiApplication::focusWindow(), first);
        QVERIFY(above(first, main));

        QQuickWindow *second = openCompany(QStringLiteral("上海鑫源科技有限公司 911101000007000137"));
        QVERIFY(second);
        QTRY_COMPARE(QGuiApplication::focusWindow(), second);
        QTRY_VERIFY(above(second, first));
        QCOMPARE(second->position() - first->position(), QPoint(30, 30));

        const QPoint firstAt = first->position();
        const QPoint mainAt = main->position();
        main->setPosition(mainAt + QPoint(80, 40));
        QTRY_VERIFY(main->position() != mainAt);
        QTest::qWait(300);
        QCOMPARE(first->position(), firstAt);
    }

    // With a notification area the close dialog opens on going on in the
    // tray, Return taking it; the host's one activation of the tray item
    // brings the window back shown normal, in front and active, from hidden
    // as from minimised.
    void closeDialogAndTrayRestore()
    {
        QQuickWindow *main = ui->mainWindow();
        QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        QTRY_VERIFY(!m_host->items().isEmpty());
        const QDBusArgument toolTip = itemProperty(QStringLiteral("ToolTip")).value<QDBusArgument>();
        QString icon, title, text;
        toolTip.beginStructure();
        toolTip >> icon;
        toolTip.beginArray();
        while (!toolTip.atEnd()) {
            int width, height;
            QByteArray pixels;
            toolTip.beginStructure();
            toolTip >> width >> height >> pixels;
            toolTip.endStructure();
        }
        toolTip.endArray();
        toolTip >> title >> text;
        toolTip.endStructure();
        QCOMPARE(title, QStringLiteral("Plit云台"));

        QVERIFY(P::click(QStringLiteral("关闭")));
        QVERIFY(P::waitForWindow(QStringLiteral("提示")));
        QQuickWindow *dialog = P::window(QStringLiteral("提示"));
        QCOMPARE(dialog->color().alpha(), 255);
        QVERIFY(P::find(QStringLiteral(" 退出")));
        QVERIFY(P::find(QStringLiteral(" 最小化托盘")));
        QTRY_COMPARE(QGuiApplication::focusWindow(), dialog);
        QTRY_VERIFY(dialog->activeFocusItem());
        QCOMPARE(dialog->activeFocusItem()->property("text").toString(), QStringLiteral("确定"));
        QTest::keyClick(dialog, Qt::Key_Return);
        QTRY_VERIFY(!main->isVisible());
        QVERIFY(P::waitForWindowGone(QStringLiteral("提示")));

        for (const bool hidden : {true, false}) {
            if (!hidden) {
                main->showMinimized();
                QTRY_COMPARE(main->visibility(), QWindow::Minimized);
            }
            const QDBusMessage reply = callItem(QStringLiteral("org.kde.StatusNotifierItem"),
                                                QStringLiteral("Activate"), {0, 0});
            QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
            QTRY_VERIFY(main->isVisible());
            QTRY_COMPARE(main->visibility(), QWindow::Windowed);
            QTRY_COMPARE(QGuiApplication::focusWindow(), main);
            QTRY_COMPARE(stacking().value(stacking().size() - 1), main->winId());
        }
    }
};

int main(int argc, char *argv[])
{
    // A real X display and its window manager, not the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_QUICK_BACKEND", "software");
    PlitInterface::prepareProcess();
    QTemporaryDir busDir;
    const pid_t bus = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()
        ? 0 : startSessionBus(busDir.path());
    if (!bus)
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    WindowManagerTest test;
    const int failures = QTest::qExec(&test, argc, argv);
    if (bus)
        kill(bus, SIGTERM);
    return failures != 0 || QmlWarningGuard::failed() ? qMax(failures, 1) : 0;
}

#include "tst_windowmanager.moc"
