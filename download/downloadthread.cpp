#include "download/downloadthread.h"

#include "core/deployment.h"
#include "core/replyreader.h"
#include "core/trace.h"
#include "download/contentrange.h"

#include <QDebug>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QTimer>

namespace {

// Bounds what a reply may hold in memory while the file is being written, so
// that memory does not grow with the file when the disk is the slower side.
constexpr qint64 replyBufferBytes = 256 * 1024;

ContentRange contentRangeOf(const QNetworkReply *reply)
{
    return ContentRange::parse(reply->rawHeader("Content-Range"));
}

// False when the reply names a version of the file other than `validator`,
// compared with the header of the same kind.
bool sameVersion(const QByteArray &validator, const QNetworkReply *reply)
{
    if (validator.isEmpty())
        return true;
    const QByteArray named = reply->rawHeader(validator.startsWith('"') ? "ETag" : "Last-Modified").trimmed();
    return named.isEmpty() || named == validator;
}

QString networkErrorText(QNetworkReply::NetworkError code, const QString &text)
{
    return QStringLiteral("QNetworkReply::NetworkError : ") + QString::number(code) + QStringLiteral(" \n") + text;
}

} // namespace

DownloadThread::DownloadThread(QObject *parent)
    : QObject(parent)
    , m_networkAccess(new QNetworkAccessManager(this))
    , m_stallTimer(new QTimer(this))
{
    // A segment that receives nothing for the time limit fails, so that a
    // stalled connection shows up as an error instead of a progress bar that
    // never moves.
    m_stallTimer->setSingleShot(true);
    connect(m_stallTimer, SIGNAL(timeout()), this, SLOT(stalledSlot()));
}

QByteArray DownloadThread::validatorOf(const QNetworkReply *reply)
{
    const QByteArray etag = reply->rawHeader("ETag").trimmed();
    if (etag.startsWith('"'))
        return etag;
    return reply->rawHeader("Last-Modified").trimmed();
}

qint64 DownloadThread::lastByte() const
{
    if (m_fileSize > 0)
        return qMin(m_endPoint, m_fileSize - 1);
    return m_endPoint;
}

bool DownloadThread::isComplete() const
{
    if (m_endPoint < 0)
        return m_state == Finished;
    return m_startPoint + m_readySize > lastByte();
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
    m_replyValidator.clear();

    QNetworkRequest request(QUrl(m_url, QUrl::TolerantMode));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    if (m_endPoint >= 0 || m_requestedFrom > 0) {
        request.setRawHeader("Range", rangeAsked().toLatin1());
        if (!m_validator.isEmpty())
            request.setRawHeader("If-Range", m_validator);
    }
    m_reply = m_networkAccess->get(request);
    m_reply->setReadBufferSize(replyBufferBytes);
    connect(m_reply, SIGNAL(finished()), this, SLOT(finishedSlot()));
    connect(m_reply, SIGNAL(readyRead()), this, SLOT(readyReadSlot()));
    connect(m_reply, SIGNAL(error(QNetworkReply::NetworkError)), this,
            SLOT(errorSlot(QNetworkReply::NetworkError)));
    m_stallTimer->start(Deployment::requestTimeoutMs());
    m_state = Downloading;
    emit progressChange(m_index, m_startPoint, m_endPoint, m_readySize);
}

QString DownloadThread::rangeAsked() const
{
    if (m_endPoint < 0)
        return QStringLiteral("bytes=%0-").arg(m_requestedFrom);
    return QStringLiteral("bytes=%0-%1").arg(m_requestedFrom).arg(m_endPoint);
}

// A body is written only where it belongs: a range answered with 206 from the
// position asked up to the end asked, or a whole file (200) from byte 0.
bool DownloadThread::acceptReply()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An error status is reported by the reply itself (errorSlot); its body
    // is not ours to write.
    if (status >= 400 || m_reply->error() != QNetworkReply::NoError)
        return false;
    m_replyChecked = true;
    m_replyValidator = validatorOf(m_reply);
    if (status == 206)
        return acceptRange();
    if (status == 200) {
        // The server ignores Range, or it holds another version than the
        // one "If-Range" named. Either way this body is the whole file.
        bool lengthKnown = false;
        const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&lengthKnown);
        const qint64 size = lengthKnown ? length : -1;
        emit wholeFile(m_index, size);
        if (m_state != Downloading)
            return false;
        becomeWholeFile(size);
        return true;
    }
    fail(QStringLiteral("the server answered %1 with HTTP status %2").arg(rangeAsked()).arg(status));
    return false;
}

