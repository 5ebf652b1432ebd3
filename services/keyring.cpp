#include "services/keyring.h"

#include <QEventLoop>
#include <QTimer>

#include <qt5keychain/keychain.h>

namespace {

// Runs the job to its end (or the time limit); true when it succeeded.
bool run(QKeychain::Job &job, QString *why)
{
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(Keyring::timeoutMs, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!finished)
        loop.exec();
    if (!finished) {
        if (why)
            *why = QStringLiteral("the keyring did not answer");
        return false;
    }
    if (job.error() != QKeychain::NoError) {
        if (why)
            *why = job.errorString();
        return false;
    }
    return true;
}

} // namespace

QString Keyring::service()
{
    return QStringLiteral("Plit");
}

bool Keyring::write(const QString &phone, const QString &password, QString *why)
{
    QKeychain::WritePasswordJob job(service());
    job.setInsecureFallback(false);
    job.setKey(phone);
    job.setTextData(password);
    return run(job, why);
}

bool Keyring::read(const QString &phone, QString *password, QString *why)
{
    QKeychain::ReadPasswordJob job(service());
    job.setInsecureFallback(false);
    job.setKey(phone);
    if (!run(job, why))
        return false;
    *password = job.textData();
    return true;
}

bool Keyring::remove(const QString &phone, QString *why)
{
    QKeychain::DeletePasswordJob job(service());
    job.setInsecureFallback(false);
    job.setKey(phone);
    return run(job, why);
}
