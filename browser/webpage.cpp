#include "browser/webpage.h"

#include "browser/certificateerrordialog.h"
#include "browser/clientcertificatedialog.h"
#include "browser/passworddialog.h"

#include <QAuthenticator>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWebEngineView>

namespace {

// The question for a feature, with %1 for the asking host; empty for the
// features never granted.
QString featureQuestion(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications:
        return WebPage::tr("Allow %1 to show notification on your desktop?");
    case QWebEnginePage::Geolocation:
        return WebPage::tr("Allow %1 to access your location information?");
    case QWebEnginePage::MediaAudioCapture:
        return WebPage::tr("Allow %1 to access your microphone?");
    case QWebEnginePage::MediaVideoCapture:
        return WebPage::tr("Allow %1 to access your webcam?");
    case QWebEnginePage::MediaAudioVideoCapture:
        return WebPage::tr("Allow %1 to access your microphone and webcam?");
    case QWebEnginePage::MouseLock:
        return WebPage::tr("Allow %1 to lock your mouse cursor?");
    case QWebEnginePage::DesktopVideoCapture:
        return WebPage::tr("Allow %1 to capture video of your desktop?");
    case QWebEnginePage::DesktopAudioVideoCapture:
        return WebPage::tr("Allow %1 to capture audio and video of your desktop?");
    }
    return QString();
}

} // namespace

WebPage::WebPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::authenticationRequired,
            this, &WebPage::handleAuthenticationRequired);
    connect(this, &QWebEnginePage::featurePermissionRequested,
            this, &WebPage::handleFeaturePermissionRequested);
    connect(this, &QWebEnginePage::proxyAuthenticationRequired,
            this, &WebPage::handleProxyAuthenticationRequired);
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested,
            this, &WebPage::handleRegisterProtocolHandlerRequested);
    connect(this, &QWebEnginePage::selectClientCertificate,
            this, &WebPage::handleSelectClientCertificate);
}

QWidget *WebPage::hostWindow() const
{
    return view() ? view()->window() : nullptr;
}

void WebPage::ask(QDialog *dialog, const std::function<void(QDialog *, int)> &answer)
{
    // The question runs a nested event loop, in which the page may close its
    // own tab or popup: that deletes the page, and with a popup also the
    // window the dialog sits on. An answer for a page that is gone is dropped.
    QPointer<WebPage> page(this);
    QPointer<QDialog> stillThere(dialog);
    const int result = dialog->exec();
    if (page && stillThere)
        answer(dialog, result);
    delete stillThere;
}

QMessageBox *WebPage::permissionQuestion(const QString &text) const
{
    auto *box = new QMessageBox(QMessageBox::Question, tr("Permission Request"), text,
                                QMessageBox::Yes | QMessageBox::No, hostWindow());
    // The host and scheme are the page's words.
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::No);
    return box;
}

bool WebPage::certificateError(const QWebEngineCertificateError &error)
{
    // The engine wants an answer at once; the copy keeps the deferred error
    // for the question asked once the engine is out of this call. The timer
    // goes with the page, so a page closed before then asks nothing.
    QWebEngineCertificateError deferred = error;
    deferred.defer();
    QTimer::singleShot(0, this, [this, deferred] { handleCertificateError(deferred); });
    return true;
}

void WebPage::handleCertificateError(QWebEngineCertificateError error)
{
    if (!error.deferred()) {
        auto *box = new QMessageBox(QMessageBox::Critical, tr("Certificate Error"),
                                    error.errorDescription(), QMessageBox::Ok, hostWindow());
        ask(box, [](QDialog *, int) {});
        return;
    }
    ask(new CertificateErrorDialog(error.errorDescription(), error.url().host(), hostWindow()),
        [&error](QDialog *, int result) {
            if (result == QDialog::Accepted)
                error.ignoreCertificateError();
            else
                error.rejectCertificate();
        });
}

namespace {

// The server's words cut to a length a dialog can show, escaped.
QString shortEscaped(const QString &text, int length)
{
    return (text.size() > length ? text.left(length) + QStringLiteral("…") : text).toHtmlEscaped();
}

} // namespace

void WebPage::handleAuthenticationRequired(const QUrl &requestUrl, QAuthenticator *auth)
{
    askCredentials(auth, tr("Enter username and password for \"%1\" at %2")
                             .arg(shortEscaped(auth->realm(), 120),
                                  shortEscaped(requestUrl.toString(), 300)),
                   requestUrl.host());
}

void WebPage::handleProxyAuthenticationRequired(const QUrl &, QAuthenticator *auth,
                                                const QString &proxyHost)
{
    askCredentials(auth, tr("Connect to proxy \"%1\" using:").arg(shortEscaped(proxyHost, 300)),
                   proxyHost);
}

void WebPage::askCredentials(QAuthenticator *auth, const QString &info, const QString &host)
{
    ask(new PasswordDialog(info, host, hostWindow()), [auth](QDialog *dialog, int result) {
        if (result == QDialog::Accepted) {
            const auto *credentials = static_cast<PasswordDialog *>(dialog);
            auth->setUser(credentials->userName());
            auth->setPassword(credentials->password());
        } else {
            // An empty authenticator makes the request fail; the engine
            // does not ask again.
            *auth = QAuthenticator();
        }
    });
}

void WebPage::handleFeaturePermissionRequested(const QUrl &securityOrigin, Feature feature)
{
    const QString question = featureQuestion(feature);
    if (question.isEmpty()) {
        setFeaturePermission(securityOrigin, feature, PermissionDeniedByUser);
        return;
    }
    ask(permissionQuestion(question.arg(securityOrigin.host())),
        [this, securityOrigin, feature](QDialog *, int result) {
            setFeaturePermission(securityOrigin, feature,
                                 result == QMessageBox::Yes ? PermissionGrantedByUser
                                                            : PermissionDeniedByUser);
        });
}

void WebPage::handleRegisterProtocolHandlerRequested(QWebEngineRegisterProtocolHandlerRequest request)
{
    ask(permissionQuestion(tr("Allow %1 to open all %2 links?")
                               .arg(request.origin().host(), request.scheme())),
        [&request](QDialog *, int result) {
            if (result == QMessageBox::Yes)
                request.accept();
            else
                request.reject();
        });
}

void WebPage::handleSelectClientCertificate(QWebEngineClientCertificateSelection clientCertSelection)
{
    // A certificate tells the site who the user is: one goes only when the
    // user chooses it. With none offered, or Cancel, none is sent.
    const QVector<QSslCertificate> offered = clientCertSelection.certificates();
    if (offered.isEmpty()) {
        clientCertSelection.selectNone();
        return;
    }
    ask(new ClientCertificateDialog(clientCertSelection.host().host(), offered, hostWindow()),
        [&clientCertSelection, offered](QDialog *dialog, int result) {
            const int row = static_cast<ClientCertificateDialog *>(dialog)->chosen();
            if (result == QDialog::Accepted && row >= 0 && row < offered.size())
                clientCertSelection.select(offered.at(row));
            else
                clientCertSelection.selectNone();
        });
}
