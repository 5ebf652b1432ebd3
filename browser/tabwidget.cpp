#include "browser/tabwidget.h"

#include "browser/webpage.h"
#include "browser/webview.h"

#include <QCursor>
#include <QMenu>
#include <QTabBar>
#include <QTextDocument>

TabWidget::TabWidget(QWebEngineProfile *profile, QWidget *parent)
    : QTabWidget(parent)
    , m_profile(profile)
{
    QTabBar *bar = tabBar();
    bar->setTabsClosable(true);
    bar->setSelectionBehaviorOnRemove(QTabBar::SelectPreviousTab);
    bar->setMovable(true);
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(bar, &QTabBar::customContextMenuRequested, this, &TabWidget::handleContextMenuRequested);
    connect(bar, &QTabBar::tabCloseRequested, this, &TabWidget::closeTab);
    connect(bar, &QTabBar::tabBarDoubleClicked, this, [this](int index) {
        if (index == -1)
            createTab();
    });

    setDocumentMode(true);
    setElideMode(Qt::ElideRight);

    connect(this, &QTabWidget::currentChanged, this, &TabWidget::handleCurrentChanged);
}

WebView *TabWidget::currentWebView() const
{
    return webView(currentIndex());
}

WebView *TabWidget::webView(int index) const
{
    return qobject_cast<WebView *>(widget(index));
}

void TabWidget::handleCurrentChanged(int index)
{
    if (WebView *view = webView(index)) {
        if (!view->url().isEmpty())
            view->setFocus();
        emit titleChanged(view->title());
        emit loadProgress(view->loadProgress());
        emit urlChanged(view->url());
        emit favIconChanged(view->favIcon());
        for (const auto action : {QWebEnginePage::Back, QWebEnginePage::Forward,
                                  QWebEnginePage::Stop, QWebEnginePage::Reload})
            emit webActionEnabledChanged(action, view->isWebActionEnabled(action));
    } else {
        emit titleChanged(QString());
        emit loadProgress(0);
        emit urlChanged(QUrl());
        emit favIconChanged(QIcon());
        emit webActionEnabledChanged(QWebEnginePage::Back, false);
        emit webActionEnabledChanged(QWebEnginePage::Forward, false);
        emit webActionEnabledChanged(QWebEnginePage::Stop, false);
        emit webActionEnabledChanged(QWebEnginePage::Reload, true);
    }
}

void TabWidget::handleContextMenuRequested(const QPoint &pos)
{
    QMenu menu;
    menu.addAction(tr("New &Tab"), this, &TabWidget::createTab, QKeySequence::AddTab);
    const int index = tabBar()->tabAt(pos);
    if (index != -1) {
        menu.addAction(tr("Clone Tab"), this, [this, index] { cloneTab(index); });
        menu.addSeparator();
        menu.addAction(tr("&Close Tab"), this, [this, index] { closeTab(index); },
                       QKeySequence::Close);
        menu.addAction(tr("Close &Other Tabs"), this, [this, index] { closeOtherTabs(index); });
        menu.addSeparator();
        menu.addAction(tr("Reload Tab"), this, [this, index] { reloadTab(index); },
                       QKeySequence::Refresh);
    } else {
        menu.addSeparator();
    }
    menu.addAction(tr("Reload All Tabs"), this, &TabWidget::reloadAllTabs);
    menu.exec(QCursor::pos());
}

void TabWidget::setupView(WebView *view)
{
    QWebEnginePage *page = view->page();
    // Whether the view's tab is current is asked when the signal arrives:
    // tabs move and close in between.
    const auto isCurrent = [this, view] { return currentIndex() == indexOf(view); };

    connect(view, &QWebEngineView::titleChanged, this, [this, view, isCurrent](const QString &title) {
        const int index = indexOf(view);
        if (index != -1) {
            setTabText(index, title);
            // A tool tip reads markup; the page's title is plain text.
            setTabToolTip(index, Qt::convertFromPlainText(title));
        }
        if (isCurrent())
            emit titleChanged(title);
    });
    connect(view, &QWebEngineView::urlChanged, this, [this, view, isCurrent](const QUrl &url) {
        const int index = indexOf(view);
        if (index != -1)
            tabBar()->setTabData(index, url);
        if (isCurrent())
            emit urlChanged(url);
    });
    connect(view, &QWebEngineView::loadProgress, this, [this, isCurrent](int progress) {
        if (isCurrent())
            emit loadProgress(progress);
    });
    connect(page, &QWebEnginePage::linkHovered, this, [this, isCurrent](const QString &url) {
        if (isCurrent())
            emit linkHovered(url);
    });
    connect(view, &WebView::favIconChanged, this, [this, view, isCurrent](const QIcon &icon) {
        const int index = indexOf(view);
        if (index != -1)
            setTabIcon(index, icon);
        if (isCurrent())
            emit favIconChanged(icon);
    });
    connect(view, &WebView::webActionEnabledChanged, this,
            [this, isCurrent](QWebEnginePage::WebAction action, bool enabled) {
                if (isCurrent())
                    emit webActionEnabledChanged(action, enabled);
            });
    connect(page, &QWebEnginePage::findTextFinished, this,
            [this, isCurrent](const QWebEngineFindTextResult &result) {
                if (isCurrent())
                    emit findTextFinished(result);
            });
    connect(view, &WebView::devToolsRequested, this, &TabWidget::devToolsRequested);
    connect(page, &QWebEnginePage::windowCloseRequested, this, [this, view] {
        closeTab(indexOf(view));
    });
}

WebView *TabWidget::createTab()
{
    WebView *view = createBackgroundTab();
    setCurrentWidget(view);
    return view;
}

WebView *TabWidget::createBackgroundTab()
{
    auto *view = new WebView;
    view->setPage(new WebPage(m_profile, view));
    setupView(view);
    const int index = addTab(view, tr("(Untitled)"));
    setTabIcon(index, view->favIcon());
    // The engine lays out the page at the size it is given: the size of the
    // tab it will be shown in, not a default one.
    if (WebView *current = currentWebView())
        view->resize(current->size());
    view->show();
    return view;
}

void TabWidget::closeTab(int index)
{
    WebView *view = webView(index);
    if (!view)
        return;
    const bool hadFocus = view->hasFocus();
    removeTab(index);
    if (hadFocus && count() > 0)
        currentWebView()->setFocus();
    if (count() == 0)
        createTab();
    view->deleteLater();
}

void TabWidget::closeOtherTabs(int index)
{
    for (int i = count() - 1; i > index; --i)
        closeTab(i);
    for (int i = index - 1; i >= 0; --i)
        closeTab(i);
}

void TabWidget::cloneTab(int index)
{
    if (WebView *view = webView(index))
        createTab()->setUrl(view->url());
}

void TabWidget::reloadTab(int index)
{
    if (WebView *view = webView(index))
        view->reload();
}

void TabWidget::reloadAllTabs()
{
    for (int i = 0; i < count(); ++i)
        reloadTab(i);
}

void TabWidget::nextTab()
{
    setCurrentIndex(count() > 0 ? (currentIndex() + 1) % count() : -1);
}

void TabWidget::previousTab()
{
    setCurrentIndex(count() > 0 ? (currentIndex() + count() - 1) % count() : -1);
}

void TabWidget::setUrl(const QUrl &url)
{
    if (WebView *view = currentWebView()) {
        view->setUrl(url);
        view->setFocus();
    }
}

void TabWidget::triggerWebPageAction(QWebEnginePage::WebAction action)
{
    if (WebView *view = currentWebView()) {
        view->triggerPageAction(action);
        view->setFocus();
    }
}
