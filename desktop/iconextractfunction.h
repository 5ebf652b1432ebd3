#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

// Lets the user pick a program for a launcher tile and saves its icon as a
// PNG in the temp directory, named after the program.
class IconExtractFunction : public QObject
{
    Q_OBJECT

public:
    explicit IconExtractFunction(QObject *parent = nullptr);

    // Shows the open-file dialog and extracts from the chosen file: an
    // IconModel with the saved icon and the chosen file, or 0.
    Q_INVOKABLE QVariant Extract();

    // The address QML shows a saved icon by: a local-file URL for a path of
    // this platform ("/…") as for one with a drive ("C:/…"), with the
    // characters a URL reserves escaped.
    Q_INVOKABLE QString fileUrl(const QString &path) const;

    // What Extract does with the chosen file: saves its first icon that
    // converts and saves (creating the temp directory when it is missing) and
    // answers the IconModel, or 0.
    QVariant extractFrom(const QString &fileName);

    // Offers the icons of a file to `take`, in order, one at a time, until it
    // accepts one; answers how many were offered. A Windows executable's or
    // DLL's icon resources, the desktop's icon of a program of this platform
    // (ProgramIcon), or the picture of an image file. At most MaxGroupsTried
    // icon groups of an executable are offered, and none after MaxMsPerProgram.
    static int offerIcons(const QString &fileName, const std::function<bool(const QImage &)> &take);
    // Where the icon of `fileName` is saved: temp/ of the data directory and
    // the file's name up to its first ".", with ".png".
    static QString iconPath(const QString &fileName);
};
