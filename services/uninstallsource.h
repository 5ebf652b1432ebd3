#pragma once

#include <QString>

// Where the machine records installed programs: one entry per subkey name,
// each with named text values ("DisplayIcon", "UninstallDataFile").
// On Windows this is the machine-wide uninstall registry. Elsewhere it is
// the INI file "uninstall.ini" in the data directory, one group per subkey (a
// missing file means nothing is recorded); detection there reads that file
// and the other sources of this system itself (InstalledPrograms).
class UninstallSource
{
public:
    // The value as text, "" when the entry or the value is absent.
    static QString value(const QString &subkey, const QString &name);
};
