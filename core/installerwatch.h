#pragma once

#include <QObject>
#include <QString>

// Tells the rest of the program about the installers it started: when one
// ends (then what is installed may have changed) and when one cannot run
// here (then the user must be told why).
class InstallerWatch : public QObject
{
    Q_OBJECT
public:
    static InstallerWatch *instance();

signals:
    void ended(const QString &installer);
    void refused(const QString &installer, const QString &message);

private:
    using QObject::QObject;
};
