#pragma once

#include "core/elementproperty.h"

#include <QObject>
#include <QString>

// One tile of the application catalogue, handed to QML. Its type is for the
// backend only.
class ConfigModel : public QObject
{
    Q_OBJECT
    PLIT_ELEMENT_PROPERTY(QString, name, setName, nameChanged, Emits)
    PLIT_ELEMENT_PROPERTY(QString, path, setPath, pathChanged, Emits)
    PLIT_ELEMENT_PROPERTY(QString, icon, setIcon, iconChanged, Emits)
    PLIT_ELEMENT_PROPERTY(int, orderNumber, setOrderNumber, orderNumberChanged, Emits)
    PLIT_ELEMENT_VALUE(int, type, setType, typeChanged, Emits)

public:
    explicit ConfigModel(QObject *parent = nullptr);
};
