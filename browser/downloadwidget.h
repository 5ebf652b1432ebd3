#pragma once

#include <QElapsedTimer>
#include <QFrame>

class QLabel;
class QProgressBar;
class QPushButton;
class QWebEngineDownloadItem;

// One row of the downloads window: file name, address, a progress bar with
// size and speed, and a button that stops the download while it runs and
// removes the row afterwards.
class DownloadWidget : public QFrame
{
    Q_OBJECT

public:
    // `download` is the engine's and must outlive the row.
    explicit DownloadWidget(QWebEngineDownloadItem *download, QWidget *parent = nullptr);

    // A byte count as "512 B", "1.50 KiB", "1.00 MiB" or "… GiB", with the
    // locale's digit grouping.
    static QString withUnit(qreal bytes);

signals:
    void removeClicked(DownloadWidget *self);

private slots:
    void updateWidget();

private:
    QWebEngineDownloadItem *m_download;
    QElapsedTimer m_timeAdded;
    QLabel *m_dstName;
    QPushButton *m_cancelButton;
    QLabel *m_srcUrl;
    QProgressBar *m_progressBar;
};
