#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QVariant>

// Wraps a new, parentless element object for a list handed to QML. The QML
// engine owns it from then on and frees it when the list is no longer used;
// C++ callers that never pass the list to QML delete the elements themselves.
template<typename T>
QVariant qmlElement(T *element)
{
    QQmlEngine::setObjectOwnership(element, QQmlEngine::JavaScriptOwnership);
    return QVariant::fromValue(element);
}
