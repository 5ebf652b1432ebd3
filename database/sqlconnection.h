#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// The connection to the local database and the statement runners on which
// every database operation rests. Each runner logs the statement's error and
// reports failure (false, or an empty list).
class SqlConnection
{
public:
    bool useSqlite = true;
    // Invalid until connectDatabase(); statements on an invalid handle run on
    // the process's default connection.
    QSqlDatabase db;

    void connectDatabase(const QString &path);
    bool openDatabase();
    // The first run's tables and rows, in one transaction.
    void createTables();
    bool isTableExist(const QString &name);

    bool execSql(const QString &sql);
    bool execSqlList(const QString &sql, const QVariantList &values);
    // `rowsAffected`, when given, receives the number of rows the statement changed.
    bool execSqlMap(const QString &sql, const QVariantMap &values, int *rowsAffected = nullptr);
    QList<QVariantMap> querySql(const QString &sql);
    // Like querySql(sql), with each value bound to the next "?" placeholder.
    QList<QVariantMap> querySql(const QString &sql, const QVariantList &values);

    // The seed statement of the chat service row; checkDb() runs it again.
    static QString chatRowStatement();
};
