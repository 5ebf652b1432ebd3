#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The uninstall entries of the Windows programs installed in a Wine prefix,
// read from the prefix's registry files ("system.reg" for the machine,
// "user.reg" for the user) in Wine's text format:
//
//   [Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\\x5f00\x7968] 1700000000
//   "DisplayIcon"="C:\\Program Files\\App\\app.exe"
//   "UninstallDataFile"=str(2):"D:\\Inv\\unins000.dat"
//   "Other"=hex(2):43,00,3a,00,5c,00,00,00
//
// Backslashes and quotes are escaped, characters beyond ASCII are "\x" and up
// to four hex digits of a UTF-16 unit (or plain UTF-8). A file of any size or
// content is read in one pass over its mapped bytes and never trusted: only
// the key headers are looked at, except inside the wanted keys.
class WineRegistry
{
public:
    // Value name (case-folded) -> text, per wanted subkey (case-folded).
    using Entries = QHash<QString, QHash<QString, QString>>;

    // The text values named in `values` of the uninstall subkeys named in
    // `subkeys` (both compared without case, as Windows does), from the
    // 64-bit and the 32-bit ("Wow6432Node") uninstall keys of `file`. A
    // missing, unreadable or malformed file gives what could be read.
    static Entries uninstallEntries(const QString &file, const QStringList &subkeys,
                                    const QStringList &values);

    // A Windows path ("C:\Program Files\x.exe") as the path of this system in
    // `prefix`: the drive through the prefix's "dosdevices/" links ("c:" falls
    // back to "drive_c/"). "" for anything that is not a drive path.
    static QString unixPath(const QString &prefix, const QString &windowsPath);

    // A registry string between its quotes, escapes undone.
    static QString decode(const char *begin, const char *end);
};
