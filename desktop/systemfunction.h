#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Desktop helpers of the download settings page: choose and open the
// download directory, the free space of its volume, the directory where the
// program keeps its files (the default download directory).
class SystemFunction : public QObject
{
    Q_OBJECT

public:
    // Shows a modal directory chooser with the given title and start
    // directory and answers the chosen path, or an empty string.
    using DirectoryDialog = std::function<QString(const QString &title, const QString &startDirectory)>;

    explicit SystemFunction(QObject *parent = nullptr);

    // Replaces the platform's directory chooser, for tests.
    void setDirectoryDialog(DirectoryDialog dialog);

    Q_INVOKABLE QString getDirectoryFromDialog();
    Q_INVOKABLE void openDirectory(const QString &_path);
    Q_INVOKABLE quint64 getDiskSize(const QString &_disk);
    Q_INVOKABLE QString getExePath();

private:
    DirectoryDialog m_directoryDialog;
};
