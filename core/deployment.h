#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The deployment settings of this installation, read in this one place.
// Each comes from an environment variable and falls back to the value the
// program was built with.
namespace Deployment {

// Platform service base address, "http://host:port" without a trailing slash
// (PLIT_PLATFORM_URL).
QString platformUrl();
// Update server base address (PLIT_UPDATE_URL); serves "/updatefile.json".
QString updateUrl();
// Assistant chat service base address (PLIT_CHAT_URL).
QString chatUrl();
// The service hotline and the copyright line that the about window shows
// (PLIT_SERVICE_HOTLINE, PLIT_COPYRIGHT).
QString serviceHotline();
QString copyrightLine();
// Where the program keeps its database, settings file, caches and temp/:
// PLIT_DATA_DIR when set; else the application directory as long as this
// user may write to it (a build directory or an unpacked copy); else, for a
// copy installed into a system directory, userDataDir().
QString dataDir();
// dataDir() + "/" + name.
QString dataPath(const QString &name);
// This user's own data folder: "Plit" in the application data location, on
// Linux ~/.local/share/plit/plit/Plit. Made when missing.
QString userDataDir();
// "log.txt" in the working directory; in dataDir() for an installed copy or
// when the working directory is not writable. Writes no message: the log
// handler calls it.
QString logFilePath();
// Time limit of one platform or update request, and how long a download
// may receive nothing, in milliseconds (PLIT_REQUEST_TIMEOUT_MS, 15 s by
// default).
int requestTimeoutMs();
// What draws the interface (PLIT_RENDERER): "software" for Qt Quick's own
// software renderer, "opengl" for OpenGL, or "auto" (and anything else):
// the software renderer where OpenGL itself runs on the processor.
QString renderer();
// The Wine prefixes whose Windows programs count as installed here, each
// once, in this order: WINEPREFIX, ~/.wine, then the colon-separated list
// PLIT_WINE_PREFIXES. Only folders that exist; absolute, clean paths.
QStringList winePrefixes();
// The windowing platform the interface asks Qt for, "" for Qt's own choice,
// and in `why` the reason, for the log. A platform the user chose
// (QT_QPA_PLATFORM) is kept. A Wayland session (WAYLAND_DISPLAY set, or
// XDG_SESSION_TYPE=wayland) that also has an X display (DISPLAY: XWayland)
// gets "xcb": Qt 5.15 can neither bring a window to the front nor place it
// under Wayland.
QString windowPlatform(QString *why = nullptr);
// The launcher's startup-notification id of this start (DESKTOP_STARTUP_ID),
// empty when there is none.
QByteArray startupId();

} // namespace Deployment
