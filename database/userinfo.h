#pragma once

#include <QObject>

// A stored sign-in user, handed to QML.
class UserInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString username READ username WRITE setUsername NOTIFY usernameChanged)
    Q_PROPERTY(QString pwd READ pwd WRITE setPwd NOTIFY pwdChanged)
    Q_PROPERTY(QString autologin READ autologin WRITE setAutologin NOTIFY autologinChanged)
public:
    explicit UserInfo(QObject *parent = nullptr);

    QString username() const { return m_username; }
    QString pwd() const { return m_pwd; }
    QString autologin() const { return m_autologin; }

    void setUsername(const QString &username);
    void setPwd(const QString &pwd);
    void setAutologin(const QString &autologin);

signals:
    void usernameChanged();
    void pwdChanged();
    void autologinChanged();

private:
    QString m_username;
    QString m_pwd;
    QString m_autologin;
};
