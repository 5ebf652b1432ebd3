#include "core/programstart.h"

#include "core/deployment.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace ProgramStart {

bool detached(const QString &program, const QStringList &arguments, const QString &workingDirectory)
{
    if (program.isEmpty() || !QFileInfo(program).isFile())
        return false;
    return QProcess::startDetached(program, arguments, workingDirectory);
}

bool downloaded(const QString &path, const QStringList &arguments, const QString &workingDirectory)
{
#if defined(Q_OS_WIN)
    return detached(path, arguments, workingDirectory);
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    file.close();
    if (head.startsWith("#!") || head == QByteArray("\x7f" "ELF", 4)) {
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        return detached(path, arguments, workingDirectory);
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path))
        || QProcess::startDetached(QStringLiteral("xdg-open"), {path});
#endif
}

bool installer(const QString &path)
{
    return downloaded(path, {path}, Deployment::dataDir());
}

} // namespace ProgramStart
