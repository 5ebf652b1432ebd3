#include "core/deployment.h"

#include <QCoreApplication>
#include <QDir>

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

QString chatUrl()
{
    return withoutTrailingSlash(
        fromEnvironment("PLIT_CHAT_URL", QStringLiteral(PLIT_DEFAULT_CHAT_URL)));
}

QString dataDir()
{
    const QString dir = qEnvironmentVariable("PLIT_DATA_DIR");
    if (dir.isEmpty())
        return QCoreApplication::applicationDirPath();
    return QDir::cleanPath(QDir(dir).absolutePath());
}

QString dataPath(const QString &name)
{
    return dataDir() + QLatin1Char('/') + name;
}

int requestTimeoutMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("PLIT_REQUEST_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : 30000;
}

} // namespace Deployment
