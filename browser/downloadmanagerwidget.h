#pragma once

#include <QWidget>

class DownloadWidget;
class QLabel;
class QVBoxLayout;
class QWebEngineDownloadItem;

// The "Downloads" window: asks where to save each download of the browser's
// pages and lists them, newest first, until the user removes them.
class DownloadManagerWidget : public QWidget
{
    Q_OBJECT

public:
    explicit DownloadManagerWidget(QWidget *parent = nullptr);

    void add(DownloadWidget *downloadWidget);
    void remove(DownloadWidget *downloadWidget);

public slots:
    // For a download in the requested state: accepted into the chosen file,
    // or left alone (and so dropped by the engine) when the user cancels.
    void downloadRequested(QWebEngineDownloadItem *download);

private:
    int m_numDownloads = 0;
    QVBoxLayout *m_itemsLayout;
    QLabel *m_zeroItemsLabel;
};
