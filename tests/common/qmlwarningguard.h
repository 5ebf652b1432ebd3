#pragma once

#include <QApplication>
#include <QStringList>
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

    // The QML messages seen so far, and forgetting them.
    static QStringList messages();
    static QStringList takeMessages();
    static bool failed() { return !messages().isEmpty(); }
    // For tests of the guard itself: record without failing the function.
    static void setFailTests(bool fail);

    static bool isQmlMessage(QtMsgType type, const QMessageLogContext &context, const QString &text);
    static void record(const QString &text, const char *file = "", int line = 0);

private:
    QtMessageHandler m_previous;
};

// QUICK_TEST_MAIN_WITH_SETUP with the guard: the program fails when any QML
// warning was seen, even one outside a test function. The application is a
// widgets one, as in the program: tray menus and dialogs need it.
#define PLIT_QUICK_TEST_MAIN_WITH_SETUP(name, QuickTestSetupClass) \
    int main(int argc, char **argv) \
    { \
        QApplication app(argc, argv); \
        QuickTestSetupClass setup; \
        const int failures = quick_test_main_with_setup(argc, argv, #name, QUICK_TEST_SOURCE_DIR, &setup); \
        return failures != 0 || QmlWarningGuard::failed() ? qMax(failures, 1) : 0; \
    }

// QTEST_MAIN with the guard, for Qt Test programs that load QML.
#define PLIT_QML_GUARDED_TEST_MAIN(TestObject) \
    int main(int argc, char *argv[]) \
    { \
        QApplication app(argc, argv); \
        QTEST_DISABLE_KEYPAD_NAVIGATION \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        const int failures = QTest::qExec(&tc, argc, argv); \
        return failures != 0 || QmlWarningGuard::failed() ? qMax(failures, 1) : 0; \
    }
