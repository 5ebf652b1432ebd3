#include "freshdatabase.h"

#include "database/configmodel.h"

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

QStringList takeNames(const QVariantList &models)
{
    QStringList names;
    for (const QVariant &value : models) {
        QObject *object = value.value<QObject *>();
        auto *model = qobject_cast<ConfigModel *>(object);
        names << (model ? model->name() : QStringLiteral("<not a ConfigModel>"));
        delete object;
    }
    return names;
}
