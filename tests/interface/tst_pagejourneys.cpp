#include "plitinterface.h"
#include "modalanswerer.h"
#include "urlcatcher.h"
#include "services/mainfunction.h"

#include <QAccessible>
#include <QImage>
#include <QScopeGuard>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonObject>
#include <QJSValue>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QQuickItem>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>
#include <QtTest>

namespace {

using P = PlitInterface;
// The one company of invoiceForOneCompany(), and its invoicing window's title.
const QString kOneCode = QStringLiteral("913301067788990011");
const QString kOneCompany = QStringLiteral("杭州一禾文具有限公司");
const QString kOneTitle = kOneCompany + QLatin1Char(' ') + kOneCode;

// The names of the tiles (the items that show a catalogue entry) on the
// window, in the order they are drawn.
QStringList tileNames(QQuickWindow *window)
{
    QStringList names;
    for (QQuickItem *item : P::shownItems(window)) {
        if (item->metaObject()->indexOfProperty("entry") >= 0)
            names << P::accessibleName(item);
    }
    return names;
}

} // namespace

// What a person does with the home page, the recommended applications, the
// company selection and the invoicing windows, against the stand-in
// platform: clicks, keys and what shows.
class PageJourneyTest : public PlitJourney
{
    Q_OBJECT

private:
    void installPrintHelper()
    {
        ui->installPrintHelper();
        QVERIFY(ui->start());
    }

    void signIn(const QString &phone)
    {
        QVERIFY(P::signIn(phone));
        QVERIFY(P::find(phone, ui->mainWindow()));
    }

    QQuickWindow *openSelection()
    {
        if (!ui->clickTile(QStringLiteral("我要开票")) || !P::waitForWindow(QStringLiteral("选择税号")))
            return nullptr;
        return P::window(QStringLiteral("选择税号"));
    }

    // Chooses a company in the selection; its invoicing window once its page
    // has loaded.
    QQuickWindow *openCompany(const QString &name, const QString &code)
    {
        const QString title = name + QLatin1Char(' ') + code;
        if (!P::click(title) || !P::waitForWindow(title))
            return nullptr;
        QQuickWindow *window = P::window(title);
        return P::waitForWebPages(window) ? window : nullptr;
    }

    static QStringList companyNames(QQuickWindow *selection)
    {
        QVariant model = selection->property("vantamodel");
        if (model.canConvert<QJSValue>())
            model = model.value<QJSValue>().toVariant();
        QStringList names;
        for (const QVariant &company : model.toList())
            names << company.value<QObject *>()->property("taxname").toString();
        return names;
    }

    // The selection shows page `page` of `pages`, starting with the company
    // `first`, its buttons leading only to pages there are.
    void pageShown(QQuickWindow *selection, int page, int pages, const QString &first)
    {
        QTRY_VERIFY(P::find(QStringLiteral("%1 / %2").arg(page).arg(pages), selection));
        QTRY_COMPARE(companyNames(selection).value(0), first);
        QCOMPARE(P::find(QStringLiteral("上一页"), selection)->isEnabled(), page > 1);
        QCOMPARE(P::find(QStringLiteral("下一页"), selection)->isEnabled(), page < pages);
    }

    void searchFor(const QString &text)
    {
        QVERIFY(P::type(QStringLiteral("请输入税号或者名称进行查询"), text));
        QVERIFY(P::click(QStringLiteral("搜索")));
    }

    // With the print helper, signs in with one company, the platform
    // answering with that company at `url` (its invoicing page when empty)
    // under the name `name`, and clicks "我要开票".
    void invoiceForOneCompany(QString url = {}, const QString &name = kOneCompany)
    {
        installPrintHelper();
        if (url.isEmpty())
            url = ui->server().baseUrl() + QStringLiteral("/invoice/?tax_code=") + kOneCode;
        const QJsonObject company{{"tax_code", kOneCode}, {"tax_name", name},
                                  {"phone", "13800000003"}, {"url", url}};
        ui->server().script(QStringLiteral("/api/platApi/passlog_on"),
                            QJsonObject{{"json", QJsonObject{
                                {"states", true}, {"msg", "登录成功"}, {"status", 2},
                                {"nndata", QJsonObject{{"data", QJsonArray{company}}, {"page_count", 1}}}}},
                                        {"times", 0}});
        signIn(QStringLiteral("13800000003"));
        QVERIFY(ui->clickTile(QStringLiteral("我要开票")));
    }

