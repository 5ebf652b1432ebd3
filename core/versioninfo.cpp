#include "core/versioninfo.h"

#include <QCoreApplication>

VersionInfo::VersionInfo(QObject *parent)
    : QObject(parent)
{
}

QString VersionInfo::ver() const
{
    return QCoreApplication::applicationVersion();
}
