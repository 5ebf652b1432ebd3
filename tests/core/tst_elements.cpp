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

namespace {

// "type name access notifier" for each property of the class itself.
QStringList properties(const QMetaObject &meta)
{
    QStringList list;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        const QMetaProperty property = meta.property(i);
        list << QStringLiteral("%1 %2 %3 %4")
                    .arg(QLatin1String(property.typeName()), QLatin1String(property.name()),
                         QLatin1String(property.isWritable() ? "rw" : "r"),
                         QString::fromLatin1(property.notifySignal().methodSignature()));
    }
    return list;
}

QStringList signalsOf(const QMetaObject &meta)
{
    QStringList list;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            list << QString::fromLatin1(meta.method(i).methodSignature());
    }
    return list;
}

// A new element of the class named `name`.
QObject *newElement(const QString &name)
{
    if (name == QLatin1String("ConfigModel"))
        return new ConfigModel;
    if (name == QLatin1String("UserInfo"))
        return new UserInfo;
    if (name == QLatin1String("UserTaxInfo"))
        return new UserTaxInfo;
    if (name == QLatin1String("PosterModel"))
        return new PosterModel;
    if (name == QLatin1String("DownloadFileModel"))
        return new DownloadFileModel;
    if (name == QLatin1String("SoftwareInfo"))
        return new SoftwareInfo;
    if (name == QLatin1String("IconModel"))
        return new IconModel;
    return nullptr;
}

QStringList strings(const QString &text)
{
    return text.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace

// The element classes handed to QML: the names, types and signals the
// interface reads, and whether their setters notify.
class ElementsTest : public QObject
{
    Q_OBJECT

private slots:
    void qmlSeesTheirPropertiesAndSignals_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QStringList>("properties");
        QTest::addColumn<QStringList>("signalList");
        QTest::newRow("ConfigModel") << "ConfigModel"
            << strings("QString name rw nameChanged(),QString path rw pathChanged(),QString icon rw iconChanged(),"
                       "int orderNumber rw orderNumberChanged()")
            << strings("nameChanged(),pathChanged(),iconChanged(),orderNumberChanged(),typeChanged()");
        QTest::newRow("UserInfo") << "UserInfo"
            << strings("QString username rw usernameChanged(),QString pwd rw pwdChanged(),"
                       "QString autologin rw autologinChanged()")
            << strings("usernameChanged(),pwdChanged(),autologinChanged()");
        QTest::newRow("UserTaxInfo") << "UserTaxInfo"
            << strings("QString taxcode rw taxcodeChanged(),QString taxname rw taxnameChanged(),"
                       "QString phone rw phoneChanged(),QString url rw urlChanged()")
            << strings("taxcodeChanged(),taxnameChanged(),phoneChanged(),urlChanged()");
        QTest::newRow("PosterModel") << "PosterModel"
            << strings("int id rw idChanged(),QString title rw titleChanged(),QString url rw urlChanged(),"
                       "QString summary rw summaryChanged(),QString content rw contentChanged()")
            << strings("idChanged(),titleChanged(),urlChanged(),summaryChanged(),contentChanged()");
        QTest::newRow("DownloadFileModel") << "DownloadFileModel"
            << strings("QString id rw idChanged(),QString title rw titileChanged(),QString shortitle rw shortitleChanged(),"
                       "QString summary rw summaryChanged(),QString uplodeimg rw uplodeimgChanged(),"
                       "QString uplodesoft rw uplodesoftChanged(),QString softsize rw softsizeChanged(),"
                       "QString url rw urlChanged(),QString filename rw filenameChanged()")
            << strings("idChanged(),titileChanged(),shortitleChanged(),summaryChanged(),uplodeimgChanged(),"
                       "uplodesoftChanged(),softsizeChanged(),urlChanged(),filenameChanged()");
        QTest::newRow("SoftwareInfo") << "SoftwareInfo"
            << strings("QString id rw idChanged(),QString icon rw iconChanged(),QString name rw nameChanged(),"
                       "QString version rw versionChanged(),QString size rw sizeChanged(),"
                       "QString updatetime rw updatetimeChanged(),QVariantList piclist rw piclistChanged(),"
                       "QString summary rw summaryChanged(),bool picexist rw picexistChanged()")
            << strings("idChanged(),iconChanged(),nameChanged(),versionChanged(),sizeChanged(),updatetimeChanged(),"
                       "piclistChanged(),summaryChanged(),picexistChanged()");
        QTest::newRow("IconModel") << "IconModel"
            << strings("QString icon r iconChanged(),QString apppath r apppathChanged()")
            << strings("iconChanged(),apppathChanged()");
    }

    void qmlSeesTheirPropertiesAndSignals()
    {
        QFETCH(QString, className);
        QFETCH(QStringList, properties);
        QFETCH(QStringList, signalList);
        const std::unique_ptr<QObject> element(newElement(className));
        QVERIFY(element);
        QCOMPARE(QLatin1String(element->metaObject()->className()), className);
        QCOMPARE(::properties(*element->metaObject()), properties);
        QCOMPARE(signalsOf(*element->metaObject()), signalList);
    }

    void settersNotifyOrNotAsBefore_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<bool>("notifies");
        QTest::newRow("ConfigModel") << "ConfigModel" << true;
        QTest::newRow("UserInfo") << "UserInfo" << true;
        QTest::newRow("PosterModel") << "PosterModel" << true;
        QTest::newRow("UserTaxInfo") << "UserTaxInfo" << false;
        QTest::newRow("DownloadFileModel") << "DownloadFileModel" << false;
        QTest::newRow("SoftwareInfo") << "SoftwareInfo" << false;
    }

    void settersNotifyOrNotAsBefore()
    {
        QFETCH(QString, className);
        QFETCH(bool, notifies);
        const std::unique_ptr<QObject> element(newElement(className));
        QVERIFY(element);
        const QMetaObject *meta = element->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            QSignalSpy changed(element.get(), property.notifySignal());
            const QVariant value = property.userType() == QMetaType::QString ? QVariant(QStringLiteral("x"))
                : property.userType() == QMetaType::Int                       ? QVariant(7)
                : property.userType() == QMetaType::Bool                      ? QVariant(true)
                                                                              : QVariant(QVariantList{1});
            QVERIFY(property.write(element.get(), value));
            QCOMPARE(property.read(element.get()), value);
            QCOMPARE(changed.count(), notifies ? 1 : 0);
        }
    }
};

QTEST_GUILESS_MAIN(ElementsTest)
#include "tst_elements.moc"
