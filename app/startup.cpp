#include "app/startup.h"

#include "core/deployment.h"
#include "core/logfunction.h"
#include "core/memorytrim.h"
#include "core/replyreader.h"
#include "core/trace.h"
#include "core/urlpolicy.h"
#include "core/versioninfo.h"
#include "services/versionupdate.h"
#include "database/datebasefunction.h"
#include "services/configfunction.h"
#include "services/mainfunction.h"
#include "services/posterfunction.h"
#include "services/usertaxinfo.h"
#include "services/vantafunction.h"
#include "browser/webbrowerfunction.h"
#include "desktop/accessibleitem.h"
#include "desktop/windowhints.h"
#include "desktop/windowraiser.h"
#include "desktop/clipboard.h"
#include "desktop/dpi.h"
#include "desktop/iconextractfunction.h"
#include "desktop/myaction.h"
#include "desktop/mymenu.h"
#include "desktop/remoteimageprovider.h"
#include "desktop/myseparator.h"
#include "desktop/opaquewindows.h"
#include "desktop/systemfunction.h"
#include "desktop/systemtrayicon.h"
#include "download/downloadfunction.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QtQml>

#include <limits>

namespace {

template<typename T>
void registerFunction(const char *name)
{
    qmlRegisterType<T>((QByteArray("Function.") + name).constData(), 1, 0, name);
}

} // namespace

void PublishPalette(QQmlContext &context)
{
    context.setContextProperty(QStringLiteral("$domainName"), Deployment::platformUrl());
    context.setContextProperty(QStringLiteral("$dpi"), 1);
    context.setContextProperty(QStringLiteral("$mainTone"), QStringLiteral("#2978e1"));
    context.setContextProperty(QStringLiteral("$titleColorUp"), QStringLiteral("#0d97f7"));
    context.setContextProperty(QStringLiteral("$titleColorDown"), QStringLiteral("#1b6fdf"));
    context.setContextProperty(QStringLiteral("$underTone"), QStringLiteral("#1170e6"));
    context.setContextProperty(QStringLiteral("$fontColor3"), QStringLiteral("#333333"));
    context.setContextProperty(QStringLiteral("$fontColor6"), QStringLiteral("#666666"));
    context.setContextProperty(QStringLiteral("$fontTipColor"), QStringLiteral("#a9a9a9"));
    context.setContextProperty(QStringLiteral("$lineColor"), QStringLiteral("#d9dde5"));
    context.setContextProperty(QStringLiteral("$lineRectColor"), QStringLiteral("#dadada"));
    context.setContextProperty(QStringLiteral("$btnColor"), QStringLiteral("#daebff"));
    // What every document asks before it loads or opens an address.
    static UrlPolicy urlPolicy;
    context.setContextProperty(QStringLiteral("urlPolicy"), &urlPolicy);
    // The images the platform names, bounded (RemoteImage.qml).
    QQmlEngine *engine = context.engine();
    if (engine && !engine->imageProvider(QStringLiteral("remote")))
        engine->addImageProvider(QStringLiteral("remote"), new RemoteImageProvider);
}

