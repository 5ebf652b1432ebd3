#include "database/configmodel.h"

ConfigModel::ConfigModel(QObject *parent)
    : QObject(parent)
{
}
