#pragma once

#include <QObject>

// What the about window shows of this program: its version, and the service
// hotline and copyright line of this installation.
class VersionInfo : public QObject
{
    Q_OBJECT
public:
    explicit VersionInfo(QObject *parent = nullptr);

    Q_INVOKABLE QString ver() const;
    Q_INVOKABLE QString serviceHotline() const;
    Q_INVOKABLE QString copyrightLine() const;
};
