// Qt Quick Test runner for the dialogs and settings windows. They get the
// real settings file, system helpers, version and database objects, working
// in a data directory of the runner's own; in place of the account and
// article services, stand-ins whose answers the tests set. `testbed` tells
// what reached the desktop: the addresses opened, the quits asked for, the
// settings kept.
#include "common/qmltestsetup.h"
#include "common/testdatadir.h"
#include "core/startup.h"
#include "core/versioninfo.h"
#include "database/datebasefunction.h"
#include "desktop/systemfunction.h"
#include "services/configfunction.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QUrl>
#include <QVariantList>
#include <QWindow>
#include <QtQuickTest>

#include <algorithm>

// Takes the feedback the window sends and answers with `answer`.
class FeedbackDesk : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList sent READ sent NOTIFY changed)
    Q_PROPERTY(QString answer MEMBER m_answer NOTIFY changed)

public:
    QVariantList sent() const { return m_sent; }

public slots:
    QString btnSuggestionInfo(const QString &msgtypes, const QString &summary, const QString &phoneNum)
    {
        m_sent.append(QVariantMap{{"msgtypes", msgtypes}, {"summary", summary}, {"phone", phoneNum}});
        emit changed();
        return m_answer;
    }
    void clear()
    {
        m_sent.clear();
        m_answer = QStringLiteral("OK");
        emit changed();
    }

signals:
    void changed();

private:
    QVariantList m_sent;
    QString m_answer = QStringLiteral("OK");
};

// The platform's notices: `notices` (objects with summary and url) for the
// list, `count` for the count, which comes by a request of its own.
class NoticeBoard : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList notices MEMBER m_notices NOTIFY changed)
    Q_PROPERTY(int count MEMBER m_count NOTIFY changed)
    Q_PROPERTY(QStringList asked READ asked NOTIFY changed)

public:
    QStringList asked() const { return m_asked; }

public slots:
    QVariantList getSystemNotice(int type, int num)
    {
        m_asked.append(QStringLiteral("notices %1 %2").arg(type).arg(num));
        emit changed();
        return m_notices;
    }
    int getSystemNoticeCount(int type, int num)
    {
        m_asked.append(QStringLiteral("count %1 %2").arg(type).arg(num));
        emit changed();
        return m_count;
    }
    void clear()
    {
        m_notices.clear();
        m_count = 0;
        m_asked.clear();
        emit changed();
    }

signals:
    void changed();

private:
    QVariantList m_notices;
    int m_count = 0;
    QStringList m_asked;
};

class Testbed : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString dataDir READ dataDir CONSTANT)
    // What the directory chooser answers ("" for a cancelled one).
    Q_PROPERTY(QString chosenDirectory MEMBER m_chosenDirectory NOTIFY changed)
    Q_PROPERTY(QStringList openedUrls READ openedUrls NOTIFY changed)
    Q_PROPERTY(int quitCount READ quitCount NOTIFY changed)

public:
    explicit Testbed(const TestDataDir &data)
        : m_data(data)
    {
    }

    QString dataDir() const { return m_data.path(); }
    QString chosenDirectory() const { return m_chosenDirectory; }
    QStringList openedUrls() const { return m_openedUrls; }
    int quitCount() const { return m_quitCount; }

    // The value kept under "FunDic/<key>" in System.ini, or "".
    Q_INVOKABLE QString setting(const QString &key) const
    {
        QSettings settings(m_data.filePath(QStringLiteral("System.ini")), QSettings::IniFormat);
        settings.setIniCodec("GB18030");
        return settings.value(QStringLiteral("FunDic/") + key).toString();
    }

    // The shown window titled `title`, for the windows a document makes
    // by itself; null when there is none.
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
        const QWindowList windows = QGuiApplication::allWindows();
        return int(std::count_if(windows.begin(), windows.end(),
                                 [&](QWindow *window) { return window->title() == title; }));
    }

public slots:
    void open(const QUrl &url)
    {
        m_openedUrls.append(url.toString());
        emit changed();
    }
    void quit()
    {
        ++m_quitCount;
        emit changed();
    }
    void clear()
    {
        QFile::remove(m_data.filePath(QStringLiteral("System.ini")));
        m_chosenDirectory.clear();
        m_openedUrls.clear();
        m_quitCount = 0;
        emit changed();
    }

signals:
    void changed();

private:
    const TestDataDir &m_data;
    QString m_chosenDirectory;
    QStringList m_openedUrls;
    int m_quitCount = 0;
};

class DialogsSetup : public QmlTestSetup
{
    Q_OBJECT

public:
    DialogsSetup()
        : m_testbed(m_data)
    {
    }

public slots:
    void applicationAvailable()
    {
        QmlTestSetup::applicationAvailable();
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0.2"));
        m_database.createSqlite();
        m_system.setDirectoryDialog([this](const QString &, const QString &) {
            return m_testbed.chosenDirectory();
        });
        for (const char *scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_testbed, "open");
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        QmlTestSetup::qmlEngineAvailable(engine);
        QQmlContext &context = *engine->rootContext();
        PublishPalette(context);
        context.setContextProperty(QStringLiteral("mainFunction"), &m_feedback);
        context.setContextProperty(QStringLiteral("posterFunction"), &m_notices);
        context.setContextProperty(QStringLiteral("configFucntion"), &m_config);
        context.setContextProperty(QStringLiteral("systemFunction"), &m_system);
        context.setContextProperty(QStringLiteral("versionInfo"), &m_version);
        context.setContextProperty(QStringLiteral("datebaseFunction"), &m_database);
        context.setContextProperty(QStringLiteral("testbed"), &m_testbed);
        connect(engine, &QQmlEngine::quit, &m_testbed, &Testbed::quit);
    }

private:
    TestDataDir m_data;
    Testbed m_testbed;
    FeedbackDesk m_feedback;
    NoticeBoard m_notices;
    ConfigFunction m_config;
    SystemFunction m_system;
    VersionInfo m_version;
    DatebaseFunction m_database;
};

PLIT_QUICK_TEST_MAIN_WITH_SETUP(dialogs, DialogsSetup)
#include "dialogsrunner.moc"
