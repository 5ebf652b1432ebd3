#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// The built `plit` started as a real process, offscreen, with its working and
// data directory in `dataDir`. TMPDIR points into the data directory too, so
// the single-instance keys of one test never meet another test's copy.
class PlitProcess
{
public:
    explicit PlitProcess(const QString &dataDir, const QString &executable = QString())
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

    ~PlitProcess()
    {
        // An orderly end releases the single-instance segment; SIGKILL would leave it behind.
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(10000))
                kill();
        }
    }

    QProcessEnvironment &environment() { return m_env; }
    QProcess &process() { return m_process; }

    void start()
    {
        m_process.setProcessEnvironment(m_env);
        m_process.setWorkingDirectory(m_dataDir);
        m_process.start(m_executable, QStringList());
        m_process.waitForStarted();
    }

    // Waits until log.txt shows that start-up ran to its end.
    bool waitUntilUp(int timeoutMs = 20000)
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

    bool waitForExit(int timeoutMs = 20000)
    {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    }

    void kill()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString logText() const
    {
        QFile file(m_dataDir + QStringLiteral("/log.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

    QString output() const { return m_output; }

private:
    QString m_dataDir;
    QString m_executable;
    QProcessEnvironment m_env;
    QProcess m_process;
    QString m_output;
};
