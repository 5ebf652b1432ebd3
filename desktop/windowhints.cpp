#include "desktop/windowhints.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#ifdef PLIT_HAVE_XCB
#include <xcb/xcb.h>
#include <cstdlib>
#include <cstring>
#endif

void WindowHints::install()
{
    static WindowHints *hints = nullptr;
    if (hints || !QGuiApplication::instance())
        return;
    hints = new WindowHints;
    hints->setParent(QGuiApplication::instance());
    QGuiApplication::instance()->installEventFilter(hints);
    // Every window's icon, the web windows' included, unless one sets its own.
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/app.png"));
    icon.addFile(QStringLiteral(":/images/app@2x.png"));
    QGuiApplication::setWindowIcon(icon);
}

bool WindowHints::eventFilter(QObject *watched, QEvent *event)
{
    // Sent before the window is handed to the window manager.
    if (event->type() == QEvent::Show && watched->isWindowType()) {
        auto *window = static_cast<QWindow *>(watched);
        if (window->property("fixedSize").toBool()) {
            window->setMinimumSize(window->size());
            window->setMaximumSize(window->size());
        }
        if (window->property("skipTaskbar").toBool())
            skipTaskbar(window);
    }
    return false;
}

void WindowHints::skipTaskbar(QWindow *window)
{
#ifdef PLIT_HAVE_XCB
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    auto *connection = native ? static_cast<xcb_connection_t *>(native->nativeResourceForIntegration("connection")) : nullptr;
    if (!connection)
        return;
    const auto atom = [connection](const char *name) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : XCB_ATOM_NONE;
        std::free(reply);
        return result;
    };
    // Qt keeps what it finds in _NET_WM_STATE when it maps the window and
    // adds its own states.
    const xcb_atom_t states[] = {atom("_NET_WM_STATE_SKIP_TASKBAR"), atom("_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), atom("_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, 2, states);
#else
    Q_UNUSED(window);
#endif
}
