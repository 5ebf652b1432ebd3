#include "desktop/remoteimageprovider.h"
#include "standinserver.h"

#include <QQuickTextureFactory>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

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
};

QTEST_MAIN(TestRemoteImage)
#include "tst_remoteimage.moc"
