#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QSettings;

// The user settings file "System.ini" in the data directory: the "FunDic"
// dictionary of paths chosen in dialogs, and the saved sign-in credentials at
// the top level. Every access opens the file, reads or writes, and closes it.
class ConfigFunction : public QObject
{
    Q_OBJECT
public:
    explicit ConfigFunction(QObject *parent = nullptr);

    Q_INVOKABLE bool keyExist(QString _key);
    // Takes the saved credentials out of the file, and the password of the
    // saved number out of the keyring: the next start waits for the user to
    // sign in. The interface calls it when a sign-in succeeds without
    // "自动登录".
    Q_INVOKABLE void forgetCredentials();

    struct Credentials
    {
        QString phone;
        QString password;
        bool autoLogon = false;
    };
    // What the file holds: the number, whether the next start signs in by
    // itself, and the password only where the session has no keyring at
    // all (readable by its owner only).
    static Credentials readCredentials();
    // The same with the password out of the keyring, handed to `done` on
    // the event loop once the keyring answers: the person may first have
    // to unlock it at the desktop's prompt. Without an answer, `done` is
    // never called. An empty password where none could be read.
    static void loadCredentials(QObject *receiver, std::function<void(const Credentials &)> done);
    // The next start signs in by itself as `phone`: the number goes into
    // the file at once, the password into the keyring when it answers, and
    // only then the wish to sign in by itself. Where the keyring refuses (the person cancelled its
    // prompt, it stays locked) the password is kept nowhere, the next start
    // does not sign in by itself, and passwordNotSaved() tells. Only where
    // the session bus has no keyring at all does the file keep it.
    static void writeCredentials(const QString &phone, const QString &password);
    // At start: a password an earlier version left in the file, or in the
    // interface's settings file, goes into the keyring; the interface's
    // file keeps none in any case, System.ini only where no keyring exists.
    static void movePasswordToKeyring();

    // The sign-in form's "记住密码": the password it fills in next time goes
    // into the keyring under the phone number (an empty one takes it out);
    // passwordNotSaved() tells when the keyring refuses it. Where the session
    // has no keyring at all it goes into System.ini instead, never to a
    // sign-in of its own.
    Q_INVOKABLE void rememberFormPassword(QString phone, QString password);
    // Asks for what rememberFormPassword kept for `phone`:
    // rememberedFormPasswordRead() hands it over, "" where there is none.
    Q_INVOKABLE void rememberedFormPassword(QString phone);

    static QString filePath();

    // Where downloads are saved: the directory chosen in the settings
    // ("DownloadPath"), or temp/ in the data directory while none is (made
    // when missing).
    static QString downloadDirectory();
    Q_INVOKABLE QString getDownloadDirectory() const { return downloadDirectory(); }

    // The interface keeps the remembered phone number in Qt's settings file
    // of the program's organisation and application (never a password).
    // Made readable by its owner only, before the interface writes to it.
    static void protectInterfaceSettings();

public slots:
    void saveConfig(QString _key, QString _value);

signals:
    // The keyring did not take a password it was given: it is kept nowhere.
    void passwordNotSaved();
    void rememberedFormPasswordRead(const QString &phone, const QString &password);

private:
    // The file follows the keyring's answers (once per process).
    static void followKeyring();
    static void moveFormPasswordToKeyring(bool keyringExists);
    // Where no keyring exists: the form's password in System.ini, unless
    // the file holds another number's credentials.
    static void keepFormPasswordInFile(const QString &phone, const QString &password);
    // Chinese paths must read back unchanged, and existing GB2312 files must
    // still read: GB18030 is a superset of GB2312 that encodes every character.
    static std::unique_ptr<QSettings> open();
    // The file holds a password in plain text: readable by its user only.
    static void write(const std::function<void(QSettings &)> &change);
};
