#include "core/deployment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString fromEnvironment(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QString withoutTrailingSlash(QString url)
{
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

// Asks the file system for this user (access(2) on Unix), so a directory on
// a read-only mount counts as not writable even for root.
bool isWritableDir(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

// A copy installed into a system directory: no PLIT_DATA_DIR, and this user
// may not write beside the executable.
bool isInstalledCopy()
{
    return qEnvironmentVariableIsEmpty("PLIT_DATA_DIR")
        && !isWritableDir(QCoreApplication::applicationDirPath());
}

} // namespace

namespace Deployment {

QString platformUrl()
{
    return withoutTrailingSlash(
        fromEnvironment("PLIT_PLATFORM_URL", QStringLiteral(PLIT_DEFAULT_PLATFORM_URL)));
}

QString updateUrl()
{
    return withoutTrailingSlash(
        fromEnvironment("PLIT_UPDATE_URL", QStringLiteral(PLIT_DEFAULT_UPDATE_URL)));
}

QString renderer()
{
    return fromEnvironment("PLIT_RENDERER", QStringLiteral(PLIT_DEFAULT_RENDERER)).trimmed().toLower();
}

QString chatUrl()
{
    return withoutTrailingSlash(
        fromEnvironment("PLIT_CHAT_URL", QStringLiteral(PLIT_DEFAULT_CHAT_URL)));
}

QString serviceHotline()
{
    return fromEnvironment("PLIT_SERVICE_HOTLINE", QStringLiteral(PLIT_DEFAULT_SERVICE_HOTLINE));
}

QString copyrightLine()
{
    return fromEnvironment("PLIT_COPYRIGHT", QStringLiteral(PLIT_DEFAULT_COPYRIGHT));
}

QString dataDir()
{
    const QString dir = qEnvironmentVariable("PLIT_DATA_DIR");
    if (!dir.isEmpty())
        return QDir::cleanPath(QDir(dir).absolutePath());
    return isInstalledCopy() ? userDataDir() : QCoreApplication::applicationDirPath();
}

QString dataPath(const QString &name)
{
    return dataDir() + QLatin1Char('/') + name;
}

QString userDataDir()
{
    // Below the organisation and application names that start-up sets, beside
    // the web engine's profile; "Plit" keeps the program's own files apart.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/Plit");
    // SQLite makes the database file but not its folder.
    QDir().mkpath(dir);
    return dir;
}

QString logFilePath()
{
    const QString name = QStringLiteral("log.txt");
    // Without an application object there is no application directory to ask
    // for, and asking would write a warning into the handler that called us.
    if (!QCoreApplication::instance())
        return name;
    // An installed copy keeps its log with its other files instead of in
    // whatever folder the desktop started it in (usually the home folder).
    if (isInstalledCopy() || !isWritableDir(QDir::currentPath()))
        return dataPath(name);
    return name;
}

int requestTimeoutMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("PLIT_REQUEST_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : 15000;
}

QStringList winePrefixes()
{
    QStringList named;
    named << qEnvironmentVariable("WINEPREFIX") << QDir::homePath() + QStringLiteral("/.wine");
    named << qEnvironmentVariable("PLIT_WINE_PREFIXES").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    QStringList prefixes;
    for (const QString &name : qAsConst(named)) {
        if (name.isEmpty() || !QFileInfo(name).isDir())
            continue;
        const QString path = QDir::cleanPath(QDir(name).absolutePath());
        if (!prefixes.contains(path))
            prefixes << path;
    }
    return prefixes;
}

QString windowPlatform(QString *why)
{
    QString reason;
    QString platform;
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!chosen.isEmpty()) {
        reason = QStringLiteral("QT_QPA_PLATFORM=%1, as the user chose").arg(chosen);
    } else if (wayland && x11) {
        platform = QStringLiteral("xcb");
        reason = QStringLiteral("a Wayland session with XWayland (DISPLAY=%1): X11, where windows can be brought to the front")
                     .arg(qEnvironmentVariable("DISPLAY"));
    } else if (wayland) {
        reason = QStringLiteral("a Wayland session without XWayland: Qt's own choice, windows shown anew to come to the front");
    } else {
        reason = QStringLiteral("no Wayland session: Qt's own choice");
    }
    if (why)
        *why = reason;
    return platform;
}

QByteArray startupId()
{
    return qgetenv("DESKTOP_STARTUP_ID").trimmed();
}

} // namespace Deployment
