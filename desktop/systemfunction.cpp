#include "desktop/systemfunction.h"

#include "core/deployment.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStorageInfo>
#include <QUrl>

namespace {

QString platformDirectoryDialog(const QString &title, const QString &startDirectory)
{
    return QFileDialog::getExistingDirectory(nullptr, title, startDirectory, QFileDialog::ShowDirsOnly);
}

} // namespace

SystemFunction::SystemFunction(QObject *parent)
    : QObject(parent)
    , m_directoryDialog(platformDirectoryDialog)
{
}

void SystemFunction::setDirectoryDialog(DirectoryDialog dialog)
{
    m_directoryDialog = dialog ? std::move(dialog) : DirectoryDialog(platformDirectoryDialog);
}

QString SystemFunction::getDirectoryFromDialog()
{
    return QDir::fromNativeSeparators(m_directoryDialog(QStringLiteral("选择目录"), QStringLiteral("./")));
}

void SystemFunction::openDirectory(const QString &_path)
{
    // An absolute path of this platform, "D:/downloads" or "/home/staff/downloads".
    QDesktopServices::openUrl(QUrl::fromLocalFile(_path));
}

quint64 SystemFunction::getDiskSize(const QString &_disk)
{
    // Any existing path names its volume; a missing one has no volume at all
    // (QStorageInfo would otherwise fall back to the current directory's).
    if (_disk.isEmpty() || !QFileInfo::exists(_disk))
        return 0;
    const QStorageInfo volume(_disk);
    if (!volume.isValid() || !volume.isReady() || volume.bytesFree() < 0)
        return 0;
    // All free bytes of the volume, not only the caller's quota, in whole GiB.
    return quint64(volume.bytesFree()) >> 30;
}

QString SystemFunction::getExePath()
{
    // The default download directory: where the program keeps its files. For
    // a portable copy that is the application directory; an installed copy's
    // application directory (/usr/bin) is neither writable nor a place for
    // downloads, so it is the user's data folder there (or PLIT_DATA_DIR).
    return Deployment::dataDir();
}