    void expectWarning(const QString &text)
    {
        QVERIFY2(P::waitForWarning(text), qPrintable(text));
        QVERIFY(P::click(QStringLiteral("确定")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("Plit提示")));
    }

private slots:
    void initTestCase()
    {
        // Qt's own file dialog, which a test can answer.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void homePageShowsTheTilesOfAFreshCatalogueAndTheNews()
    {
        QQuickWindow *main = ui->mainWindow();
        QCOMPARE(tileNames(main), QStringList({"我要开票", "智能客服", "更多"}));
        QCOMPARE(P::accessibleRole(P::findAll(QStringLiteral("我要开票"), main).last()), int(QAccessible::Button));

        // Two company news and three industry news, as the platform was asked.
        const QStringList news = {"Plit云台2.0正式发布", "公司荣获年度优秀服务商", "关于小规模纳税人增值税减免政策的公告",
                                  "全面数字化电子发票推广应用", "个人所得税汇算清缴即将开始"};
        for (const QString &title : news) {
            QQuickItem *row = P::find(title, main);
            QVERIFY2(row, qPrintable(title));
            QCOMPARE(P::accessibleRole(row), int(QAccessible::Link));
        }
        QVERIFY(!P::find(QStringLiteral("客服热线服务时间调整"), main));
        QVERIFY(P::find(QStringLiteral("> 公司新闻"), main));
        QVERIFY(P::find(QStringLiteral("> 行业动态"), main));

        // Under the pointer a long title shows whole; a click opens the article
        // in the system's browser.
        QQuickItem *longTitle = P::find(news[2], main);
        // The pointer comes from elsewhere on the window (a move to where it
        // already is enters nothing), again while the busy page lets it pass.
        QTRY_VERIFY([&] {
            QTest::mouseMove(main, QPoint(main->width() / 2, main->height() / 2));
            QTest::mouseMove(main, longTitle->mapToScene(QPointF(20, 10)).toPoint());
            return longTitle->property("hovered").toBool();
        }());
        QTRY_VERIFY(P::findAll(news[2], main).size() == 2);
        UrlCatcher catcher(QStringLiteral("http"));
        P::click(longTitle);
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(ui->server().baseUrl() + QStringLiteral("/article/104.html"))});

