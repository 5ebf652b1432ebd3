#pragma once

#include <QString>

// What the program is called: by the desktop (the window class, the tray
// item's Id and Title, the taskbar) and in the folders Qt keeps its files in
// (the interface's settings file, the web engine's profile, the caches).
// Versions up to 2.0.0.2 went by "QtProject" / "Gallery"; their folders move
// once to the present names.
namespace ProgramNames {

// "plit": the window class, the tray item's Id, the folder names.
QString applicationName();
// "Plit云台": what a person reads (tray title, taskbar, window titles).
QString displayName();

// Sets the names on the application, before its object exists.
void apply();

// Moves what an earlier version kept under "QtProject/Gallery" to the
// present names: the settings file, the data folder (web profile, the
// installed copy's database and System.ini) and the cache folder. A place
// that already exists under the new name is never written over; the old one
// then stays as it is. Returns how many were moved. Runs before anything
// opens them, after apply().
int moveFormerFiles();

} // namespace ProgramNames
