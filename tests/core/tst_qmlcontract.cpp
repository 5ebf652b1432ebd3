#include "app/startup.h"
#include "testdatadir.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QtTest>
#include <QtWebEngine>
#include <private/qqmlcontext_p.h>
#include <private/qqmlmetatype_p.h>

// The contract between the backend and the interface: what start-up
// publishes on the root context and which QML types it registers, by name.
// The QML documents use these names as they stand; renaming any breaks them.
class QmlContractTest : public QObject
{
    Q_OBJECT

private:
    TestDataDir m_data;
    QQmlApplicationEngine m_engine;

private slots:
    void initTestCase()
    {
        // Nothing listens on port 9 of loopback: the platform is out of reach.
        qputenv("PLIT_PLATFORM_URL", "http://127.0.0.1:9");
        RegisterTypeToQml();
        RegisterEngine(m_engine);
    }

    // "name: ClassName" for an object, "name: type value" for a value.
    void publishesExactlyTheBackendObjectsAndValues()
    {
        const QStringList expected = {
            "datebaseFunction: DatebaseFunction", "versionInfo: VersionInfo", "mainFunction: MainFunction",
            "configFucntion: ConfigFunction", "vantaFunction: VantaFunction", "dpi: Dpi", "logFunction: LogFunction",
            "webBrowerFunction: WebBrowerFunction", "posterFunction: PosterFunction",
            "downloadFunction: DownloadFunction", "iconExtractFunction: IconExtractFunction",
            "systemFunction: SystemFunction", "urlPolicy: UrlPolicy",
            "$domainName: QString http://127.0.0.1:9", "$dpi: int 1", "$mainTone: QString #2978e1",
            "$titleColorUp: QString #0d97f7", "$titleColorDown: QString #1b6fdf", "$underTone: QString #1170e6",
            "$fontColor3: QString #333333", "$fontColor6: QString #666666", "$fontTipColor: QString #a9a9a9",
            "$lineColor: QString #d9dde5", "$lineRectColor: QString #dadada", "$btnColor: QString #daebff",
        };
        QQmlContext *root = m_engine.rootContext();
        QStringList published;
        for (const QString &entry : expected) {
            const QString name = entry.section(QLatin1Char(':'), 0, 0);
            const QVariant value = root->contextProperty(name);
            QObject *object = value.value<QObject *>();
            published << name + QStringLiteral(": ")
                    + (object ? QString::fromLatin1(object->metaObject()->className())
                              : QLatin1String(value.typeName()) + QLatin1Char(' ') + value.toString());
        }
        QCOMPARE(published, expected);
        // And nothing besides.
        QCOMPARE(QQmlContextPrivate::get(root)->propertyValues.size(), expected.size());
    }

    // Every module named here, and nothing else of those modules.
    void registersExactlyTheSeventeenTypes()
    {
        QStringList expected = {
            "Function.MainFunction MainFunction: MainFunction", "Function.ConfigFunction ConfigFunction: ConfigFunction",
            "Function.DatebaseFunction DatebaseFunction: DatebaseFunction", "Function.LogFunction LogFunction: LogFunction",
            "Function.VersionInfo VersionInfo: VersionInfo", "Function.VantaFunction VantaFunction: VantaFunction",
            "Function.WebBrowerFunction WebBrowerFunction: WebBrowerFunction", "Function.Dpi Dpi: Dpi",
            "Function.PosterFunction PosterFunction: PosterFunction",
            "Function.DownloadFunction DownloadFunction: DownloadFunction",
            "Function.IconExtractFunction IconExtractFunction: IconExtractFunction",
            "Function.SystemFunction SystemFunction: SystemFunction",
            "an.utility MyMenu: MyMenu", "an.utility MyAction: MyAction", "Clipboard Clipboard: Clipboard",
            // MySeparator only marks a place: it has no meta-object of its own.
            "an.utility MySeparator: QObject", "an.utility SystemTrayIcon: SystemTrayIcon",
        };
        QStringList registered;
        for (const QQmlType &type : QQmlMetaType::qmlTypes()) {
            const QString module = type.module();
            if (module.startsWith(QLatin1String("Function.")) || module == QLatin1String("an.utility")
                || module == QLatin1String("Clipboard"))
                registered << QStringLiteral("%1 %2: %3%4")
                                  .arg(module, type.elementName(), QLatin1String(type.metaObject()->className()),
                                       QLatin1String(type.majorVersion() == 1 && type.minorVersion() == 0
                                                         ? "" : " (not version 1.0)"))
                                  .append(type.isCreatable() ? "" : " (not creatable)");
        }
        registered.sort();
        expected.sort();
        QCOMPARE(registered, expected);
    }
};

int main(int argc, char *argv[])
{
    // As the program starts: the web engine set up before the application object.
    QtWebEngine::initialize();
    QApplication app(argc, argv);
    QmlContractTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qmlcontract.moc"