void PrepareProcess()
{
    MemoryTrim::limitArenas();
    // Qt's bearer thread would otherwise ask the system for its network
    // configurations every 10 s, all day; nothing here reads them. A user's
    // own setting is kept.
    if (!qEnvironmentVariableIsSet("QT_BEARER_POLL_TIMEOUT"))
        qputenv("QT_BEARER_POLL_TIMEOUT", QByteArray::number(std::numeric_limits<int>::max()));
    // The web engine builds a page's accessibility tree (headings, links,
    // buttons) only where this is set, and then only while a screen reader
    // is listening: without it a web page is one empty document to a reader.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}

void RegisterTypeToQml()
{
    const QString label = QStringLiteral("RegisterTypeToQml");
    Trace::begin(label);
    registerFunction<MainFunction>("MainFunction");
    registerFunction<ConfigFunction>("ConfigFunction");
    registerFunction<DatebaseFunction>("DatebaseFunction");
    registerFunction<LogFunction>("LogFunction");
    registerFunction<VersionInfo>("VersionInfo");
    registerFunction<VantaFunction>("VantaFunction");
    registerFunction<WebBrowerFunction>("WebBrowerFunction");
    registerFunction<Dpi>("Dpi");
    registerFunction<PosterFunction>("PosterFunction");
    registerFunction<DownloadFunction>("DownloadFunction");
    registerFunction<IconExtractFunction>("IconExtractFunction");
    registerFunction<SystemFunction>("SystemFunction");
    qmlRegisterType<MyMenu>("an.utility", 1, 0, "MyMenu");
    qmlRegisterType<MyAction>("an.utility", 1, 0, "MyAction");
    qmlRegisterType<MySeparator>("an.utility", 1, 0, "MySeparator");
    qmlRegisterType<SystemTrayIcon>("an.utility", 1, 0, "SystemTrayIcon");
    qmlRegisterType<Clipboard>("Clipboard", 1, 0, "Clipboard");
    qRegisterMetaType<UserTaxInfo *>("UserTaxInfo*");
    AccessibleItem::install();
    Trace::end(label);
}

void RegisterEngine(QQmlApplicationEngine &engine)
{
    const QString label = QStringLiteral("RegisterEngine");
    Trace::begin(label);
    QQmlContext &context = *engine.rootContext();
    // The windows the engine makes give their memory back once closed.
    MemoryTrim::install();
    // Icon, taskbar and size hints of every window.
    WindowHints::install();

    auto *datebaseFunction = new DatebaseFunction;
    context.setContextProperty(QStringLiteral("datebaseFunction"), datebaseFunction);
    datebaseFunction->createSqlite();
    reconcileVersionOnOpen(*datebaseFunction);

    context.setContextProperty(QStringLiteral("versionInfo"), new VersionInfo);
    reconcileVersionWithProgram(*datebaseFunction);

    context.setContextProperty(QStringLiteral("mainFunction"), new MainFunction);
    context.setContextProperty(QStringLiteral("configFucntion"), new ConfigFunction);
    ConfigFunction::protectInterfaceSettings();
    ConfigFunction::movePasswordToKeyring();
    context.setContextProperty(QStringLiteral("vantaFunction"), new VantaFunction);
    context.setContextProperty(QStringLiteral("dpi"), new Dpi);
    auto *logFunction = new LogFunction;
    context.setContextProperty(QStringLiteral("logFunction"), logFunction);

    PublishPalette(context);

    sendStartupUsageReport(*logFunction);

    context.setContextProperty(QStringLiteral("webBrowerFunction"), new WebBrowerFunction);
    context.setContextProperty(QStringLiteral("posterFunction"), new PosterFunction);
    context.setContextProperty(QStringLiteral("downloadFunction"), new DownloadFunction);

    Trace::end(label);

    context.setContextProperty(QStringLiteral("iconExtractFunction"), new IconExtractFunction);
    context.setContextProperty(QStringLiteral("systemFunction"), new SystemFunction);
    OpaqueWindows::install();
}

void CheckForUpdateBesideTheWindow(const QByteArray &launch)
{
    if (!updateCheckPossible())
        return;
    auto *manager = new QNetworkAccessManager(qApp);
    QNetworkReply *reply = manager->get(QNetworkRequest(QUrl(updateFileUrl())));
    ReplyReader::readWholeLater(reply, updateCheckLimitMs(), [manager, launch](bool whole, const QByteArray &updateFile) {
        manager->deleteLater();
        if (!whole) {
            qInfo().noquote() << QStringLiteral("no whole answer from the update server: no update");
            return;
        }
        if (handOverForUpdateFile(updateFile)) {
            qInfo().noquote() << QStringLiteral("a newer version takes over: the program ends");
            // However far the window got, the launcher stops showing a start.
            WindowRaiser::completeStartup(launch);
            QCoreApplication::exit(0);
        }
    });
}
