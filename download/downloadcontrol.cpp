#include "download/downloadcontrol.h"

#include "core/deployment.h"
#include "core/requestwait.h"
#include "core/trace.h"
#include "download/contentrange.h"
#include "download/downloadthread.h"
#include "download/resumefile.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopedPointer>
#include <QSettings>
#include <QTimer>

namespace {

constexpr int maxThreads = 15;
// How often the resume file is refreshed while a download runs, so that a
// program that dies continues from there instead of from zero.
constexpr int saveIntervalMs = 1000;
// How often one download starts again because the file changed meanwhile
// before it gives up: a file that changes at every request never arrives.
constexpr int maxRestarts = 3;

} // namespace

DownloadControl::DownloadControl(QObject *parent)
    : QObject(parent)
    , m_saveTimer(new QTimer(this))
{
    m_saveTimer->setInterval(saveIntervalMs);
    connect(m_saveTimer, SIGNAL(timeout()), this, SLOT(saveProgressSlot()));
}

void DownloadControl::raise(const QString &text)
{
    m_errorString = text;
    emit error(0, text);
}

qint64 DownloadControl::getFileSize(QString url, int tryTimes)
{
    m_probeCancelled = false;
    // A server that never answers must not hold the caller for ever: the
    // tries share one time limit.
    const int timeLimit = Deployment::requestTimeoutMs();
    QElapsedTimer clock;
    clock.start();
    for (int attempt = 0; attempt < tryTimes && !m_probeCancelled; ++attempt) {
        const qint64 left = timeLimit - clock.elapsed();
        if (left <= 0)
            break;
        QNetworkAccessManager manager;
        QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        QScopedPointer<QNetworkReply> reply(manager.head(request));
        m_probe = reply.data();
        const RequestWait::Outcome outcome = RequestWait::wait(m_probe, int(left));
        m_probe = nullptr;
        if (reply->error() == QNetworkReply::NoError) {
            m_validator = DownloadThread::validatorOf(reply.data());
            return reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        }
        if (m_probeCancelled) {
            m_errorString = QStringLiteral("stopped while asking for the size");
        } else if (outcome == RequestWait::GivenUp) {
            m_errorString = QStringLiteral("the size request was given up");
            break;
        } else if (outcome == RequestWait::TimedOut) {
            m_errorString = QStringLiteral("the size request timed out: no answer for %1 s").arg(timeLimit / 1000.0);
            break;
        } else {
            m_errorString = reply->errorString();
        }
    }
    return -1;
}

bool DownloadControl::openTarget(QIODevice::OpenMode mode)
{
    m_file = new QFile(m_saveFile, this);
    if (m_file->open(mode))
        return true;
    const QString text = QStringLiteral("can not open file : \n") + m_file->errorString();
    m_file->close();
    delete m_file;
    m_file = nullptr;
    raise(text);
    return false;
}

void DownloadControl::closeTarget()
{
    m_file->flush();
    m_file->close();
    delete m_file;
    m_file = nullptr;
}

bool DownloadControl::refuseSettingFile()
{
    m_resumeFileUnusable = true;
    raise(QStringLiteral("wrong setting file"));
    return false;
}

bool DownloadControl::downloadFile(QString url, QString saveFile, int count)
{
    const QString label = QStringLiteral("DownloadControl::downloadFile");
    Trace::begin(label);
    if (m_state == Downloading || m_probe) {
        raise(QStringLiteral("is downloading a file"));
        return false;
    }
    if (m_file) {
        raise(QStringLiteral("unknow error"));
        return false;
    }
    m_url = url;
    m_saveFile = saveFile;
    m_count = count;
    if (count < 1) {
        raise(QStringLiteral("to few threads"));
        return false;
    }
    if (count > maxThreads) {
        raise(QStringLiteral("to many threads"));
        return false;
    }

    m_validator.clear();
    const qint64 total = getFileSize(url, 3);
    if (total == -1)
        return false;
    if (!openTarget(QIODevice::WriteOnly))
        return false;
    m_restarts = 0;
    startFromZero(total);
    Trace::end(label);
    return true;
}

// Lays `total` bytes out over the segments and starts them all from their
// first byte. Without a length (0 when the server sent none, or an empty
// file) one request fetches the whole body and ends when the reply ends:
// ranges cannot be cut from a size that is not known.
void DownloadControl::startFromZero(qint64 total)
{
    if (total <= 0) {
        total = -1;
        m_count = 1;
    }
    m_totalSize = total;
    m_readySize = 0;
    m_file->resize(qMax<qint64>(total, 0));
    QList<Range> ranges;
    if (total < 0) {
        ranges.append({0, -1, 0});
    } else {
        for (int i = 0; i < m_count; ++i)
            ranges.append({ContentRange::splitAt(total, i, m_count), ContentRange::splitAt(total, i + 1, m_count), 0});
    }
    startSegments(ranges);
}

