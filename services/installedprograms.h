#pragma once

#include <QString>
#include <QVector>

// Which of the known programs are installed on this machine, and where.
// On Windows the machine-wide uninstall registry tells. Here, in this order:
// the explicit "uninstall.ini" in the data directory (UninstallSource), the
// uninstall entries of each Wine prefix (Deployment::winePrefixes(), their
// "system.reg" then "user.reg"), and the desktop entries that carry the
// subkey or the catalogue name as their Name.
class InstalledPrograms
{
public:
    struct Probe
    {
        QString subkey;     // uninstall subkey
        QString value;      // the value that leads to the program
        QString appName;    // catalogue name
        QString (*candidate)(const QString &); // the program's path from the value
    };

    struct Found
    {
        QString path;        // the program on this system; "" when not found
        QString source;      // where it was found, for the log
        QString winePrefix;  // the Wine prefix of a Windows program
        QString windowsPath; // its path as Windows sees it there
    };

    // One detection: every source read at most once, every probe answered
    // in order, and a log line for each telling where it was found.
    static QVector<Found> detect(const QVector<Probe> &probes);
};
