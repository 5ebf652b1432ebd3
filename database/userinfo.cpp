#include "database/userinfo.h"

UserInfo::UserInfo(QObject *parent)
    : QObject(parent)
{
}

void UserInfo::setUsername(const QString &username)
{
    m_username = username;
    emit usernameChanged();
}

void UserInfo::setPwd(const QString &pwd)
{
    m_pwd = pwd;
    emit pwdChanged();
}

void UserInfo::setAutologin(const QString &autologin)
{
    m_autologin = autologin;
    emit autologinChanged();
}
