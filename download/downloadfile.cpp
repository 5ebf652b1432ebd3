#include "download/downloadfile.h"

#include "core/programstart.h"
#include "core/trace.h"
#include "download/downloadcontrol.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

DownloadFile::DownloadFile(QString name, QString url, QString saveFile)
    : m_url(url)
    , m_saveFile(saveFile)
    , m_control(new DownloadControl(this))
    , m_timer(new QTimer(this))
    , m_name(name)
    , m_sourceUrl(url)
{
    connect(m_control, SIGNAL(finished(int)), this, SLOT(finishedSlot(int)));
    connect(m_control, SIGNAL(progressChange(int, qint64, qint64, qint64)), this,
            SLOT(progressChangeSlot(int, qint64, qint64, qint64)));
    connect(m_control, SIGNAL(error(int, QString)), this, SLOT(errorSlot(int, QString)));
    m_timer->setInterval(1000);
    connect(m_timer, SIGNAL(timeout()), this, SLOT(speedSlot()));

    const QString resumePath = QFileInfo(m_saveFile).absoluteFilePath() + QStringLiteral(".setting");
    qDebug().noquote() << resumePath;
    m_resumeFile = new QFile(resumePath, this);
    if (m_resumeFile->open(QIODevice::ReadOnly)) {
        m_resume = 1;
        m_url = resumePath;
        // Not held open: the controller rewrites the file while it runs, and
        // an open handle would keep Windows from replacing it.
        m_resumeFile->close();
    }
}

void DownloadFile::startDown()
{
    const QString label = QStringLiteral("startDown");
    Trace::begin(label);
    start();
    Trace::end(label);
}

void DownloadFile::pauseDownload()
{
    const QString label = QStringLiteral("pauseDownload");
    Trace::begin(label);
    pause();
    Trace::end(label);
}

void DownloadFile::restartDown()
{
    const QString label = QStringLiteral("restartDown");
    Trace::begin(label);
    restart();
    Trace::end(label);
}

void DownloadFile::stopDownload()
{
    const QString label = QStringLiteral("stopDownload");
    Trace::begin(label);
    stop();
    Trace::end(label);
}

// The controller asks the server for the size in a local event loop; the
// centre may pause, stop or release the job meanwhile (the page shows those
// buttons at once). Those requests are kept until the start has returned.
void DownloadFile::start()
{
    m_lastError.clear();
    m_starting = true;
    const bool started = startControl();
    m_starting = false;
    if (!started && m_lastError.isEmpty()) {
        m_lastError = m_control->errorString(); // a failed size probe raises no signal
        qDebug().noquote() << QStringLiteral("download did not start: ") + m_lastError;
    }
    if (started && m_control->state() == DownloadControl::Downloading)
        m_timer->start();
    if (m_pauseWhenStarted) {
        m_pauseWhenStarted = false;
        if (started)
            pause();
    }
    if (m_releaseWhenDone) {
        m_releaseWhenDone = false;
        release();
    }
}

bool DownloadFile::startControl()
{
    // The controller drops a resume file that no longer describes the file
    // on the server; then this job begins anew.
    if (m_resume == 1 && m_resumeFile->exists()) {
        if (m_control->downloadFile(m_url))
            return true;
        // A partial file that cannot be opened for a moment is no reason to
        // throw away what was downloaded: the start fails with its reason.
        if (!m_control->resumeFileUnusable())
            return false;
        // A damaged one would refuse this entry for ever.
        qDebug().noquote() << QStringLiteral("unusable resume file : ") + m_url;
        m_resumeFile->remove();
        m_lastError.clear();
    }
    m_resume = 0;
    m_url = m_sourceUrl;
    return m_control->downloadFile(m_url, m_saveFile, 1);
}

void DownloadFile::quietly(void (DownloadControl::*operation)())
{
    m_quiet = true;
    (m_control->*operation)();
    m_quiet = false;
}

void DownloadFile::pause()
{
    if (m_starting) {
        m_pauseWhenStarted = true;
        return;
    }
    quietly(&DownloadControl::pause);
    m_timer->stop();
}

