#include "freshdatabase.h"

#include <QCoreApplication>

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
