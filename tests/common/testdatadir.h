#pragma once

#include <QString>
#include <QTemporaryDir>

// A data directory of the test's own: PLIT_DATA_DIR points at it while the
// object lives, and it is removed afterwards.
class TestDataDir
{
public:
    TestDataDir();
    ~TestDataDir();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Writes `content` to the file `name` in the directory, creating folders.
    bool write(const QString &name, const QByteArray &content) const;
    // Writes a program (a "#!" script) that its owner may run; its path.
    QString writeProgram(const QString &name, const QByteArray &script) const;
    // Makes the directory the working directory (where log.txt goes) until
    // the object goes.
    void makeCurrent();
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
    QString m_previousCurrent;
};

// Closes and removes the process's default database connection, so that the
// next DatebaseFunction::createSqlite() opens a fresh file.
void resetDefaultDatabase();
