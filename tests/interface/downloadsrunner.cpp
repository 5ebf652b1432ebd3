// Qt Quick Test runner for the download centre page. The rows' logic is the
// subject here, so the page talks to a download centre whose downloads the
// tests drive by hand (downloads/StandInCentre.qml): progress, a pause, an
// error, the end, each exactly when a test wants it. The real centre against
// the stand-in platform is what the page journeys use.
#include "common/qmltestsetup.h"
#include "app/startup.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

class DownloadsSetup : public QmlTestSetup
{
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        QmlTestSetup::qmlEngineAvailable(engine);
        PublishPalette(*engine->rootContext());
        QQmlComponent component(engine, QUrl::fromLocalFile(QStringLiteral(QUICK_TEST_SOURCE_DIR)
                                                            + QStringLiteral("/StandInCentre.qml")));
        QObject *centre = component.create();
        if (!centre)
            qFatal("the stand-in download centre did not load: %s", qPrintable(component.errorString()));
        centre->setParent(engine);
        engine->rootContext()->setContextProperty(QStringLiteral("downloadFunction"), centre);
    }
};

PLIT_QUICK_TEST_MAIN_WITH_SETUP(downloads, DownloadsSetup)
#include "downloadsrunner.moc"
