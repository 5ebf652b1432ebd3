#include "desktop/iconmodel.h"

IconModel::IconModel(QObject *parent)
    : QObject(parent)
{
}
