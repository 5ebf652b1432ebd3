#include "qmlcall.h"

#include "qmlwarningguard.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>

#include <memory>

QVariant evaluateInQml(const QString &name, QObject *object, const QString &expression)
{
    QQmlEngine engine;
    QmlWarningGuard::watch(&engine);
    engine.rootContext()->setContextProperty(name, object);
    QQmlComponent component(&engine);
    component.setData(("import QtQml 2.15\nQtObject { property var result: " + expression + " }").toUtf8(),
                      QUrl(QStringLiteral("qrc:/evaluateInQml.qml")));
    const std::unique_ptr<QObject> document(component.create());
    if (!document) {
        QmlWarningGuard::record(component.errorString());
        return QVariant();
    }
    return document->property("result");
}
