#include "databasefile.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kConnection = QStringLiteral("databasefile");

QList<QVariantMap> run(const QString &path, const QString &sql, bool *ok)
{
    QList<QVariantMap> rows;
    *ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            *ok = query.exec(sql);
            while (*ok && query.next()) {
                QVariantMap row;
                for (int i = 0; i < query.record().count(); ++i)
                    row.insert(query.record().fieldName(i), query.value(i));
                rows.append(row);
            }
        }
    }
    QSqlDatabase::removeDatabase(kConnection);
    return rows;
}

} // namespace

bool execOnDatabaseFile(const QString &path, const QString &sql)
{
    bool ok;
    run(path, sql, &ok);
    return ok;
}

QList<QVariantMap> queryDatabaseFile(const QString &path, const QString &sql)
{
    bool ok;
    return run(path, sql, &ok);
}

QString valueInDatabaseFile(const QString &path, const QString &sql)
{
    const QList<QVariantMap> rows = queryDatabaseFile(path, sql);
    return rows.isEmpty() || rows.first().isEmpty() ? QString() : rows.first().cbegin().value().toString();
}
