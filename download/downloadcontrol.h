#pragma once

#include "download/resumefile.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QObject>
#include <QString>

class DownloadThread;
class QFile;
class QNetworkReply;
class QTimer;

// One download of one file, split into 1 to 15 ranges that are fetched by
// their own requests and written in place into one preallocated file. Can be
// paused, restarted, and stopped into a resume file (target path + ".setting")
// from which a later downloadFile(settingFile) continues.
class DownloadControl : public QObject
{
    Q_OBJECT
public:
    enum State { Idle = 0, Downloading = 1, Paused = 2, Stopped = 3, Finished = 4 };

    explicit DownloadControl(QObject *parent = nullptr);

    bool downloadFile(QString url, QString saveFile, int count);
    bool downloadFile(QString settingFile);

    int state() const { return m_state; }
    int runningCount() const { return m_running; }
    QString errorString() const { return m_errorString; }
    // True when the last downloadFile(settingFile) refused the resume file
    // itself (keys missing or out of range), not the circumstances.
    bool resumeFileUnusable() const { return m_resumeFileUnusable; }
    qint64 readySize() const { return m_readySize; }
    // -1 while the size is not known.
    qint64 totalSize() const { return m_totalSize; }

public slots:
    void pause();
    void restart();
    void stop();

signals:
    void finished(int index);
    void progressChange(int index, qint64 startPoint, qint64 endPoint, qint64 readySize);
    void error(int index, QString errorString);

private slots:
    void finishedSlot(int index);
    void progressChangeSlot(int index, qint64 startPoint, qint64 endPoint, qint64 readySize);
    void errorSlot(int index, QString errorString);
    void wholeFileSlot(int index, qint64 size);
    void fileChangedSlot(int index, qint64 size);
    void saveProgressSlot();

private:
    using Range = ResumeFile::Range;

    qint64 getFileSize(QString url, int tryTimes);
    void raise(const QString &text);
    bool refuseSettingFile();
    bool openTarget(QIODevice::OpenMode mode);
    void closeTarget();
    void startFromZero(qint64 total);
    void startSegments(const QList<Range> &ranges);
    DownloadThread *segmentAt(int index) const;
    QString settingPath() const;
    bool writeSettingFile();
    void stopAllSegments();
    void releaseSegments();
    bool allSegmentsComplete() const;
    void complete();

    QString m_errorString;
    int m_state = Idle;
    QList<DownloadThread *> m_threads;
    QString m_url;
    QString m_saveFile;
    int m_count = 0;
    int m_running = 0;
    qint64 m_readySize = 0;
    qint64 m_totalSize = -1;
    QFile *m_file = nullptr;

    QTimer *m_saveTimer = nullptr;
    bool m_progressSinceSave = false;
    // The version of the file being downloaded (ETag or Last-Modified).
    QByteArray m_validator;
    // The size request while it runs, and whether stop() ended it.
    QNetworkReply *m_probe = nullptr;
    bool m_probeCancelled = false;
    // Times the download started again because the file changed meanwhile.
    int m_restarts = 0;
    bool m_resumeFileUnusable = false;
};
