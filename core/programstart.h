#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Starting the programs the portal hands over to: local tax programs,
// downloaded installers, the updater.
namespace ProgramStart {

// What the user reads when a Windows installer is to run on a system
// without Wine.
extern const char NeedsWine[];

// Starts `program` detached, with `arguments`, in `workingDirectory`. A path
// that does not name an existing file starts nothing. Outside Windows a
// Windows program (a file beginning with "MZ") starts through `wine` with
// the Wine prefix it was found in. True when it started.
bool detached(const QString &program, const QStringList &arguments, const QString &workingDirectory);

// Notes that the Windows program at `path` belongs to the Wine prefix
// `prefix`, where Windows knows it as `windowsPath`.
void rememberWineProgram(const QString &path, const QString &prefix, const QString &windowsPath);

// `wine` on the search path, or "".
QString wine();

// What a file is by its first bytes, not by its name.
enum class Kind { Windows, Native, Package, Other };
Kind kindOf(const QByteArray &head);

// Starts a downloaded installer, with its own path as its only argument, in
// the data directory like the portal's other starts. On Windows it runs as
// it is. Here by its content: a Windows installer through `wine` (without
// Wine, InstallerWatch reports it refused with NeedsWine and nothing
// starts); a program of this system (ELF, AppImage, "#!" script) gets its
// execute permission and runs; a Debian or RPM package and anything else
// goes to the desktop's opener. When what was started ends, InstallerWatch
// reports it. True when something started.
bool installer(const QString &path);

} // namespace ProgramStart
