#pragma once

#include <QObject>

// The program's version for the about window.
class VersionInfo : public QObject
{
    Q_OBJECT
public:
    explicit VersionInfo(QObject *parent = nullptr);

    Q_INVOKABLE QString ver() const;
};
