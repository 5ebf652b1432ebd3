#include "desktop/opaquewindows.h"

#include <QColor>
#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QSurfaceFormat>

#include <cstdlib>

#if defined(PLIT_HAVE_XCB)
#include <xcb/xcb.h>
#endif

namespace {

// Marks a window whose transparency was traded for the backdrop, so that it
// gets it back and other windows keep the colour they chose.
const char *const kGivenBackdrop = "plitGivenBackdrop";

#if defined(PLIT_HAVE_XCB)
// The compositing manager's selection on the default screen, the first event
// number of the XFixes extension (or -1), and whether the selection has an
// owner; asked on a connection of our own, which the answers outlive.
struct CompositorQuery
{
    quint32 selection = 0;
    int xfixesEvent = -1;
    bool owned = true;
};

CompositorQuery queryCompositor()
{
    CompositorQuery query;
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return query;
    }
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    if (atom) {
        query.selection = atom->atom;
        xcb_get_selection_owner_reply_t *owner =
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        query.owned = owner && owner->owner != XCB_NONE;
        free(owner);
        free(atom);
    }
    const char xfixes[] = "XFIXES";
    xcb_query_extension_reply_t *extension = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, sizeof xfixes - 1, xfixes), nullptr);
    if (extension && extension->present)
        query.xfixesEvent = extension->first_event;
    free(extension);
    xcb_disconnect(connection);
    return query;
}
#endif

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace

QColor OpaqueWindows::backdrop()
{
    return QColor(0xee, 0xf1, 0xf5);
}

bool OpaqueWindows::isComposited()
{
#if defined(PLIT_HAVE_XCB)
    return !onX11() || queryCompositor().owned;
#else
    return true;
#endif
}

void OpaqueWindows::install()
{
    static bool installed = false;
    if (installed || !qApp || !onX11())
        return;
    installed = true;
    auto *watcher = new OpaqueWindows(qApp);
#if defined(PLIT_HAVE_XCB)
    const CompositorQuery query = queryCompositor();
    watcher->m_selection = query.selection;
    watcher->m_xfixesEvent = query.xfixesEvent;
    watcher->setComposited(query.owned);
#endif
    qApp->installEventFilter(watcher);
    // Qt's own connection hears the selection change hands (it asks XFixes
    // for it, to know the same for itself).
    qApp->installNativeEventFilter(watcher);
}

void OpaqueWindows::setComposited(bool composited)
{
    m_composited = composited;
    qDebug().noquote() << (composited ? QStringLiteral("a compositing manager runs: windows are see-through")
                                      : QStringLiteral("no compositing manager: windows get an opaque backdrop"));
    for (QWindow *window : QGuiApplication::allWindows()) {
        if (auto *quick = qobject_cast<QQuickWindow *>(window))
            follow(quick);
    }
}

void OpaqueWindows::follow(QQuickWindow *window) const
{
    const bool given = window->property(kGivenBackdrop).toBool();
    if (m_composited == !given)
        return;
    if (!m_composited && window->color().alpha() == 255)
        return;
    // A window's colour also decides whether it asks for an alpha channel;
    // it keeps asking, so that the window it is made as next time (Qt makes
    // one anew after each close) is of the same kind as the first, and the
    // transparency can come back.
    const QSurfaceFormat format = window->requestedFormat();
    window->setColor(m_composited ? QColor(Qt::transparent) : backdrop());
    window->setFormat(format);
    window->setProperty(kGivenBackdrop, !m_composited);
    window->update();
}

bool OpaqueWindows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        if (auto *window = qobject_cast<QQuickWindow *>(watched))
            follow(window);
    }
    return QObject::eventFilter(watched, event);
}

bool OpaqueWindows::nativeEventFilter(const QByteArray &eventType, void *message, long *)
{
#if defined(PLIT_HAVE_XCB)
    if (m_xfixesEvent < 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // XFixesSelectionNotify: the selection's new owner (or none).
    struct SelectionNotify
    {
        uint8_t responseType, subtype;
        uint16_t sequence;
        uint32_t window, owner, selection, timestamp, selectionTimestamp;
    };
    if ((event->response_type & 0x7f) != m_xfixesEvent)
        return false;
    const auto *notify = reinterpret_cast<const SelectionNotify *>(event);
    if (notify->selection == m_selection && (notify->owner != XCB_NONE) != m_composited)
        setComposited(notify->owner != XCB_NONE);
#else
    Q_UNUSED(eventType)
    Q_UNUSED(message)
#endif
    return false;
}
