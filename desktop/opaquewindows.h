#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

class QQuickWindow;

// The interface's frameless windows leave a transparent margin around their
// card for its shadow. Only a compositing manager makes that margin
// see-through; without one (a plain X server) it would show black. There a
// window of the interface is given an opaque backdrop of the desktop's light
// grey instead, and given back its transparency when a compositing manager
// starts: the windows follow the owner of the selection "_NET_WM_CM_S<n>" as
// it comes and goes, while the program runs.
class OpaqueWindows : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // Watches the windows of this process and the compositing manager. Once
    // per process.
    static void install();

    // Whether see-through windows show as such: true for every platform but
    // an X server whose screen has no compositing manager.
    static bool isComposited();

    // The colour an opaque backdrop takes.
    static QColor backdrop();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

private:
    using QObject::QObject;
    // Gives `window` its backdrop or its transparency, as m_composited says.
    void follow(QQuickWindow *window) const;
    void setComposited(bool composited);

    bool m_composited = true;
    // The X extension whose events say that a selection changed hands, and
    // the compositing manager's selection.
    int m_xfixesEvent = -1;
    quint32 m_selection = 0;
};
