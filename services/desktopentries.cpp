#include "services/desktopentries.h"

#include "core/desktopentry.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace {

// The entry at `path`, when its head mentions one of `names` at all (most
// entries do not, and are not parsed).
DesktopEntry readEntry(const QString &path, const QVector<QByteArray> &names)
{
    const QByteArray head = DesktopEntry::head(path);
    if (std::none_of(names.cbegin(), names.cend(), [&](const QByteArray &name) { return head.contains(name); }))
        return DesktopEntry();
    return DesktopEntry::parse(head);
}

} // namespace

QString DesktopEntries::execProgram(const QString &exec)
{
    QString word;
    int i = 0;
    while (i < exec.size() && exec.at(i).isSpace())
        ++i;
    if (i < exec.size() && exec.at(i) == QLatin1Char('"')) {
        // Quoted: a backslash keeps the character after it.
        for (++i; i < exec.size() && exec.at(i) != QLatin1Char('"'); ++i) {
            if (exec.at(i) == QLatin1Char('\\') && i + 1 < exec.size())
                ++i;
            word.append(exec.at(i));
        }
    } else {
        while (i < exec.size() && !exec.at(i).isSpace())
            word.append(exec.at(i++));
    }
    // Field codes ("%f", "%U", …) stand for arguments; "%%" is a percent sign.
    QString program;
    for (int j = 0; j < word.size(); ++j) {
        if (word.at(j) != QLatin1Char('%')) {
            program.append(word.at(j));
        } else if (j + 1 < word.size()) {
            if (word.at(++j) == QLatin1Char('%'))
                program.append(QLatin1Char('%'));
        }
    }
    if (program.isEmpty())
        return QString();
    if (QFileInfo(program).isAbsolute()) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? QDir::cleanPath(program) : QString();
    }
    // A relative path is no program name.
    if (program.contains(QLatin1Char('/')))
        return QString();
    return QStandardPaths::findExecutable(program);
}

QHash<QString, DesktopEntries::Program> DesktopEntries::find(const QStringList &names)
{
    QHash<QString, Program> found;
    const QSet<QString> wanted(names.cbegin(), names.cend());
    QVector<QByteArray> wantedBytes;
    for (const QString &name : wanted)
        wantedBytes << name.toUtf8();
    QSet<QString> seenIds;
    int read = 0;
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext() && found.size() < wanted.size()) {
            const QString path = it.next();
            // The desktop-file id: the path below the folder, "/" as "-".
            const QString id = path.mid(dir.size() + 1).replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            if (++read > MaxEntries) {
                qWarning().noquote() << QStringLiteral("desktop entries: more than %1, the rest not read").arg(MaxEntries);
                return found;
            }
            const DesktopEntry entry = readEntry(path, wantedBytes);
            if (!entry.application || entry.hidden)
                continue;
            QStringList matching;
            for (const QString &name : entry.names) {
                if (wanted.contains(name) && !found.contains(name) && !matching.contains(name))
                    matching << name;
            }
            if (matching.isEmpty())
                continue;
            const QString program = execProgram(entry.exec);
            if (program.isEmpty())
                continue;
            for (const QString &name : qAsConst(matching))
                found.insert(name, {program, entry.icon, path});
        }
    }
    return found;
}
