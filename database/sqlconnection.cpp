#include "database/sqlconnection.h"

#include "core/deployment.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

namespace {

QSqlQuery newQuery(const QSqlDatabase &db)
{
    // A handle that was never set up runs on the process's default connection.
    return db.isValid() ? QSqlQuery(db) : QSqlQuery(QSqlDatabase::database());
}

bool run(QSqlQuery &query)
{
    if (query.exec())
        return true;
    qDebug().noquote() << query.lastError().text();
    return false;
}

bool prepare(QSqlQuery &query, const QString &sql)
{
    if (query.prepare(sql))
        return true;
    qDebug().noquote() << query.lastError().text();
    return false;
}

QString seedRowStatement(const QString &name, const QString &icon)
{
    return QStringLiteral("insert into config values ('%1', NULL, '%2', NULL,NULL,NULL)")
        .arg(name, icon);
}

} // namespace

QString SqlConnection::chatRowStatement()
{
    return QStringLiteral("insert into config values ('智能客服', '")
        + Deployment::chatUrl()
        + QStringLiteral("/27', 'qrc:/images/appIcon/app07.png', NULL,1,NULL)");
}

void SqlConnection::connectDatabase(const QString &path)
{
    if (!useSqlite)
        return;
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                   QLatin1String(QSqlDatabase::defaultConnection));
    db.setDatabaseName(path);
    openDatabase();
}

bool SqlConnection::openDatabase()
{
    if (db.isOpen())
        return false;
    if (!db.open()) {
        qDebug().noquote() << QStringLiteral("Error: Failed to connect database.")
                           << db.lastError().text();
        return false;
    }
    if (isTableExist(QStringLiteral("config")))
        return false;
    createTables();
    return true;
}

void SqlConnection::createTables()
{
    const QStringList statements = {
        QStringLiteral("CREATE TABLE \"config\" ( \"name\" TEXT, \"path\" TEXT, \"icon\" TEXT, "
                       "\"orderNumber\" integer, \"type\" TEXT, \"state\" TEXT )"),
        QStringLiteral("CREATE TABLE \"version\" ( \"version\" TEXT )"),
        seedRowStatement(QStringLiteral("开票软件"), QStringLiteral("qrc:/images/appIcon/app01.png")),
        seedRowStatement(QStringLiteral("我要开票"), QStringLiteral("qrc:/images/appIcon/app02.png")),
        seedRowStatement(QStringLiteral("Ressa"), QStringLiteral("qrc:/images/appIcon/app03.png")),
        seedRowStatement(QStringLiteral("UKEY开票"), QStringLiteral("qrc:/images/appIcon/app04.png")),
        seedRowStatement(QStringLiteral("财税助手"), QStringLiteral("qrc:/images/appIcon/app05.png")),
        seedRowStatement(QStringLiteral("打印助手"), QStringLiteral("qrc:/images/appIcon/app06.png")),
        chatRowStatement(),
        seedRowStatement(QStringLiteral("更多"), QStringLiteral("qrc:/images/appIcon/moreIcon.png")),
        QStringLiteral("CREATE TABLE \"time\" ( \"time\" TEXT )"),
        QStringLiteral("INSERT INTO time VALUES ('1900-01-01');"),
        QStringLiteral("insert into version values ('") + QCoreApplication::applicationVersion()
            + QStringLiteral("')"),
    };
    // All or nothing: a first run that stops half-way would leave a catalogue
    // without its version row, which no later start repairs.
    db.transaction();
    for (const QString &statement : statements) {
        if (!execSql(statement)) {
            db.rollback();
            return;
        }
    }
    if (!db.commit()) {
        qDebug().noquote() << db.lastError().text();
        db.rollback();
    }
}

bool SqlConnection::isTableExist(const QString &name)
{
    const QList<QVariantMap> rows = querySql(
        QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"), {name});
    return !rows.isEmpty() && rows.first().cbegin().value().toInt() > 0;
}

bool SqlConnection::execSql(const QString &sql)
{
    QSqlQuery query = newQuery(db);
    return prepare(query, sql) && run(query);
}

bool SqlConnection::execSqlList(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = newQuery(db);
    if (!prepare(query, sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    qDebug().noquote() << sql;
    return run(query);
}

bool SqlConnection::execSqlMap(const QString &sql, const QVariantMap &values, int *rowsAffected)
{
    QSqlQuery query = newQuery(db);
    if (!prepare(query, sql))
        return false;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        query.bindValue(it.key(), it.value());
    if (!run(query))
        return false;
    if (rowsAffected)
        *rowsAffected = query.numRowsAffected();
    return true;
}

QList<QVariantMap> SqlConnection::querySql(const QString &sql)
{
    return querySql(sql, {});
}

QList<QVariantMap> SqlConnection::querySql(const QString &sql, const QVariantList &values)
{
    QList<QVariantMap> rows;
    QSqlQuery query = newQuery(db);
    if (!prepare(query, sql))
        return rows;
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!run(query))
        return rows;
    while (query.next()) {
        const QSqlRecord record = query.record();
        QVariantMap row;
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i), record.value(i));
        rows.append(row);
    }
    return rows;
}
