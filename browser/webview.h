#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QWebEnginePage>
#include <QWebEngineView>

class WebPage;

// A tab's web view: tracks the load to choose the tab icon, offers the page's
// context menu, asks to reload after the render process ends, and decides
// where pages that open new windows go.
class WebView : public QWebEngineView
{
    Q_OBJECT

public:
    explicit WebView(QWidget *parent = nullptr);

    void setPage(WebPage *page);

    // The page's own icon, else one for the load state: failed, loading, loaded.
    QIcon favIcon() const;
    // 0 … 99 while loading, 100 when loaded, -1 after a failed load.
    int loadProgress() const;
    bool isWebActionEnabled(QWebEnginePage::WebAction webAction) const;

    // How many tabs, windows and popups a page may open without a click or
    // a key of the user's just before; more are refused, as browsers block
    // popups. A view opened that way may open none itself.
    static constexpr int windowsWithoutGesture = 5;

signals:
    void webActionEnabledChanged(QWebEnginePage::WebAction webAction, bool enabled);
    void favIconChanged(const QIcon &icon);
    void devToolsRequested(QWebEnginePage *source);

protected:
    QWebEngineView *createWindow(QWebEnginePage::WebWindowType type) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setLoadProgress(int progress);
    void handleRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status,
                                       int exitCode);

    // Whether the page may open a window now, counting it if so.
    bool mayOpenWindow();
    QWebEngineView *opened(QWebEngineView *view, bool byUser);

    int m_loadProgress = 100;
    // The last click or key of the user in the page.
    QElapsedTimer m_lastGesture;
    int m_openedWithoutGesture = 0;
};
