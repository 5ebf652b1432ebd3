#include "services/installedprograms.h"

#include "core/deployment.h"
#include "services/uninstallsource.h"

#if !defined(Q_OS_WIN)
#include "services/desktopentries.h"
#include "services/wineregistry.h"
#endif

#include <QDebug>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace {

bool isProgramFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

#if !defined(Q_OS_WIN)
// An uninstall entry's path as Windows programs write it, without the
// quotes around it and the icon number after it ("\"C:\a.exe\",0").
QString withoutIconIndex(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('"'))) {
        const int close = text.indexOf(QLatin1Char('"'), 1);
        return close < 0 ? text.mid(1) : text.mid(1, close - 1);
    }
    static const QRegularExpression index(QStringLiteral(",\\s*-?\\d+$"));
    return text.remove(index);
}
#endif

} // namespace

QVector<InstalledPrograms::Found> InstalledPrograms::detect(const QVector<Probe> &probes)
{
    QVector<Found> found(probes.size());
#if defined(Q_OS_WIN)
    for (int i = 0; i < probes.size(); ++i) {
        const QString path = probes[i].candidate(UninstallSource::value(probes[i].subkey, probes[i].value));
        if (isProgramFile(path))
            found[i] = {path, QStringLiteral("the uninstall registry"), QString(), QString()};
    }
#else
    int missing = probes.size();

    // The explicit entries first.
    const QString ini = Deployment::dataPath(QStringLiteral("uninstall.ini"));
    if (QFileInfo(ini).isFile()) {
        QSettings entries(ini, QSettings::IniFormat);
        entries.setIniCodec("UTF-8");
        for (int i = 0; i < probes.size(); ++i) {
            const QString path = probes[i].candidate(
                entries.value(probes[i].subkey + QLatin1Char('/') + probes[i].value).toString());
            if (isProgramFile(path)) {
                found[i] = {path, ini, QString(), QString()};
                --missing;
            }
        }
    }

    QStringList subkeys;
    QStringList values;
    for (const Probe &probe : probes) {
        subkeys << probe.subkey;
        values << probe.value;
    }
    const QStringList prefixes = missing > 0 ? Deployment::winePrefixes() : QStringList();
    for (const QString &prefix : prefixes) {
        for (const QString &name : {QStringLiteral("system.reg"), QStringLiteral("user.reg")}) {
            if (missing == 0)
                break;
            const QString file = prefix + QLatin1Char('/') + name;
            const WineRegistry::Entries entries = WineRegistry::uninstallEntries(file, subkeys, values);
            for (int i = 0; i < probes.size() && !entries.isEmpty(); ++i) {
                if (!found[i].path.isEmpty())
                    continue;
                const QString value = entries.value(probes[i].subkey.toCaseFolded())
                                          .value(probes[i].value.toCaseFolded());
                if (value.isEmpty())
                    continue;
                const QString windowsPath = probes[i].candidate(withoutIconIndex(value));
                const QString path = WineRegistry::unixPath(prefix, windowsPath);
                if (isProgramFile(path)) {
                    found[i] = {path, file, prefix, windowsPath};
                    --missing;
                }
            }
        }
    }

    if (missing > 0) {
        QStringList names;
        for (const Probe &probe : probes)
            names << probe.subkey << probe.appName;
        const QHash<QString, DesktopEntries::Program> programs = DesktopEntries::find(names);
        for (int i = 0; i < probes.size(); ++i) {
            if (!found[i].path.isEmpty())
                continue;
            DesktopEntries::Program program = programs.value(probes[i].subkey);
            if (program.path.isEmpty())
                program = programs.value(probes[i].appName);
            if (!program.path.isEmpty())
                found[i] = {program.path, program.file, QString(), QString()};
        }
    }
#endif
    for (int i = 0; i < probes.size(); ++i) {
        if (found[i].path.isEmpty())
            qDebug().noquote() << QStringLiteral("installed programs: %1 not found").arg(probes[i].appName);
        else
            qDebug().noquote() << QStringLiteral("installed programs: %1 is %2, found in %3")
                                      .arg(probes[i].appName, found[i].path, found[i].source);
    }
    return found;
}