bool DownloadThread::acceptRange()
{
    const ContentRange range = contentRangeOf(m_reply);
    const bool otherSize = range.total >= 0 && m_fileSize >= 0 && range.total != m_fileSize;
    if (otherSize || !sameVersion(m_validator, m_reply)) {
        stop();
        emit fileChanged(m_index, range.total >= 0 ? range.total : m_fileSize);
        return false;
    }
    // Exactly the bytes asked for: a range that starts elsewhere would land
    // in the wrong place, one that ends short would leave zeros behind.
    if (range.first != m_requestedFrom || range.last < range.first
        || (m_endPoint >= 0 && range.last != lastByte())) {
        fail(QStringLiteral("the server answered %1 with the range \"%2\"")
                     .arg(rangeAsked(), QString::fromLatin1(m_reply->rawHeader("Content-Range"))));
        return false;
    }
    m_expectedBytes = range.length();
    return true;
}

void DownloadThread::becomeWholeFile(qint64 size)
{
    m_index = 1;
    m_startPoint = 0;
    m_readySize = 0;
    m_requestedFrom = 0;
    m_fileSize = size;
    m_endPoint = size > 0 ? size : -1;
    m_expectedBytes = size;
}

QString DownloadThread::write(const QByteArray &data)
{
    if (data.isEmpty())
        return QString();
    if (m_expectedBytes >= 0 && m_replyBytes + data.size() > m_expectedBytes)
        return QStringLiteral("the server sent more than the %1 bytes it announced").arg(m_expectedBytes);
    const qint64 position = m_startPoint + m_readySize;
    if (!m_file->seek(position) || m_file->write(data) != data.size())
        return QStringLiteral("can not write file : \n") + m_file->errorString();
    m_readySize += data.size();
    m_replyBytes += data.size();
    emit progressChange(m_index, m_startPoint, m_endPoint, m_readySize);
    return QString();
}

bool DownloadThread::rangeWritten() const
{
    if (m_endPoint >= 0)
        return m_startPoint + m_readySize > lastByte();
    return m_expectedBytes >= 0 ? m_replyBytes >= m_expectedBytes : m_readySize > 0;
}

void DownloadThread::fail(const QString &text)
{
    m_errorString = text;
    stop();
    emit error(m_index, text);
}

void DownloadThread::releaseReply()
{
    m_stallTimer->stop();
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
}

void DownloadThread::readyReadSlot()
{
    if (m_state != Downloading || !m_reply)
        return;
    m_stallTimer->start();
    if (!m_replyChecked && !acceptReply())
        return;
    const QString failure = write(ReplyReader::takeArrived(m_reply));
    if (!failure.isEmpty())
        fail(failure);
}

void DownloadThread::finishedSlot()
{
    if (m_state != Downloading || !m_reply)
        return;
    // The last bytes; and a reply without a body is checked here.
    readyReadSlot();
    if (m_state != Downloading)
        return;
    if (!m_replyChecked) {
        fail(QStringLiteral("the server answered with HTTP status %1")
                     .arg(m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
        return;
    }
    // A reply that ended before its range did is no finished segment.
    if (!rangeWritten()) {
        fail(m_expectedBytes >= 0 ? QStringLiteral("the connection closed after %1 of %2 bytes")
                                            .arg(m_replyBytes).arg(m_expectedBytes)
                                  : QStringLiteral("the server sent no data"));
        return;
    }
    m_file->flush();
    releaseReply();
    m_state = Finished;
    emit finished(m_index);
}

void DownloadThread::errorSlot(QNetworkReply::NetworkError code)
{
    if (m_state != Downloading || !m_reply)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const ContentRange unsatisfiable = status == 416 ? contentRangeOf(m_reply) : ContentRange();
    const QString text = networkErrorText(code, m_reply->errorString());
    // What arrived before the connection broke belongs to the range; a
    // failure to write it changes nothing about what is reported.
    if (m_replyChecked)
        write(ReplyReader::takeArrived(m_reply));
    // The reply is ending with this error already: it is let go, not
    // aborted a second time from inside its own error report.
    m_state = Stopped;
    m_file->flush();
    releaseReply();
    // A range past the end of a file that has shrunk since.
    if (unsatisfiable.total >= 0 && m_fileSize >= 0 && unsatisfiable.total != m_fileSize) {
        emit fileChanged(m_index, unsatisfiable.total);
        return;
    }
    m_errorString = text;
    emit error(m_index, text);
}

void DownloadThread::stalledSlot()
{
    if (m_state != Downloading)
        return;
    fail(networkErrorText(QNetworkReply::TimeoutError,
                          QStringLiteral("the transfer timed out: nothing arrived for %1 s")
                                  .arg(m_stallTimer->interval() / 1000.0)));
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
        releaseReply();
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
