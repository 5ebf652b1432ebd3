#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

// A database file as another program sees it: each call opens a connection
// of its own, runs one statement and closes again, beside whatever
// connection the code under test holds.
bool execOnDatabaseFile(const QString &path, const QString &sql);
// The rows of `sql`, each a map from field name to value; empty on failure.
QList<QVariantMap> queryDatabaseFile(const QString &path, const QString &sql);
// The value of a one-column statement's first row, as text.
QString valueInDatabaseFile(const QString &path, const QString &sql);
