#include "desktop/windowraiser.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

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
// request.
void takeCurrentServerTime(QScreen *screen)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    if (!native || !screen)
        return;
    using SetAppTime = void (*)(QScreen *, quint32);
    const auto setAppTime = reinterpret_cast<SetAppTime>(native->nativeResourceFunctionForScreen("setapptime"));
    const quint32 now = quint32(quintptr(native->nativeResourceForScreen("gettimestamp", screen)));
    if (!setAppTime || !now)
        return;
    setAppTime(screen, now);
    using SetAppUserTime = void (*)(QScreen *, quint32);
    if (const auto setUserTime = reinterpret_cast<SetAppUserTime>(native->nativeResourceFunctionForScreen("setappusertime")))
        setUserTime(screen, now);
}

#ifdef PLIT_HAVE_XCB
xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return result;
}
#endif

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
    if (onX11())
        takeCurrentServerTime(window->screen());
    // Shown normal straight from hidden or from minimised: mapping an iconic
    // window makes it normal again.
    window->showNormal();
    // Activation alone raises the window. A raise asked for beside it goes
    // wrong: metacity ignores it (the window's user time is still old) and
    // KWin puts the window under the one that still has the keys. Once the
    // window has the keys, a raise is taken by every window manager (and
    // brings it up where the activation only gave it the keys).
    window->requestActivate();
    if (window->isActive())
        window->raise();
    auto *once = new QObject(window);
    QObject::connect(window, &QWindow::activeChanged, once, [window, once] {
        if (!window->isActive())
            return;
        window->raise();
        once->deleteLater();
    });
    QTimer::singleShot(3000, once, &QObject::deleteLater);
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
