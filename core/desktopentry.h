#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One desktop entry ("*.desktop"): the keys of its [Desktop Entry] group that
// the program uses. Only the head of the file is read (MaxBytes): the group
// sits at the top, and an entry of hundreds of megabytes costs no more than
// a small one. The one reader for installed-program detection and for the
// icons of programs.
struct DesktopEntry
{
    static constexpr qint64 MaxBytes = 65536;

    QStringList names; // Name and every Name[locale]
    QString exec;
    QString icon;
    bool application = true; // Type=Application, or no Type
    bool hidden = false;

    // The first MaxBytes of the file at `path`; empty when it cannot be read.
    static QByteArray head(const QString &path);
    // The entry `head` (a file's head) holds; values have their escapes
    // ("\s", "\n", "\t", "\r", "\\") undone.
    static DesktopEntry parse(const QByteArray &head);
    static DesktopEntry read(const QString &path) { return parse(head(path)); }
};
