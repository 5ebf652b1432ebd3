#pragma once

#include <QStringList>
#include <QVariantList>

// Lists of element objects the backend hands over (ConfigModel, UserInfo,
// UserTaxInfo, PosterModel, ...): the caller owns the elements, as the QML
// engine does, and these helpers release them.

// The value of `property` of each element, in order, as text.
QStringList takeValues(const QVariantList &elements, const char *property);

// The "name" of each element (ConfigModel lists).
inline QStringList takeNames(const QVariantList &elements)
{
    return takeValues(elements, "name");
}

// The number of elements.
int takeCount(const QVariantList &elements);
