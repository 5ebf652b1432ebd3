#include "desktop/accessibleapplication.h"

#include <QGuiApplication>

QString AccessibleApplication::text(QAccessible::Text type) const
{
    if (type == QAccessible::Name)
        return QGuiApplication::applicationDisplayName();
    return QAccessibleApplication::text(type);
}
