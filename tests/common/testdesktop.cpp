#include "testdesktop.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {

const QString xfconfd = QStringLiteral("/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd");
const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString ukuiStyle = QStringLiteral("/usr/share/glib-2.0/schemas/org.ukui.style.gschema.xml");

enum class Panel { None, Xfce, Ukui };

struct Desktop {
    QString arguments;
    QString name; // what it calls itself on its check window
    QStringList environment;
    Panel panel = Panel::None;
};

const QMap<QString, Desktop> &desktops()
{
    // Window managers without a panel of their own run beside XFCE's, whose notification area hosts the tray icon.
    static const QMap<QString, Desktop> table{
        {"openbox", {"--sm-disable --replace", "Openbox", {}, Panel::Xfce}},
        {"xfwm4", {"--compositor=off --sm-client-disable --replace", "Xfwm4", {}, Panel::Xfce}},
        {"metacity", {"--sm-disable --replace", "Metacity", {}, Panel::Xfce}},
        // KDE's, without compositing: no OpenGL here.
        {"kwin_x11", {"--replace", "KWin", {"KWIN_COMPOSE=N"}, Panel::Xfce}},
        // UKUI's (compositing, by XRender); it refuses to start unless told the session is an X11 one.
        {"ukwm", {"--replace --sm-disable", "Ukwm", {"XDG_SESSION_TYPE=x11", "XDG_CURRENT_DESKTOP=UKUI"}, Panel::Ukui}},
    };
    return table;
}

// One panel at the bottom of the screen holding only the notification area, as short as what it shows: xfconfd's
// settings for it, so that it asks nothing at its first start.
const char panelSettings[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0"><property name="configver" type="int" value="2"/>
 <property name="panels" type="array"><value type="int" value="1"/><property name="panel-1" type="empty">
  <property name="position" type="string" value="p=8;x=0;y=0"/><property name="length" type="uint" value="1"/>
  <property name="length-adjust" type="bool" value="true"/><property name="position-locked" type="bool" value="true"/>
  <property name="size" type="uint" value="32"/>
  <property name="plugin-ids" type="array"><value type="int" value="1"/></property></property></property>
 <property name="plugins" type="empty"><property name="plugin-1" type="string" value="systray"/></property>
</channel>
)";

bool onTheBus(const QString &service)
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(service).value();
}

// Whether the notification area says a host shows its items: Qt asks once in a process's life.
bool trayShown()
{
    QDBusMessage get = QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({watcher, QStringLiteral("IsStatusNotifierHostRegistered")});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
    return reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

QString windowManagerName()
{
    const WId check = TestDesktop::xpropWindow(QStringLiteral("_NET_SUPPORTING_WM_CHECK"));
    return check ? TestDesktop::xprop(QStringLiteral("_NET_WM_NAME"), check).section('"', 1, 1) : QString();
}

// Where the panel shows on the screen (its top-level window, not the 10×10 hidden ones beside it).
QRect panelRect(Panel panel)
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    xwininfo.waitForFinished(5000);
    const QString windowClass = panel == Panel::Xfce ? QStringLiteral(R"(\("xfce4-panel" "Xfce4-panel"\))")
                                                     : QStringLiteral(R"(\("ukui-panel" "ukui-panel"\))");
    const QRegularExpression line(windowClass + QStringLiteral(R"(\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))"));
    for (auto match = line.globalMatch(QString::fromUtf8(xwininfo.readAllStandardOutput())); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        const QRect rect(found.captured(3).toInt(), found.captured(4).toInt(), found.captured(1).toInt(), found.captured(2).toInt());
        if (rect.width() > 10 && rect.height() > 10)
            return rect;
    }
    return {};
}

// The middle of the program's icon (a blue square) in `area` of the screen, or a null point.
QPoint iconIn(const QRect &area)
{
    const QImage shown = TestDesktop::screen(area);
    QPoint sum;
    int count = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb pixel = shown.pixel(x, y);
            if (qBlue(pixel) > 180 && qRed(pixel) < 100 && qGreen(pixel) > 80 && qGreen(pixel) < 200)
                sum += QPoint(x, y), ++count;
        }
    }
    return count >= 20 ? area.topLeft() + sum / count : QPoint();
}

// Starts `program` in `environment`, its output dropped; true once it runs and `service`, when named, is on the bus.
bool start(QProcess &process, const QStringList &environment, const QString &program, const QStringList &arguments,
           const QString &service = {})
{
    process.setEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForStarted() && (service.isEmpty() || QTest::qWaitFor([&] { return onTheBus(service); }, 10000));
}

void end(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill(), process.waitForFinished(5000);
}

} // namespace

QStringList TestDesktop::names()
{
    return desktops().keys();
}

QString TestDesktop::missing(const QString &name)
{
    QStringList programs{name};
    const Panel panel = desktops().value(name).panel;
    if (panel == Panel::Xfce)
        programs << xfconfd << QStringLiteral("xfce4-panel") << QStringLiteral("xfconf-query");
    // UKUI's panel leaves without the style settings of UKUI's Qt theme.
    if (panel == Panel::Ukui)
        programs << QStringLiteral("sni-daemon") << QStringLiteral("ukui-panel") << ukuiStyle;
    if (panel != Panel::None)
        programs << QStringLiteral("xdotool");
    for (const QString &program : programs) {
        if (program.startsWith(QLatin1Char('/')) ? !QFileInfo::exists(program) : QStandardPaths::findExecutable(program).isEmpty())
            return program;
    }
    return {};
}

bool TestDesktop::hasPanel(const QString &name)
{
    return desktops().value(name).panel != Panel::None;
}

