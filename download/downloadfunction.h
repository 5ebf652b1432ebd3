#pragma once

#include "core/protobufhttp.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

class DownloadFile;

// The download page's access to the platform's software catalogue and to the
// downloads of its entries, one job per entry id, saved into the download
// directory of the settings (temp/ of the data directory unless one is chosen).
class DownloadFunction : public QObject
{
    Q_OBJECT
public:
    explicit DownloadFunction(QObject *parent = nullptr);
    ~DownloadFunction() override;

    Q_INVOKABLE QVariantList getDownloadInfoList();
    Q_INVOKABLE QVariantList getDownloadInfoListFromPage(int _page);
    Q_INVOKABLE int getDownloadInfoListTotalPageCount();
    // Whether the last catalogue page asked for got no answer the platform
    // accepted (an empty page that was answered is no failure).
    Q_INVOKABLE bool getDownloadInfoListFailed() const { return m_catalogueFailed; }
    Q_INVOKABLE QVariant getDownloadInfo(QString _id);

    Q_INVOKABLE void downloadFile(QString _id, QString _url, QString _filename);
    Q_INVOKABLE void pause(QString _id);
    Q_INVOKABLE void stop(QString _id);
    Q_INVOKABLE float getProgress(QString _id);
    Q_INVOKABLE QString getProgressPecent(QString _id);
    Q_INVOKABLE QString getDownloadSpeed(QString _id);
    Q_INVOKABLE void downloadFinish(QString _id);
    Q_INVOKABLE bool getDownloadStatus(QString _id);
    // Whether the entry's download is paused: the page rebuilds its rows on
    // every page change and learns their state from here.
    Q_INVOKABLE bool getDownloadPaused(QString _id);
    // Why the entry's download did not start or stalled; empty when nothing
    // went wrong.
    Q_INVOKABLE QString getDownloadError(QString _id);

    // Where the entry's file goes: the download directory of the settings.
    static QString savePath(const QString &filename);
    // What a person is told of a failed download, in their language, for
    // the technical text the download reported (which goes to the log).
    static QString userErrorText(const QString &technical);
    // Whether the server's file name can be saved as it is, inside the download directory.
    static bool isSaveableName(const QString &filename);

private slots:
    void finishedSlot(QString _name);

private:
    QVariantList requestCatalogue(const QString &body, bool readPageCount);

    RequestSender m_sender;
    QMap<QString, DownloadFile *> m_jobs;
    QHash<QString, QString> m_refused;
    int m_pageCount = 0;
    bool m_catalogueFailed = false;
};
