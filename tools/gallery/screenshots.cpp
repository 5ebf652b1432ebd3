// Photographs the interface for the README: every shot starts the program's
// interface afresh against the stand-in platform, does what a person would
// do to reach a window, and saves what the screen shows (the main window with
// the windows open over it) as <folder>/<name>.png. Run by tools/screenshots
// on a virtual X display.
#include "plitinterface.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <cstdio>

namespace {

struct Shot
{
    const char *name;
    // Clicked in turn by name; "name=text" types text into the input named so;
    // "wait:ms" lets time pass; "focus:name" gives the keys to the control
    // named so, as Tab does.
    QStringList steps;
    // The window that must show before the picture is taken.
    const char *window;
    // What the machine has before the start: its installed programs.
    void (*prepare)(PlitInterface &ui) = nullptr;
};

void withPrintHelper(PlitInterface &ui)
{
    ui.installPrintHelper();
}

// The catalogue's first two installers come slowly, so that a download is
// seen running.
void slowDownloads(PlitInterface &ui)
{
    ui.server().script("/files/gen/50331648/setup_12.exe", {{"method", "GET"}, {"rate", 3 << 20}, {"times", 0}});
    ui.server().script("/files/installer/4194304/plit-helper-setup.sh",
                       {{"method", "GET"}, {"rate", 256 << 10}, {"times", 0}});
}

const Shot shots[] = {
    {"main", {}, "Plit云台"},
    {"more-menu", {"更多"}, "Plit云台"},
    {"sign-in-password", {"账号登录", "请输入手机号=13800000002", "记住密码"}, "登录"},
    {"sign-in-sms", {"账号登录", "手机登录"}, "登录"},
    {"sign-in-refused", {"账号登录", "请输入手机号=13800000002", "请输入密码=wrong", "登录"}, "登录"},
    {"register", {"账号登录", "注册新账号"}, "注册"},
    {"complete-account", {"账号登录", "请输入手机号=13800000001", "请输入密码=Plit@2026", "登录"}, "完善信息"},
    {"reset-password", {"账号登录", "忘记密码?"}, "重置密码"},
    {"focus-title-bar", {"focus:更多"}, "Plit云台"},
    {"main-signed-in", {"账号登录", "请输入手机号=13800000002", "请输入密码=Plit@2026", "登录"}, "Plit云台"},
    {"close-dialog", {"关闭"}, "提示"},
    {"notice-popup", {}, "Plit通知"},
    {"feedback", {"更多", "问题反馈", "程序错误", "请输入您需要反馈的内容(200字以内)...=打开目录时没有反应"}, "意见建议"},
    {"about", {"更多", "关于我们"}, "关于我们"},
    {"settings", {"更多", "系统设置", "恢复默认目录"}, "软件设置"},
    {"settings-refused", {"更多", "系统设置", "请选择下载目录=", "确定"}, "Plit提示"},
    {"program-path", {"js:Qt.createComponent('qrc:/ConfigDicPanel.qml').createObject(mainWindow, {key: '开票软件'}).show()"}, "配置开票软件地址"},
    {"news", {"新闻公告"}, "Plit云台"},
    {"my-apps", {"推荐应用"}, "Plit云台"},
    {"hot-apps", {"推荐应用", "热门应用"}, "Plit云台"},
    {"add-program", {"推荐应用", "更多#2"}, "添加自定义软件"},
    {"select-company", {"账号登录", "请输入手机号=13800000002", "请输入密码=Plit@2026", "登录", "我要开票"},
     "选择税号", withPrintHelper},
    {"focus-company-row", {"账号登录", "请输入手机号=13800000002", "请输入密码=Plit@2026", "登录", "我要开票",
                           "focus:北京恒达商贸有限公司 911100000007000000"},
     "选择税号", withPrintHelper},
    {"invoicing", {"账号登录", "请输入手机号=13800000002", "请输入密码=Plit@2026", "登录", "我要开票",
                   "下一页", "南京博远咨询有限公司 911105000007000685"},
     "南京博远咨询有限公司 911105000007000685", withPrintHelper},
    {"download-centre", {"推荐应用", "下载中心", "一键安装", "wait:2500"}, "Plit云台", slowDownloads},
    {"download-details", {"推荐应用", "下载中心", "一键安装#2", "wait:1200", "Plit开票助手#2"}, "Plit云台",
     slowDownloads},
};

bool perform(PlitInterface &ui, const QString &step)
{
    // A window that no click reaches, opened by the main window's own code.
    if (step.startsWith(QLatin1String("js:"))) {
        QQmlExpression expression(QQmlEngine::contextForObject(ui.mainWindow()),
                                  ui.mainWindow(), step.mid(3));
        expression.evaluate();
        return !expression.hasError();
    }
    if (step.startsWith(QLatin1String("focus:"))) {
        QQuickItem *item = nullptr;
        if (!QTest::qWaitFor([&] { return (item = PlitInterface::find(step.mid(6))) != nullptr; }, 5000))
            return false;
        item->window()->requestActivate();
        (void)QTest::qWaitForWindowActive(item->window(), 1000);
        item->forceActiveFocus(Qt::TabFocusReason);
        return true;
    }
    // "wait:ms": time for something to happen that shows, a download's progress.
    if (step.startsWith(QLatin1String("wait:"))) {
        QTest::qWait(step.mid(5).toInt());
        return true;
    }
    const int equals = step.indexOf(QLatin1Char('='));
    if (equals > 0)
        return PlitInterface::type(step.left(equals), step.mid(equals + 1));
    // "name#n": the n-th item of that name, where a tile and a button share one.
    const int hash = step.lastIndexOf(QLatin1Char('#'));
    const QString name = hash > 0 ? step.left(hash) : step;
    const int nth = hash > 0 ? step.mid(hash + 1).toInt() : 1;
    QQuickItem *item = nullptr;
    if (!QTest::qWaitFor([&] { return (item = PlitInterface::findAll(name).value(nth - 1)) != nullptr; }, 5000))
        return false;
    PlitInterface::click(item);
    return true;
}

// The shown windows drawn over a quiet backdrop in the order they stack,
// cut to the area around them.
QImage screen(QQuickWindow *main)
{
    // The main window at the bottom, the modal one (listed first) on top.
    QList<QQuickWindow *> windows = PlitInterface::windows();
    if (!windows.isEmpty() && windows.first() == QGuiApplication::modalWindow())
        windows.move(0, windows.size() - 1);
    windows.removeOne(main);
    windows.prepend(main);
    QRect area;
    for (QQuickWindow *window : windows)
        area |= window->geometry();
    area.adjust(-30, -30, 30, 30);
    // On a scaled screen the picture has the screen's pixels, not the windows' points.
    const qreal scale = main->devicePixelRatio();
    QImage canvas(area.size() * scale, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(scale);
    canvas.fill(QColor(0xe4, 0xea, 0xf2));
    QPainter painter(&canvas);
    for (QQuickWindow *window : windows) {
        QImage shot = window->grabWindow();
        // The software renderer hands its picture over in the screen's
        // pixels but without their ratio to the window's points.
        if (shot.width() > window->width() && qFuzzyCompare(shot.devicePixelRatio(), 1.0))
            shot.setDevicePixelRatio(qreal(shot.width()) / window->width());
        painter.drawImage(window->position() - area.topLeft(), shot);
    }
    return canvas;
}

} // namespace

int main(int argc, char *argv[])
{
    PlitInterface::prepareProcess();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    QDir().mkpath(folder.path());
    // The pictures named after the folder, or all of them.
    QStringList wanted;
    for (int i = 2; i < argc; ++i)
        wanted << QString::fromLocal8Bit(argv[i]);
    // Taken on a screen scaled by QT_SCALE_FACTOR, a picture is named so: "main-2x".
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    const QString scaled = scale > 1 ? QStringLiteral("-%1x").arg(scale) : QString();

    int failures = 0;
    for (const Shot &shot : shots) {
        if (!wanted.isEmpty() && !wanted.contains(QString::fromLatin1(shot.name)))
            continue;
        PlitInterface ui;
        if (shot.prepare)
            shot.prepare(ui);
        bool done = ui.start();
        for (const QString &step : shot.steps)
            done = done && perform(ui, step);
        // The notices pop up five seconds after the start.
        done = done && PlitInterface::waitForWindow(QString::fromUtf8(shot.window), 8000);
        // Web pages load in their own time.
        for (QQuickWindow *window : PlitInterface::windows()) {
            if (!PlitInterface::webViews(window).isEmpty())
                done = done && PlitInterface::waitForWebPages(window);
        }
        // Let images load and the last frame settle.
        QTest::qWait(400);
        const QString file = folder.filePath(QString::fromLatin1(shot.name) + scaled + QStringLiteral(".png"));
        // Log lines go to the shot's log file: report on the terminal.
        if (!done || !screen(ui.mainWindow()).save(file)) {
            std::fprintf(stderr, "could not take %s\n", shot.name);
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    }
    return failures == 0 && !QmlWarningGuard::failed() ? 0 : 1;
}
