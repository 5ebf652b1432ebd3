#include "core/requestwait.h"

#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QList>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace {

// One waiting request.
struct Waiter
{
    QPointer<QNetworkReply> reply;
    bool givenUp = false;
};

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// Installed on the application while a request waits.
class InputHold : public QObject
{
public:
    QList<Waiter *> waiters;
    // Closed and released during the waits, for after them.
    QList<QPointer<QWindow>> closed;
    QList<QPointer<QObject>> released;

    void giveUp()
    {
        for (Waiter *waiter : qAsConst(waiters)) {
            if (waiter->givenUp)
                continue;
            waiter->givenUp = true;
            if (waiter->reply)
                waiter->reply->abort();
        }
    }

    // After the last wait: what was held back happens, once the handler
    // that waited has returned to the event loop.
    void replay()
    {
        const QList<QPointer<QWindow>> windows = closed;
        const QList<QPointer<QObject>> objects = released;
        closed.clear();
        released.clear();
        for (const QPointer<QWindow> &window : windows) {
            if (window)
                QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
        }
        for (const QPointer<QObject> &object : objects) {
            if (object)
                object->deleteLater();
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::DeferredDelete) {
            if (!released.contains(watched))
                released.append(watched);
            return true;
        }
        if (type == QEvent::Close && watched->isWindowType()) {
            auto *window = static_cast<QWindow *>(watched);
            if (!closed.contains(window))
                closed.append(window);
            giveUp();
            event->ignore();
            return true;
        }
        if (type == QEvent::ShortcutOverride) {
            // Taken as the window's own key, so that no shortcut fires;
            // the key press that follows is held back below.
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
                giveUp();
            event->accept();
            return true;
        }
        if (type == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            giveUp();
        return isInput(type);
    }
};

InputHold *hold()
{
    static InputHold *instance = nullptr;
    if (!instance)
        instance = new InputHold;
    return instance;
}

} // namespace

RequestWait::Outcome RequestWait::wait(QNetworkReply *reply, int limitMs)
{
    if (reply->isFinished())
        return Finished;

    InputHold *const filter = hold();
    QCoreApplication *const app = QCoreApplication::instance();
    const bool screen = qobject_cast<QGuiApplication *>(app) != nullptr;
    Waiter waiter;
    waiter.reply = reply;
    if (filter->waiters.isEmpty()) {
        app->installEventFilter(filter);
        if (screen)
            QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    }
    filter->waiters.append(&waiter);

    bool timedOut = false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    limit.start(qMax(0, limitMs));
    if (!reply->isFinished())
        loop.exec();
    limit.stop();

    filter->waiters.removeOne(&waiter);
    if (filter->waiters.isEmpty()) {
        if (screen)
            QGuiApplication::restoreOverrideCursor();
        app->removeEventFilter(filter);
        filter->replay();
    }
    if (waiter.givenUp)
        return GivenUp;
    return timedOut ? TimedOut : Finished;
}

bool RequestWait::waiting()
{
    return !hold()->waiters.isEmpty();
}

void RequestWait::giveUp()
{
    hold()->giveUp();
}
