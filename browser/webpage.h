#pragma once

#include <QWebEngineCertificateError>
#include <QWebEngineClientCertificateSelection>
#include <QWebEnginePage>
#include <QWebEngineRegisterProtocolHandlerRequest>

#include <functional>

class QAuthenticator;
class QDialog;
class QMessageBox;

// A tab's page: answers the web engine's questions (authentication,
// certificate errors, permissions, protocol handlers, client certificates)
// with dialogs over its view's window.
class WebPage : public QWebEnginePage
{
    Q_OBJECT

public:
    WebPage(QWebEngineProfile *profile, QObject *parent = nullptr);

protected:
    bool certificateError(const QWebEngineCertificateError &error) override;

private slots:
    void handleAuthenticationRequired(const QUrl &requestUrl, QAuthenticator *auth);
    void handleFeaturePermissionRequested(const QUrl &securityOrigin, Feature feature);
    void handleProxyAuthenticationRequired(const QUrl &requestUrl, QAuthenticator *auth,
                                           const QString &proxyHost);
    void handleRegisterProtocolHandlerRequested(QWebEngineRegisterProtocolHandlerRequest request);
    void handleSelectClientCertificate(QWebEngineClientCertificateSelection clientCertSelection);

private:
    QWidget *hostWindow() const;
    QMessageBox *permissionQuestion(const QString &text) const;
    void handleCertificateError(QWebEngineCertificateError error);
    void askCredentials(QAuthenticator *auth, const QString &info, const QString &host);
    void ask(QDialog *dialog, const std::function<void(QDialog *dialog, int result)> &answer);
};
