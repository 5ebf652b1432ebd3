#pragma once

#include "core/protobufhttp.h"
#include "database/datebasefunction.h"
#include "services/installedprograms.h"

#include <QMap>
#include <QObject>
#include <QString>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;

// Signs the user in and out and manages the account on the platform: SMS
// codes, sign-in by code or password, silent sign-in with saved credentials,
// registration and completion, password reset, feedback. It also starts the
// local programs of the catalogue.
class MainFunction : public QObject
{
    Q_OBJECT
public:
    explicit MainFunction(QObject *parent = nullptr);

    // "OK" with the companies handed to the tax-code list, "Improve" for an
    // account that must be completed, or a message for the user.
    QString parseLoginReply(const QString &reply, const QString &phoneNum);

public slots:
    void btnDynamic(QString phoneNum);
    QString btnLogin(QString phoneNum, QString code);
    QString btnLoginPassword(QString phoneNum, QString password, bool autoLogon = false);
    // The silent sign-in of a start with saved credentials: returns at
    // once; autoLoginFinished() tells how it went, once the keyring has
    // given the password (the person may first unlock it), or never.
    void btnAutoLogin();
    void btnLoginOut();
    QString btnCommitInfo(QString name, QString mail, QString phoneNum, QString code, QString password);
    QString btnResetPassword(QString phoneNum, QString code, QString password, QString rpassword);
    QString btnSuggestionInfo(QString msgtypes, QString summary, QString phoneNum);
    bool getLoginStatus();
    QString getUserNum();
    QString getEncodeUrl();

    void btnOpenApp(QString appName);
    void btnOpenInvoice();
    void btnOpenUkey();
    bool checkRessaStatus();
    // Where the assistant's web chat is, for when its desktop program is missing.
    QString getChatUrl();
    bool checkPrintHelper();
    void downloadPrintHelper();
    void resetRegInfo();

public:
    // Probes the uninstall entries of the known programs and records the
    // ones whose file exists in the catalogue.
    void initRegInfoTest();
    // Loads every catalogued program whose file exists into launchPaths and
    // takes the others out of the configured set.
    void initDbInfo();

    // Catalogue name -> program path, shared by the whole process.
    static QMap<QString, QString> launchPaths;
    // The order number the next detected program takes; never reset.
    static int launchOrder;

signals:
    // The silent sign-in's result: "OK" when it signed in, "" when there
    // was nothing to sign in with or the user signed in or out meanwhile.
    void autoLoginFinished(const QString &result);
    // Detection ran again after an installer ended: the catalogue may have
    // new programs.
    void programsDetected();
    // An installer cannot run here; `message` tells the user why.
    void installerRefused(const QString &message);
    // The print helper's download: how far it has come (`total` is -1
    // while unknown), and whether it ended with the whole installer, which
    // is then started.
    void printHelperProgress(qint64 received, qint64 total);
    void printHelperFetched(bool complete);

private slots:
    void onFinished();
    void onReadyRead();
    void onDownloadProgress(qint64 bytesRea, qint64 totalBytes);

private:
    void recordDetected(const QString &appName, const InstalledPrograms::Found &found);

    QString post(const char *path, const QString &body, BodyEncoding encoding = BodyEncoding::Locale);

    DatebaseFunction m_db;
    RequestSender m_request;
    QString m_key;
    bool m_loginStatus = false;
    // Counts sign-outs: a silent sign-in that waited across one is dropped.
    quint64 m_signOuts = 0;
    QString m_userNum;
    QNetworkAccessManager *m_manager = nullptr;
    QNetworkReply *m_reply = nullptr;
    QFile *m_file = nullptr;
    QString m_fileName;
};
