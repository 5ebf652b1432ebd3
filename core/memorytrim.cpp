#include "core/memorytrim.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Long enough for a closed window's objects, its web pages among them, to
// have been deleted; the renderer processes end on their own. The web engine
// frees some of what a page held later still: a second pass takes that.
const int kFirstTrimMs = 8000;
const int kSecondTrimMs = 22000;

} // namespace

void MemoryTrim::limitArenas()
{
#ifdef __GLIBC__
    // Two arenas: the main thread's and one that every other thread shares.
    // The user's own MALLOC_ARENA_MAX, when set, is left to glibc.
    if (!qEnvironmentVariableIsSet("MALLOC_ARENA_MAX"))
        mallopt(M_ARENA_MAX, 2);
#endif
}

MemoryTrim::MemoryTrim(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        trimNow();
        if (m_timer.interval() == kFirstTrimMs) {
            m_timer.setInterval(kSecondTrimMs);
            m_timer.start();
        }
    });
}

void MemoryTrim::install()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || app->findChild<MemoryTrim *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    app->installEventFilter(new MemoryTrim(app));
}

bool MemoryTrim::trimNow()
{
#ifdef __GLIBC__
    return malloc_trim(0) != 0;
#else
    return false;
#endif
}

bool MemoryTrim::eventFilter(QObject *watched, QEvent *event)
{
    // A top-level window hidden (closed or destroyed hide first): trim once
    // things have settled; more windows closing put it off.
    if (event->type() == QEvent::Hide && watched->isWindowType()
        && !static_cast<QWindow *>(watched)->parent()) {
        m_timer.setInterval(kFirstTrimMs);
        m_timer.start();
    }
    return QObject::eventFilter(watched, event);
}
