#include "desktop/myseparator.h"

MySeparator::MySeparator(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("MySeparator"));
}
