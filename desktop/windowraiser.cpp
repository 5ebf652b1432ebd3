#include "desktop/windowraiser.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <functional>

#ifdef PLIT_HAVE_XCB
#include <xcb/xcb.h>
#include <cstring>
#endif

namespace {

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Makes the X server's present time the program's own "last event" time,
// which Qt's xcb plugin puts into _NET_WM_USER_TIME and the activation
// request. Returns that time, 0 where there is none.
quint32 takeCurrentServerTime(QScreen *screen)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    if (!native || !screen)
        return 0;
    using SetAppTime = void (*)(QScreen *, quint32);
    const auto setAppTime = reinterpret_cast<SetAppTime>(reinterpret_cast<void (*)()>(native->nativeResourceFunctionForScreen("setapptime")));
    const quint32 now = quint32(quintptr(native->nativeResourceForScreen("gettimestamp", screen)));
    if (!setAppTime || !now)
        return 0;
    setAppTime(screen, now);
    using SetAppUserTime = void (*)(QScreen *, quint32);
    if (const auto setUserTime = reinterpret_cast<SetAppUserTime>(reinterpret_cast<void (*)()>(native->nativeResourceFunctionForScreen("setappusertime"))))
        setUserTime(screen, now);
    return now;
}

#ifdef PLIT_HAVE_XCB
xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}
#endif

// Asks the window manager to activate `window` as a person's own request
// (the source a pager or taskbar gives), on Qt's X connection. Asked by the
// application itself, KWin and metacity at times gave the window the keys
// and left it under the program in front; a person's request is raised and
// focused by every window manager. The tray click and the second start are
// that: a person asking for the window.
void activateAsAskedByPerson(QWindow *window, quint32 time)
{
#ifdef PLIT_HAVE_XCB
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    auto *connection = native ? static_cast<xcb_connection_t *>(native->nativeResourceForIntegration("connection")) : nullptr;
    const auto root = native && window->screen() ? xcb_window_t(quintptr(native->nativeResourceForScreen("rootwindow", window->screen()))) : 0;
    if (!connection || !root)
        return;
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // a pager's request: a person's
    event.data.data32[1] = time;
    xcb_send_event(connection, false, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(connection);
#else
    Q_UNUSED(window)
    Q_UNUSED(time)
#endif
}

// Runs `then` once the window is mapped (at once if it is): a window manager
// activates only a window it manages. Given up after 3 s.
void onceExposed(QWindow *window, const std::function<void()> &then)
{
    if (window->isExposed())
        return then();
    auto *poll = new QTimer(window);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll, then, tries = 150]() mutable {
        if (window->isExposed())
            then();
        if (window->isExposed() || --tries == 0)
            poll->deleteLater();
    });
    poll->start();
}

// Sends the "remove" message of `startupId` on the X display, whatever Qt
// draws on: a connection of its own, also usable before the application
// object exists, by a copy that is about to leave, and under a Wayland
// session, where the desktop's launcher reads the messages on XWayland's
// display. False where no X display can be reached.
bool sendStartupRemove(const QByteArray &startupId)
{
#ifdef PLIT_HAVE_XCB
    int screenNumber = 0;
    xcb_connection_t *connection = qEnvironmentVariableIsEmpty("DISPLAY") ? nullptr : xcb_connect(nullptr, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection)
            xcb_disconnect(connection);
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
    // The messages name a window of the sender's: an unmapped one of its own.
    const xcb_window_t sender = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, sender, root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    // The text with its closing NUL, twenty bytes to a message.
    const QByteArray message = QByteArrayLiteral("remove: ID=") + startupId + '\0';
    for (int at = 0; at < message.size(); at += 20) {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = sender;
        event.type = at == 0 ? begin : more;
        std::memcpy(event.data.data8, message.constData() + at, size_t(qMin(20, int(message.size()) - at)));
        xcb_send_event(connection, false, root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char *>(&event));
    }
    xcb_destroy_window(connection, sender);
    xcb_flush(connection);
    xcb_disconnect(connection);
    return true;
#else
    Q_UNUSED(startupId);
    return false;
#endif
}

} // namespace

void WindowRaiser::bringBack(QWindow *window)
{
    if (!window)
        return;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // No activation under Wayland in Qt 5.15 (asking for it only writes
        // a warning): a window shown anew, from minimised or from the tray,
        // is put in front with the keys by the compositor.
        window->hide();
        window->showNormal();
        return;
    }
    const quint32 now = onX11() ? takeCurrentServerTime(window->screen()) : 0;
    // Shown normal straight from hidden or from minimised: mapping an iconic
    // window makes it normal again.
    window->showNormal();
    // The person's request raises the window and gives it the keys. A raise
    // asked for beside it goes wrong: KWin puts the window under the one that
    // has the keys, and metacity ignores it.
    if (now) {
        onceExposed(window, [window, now] {
            if (window->isVisible() && !(window->windowStates() & Qt::WindowMinimized))
                activateAsAskedByPerson(window, now);
        });
        return;
    }
    // Qt's own activation, where there is no server time to ask with.
    window->requestActivate();
}

bool WindowRaiser::isWellFormedStartupId(const QByteArray &startupId)
{
    if (startupId.isEmpty() || startupId.size() > 256)
        return false;
    for (const char c : startupId) {
        if (c <= ' ' || c > '~' || c == '"' || c == '\\')
            return false;
    }
    return true;
}

void WindowRaiser::completeStartup(const QByteArray &startupId)
{
    if (!isWellFormedStartupId(startupId))
        return;
    const QString id = QString::fromLatin1(startupId);
    if (sendStartupRemove(startupId))
        qDebug().noquote() << QStringLiteral("startup notification completed: ") + id;
    else // Qt 5.15 has no Wayland activation to end it with.
        qInfo().noquote() << QStringLiteral("startup notification %1 left to the desktop's timeout: no X display").arg(id);
}