        QVERIFY(P::click(QStringLiteral("新闻公告")));
        QVERIFY(P::waitForWebPages(main));
        QQuickItem *view = P::webViews(main).first();
        QCOMPARE(view->property("url").toUrl(), QUrl(ui->server().baseUrl() + QStringLiteral("/api/ArticleApi/mini")));
        QCOMPARE(view->property("title").toString(), QStringLiteral("财税资讯"));
        QTRY_VERIFY(ui->logText().contains(QStringLiteral("Tax webviewurl: ") + ui->server().baseUrl()));
    }

    void moreOpensTheRecommendedApplicationsOnMyApps()
    {
        QQuickWindow *main = ui->mainWindow();
        QVERIFY(ui->clickTile(QStringLiteral("更多")));
        QTRY_COMPARE(tileNames(main), QStringList({"智能客服", "我要开票", "更多"}));
        const auto checked = [&](const QString &name) {
            QAccessibleInterface *item = QAccessible::queryAccessibleInterface(P::find(name, main));
            return item && item->state().checked;
        };
        QVERIFY(checked(QStringLiteral("推荐应用")));
        QVERIFY(checked(QStringLiteral("我的应用")));
        QCOMPARE(P::accessibleRole(P::find(QStringLiteral("我的应用"), main)), int(QAccessible::PageTab));

        QVERIFY(P::click(QStringLiteral("热门应用")));
        QTRY_COMPARE(tileNames(main), QStringList({"开票软件", "Ressa", "UKEY开票", "财税助手", "打印助手"}));
        QVERIFY(checked(QStringLiteral("热门应用")));
        QVERIFY(!checked(QStringLiteral("我的应用")));

        // The download centre's tab shows software, no tiles.
        QVERIFY(P::click(QStringLiteral("下载中心")));
        QTRY_VERIFY(tileNames(main).isEmpty());
        QVERIFY(P::pressAccessibly(QStringLiteral("我的应用")));
        QTRY_COMPARE(tileNames(main).size(), 3);

        // A configured program has a tile on the home page that starts it,
        // and is one of "我的应用", no longer of "热门应用".
        ui->installProgram(QStringLiteral("开票软件"), QStringLiteral("invoice/开票软件"));
        QVERIFY(ui->start());
        main = ui->mainWindow();
        QCOMPARE(tileNames(main), QStringList({"开票软件", "我要开票", "智能客服", "更多"}));
        QVERIFY(ui->clickTile(QStringLiteral("开票软件")));
        QTRY_VERIFY(ui->programStarted(QStringLiteral("invoice/开票软件")));
        QVERIFY(P::click(QStringLiteral("推荐应用")));
        QTRY_VERIFY(tileNames(main).contains(QStringLiteral("开票软件")));
        QVERIFY(P::click(QStringLiteral("热门应用")));
        QTRY_COMPARE(tileNames(main), QStringList({"Ressa", "UKEY开票", "财税助手", "打印助手"}));
    }

    // A fresh machine has no print helper: the first click on "我要开票"
    // fetches the platform's installer and runs it; once it has ended, the
    // helper it installed is found and the next click, signed out, asks to
    // sign in. The demo account's 23 companies, five a page: the selection
    // pages within its bounds and searches on the platform, and opens at most
    // three invoicing windows.
    void invoicingWindowsOfTheDemoAccountAtMostThreeAtATime()
    {
        QVERIFY(ui->clickTile(QStringLiteral("我要开票")));
        // Said at once, with the download's progress (a value to a reader).
        QQuickWindow *notice = P::waitForWarning(QStringLiteral("正在下载打印助手，请稍候……"));
        QVERIFY(notice);
        QAccessibleValueInterface *progress = nullptr;
        for (QQuickItem *item : P::shownItems(notice)) {
            if (P::accessibleRole(item) == QAccessible::ProgressBar)
                progress = QAccessible::queryAccessibleInterface(item)->valueInterface();
        }
        QVERIFY(progress && progress->maximumValue().toReal() == 1.0);
        QTRY_VERIFY_WITH_TIMEOUT(progress->currentValue().toReal() > 0, 15000);
        expectWarning(QStringLiteral("打印助手已下载，正在启动安装。"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ui->dataPath(QStringLiteral("prnhelp.exe.started"))), 15000);
        QTRY_VERIFY(MainFunction::launchPaths.contains(QStringLiteral("打印助手")));
        QVERIFY(!P::window(QStringLiteral("选择税号")));
        QVERIFY(ui->clickTile(QStringLiteral("我要开票")));
        QVERIFY(P::waitForWindow(QStringLiteral("登录")));
        QVERIFY(!P::window(QStringLiteral("选择税号")));
        QVERIFY(ui->server().requests("/api/platapi/getTaxPage").isEmpty());
        P::press(Qt::Key_Escape);
        QVERIFY(P::waitForWindowGone(QStringLiteral("登录")));
        signIn(kDemoPhone);

        QQuickWindow *selection = openSelection();
        QVERIFY(selection);
        QCOMPARE(ui->server().requests("/prnhelp.exe").size(), 1);
        QVERIFY(P::find(QStringLiteral("Plit云台·选择企业"), selection));
        QCOMPARE(P::accessibleRole(P::find(QStringLiteral("北京恒达商贸有限公司 911100000007000000"), selection)),
                 int(QAccessible::ListItem));
        pageShown(selection, 1, 5, QStringLiteral("北京恒达商贸有限公司"));
        QCOMPARE(companyNames(selection).size(), 5);
        QVERIFY(P::click(QStringLiteral("上一页")));
        pageShown(selection, 1, 5, QStringLiteral("北京恒达商贸有限公司"));
        QVERIFY(P::click(QStringLiteral("下一页")));
        pageShown(selection, 2, 5, QStringLiteral("南京博远咨询有限公司"));
        QCOMPARE(ui->server().requests("/api/platapi/getTaxPage").last()["form"]["page"].toString(),
                 QStringLiteral("2"));
        for (int page = 3; page <= 5; ++page) {
            QVERIFY(P::click(QStringLiteral("下一页")));
            QTRY_VERIFY(P::find(QStringLiteral("%1 / 5").arg(page), selection));
        }
        QVERIFY(P::click(QStringLiteral("下一页")));
        pageShown(selection, 5, 5, QStringLiteral("西安华信食品有限公司"));
        QCOMPARE(companyNames(selection).size(), 3);
        QVERIFY(P::click(QStringLiteral("上一页")));
        pageShown(selection, 4, 5, QStringLiteral("深圳顺安建材有限公司"));

        // A search of one page, one without a match, and an empty one that
        // goes back to the companies of the sign-in.
        searchFor(QStringLiteral("恒达"));
        pageShown(selection, 1, 1, QStringLiteral("北京恒达商贸有限公司"));
        QCOMPARE(companyNames(selection), QStringList({"北京恒达商贸有限公司", "成都恒达印务有限公司",
                                                       "北京恒达科技有限公司", "成都恒达电子有限公司"}));
        QCOMPARE(ui->server().requests("/api/platapi/getTaxPage").last()["form"]["key"].toString(),
                 QStringLiteral("恒达"));
        searchFor(QStringLiteral("没有这家公司"));
        QTRY_VERIFY(P::find(QStringLiteral("没有可打开的企业"), selection));
        QVERIFY(companyNames(selection).isEmpty());
        QVERIFY(!P::find(QStringLiteral("上一页"), selection)->isEnabled());
        QVERIFY(!P::find(QStringLiteral("下一页"), selection)->isEnabled());
        searchFor(QString());
        pageShown(selection, 1, 5, QStringLiteral("北京恒达商贸有限公司"));

        // A company chosen opens its invoicing service, named in the title.
        QQuickWindow *first = openCompany(QStringLiteral("北京恒达商贸有限公司"), QStringLiteral("911100000007000000"));
        QVERIFY(first);
        QVERIFY(!P::window(QStringLiteral("选择税号")));
        QVERIFY(P::webViews(first).first()->property("title").toString().contains(QStringLiteral("北京恒达商贸有限公司")));

        // Two more, by way of the selection, which no longer offers the first.
        selection = openSelection();
        QVERIFY(selection);
        QVERIFY(!P::find(QStringLiteral("北京恒达商贸有限公司 911100000007000000"), selection));
        QQuickWindow *second = openCompany(QStringLiteral("上海鑫源科技有限公司"), QStringLiteral("911101000007000137"));
        QVERIFY(second);
        QVERIFY(openSelection());
        QQuickWindow *third = openCompany(QStringLiteral("广州华信餐饮有限公司"), QStringLiteral("911102000007000274"));
        QVERIFY(third);

        // Each window keeps the site's session cookie in a persistent profile
        // of its own, named after the tax code: reloaded, the site tells each
        // one its own company again.
        const QList<QPair<QQuickWindow *, QString>> sessions{{first, QStringLiteral("911100000007000000")},
                                                             {second, QStringLiteral("911101000007000137")}};
        for (const auto &[window, code] : sessions) {
            QQuickItem *view = P::webViews(window).first();
            QObject *profile = view->property("profile").value<QObject *>();
            QCOMPARE(profile->property("storageName").toString(), QStringLiteral("company-") + code);
            QVERIFY(!profile->property("offTheRecord").toBool());
            QMetaObject::invokeMethod(view, "reload");
            const QString session = QStringLiteral("会话 ") + code;
            QTRY_VERIFY2_WITH_TIMEOUT(view->property("title").toString().endsWith(session),
                                      qPrintable(view->property("title").toString()), 30000);
        }
        // A closed window takes its company's profile with it.
        const auto profileOf = [](QQuickWindow *window) {
            return QPointer<QObject>(P::webViews(window).first()->property("profile").value<QObject *>());
        };
        const QPointer<QObject> firstProfile = profileOf(first), thirdProfile = profileOf(third);

        // The site's "开具发票" opens a new window; the form shows in this one.
        // (The notices may pop up meanwhile, five seconds after the start.)
        const auto shownWindows = [] {
            QStringList titles;
            for (QQuickWindow *shown : P::windows()) {
                if (shown->title() != QStringLiteral("Plit通知"))
                    titles << shown->title();
            }
            return titles;
        };
        const QStringList before = shownWindows();
        QQuickItem *view = P::webViews(first).first();
        QVERIFY(QMetaObject::invokeMethod(view, "runJavaScript",
                                          Q_ARG(QString, QStringLiteral("document.getElementById('issue').click()"))));
        QTRY_VERIFY_WITH_TIMEOUT(view->property("url").toUrl().path() == QStringLiteral("/invoice/issue"), 30000);
        QVERIFY(P::waitForWebPages(first));
        QCOMPARE(view->property("title").toString(), QStringLiteral("开具发票"));
        QCOMPARE(shownWindows(), before);

        // A fourth is refused, and no window opens for it.
        QVERIFY(openSelection());
        QVERIFY(P::click(QStringLiteral("深圳顺安物流有限公司 911103000007000411")));
        expectWarning(QStringLiteral("我要开票最多同时只能打开3个!"));
        QVERIFY(!P::window(QStringLiteral("深圳顺安物流有限公司 911103000007000411")));
        P::press(Qt::Key_Escape);
        QVERIFY(P::waitForWindowGone(QStringLiteral("选择税号")));

        // Its close button gives the first company back: the fourth opens now.
        P::click(P::find(QStringLiteral("关闭"), first));
        QVERIFY(P::waitForWindowGone(QStringLiteral("北京恒达商贸有限公司 911100000007000000")));
        QTRY_VERIFY_WITH_TIMEOUT(firstProfile.isNull(), 15000);
        selection = openSelection();
        QVERIFY(selection);
        QVERIFY(P::find(QStringLiteral("北京恒达商贸有限公司 911100000007000000"), selection));
        QVERIFY(openCompany(QStringLiteral("深圳顺安物流有限公司"), QStringLiteral("911103000007000411")));

        // Closed by the window manager, a window gives its company back as
        // well. Opened again before its profile has gone, the company's
        // window takes that same profile, never a second one over its folder.
        third->close();
        QVERIFY(P::waitForWindowGone(QStringLiteral("广州华信餐饮有限公司 911102000007000274")));
        QVERIFY(openSelection());
        QQuickWindow *again = openCompany(QStringLiteral("广州华信餐饮有限公司"), QStringLiteral("911102000007000274"));
        QVERIFY(again && thirdProfile);
        QCOMPARE(profileOf(again).data(), thirdProfile.data());
    }

    // A page turn or a search in the selection waits for a platform that
    // does not answer; the person gives up with Escape, or closes the window
    // as the window manager does. The wait ends at once as a failed request,
    // and the program goes on: the selection stays (Escape) or closes after.
    void waitingSelectionIsGivenUp_data()
    {
        QTest::addColumn<bool>("search");
        QTest::addColumn<bool>("close");
        QTest::newRow("page turn, Escape") << false << false;
        QTest::newRow("search, Escape") << true << false;
        QTest::newRow("page turn, closed") << false << true;
    }

    void waitingSelectionIsGivenUp()
    {
        QFETCH(bool, search);
        QFETCH(bool, close);
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "60000");
        installPrintHelper();
        signIn(kDemoPhone);
        QPointer<QQuickWindow> selection = openSelection();
        QVERIFY(selection);
        ui->server().script("/api/platapi/getTaxPage", {{"hang", true}, {"times", 0}});
        QTimer::singleShot(500, [&] {
            if (close)
                selection->close();
            else
                P::press(Qt::Key_Escape);
        });
        QElapsedTimer clock;
        clock.start();
        if (search) {
            QVERIFY(P::type(QStringLiteral("请输入税号或者名称进行查询"), QStringLiteral("恒达")));
            P::press(Qt::Key_Return);
        } else {
            QVERIFY(P::click(QStringLiteral("下一页")));
        }
        QVERIFY(clock.elapsed() < 30000);
        QCOMPARE(ui->server().requests("/api/platapi/getTaxPage").size(), 1);
        if (close) {
            QVERIFY(P::waitForWindowGone(QStringLiteral("选择税号")));
        } else {
            QVERIFY(selection && selection->isVisible());
            QVERIFY(P::waitFor(QStringLiteral("没有可打开的企业")));
            P::press(Qt::Key_Escape);
            QVERIFY(P::waitForWindowGone(QStringLiteral("选择税号")));
        }
        ui->server().unscript();
        QVERIFY(openSelection());
    }

    // The company's name is the platform's text: shown as written in the
    // title, its image never fetched.
    void singleCompanyOpensAtOnceAndOnlyOnce()
    {
        const QString name = QStringLiteral("<img src=\"%1/beacon.png\"><b>一禾</b>").arg(ui->server().baseUrl());
        invoiceForOneCompany({}, name);
        const QString title = name + QLatin1Char(' ') + kOneCode;
        QVERIFY(P::waitForWindow(title));
        QVERIFY(P::find(title, P::window(title)));
        QVERIFY(!P::window(QStringLiteral("选择税号")));
        QVERIFY(P::waitForWebPages(P::window(title)));
        QVERIFY(ui->server().requests(QStringLiteral("/beacon.png")).isEmpty());

        // Open already: the tile says so.
        QVERIFY(ui->clickTile(QStringLiteral("我要开票")));
        expectWarning(QStringLiteral("您已经打开了我要开票!"));
        QCOMPARE(P::windows().size(), 2);

        // Signing out closes the account's invoicing window; signed in
        // again, it opens again.
        QVERIFY(P::click(QStringLiteral("退出")));
        QVERIFY(P::waitForWindowGone(title));
        signIn(QStringLiteral("13800000003"));
        QVERIFY(ui->clickTile(QStringLiteral("我要开票")));
        QVERIFY(P::waitForWindow(title));
    }

    void programOfOnesOwnJoinsMyApps()
    {
        const QString program = ui->installProgram(QStringLiteral("unrelated"), QStringLiteral("tools/票据助手"));
        QQuickWindow *main = ui->mainWindow();
        // "推荐应用" seen once; the program is added by way of the home page's
        // "更多", which shows the page a second time.
        QVERIFY(P::click(QStringLiteral("推荐应用")));
        QVERIFY(P::click(QStringLiteral("Plit首页")));
        QVERIFY(ui->clickTile(QStringLiteral("更多")));
        QTRY_VERIFY(tileNames(main).contains(QStringLiteral("智能客服")));
        QVERIFY(ui->clickTile(QStringLiteral("更多")));
        QVERIFY(P::waitForWindow(QStringLiteral("添加自定义软件")));
        QVERIFY(P::find(QStringLiteral("Plit云台·添加软件")));

        // A name is needed first; nothing is added without one.
        const auto catalogueRows = [&] {
            return valueInDatabaseFile(ui->dataPath(QStringLiteral("corvane.db")), "SELECT count(*) FROM config").toInt();
        };
        const int rows = catalogueRows();
        QVERIFY(P::click(QStringLiteral("确定")));
        expectWarning(QStringLiteral("请输入软件名称！"));
        QCOMPARE(catalogueRows(), rows);

        // "浏览" offers every file: programs here carry no ".exe".
        ModalAnswerer answerer;
        QStringList filters;
        answerer.expect([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            filters = dialog->nameFilters();
            // Typed into the name field, as selectFile() does not wait for the
            // folder's listing to be read.
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(program);
            ModalAnswerer::press(modal, QDialogButtonBox::Open);
        });
        QVERIFY(P::click(QStringLiteral("浏览")));
        QTRY_COMPARE(answerer.answered(), 1);
        QCOMPARE(filters.first(), QStringLiteral("All files (*)"));
        QVERIFY(filters.contains(QStringLiteral("exe文件 (*.exe)")));
        QTRY_COMPARE(P::find(QStringLiteral("请选择软件程序"))->property("text").toString(), program);

        QVERIFY(P::type(QStringLiteral("请输入软件名称"), QStringLiteral("票据助手")));
        QVERIFY(P::click(QStringLiteral("确定")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("添加自定义软件")));
        QTRY_VERIFY(tileNames(main).contains(QStringLiteral("票据助手")));
        QCOMPARE(catalogueRows(), rows + 1);

        // Its tile shows the saved icon and starts the program.
        QQuickItem *tile = P::findAll(QStringLiteral("票据助手"), main).first();
        const QUrl icon = tile->property("entry").value<QObject *>()->property("icon").toString();
        QVERIFY(icon.isLocalFile());
        QCOMPARE(icon.toLocalFile(), ui->dataPath(QStringLiteral("temp/票据助手.png")));
        QVERIFY(QFile::exists(icon.toLocalFile()));
        P::click(tile);
        QTRY_VERIFY(ui->programStarted(QStringLiteral("tools/票据助手")));
        QVERIFY(P::click(QStringLiteral("推荐应用")));
        QTRY_VERIFY(tileNames(main).contains(QStringLiteral("票据助手")));
        // Not a home-page tile.
        QVERIFY(P::click(QStringLiteral("Plit首页")));
        QTRY_COMPARE(tileNames(main), QStringList({"我要开票", "智能客服", "更多"}));
    }

    // A screen reader reads an invoicing page: its heading, link and
    // button under the web view, the page named by its title.
    void invoicingPageIsReadByScreenReaders()
    {
        invoiceForOneCompany();
        QVERIFY(P::waitForWindow(kOneTitle));
        QQuickWindow *window = P::window(kOneTitle);
        QVERIFY(P::waitForWebPages(window));
        // A screen reader starts listening (the web engine hears it once it
        // runs).
        QAccessible::setActive(true);
        const auto inactive = qScopeGuard([] { QAccessible::setActive(false); });
        QAccessibleInterface *view = QAccessible::queryAccessibleInterface(P::webViews(window).first());
        QVERIFY(view);
        // What the reader finds below the view, once the engine has built it.
        QTRY_VERIFY_WITH_TIMEOUT(P::accessibilityTree(view).contains(QStringLiteral("Button \"刷新状态\"")), 15000);
        const QString tree = P::accessibilityTree(view);
        for (const QString &node : {QStringLiteral("WebDocument \"开票服务 · ") + kOneCompany, QStringLiteral("Heading \"企业信息"),
                                    QStringLiteral("Link \"开具发票")})
            QVERIFY2(tree.contains(node), qPrintable(node));
        P::report(QStringLiteral("the invoicing window as a screen reader reads it"),
                  P::accessibilityTree(QAccessible::queryAccessibleInterface(window)));

        // Ctrl+W closes the window.
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QPointer<QQuickWindow> closing = window;
        P::press(Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY(closing.isNull() || !closing->isVisible());
    }

    // The keys alone through "选择税号": the company rows are items of a
    // list, with a ring that shows on white; Return opens the company, and
    // Escape closes its invoicing window.
    void keyboardAloneChoosesACompany()
    {
        installPrintHelper();
        signIn(kDemoPhone);
        QStringList journey;
        QQuickItem *tile = P::findAll(QStringLiteral("我要开票"), ui->mainWindow()).last();
        tile->forceActiveFocus(Qt::TabFocusReason);
        P::step(Qt::Key_Return, journey);
        QVERIFY(P::waitForWindow(QStringLiteral("选择税号")));
        QQuickWindow *selection = P::window(QStringLiteral("选择税号"));
        QVERIFY(QTest::qWaitForWindowActive(selection));
        QTRY_COMPARE(P::focusedName(), QStringLiteral("请输入税号或者名称进行查询"));
        const QString first = QStringLiteral("北京恒达商贸有限公司 911100000007000000");
        QTRY_VERIFY(P::find(first, selection));
        QVERIFY2(P::accessibilityFaults(selection).isEmpty(), qPrintable(P::accessibilityFaults(selection).join('\n')));
        QQuickItem *row = P::find(first, selection);
        QCOMPARE(P::accessibleRole(row), int(QAccessible::ListItem));
        QCOMPARE(QAccessible::queryAccessibleInterface(row)->parent()->role(), QAccessible::List);
        const QImage before = P::grab(selection);
        for (int i = 0; i < 6 && P::focusedName() != first; ++i)
            P::step(Qt::Key_Tab, journey);
        QCOMPARE(P::focusedName(), first);
        const QImage after = P::grab(selection);
        if (!qEnvironmentVariableIsEmpty("PLIT_FOCUS_SHOTS"))
            after.save(qEnvironmentVariable("PLIT_FOCUS_SHOTS") + QStringLiteral("/companyrow-focus.png"));
        const int ring = P::focusRingWidth(before, after, row, 6);
        QVERIFY2(ring >= 2, qPrintable(QString::number(ring)));

        P::step(Qt::Key_Return, journey);
        QVERIFY(P::waitForWindow(first));
        QQuickWindow *invoicing = P::window(first);
        QVERIFY(P::waitForWebPages(invoicing));
        QTRY_VERIFY(invoicing->isActive());
        QTRY_VERIFY(P::focused() && P::webViews(invoicing).first()->isAncestorOf(P::focused()));
        journey << QStringLiteral("(invoicing window) → web page");
        QVERIFY2(P::accessibilityFaults(invoicing).isEmpty(), qPrintable(P::accessibilityFaults(invoicing).join('\n')));
        P::press(Qt::Key_Escape);
        journey << QStringLiteral("Esc → window closes");
        QVERIFY(P::waitForWindowGone(first, 15000));
        P::report(QStringLiteral("keyboard journey"), QStringLiteral("  ") + journey.join(QStringLiteral("\n  ")));
    }

    void companyAddressesOtherThanWebPagesAreRefused_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd");
        QTest::newRow("file, upper case") << QStringLiteral("  FILE:///etc/passwd");
        QTest::newRow("javascript") << QStringLiteral("javascript:alert(document.cookie)");
        QTest::newRow("data") << QStringLiteral("data:text/html,<script>alert(1)</script>");
        QTest::newRow("share") << QStringLiteral("smb://127.0.0.1/share/x.exe");
        QTest::newRow("unknown scheme") << QStringLiteral("ms-msdt:/id PCWDiagnostic");
    }

    void companyAddressesOtherThanWebPagesAreRefused()
    {
        QFETCH(QString, url);
        invoiceForOneCompany(url);
        expectWarning(QStringLiteral("该地址不是网页地址（http或https），已拒绝打开。"));
        QVERIFY(!P::window(kOneTitle));
        QTRY_VERIFY(ui->logText().contains(QStringLiteral("refused to load in invoicing window")));
        // Refused before the company was counted as open.
        QObject *companies = ui->engine()->rootContext()->contextProperty(QStringLiteral("vantaFunction")).value<QObject *>();
        int closed = -1;
        QVERIFY(QMetaObject::invokeMethod(companies, "getTaxCodeCount", Q_RETURN_ARG(int, closed), Q_ARG(QString, QString())));
        QCOMPARE(closed, 1);
    }

    void aPageThatLoopsAlertsHoldsOnlyItsOwnWindow()
    {
        invoiceForOneCompany(ui->server().baseUrl() + QStringLiteral("/browser/alerts"));
        QVERIFY(P::waitForWindow(kOneTitle));
        QQuickWindow *invoicing = P::window(kOneTitle);

        // The page's question shows over the page, and again once answered.
        QVERIFY(P::waitFor(QStringLiteral("alert 0"), 30000));
        QVERIFY(P::find(QStringLiteral("网页消息"), invoicing));
        QCOMPARE(QGuiApplication::modalWindow(), nullptr);
        QVERIFY(P::click(QStringLiteral("确定")));
        QVERIFY(P::waitFor(QStringLiteral("alert 1"), 30000));

        // The main window goes on working meanwhile.
        QVERIFY(P::click(QStringLiteral("推荐应用")));
        QVERIFY(P::waitFor(QStringLiteral("热门应用")));

        // And the window closes, its company given back.
        P::click(P::findAll(QStringLiteral("关闭"), invoicing).last());
        QVERIFY(P::waitForWindowGone(kOneTitle));
    }

    void aPageCannotGoToAnotherKindOfAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd");
        QTest::newRow("share") << QStringLiteral("smb://127.0.0.1/share/x.exe");
        QTest::newRow("unknown scheme") << QStringLiteral("ms-msdt:/id");
    }

    void aPageCannotGoToAnotherKindOfAddress()
    {
        QFETCH(QString, address);
        // The news page is one link to the address, over the whole page.
        const QString page = QStringLiteral("<!DOCTYPE html><html><head><title>go</title></head>"
                                            "<body style=\"margin:0\"><a href=\"%1\" "
                                            "style=\"display:block;height:100vh\">go</a></body></html>")
                                 .arg(address);
        ui->server().script(QStringLiteral("/api/ArticleApi/mini"),
                            QJsonObject{{"body", page}, {"times", 0},
                                        {"headers", QJsonObject{{"Content-Type", "text/html; charset=utf-8"}}}});
        QVERIFY(P::click(QStringLiteral("新闻公告")));
        QVERIFY(P::waitForWebPages(ui->mainWindow()));
        QQuickItem *view = P::webViews(ui->mainWindow()).first();
        QVERIFY(QMetaObject::invokeMethod(view, "reload"));
        QTRY_COMPARE_WITH_TIMEOUT(view->property("title").toString(), QStringLiteral("go"), 30000);
        QVERIFY(P::waitForWebPages(ui->mainWindow()));
        const QUrl news = view->property("url").toUrl();

        // Clicked, it goes nowhere, and never to the desktop either.
        UrlCatcher catcher(QUrl(address).scheme());
        P::click(view);
        QTest::qWait(1500);
        QCOMPARE(view->property("url").toUrl(), news);
        QVERIFY(catcher.urls.isEmpty());
    }
};

PLIT_INTERFACE_TEST_MAIN(PageJourneyTest)
#include "tst_pagejourneys.moc"
