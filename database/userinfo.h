#pragma once

#include "core/elementproperty.h"

#include <QObject>
#include <QString>

// A stored sign-in user, handed to QML.
class UserInfo : public QObject
{
    Q_OBJECT
    PLIT_ELEMENT_PROPERTY(QString, username, setUsername, usernameChanged, Emits)
    PLIT_ELEMENT_PROPERTY(QString, pwd, setPwd, pwdChanged, Emits)
    PLIT_ELEMENT_PROPERTY(QString, autologin, setAutologin, autologinChanged, Emits)

public:
    explicit UserInfo(QObject *parent = nullptr);
};
