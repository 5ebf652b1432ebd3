#include "core/versioninfo.h"

#include "core/deployment.h"

#include <QCoreApplication>

VersionInfo::VersionInfo(QObject *parent)
    : QObject(parent)
{
}

QString VersionInfo::ver() const
{
    return QCoreApplication::applicationVersion();
}

QString VersionInfo::serviceHotline() const
{
    return Deployment::serviceHotline();
}

QString VersionInfo::copyrightLine() const
{
    return Deployment::copyrightLine();
}
