#include "qmltestsetup.h"

#include "app/startup.h"

#include <QQmlEngine>

QmlTestSetup::QmlTestSetup() = default;
QmlTestSetup::~QmlTestSetup() = default;

void QmlTestSetup::applicationAvailable()
{
    RegisterTypeToQml();
}

void QmlTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    // By now the test log has its handler in place for the guard to chain to.
    if (!m_guard)
        m_guard = std::make_unique<QmlWarningGuard>();
    QmlWarningGuard::watch(engine);
}
