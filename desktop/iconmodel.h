#pragma once

#include "core/elementproperty.h"

#include <QObject>
#include <QString>

// An icon taken from a program the user chose: the saved PNG and the program.
// Filled once before QML sees it, so the setters do not notify; QML only reads.
class IconModel : public QObject
{
    Q_OBJECT
    PLIT_ELEMENT_READONLY_PROPERTY(QString, icon, setIcon, iconChanged, Silent)
    PLIT_ELEMENT_READONLY_PROPERTY(QString, apppath, setApppath, apppathChanged, Silent)

public:
    explicit IconModel(QObject *parent = nullptr);
};
