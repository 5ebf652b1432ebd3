// Qt Quick Test runner for the shared controls: the palette as start-up
// publishes it, and in place of the account service a recorder of the SMS
// code requests, which is all the controls ask of it.
#include "common/qmltestsetup.h"
#include "app/startup.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QStringList>
#include <QtQuickTest>

class SmsRequests : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList phones READ phones NOTIFY changed)

public:
    QStringList phones() const { return m_phones; }

public slots:
    void btnDynamic(const QString &phoneNum)
    {
        m_phones.append(phoneNum);
        emit changed();
    }
    void clear()
    {
        m_phones.clear();
        emit changed();
    }

signals:
    void changed();

private:
    QStringList m_phones;
};

class ControlsSetup : public QmlTestSetup
{
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        QmlTestSetup::qmlEngineAvailable(engine);
        PublishPalette(*engine->rootContext());
        engine->rootContext()->setContextProperty(QStringLiteral("mainFunction"), &m_requests);
    }

private:
    SmsRequests m_requests;
};

PLIT_QUICK_TEST_MAIN_WITH_SETUP(controls, ControlsSetup)
#include "controlsrunner.moc"
