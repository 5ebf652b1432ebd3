#include "database/userinfo.h"

UserInfo::UserInfo(QObject *parent)
    : QObject(parent)
{
}
