#pragma once

#include "qmlwarningguard.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

// Generous: the web engine starts slowly on a busy machine.
constexpr int WebTimeoutMs = 30000;

// Sets up a browser test program before its application exists: the web
// engine renders in software (the offscreen platform has no OpenGL), file
// dialogs are Qt's own so that a test can answer them, and the engine's
// profile and cache live in `webData`, not in the user's home.
void prepareBrowserTest(const QTemporaryDir &webData);

// What an icon shows at tab size, for comparing icons by their pictures.
QImage iconPicture(const QIcon &icon);

// The main of a browser test program; any QML warning fails it too.
#define PLIT_BROWSER_TEST_MAIN(TestObject) \
    int main(int argc, char *argv[]) \
    { \
        QTemporaryDir webData; \
        prepareBrowserTest(webData); \
        QApplication app(argc, argv); \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        const int failures = QTest::qExec(&tc, argc, argv); \
        return failures != 0 || QmlWarningGuard::failed() ? qMax(failures, 1) : 0; \
    }
