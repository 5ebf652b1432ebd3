#include "qmltestsetup.h"

#include "app/startup.h"

#include <QMetaProperty>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>

QmlTestSetup::QmlTestSetup(const QString &standIns)
    : m_standIns(standIns)
{
}

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
    PublishPalette(*engine->rootContext());
    if (m_standIns.isEmpty())
        return;
    QQmlComponent component(engine, QUrl::fromLocalFile(m_standIns));
    QObject *standIns = component.create();
    if (!standIns)
        qFatal("the stand-ins did not load: %s", qPrintable(component.errorString()));
    standIns->setParent(engine);
    const QMetaObject *type = standIns->metaObject();
    for (int i = 0; i < type->propertyCount(); ++i) {
        if (QObject *object = type->property(i).read(standIns).value<QObject *>())
            engine->rootContext()->setContextProperty(QString::fromLatin1(type->property(i).name()), object);
    }
}
