#include "desktop/remoteimageprovider.h"

#include "core/replyreader.h"
#include "core/urlpolicy.h"

#include <QBuffer>
#include <QDebug>
#include <QImageReader>
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
    return size.isValid() && !size.isEmpty() && size.width() <= maxSide && size.height() <= maxSide
        && qint64(size.width()) * size.height() * 4 <= maxDecodedBytes;
}

QSize RemoteImageProvider::decodedSize(const QSize &size, const QSize &requested)
{
    if (requested.width() <= 0 && requested.height() <= 0)
        return size;
    QSize bound(requested.width() > 0 ? requested.width() : size.width(),
                requested.height() > 0 ? requested.height() : size.height());
    if (size.width() <= bound.width() && size.height() <= bound.height())
        return size;
    return size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
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
    QBuffer buffer(&m_body);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid())
        return true; // not enough of the header yet
    m_sizeKnown = true;
    if (RemoteImageProvider::fits(size))
        return true;
    fail(QStringLiteral("%1 × %2 pixels is too large: ").arg(size.width()).arg(size.height())
         + UrlPolicy::printable(m_address.toString()));
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
    QBuffer buffer(&m_body);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!RemoteImageProvider::fits(size)) {
        fail(size.isValid() ? QStringLiteral("%1 × %2 pixels is too large: ").arg(size.width()).arg(size.height())
                                    + UrlPolicy::printable(m_address.toString())
                            : QStringLiteral("not an image: ") + UrlPolicy::printable(m_address.toString()));
        return;
    }
    reader.setScaledSize(RemoteImageProvider::decodedSize(size, m_requestedSize));
    QImage image = reader.read();
    if (image.isNull()) {
        fail(reader.errorString() + QStringLiteral(": ") + UrlPolicy::printable(m_address.toString()));
        return;
    }
    m_image = image;
    m_finished = true;
    m_body.clear();
    m_reply->deleteLater();
    emit finished();
}
