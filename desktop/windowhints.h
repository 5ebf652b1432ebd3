#pragma once

#include <QObject>

class QWindow;

// What every window of the program tells the window manager, set before the
// window is mapped each time it shows: Plit's icon; for a window whose
// `skipTaskbar` property is true, no entry of its own in the taskbar or the
// pager; for a window whose `fixedSize` property is true, a minimum size
// equal to its maximum, so that tiling window managers leave its size alone.
class WindowHints : public QObject
{
    Q_OBJECT

public:
    // Once per process; later calls do nothing.
    static void install();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void skipTaskbar(QWindow *window);
};
