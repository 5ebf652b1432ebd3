#include "database/configmodel.h"
#include "database/userinfo.h"
#include "desktop/iconmodel.h"
#include "download/downloadfilemodel.h"
#include "download/softwareinfo.h"
#include "services/postermodel.h"
#include "services/usertaxinfo.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QtTest>

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

// The element classes handed to QML: the names, types and signals the
// interface reads, and whether their setters notify.
class ElementsTest : public QObject
{
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(ElementsTest)
#include "tst_elements.moc"