// Takes the download up again from wherever it stands, so that asking again
// always makes progress: a paused download continues, one whose segment
// failed asks for that segment again, one that could not start starts again.
void DownloadFile::restart()
{
    if (m_starting) {
        m_pauseWhenStarted = false;
        return;
    }
    switch (m_control->state()) {
    case DownloadControl::Idle:
    case DownloadControl::Stopped:
        start();
        return;
    case DownloadControl::Downloading:
        if (m_lastError.isEmpty())
            break;
        quietly(&DownloadControl::pause);
        Q_FALLTHROUGH();
    case DownloadControl::Paused:
        quietly(&DownloadControl::restart);
        m_lastError.clear();
        break;
    default:
        break;
    }
    if (m_control->state() == DownloadControl::Downloading)
        m_timer->start();
}

bool DownloadFile::isPaused() const
{
    return m_starting ? m_pauseWhenStarted : m_control->state() == DownloadControl::Paused;
}

void DownloadFile::stop()
{
    // While the size is asked for, this ends the start.
    quietly(&DownloadControl::stop);
    m_timer->stop();
}

void DownloadFile::release()
{
    const bool lastBytesWritten =
            !m_completed && m_control->state() == DownloadControl::Downloading && m_progress >= 1.0f;
    if (m_starting || lastBytesWritten) {
        m_releaseWhenDone = true;
        return;
    }
    deleteLater();
}

void DownloadFile::progressChangeSlot(int index, qint64 startPoint, qint64 endPoint, qint64 readySize)
{
    Q_UNUSED(index)
    m_downloadedBytes = readySize;
    m_totalBytes = endPoint - startPoint;
    if (m_totalBytes < 0) {
        // The server gave no length: no fraction until the reply has ended.
        m_progress = 0.0f;
    } else if (m_totalBytes > m_downloadedBytes) {
        m_progress = float(double(m_downloadedBytes)) / float(double(m_totalBytes));
    } else {
        m_progress = 1.0f;
    }
    // The sizes are written out with the speed, once a second: not for every
    // piece received.
}

QString DownloadFile::formatSize(double bytes)
{
    static const char *const units[] = {"B", "KB", "MB", "G"};
    int unit = 0;
    for (int step = 0; step < 3 && bytes > 1024.001; ++step) {
        bytes *= 0.0009765625;
        ++unit;
    }
    return QString::number(bytes, 'f', 2) + QLatin1Char(' ') + QLatin1String(units[unit]);
}

void DownloadFile::speedSlot()
{
    const qint64 delta = m_downloadedBytes - m_lastDownloaded;
    m_lastDownloaded = m_downloadedBytes;
    m_speed = formatSize(double(delta)) + QStringLiteral("/s");
    qDebug().noquote() << QStringLiteral("m_downloaded : ") + formatSize(double(m_downloadedBytes));
    qDebug().noquote() << QStringLiteral("m_allFile : ") + formatSize(double(qMax<qint64>(m_totalBytes, 0)));
    qDebug().noquote() << QStringLiteral("m_speed : ") + m_speed;
    if (m_control->runningCount() == 0)
        m_timer->stop();
}

QString DownloadFile::progressPercent() const
{
    return QString::number(int(m_progress * 100.0f)) + QLatin1Char('%');
}

void DownloadFile::finishedSlot(int index)
{
    qDebug().noquote() << QStringLiteral("finish : ") + QString::number(index);
    if (index != 0 || m_control->state() != DownloadControl::Finished || m_completed)
        return;
    m_completed = true;
    qDebug().noquote() << QStringLiteral("下载已完成 ");
    m_resumeFile->remove();
    ProgramStart::installer(m_saveFile);
    emit finished(m_name);
    if (m_releaseWhenDone)
        deleteLater();
}

void DownloadFile::errorSlot(int index, QString errorString)
{
    qDebug().noquote() << QStringLiteral("来自 errorSlot : ") + QString::number(index)
                    + QLatin1Char(' ') + errorString;
    // The complaints of segments that had already ended when a pause, restart
    // or stop reached them are no failure of the download.
    if (!m_quiet)
        m_lastError = errorString;
}

