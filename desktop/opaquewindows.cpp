#include "desktop/opaquewindows.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QGuiApplication>
#include <QQuickWindow>

#if defined(PLIT_HAVE_XCB)
#include <xcb/xcb.h>
#endif

namespace {

const QColor kBackdrop(0xee, 0xf1, 0xf5);

} // namespace

bool OpaqueWindows::isComposited()
{
#if defined(PLIT_HAVE_XCB)
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return true;
    }
    // A compositing manager owns the selection "_NET_WM_CM_S<screen>".
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    bool owned = true;
    if (atom) {
        xcb_get_selection_owner_reply_t *owner =
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        owned = owner && owner->owner != XCB_NONE;
        free(owner);
        free(atom);
    }
    xcb_disconnect(connection);
    return owned;
#else
    return true;
#endif
}

void OpaqueWindows::installWhereNeeded()
{
    static bool installed = false;
    if (installed || !qApp || isComposited())
        return;
    installed = true;
    qDebug().noquote() << QStringLiteral("no compositing manager: windows get an opaque backdrop");
    qApp->installEventFilter(new OpaqueWindows(qApp));
}

bool OpaqueWindows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *window = qobject_cast<QQuickWindow *>(watched);
        if (window && window->color().alpha() < 255)
            window->setColor(kBackdrop);
    }
    return QObject::eventFilter(watched, event);
}
