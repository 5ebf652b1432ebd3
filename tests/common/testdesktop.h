#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>
#include <QWindow>

#include <memory>

// One of the desktops the program is tried on, started on the test's own X display and session bus in place of the last
// one: its window manager and what runs beside it (XFCE's settings daemon; XFCE's and UKUI's panels, whose notification
// areas host the tray icon). Named after their window manager's program.
class TestDesktop
{
public:
    static QStringList names();
    // What `name` needs that is not installed here (tools/setup installs it), or nothing.
    static QString missing(const QString &name);
    // Whether `name` brings a notification area of its own: its panel owns org.kde.StatusNotifierWatcher on the session
    // bus while it runs.
    static bool hasPanel(const QString &name);

    // A property of `window`, or else of the root window, as xprop prints it (in `format` when given).
    static QString xprop(const QString &property, WId window = 0, const QStringList &format = {});
    // The window a root window's property names (the first: xfwm4 writes a second value after it).
    static WId xpropWindow(const QString &property);
    // What the X screen shows in `area` (all of it when null), as a person sees it; null if unread.
    static QImage screen(const QRect &area = {});

    TestDesktop() = default;
    TestDesktop(const TestDesktop &) = delete;
    TestDesktop &operator=(const TestDesktop &) = delete;
    ~TestDesktop() { stop(); }

    // Starts `name`, after ending the running one; true once its window manager manages the display (and its panel
    // shows its notification area).
    bool use(const QString &name);
    QString running() const { return m_running; }
    void stop();

    // A person's click on the program's icon in the panel, with the pointer.
    bool clickTrayIcon();
    // The names the panel's notification area lists the items it has shown by.
    QStringList trayNames() const;

private:
    QProcess m_windowManager;
    QProcess m_settings;
    QProcess m_trayWatcher;
    QProcess m_panel;
    std::unique_ptr<QTemporaryDir> m_config;
    QString m_running;
};
