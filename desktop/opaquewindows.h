#pragma once

#include <QObject>

// The interface's frameless windows leave a transparent margin around their
// card for its shadow. Only a compositing manager makes that margin see-through;
// without one (a plain X server) it would show black. There every window of
// the interface is given an opaque backdrop of the desktop's light grey
// instead, as it first shows.
class OpaqueWindows : public QObject
{
    Q_OBJECT
public:
    // Watches the windows of this process when the display has no
    // compositing manager. Once per process.
    static void installWhereNeeded();

    // Whether see-through windows show as such: true for every platform but
    // an X server whose screen has no compositing manager.
    static bool isComposited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
