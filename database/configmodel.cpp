#include "database/configmodel.h"

ConfigModel::ConfigModel(QObject *parent)
    : QObject(parent)
{
}

void ConfigModel::setName(const QString &name)
{
    m_name = name;
    emit nameChanged();
}

void ConfigModel::setPath(const QString &path)
{
    m_path = path;
    emit pathChanged();
}

void ConfigModel::setIcon(const QString &icon)
{
    m_icon = icon;
    emit iconChanged();
}

void ConfigModel::setOrderNumber(int orderNumber)
{
    m_orderNumber = orderNumber;
    emit orderNumberChanged();
}

void ConfigModel::setType(int type)
{
    m_type = type;
    emit typeChanged();
}
