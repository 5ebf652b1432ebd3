#include "elements.h"

#include <QObject>
#include <QVariant>

QStringList takeValues(const QVariantList &elements, const char *property)
{
    QStringList values;
    for (const QVariant &element : elements) {
        QObject *object = element.value<QObject *>();
        values << (object ? object->property(property).toString() : QStringLiteral("<not an element>"));
        delete object;
    }
    return values;
}

int takeCount(const QVariantList &elements)
{
    for (const QVariant &element : elements)
        delete element.value<QObject *>();
    return elements.size();
}
