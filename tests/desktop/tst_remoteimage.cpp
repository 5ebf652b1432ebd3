#include "desktop/imagecheck.h"
#include "desktop/remoteimageprovider.h"
#include "standinserver.h"

#include <QBuffer>
#include <QQuickTextureFactory>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

QByteArray le16(int v) { return QByteArray(1, char(v & 0xff)) + char((v >> 8) & 0xff); }
QByteArray le32(quint32 v) { return le16(int(v & 0xffff)) + le16(int(v >> 16)); }
QByteArray be16(int v) { return QByteArray(1, char((v >> 8) & 0xff)) + char(v & 0xff); }

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A GIF of one frame of `frame` at `at` on a screen of `screen`.
QByteArray gif(QSize screen, QPoint at, QSize frame)
{
    return "GIF89a" + le16(screen.width()) + le16(screen.height()) + QByteArray("\x80\0\0\0\0\0\xff\xff\xff", 9)
        + ',' + le16(at.x()) + le16(at.y()) + le16(frame.width()) + le16(frame.height())
        + QByteArray("\0\x02\x02\x44\x01\0;", 8);
}

// An icon of the given entries (directory sizes 16 x 16), each at its offset.
QByteArray ico(const QList<QPair<QByteArray, quint32>> &entries)
{
    QByteArray bytes = QByteArray("\0\0\1\0", 4) + le16(entries.size());
    for (const auto &entry : entries)
        bytes += QByteArray("\x10\x10\0\0\1\0\x20\0", 8) + le32(quint32(entry.first.size())) + le32(entry.second);
    for (const auto &entry : entries)
        bytes += entry.first;
    return bytes;
}

} // namespace

