#pragma once

#include <QObject>

// Marks the place of a separator in a QML menu tree; it carries nothing else,
// so it has no meta-object of its own.
class MySeparator : public QObject
{
public:
    explicit MySeparator(QObject *parent = nullptr);
};
