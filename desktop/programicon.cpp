#include "desktop/programicon.h"

#include "core/desktopentry.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramIcon {

namespace {

// The program an Exec line starts: its first word, quotes removed.
QString execProgram(const QString &exec)
{
    if (exec.startsWith(QLatin1Char('"'))) {
        const int close = exec.indexOf(QLatin1Char('"'), 1);
        return close < 0 ? QString() : exec.mid(1, close - 1);
    }
    return exec.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
}

// Whether `word` of an Exec line names the file at `canonical`: as a path,
// or as a name found on the search path.
bool names(const QString &word, const QString &canonical)
{
    if (word.isEmpty())
        return false;
    const QString path = QFileInfo(word).isAbsolute() ? word : QStandardPaths::findExecutable(word);
    return !path.isEmpty() && QFileInfo(path).canonicalFilePath() == canonical;
}

// Theme icons are looked up where the desktop installs them, in the
// desktop's theme or else in "hicolor", where every program installs its
// own; also on platform integrations that name neither.
void useXdgIconTheme()
{
    static const QStringList platformPaths = QIcon::themeSearchPaths();
    QStringList paths = platformPaths;
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons))
            paths.append(icons);
    }
    if (paths != QIcon::themeSearchPaths())
        QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("hicolor"));
}

bool hasPixels(const QIcon &icon)
{
    return !icon.isNull() && !icon.pixmap(QSize(32, 32)).isNull();
}

QIcon iconNamed(const QString &name)
{
    if (name.isEmpty())
        return QIcon();
    if (QFileInfo(name).isAbsolute())
        return QFileInfo::exists(name) ? QIcon(name) : QIcon();
    return QIcon::fromTheme(name);
}

QString entryIconName(const QString &program)
{
    const QString canonical = QFileInfo(program).canonicalFilePath();
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const DesktopEntry entry = DesktopEntry::read(it.next());
            if (!entry.icon.isEmpty() && names(execProgram(entry.exec), canonical))
                return entry.icon;
        }
    }
    return QString();
}

} // namespace

bool isProgram(const QByteArray &head)
{
    return head.startsWith("#!") || head.startsWith("\x7f" "ELF");
}

QIcon find(const QString &program)
{
    useXdgIconTheme();
    QIcon icon = iconNamed(entryIconName(program));
    if (!hasPixels(icon))
        icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (!hasPixels(icon))
        icon = QIcon(QStringLiteral(":/images/app.png"));
    return icon;
}

} // namespace ProgramIcon
