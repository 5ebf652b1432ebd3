#include "services/uninstallsource.h"

#include "core/deployment.h"

#include <QFile>
#include <QSettings>

QString UninstallSource::value(const QString &subkey, const QString &name)
{
#if defined(Q_OS_WIN)
    QSettings registry(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\")
            + subkey,
        QSettings::NativeFormat);
    return registry.value(name).toString();
#else
    const QString path = Deployment::dataPath(QStringLiteral("uninstall.ini"));
    if (!QFile::exists(path))
        return QString();
    QSettings entries(path, QSettings::IniFormat);
    entries.setIniCodec("UTF-8");
    entries.beginGroup(subkey);
    return entries.value(name).toString();
#endif
}
