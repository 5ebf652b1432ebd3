#include "plitinterface.h"
#include "urlcatcher.h"

#include "core/deployment.h"
#include "database/datebasefunction.h"
#include "desktop/systemfunction.h"

#include <QAccessible>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QtTest>

using P = PlitInterface;

// What a person does with the small windows of the main window: closing
// into the tray, the settings, feedback and "关于我们", against the
// stand-in platform.
class DialogJourneyTest : public PlitJourney
{
    Q_OBJECT

private:
    QString storedDownloadPath() const
    {
        QSettings settings(ui->dataPath(QStringLiteral("System.ini")), QSettings::IniFormat);
        settings.setIniCodec("GB18030");
        return settings.value(QStringLiteral("FunDic/DownloadPath")).toString();
    }

private slots:
    void closeDialogHidesIntoTheTrayOrQuits()
    {
        QSignalSpy quit(ui->engine(), &QQmlApplicationEngine::quit);
        // This desktop has no notification area: the dialog does not offer to
        // hide the window there, where nothing would bring it back.
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(P::click(QStringLiteral("关闭")));
        QVERIFY(P::waitForWindow(QStringLiteral("提示")));
        QVERIFY(P::find(QStringLiteral("Plit云台·关闭提醒")));
        QVERIFY(P::find(QStringLiteral(" 退出")));
        QVERIFY(!P::find(QStringLiteral(" 最小化托盘")));
        // The keys are on "确定" at once.
        QTRY_VERIFY(P::find(QStringLiteral("确定"), P::window(QStringLiteral("提示")))->hasActiveFocus());
        P::click(P::find(QStringLiteral("关闭"), P::window(QStringLiteral("提示"))));
        QVERIFY(P::waitForWindowGone(QStringLiteral("提示")));
        QCOMPARE(quit.count(), 0);

        QVERIFY(P::click(QStringLiteral("关闭")));
        QVERIFY(P::waitForWindow(QStringLiteral("提示")));
        QVERIFY(P::click(QStringLiteral(" 退出")));
        QVERIFY(P::click(QStringLiteral("确定")));
        QTRY_COMPARE(quit.count(), 1);
    }

