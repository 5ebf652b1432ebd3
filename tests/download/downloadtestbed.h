#pragma once

#include "standinserver.h"
#include "testdatadir.h"

#include <QByteArray>
#include <QList>
#include <QScopedPointer>
#include <QString>
#include <QStringList>

// What every download test stands on: one stand-in server for the whole test
// program and, for each test, a data directory of its own, a server without
// scripts or record, and a recording "xdg-open" first on PATH, so that a
// finished download hands its file to something that only notes it.
class DownloadTestBed
{
public:
    DownloadTestBed() : m_path(qgetenv("PATH")) {}
    ~DownloadTestBed() { end(); }

    // From init(): a fresh data directory, a server without scripts or record.
    bool begin();
    // From cleanup(): the data directory goes, PATH and the time limit are
    // restored.
    void end();

    // The time limit of requests and of a silent transfer for this test.
    void setTimeLimit(int ms) const { qputenv("PLIT_REQUEST_TIMEOUT_MS", QByteArray::number(ms)); }

    const StandInServer &server() const { return m_server; }
    const TestDataDir &dir() const { return *m_dir; }
    QString filePath(const QString &name) const { return m_dir->filePath(name); }
    QString urlOf(const QString &path) const { return m_server.baseUrl() + path; }

    // The values of `header` (lower case) of the `method` requests made for
    // `path`, in arrival order; an empty text where a request had none.
    QStringList headersAsked(const QString &path, const QString &header = QStringLiteral("range"),
                             const QString &method = QStringLiteral("GET")) const;

    // A program run by a test notes where it ran and what it was given.
    struct Start { QString directory, arguments; };
    // A shell script that notes its start under `name` in the data directory.
    QByteArray recorder(const QString &name) const;
    // What the recorder noted under `name`; empty before it ran.
    Start started(const QString &name) const;
    // What the stand-in desktop handler was handed.
    Start openedByDesktop() const { return started(QStringLiteral("opened")); }

    struct Segment { qint64 start, end, ready; };
    // A resume file beside `target` as a stopped download leaves it.
    static void writeResumeFile(const QString &target, const QString &url, qint64 total,
                                const QList<Segment> &segments);

    static QByteArray readFile(const QString &path);

private:
    StandInServer m_server;
    QScopedPointer<TestDataDir> m_dir;
    QByteArray m_path;
};
