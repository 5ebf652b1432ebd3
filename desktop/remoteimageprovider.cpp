#include "desktop/remoteimageprovider.h"

#include "core/replyreader.h"
#include "core/urlpolicy.h"
#include "desktop/imagecheck.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

QQuickImageResponse *RemoteImageProvider::requestImageResponse(const QString &id,
                                                                const QSize &requestedSize)
{
    return new RemoteImageResponse(addressOf(id), requestedSize);
}

QUrl RemoteImageProvider::addressOf(const QString &id)
{
    const QByteArray encoded = QByteArray::fromBase64(
            id.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    return UrlPolicy::parse(QUrl::fromPercentEncoding(encoded));
}

bool RemoteImageProvider::fits(const QSize &size)
{
    return ImageCheck::fits(size, {maxSide, maxDecodedBytes});
}

QSize RemoteImageProvider::decodedSize(const QSize &size, const QSize &requested)
{
    return ImageCheck::shownSize(size, requested);
}

RemoteImageResponse::RemoteImageResponse(const QUrl &address, const QSize &requestedSize)
    : m_address(address)
    , m_requestedSize(requestedSize)
{
    if (!UrlPolicy::isWebAddress(address)) {
        // Answered from the event loop: whoever asked connects first.
        QTimer::singleShot(0, this, [this] {
            fail(QStringLiteral("not an http or https address: ")
                 + UrlPolicy::printable(m_address.toString()));
        });
        return;
    }
    m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    connect(m_reply.data(), &QNetworkReply::readyRead, this, &RemoteImageResponse::received);
    connect(m_reply.data(), &QNetworkReply::finished, this, &RemoteImageResponse::done);
}

QQuickTextureFactory *RemoteImageResponse::textureFactory() const
{
    return QQuickTextureFactory::textureFactoryForImage(m_image);
}

QString RemoteImageResponse::errorString() const
{
    return m_error;
}

void RemoteImageResponse::cancel()
{
    if (m_reply)
        m_reply->abort();
}

void RemoteImageResponse::fail(const QString &why)
{
    if (m_finished)
        return;
    m_finished = true;
    m_error = why;
    m_body.clear();
    qInfo().noquote() << QStringLiteral("image not shown, ") + why;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    emit finished();
}

bool RemoteImageResponse::headerFits()
{
    if (m_sizeKnown)
        return true;
    // Our own reading of the header: no decoder sees the bytes before all
    // of them are there and checked.
    const ImageCheck::Result header = ImageCheck::inspect(m_body, false, {RemoteImageProvider::maxSide,
                                                                          RemoteImageProvider::maxDecodedBytes});
    if (header.verdict == ImageCheck::Incomplete)
        return true;
    m_sizeKnown = header.verdict == ImageCheck::Fits;
    if (m_sizeKnown)
        return true;
    fail(header.why + QStringLiteral(": ") + UrlPolicy::printable(m_address.toString()));
    return false;
}

void RemoteImageResponse::received()
{
    if (m_finished || !m_reply)
        return;
    m_body += ReplyReader::takeArrived(m_reply);
    if (m_body.size() > RemoteImageProvider::maxBodyBytes) {
        fail(QStringLiteral("more than %1 bytes: ").arg(RemoteImageProvider::maxBodyBytes)
             + UrlPolicy::printable(m_address.toString()));
        return;
    }
    headerFits();
}

void RemoteImageResponse::done()
{
    if (m_finished || !m_reply)
        return;
    received();
    if (m_finished)
        return;
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(m_reply->errorString());
        return;
    }
    QString why;
    const QImage image = ImageCheck::decode(m_body, {RemoteImageProvider::maxSide, RemoteImageProvider::maxDecodedBytes},
                                            m_requestedSize, &why);
    if (image.isNull()) {
        fail(why + QStringLiteral(": ") + UrlPolicy::printable(m_address.toString()));
        return;
    }
    m_image = image;
    m_finished = true;
    m_body.clear();
    m_reply->deleteLater();
    emit finished();
}
