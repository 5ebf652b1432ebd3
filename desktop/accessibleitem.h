#pragma once

#include <QtQuick/private/qaccessiblequickitem_p.h>

class QQuickItem;

// What a screen reader learns of an item of the interface, beyond what Qt
// Quick tells by itself: that a control which cannot be used now is
// disabled, and the value of a progress bar (its `value` between
// `minimumValue` and `maximumValue`).
class AccessibleItem : public QAccessibleQuickItem
{
public:
    explicit AccessibleItem(QQuickItem *item);

    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // Makes every accessible item of the interface, and the application
    // itself (AccessibleApplication), known this way. Once per process,
    // before the first window.
    static void install();
};
