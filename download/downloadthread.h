#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QString>

class QFile;
class QNetworkAccessManager;
class QTimer;

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

    // The size of the file the download started with, when known: lets the
    // segment see that the last range, which names one byte past the end, is
    // complete, and that a reply speaks of another file.
    void setFileSize(qint64 size) { m_fileSize = size; }
    // The version of the file the download started with (an ETag or a
    // Last-Modified date), sent as "If-Range": a server that holds another
    // version answers with the whole of it instead of a range of it.
    void setValidator(const QByteArray &validator) { m_validator = validator; }

    int index() const { return m_index; }
    int state() const { return m_state; }
    qint64 startPoint() const { return m_startPoint; }
    qint64 endPoint() const { return m_endPoint; }
    qint64 readySize() const { return m_readySize; }
    QString errorString() const { return m_errorString; }
    // True when every byte of the segment's range has been written.
    bool isComplete() const;
    // The version of the file the last reply named; empty when it named none.
    QByteArray replyValidator() const { return m_replyValidator; }

    // The version a reply names: its ETag when that is a strong one (the
    // only kind "If-Range" accepts), otherwise its Last-Modified date.
    static QByteArray validatorOf(const QNetworkReply *reply);

public slots:
    void stop();
    void restart();

signals:
    void finished(int index);
    void progressChange(int index, qint64 startPoint, qint64 endPoint, qint64 readySize);
    void error(int index, QString errorString);
    // The server answered with the whole file, `size` bytes (-1: unknown),
    // where a range was asked. Once the listener has returned, the segment
    // writes that body from byte 0 on as segment 1, the download's only one.
    void wholeFile(int index, qint64 size);
    // The server now serves another version of the file, `size` bytes long:
    // nothing downloaded so far belongs to it. The segment writes nothing more.
    void fileChanged(int index, qint64 size);

private slots:
    void finishedSlot();
    void readyReadSlot();
    void errorSlot(QNetworkReply::NetworkError code);
    void stalledSlot();

private:
    QString rangeAsked() const;
    bool acceptReply();
    bool acceptRange();
    // Writes `data` at the segment's position; the failure text when it cannot.
    QString write(const QByteArray &data);
    // True when the running reply delivered every byte it was to write.
    bool rangeWritten() const;
    void becomeWholeFile(qint64 size);
    void fail(const QString &text);
    void releaseReply();
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

    QTimer *m_stallTimer = nullptr;
    qint64 m_fileSize = -1;
    QByteArray m_validator;
    QByteArray m_replyValidator;
    qint64 m_requestedFrom = 0;   // first byte the running request asked for
    qint64 m_expectedBytes = -1;  // body length the running reply announced
    qint64 m_replyBytes = 0;      // body bytes of the running reply written
    bool m_replyChecked = false;
};
