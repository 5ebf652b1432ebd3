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
// downloads of its entries, one job per entry id, saved into temp/ of the
// data directory.
class DownloadFunction : public QObject
{
    Q_OBJECT
public:
    explicit DownloadFunction(QObject *parent = nullptr);
    ~DownloadFunction() override;

    Q_INVOKABLE QVariantList getDownloadInfoList();
    Q_INVOKABLE QVariantList getDownloadInfoListFromPage(int _page);
    Q_INVOKABLE int getDownloadInfoListTotalPageCount();
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

    // Where the entry's file goes: temp/ of the data directory.
    static QString savePath(const QString &filename);
    // Whether the server's file name can be saved as it is, inside temp/.
    static bool isSaveableName(const QString &filename);

private slots:
    void finishedSlot(QString _name);

private:
    QVariantList requestCatalogue(const QString &body, bool readPageCount);

    RequestSender m_sender;
    QMap<QString, DownloadFile *> m_jobs;
    QHash<QString, QString> m_refused;
    int m_pageCount = 0;
};
