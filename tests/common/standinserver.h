#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>

// The stand-in platform server (tools/standin/platform_server.py) on a free
// loopback port, for the life of the object. Its control requests go through
// a network access manager of its own, never through the code under test.
class StandInServer
{
public:
    StandInServer();
    ~StandInServer();

    bool isRunning() const;
    quint16 port() const { return m_port; }
    QString baseUrl() const;

    // Points PLIT_PLATFORM_URL, PLIT_UPDATE_URL and PLIT_CHAT_URL at this server.
    void useAsPlatform() const;

    QJsonArray requests() const;
    QJsonArray requests(const QString &path) const;
    void clearRequests() const;

    // Back to how the server started: no scripts, an empty request record and
    // the update file announcing 2.0.0.2; the platform points at it again.
    // One server serves a whole test program, each test starting from here.
    void reset() const;

    // Queues a scripted reply (or fault) for the next requests to `path`.
    void script(const QString &path, const QJsonObject &reply) const;
    void unscript() const;

    void setUpdateVersion(const QString &version) const;
    void setUpdateBody(const QByteArray &raw) const;

    // What /files/gen/<size>/<name> serves at `offset`: 4096-byte blocks, each
    // its index as 8 big-endian bytes followed by a fixed pattern.
    static QByteArray generatedBytes(qint64 offset, qint64 length);
    static QString generatedFilePath(qint64 size, const QString &name);

private:
    QByteArray control(const QByteArray &method, const QString &path,
                       const QByteArray &body = QByteArray()) const;

    QProcess m_process;
    quint16 m_port = 0;
};
