#include "download/downloadthread.h"

#include "core/trace.h"

#include <QDebug>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QRegularExpression>

namespace {

// Bounds what a reply may hold in memory while the file is being written, so
// that memory does not grow with the file when the disk is the slower side.
constexpr qint64 replyBufferBytes = 256 * 1024;

// A segment that receives nothing for this long fails, so that a stalled
// connection shows up as an error instead of a progress bar that never moves.
constexpr int stallTimeoutMs = 60000;

} // namespace

DownloadThread::DownloadThread(QObject *parent)
    : QObject(parent)
    , m_networkAccess(new QNetworkAccessManager(this))
{
}

qint64 DownloadThread::lastByte() const
{
    if (m_fileSize > 0)
        return qMin(m_endPoint, m_fileSize - 1);
    return m_endPoint;
}

bool DownloadThread::isComplete() const
{
    if (m_state == Finished && (m_wholeFile || m_endPoint < 0))
        return true;
    return m_endPoint >= 0 && m_startPoint + m_readySize > lastByte();
}

void DownloadThread::startDownload(int index, QString url, QFile *file, qint64 startPoint,
                                   qint64 endPoint, qint64 readySize)
{
    if (m_state == Downloading) {
        m_errorString = QStringLiteral("is downloading a file");
        emit error(m_index, m_errorString);
        return;
    }
    m_index = index;
    m_url = url;
    m_file = file;
    m_startPoint = startPoint;
    m_endPoint = endPoint;
    m_readySize = readySize;

    // A range that was already received in full (a resumed segment, or the
    // last bytes written just before a pause) is not asked for again.
    if (isComplete()) {
        m_state = Finished;
        emit progressChange(m_index, m_startPoint, m_endPoint, m_readySize);
        emit finished(m_index);
        return;
    }

    m_requestedFrom = m_startPoint + m_readySize;
    m_expectedBytes = -1;
    m_replyBytes = 0;
    m_replyChecked = false;
    m_wholeFile = false;

    QNetworkRequest request(QUrl(m_url, QUrl::TolerantMode));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(stallTimeoutMs);
    if (m_endPoint >= 0) {
        request.setRawHeader("Range",
                             QStringLiteral("bytes=%0-%1").arg(m_requestedFrom).arg(m_endPoint).toLatin1());
    } else if (m_requestedFrom > 0) {
        request.setRawHeader("Range", QStringLiteral("bytes=%0-").arg(m_requestedFrom).toLatin1());
    }
    m_reply = m_networkAccess->get(request);
    m_reply->setReadBufferSize(replyBufferBytes);
    connect(m_reply, SIGNAL(finished()), this, SLOT(finishedSlot()));
    connect(m_reply, SIGNAL(readyRead()), this, SLOT(readyReadSlot()));
    connect(m_reply, SIGNAL(error(QNetworkReply::NetworkError)), this,
            SLOT(errorSlot(QNetworkReply::NetworkError)));
    m_state = Downloading;
    emit progressChange(m_index, m_startPoint, m_endPoint, m_readySize);
}

// A body is written only where it belongs: a range answered with 206 from the
// position asked, or a whole file (200) to a request that asked from byte 0.
bool DownloadThread::acceptReply()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An error status is reported by the reply itself (errorSlot); its body
    // is not ours to write.
    if (status >= 400 || m_reply->error() != QNetworkReply::NoError)
        return false;
    m_replyChecked = true;
    const QString asked = m_endPoint >= 0
            ? QStringLiteral("bytes=%0-%1").arg(m_requestedFrom).arg(m_endPoint)
            : QStringLiteral("bytes=%0-").arg(m_requestedFrom);
    bool lengthKnown = false;
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&lengthKnown);

    if (status == 206) {
        static const QRegularExpression rangePattern(
                QStringLiteral("^\\s*bytes\\s+(\\d+)-(\\d+)/(\\d+|\\*)\\s*$"));
        const QString contentRange = QString::fromLatin1(m_reply->rawHeader("Content-Range"));
        const QRegularExpressionMatch match = rangePattern.match(contentRange);
        if (!match.hasMatch() || match.captured(1).toLongLong() != m_requestedFrom
            || match.captured(2).toLongLong() < m_requestedFrom) {
            fail(QStringLiteral("the server answered %1 with the range \"%2\"").arg(asked, contentRange));
            return false;
        }
        m_expectedBytes = match.captured(2).toLongLong() - m_requestedFrom + 1;
        return true;
    }
    if (status == 200 && m_requestedFrom == 0) {
        m_wholeFile = true;
        m_expectedBytes = lengthKnown ? length : -1;
        return true;
    }
    if (status == 200) {
        fail(QStringLiteral("the server ignored the range %1 and sent the whole file").arg(asked));
        return false;
    }
    fail(QStringLiteral("the server answered %1 with HTTP status %2").arg(asked).arg(status));
    return false;
}

