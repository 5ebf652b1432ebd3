#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <functional>

// Lets the user pick a program for a launcher tile and saves its icon as a
// PNG in the temp directory, named after the program.
class IconExtractFunction : public QObject
{
    Q_OBJECT

public:
    // Shows a modal open-file dialog with the given title and filter list and
    // answers the chosen file, or an empty string.
    using FileDialog = std::function<QString(const QString &title, const QString &filter)>;

    explicit IconExtractFunction(QObject *parent = nullptr);

    // Replaces the platform's open-file dialog, for tests.
    void setFileDialog(FileDialog dialog);

    // An IconModel with the saved icon and the chosen file, or 0.
    Q_INVOKABLE QVariant Extract();

    // The icons a file holds, in order: those of a Windows executable's or
    // DLL's icon resources, else the picture of an image file, else none.
    static QList<QPixmap> iconsOf(const QString &fileName);
    // Where the icon of `fileName` is saved: temp/ of the data directory and
    // the file's name up to its first ".", with ".png".
    static QString iconPath(const QString &fileName);

private:
    FileDialog m_fileDialog;
};
