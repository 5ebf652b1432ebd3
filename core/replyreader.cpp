#include "core/replyreader.h"

#include "core/deployment.h"
#include "core/requestwait.h"

#include <QNetworkReply>
#include <QTimer>

#include <memory>

namespace ReplyReader {

namespace {

// Failures of the connection itself (refused, closed early, timed out,
// aborted, proxy trouble) and a broken protocol exchange, as opposed to an
// error status that the server answered on purpose.
bool transferBroke(QNetworkReply::NetworkError error)
{
    return (error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
        || error == QNetworkReply::ProtocolFailure;
}

qint64 announcedLength(const QNetworkReply *reply)
{
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() ? length.toLongLong() : -1;
}

// Whether `reply`, finished with `received` bytes kept, arrived whole: the
// server answered with a status (an error status delivers its body as
// well), the connection did not break off, and every announced byte came.
bool arrivedWhole(QNetworkReply *reply, qint64 received)
{
    const qint64 announced = announcedLength(reply);
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() && !transferBroke(reply->error())
        && (announced < 0 || announced == received);
}

} // namespace

QByteArray takeArrived(QNetworkReply *reply)
{
    const qint64 arrived = reply->bytesAvailable();
    return arrived > 0 ? reply->read(arrived) : QByteArray();
}

bool readWhole(QNetworkReply *reply, QByteArray *body, int limitMs)
{
    QByteArray received;
    bool tooLarge = false;
    const auto giveUpBeyond = [&](qint64 size) {
        if (size > MaxReplyBytes && !tooLarge) {
            tooLarge = true;
            reply->abort();
        }
    };
    // The connections end with this call, whatever becomes of the reply.
    QObject scope;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &scope,
                     [&] { giveUpBeyond(announcedLength(reply)); });
    // Keep what arrives as it arrives: an aborted reply drops its unread data.
    QObject::connect(reply, &QNetworkReply::readyRead, &scope, [&] {
        received += takeArrived(reply);
        giveUpBeyond(received.size());
    });
    // A server that never answers must not hold the request, or the caller,
    // for good; nor a person who gives up waiting.
    RequestWait::wait(reply, limitMs < 0 ? Deployment::requestTimeoutMs() : limitMs);
    if (!tooLarge) {
        received += takeArrived(reply);
        giveUpBeyond(received.size());
    }

    const bool whole = !tooLarge && arrivedWhole(reply, received.size());
    *body = whole ? received : QByteArray();
    return whole;
}

void readWholeLater(QNetworkReply *reply, int limitMs, std::function<void(bool, const QByteArray &)> done)
{
    struct Reading
    {
        QByteArray received;
        bool tooLarge = false;
    };
    auto reading = std::make_shared<Reading>();
    const auto giveUpBeyond = [reply, reading](qint64 size) {
        if (size > MaxReplyBytes && !reading->tooLarge) {
            reading->tooLarge = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply,
                     [reply, giveUpBeyond] { giveUpBeyond(announcedLength(reply)); });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, reading, giveUpBeyond] {
        reading->received += takeArrived(reply);
        giveUpBeyond(reading->received.size());
    });
    auto *limit = new QTimer(reply);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    limit->start(limitMs < 0 ? Deployment::requestTimeoutMs() : limitMs);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, reading, giveUpBeyond, done] {
        if (!reading->tooLarge) {
            reading->received += takeArrived(reply);
            giveUpBeyond(reading->received.size());
        }
        const bool whole = !reading->tooLarge && arrivedWhole(reply, reading->received.size());
        reply->deleteLater();
        done(whole, whole ? reading->received : QByteArray());
    });
}

} // namespace ReplyReader
