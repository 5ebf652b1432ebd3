#include "standinserver.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QtEndian>

namespace {

constexpr int ControlTimeoutMs = 10000;
constexpr qint64 BlockSize = 4096;

} // namespace

StandInServer::StandInServer()
{
    // The server's own log (SMS codes, requests) stays visible in test output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("python3"),
                    {QStringLiteral(PLIT_SOURCE_DIR "/tools/standin/platform_server.py"),
                     QStringLiteral("--port"), QStringLiteral("0")});
    if (!m_process.waitForStarted(ControlTimeoutMs)) {
        qWarning("stand-in server did not start: %s", qPrintable(m_process.errorString()));
        return;
    }
    QDeadlineTimer deadline(ControlTimeoutMs);
    QByteArray line;
    while (!line.endsWith('\n') && !deadline.hasExpired()
           && m_process.state() == QProcess::Running) {
        if (m_process.canReadLine() || m_process.waitForReadyRead(int(deadline.remainingTime())))
            line += m_process.readLine();
    }
    const QRegularExpression listening(QStringLiteral("^listening on [0-9.]+:(\\d+)\\s*$"));
    const QRegularExpressionMatch match = listening.match(QString::fromUtf8(line));
    if (match.hasMatch())
        m_port = quint16(match.captured(1).toUInt());
    else
        qWarning("stand-in server gave no listening line: %s", line.constData());
}

StandInServer::~StandInServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    if (m_port)
        control("POST", QStringLiteral("/__control/stop"));
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool StandInServer::isRunning() const
{
    return m_port != 0 && m_process.state() == QProcess::Running;
}

QString StandInServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void StandInServer::useAsPlatform() const
{
    qputenv("PLIT_PLATFORM_URL", baseUrl().toUtf8());
    qputenv("PLIT_UPDATE_URL", baseUrl().toUtf8());
    qputenv("PLIT_CHAT_URL", (baseUrl() + QStringLiteral("/chat")).toUtf8());
}

QJsonArray StandInServer::requests() const
{
    return QJsonDocument::fromJson(control("GET", QStringLiteral("/__control/requests"))).array();
}

QJsonArray StandInServer::requests(const QString &path) const
{
    QJsonArray matching;
    for (const QJsonValue &entry : requests()) {
        if (entry.toObject().value(QStringLiteral("path")).toString() == path)
            matching.append(entry);
    }
    return matching;
}

void StandInServer::clearRequests() const
{
    control("POST", QStringLiteral("/__control/clear"));
}

void StandInServer::script(const QString &path, const QJsonObject &reply) const
{
    QJsonObject body = reply;
    body.insert(QStringLiteral("path"), path);
    control("POST", QStringLiteral("/__control/script"), QJsonDocument(body).toJson(QJsonDocument::Compact));
}

void StandInServer::reset() const
{
    unscript();
    clearRequests();
    setUpdateVersion(QStringLiteral("2.0.0.2"));
    useAsPlatform();
}

void StandInServer::unscript() const
{
    control("POST", QStringLiteral("/__control/unscript"));
}

void StandInServer::setUpdateVersion(const QString &version) const
{
    const QJsonObject body{{"version", version}};
    control("POST", QStringLiteral("/__control/update"), QJsonDocument(body).toJson(QJsonDocument::Compact));
}

void StandInServer::setUpdateBody(const QByteArray &raw) const
{
    const QJsonObject body{{"raw", QString::fromUtf8(raw)}};
    control("POST", QStringLiteral("/__control/update"), QJsonDocument(body).toJson(QJsonDocument::Compact));
}

QByteArray StandInServer::generatedBytes(qint64 offset, qint64 length)
{
    if (length <= 0 || offset < 0)
        return QByteArray();
    QByteArray blocks;
    for (qint64 block = offset / BlockSize; block * BlockSize < offset + length; ++block) {
        blocks.resize(int(blocks.size() + BlockSize));
        char *at = blocks.data() + blocks.size() - BlockSize;
        qToBigEndian<quint64>(quint64(block), at);
        for (int j = 0; j < BlockSize - 8; ++j)
            at[8 + j] = char(((j * 37) + (j >> 8)) & 0xFF);
    }
    return blocks.mid(int(offset % BlockSize), int(length));
}

QString StandInServer::generatedFilePath(qint64 size, const QString &name)
{
    return QStringLiteral("/files/gen/%1/%2").arg(size).arg(name);
}

QByteArray StandInServer::control(const QByteArray &method, const QString &path,
                                  const QByteArray &body) const
{
    if (!m_port)
        return QByteArray();
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(baseUrl() + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply *reply = manager.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(ControlTimeoutMs, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    QByteArray answer;
    if (reply->isFinished() && reply->error() == QNetworkReply::NoError)
        answer = reply->readAll();
    else
        qWarning("stand-in control %s %s failed: %s", method.constData(), qPrintable(path),
                 qPrintable(reply->errorString()));
    reply->abort();
    delete reply;
    return answer;
}
