#include "app/startup.h"
#include "testdatadir.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QtTest>
#include <QtWebEngine>
#include <private/qqmlcontext_p.h>
#include <private/qqmlmetatype_p.h>

namespace {

// "name: ClassName" for an object, "name: type value" for a value, as the
// interface finds them.
QString describe(const QString &name, const QVariant &value)
{
    if (QObject *object = value.value<QObject *>())
        return name + QStringLiteral(": ") + QLatin1String(object->metaObject()->className());
    return name + QStringLiteral(": ") + QLatin1String(value.typeName()) + QLatin1Char(' ') + value.toString();
}

} // namespace

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

    void publishesExactlyTheBackendObjectsAndValues()
    {
        const QStringList expected = {
            "datebaseFunction: DatebaseFunction",  "versionInfo: VersionInfo",
            "mainFunction: MainFunction",          "configFucntion: ConfigFunction",
            "vantaFunction: VantaFunction",        "dpi: Dpi",
            "logFunction: LogFunction",            "webBrowerFunction: WebBrowerFunction",
            "posterFunction: PosterFunction",      "downloadFunction: DownloadFunction",
            "iconExtractFunction: IconExtractFunction", "systemFunction: SystemFunction",
            "$domainName: QString http://127.0.0.1:9", "$dpi: int 1",
            "$mainTone: QString #2978e1",          "$titleColorUp: QString #0d97f7",
            "$titleColorDown: QString #1b6fdf",    "$underTone: QString #1170e6",
            "$fontColor3: QString #333333",        "$fontColor6: QString #666666",
            "$fontTipColor: QString #a9a9a9",      "$lineColor: QString #d9dde5",
            "$lineRectColor: QString #dadada",     "$btnColor: QString #daebff",
            "urlPolicy: UrlPolicy",
        };
        QQmlContext *root = m_engine.rootContext();
        QStringList published;
        for (const QString &entry : expected) {
            const QString name = entry.section(QLatin1Char(':'), 0, 0);
            published << describe(name, root->contextProperty(name));
        }
        QCOMPARE(published, expected);
        // And nothing besides.
        QCOMPARE(QQmlContextPrivate::get(root)->propertyValues.size(), expected.size());
    }

    void registersExactlyTheSeventeenTypes()
    {
        QStringList expected = {
            "Function.MainFunction 1.0 MainFunction: MainFunction",
            "Function.ConfigFunction 1.0 ConfigFunction: ConfigFunction",
            "Function.DatebaseFunction 1.0 DatebaseFunction: DatebaseFunction",
            "Function.LogFunction 1.0 LogFunction: LogFunction",
            "Function.VersionInfo 1.0 VersionInfo: VersionInfo",
            "Function.VantaFunction 1.0 VantaFunction: VantaFunction",
            "Function.WebBrowerFunction 1.0 WebBrowerFunction: WebBrowerFunction",
            "Function.Dpi 1.0 Dpi: Dpi",
            "Function.PosterFunction 1.0 PosterFunction: PosterFunction",
            "Function.DownloadFunction 1.0 DownloadFunction: DownloadFunction",
            "Function.IconExtractFunction 1.0 IconExtractFunction: IconExtractFunction",
            "Function.SystemFunction 1.0 SystemFunction: SystemFunction",
            "an.utility 1.0 MyMenu: MyMenu",
            "an.utility 1.0 MyAction: MyAction",
            // MySeparator only marks a place: it has no meta-object of its own.
            "an.utility 1.0 MySeparator: QObject",
            "an.utility 1.0 SystemTrayIcon: SystemTrayIcon",
            "Clipboard 1.0 Clipboard: Clipboard",
        };
        // Every module named there, and nothing else of those modules.
        QStringList modules;
        for (const QString &entry : expected)
            modules << entry.section(QLatin1Char(' '), 0, 0);
        QStringList registered;
        for (const QQmlType &type : QQmlMetaType::qmlTypes()) {
            const QString module = type.module();
            if (!module.startsWith(QLatin1String("Function.")) && !modules.contains(module))
                continue;
            registered << QStringLiteral("%1 %2.%3 %4: %5%6")
                              .arg(module)
                              .arg(type.majorVersion())
                              .arg(type.minorVersion())
                              .arg(type.elementName(), QLatin1String(type.metaObject()->className()),
                                   QLatin1String(type.isCreatable() ? "" : " (not creatable)"));
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
