#pragma once

#include <QApplication>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

class QQmlEngine;

// Makes a test program fail on any QML warning or error: a message of
// warning level or above whose category is qml or js, or whose text or
// source context points at a .qml or qrc: document. Messages still reach the
// handler that was installed before (the test log), so construct the guard
// once the test run has started (initTestCase, qmlEngineAvailable). A QML
// message inside a running Qt Test function fails that function at once;
// every one also makes failed() true, which the test mains below turn into a
// failing exit code. watch() adds the errors an engine reports by signal.
class QmlWarningGuard
{
public:
    QmlWarningGuard();
    ~QmlWarningGuard();

    static void watch(QQmlEngine *engine);

    // Takes the QML messages seen so far; failed() tells whether there are any.
    static QStringList takeMessages();
    static bool failed();
    // For tests of the guard itself: record without failing the function.
    static void setFailTests(bool fail);

    static void record(const QString &text, const char *file = "", int line = 0);

private:
    QtMessageHandler m_previous;
};

// Evaluates `expression` the way the interface calls the backend: inside a
// small QML document of a new engine in which `object` is published as the
// context property `name`. Answers the expression's value. A QML error or
// warning fails the running test.
QVariant evaluateInQml(const QString &name, QObject *object, const QString &expression);

// QTEST_MAIN with the guard, for Qt Test programs that load QML; `prepare`
// runs before the application object exists.
#define PLIT_QML_GUARDED_TEST_MAIN(TestObject) PLIT_QML_GUARDED_TEST_MAIN_PREPARED(TestObject, (void)0)
#define PLIT_QML_GUARDED_TEST_MAIN_PREPARED(TestObject, prepare) \
    int main(int argc, char *argv[]) \
    { \
        prepare; \
        QApplication app(argc, argv); \
        app.setQuitOnLastWindowClosed(false); \
        QTEST_DISABLE_KEYPAD_NAVIGATION \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        const int failures = QTest::qExec(&tc, argc, argv); \
        return failures != 0 || QmlWarningGuard::failed() ? qMax(failures, 1) : 0; \
    }
