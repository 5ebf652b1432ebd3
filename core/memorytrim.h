#pragma once

#include <QObject>
#include <QTimer>

// Gives the memory of closed windows back to the system. Every thread that
// allocates (the scene graph's render threads, the web engine's) gets malloc
// arenas of its own, and glibc keeps what they free for later: after a web
// window has gone the process stays as large as while it was open. The
// arenas are capped at start, and some seconds after a window hides, once
// its views and pages have been freed, the free memory is returned (twice:
// the web engine frees the rest of a page later).
// Elsewhere than glibc nothing is done.
class MemoryTrim : public QObject
{
    Q_OBJECT

public:
    // Caps the malloc arenas: to be called first thing in main(), before any
    // thread exists.
    static void limitArenas();

    // Watches the application's windows from now on.
    static void install();

    // Returns the free memory of every arena to the system now; true when
    // some was returned.
    static bool trimNow();

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit MemoryTrim(QObject *parent);

    QTimer m_timer;
};
