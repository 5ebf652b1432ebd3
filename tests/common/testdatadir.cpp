#include "testdatadir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

TestDataDir::TestDataDir()
    : m_previous(qgetenv("PLIT_DATA_DIR"))
    , m_hadPrevious(qEnvironmentVariableIsSet("PLIT_DATA_DIR"))
{
    qputenv("PLIT_DATA_DIR", m_dir.path().toLocal8Bit());
}

TestDataDir::~TestDataDir()
{
    if (!m_previousCurrent.isEmpty())
        QDir::setCurrent(m_previousCurrent);
    if (m_hadPrevious)
        qputenv("PLIT_DATA_DIR", m_previous);
    else
        qunsetenv("PLIT_DATA_DIR");
}

bool TestDataDir::write(const QString &name, const QByteArray &content) const
{
    const QString path = filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QString TestDataDir::writeProgram(const QString &name, const QByteArray &script) const
{
    if (!write(name, script))
        return QString();
    const QString path = filePath(name);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

void TestDataDir::makeCurrent()
{
    if (m_previousCurrent.isEmpty())
        m_previousCurrent = QDir::currentPath();
    QDir::setCurrent(path());
}

QByteArray TestDataDir::read(const QString &name) const
{
    QFile file(filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void resetDefaultDatabase()
{
    const QString name = QLatin1String(QSqlDatabase::defaultConnection);
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

FreshDatabase::FreshDatabase()
{
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0.2"));
    m_db.createSqlite();
    m_db.createUserInfoTable();
}

FreshDatabase::~FreshDatabase()
{
    m_db.connection().db.close();
    m_db.connection().db = QSqlDatabase();
    resetDefaultDatabase();
}

QList<QVariantMap> queryDatabaseFile(const QString &path, const QString &sql, bool *ok)
{
    const QString connection = QStringLiteral("databasefile");
    QList<QVariantMap> rows;
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            done = query.exec(sql);
            while (done && query.next()) {
                QVariantMap row;
                for (int i = 0; i < query.record().count(); ++i)
                    row.insert(query.record().fieldName(i), query.value(i));
                rows.append(row);
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (ok)
        *ok = done;
    return rows;
}

bool execOnDatabaseFile(const QString &path, const QString &sql)
{
    bool ok;
    queryDatabaseFile(path, sql, &ok);
    return ok;
}

QString valueInDatabaseFile(const QString &path, const QString &sql)
{
    const QList<QVariantMap> rows = queryDatabaseFile(path, sql);
    return rows.isEmpty() || rows.first().isEmpty() ? QString() : rows.first().cbegin().value().toString();
}

QStringList takeValues(const QVariantList &elements, const char *property)
{
    QStringList values;
    for (const QVariant &element : elements) {
        QObject *object = element.value<QObject *>();
        values << (object ? object->property(property).toString() : QStringLiteral("<not an element>"));
        delete object;
    }
    return values;
}

int takeCount(const QVariantList &elements)
{
    for (const QVariant &element : elements)
        delete element.value<QObject *>();
    return elements.size();
}
