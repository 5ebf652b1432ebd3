#pragma once

#include <QByteArray>
#include <QIcon>
#include <QString>

// The icon of a program of this platform. An ELF binary or a "#!" script
// carries no icon of its own; the desktop shows it under the icon of the
// desktop entry that starts it.
namespace ProgramIcon {

// Whether a file that begins with `head` (its first bytes) is such a program.
bool isProgram(const QByteArray &head);

// The icon the desktop shows for `program`: the Icon= of the desktop entry
// (applications/*.desktop in the XDG data directories) whose Exec names it,
// else the icon theme's generic program icon, else the portal's own
// application icon, so that every program can be given a tile.
QIcon find(const QString &program);

} // namespace ProgramIcon
