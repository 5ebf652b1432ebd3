#include "desktop/accessibleitem.h"

#include "desktop/accessibleapplication.h"

#include <QCoreApplication>
#include <QQuickItem>
#include <QtQuick/private/qquickitem_p.h>

namespace {

// Asked for each class of an object, the most derived first, before Qt
// Quick's own factory is asked for the class QQuickItem: so every item that
// carries accessible properties is made here. The web view keeps the web
// engine's own interface, which holds the page's tree.
QAccessibleInterface *makeAccessible(const QString &className, QObject *object)
{
    Q_UNUSED(className);
    if (object && object == QCoreApplication::instance())
        return new AccessibleApplication;
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item || !QQuickItemPrivate::get(item)->isAccessible || item->inherits("QQuickWebEngineView"))
        return nullptr;
    return new AccessibleItem(item);
}

} // namespace

AccessibleItem::AccessibleItem(QQuickItem *item)
    : QAccessibleQuickItem(item)
{
}

QAccessible::State AccessibleItem::state() const
{
    QAccessible::State state = QAccessibleQuickItem::state();
    if (!item()->isEnabled()) {
        state.disabled = true;
        state.focusable = false;
    }
    return state;
}

void *AccessibleItem::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface && role() == QAccessible::ProgressBar)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleQuickItem::interface_cast(type);
}

void AccessibleItem::install()
{
    static bool installed = false;
    if (installed)
        return;
    QAccessible::installFactory(makeAccessible);
    installed = true;
}
