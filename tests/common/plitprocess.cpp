#include "plitprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

PlitProcess::PlitProcess(const QString &dataDir, const QString &executable)
    : m_dataDir(dataDir)
    , m_executable(executable.isEmpty() ? QStringLiteral(PLIT_EXECUTABLE) : executable)
    , m_env(QProcessEnvironment::systemEnvironment())
{
    const QString tmp = dataDir + QStringLiteral("/tmp");
    QDir().mkpath(tmp);
    m_env.insert(QStringLiteral("PLIT_DATA_DIR"), dataDir);
    m_env.insert(QStringLiteral("TMPDIR"), tmp);
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
    m_env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp);
    // Nothing listens on port 9 of loopback: platform and update requests fail at once.
    for (const char *name : {"PLIT_PLATFORM_URL", "PLIT_UPDATE_URL", "PLIT_CHAT_URL"}) {
        if (!m_env.contains(QLatin1String(name)))
            m_env.insert(QLatin1String(name), QStringLiteral("http://127.0.0.1:9"));
    }
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyRead, [this] {
        m_output += QString::fromLocal8Bit(m_process.readAll());
    });
}

PlitProcess::~PlitProcess()
{
    // An orderly end releases the single-instance segment; SIGKILL would leave it behind.
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            kill();
    }
}

void PlitProcess::start()
{
    m_process.setProcessEnvironment(m_env);
    m_process.setWorkingDirectory(m_dataDir);
    m_process.start(m_executable, QStringList());
    m_process.waitForStarted();
}

bool PlitProcess::waitUntilUp(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (logText().contains(QLatin1String(" main End ")))
            return true;
        if (m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(50);
    }
    return false;
}

bool PlitProcess::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

void PlitProcess::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString PlitProcess::logText() const
{
    QFile file(m_dataDir + QStringLiteral("/log.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}
