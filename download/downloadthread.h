#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QString>

class QFile;
class QNetworkAccessManager;

// One segment of a segmented download: a GET with a "Range" header whose
// body is written straight into its place in the controller's file. Not a
// thread: the reply delivers its signals on the thread that owns the segment.
class DownloadThread : public QObject
{
    Q_OBJECT
public:
    enum State { Idle = 0, Downloading = 1, Finished = 2, Stopped = 3 };

    explicit DownloadThread(QObject *parent = nullptr);

    // endPoint < 0: the size of the file is unknown; the segment then asks
    // without "Range" (or from its ready size on) and ends with the reply.
    void startDownload(int index, QString url, QFile *file, qint64 startPoint, qint64 endPoint,
                       qint64 readySize);

    // The size of the whole file, when known; lets the segment see that the
    // last range, which names one byte past the end, is complete.
    void setFileSize(qint64 size) { m_fileSize = size; }

    int index() const { return m_index; }
    int state() const { return m_state; }
    qint64 startPoint() const { return m_startPoint; }
    qint64 endPoint() const { return m_endPoint; }
    qint64 readySize() const { return m_readySize; }
    QString errorString() const { return m_errorString; }
    // True when every byte of the segment's range has been written.
    bool isComplete() const;
    // True when the server answered 200 with the whole file to this segment.
    bool receivedWholeFile() const { return m_wholeFile; }

public slots:
    void stop();
    void restart();

signals:
    void finished(int index);
    void progressChange(int index, qint64 startPoint, qint64 endPoint, qint64 readySize);
    void error(int index, QString errorString);

private slots:
    void finishedSlot();
    void readyReadSlot();
    void errorSlot(QNetworkReply::NetworkError code);

private:
    bool acceptReply();
    void fail(const QString &text);
    qint64 lastByte() const;

    int m_index = 0;
    qint64 m_startPoint = 0;
    qint64 m_endPoint = 0;
    qint64 m_readySize = 0;
    QString m_url;
    QFile *m_file = nullptr;
    QNetworkAccessManager *m_networkAccess = nullptr;
    QNetworkReply *m_reply = nullptr;
    int m_state = Idle;
    QString m_errorString;

    qint64 m_fileSize = -1;
    qint64 m_requestedFrom = 0;   // first byte the running request asked for
    qint64 m_expectedBytes = -1;  // body length the running reply announced
    qint64 m_replyBytes = 0;      // body bytes of the running reply written
    bool m_replyChecked = false;
    bool m_wholeFile = false;
};