// The images the platform names, against the stand-in: decoded only when
// their header says they fit, and at the size asked for.
class TestRemoteImage : public QObject
{
    Q_OBJECT

private:
    StandInServer m_server;

private slots:
    void imagesAreDecodedOnlyWithinBounds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("decoded");  // invalid: refused
        QTest::newRow("icon, shown smaller") << "/images/soft/12.png" << QSize(24, 24) << QSize(24, 24);
        QTest::newRow("icon, any size") << "/images/soft/12.png" << QSize() << QSize(48, 48);
        QTest::newRow("never enlarged") << "/images/soft/12.png" << QSize(96, 96) << QSize(48, 48);
        QTest::newRow("screenshot, one side given") << "/images/shot/12-1.png" << QSize(160, 0) << QSize(160, 100);
        QTest::newRow("at the bound") << "/images/size/4096x2048.png" << QSize(100, 50) << QSize(100, 50);
        QTest::newRow("20000 x 20000") << "/images/size/20000x20000.png" << QSize(70, 70) << QSize();
        QTest::newRow("too wide") << "/images/size/4097x1.png" << QSize() << QSize();
        QTest::newRow("too many pixels") << "/images/size/4096x4096.png" << QSize(70, 70) << QSize();
        QTest::newRow("not an image") << "/article/1.html" << QSize() << QSize();
        // Crafted files whose decoders allocate far more than their headers say.
        QTest::newRow("GIF: 1 x 1 frame, 16383 x 16384 screen") << "/images/crafted/screen.gif" << QSize() << QSize();
        QTest::newRow("ICO: 16 x 16 entry holding a 12000 x 12000 PNG") << "/images/crafted/entry.ico" << QSize() << QSize();
        QTest::newRow("PNG: text chunk claiming 2 GB") << "/images/crafted/textchunk.png" << QSize() << QSize();
        QTest::newRow("PNG: text and profile left out") << "/images/crafted/metadata.png" << QSize() << QSize(8, 8);
        QTest::newRow("missing") << "/images/none.png" << QSize() << QSize();
        QTest::newRow("a local file") << "file:///etc/passwd" << QSize() << QSize();
    }

    void imagesAreDecodedOnlyWithinBounds()
    {
        QFETCH(QString, path);
        QFETCH(QSize, requested);
        QFETCH(QSize, decoded);
        QVERIFY(m_server.isRunning());
        const QString address = path.startsWith(QLatin1Char('/')) ? m_server.baseUrl() + path : path;
        // The id as the QML control makes it.
        const QByteArray id = QUrl::toPercentEncoding(address).toBase64(QByteArray::Base64UrlEncoding
                                                                        | QByteArray::OmitTrailingEquals);
        RemoteImageProvider provider;
        std::unique_ptr<QQuickImageResponse> response(provider.requestImageResponse(id, requested));
        QSignalSpy finished(response.get(), &QQuickImageResponse::finished);
        QVERIFY(finished.wait(20000));
        std::unique_ptr<QQuickTextureFactory> texture(response->textureFactory());
        if (decoded.isValid()) {
            QCOMPARE(response->errorString(), QString());
            QCOMPARE(texture->image().size(), decoded);
        } else {
            QVERIFY(!response->errorString().isEmpty());
            QVERIFY(!texture || texture->image().isNull());
        }
    }

    // Our reading of each format's header, on whole files: what the decoder
    // will allocate, and refusal of every format it does not know.
    void sizesAreReadByOurOwnParsers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size"); // invalid: refused
        const QImage small(QSize(20, 10), QImage::Format_RGB32);
        const QByteArray png = encoded(small, "png");
        QTest::newRow("png") << png << QSize(20, 10);
        QTest::newRow("jpeg") << encoded(small, "jpeg") << QSize(20, 10);
        QTest::newRow("bmp") << encoded(small, "bmp") << QSize(20, 10);
        QTest::newRow("gif") << gif({20, 10}, {0, 0}, {1, 1}) << QSize(20, 10);
        QTest::newRow("gif frame smaller than its screen") << gif({2064, 12}, {0, 0}, {16, 12}) << QSize(2064, 12);
        QTest::newRow("gif frame past the screen") << gif({20, 10}, {4000, 0}, {1, 1}) << QSize(4001, 10);
        QTest::newRow("gif frame far past it") << gif({1, 1}, {65535, 65535}, {65535, 65535}) << QSize();
        QTest::newRow("ico of a png") << ico({{png, 22}}) << QSize(20, 10);
        QTest::newRow("ico entry outside the file") << ico({{png, 0xfffffff0u}}) << QSize();
        QTest::newRow("ico entries that overlap") << ico({{png, 54}, {png, 54}, {png, 54}}).left(54 + png.size()) << QSize();
        const QByteArray hugeBitmap = le32(40) + le32(100000) + le32(200000) + QByteArray(28, '\0');
        QTest::newRow("ico bitmap of 100000 pixels a side") << ico({{hugeBitmap, 22}}) << QSize();
        QTest::newRow("bmp of 100000 pixels a side") << "BM" + QByteArray(12, '\0') + hugeBitmap << QSize();
        // A progressive JPEG keeps its coefficients: 2500 x 2500 x 3 x 2 bytes.
        const QByteArray sof2 = QByteArray("\xff\xd8\xff\xc2", 4) + be16(17) + '\x08' + be16(2500) + be16(2500)
            + QByteArray("\x03\x01\x11\0\x02\x11\0\x03\x11\0", 10);
        QTest::newRow("progressive jpeg") << sof2 << QSize();
        QTest::newRow("png chunk past the end") << png.left(33) + le32(0x10) + "tEXt" << QSize();
        QTest::newRow("xpm") << encoded(small, "xpm") << QSize();
        QTest::newRow("empty") << QByteArray() << QSize();
    }

    void sizesAreReadByOurOwnParsers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        const ImageCheck::Limits limits{RemoteImageProvider::maxSide, RemoteImageProvider::maxDecodedBytes};
        const ImageCheck::Result result = ImageCheck::inspect(bytes, true, limits);
        QCOMPARE(result.verdict, size.isValid() ? ImageCheck::Fits : ImageCheck::Refused);
        if (size.isValid()) {
            QCOMPARE(result.size, size);
            // Decoded at most at the size asked for, whatever the decoder reports.
            QString why;
            const QImage image = ImageCheck::decode(bytes, limits, QSize(8, 8), &why);
            QVERIFY2(!image.isNull(), qPrintable(why));
            QVERIFY(image.width() <= 8 && image.height() <= 8);
        }
        // Every piece of it, as it arrives, never gets past a refusal.
        for (int cut = 0; cut < bytes.size(); ++cut) {
            const ImageCheck::Result head = ImageCheck::inspect(bytes.left(cut), false, limits);
            QVERIFY(head.verdict != ImageCheck::Fits || ImageCheck::fits(head.size, limits));
        }
    }
};

QTEST_MAIN(TestRemoteImage)
#include "tst_remoteimage.moc"
