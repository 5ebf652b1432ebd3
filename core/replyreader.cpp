#include "core/replyreader.h"

#include "core/deployment.h"
#include "core/requestwait.h"

#include <QNetworkReply>

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

    const qint64 announced = announcedLength(reply);
    const bool whole = !tooLarge
        && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()
        && !transferBroke(reply->error()) && (announced < 0 || announced == received.size());
    *body = whole ? received : QByteArray();
    return whole;
}

} // namespace ReplyReader
