#pragma once

#include "qmlwarningguard.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTemporaryDir>
#include <QtTest>

// Generous: the web engine starts slowly on a busy machine.
constexpr int WebTimeoutMs = 30000;

// What an icon shows at tab size, for comparing icons by their pictures.
inline QImage iconPicture(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The main of a browser test program; any QML warning fails it too. Before
// the application exists: the web engine renders in software (the offscreen
// platform has no OpenGL), file dialogs are Qt's own so that a test can
// answer them, and the engine's profile and cache live in a folder of the
// program's own, not in the user's home.
#define PLIT_BROWSER_TEST_MAIN(TestObject) \
    int main(int argc, char *argv[]) \
    { \
        QTemporaryDir webData; \
        if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) \
            qputenv("QT_QUICK_BACKEND", "software"); \
        qputenv("XDG_DATA_HOME", QDir(webData.path()).filePath(QStringLiteral("data")).toLocal8Bit()); \
        qputenv("XDG_CACHE_HOME", QDir(webData.path()).filePath(QStringLiteral("cache")).toLocal8Bit()); \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); \
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); \
        QApplication app(argc, argv); \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        const int failures = QTest::qExec(&tc, argc, argv); \
        return failures != 0 || QmlWarningGuard::failed() ? qMax(failures, 1) : 0; \
    }
