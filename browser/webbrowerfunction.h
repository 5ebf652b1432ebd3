#pragma once

#include <QObject>
#include <QString>

class BrowserHost;

// Opens the embedded browser from the interface.
class WebBrowerFunction : public QObject
{
    Q_OBJECT
public:
    explicit WebBrowerFunction(QObject *parent = nullptr);

    // Opens a browser window whose first tab loads `_rul`.
    Q_INVOKABLE void openBrower(const QString &_rul);

    // The browser of the whole program, made on first use and kept until the
    // program ends.
    static BrowserHost *browserHost();
};
