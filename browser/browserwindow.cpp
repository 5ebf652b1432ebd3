#include "browser/browserwindow.h"

#include "browser/tabwidget.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QVBoxLayout>

BrowserWindow::BrowserWindow(BrowserHost *host, QWebEngineProfile *profile)
    : m_browser(host)
    , m_tabWidget(new TabWidget(profile, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Like the downloads window, a browser window is no main window of the
    // program: closing the last one leaves the portal running in the tray.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::ClickFocus);

    auto *centralWidget = new QWidget(this);
    auto *layout = new QVBoxLayout(centralWidget);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabWidget);
    setCentralWidget(centralWidget);

    connect(m_tabWidget, &TabWidget::titleChanged, this, &BrowserWindow::handleWebViewTitleChanged);
    handleWebViewTitleChanged(QString());
    m_tabWidget->createTab();
}

QSize BrowserWindow::sizeHint() const
{
    return QGuiApplication::primaryScreen()->geometry().size() * 0.9;
}

TabWidget *BrowserWindow::tabWidget() const
{
    return m_tabWidget;
}

WebView *BrowserWindow::currentTab() const
{
    return m_tabWidget->currentWebView();
}

BrowserHost *BrowserWindow::browser() const
{
    return m_browser;
}

void BrowserWindow::handleWebViewTitleChanged(const QString &title)
{
    const QString suffix = tr("Plit Browser");
    setWindowTitle(title.isEmpty() ? suffix : title + QStringLiteral(" - ") + suffix);
}

void BrowserWindow::closeEvent(QCloseEvent *event)
{
    const int tabs = m_tabWidget->count();
    if (tabs > 1) {
        const QMessageBox::StandardButton answer = QMessageBox::warning(
            this, tr("Confirm close"),
            tr("Are you sure you want to close the window ?\nThere are %1 tabs open.").arg(tabs),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
    }
    // WA_DeleteOnClose releases the window once the close is through.
    event->accept();
}