void DownloadThread::fail(const QString &text)
{
    m_errorString = text;
    stop();
    emit error(m_index, text);
}

void DownloadThread::readyReadSlot()
{
    if (m_state != Downloading || !m_reply)
        return;
    if (!m_replyChecked && !acceptReply())
        return;
    const QByteArray data = m_reply->readAll();
    if (data.isEmpty())
        return;
    const qint64 position = m_startPoint + m_readySize;
    if (!m_file->seek(position) || m_file->write(data) != data.size()) {
        fail(QStringLiteral("can not write file : \n") + m_file->errorString());
        return;
    }
    m_readySize += data.size();
    m_replyBytes += data.size();
    emit progressChange(m_index, m_startPoint, m_endPoint, m_readySize);
}

void DownloadThread::finishedSlot()
{
    if (m_state != Downloading || !m_reply)
        return;
    if (m_reply->bytesAvailable() > 0 || !m_replyChecked)
        readyReadSlot();
    if (m_state != Downloading)
        return;
    if (!m_replyChecked) {
        fail(QStringLiteral("the server answered with HTTP status %1")
                     .arg(m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
        return;
    }
    if (m_expectedBytes >= 0 && m_replyBytes < m_expectedBytes) {
        fail(QStringLiteral("the connection closed after %1 of %2 bytes")
                     .arg(m_replyBytes).arg(m_expectedBytes));
        return;
    }
    if (m_endPoint < 0 && m_readySize == 0) {
        fail(QStringLiteral("the server sent no data"));
        return;
    }
    m_file->flush();
    m_reply->deleteLater();
    m_reply = nullptr;
    m_state = Finished;
    emit finished(m_index);
}

void DownloadThread::errorSlot(QNetworkReply::NetworkError code)
{
    if (m_state != Downloading || !m_reply)
        return;
    const QString text = QStringLiteral("QNetworkReply::NetworkError : ") + QString::number(code)
            + QStringLiteral(" \n") + m_reply->errorString();
    // What arrived before the connection broke belongs to the range.
    if (m_replyChecked && m_reply->bytesAvailable() > 0) {
        const QByteArray data = m_reply->readAll();
        if (m_file->seek(m_startPoint + m_readySize) && m_file->write(data) == data.size()) {
            m_readySize += data.size();
            m_replyBytes += data.size();
            emit progressChange(m_index, m_startPoint, m_endPoint, m_readySize);
        }
    }
    // The reply is ending with this error already: it is let go, not
    // aborted a second time from inside its own error report.
    m_errorString = text;
    m_state = Stopped;
    m_reply->disconnect(this);
    m_file->flush();
    m_reply->deleteLater();
    m_reply = nullptr;
    emit error(m_index, text);
}

void DownloadThread::stop()
{
    const QString label = QStringLiteral("DownloadThread::stop");
    Trace::begin(label);
    if (m_state != Downloading) {
        m_errorString = QStringLiteral("is not downloading");
        qDebug().noquote() << m_errorString;
        emit error(m_index, m_errorString);
        return;
    }
    // Stopped before the abort, so that the error and finished signals the
    // abort raises find the segment no longer downloading.
    m_state = Stopped;
    if (m_reply) {
        m_reply->abort();
        m_file->flush();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    Trace::end(label);
}

void DownloadThread::restart()
{
    if (m_state != Stopped) {
        m_errorString = QStringLiteral("is not stoped");
        emit error(m_index, m_errorString);
        return;
    }
    startDownload(m_index, m_url, m_file, m_startPoint, m_endPoint, m_readySize);
}
