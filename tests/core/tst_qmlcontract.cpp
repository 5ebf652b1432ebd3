#include "app/startup.h"
#include "database/configmodel.h"
#include "database/userinfo.h"
#include "desktop/iconmodel.h"
#include "download/downloadfilemodel.h"
#include "download/softwareinfo.h"
#include "services/postermodel.h"
#include "services/usertaxinfo.h"
#include "testdatadir.h"

#include <QApplication>
#include <QMetaProperty>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QtTest>
#include <QtWebEngine>
#include <private/qqmlcontext_p.h>
#include <private/qqmlmetatype_p.h>

#include <memory>

using Factory = QObject *(*)();
Q_DECLARE_METATYPE(Factory)

namespace {

template <class T>
QObject *make()
{
    return new T;
}

QStringList strings(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(','));
}

} // namespace

// The contract between the backend and the interface: what start-up
// publishes on the root context and which QML types it registers, by name,
// and the element classes handed to QML: the names, types and signals the
// interface reads, and whether their setters notify. The QML documents use
// these names as they stand; renaming any breaks them.
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

    // Properties as "type name access notifier"; the signals are their
    // notifiers, in order, and the extra ones given.
    void qmlSeesTheirPropertiesAndSignals_data()
    {
        QTest::addColumn<Factory>("make");
        QTest::addColumn<QStringList>("properties");
        QTest::addColumn<QString>("extraSignal");
        QTest::addColumn<bool>("notifies");
        QTest::newRow("ConfigModel") << Factory(make<ConfigModel>)
            << strings("QString name rw nameChanged(),QString path rw pathChanged(),QString icon rw iconChanged(),"
                       "int orderNumber rw orderNumberChanged()") << "typeChanged()" << true;
        QTest::newRow("UserInfo") << Factory(make<UserInfo>)
            << strings("QString username rw usernameChanged(),QString pwd rw pwdChanged(),"
                       "QString autologin rw autologinChanged()") << "" << true;
        QTest::newRow("UserTaxInfo") << Factory(make<UserTaxInfo>)
            << strings("QString taxcode rw taxcodeChanged(),QString taxname rw taxnameChanged(),"
                       "QString phone rw phoneChanged(),QString url rw urlChanged()") << "" << false;
        QTest::newRow("PosterModel") << Factory(make<PosterModel>)
            << strings("int id rw idChanged(),QString title rw titleChanged(),QString url rw urlChanged(),"
                       "QString summary rw summaryChanged(),QString content rw contentChanged()") << "" << true;
        QTest::newRow("DownloadFileModel") << Factory(make<DownloadFileModel>)
            << strings("QString id rw idChanged(),QString title rw titileChanged(),QString shortitle rw shortitleChanged(),"
                       "QString summary rw summaryChanged(),QString uplodeimg rw uplodeimgChanged(),"
                       "QString uplodesoft rw uplodesoftChanged(),QString softsize rw softsizeChanged(),"
                       "QString url rw urlChanged(),QString filename rw filenameChanged()") << "" << false;
        QTest::newRow("SoftwareInfo") << Factory(make<SoftwareInfo>)
            << strings("QString id rw idChanged(),QString icon rw iconChanged(),QString name rw nameChanged(),"
                       "QString version rw versionChanged(),QString size rw sizeChanged(),"
                       "QString updatetime rw updatetimeChanged(),QVariantList piclist rw piclistChanged(),"
                       "QString summary rw summaryChanged(),bool picexist rw picexistChanged()") << "" << false;
        QTest::newRow("IconModel") << Factory(make<IconModel>)
            << strings("QString icon r iconChanged(),QString apppath r apppathChanged()") << "" << false;
    }

    // Each writable property is set and read back; only some classes notify.
    void qmlSeesTheirPropertiesAndSignals()
    {
        QFETCH(Factory, make);
        QFETCH(QStringList, properties);
        QFETCH(QString, extraSignal);
        QFETCH(bool, notifies);
        const std::unique_ptr<QObject> element(make());
        const QMetaObject *meta = element->metaObject();
        QCOMPARE(meta->className(), QTest::currentDataTag());
        QStringList seenProperties, seenSignals, notifiers;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            if (meta->method(i).methodType() == QMetaMethod::Signal)
                seenSignals << QString::fromLatin1(meta->method(i).methodSignature());
        }
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            seenProperties << QStringLiteral("%1 %2 %3 %4")
                                  .arg(QLatin1String(property.typeName()), QLatin1String(property.name()),
                                       QLatin1String(property.isWritable() ? "rw" : "r"),
                                       QString::fromLatin1(property.notifySignal().methodSignature()));
            notifiers << QString::fromLatin1(property.notifySignal().methodSignature());
            if (!property.isWritable())
                continue;
            QSignalSpy changed(element.get(), property.notifySignal());
            const int type = property.userType();
            const QVariant value = type == QMetaType::QString ? QVariant(QStringLiteral("x"))
                : type == QMetaType::Int                      ? QVariant(7)
                : type == QMetaType::Bool                     ? QVariant(true)
                                                              : QVariant(QVariantList{1});
            QVERIFY(property.write(element.get(), value));
            QCOMPARE(property.read(element.get()), value);
            QCOMPARE(changed.count(), notifies ? 1 : 0);
        }
        QCOMPARE(seenProperties, properties);
        if (!extraSignal.isEmpty())
            notifiers << extraSignal;
        QCOMPARE(seenSignals, notifiers);
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
