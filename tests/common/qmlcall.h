#pragma once

#include <QString>
#include <QVariant>

class QObject;

// Evaluates `expression` the way the interface calls the backend: inside a
// small QML document of a new engine in which `object` is published as the
// context property `name`. Answers the expression's value. A QML error or
// warning fails the running test (QmlWarningGuard).
QVariant evaluateInQml(const QString &name, QObject *object, const QString &expression);
