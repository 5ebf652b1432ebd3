#include "browser/browserhost.h"

#include "browser/browserwindow.h"

#include <QWebEngineDownloadItem>
#include <QWebEngineProfile>

BrowserHost::BrowserHost()
{
    // Closing the downloads window hides it and never ends the program, even
    // when it was the last window shown (the portal may sit in the tray).
    m_downloadManagerWidget.setAttribute(Qt::WA_QuitOnClose, false);
    QObject::connect(QWebEngineProfile::defaultProfile(), &QWebEngineProfile::downloadRequested,
                     &m_downloadManagerWidget, &DownloadManagerWidget::downloadRequested);
}

BrowserHost::~BrowserHost()
{
    // Each window leaves the list as it goes.
    while (!m_windows.isEmpty())
        delete m_windows.last();
}

BrowserWindow *BrowserHost::createWindow()
{
    auto *window = new BrowserWindow(this, QWebEngineProfile::defaultProfile());
    m_windows.append(window);
    QObject::connect(window, &QObject::destroyed, &m_downloadManagerWidget, [this, window] {
        m_windows.removeOne(window);
    });
    window->show();
    return window;
}

DownloadManagerWidget &BrowserHost::downloadManagerWidget()
{
    return m_downloadManagerWidget;
}

QVector<BrowserWindow *> BrowserHost::windows() const
{
    return m_windows;
}
