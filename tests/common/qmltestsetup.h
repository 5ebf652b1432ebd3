#pragma once

#include "qmlwarningguard.h"

#include <QObject>
#include <memory>

class QQmlEngine;

// The setup object of a Qt Quick Test runner: registers the backend's QML
// types as the program does at start, and guards every engine against QML
// warnings. Runners that publish context properties derive from it and
// call the base slots first.
class QmlTestSetup : public QObject
{
    Q_OBJECT

public:
    QmlTestSetup();
    ~QmlTestSetup() override;

public slots:
    void applicationAvailable();
    void qmlEngineAvailable(QQmlEngine *engine);

private:
    std::unique_ptr<QmlWarningGuard> m_guard;
};
