#pragma once

#include "database/datebasefunction.h"

#include <QFileDevice>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <QVariantMap>

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

// What a file only its owner reads and writes (0600) shows.
constexpr QFileDevice::Permissions kOwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;

// Closes and removes the process's default database connection, so that the
// next DatebaseFunction::createSqlite() opens a fresh file.
void resetDefaultDatabase();

// A database as a first start leaves it, in a data directory of its own:
// corvane.db with the seed rows and the table of stored users.
class FreshDatabase
{
public:
    FreshDatabase();
    ~FreshDatabase();

    DatebaseFunction &db() { return m_db; }
    TestDataDir &dir() { return m_dir; }
    bool exec(const QString &sql) { return m_db.connection().execSql(sql); }

private:
    TestDataDir m_dir;
    DatebaseFunction m_db;
};

// A database file as another program sees it: each call opens a connection
// of its own, runs one statement and closes again, beside whatever
// connection the code under test holds.
bool execOnDatabaseFile(const QString &path, const QString &sql);
// The rows of `sql`, each a map from field name to value; empty on failure.
QList<QVariantMap> queryDatabaseFile(const QString &path, const QString &sql, bool *ok = nullptr);
// The value of a one-column statement's first row, as text.
QString valueInDatabaseFile(const QString &path, const QString &sql);

// Lists of element objects the backend hands over (ConfigModel, UserInfo,
// UserTaxInfo, PosterModel, ...): the caller owns the elements, as the QML
// engine does, and these helpers release them.
// The value of `property` of each element, in order, as text.
QStringList takeValues(const QVariantList &elements, const char *property);
// The "name" of each element (ConfigModel lists).
inline QStringList takeNames(const QVariantList &elements)
{
    return takeValues(elements, "name");
}
int takeCount(const QVariantList &elements);
