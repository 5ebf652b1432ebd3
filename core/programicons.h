#pragma once

#include <QString>

// The icons detection found in the programs themselves (a Windows program's
// .exe read in its Wine prefix), by program path, for as long as the process
// runs. A tile shows its program's own icon when there is one here, its
// catalogue icon otherwise; nothing of this is stored.
class ProgramIcons
{
public:
    // `iconFile` is a picture saved on disk for the program at `programPath`.
    static void remember(const QString &programPath, const QString &iconFile);
    static void forget(const QString &programPath);
    // The address a tile shows the program's own icon by (a file: URL), or ""
    // when it has none.
    static QString addressOf(const QString &programPath);
};
