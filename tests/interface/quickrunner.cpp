// The Qt Quick Test runner of the interface's QML tests: the backend's QML
// types and palette registered as at start, every engine guarded against QML
// warnings, and in place of the backend the stand-ins of standins.qml in the
// tests' folder (each object property under its name). Beside them the real
// settings (`configFucntion`) in a data directory of the runner's own, and
// `testbed`: the addresses opened, the settings kept, the windows made.
#include "app/startup.h"
#include "common/qmlwarningguard.h"
#include "common/testdatadir.h"
#include "services/configfunction.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMetaProperty>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QWindow>
#include <QtQuickTest>

#include <memory>

class Testbed : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList openedUrls MEMBER m_openedUrls NOTIFY changed)

public:
    // The value kept under "FunDic/<key>" in System.ini, or "".
    Q_INVOKABLE QString setting(const QString &key) const
    {
        QSettings settings(m_data.filePath(QStringLiteral("System.ini")), QSettings::IniFormat);
        settings.setIniCodec("GB18030");
        return settings.value(QStringLiteral("FunDic/") + key).toString();
    }

    // How many windows titled `title` exist, shown or not: a document makes
    // some by itself.
    Q_INVOKABLE int windowCount(const QString &title) const
    {
        int count = 0;
        for (QWindow *window : QGuiApplication::allWindows())
            count += window->title() == title;
        return count;
    }

public slots:
    void open(const QUrl &url)
    {
        m_openedUrls.append(url.toString());
        emit changed();
    }
    void clear()
    {
        QFile::remove(m_data.filePath(QStringLiteral("System.ini")));
        m_openedUrls.clear();
        emit changed();
    }

signals:
    void changed();

private:
    TestDataDir m_data;
    QStringList m_openedUrls;
};

class QuickSetup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        RegisterTypeToQml();
        for (const char *scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_testbed, "open");
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        // By now the test log has its handler in place for the guard to chain to.
        if (!m_guard)
            m_guard = std::make_unique<QmlWarningGuard>();
        QmlWarningGuard::watch(engine);
        PublishPalette(*engine->rootContext());
        engine->rootContext()->setContextProperty(QStringLiteral("configFucntion"), &m_config);
        engine->rootContext()->setContextProperty(QStringLiteral("testbed"), &m_testbed);
        QQmlComponent component(engine, QUrl::fromLocalFile(QStringLiteral(QUICK_TEST_SOURCE_DIR "/standins.qml")));
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

private:
    std::unique_ptr<QmlWarningGuard> m_guard;
    Testbed m_testbed;
    ConfigFunction m_config;
};

// The program fails when any QML warning was seen, even one outside a test
// function. The application is a widgets one, as in the program: tray menus
// and dialogs need it.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QuickSetup setup;
    const int failures = quick_test_main_with_setup(argc, argv, "interface", QUICK_TEST_SOURCE_DIR, &setup);
    return failures != 0 || QmlWarningGuard::failed() ? qMax(failures, 1) : 0;
}
#include "quickrunner.moc"
