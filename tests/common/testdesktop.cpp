#include "testdesktop.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString xfconfd = QStringLiteral("/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd");
const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");

struct Desktop {
    QString arguments;
    QString name; // what it calls itself on its check window
    QStringList environment;
    bool xfce = false; // with xfconfd and xfce4-panel beside it
};

const QMap<QString, Desktop> &desktops()
{
    static const QMap<QString, Desktop> table{
        {"openbox", {"--sm-disable --replace", "Openbox", {}}},
        {"xfwm4", {"--compositor=off --sm-client-disable --replace", "Xfwm4", {}, true}},
        {"metacity", {"--sm-disable --replace", "Metacity", {}}},
        // KDE's, without compositing: no OpenGL here.
        {"kwin_x11", {"--replace", "KWin", {"KWIN_COMPOSE=N"}}},
        // UKUI's (compositing, by XRender); it refuses to start unless told
        // the session is an X11 one.
        {"ukwm", {"--replace --sm-disable", "Ukwm", {"XDG_SESSION_TYPE=x11"}}},
    };
    return table;
}

// One panel at the bottom of the screen holding only the notification area,
// as short as what it shows: its one icon is in its middle. Given to xfconfd
// as the panel's settings, so the panel asks nothing at its first start.
const char panelSettings[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=0;y=0"/>
      <property name="length" type="uint" value="1"/>
      <property name="length-adjust" type="bool" value="true"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
)";

bool onTheBus(const QString &service)
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(service).value();
}

QString windowManagerName()
{
    const WId check = TestDesktop::xprop(QStringLiteral("_NET_SUPPORTING_WM_CHECK")).section(QLatin1Char('#'), 1).trimmed().toULongLong(nullptr, 16);
    return check ? TestDesktop::xprop(QStringLiteral("_NET_WM_NAME"), check).section(QLatin1Char('"'), 1, 1) : QString();
}

// Where the panel shows on the screen (its top-level window, not the
// 10×10 hidden ones beside it).
QRect panelRect()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    xwininfo.waitForFinished(5000);
    static const QRegularExpression line(QStringLiteral(R"(\("xfce4-panel" "Xfce4-panel"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))"));
    for (auto match = line.globalMatch(QString::fromUtf8(xwininfo.readAllStandardOutput())); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        const QRect rect(found.captured(3).toInt(), found.captured(4).toInt(), found.captured(1).toInt(), found.captured(2).toInt());
        if (rect.width() > 10 && rect.height() > 10)
            return rect;
    }
    return {};
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
    if (desktops().value(name).xfce)
        programs << xfconfd << QStringLiteral("xfce4-panel") << QStringLiteral("xfconf-query") << QStringLiteral("xdotool");
    for (const QString &program : programs) {
        if (program.startsWith(QLatin1Char('/')) ? !QFileInfo(program).isExecutable() : QStandardPaths::findExecutable(program).isEmpty())
            return program;
    }
    return {};
}

bool TestDesktop::hasPanel(const QString &name)
{
    return desktops().value(name).xfce;
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

void TestDesktop::stop()
{
    end(m_panel);
    end(m_windowManager);
    end(m_settings);
    // The panel's notification area runs in a process of its own, which
    // leaves the bus after the panel.
    if (!m_running.isEmpty() && hasPanel(m_running))
        static_cast<void>(QTest::qWaitFor([] { return !onTheBus(watcher); }, 10000));
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
    if (desktop.xfce) {
        // xfconfd, with the panel's settings, on the bus before xfwm4 asks
        // it for its own.
        m_config = std::make_unique<QTemporaryDir>();
        const QString channels = m_config->filePath(QStringLiteral("xfce4/xfconf/xfce-perchannel-xml"));
        QFile settings(channels + QStringLiteral("/xfce4-panel.xml"));
        if (!QDir().mkpath(channels) || !settings.open(QIODevice::WriteOnly) || settings.write(panelSettings) < 0)
            return false;
        settings.close();
        environment << QStringLiteral("XDG_CONFIG_HOME=") + m_config->path();
        m_settings.setEnvironment(environment);
        m_settings.start(xfconfd, QStringList());
        if (!m_settings.waitForStarted() || !QTest::qWaitFor([] { return onTheBus(QStringLiteral("org.xfce.Xfconf")); }, 10000))
            return false;
    }
    m_windowManager.setEnvironment(environment);
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    m_windowManager.start(name, desktop.arguments.split(QLatin1Char(' ')));
    if (!m_windowManager.waitForStarted()
        || !QTest::qWaitFor([&] { return windowManagerName() == desktop.name; }, 20000))
        return false;
    if (desktop.xfce) {
        m_panel.setEnvironment(environment);
        m_panel.setStandardOutputFile(QProcess::nullDevice());
        m_panel.setStandardErrorFile(QProcess::nullDevice());
        m_panel.start(QStringLiteral("xfce4-panel"), {QStringLiteral("--sm-client-disable")});
        if (!m_panel.waitForStarted() || !QTest::qWaitFor([] { return onTheBus(watcher) && panelRect().isValid(); }, 20000))
            return false;
    }
    // Settled: it manages a window that opens now.
    QTest::qWait(500);
    m_running = name;
    return true;
}

bool TestDesktop::clickTrayIcon()
{
    // The notification area grows to hold the icon once it shows one.
    QRect panel;
    if (!QTest::qWaitFor([&] { panel = panelRect(); return panel.width() >= 20; }, 10000))
        return false;
    const QPoint icon = panel.center();
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(icon.x()), QString::number(icon.y()),
                                                        QStringLiteral("click"), QStringLiteral("1")}) == 0;
}

QStringList TestDesktop::trayNames() const
{
    QProcess query;
    query.setEnvironment(QProcess::systemEnvironment() << QStringLiteral("XDG_CONFIG_HOME=") + (m_config ? m_config->path() : QString()));
    query.start(QStringLiteral("xfconf-query"), {QStringLiteral("-c"), QStringLiteral("xfce4-panel"), QStringLiteral("-p"), QStringLiteral("/plugins/plugin-1/known-items")});
    query.waitForFinished(5000);
    // "Value is an array with N items:", an empty line, one name a line.
    QStringList lines = QString::fromUtf8(query.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(1);
}