QString TestDesktop::xprop(const QString &property, WId window, const QStringList &format)
{
    QProcess process;
    const QStringList target = window ? QStringList{QStringLiteral("-id"), QString::number(window)}
                                      : QStringList{QStringLiteral("-root")};
    process.start(QStringLiteral("xprop"), target + format + QStringList{property});
    process.waitForFinished(5000);
    return QString::fromLatin1(process.readAllStandardOutput());
}

WId TestDesktop::xpropWindow(const QString &property)
{
    return xprop(property).section('#', 1).section(',', 0, 0).trimmed().toULongLong(nullptr, 16);
}

QImage TestDesktop::screen(const QRect &area)
{
    QStringList arguments{"-window", "root"};
    if (!area.isNull())
        arguments << "-crop" << QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y());
    QProcess import;
    import.start(QStringLiteral("import"), arguments << "png:-");
    if (!import.waitForFinished(10000))
        return {};
    return QImage::fromData(import.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

void TestDesktop::stop()
{
    end(m_panel);
    end(m_trayWatcher);
    end(m_windowManager);
    end(m_settings);
    // A notification area in a process of its own may leave the bus after the panel.
    if (!m_running.isEmpty() && hasPanel(m_running))
        static_cast<void>(QTest::qWaitFor([] { return !onTheBus(watcher); }, 10000));
    // UKUI's panel leaves programs behind, detached (journalctl -f, for its calendar), which hold the test's output
    // open: whatever still runs in the desktop's home ends with it.
    if (m_config) {
        const QByteArray home = "HOME=" + QFile::encodeName(m_config->path()) + '\0';
        for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
            if (pid.toInt() > 0 && environment.open(QIODevice::ReadOnly) && ('\0' + environment.readAll()).contains('\0' + home))
                ::kill(pid_t(pid.toInt()), SIGTERM);
        }
    }
    m_config.reset();
    m_running.clear();
}

bool TestDesktop::use(const QString &name)
{
    if (name == m_running)
        return true;
    stop();
    const Desktop desktop = desktops().value(name);
    QStringList environment = QProcess::systemEnvironment() + desktop.environment;
    if (desktop.panel != Panel::None) {
        // The panel's settings in a home of the test's own (UKUI's panel writes into ~/.config by name).
        m_config = std::make_unique<QTemporaryDir>();
        if (!QDir().mkpath(m_config->filePath(QStringLiteral(".config"))))
            return false;
        environment << QStringLiteral("XDG_CONFIG_HOME=") + m_config->filePath(QStringLiteral(".config")) << QStringLiteral("HOME=") + m_config->path();
    }
    if (desktop.panel == Panel::Xfce) {
        // xfconfd, with the panel's settings, on the bus before xfwm4 asks it for its own.
        const QString channels = m_config->filePath(QStringLiteral(".config/xfce4/xfconf/xfce-perchannel-xml"));
        QFile settings(channels + QStringLiteral("/xfce4-panel.xml"));
        if (!QDir().mkpath(channels) || !settings.open(QIODevice::WriteOnly) || settings.write(panelSettings) < 0)
            return false;
        settings.close();
        if (!start(m_settings, environment, xfconfd, {}, QStringLiteral("org.xfce.Xfconf")))
            return false;
    }
    m_windowManager.setEnvironment(environment);
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    m_windowManager.start(name, desktop.arguments.split(QLatin1Char(' ')));
    if (!m_windowManager.waitForStarted()
        || !QTest::qWaitFor([&] { return windowManagerName() == desktop.name; }, 20000))
        return false;
    if (desktop.panel != Panel::None) {
        // UKUI's notification area is a daemon of its own beside the panel.
        const bool ukui = desktop.panel == Panel::Ukui;
        if ((ukui && !start(m_trayWatcher, environment, QStringLiteral("sni-daemon"), {}, watcher))
            || !start(m_panel, environment, ukui ? QStringLiteral("ukui-panel") : QStringLiteral("xfce4-panel"),
                      ukui ? QStringList() : QStringList{"--sm-client-disable"})
            || !QTest::qWaitFor([&] { return trayShown() && panelRect(desktop.panel).isValid(); }, 20000))
            return false;
    }
    // Settled: it manages a window that opens now.
    QTest::qWait(500);
    m_running = name;
    return true;
}

bool TestDesktop::clickTrayIcon()
{
    // XFCE's notification area is the whole panel; UKUI's is right of its middle, the taskbar left of it.
    const Panel panel = desktops().value(m_running).panel;
    QPoint icon;
    if (!QTest::qWaitFor([&] {
            QRect area = panelRect(panel);
            if (panel == Panel::Ukui)
                area.setLeft(area.center().x());
            icon = area.isValid() ? iconIn(area) : QPoint();
            return !icon.isNull();
        }, 10000))
        return false;
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(icon.x()), QString::number(icon.y()),
                                                        QStringLiteral("click"), QStringLiteral("1")}) == 0;
}

QStringList TestDesktop::trayNames() const
{
    if (!m_config)
        return {};
    if (desktops().value(m_running).panel == Panel::Ukui) {
        // UKUI's panel sorts the items it has met into shown and hidden ones.
        const QSettings settings(m_config->filePath(QStringLiteral(".config/ukui/panel.conf")), QSettings::IniFormat);
        QStringList names = settings.value("statusnotifier/showApp").toStringList() + settings.value("statusnotifier/hideApp").toStringList();
        for (QString &name : names)
            name = name.trimmed();
        return names;
    }
    QProcess query;
    query.start(QStringLiteral("xfconf-query"), {QStringLiteral("-c"), QStringLiteral("xfce4-panel"), QStringLiteral("-p"), QStringLiteral("/plugins/plugin-1/known-items")});
    query.waitForFinished(5000);
    // "Value is an array with N items:", an empty line, one name a line.
    return QString::fromUtf8(query.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).mid(1);
}
