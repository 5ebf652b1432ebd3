#include "plitinterface.h"

#include <QApplication>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtTest>

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

} // namespace

// The windows under a real window manager (openbox on the test's own X
// display): what comes to the front, what takes the keys, where windows
// open, and the way back from the tray.
class WindowManagerTest : public QObject
{
    Q_OBJECT

private:
    QProcess m_openbox;
    std::unique_ptr<PlitInterface> ui;

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
    }

    void cleanupTestCase()
    {
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

    // Without a notification area the close dialog offers only to quit; the
    // tray's click brings a minimised and hidden window back at once.
    void closeDialogAndTrayRestore()
    {
        QQuickWindow *main = ui->mainWindow();
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(P::click(QStringLiteral("关闭")));
        QVERIFY(P::waitForWindow(QStringLiteral("提示")));
        QCOMPARE(P::window(QStringLiteral("提示"))->color().alpha(), 255);
        QVERIFY(P::find(QStringLiteral(" 退出")));
        QVERIFY(!P::find(QStringLiteral(" 最小化托盘")));
        P::window(QStringLiteral("提示"))->close();
        QVERIFY(P::waitForWindowGone(QStringLiteral("提示")));

        main->showMinimized();
        main->hide();
        QTRY_VERIFY(!main->isVisible());
        QObject *tray = nullptr;
        for (QObject *child : main->findChildren<QObject *>()) {
            if (QByteArray(child->metaObject()->className()) == "SystemTrayIcon")
                tray = child;
        }
        QVERIFY(tray && QByteArray(tray->metaObject()->className()) == "SystemTrayIcon");
        QVERIFY(QMetaObject::invokeMethod(tray, "trigger"));
        QTRY_VERIFY(main->isVisible());
        QTRY_COMPARE(main->visibility(), QWindow::Windowed);
        QTRY_COMPARE(QGuiApplication::focusWindow(), main);
    }
};

int main(int argc, char *argv[])
{
    // A real X display and its window manager, not the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_QUICK_BACKEND", "software");
    PlitInterface::prepareProcess();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    WindowManagerTest test;
    const int failures = QTest::qExec(&test, argc, argv);
    return failures != 0 || QmlWarningGuard::failed() ? qMax(failures, 1) : 0;
}

#include "tst_windowmanager.moc"
