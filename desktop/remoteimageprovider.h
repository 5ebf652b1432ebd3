#pragma once

#include <QImage>
#include <QPointer>
#include <QQuickAsyncImageProvider>
#include <QSize>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// The images the platform names (catalogue icons and screenshots), fetched
// and decoded under bounds: only http and https, at most maxBodyBytes on
// the wire, and decoded only once our own reading of the whole file
// (ImageCheck) says it is at most maxSide pixels a side and maxDecodedBytes
// decoded, in a format it knows; then at the size it is shown. Every
// refusal writes one log line. Anything else is an error, and the interface shows its placeholder.
//
// The interface asks for "image://remote/<id>", the id being the address
// percent-encoded and then in URL-safe base64 (RemoteImage.qml).
class RemoteImageProvider : public QQuickAsyncImageProvider
{
public:
    static constexpr int maxSide = 4096;
    static constexpr qint64 maxDecodedBytes = 32 * 1024 * 1024;
    static constexpr qint64 maxBodyBytes = 8 * 1024 * 1024;

    QQuickImageResponse *requestImageResponse(const QString &id, const QSize &requestedSize) override;

    // The address an id stands for; empty when it stands for none.
    static QUrl addressOf(const QString &id);
    // Whether an image of `size` may be decoded.
    static bool fits(const QSize &size);
    // The size to decode an image of `size` at, to be shown at `requested`
    // (either side 0 or less: free), keeping its proportions and never
    // larger than it is.
    static QSize decodedSize(const QSize &size, const QSize &requested);
};

class RemoteImageResponse : public QQuickImageResponse
{
    Q_OBJECT

public:
    RemoteImageResponse(const QUrl &address, const QSize &requestedSize);

    QQuickTextureFactory *textureFactory() const override;
    QString errorString() const override;
    void cancel() override;

private slots:
    void received();
    void done();

private:
    void fail(const QString &why);
    // False (and the request failed) once the header tells a size too large.
    bool headerFits();

    const QUrl m_address;
    const QSize m_requestedSize;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    bool m_sizeKnown = false;
    bool m_finished = false;
    QImage m_image;
    QString m_error;
};
