#include "core/programstart.h"

#include "core/deployment.h"
#include "core/installerwatch.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace ProgramStart {

const char NeedsWine[] = "这个安装程序是Windows程序，需要先安装Wine才能在本机运行。";

namespace {

struct WineProgram
{
    QString prefix;
    QString windowsPath;
};

QHash<QString, WineProgram> &winePrograms()
{
    static QHash<QString, WineProgram> programs;
    return programs;
}

QByteArray headOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(64) : QByteArray();
}

// The Wine prefix a Windows program lies in, by its folders: the nearest one
// above it that holds "system.reg". "" when there is none.
QString prefixAbove(const QString &path)
{
    QDir dir = QFileInfo(path).absoluteDir();
    for (int depth = 0; depth < 64; ++depth) {
        if (QFileInfo(dir.filePath(QStringLiteral("system.reg"))).isFile())
            return dir.path();
        if (!dir.cdUp())
            break;
    }
    return QString();
}

QProcessEnvironment wineEnvironment(const QString &prefix)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!prefix.isEmpty())
        environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    return environment;
}

// Starts `program` as a child that is watched: when it ends, InstallerWatch
// says so for `installer`.
bool startWatched(const QString &installer, const QString &program, const QStringList &arguments,
                  const QProcessEnvironment &environment)
{
    auto *process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setWorkingDirectory(Deployment::dataDir());
    process->setProcessEnvironment(environment);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), process,
                     [process, installer](int code) {
                         qDebug().noquote() << QStringLiteral("installer %1 ended with %2").arg(installer).arg(code);
                         process->deleteLater();
                         emit InstallerWatch::instance()->ended(installer);
                     });
    process->start();
    if (!process->waitForStarted(10000)) {
        qWarning().noquote() << QStringLiteral("installer %1 did not start: %2").arg(installer, process->errorString());
        delete process;
        return false;
    }
    qDebug().noquote() << QStringLiteral("installer %1 started as %2").arg(installer, program);
    return true;
}

} // namespace

Kind kindOf(const QByteArray &head)
{
    if (head.startsWith("MZ"))
        return Kind::Windows;
    // ELF covers AppImages, which are ELF programs with a mark of their own.
    if (head.startsWith("#!") || head.startsWith("\x7f" "ELF"))
        return Kind::Native;
    if (head.startsWith("!<arch>\ndebian") || head.startsWith("\xed\xab\xee\xdb"))
        return Kind::Package;
    return Kind::Other;
}

QString wine()
{
    return QStandardPaths::findExecutable(QStringLiteral("wine"));
}

void rememberWineProgram(const QString &path, const QString &prefix, const QString &windowsPath)
{
    winePrograms().insert(QDir::cleanPath(path), {prefix, windowsPath});
}

bool detached(const QString &program, const QStringList &arguments, const QString &workingDirectory)
{
    if (program.isEmpty() || !QFileInfo(program).isFile())
        return false;
#if !defined(Q_OS_WIN)
    if (kindOf(headOf(program)) == Kind::Windows) {
        const QString wineProgram = wine();
        if (wineProgram.isEmpty()) {
            qWarning().noquote() << QStringLiteral("cannot start the Windows program %1: no wine").arg(program);
            return false;
        }
        const WineProgram known = winePrograms().value(QDir::cleanPath(program));
        QProcess process;
        process.setProgram(wineProgram);
        process.setArguments(QStringList(known.windowsPath.isEmpty() ? program : known.windowsPath) + arguments);
        process.setWorkingDirectory(workingDirectory);
        process.setProcessEnvironment(wineEnvironment(known.prefix.isEmpty() ? prefixAbove(program) : known.prefix));
        return process.startDetached();
    }
#endif
    return QProcess::startDetached(program, arguments, workingDirectory);
}

bool installer(const QString &path)
{
#if defined(Q_OS_WIN)
    return detached(path, {path}, Deployment::dataDir());
#else
    QFile file(path);
    if (!file.exists())
        return false;
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    switch (kindOf(headOf(path))) {
    case Kind::Windows: {
        const QString wineProgram = wine();
        if (wineProgram.isEmpty()) {
            const QString message = QString::fromUtf8(NeedsWine);
            qWarning().noquote() << path + QStringLiteral(": ") + message;
            emit InstallerWatch::instance()->refused(path, message);
            return false;
        }
        return startWatched(path, wineProgram, {path, path}, environment);
    }
    case Kind::Native:
        // A download carries no execute permission.
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        return startWatched(path, path, {path}, environment);
    case Kind::Package:
    case Kind::Other:
        break;
    }
    // The desktop's package installer or whatever opens such a file.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return startWatched(path, opener, {path}, environment);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

} // namespace ProgramStart