bool DownloadControl::downloadFile(QString settingFile)
{
    const QString label = QStringLiteral("DownloadControl::downloadFile");
    Trace::begin(label);
    m_resumeFileUnusable = false;
    if (m_state == Downloading || m_probe) {
        raise(QStringLiteral("is downloading a file"));
        return false;
    }
    if (m_file) {
        raise(QStringLiteral("unknow error"));
        return false;
    }

    // Every value is read and checked before the target is touched, so that
    // a damaged resume file neither holds the file nor writes outside it.
    ResumeFile resume;
    switch (ResumeFile::read(settingFile, maxThreads, &resume)) {
    case ResumeFile::Damaged:
        return refuseSettingFile();
    case ResumeFile::WithoutSize:
        m_resumeFileUnusable = true;
        return false;
    case ResumeFile::Usable:
        break;
    }
    const qint64 total = resume.total;
    const QString saveFile = resume.saveFile;
    QList<Range> ranges = resume.ranges;
    m_url = resume.url;
    m_saveFile = saveFile;
    m_count = resume.count;
    m_totalSize = total;
    m_readySize = resume.readySize;
    // Older resume files have no version: their ranges are asked for as they are.
    m_validator = resume.validator;
    m_restarts = 0;

    // The saved sizes describe bytes in the target; a target that is gone or
    // was cut holds none of them, so every segment starts again from its start.
    const QFileInfo target(saveFile);
    if (!target.exists() || target.size() != total) {
        for (Range &range : ranges)
            range.readySize = 0;
        m_readySize = 0;
    }
    if (!openTarget(QIODevice::ReadWrite))
        return false;
    m_file->resize(total);
    startSegments(ranges);
    Trace::end(label);
    return true;
}

// The state and the running count are set before the segments start: a
// segment whose range is already complete reports its end at once.
void DownloadControl::startSegments(const QList<Range> &ranges)
{
    m_threads.clear();
    for (int i = 0; i < ranges.size(); ++i) {
        auto *thread = new DownloadThread(this);
        thread->setFileSize(m_totalSize);
        thread->setValidator(m_validator);
        connect(thread, SIGNAL(finished(int)), this, SLOT(finishedSlot(int)));
        connect(thread, SIGNAL(progressChange(int, qint64, qint64, qint64)), this,
                SLOT(progressChangeSlot(int, qint64, qint64, qint64)));
        connect(thread, SIGNAL(error(int, QString)), this, SLOT(errorSlot(int, QString)));
        connect(thread, SIGNAL(wholeFile(int, qint64)), this, SLOT(wholeFileSlot(int, qint64)));
        connect(thread, SIGNAL(fileChanged(int, qint64)), this, SLOT(fileChangedSlot(int, qint64)));
        m_threads.append(thread);
    }
    m_state = Downloading;
    m_running = ranges.size();
    m_progressSinceSave = false;
    m_saveTimer->start();
    const QList<DownloadThread *> threads = m_threads;
    for (int i = 0; i < threads.size() && m_state == Downloading; ++i) {
        const Range &range = ranges.at(i);
        threads.at(i)->startDownload(i + 1, m_url, m_file, range.startPoint, range.endPoint,
                                     range.readySize);
    }
}

void DownloadControl::progressChangeSlot(int index, qint64 startPoint, qint64 endPoint,
                                         qint64 readySize)
{
    Q_UNUSED(index)
    Q_UNUSED(startPoint)
    Q_UNUSED(endPoint)
    Q_UNUSED(readySize)
    qint64 sum = 0;
    for (const DownloadThread *thread : qAsConst(m_threads))
        sum += thread->readySize();
    m_readySize = sum;
    m_progressSinceSave = true;
    emit progressChange(0, 0, m_totalSize, m_readySize);
}

DownloadThread *DownloadControl::segmentAt(int index) const
{
    return index >= 1 && index <= m_threads.size() ? m_threads.at(index - 1) : nullptr;
}

void DownloadControl::errorSlot(int index, QString errorString)
{
    DownloadThread *thread = segmentAt(index);
    if (thread && thread->state() == DownloadThread::Downloading)
        thread->stop();
    emit error(index, errorString);
}

// One reply carries the whole file: the other ranges are of no use any more,
// nor is a resume file that describes them. That segment is the download now.
void DownloadControl::wholeFileSlot(int index, qint64 size)
{
    DownloadThread *whole = segmentAt(index);
    if (!whole)
        return;
    m_threads.removeOne(whole);
    releaseSegments();
    m_threads.append(whole);
    m_count = 1;
    m_running = 1;
    m_totalSize = size > 0 ? size : -1;
    m_readySize = 0;
    m_validator = whole->replyValidator();
    m_file->resize(qMax<qint64>(size, 0));
    QFile::remove(settingPath());
}

// The server now serves another version of the file: what arrived so far
// belongs to the old one, so the download starts again from zero with the
// new size rather than splice two versions into a file that matches neither.
void DownloadControl::fileChangedSlot(int index, qint64 size)
{
    const DownloadThread *thread = segmentAt(index);
    const QByteArray validator = thread ? thread->replyValidator() : QByteArray();
    releaseSegments();
    QFile::remove(settingPath());
    if (++m_restarts > maxRestarts) {
        m_saveTimer->stop();
        closeTarget();
        m_running = 0;
        m_state = Stopped;
        raise(QStringLiteral("the file changes on the server while it is downloaded"));
        return;
    }
    qDebug().noquote() << QStringLiteral("the file changed on the server, downloading it again : ") + m_url;
    m_validator = validator;
    startFromZero(size);
}

