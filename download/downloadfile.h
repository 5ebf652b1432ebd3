#pragma once

#include <QObject>
#include <QString>

class DownloadControl;
class QFile;
class QTimer;

// One download of the download centre: a new one-segment download of a URL,
// or the continuation of a stopped one when a resume file lies beside the save
// file. Turns the byte counts into the figures the download page shows and,
// once the file is complete, removes the resume file and starts the file.
class DownloadFile : public QObject
{
    Q_OBJECT
public:
    DownloadFile(QString name, QString url, QString saveFile);

    void startDown();
    void pauseDownload();
    void restartDown();
    void stopDownload();

    QString speed() const { return m_speed; }
    float progress() const { return m_progress; }
    QString progressPercent() const;
    // The controller's last error text since the last start or restart;
    // empty when there was none.
    QString lastError() const { return m_lastError; }
    // Paused by the centre (also when asked while the size is still being
    // asked for) and not taken up again since.
    bool isPaused() const;
    bool isResumed() const { return m_resume == 1; }
    QString saveFile() const { return m_saveFile; }

    // Releases the job. A job still asking for the size goes once that is
    // over; one whose bytes are all written but whose end has not been
    // reported yet goes only after its completion steps.
    void release();

    static QString formatSize(double bytes);

signals:
    void finished(QString name);

private slots:
    void start();
    void pause();
    void restart();
    void stop();
    void finishedSlot(int index);
    void progressChangeSlot(int index, qint64 startPoint, qint64 endPoint, qint64 readySize);
    void errorSlot(int index, QString errorString);
    void speedSlot();

private:
    bool startControl();
    void quietly(void (DownloadControl::*operation)());

    int m_resume = 0;
    QString m_url;
    QString m_saveFile;
    QFile *m_resumeFile = nullptr;
    DownloadControl *m_control = nullptr;
    QTimer *m_timer = nullptr;
    QString m_name;
    QString m_speed;
    float m_progress = 0.0f;
    qint64 m_lastDownloaded = 0;
    qint64 m_downloadedBytes = 0;
    qint64 m_totalBytes = 0;

    QString m_sourceUrl;
    QString m_lastError;
    bool m_quiet = false;
    bool m_completed = false;
    bool m_starting = false;
    bool m_pauseWhenStarted = false;
    bool m_releaseWhenDone = false;
};
