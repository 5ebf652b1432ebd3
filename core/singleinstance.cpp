#include "core/singleinstance.h"

#include "core/deployment.h"
#include "core/trace.h"

#include <QDebug>
#include <QFile>
#include <QSharedMemory>
#include <QSystemSemaphore>

#include <cstdlib>

#if defined(Q_OS_UNIX)
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>
#endif

bool isLeftByDeadInstance(const QSharedMemory &unimem)
{
#if defined(Q_OS_UNIX)
    // On Windows a segment vanishes with the last process that held it. A
    // System V segment outlives a killed process, so one whose only attachment
    // is our own belongs to nobody that still runs. Qt derives the System V key
    // from the native key file with ftok(…, 'Q').
    const key_t key = ftok(QFile::encodeName(unimem.nativeKey()).constData(), 'Q');
    if (key == -1)
        return false;
    const int id = shmget(key, 0, 0);
    if (id == -1)
        return false;
    shmid_ds info {};
    if (shmctl(id, IPC_STAT, &info) == -1)
        return false;
    return info.shm_nattch <= 1;
#else
    Q_UNUSED(unimem);
    return false;
#endif
}

QString instanceSocketPath()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral("/tmp");
#if defined(Q_OS_UNIX)
    return dir + QStringLiteral("/PlitApp-%1").arg(getuid());
#else
    return QStringLiteral("PlitApp");
#endif
}

namespace {

// Rings the first copy: it shows its main window and completes this
// launch's startup notification. Runs before the application object exists,
// so plain sockets; a copy that does not listen is not waited for. True
// when the first copy took the request.
bool askFirstCopyToShow()
{
#if defined(Q_OS_UNIX)
    const QByteArray path = QFile::encodeName(instanceSocketPath());
    sockaddr_un address {};
    if (path.size() >= int(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool taken = false;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        const QByteArray startupId = Deployment::startupId();
        const QByteArray message = (startupId.isEmpty() ? QByteArrayLiteral("show") : "show " + startupId) + '\n';
        // The first copy may hang up before reading: no SIGPIPE for that.
        taken = ::send(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL) == message.size();
        if (!taken)
            qDebug().noquote() << QStringLiteral("the running copy did not take the request to show");
    }
    ::close(fd);
    return taken;
#else
    return false;
#endif
}

// Creates the one-byte segment. A segment that already exists under the key
// but belongs to no running copy is removed first.
void createSegment(QSharedMemory &unimem)
{
    if (unimem.create(1, QSharedMemory::ReadWrite))
        return;
    if (unimem.error() == QSharedMemory::AlreadyExists && unimem.attach(QSharedMemory::ReadWrite)
        && isLeftByDeadInstance(unimem)) {
        unimem.detach();
        unimem.create(1, QSharedMemory::ReadWrite);
    }
}

} // namespace

void SingleCase(QSharedMemory &unimem, void (*completeStartup)(const QByteArray &startupId))
{
    const QString label = QStringLiteral("SingleCase");
    Trace::begin(label);

    bool running = false;
    QSystemSemaphore sema(QStringLiteral("PlitKey"), 1, QSystemSemaphore::Open);
    sema.acquire();
    if (unimem.attach(QSharedMemory::ReadWrite)) {
        running = true;
        if (isLeftByDeadInstance(unimem)) {
            // Detaching the last attachment removes the stale segment.
            unimem.detach();
            running = false;
            createSegment(unimem);
        }
    } else {
        qDebug().noquote() << QLatin1String("unimem.errorString: ") + unimem.errorString();
        createSegment(unimem);
    }
    sema.release();

    if (running) {
        // The launcher's notification ends here when the first copy cannot
        // take it over.
        if (!askFirstCopyToShow() && completeStartup)
            completeStartup(Deployment::startupId());
        qWarning().noquote() << QStringLiteral("已经有一个PlitApp在运行，即将退出");
        std::exit(0);
    }
    Trace::end(label);
}
