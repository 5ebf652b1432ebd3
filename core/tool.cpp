#include "core/tool.h"

#include "core/aescipher.h"
#include "core/replyreader.h"

#include <QDebug>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

const QByteArray kTokenKey = QByteArrayLiteral("7be01f93c4a2d586");

} // namespace

QString Tool::httpGet(const QString &url, int limitMs) const
{
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(url)));
    QByteArray body;
    ReplyReader::readWhole(reply, &body, limitMs);
    return QString::fromUtf8(body);
}

QString Tool::getIp() const
{
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    }
    return QString();
}

QString Tool::getMac() const
{
    QList<InterfaceSummary> summaries;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        InterfaceSummary summary;
        summary.humanReadableName = interface.humanReadableName();
        summary.up = interface.flags().testFlag(QNetworkInterface::IsUp);
        summary.loopback = interface.flags().testFlag(QNetworkInterface::IsLoopBack);
        summary.hardwareAddress = interface.hardwareAddress();
        summaries.append(summary);
    }
    return pickHardwareAddress(summaries);
}

QString Tool::pickHardwareAddress(const QList<InterfaceSummary> &interfaces)
{
    for (const InterfaceSummary &interface : interfaces) {
        if (interface.up && !interface.loopback
            && !interface.humanReadableName.contains(QLatin1String("VMware"), Qt::CaseInsensitive))
            return interface.hardwareAddress;
    }
    return QString();
}

namespace {

std::function<QString()> &editionReader()
{
    static std::function<QString()> reader;
    return reader;
}

} // namespace

void Tool::setEditionReader(const std::function<QString()> &reader)
{
    editionReader() = reader;
}

QString Tool::getEdition() const
{
    const std::function<QString()> &reader = editionReader();
    return reader ? reader() : QString();
}

QString Tool::getEncodeText(const QString &timestamp, const QString &phone) const
{
    QJsonObject object;
    object.insert(QStringLiteral("phone"), phone);
    object.insert(QStringLiteral("timestamp"), timestamp);
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented);

    const AesCipher cipher(AesCipher::AES_128, AesCipher::ECB, AesCipher::PKCS7);
    const QByteArray encrypted = cipher.encode(json, kTokenKey);
    qDebug().noquote() << QString::fromUtf8(cipher.decode(encrypted, kTokenKey));

    return QString::fromLatin1(encrypted.toBase64().toBase64());
}
