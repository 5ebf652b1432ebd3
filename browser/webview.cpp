#include "browser/webview.h"

#include "browser/browserhost.h"
#include "browser/browsericons.h"
#include "browser/browserwindow.h"
#include "browser/tabwidget.h"
#include "browser/webpage.h"
#include "browser/webpopupwindow.h"

#include "core/urlpolicy.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QDebug>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace {

QString terminationTitle(QWebEnginePage::RenderProcessTerminationStatus status)
{
    switch (status) {
    case QWebEnginePage::NormalTerminationStatus:
        return WebView::tr("Render process normal exit");
    case QWebEnginePage::AbnormalTerminationStatus:
        return WebView::tr("Render process abnormal exit");
    case QWebEnginePage::CrashedTerminationStatus:
        return WebView::tr("Render process crashed");
    case QWebEnginePage::KilledTerminationStatus:
        return WebView::tr("Render process killed");
    }
    return QString();
}

} // namespace

WebView::WebView(QWidget *parent)
    : QWebEngineView(parent)
{
    connect(this, &QWebEngineView::loadStarted, this, [this] { setLoadProgress(0); });
    connect(this, &QWebEngineView::loadProgress, this, [this](int progress) {
        m_loadProgress = progress;
    });
    connect(this, &QWebEngineView::loadFinished, this, [this](bool success) {
        setLoadProgress(success ? 100 : -1);
    });
    connect(this, &QWebEngineView::iconChanged, this, [this] { emit favIconChanged(favIcon()); });
    connect(this, &QWebEngineView::renderProcessTerminated,
            this, &WebView::handleRenderProcessTerminated);
}

void WebView::setPage(WebPage *page)
{
    for (const auto action : {QWebEnginePage::Forward, QWebEnginePage::Back,
                              QWebEnginePage::Reload, QWebEnginePage::Stop}) {
        QAction *pageAction = page->action(action);
        connect(pageAction, &QAction::changed, this, [this, action, pageAction] {
            emit webActionEnabledChanged(action, pageAction->isEnabled());
        });
    }
    QWebEngineView::setPage(page);
}

QIcon WebView::favIcon() const
{
    const QIcon pageIcon = icon();
    if (!pageIcon.isNull())
        return pageIcon;
    static const QIcon failed = browserIcon(QStringLiteral(":dialog-error.png"));
    static const QIcon loading = browserIcon(QStringLiteral(":view-refresh.png"));
    static const QIcon loaded = browserIcon(QStringLiteral(":text-html.png"));
    if (m_loadProgress < 0)
        return failed;
    return m_loadProgress < 100 ? loading : loaded;
}

int WebView::loadProgress() const
{
    return m_loadProgress;
}

bool WebView::isWebActionEnabled(QWebEnginePage::WebAction webAction) const
{
    return page()->action(webAction)->isEnabled();
}

void WebView::setLoadProgress(int progress)
{
    m_loadProgress = progress;
    emit favIconChanged(favIcon());
}

void WebView::handleRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status,
                                            int exitCode)
{
    const QMessageBox::StandardButton answer = QMessageBox::question(
        window(), terminationTitle(status),
        tr("Render process exited with code: %1\nDo you want to reload the page ?").arg(exitCode));
    // The engine is still inside its notification: reload once it is out.
    if (answer == QMessageBox::Yes)
        QTimer::singleShot(0, this, [this] { reload(); });
}

bool WebView::event(QEvent *event)
{
    // The page's input arrives at the engine's widget inside the view:
    // watch it for the user's clicks and keys.
    if (event->type() == QEvent::ChildPolished) {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child && child->isWidgetType())
            child->installEventFilter(this);
    }
    return QWebEngineView::event(event);
}

bool WebView::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
    case QEvent::TouchBegin:
        m_lastGesture.start();
        break;
    default:
        break;
    }
    return QWebEngineView::eventFilter(watched, event);
}

bool WebView::mayOpenWindow()
{
    // A page's window.open() follows the click that led to it within a
    // moment; later ones are the page's own doing.
    if (m_lastGesture.isValid() && m_lastGesture.elapsed() < 1000)
        return true;
    if (m_openedWithoutGesture >= windowsWithoutGesture) {
        qInfo().noquote() << QStringLiteral("refused a window that a page opened without the user: ")
                + UrlPolicy::printable(url().toString());
        return false;
    }
    ++m_openedWithoutGesture;
    return true;
}

QWebEngineView *WebView::opened(QWebEngineView *view, bool byUser)
{
    // A view the page opened by itself opens none by itself in turn, so a
    // page that opens itself cannot multiply.
    if (auto *webView = qobject_cast<WebView *>(view); webView && !byUser)
        webView->m_openedWithoutGesture = windowsWithoutGesture;
    return view;
}

QWebEngineView *WebView::createWindow(QWebEnginePage::WebWindowType type)
{
    // Only a browser window knows where new tabs and windows go; a popup's
    // pages open nothing.
    auto *browserWindow = qobject_cast<BrowserWindow *>(window());
    if (!browserWindow)
        return nullptr;
    const bool byUser = m_lastGesture.isValid() && m_lastGesture.elapsed() < 1000;
    if (!mayOpenWindow())
        return nullptr;
    switch (type) {
    case QWebEnginePage::WebBrowserTab:
        return opened(browserWindow->tabWidget()->createTab(), byUser);
    case QWebEnginePage::WebBrowserBackgroundTab:
        return opened(browserWindow->tabWidget()->createBackgroundTab(), byUser);
    case QWebEnginePage::WebBrowserWindow:
        return opened(browserWindow->browser()->createWindow()->currentTab(), byUser);
    case QWebEnginePage::WebDialog: {
        auto *popup = new WebPopupWindow(page()->profile());
        connect(popup->view(), &WebView::devToolsRequested, this, &WebView::devToolsRequested);
        return opened(popup->view(), byUser);
    }
    }
    return nullptr;
}

void WebView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = page()->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QList<QAction *> actions = menu->actions();
    QAction *inspect = page()->action(QWebEnginePage::InspectElement);
    if (actions.contains(inspect)) {
        inspect->setText(tr("Inspect element"));
    } else {
        if (!actions.contains(page()->action(QWebEnginePage::ViewSource)))
            menu->addSeparator();
        QAction *openInspector = menu->addAction(tr("Open inspector in new window"));
        connect(openInspector, &QAction::triggered, this, [this] { emit devToolsRequested(page()); });
    }
    menu->popup(event->globalPos());
}
