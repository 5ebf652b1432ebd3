#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace QKeychain {
class Job;
}

// The user's keyring (the desktop's Secret Service, or KDE's wallet, through
// QtKeychain), where "记住密码" keeps the password under the phone number.
// Nothing here waits: every call returns at once and the keyring's answer
// comes later on the event loop, when the person has answered the desktop's
// prompt (making a new keyring, unlocking one), however long that takes,
// or never. One request runs at a time, in the order they were made; a
// password to keep for a phone number whose last request has not started
// yet takes that request's place, so one sign-in asks the person once.
class Keyring : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { Done, Missing, Refused };
    Q_ENUM(Outcome)
    using ReadAnswer = std::function<void(Outcome outcome, const QString &secret, const QString &why)>;

    // The one of the process (a child of the application object).
    static Keyring *instance();

    // `password` under `phone` in the keyring; an empty one takes the entry
    // out. answered() tells how it went.
    void keep(const QString &phone, const QString &password);
    // The entry of `phone`, handed to `done` on `receiver`'s thread, unless
    // `receiver` is gone by then.
    void read(const QString &phone, QObject *receiver, ReadAnswer done);
    // Whether requests are waiting or running.
    bool isBusy() const { return m_running || !m_queue.isEmpty(); }

    // Whether the session bus has a keyring at all: one that runs there or
    // one the bus starts when asked. Asks the bus, never the keyring: no
    // prompt, no person to wait for.
    static bool existsOnSessionBus();
    static QString service();

signals:
    // The keyring answered keep(phone, password): Done when it now holds
    // that password (for an empty one, no entry any more).
    void answered(const QString &phone, const QString &password, Keyring::Outcome outcome, const QString &why);

private:
    struct Request
    {
        enum Kind { Keep, Read } kind;
        QString phone;
        QString password;
        QPointer<QObject> receiver;
        ReadAnswer done;
    };

    explicit Keyring(QObject *parent);
    void scheduleNext();
    void startNext();
    void finish(QKeychain::Job *job, const Request &request);

    QList<Request> m_queue;
    bool m_running = false;
    bool m_scheduled = false;
};
