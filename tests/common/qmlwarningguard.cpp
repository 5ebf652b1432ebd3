#include "qmlwarningguard.h"

#include <QCoreApplication>
#include <QMutex>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlError>
#include <QThread>
#include <QtTest>

#include <memory>

namespace {

QMutex mutex;
QStringList seen;
bool failTests = true;
QtMessageHandler previousHandler = nullptr;

bool isQmlMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return false;
    const QLatin1String category(context.category ? context.category : "");
    if (category == QLatin1String("qml") || category == QLatin1String("js")
        || category.startsWith(QLatin1String("qt.qml")))
        return true;
    const QLatin1String file(context.file ? context.file : "");
    if (file.endsWith(QLatin1String(".qml")) || file.startsWith(QLatin1String("qrc:")))
        return true;
    return text.contains(QLatin1String(".qml")) || text.contains(QLatin1String("qrc:"));
}

void guardHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    // Qt Test installs its own handler when a test run starts; pass through
    // to whatever is current beneath us.
    if (previousHandler)
        previousHandler(type, context, text);
    else
        qt_message_output(type, context, text);

    if (isQmlMessage(type, context, text))
        QmlWarningGuard::record(text, context.file, context.line);
}

} // namespace

QmlWarningGuard::QmlWarningGuard()
    : m_previous(qInstallMessageHandler(guardHandler))
{
    previousHandler = m_previous;
}

QmlWarningGuard::~QmlWarningGuard()
{
    qInstallMessageHandler(m_previous);
    previousHandler = nullptr;
}

void QmlWarningGuard::record(const QString &text, const char *file, int line)
{
    bool fail;
    {
        QMutexLocker lock(&mutex);
        if (seen.contains(text))
            return; // the same error by signal and by message
        seen.append(text);
        fail = failTests;
    }
    const bool onMainThread = QCoreApplication::instance()
        && QThread::currentThread() == QCoreApplication::instance()->thread();
    if (fail && onMainThread && QTest::currentTestFunction())
        QTest::qFail(qPrintable(QStringLiteral("no QML warning, but: ") + text), file ? file : "", line);
}

void QmlWarningGuard::watch(QQmlEngine *engine)
{
    QObject::connect(engine, &QQmlEngine::warnings, engine, [](const QList<QQmlError> &errors) {
        for (const QQmlError &error : errors)
            record(error.toString(), qPrintable(error.url().toString()), error.line());
    });
}

bool QmlWarningGuard::failed()
{
    QMutexLocker lock(&mutex);
    return !seen.isEmpty();
}

QStringList QmlWarningGuard::takeMessages()
{
    QMutexLocker lock(&mutex);
    QStringList taken;
    taken.swap(seen);
    return taken;
}

void QmlWarningGuard::setFailTests(bool fail)
{
    QMutexLocker lock(&mutex);
    failTests = fail;
}

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
