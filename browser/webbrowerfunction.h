#pragma once

#include <QObject>
#include <QString>

// Opens the embedded browser from the interface.
class WebBrowerFunction : public QObject
{
    Q_OBJECT
public:
    explicit WebBrowerFunction(QObject *parent = nullptr);

    // Opens a browser window whose first tab loads `_rul`.
    Q_INVOKABLE void openBrower(const QString &_rul);
};
