#include "services/keyring.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDebug>

#include <qt5keychain/keychain.h>

Keyring::Keyring(QObject *parent)
    : QObject(parent)
{
}

Keyring *Keyring::instance()
{
    static QPointer<Keyring> keyring;
    if (!keyring)
        keyring = new Keyring(QCoreApplication::instance());
    return keyring;
}

QString Keyring::service()
{
    return QStringLiteral("Plit");
}

bool Keyring::existsOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr;
    if (!daemon)
        return false;
    // The Secret Service, and the wallet QtKeychain uses on KDE.
    const QStringList names = {QStringLiteral("org.freedesktop.secrets"), QStringLiteral("org.kde.kwalletd5"),
                               QStringLiteral("org.kde.kwalletd")};
    const QDBusReply<QStringList> activatable = daemon->activatableServiceNames();
    for (const QString &name : names) {
        if (daemon->isServiceRegistered(name).value() || (activatable.isValid() && activatable.value().contains(name)))
            return true;
    }
    return false;
}

void Keyring::keep(const QString &phone, const QString &password)
{
    // A request for the same number still waiting gives way, in its place:
    // only the latest wish is asked of the keyring.
    for (Request &waiting : m_queue) {
        if (waiting.kind == Request::Keep && waiting.phone == phone) {
            waiting.password = password;
            return;
        }
    }
    m_queue.append(Request{Request::Keep, phone, password, nullptr, nullptr});
    scheduleNext();
}

void Keyring::read(const QString &phone, QObject *receiver, ReadAnswer done)
{
    m_queue.append(Request{Request::Read, phone, QString(), receiver, std::move(done)});
    scheduleNext();
}

// The next turn of the event loop, so that what one action asks for at
// once (forget, then remember the same number) reaches the keyring as one
// request.
void Keyring::scheduleNext()
{
    if (m_running || m_scheduled || m_queue.isEmpty())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &Keyring::startNext, Qt::QueuedConnection);
}

void Keyring::startNext()
{
    m_scheduled = false;
    if (m_running || m_queue.isEmpty())
        return;
    const Request request = m_queue.takeFirst();
    m_running = true;
    // Never deleted by anyone but itself, once it has finished: a job the
    // keyring never answers stays until the process ends, so no answer can
    // reach a job that is gone.
    QKeychain::Job *job = nullptr;
    if (request.kind == Request::Read) {
        auto *reading = new QKeychain::ReadPasswordJob(service());
        reading->setKey(request.phone);
        job = reading;
    } else if (request.password.isEmpty()) {
        auto *removing = new QKeychain::DeletePasswordJob(service());
        removing->setKey(request.phone);
        job = removing;
    } else {
        auto *writing = new QKeychain::WritePasswordJob(service());
        writing->setKey(request.phone);
        writing->setTextData(request.password);
        job = writing;
    }
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    connect(job, &QKeychain::Job::finished, this, [this, request](QKeychain::Job *finished) {
        finish(finished, request);
    });
    job->start();
}

void Keyring::finish(QKeychain::Job *job, const Request &request)
{
    m_running = false;
    Outcome outcome = Outcome::Done;
    if (job->error() == QKeychain::EntryNotFound)
        outcome = Outcome::Missing;
    else if (job->error() != QKeychain::NoError)
        outcome = Outcome::Refused;
    // Taking out an entry that is not there leaves what was wished for.
    if (request.kind == Request::Keep && request.password.isEmpty() && outcome == Outcome::Missing)
        outcome = Outcome::Done;
    const QString why = outcome == Outcome::Done ? QString() : job->errorString();
    scheduleNext();
    if (request.kind == Request::Read) {
        const QString secret = outcome == Outcome::Done ? static_cast<QKeychain::ReadPasswordJob *>(job)->textData() : QString();
        if (request.receiver)
            request.done(outcome, secret, why);
    } else {
        emit answered(request.phone, request.password, outcome, why);
    }
}
