#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The programs of this system that its desktop knows by name: the desktop
// entries ("*.desktop") in the applications folders of the XDG data
// directories ($XDG_DATA_HOME first, then each of $XDG_DATA_DIRS; an entry
// of the same id in an earlier folder hides the later ones).
class DesktopEntries
{
public:
    struct Program
    {
        QString path; // the program the entry starts
        QString icon; // the entry's Icon= (a theme name or a file)
        QString file; // the entry itself
    };

    // For each of `names`, the first entry whose Name (in any locale) is that
    // name and whose program is found. Every folder is read once; only the
    // head of each entry is read, and at most MaxEntries entries.
    static QHash<QString, Program> find(const QStringList &names);

    // The program an Exec line starts: its first word, quoting and field
    // codes undone, as a path or found on PATH; "" when there is none.
    static QString execProgram(const QString &exec);

    static constexpr int MaxEntries = 50000;
};
