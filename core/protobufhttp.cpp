#include "core/protobufhttp.h"

#include "core/deployment.h"
#include "core/jsonreply.h"
#include "core/replyreader.h"
#include "core/tool.h"
#include "core/trace.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslSocket>
#include <QTextCodec>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

QByteArray encodeBody(const QString &body, BodyEncoding encoding)
{
    if (encoding == BodyEncoding::Utf8)
        return body.toUtf8();
    return QTextCodec::codecForLocale()->fromUnicode(body);
}

} // namespace

void protobufHttp(const QString &url, const QString &body, QString &result, BodyEncoding encoding)
{
    qDebug().noquote() << QSslSocket::sslLibraryBuildVersionString();
    qDebug().noquote() << QStringLiteral("Time: ") + Trace::now();

    // The manager belongs to this one request and takes its reply with it.
    auto *manager = new QNetworkAccessManager;
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply *reply = manager->post(request, encodeBody(body, encoding));

    if (body.contains(QLatin1String("types=1000"))) {
        // The usage report: nobody reads its reply, so start-up does not wait for it.
        QTimer::singleShot(Deployment::requestTimeoutMs(), reply, &QNetworkReply::abort);
        QObject::connect(reply, &QNetworkReply::finished, manager, &QObject::deleteLater);
        qDebug().noquote() << QStringLiteral("types=1000 Time: ") + Trace::now();
        return;
    }
    const std::unique_ptr<QNetworkAccessManager> owner(manager);

    QByteArray received;
    const bool whole = ReplyReader::readWhole(reply, &received);
    if (reply->error() != QNetworkReply::NoError) {
        qDebug().noquote() << QStringLiteral("request protobufHttp handle errors here");
        const int statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        qDebug("request protobufHttp found error ....code: %d %d\n", statusCode,
               int(reply->error()));
        qDebug().noquote() << reply->errorString();
    } else {
        qDebug().noquote() << QStringLiteral("request protobufHttp NoError");
    }
    // Bytes of a reply that broke off are no answer, even when they parse.
    if (!whole)
        qDebug().noquote() << QStringLiteral("request protobufHttp reply incomplete or too large");
    qDebug().noquote() << QStringLiteral("Time: ") + Trace::now();
    result = QString::fromUtf8(received);
}

bool parseStatesReply(const QString &reply, bool &states, QString &msg)
{
    QJsonParseError error;
    const QJsonDocument document = JsonReply::parse(reply.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return false;
    const QJsonObject object = document.object();
    const QJsonValue value = object.value(QLatin1String("states"));
    if (document.isObject() && value.isBool()) {
        states = value.toBool();
        if (!states) {
            const QString reason = object.value(QLatin1String("msg")).toVariant().toString();
            qDebug().noquote() << QStringLiteral("message: ") + reason;
            msg = reason;
        }
    }
    return true;
}

void RequestSender::postPlatformRequest(const QString &url, const QString &body, QString &result,
                                        BodyEncoding encoding) const
{
    Tool tool;
    QString form = body;
    form += body.endsWith(QLatin1Char('&')) ? QStringLiteral("ip=") : QStringLiteral("&ip=");
    form += tool.getIp();
    form += QStringLiteral("&edition=") + tool.getEdition();
    protobufHttp(url, form, result, encoding);
}

QString RequestSender::formValue(const QString &value)
{
    QString encoded;
    encoded.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '%': encoded += QLatin1String("%25"); break;
        case '&': encoded += QLatin1String("%26"); break;
        case '=': encoded += QLatin1String("%3D"); break;
        case '+': encoded += QLatin1String("%2B"); break;
        default: encoded += c; break;
        }
    }
    return encoded;
}
