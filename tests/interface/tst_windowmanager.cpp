#include "plitinterface.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusPendingCall>
#include <QMutex>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QSignalSpy>
#include <QThread>
#include <QSystemTrayIcon>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtTest>

namespace {

using P = PlitInterface;

// A property of `window`, or else of the X display's root window, as xprop
// prints it.
QString xprop(const QString &name, QWindow *window = nullptr)
{
    QProcess process;
    const QStringList target = window ? QStringList{QStringLiteral("-id"), QString::number(window->winId())}
                                      : QStringList{QStringLiteral("-root")};
    process.start(QStringLiteral("xprop"), target + QStringList{name});
    process.waitForFinished(5000);
    return QString::fromLatin1(process.readAllStandardOutput());
}

// The client windows of the X display from the bottom of the stack to the
// top, as the window manager keeps them.
QList<WId> stacking()
{
    const QString line = xprop(QStringLiteral("_NET_CLIENT_LIST_STACKING"));
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

} // namespace

// The windows under a real window manager (openbox on the test's own X
// display): what comes to the front, what takes the keys, where windows
// open, and the way back from the tray.
class WindowManagerTest : public PlitJourney
{
    Q_OBJECT

private:
    QProcess m_openbox;
    QThread m_hostThread;
    TrayHost *m_host = nullptr;

    QQuickWindow *openCompany(const QString &title)
    {
        if (!ui->clickTile(QStringLiteral("我要开票")) || !P::waitForWindow(QStringLiteral("选择税号"))
            || !P::click(title) || !P::waitForWindow(title))
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
        QTRY_VERIFY_WITH_TIMEOUT(xprop(QStringLiteral("_NET_SUPPORTING_WM_CHECK")).contains("window id"), 10000);

        // The notification area on the test's own session bus, in place
        // before the program's tray asks.
        QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "the test runs on a session bus of its own");
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
        ui->installPrintHelper();
        QVERIFY(ui->start());
        QVERIFY(QTest::qWaitForWindowActive(ui->mainWindow()));
    }

    // A company chosen in the selection opens in front of the main window and
    // takes the keys, and stays so; the next one opens a step further; moving
    // the main window moves neither.
    void companyWindowsOpenInFrontAndCascade()
    {
        QVERIFY(P::signIn());
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
    // tray, Return taking it without quitting; the host's one activation of
    // the tray item brings the window back shown normal, in front and active,
    // from hidden as from minimised.
    void closeDialogAndTrayRestore()
    {
        QQuickWindow *main = ui->mainWindow();
        QSignalSpy quit(ui->engine(), &QQmlApplicationEngine::quit);
        QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        QTRY_VERIFY(!m_host->items().isEmpty());
        QCOMPARE(main->findChild<QSystemTrayIcon *>()->toolTip(), QStringLiteral("Plit云台"));

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
        QCOMPARE(quit.count(), 0);

        for (const bool hidden : {true, false}) {
            if (!hidden) {
                main->showMinimized();
                QTRY_COMPARE(main->visibility(), QWindow::Minimized);
                // Asked only once the window manager has iconified it.
                QTRY_VERIFY(xprop(QStringLiteral("WM_STATE"), main).contains(QLatin1String("Iconic")));
            }
            // As the host calls the item, answered while the test waits (the
            // item answers on this thread).
            QDBusMessage call = QDBusMessage::createMethodCall(m_host->items().last(), "/StatusNotifierItem",
                                                              "org.kde.StatusNotifierItem", "Activate");
            call.setArguments({0, 0});
            const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
            QVERIFY(QTest::qWaitFor([&] { return pending.isFinished(); }, 10000));
            QVERIFY2(pending.reply().type() == QDBusMessage::ReplyMessage, qPrintable(pending.reply().errorMessage()));
            QTRY_VERIFY(main->isVisible());
            QTRY_COMPARE(main->visibility(), QWindow::Windowed);
            QTRY_COMPARE(QGuiApplication::focusWindow(), main);
            QTRY_COMPARE(stacking().value(stacking().size() - 1), main->winId());
        }
    }
};

PLIT_INTERFACE_TEST_MAIN(WindowManagerTest)
#include "tst_windowmanager.moc"
