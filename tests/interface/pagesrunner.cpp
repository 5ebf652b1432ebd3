// Qt Quick Test runner for the company selection: the palette, and the real
// account and tax-code services against a stand-in platform of its own,
// signed in as the demo account with 23 companies, five a page.
#include "common/freshdatabase.h"
#include "common/qmltestsetup.h"
#include "common/standinserver.h"
#include "app/startup.h"
#include "services/mainfunction.h"
#include "services/vantafunction.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

#include <memory>

class PagesSetup : public QmlTestSetup
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        QmlTestSetup::applicationAvailable();
        m_server = std::make_unique<StandInServer>();
        m_server->useAsPlatform();
        m_database = std::make_unique<FreshDatabase>();
        m_account = std::make_unique<MainFunction>();
        // What the selection shows first: the companies of this sign-in.
        const QString signedIn = m_account->btnLoginPassword(QStringLiteral("13800000002"),
                                                             QStringLiteral("Plit@2026"));
        if (signedIn != QLatin1String("OK"))
            qFatal("the stand-in refused the demo account: %s", qPrintable(signedIn));
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        QmlTestSetup::qmlEngineAvailable(engine);
        PublishPalette(*engine->rootContext());
        engine->rootContext()->setContextProperty(QStringLiteral("mainFunction"), m_account.get());
        engine->rootContext()->setContextProperty(QStringLiteral("vantaFunction"), &m_vanta);
    }

    void cleanupTestCase()
    {
        VantaFunction::setTaxCodeFromPhoneNo({});
        m_account.reset();
        m_database.reset();
        m_server.reset();
    }

private:
    std::unique_ptr<StandInServer> m_server;
    std::unique_ptr<FreshDatabase> m_database;
    std::unique_ptr<MainFunction> m_account;
    VantaFunction m_vanta;
};

PLIT_QUICK_TEST_MAIN_WITH_SETUP(pages, PagesSetup)
#include "pagesrunner.moc"
