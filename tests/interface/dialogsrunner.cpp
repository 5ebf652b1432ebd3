// Qt Quick Test runner for the dialogs and settings windows. They get the
// real settings file and system helpers, working in a data directory of the
// runner's own; in place of the account and
// article services, stand-ins whose answers the tests set. `testbed` tells
// what reached the desktop: the addresses opened, the quits asked for, the
// settings kept, the windows shown.
#include "common/qmltestsetup.h"
#include "common/testdatadir.h"
#include "app/startup.h"
#include "desktop/systemfunction.h"
#include "services/configfunction.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QWindow>
#include <QtQuickTest>

#include <algorithm>

// Keeps the feedback the window sends and answers with `answer`.
class FeedbackDesk : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList sent MEMBER m_sent NOTIFY changed)
    Q_PROPERTY(QString answer MEMBER m_answer NOTIFY changed)

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
// list and `count` for the count, which comes by a request of its own;
// `asked` records the requests.
class NoticeBoard : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList notices MEMBER m_notices NOTIFY changed)
    Q_PROPERTY(int count MEMBER m_count NOTIFY changed)
    Q_PROPERTY(QStringList asked MEMBER m_asked NOTIFY changed)

public slots:
    QVariantList getSystemNotice(int type, int num)
    {
        m_asked.append(QStringLiteral("notices %1 %2").arg(type).arg(num));
        return m_notices;
    }
    int getSystemNoticeCount(int type, int num)
    {
        m_asked.append(QStringLiteral("count %1 %2").arg(type).arg(num));
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
    Q_PROPERTY(QString dataDir MEMBER m_dataDir CONSTANT)
    // What the directory chooser answers ("" for a cancelled one).
    Q_PROPERTY(QString chosenDirectory MEMBER m_chosenDirectory NOTIFY changed)
    Q_PROPERTY(QStringList openedUrls MEMBER m_openedUrls NOTIFY changed)
    Q_PROPERTY(int quitCount MEMBER m_quitCount NOTIFY changed)

public:
    explicit Testbed(const QString &dataDir)
        : m_dataDir(dataDir)
    {
    }

    QString chosenDirectory() const { return m_chosenDirectory; }

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
        const QWindowList windows = QGuiApplication::allWindows();
        const auto found = std::find_if(windows.begin(), windows.end(), [&](QWindow *window) {
            return window->isVisible() && window->title() == title;
        });
        return found == windows.end() ? nullptr : *found;
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
        QFile::remove(m_dataDir + QStringLiteral("/System.ini"));
        m_chosenDirectory.clear();
        m_openedUrls.clear();
        m_quitCount = 0;
        emit changed();
    }

signals:
    void changed();

private:
    const QString m_dataDir;
    QString m_chosenDirectory;
    QStringList m_openedUrls;
    int m_quitCount = 0;
};

class DialogsSetup : public QmlTestSetup
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        QmlTestSetup::applicationAvailable();
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
        context.setContextProperty(QStringLiteral("testbed"), &m_testbed);
        connect(engine, &QQmlEngine::quit, &m_testbed, &Testbed::quit);
    }

private:
    TestDataDir m_data;
    Testbed m_testbed{m_data.path()};
    FeedbackDesk m_feedback;
    NoticeBoard m_notices;
    ConfigFunction m_config;
    SystemFunction m_system;
};

PLIT_QUICK_TEST_MAIN_WITH_SETUP(dialogs, DialogsSetup)
#include "dialogsrunner.moc"