void DownloadControl::finishedSlot(int index)
{
    --m_running;
    if (m_state == Downloading && m_running <= 0)
        complete();
    emit finished(index);
}

void DownloadControl::complete()
{
    m_saveTimer->stop();
    const QString resumeFile = settingPath();
    if (m_totalSize < 0) {
        // The size is known now: what the one reply delivered.
        m_totalSize = m_readySize;
        m_file->resize(m_totalSize);
    }
    closeTarget();
    QFile::remove(resumeFile);
    m_state = Finished;
    releaseSegments();
    emit progressChange(0, 0, m_totalSize, qMax(m_readySize, m_totalSize));
    emit finished(0);
}

void DownloadControl::stopAllSegments()
{
    const QList<DownloadThread *> threads = m_threads;
    for (DownloadThread *thread : threads)
        thread->stop();
}

// Segments still running are stopped without a word: their end is decided
// by the controller, not a failure to report.
void DownloadControl::releaseSegments()
{
    for (DownloadThread *thread : qAsConst(m_threads)) {
        thread->disconnect(this);
        if (thread->state() == DownloadThread::Downloading)
            thread->stop();
        thread->deleteLater();
    }
    m_threads.clear();
}

bool DownloadControl::allSegmentsComplete() const
{
    if (m_threads.isEmpty())
        return false;
    for (const DownloadThread *thread : m_threads) {
        if (!thread->isComplete())
            return false;
    }
    return true;
}

void DownloadControl::pause()
{
    const QString label = QStringLiteral("DownloadControl::pause");
    Trace::begin(label);
    if (m_state != Downloading) {
        raise(QStringLiteral("is not downloading"));
        return;
    }
    m_state = Paused;
    m_saveTimer->stop();
    stopAllSegments();
    Trace::end(label);
}

void DownloadControl::restart()
{
    if (m_state != Paused) {
        raise(QStringLiteral("is not paused"));
        return;
    }
    m_state = Downloading;
    m_saveTimer->start();
    const QList<DownloadThread *> threads = m_threads;
    for (int i = 0; i < threads.size() && m_state == Downloading; ++i)
        threads.at(i)->restart();
}

void DownloadControl::stop()
{
    // Stopped while the size is still being asked for: the download ends
    // before it began, and the caller of downloadFile() gets false.
    if (m_probe) {
        m_probeCancelled = true;
        m_probe->abort();
        return;
    }
    if (m_state == Downloading) {
        m_state = Paused;
        m_saveTimer->stop();
        stopAllSegments();
    }
    if (m_state != Paused) {
        raise(QStringLiteral("can not stop"));
        return;
    }
    // The last bytes may be written while the end of their reply has not been
    // reported yet: such a download is complete, not stopped.
    if (allSegmentsComplete()) {
        m_state = Downloading;
        m_running = 0;
        complete();
        return;
    }
    if (m_totalSize > 0)
        writeSettingFile();
    else
        QFile::remove(settingPath()); // without a size there is nothing to resume from
    closeTarget();
    m_state = Stopped;
    releaseSegments();
}

QString DownloadControl::settingPath() const
{
    return (m_file ? m_file->fileName() : m_saveFile) + QStringLiteral(".setting");
}

bool DownloadControl::writeSettingFile()
{
    // The bytes the file records must be in the target before the record.
    m_file->flush();
    QSettings setting(settingPath(), QSettings::IniFormat);
    setting.clear();
    setting.setValue(QStringLiteral("URL"), m_url);
    setting.setValue(QStringLiteral("SAVEFILE"), m_saveFile);
    setting.setValue(QStringLiteral("COUNT"), m_threads.size());
    setting.setValue(QStringLiteral("TOTALSIZE"), m_totalSize);
    setting.setValue(QStringLiteral("READYSIZE"), m_readySize);
    if (!m_validator.isEmpty())
        setting.setValue(QStringLiteral("VALIDATOR"), QString::fromLatin1(m_validator));
    for (int n = 1; n <= m_threads.size(); ++n) {
        const DownloadThread *thread = m_threads.at(n - 1);
        setting.setValue(QStringLiteral("STARTPOINT%1").arg(n), thread->startPoint());
        setting.setValue(QStringLiteral("ENDPOINT%1").arg(n), thread->endPoint());
        setting.setValue(QStringLiteral("READYSIZE%1").arg(n), thread->readySize());
    }
    setting.sync();
    return setting.status() == QSettings::NoError;
}

void DownloadControl::saveProgressSlot()
{
    if (m_state != Downloading || !m_file || m_totalSize <= 0 || !m_progressSinceSave)
        return;
    m_progressSinceSave = false;
    writeSettingFile();
}
