#include "plitinterface.h"
#include "testdesktop.h"

#include "desktop/opaquewindows.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtTest>

namespace {

using P = PlitInterface;

// What the X screen shows: not a grab of the window's items, which say what it would draw, not what it drew.
QImage screen() { return TestDesktop::screen(); }

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 12 && qAbs(qGreen(a) - qGreen(b)) <= 12 && qAbs(qBlue(a) - qBlue(b)) <= 12;
}

// The share of the window's card (its margin left out) that the screen shows otherwise than the window draws it.
double undrawnShare(QQuickWindow *window)
{
    const QImage drawn = window->grabWindow().convertToFormat(QImage::Format_RGB32)
                             .scaled(window->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage shown = screen();
    const QRect card = QRect(QPoint(), window->size()).adjusted(14, 14, -14, -14);
    int differing = 0, all = 0;
    for (int y = card.top(); y <= card.bottom(); y += 3) {
        for (int x = card.left(); x <= card.right(); x += 3, ++all) {
            const QPoint onScreen = window->position() + QPoint(x, y);
            differing += !shown.rect().contains(onScreen) || !near(shown.pixel(onScreen), drawn.pixel(x, y));
        }
    }
    return all ? double(differing) / all : 1.0;
}

// The window manager maps it, then the renderer's first frame comes.
bool drawn(QQuickWindow *window)
{
    return QTest::qWaitFor([window] { return undrawnShare(window) < 0.02; }, 5000);
}

// A few pixels into the transparent margin left of the main window's card.
QRgb leftMargin(QQuickWindow *window)
{
    return screen().pixel(window->position() + QPoint(3, window->height() / 2));
}

} // namespace

// Every window as the X screen shows it, under real window managers without a compositing manager (a virtual machine's
// or a remote desktop's lot) and with one (their own, or one that comes and goes).
class ScreenDrawingTest : public PlitJourney
{
    Q_OBJECT

private:
    TestDesktop m_desktop;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (the test runs under xvfb-run)");
        for (const char *tool : {"xcompmgr", "import", "xsetroot"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed (tools/setup installs it)").arg(tool)));
        }
        // A desktop that is neither black nor the backdrop's grey.
        QCOMPARE(QProcess::execute(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#3c6e46")}), 0);
    }

    void cleanupTestCase() { m_desktop.stop(); }

    void init()
    {
        // Openbox unless the row names the desktop.
        const QByteArray row = QTest::currentDataTag();
        const QString desktop = row.contains('/') ? QString::fromLatin1(row.left(row.indexOf('/'))) : QStringLiteral("openbox");
        const QString missing = TestDesktop::missing(desktop);
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing + QStringLiteral(" is not installed (tools/setup installs it)")));
        QVERIFY2(m_desktop.use(desktop), qPrintable(desktop + QStringLiteral(" did not start")));
        ui = std::make_unique<PlitInterface>();
        QVERIFY(ui->start() && drawn(ui->mainWindow()));
    }

    // Qt makes a window anew each time it is opened again: drawn like the first, not leaving on the screen what was
    // there before. Under every desktop with the software renderer (window managers differ in how they map a window
    // anew), under openbox with OpenGL.
    void windowsAreDrawnOnEveryOpening_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<bool>("inMenu");
        QTest::addColumn<QString>("title");
        const QStringList desktops = qEnvironmentVariable("PLIT_RENDERER") == QLatin1String("opengl") ? QStringList{"openbox"} : TestDesktop::names();
        for (const QString &desktop : desktops) {
            const QByteArray row = desktop.toLatin1() + '/';
            QTest::newRow(row + "sign-in") << QStringLiteral("账号登录") << false << QStringLiteral("登录");
            QTest::newRow(row + "about") << QStringLiteral("关于我们") << true << QStringLiteral("关于我们");
            QTest::newRow(row + "feedback") << QStringLiteral("问题反馈") << true << QStringLiteral("意见建议");
        }
    }

    void windowsAreDrawnOnEveryOpening()
    {
        QFETCH(QString, opener);
        QFETCH(bool, inMenu);
        QFETCH(QString, title);
        for (int opening = 1; opening <= 3; ++opening) {
            QVERIFY(inMenu ? P::clickInMenu(opener) : P::click(opener));
            QVERIFY(P::waitForWindow(title));
            QQuickWindow *window = P::window(title);
            QVERIFY2(drawn(window), qPrintable(QStringLiteral("opening %1: %2 % of the card not shown")
                                                   .arg(opening).arg(100 * undrawnShare(window))));
            // PLIT_SCREEN_PICTURES=DIR keeps what the screen showed, to look at.
            const QString pictures = qEnvironmentVariable("PLIT_SCREEN_PICTURES");
            if (!pictures.isEmpty())
                screen().save(QStringLiteral("%1/%2-%3.png").arg(pictures, QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char('/'), QLatin1Char('-'))).arg(opening));
            P::press(Qt::Key_Escape);
            QVERIFY(P::waitForWindowGone(title));
        }
    }

    // A compositing manager started while the program runs makes the card's margin see-through; stopped, the backdrop
    // comes back, and no black band shows either way. Windows opened after each change are drawn.
    void backdropFollowsTheCompositingManager()
    {
        QQuickWindow *main = ui->mainWindow();
        const QRgb backdrop = OpaqueWindows::backdrop().rgb();
        QCOMPARE(main->color().alpha(), 255);
        QTRY_VERIFY(near(leftMargin(main), backdrop));
        const auto signInIsDrawn = [] { return P::click(QStringLiteral("账号登录")) && P::waitForWindow(QStringLiteral("登录")) && drawn(P::window(QStringLiteral("登录"))); };

        QProcess compositor;
        compositor.start(QStringLiteral("xcompmgr"), QStringList());
        QTRY_COMPARE(main->color().alpha(), 0);
        QTRY_VERIFY(!near(leftMargin(main), backdrop) && qGray(leftMargin(main)) > 40);
        QVERIFY(signInIsDrawn());
        P::press(Qt::Key_Escape);
        QVERIFY(P::waitForWindowGone(QStringLiteral("登录")));

        compositor.terminate();
        QVERIFY(compositor.waitForFinished(5000));
        QTRY_COMPARE(main->color().alpha(), 255);
        QTRY_VERIFY(near(leftMargin(main), backdrop));
        QVERIFY(signInIsDrawn());
    }
};

PLIT_INTERFACE_TEST_MAIN(ScreenDrawingTest)
#include "tst_screendrawing.moc"
