#pragma once

#include <QMainWindow>

class BrowserHost;
class QWebEngineProfile;
class TabWidget;
class WebView;

// A browser window: the tab bar and the pages, nothing else. It deletes
// itself when closed, after asking when more than one tab is open.
class BrowserWindow : public QMainWindow
{
    Q_OBJECT

public:
    BrowserWindow(BrowserHost *host, QWebEngineProfile *profile);

    QSize sizeHint() const override;
    TabWidget *tabWidget() const;
    WebView *currentTab() const;
    BrowserHost *browser() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void handleWebViewTitleChanged(const QString &title);

private:
    BrowserHost *m_browser;
    TabWidget *m_tabWidget;
};
