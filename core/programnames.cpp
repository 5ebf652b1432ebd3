#include "core/programnames.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

namespace {

const char kFormerOrganization[] = "QtProject";
const char kFormerApplication[] = "Gallery";

// Renames `from` to `to` when `from` exists and `to` does not.
bool moveOnce(const QString &from, const QString &to)
{
    const QFileInfo source(from);
    if (!source.exists() && !source.isSymLink())
        return false;
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
        qInfo().noquote() << QStringLiteral("kept %1: %2 exists already").arg(from, to);
        return false;
    }
    QDir().mkpath(QFileInfo(to).absolutePath());
    if (!QDir().rename(from, to)) {
        qWarning().noquote() << QStringLiteral("could not move %1 to %2").arg(from, to);
        return false;
    }
    qInfo().noquote() << QStringLiteral("moved %1 to %2").arg(from, to);
    return true;
}

} // namespace

namespace ProgramNames {

QString applicationName()
{
    return QStringLiteral("plit");
}

QString displayName()
{
    return QStringLiteral("Plit云台");
}

void apply()
{
    // The application name is the second part of WM_CLASS on X11 and the
    // tray item's Id; with the organisation it names Qt's folders.
    QCoreApplication::setOrganizationName(applicationName());
    QCoreApplication::setApplicationName(applicationName());
    QGuiApplication::setApplicationDisplayName(displayName());
}

int moveFormerFiles()
{
    const QString former = QLatin1String(kFormerOrganization) + QLatin1Char('/') + QLatin1String(kFormerApplication);
    const QString present = QCoreApplication::organizationName() + QLatin1Char('/') + QCoreApplication::applicationName();
    int moved = 0;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/');
    moved += moveOnce(config + former + QStringLiteral(".conf"), config + present + QStringLiteral(".conf"));
    for (const auto location : {QStandardPaths::GenericDataLocation, QStandardPaths::GenericCacheLocation}) {
        const QString base = QStandardPaths::writableLocation(location) + QLatin1Char('/');
        moved += moveOnce(base + former, base + present);
    }
    return moved;
}

} // namespace ProgramNames
