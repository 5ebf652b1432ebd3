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
    // Takes the saved credentials out of the file: the next start waits for
    // the user to sign in. The interface calls it when a sign-in succeeds
    // without "自动登录".
    Q_INVOKABLE void forgetCredentials();

    struct Credentials
    {
        QString phone;
        QString password;
        bool autoLogon = false;
    };
    // The password lives in the user's keyring; only where no keyring
    // answers does it stay in the file (readable by its owner only), and
    // the log says so.
    static Credentials readCredentials();
    static void writeCredentials(const QString &phone, const QString &password);
    // At start: a password an earlier version left in the file goes into
    // the keyring and out of the file; where no keyring takes it, it stays.
    // The sign-in form's remembered password goes the same way.
    static void movePasswordToKeyring();

    // The sign-in form's "记住密码": the password it fills in next time goes
    // into the keyring under the phone number (an empty one takes it out).
    // False where no keyring took it: the form then keeps it in the
    // interface's own settings file, readable by its owner only, as before.
    Q_INVOKABLE bool rememberFormPassword(QString phone, QString password);
    // What rememberFormPassword kept for `phone`, or "".
    Q_INVOKABLE QString rememberedFormPassword(QString phone);

    static QString filePath();

    // Where downloads are saved: the directory chosen in the settings
    // ("DownloadPath"), or temp/ in the data directory while none is (made
    // when missing).
    static QString downloadDirectory();
    Q_INVOKABLE QString getDownloadDirectory() const { return downloadDirectory(); }

    // The interface keeps its remembered password in Qt's settings file of
    // the program's organisation and application. Made readable by its owner
    // only, before the interface writes anything to it.
    static void protectInterfaceSettings();

public slots:
    void saveConfig(QString _key, QString _value);

private:
    static void moveFormPasswordToKeyring();
    // Chinese paths must read back unchanged, and existing GB2312 files must
    // still read: GB18030 is a superset of GB2312 that encodes every character.
    static std::unique_ptr<QSettings> open();
    // The file holds a password in plain text: readable by its user only.
    static void write(const std::function<void(QSettings &)> &change);
};