    // The platform's directory chooser cannot be driven from a test: the
    // program's own is replaced by one that answers `answer`, and the field
    // is also typed into.
    void settingsKeepTheDownloadDirectory()
    {
        const QString chosen = ui->dataPath(QStringLiteral("下载"));
        QVERIFY(QDir().mkpath(chosen));
        QString answer = chosen;
        auto *system = qobject_cast<SystemFunction *>(
            ui->engine()->rootContext()->contextProperty(QStringLiteral("systemFunction")).value<QObject *>());
        QVERIFY(system);
        system->setDirectoryDialog([&](const QString &, const QString &) { return answer; });
        UrlCatcher opened(QStringLiteral("file"));

        QVERIFY(P::clickInMenu(QStringLiteral("系统设置")) && P::waitForWindow(QStringLiteral("软件设置")));
        QQuickWindow *settings = P::window(QStringLiteral("软件设置"));
        QVERIFY(P::find(QStringLiteral("Plit云台·软件设置"), settings));
        // Its page's tab stays chosen under the pointer and after.
        QQuickItem *tab = P::find(QStringLiteral("下载设置"), settings);
        QTest::mouseMove(settings, tab->mapToScene(QPointF(10, 10)).toPoint());
        QTest::mouseMove(settings, QPoint(5, 5));
        QCOMPARE(tab->property("state").toString(), QStringLiteral("clicked"));

        // It opens on the directory in force, the default at first, and shows
        // the free space there, none where there is no such directory.
        QQuickItem *path = P::find(QStringLiteral("请选择下载目录"), settings);
        auto *freeSpace = settings->findChild<QQuickItem *>(QStringLiteral("text4"));
        QVERIFY(freeSpace);
        const auto shows = [&](const QString &directory) {
            return path->property("text").toString() == directory
                && freeSpace->property("text").toString() == QString::number(system->getDiskSize(directory)) + "GB";
        };
        QVERIFY(shows(QDir::cleanPath(ui->dataPath(QStringLiteral("temp")))));
        QVERIFY(P::click(QStringLiteral("选择目录")));
        QVERIFY(shows(chosen));
        // A cancelled chooser changes nothing.
        answer.clear();
        QVERIFY(P::click(QStringLiteral("选择目录")));
        QVERIFY(shows(chosen));
        QVERIFY(P::click(QStringLiteral("打开目录")));
        QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(chosen)});
        QVERIFY(P::click(QStringLiteral("确定")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("软件设置")));
        QCOMPARE(storedDownloadPath(), chosen);

        // Opened again, it shows the chosen one; a typed directory replaces
        // it. The default, by a screen reader's press, is where the program
        // keeps its files.
        QVERIFY(P::clickInMenu(QStringLiteral("系统设置")) && P::waitForWindow(QStringLiteral("软件设置")));
        settings = P::window(QStringLiteral("软件设置"));
        path = P::find(QStringLiteral("请选择下载目录"), settings);
        freeSpace = settings->findChild<QQuickItem *>(QStringLiteral("text4"));
        QVERIFY(shows(chosen));
        QVERIFY(P::pressAccessibly(QStringLiteral("恢复默认目录")));
        QVERIFY(shows(QDir::cleanPath(ui->dataPath(QString()))));
        QVERIFY(P::type(QStringLiteral("请选择下载目录"), ui->dataPath(QStringLiteral("没有这个目录"))));
        QCOMPARE(freeSpace->property("text").toString(), QStringLiteral("0GB"));
        const QString typed = ui->dataPath(QStringLiteral("软件"));
        QVERIFY(P::type(QStringLiteral("请选择下载目录"), typed));
        QVERIFY(P::click(QStringLiteral("确定")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("软件设置")));
        QCOMPARE(storedDownloadPath(), typed);

        // An empty one is refused by "确定", over the settings, which stay;
        // and by "打开目录": the program may end with the window and a
        // warning over it still open.
        QVERIFY(P::clickInMenu(QStringLiteral("系统设置")) && P::waitForWindow(QStringLiteral("软件设置")));
        settings = P::window(QStringLiteral("软件设置"));
        QVERIFY(P::type(QStringLiteral("请选择下载目录"), QString()));
        QVERIFY(P::click(QStringLiteral("确定")));
        QQuickWindow *warning = P::waitForWarning(QStringLiteral("请选择软件下载地址！"));
        QVERIFY(warning);
        QCOMPARE(warning->transientParent(), settings);
        P::click(P::find(QStringLiteral("确定"), warning));
        QVERIFY(P::waitForWindowGone(QStringLiteral("Plit提示")));
        QVERIFY(settings->isVisible());
        QCOMPARE(storedDownloadPath(), typed);
        QVERIFY(P::click(QStringLiteral("打开目录")));
        QVERIFY(P::waitForWarning(QStringLiteral("请选择软件下载地址！")));
        QCOMPARE(opened.urls.size(), 1);
    }

    // The kind chosen gives the platform its type code. It refuses feedback
    // without content: its words show and what was typed stays. Sent, the
    // window closes, and opens again afresh.
    void feedbackReachesThePlatform()
    {
        const QString content = QStringLiteral("请输入您需要反馈的内容(200字以内)...");
        const QString contact = QStringLiteral("请输入您的联系方式");
        QVERIFY(P::clickInMenu(QStringLiteral("问题反馈")) && P::waitForWindow(QStringLiteral("意见建议")));
        QVERIFY(P::type(contact, QStringLiteral("13800000002")));
        for (const QString &kind : {QStringLiteral("产品建议"), QStringLiteral("我要吐槽")}) {
            QVERIFY(P::click(kind));
            QVERIFY(P::click(QStringLiteral("提交")));
            QQuickItem *refusal = P::waitFor(QStringLiteral("反馈内容不能为空"));
            QVERIFY(refusal);
            QCOMPARE(P::accessibleRole(refusal), int(QAccessible::AlertMessage));
        }
        QCOMPARE(P::find(contact)->property("text").toString(), QStringLiteral("13800000002"));

        QVERIFY(P::click(QStringLiteral("程序错误")));
        QVERIFY(P::type(content, QStringLiteral("打开目录时没有反应")));
        QVERIFY(P::click(QStringLiteral("提交")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("意见建议")));
        QStringList kinds;
        for (const QJsonValue &sent : ui->server().requests(QStringLiteral("/api/platApi/messageSave")))
            kinds << sent[QStringLiteral("form")][QStringLiteral("msgtypes")].toString();
        QCOMPARE(kinds, QStringList({"3", "1", "2"}));
        const QJsonObject form = ui->server().requests(QStringLiteral("/api/platApi/messageSave")).last()["form"].toObject();
        QCOMPARE(form[QStringLiteral("summary")].toString(), QStringLiteral("打开目录时没有反应"));
        QCOMPARE(form[QStringLiteral("phone")].toString(), QStringLiteral("13800000002"));

        QVERIFY(P::clickInMenu(QStringLiteral("问题反馈")) && P::waitForWindow(QStringLiteral("意见建议")));
        QVERIFY(!P::find(QStringLiteral("反馈内容不能为空")));
        QCOMPARE(P::find(content)->property("text").toString(), QString());
        QCOMPARE(P::find(contact)->property("text").toString(), QString());
        QVERIFY(P::find(QStringLiteral("产品建议"))->property("checked").toBool());
    }

    void aboutShowsVersionDatabaseDateAndHotline()
    {
        // As after an update on 10 March 2026.
        QVERIFY(DatebaseFunction().updateDatabaseDate(QStringLiteral("2026-3-10")));
        QVERIFY(P::clickInMenu(QStringLiteral("关于我们")) && P::waitForWindow(QStringLiteral("关于我们")));
        QQuickWindow *about = P::window(QStringLiteral("关于我们"));
        QVERIFY(P::find(QStringLiteral("2.0.0.2"), about));
        QVERIFY(P::find(QStringLiteral("2026-3-10"), about));
        QVERIFY(P::find(Deployment::serviceHotline(), about));
        QVERIFY(P::find(Deployment::copyrightLine(), about));
        P::press(Qt::Key_Escape);
        QVERIFY(P::waitForWindowGone(QStringLiteral("关于我们")));
    }
};

PLIT_INTERFACE_TEST_MAIN(DialogJourneyTest)
#include "tst_dialogjourneys.moc"
