#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// The built `plit` started as a real process, offscreen, with its working and
// data directory in `dataDir`. TMPDIR points into the data directory too, so
// the single-instance keys of one test never meet another test's copy.
class PlitProcess
{
public:
    explicit PlitProcess(const QString &dataDir, const QString &executable = QString());
    ~PlitProcess();

    QProcessEnvironment &environment() { return m_env; }
    QProcess &process() { return m_process; }

    void start();
    // Waits until log.txt shows that start-up ran to its end.
    bool waitUntilUp(int timeoutMs = 20000);
    bool waitForExit(int timeoutMs = 20000);
    void kill();

    QString logText() const;
    QString output() const { return m_output; }

private:
    QString m_dataDir;
    QString m_executable;
    QProcessEnvironment m_env;
    QProcess m_process;
    QString m_output;
};
