#include "browser/webbrowerfunction.h"

#include "browser/browserhost.h"
#include "browser/browserwindow.h"
#include "browser/tabwidget.h"

#include <QCoreApplication>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

WebBrowerFunction::WebBrowerFunction(QObject *parent)
    : QObject(parent)
{
}

BrowserHost *WebBrowerFunction::browserHost()
{
    // One host: every host connects the default profile's downloads to its
    // own downloads window, so a second one would ask twice for each file.
    static BrowserHost *host = nullptr;
    if (!host) {
        QWebEngineSettings *settings = QWebEngineSettings::defaultSettings();
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, true);
        QWebEngineProfile::defaultProfile()->setUseForGlobalCertificateVerification();
        host = new BrowserHost;
        // Its pages have to go before the web engine's default profile does.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
            delete host;
            host = nullptr;
        });
    }
    return host;
}

void WebBrowerFunction::openBrower(const QString &_rul)
{
    const QUrl url(_rul, QUrl::TolerantMode);
    browserHost()->createWindow()->tabWidget()->setUrl(url);
}
