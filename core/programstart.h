#pragma once

#include <QString>
#include <QStringList>

// Starting the programs the portal hands over to: local tax programs,
// downloaded installers, the updater.
namespace ProgramStart {

// Starts `program` detached, with `arguments`, in `workingDirectory`. A path
// that does not name an existing file starts nothing. True when it started.
bool detached(const QString &program, const QStringList &arguments, const QString &workingDirectory);

// Starts a file that was just downloaded. On Windows an installer runs as it
// is. Here a download carries no execute permission: a file that is a program
// of this platform (an ELF binary or a "#!" script) gets it for its owner and
// is started like above; any other file is handed to the desktop's default
// handler.
bool downloaded(const QString &path, const QStringList &arguments, const QString &workingDirectory);

// Starts a downloaded installer as above, with its own path as its only
// argument, in the data directory like the portal's other starts.
bool installer(const QString &path);

} // namespace ProgramStart
