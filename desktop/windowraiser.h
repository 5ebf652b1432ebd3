#pragma once

#include <QByteArray>

class QWindow;

// Brings a window of the program back to the person: from the tray, from
// minimised or from under other windows, shown normal, on top and with the
// keys, in one step.
class WindowRaiser
{
public:
    // On X11 the activation carries a current server time: asked by a tray
    // click over D-Bus or by a second start, the program has seen no recent
    // input event of its own, and window managers that prevent focus
    // stealing (mutter, metacity, ukwm) would only mark the window as
    // demanding attention. Where Qt cannot activate a window (Wayland), the
    // window is shown anew, which puts it in front.
    static void bringBack(QWindow *window);

    // Completes the desktop's startup notification `startupId` (the
    // DESKTOP_STARTUP_ID of a launch), so the launcher stops showing it as
    // starting: a "remove" message on the X display's root window, also
    // XWayland's under a Wayland session. Nothing for an empty id; where no
    // X display is reached, the log says the desktop's timeout ends it.
    static void completeStartup(const QByteArray &startupId);

    // Whether `startupId` may go into a startup-notification message: short
    // and printable, no quotes or backslashes that would end its value.
    static bool isWellFormedStartupId(const QByteArray &startupId);
};
