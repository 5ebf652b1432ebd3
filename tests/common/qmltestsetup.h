#pragma once

#include "qmlwarningguard.h"

#include <QObject>
#include <memory>

class QQmlEngine;

// The setup object of a Qt Quick Test runner: registers the backend's QML
// types and publishes the palette as the program does at start, and guards
// every engine against QML warnings. `standIns`, when given, is a QML
// document whose object properties are published under their names in place
// of the backend objects (mainFunction: QtObject {...}). Runners that publish
// more derive from it and call the base slots first.
class QmlTestSetup : public QObject
{
    Q_OBJECT

public:
    explicit QmlTestSetup(const QString &standIns = QString());
    ~QmlTestSetup() override;

public slots:
    void applicationAvailable();
    void qmlEngineAvailable(QQmlEngine *engine);

private:
    const QString m_standIns;
    std::unique_ptr<QmlWarningGuard> m_guard;
};
