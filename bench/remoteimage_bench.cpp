// Peak memory of showing platform images through the bounded image
// provider: each URL is fetched and decoded as a 240 × 150 screenshot is,
// then the process's peak resident size (VmHWM) is printed beside its
// resident size before the first image. Run it once with an ordinary image
// and once with an oversized one, against the stand-in:
//
//   remoteimage_bench http://127.0.0.1:PORT/images/shot/12-1.png
//   remoteimage_bench http://127.0.0.1:PORT/images/size/20000x20000.png

#include "bench/procstatus.h"
#include "desktop/remoteimageprovider.h"

#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QQuickTextureFactory>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const long before = statusKiB("VmRSS");
    RemoteImageProvider provider;
    for (const QString &address : app.arguments().mid(1)) {
        const QString id = QString::fromLatin1(QUrl::toPercentEncoding(address).toBase64(
                QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
        std::unique_ptr<QQuickImageResponse> response(provider.requestImageResponse(id, QSize(240, 150)));
        QEventLoop loop;
        QObject::connect(response.get(), &QQuickImageResponse::finished, &loop, &QEventLoop::quit);
        loop.exec();
        std::unique_ptr<QQuickTextureFactory> texture(response->textureFactory());
        const QSize size = texture ? texture->image().size() : QSize();
        std::printf("%s: %s\n", qPrintable(address),
                    size.isValid() ? qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()))
                                   : qPrintable(QStringLiteral("refused (") + response->errorString() + ')'));
    }
    std::printf("resident before: %ld KiB, peak: %ld KiB, peak growth: %ld KiB\n", before,
                statusKiB("VmHWM"), statusKiB("VmHWM") - before);
    return 0;
}
