// Qt Quick Test runner for the dialogs. They get the real settings file, in
// a data directory of the runner's own; in place of the article service, the
// stand-in of standins.qml, whose answers the tests set. `testbed` tells what
// reached the desktop: the addresses opened, the settings kept, the windows
// shown.
#include "common/qmltestsetup.h"
#include "common/testdatadir.h"
#include "services/configfunction.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QWindow>
#include <QtQuickTest>

class Testbed : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList openedUrls MEMBER m_openedUrls NOTIFY changed)

public:
    explicit Testbed(const QString &dataDir)
        : m_dataDir(dataDir)
    {
    }

    // The value kept under "FunDic/<key>" in System.ini, or "".
    Q_INVOKABLE QString setting(const QString &key) const
    {
        QSettings settings(m_dataDir + QStringLiteral("/System.ini"), QSettings::IniFormat);
        settings.setIniCodec("GB18030");
        return settings.value(QStringLiteral("FunDic/") + key).toString();
    }

    // The shown window titled `title`, for the windows a document makes by
    // itself; null when there is none.
    Q_INVOKABLE QObject *shownWindow(const QString &title) const
    {
        for (QWindow *window : QGuiApplication::allWindows()) {
            if (window->isVisible() && window->title() == title)
                return window;
        }
        return nullptr;
    }

    // How many windows titled `title` exist, shown or not.
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
        QFile::remove(m_dataDir + QStringLiteral("/System.ini"));
        m_openedUrls.clear();
        emit changed();
    }

signals:
    void changed();

private:
    const QString m_dataDir;
    QStringList m_openedUrls;
};

class DialogsSetup : public QmlTestSetup
{
    Q_OBJECT

public:
    DialogsSetup()
        : QmlTestSetup(QStringLiteral(QUICK_TEST_SOURCE_DIR "/standins.qml"))
    {
    }

public slots:
    void applicationAvailable()
    {
        QmlTestSetup::applicationAvailable();
        for (const char *scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_testbed, "open");
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        QmlTestSetup::qmlEngineAvailable(engine);
        engine->rootContext()->setContextProperty(QStringLiteral("configFucntion"), &m_config);
        engine->rootContext()->setContextProperty(QStringLiteral("testbed"), &m_testbed);
    }

private:
    TestDataDir m_data;
    Testbed m_testbed{m_data.path()};
    ConfigFunction m_config;
};

PLIT_QUICK_TEST_MAIN_WITH_SETUP(dialogs, DialogsSetup)
#include "dialogsrunner.moc"
