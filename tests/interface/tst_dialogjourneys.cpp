#include "plitinterface.h"

#include "core/deployment.h"
#include "database/datebasefunction.h"
#include "desktop/systemfunction.h"

#include <QDir>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {

using P = PlitInterface;

} // namespace

// What a person does with the small windows of the main window: closing
// into the tray, the settings, feedback and "关于我们", against the
// stand-in platform.
class DialogJourneyTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PlitInterface> ui;

    // Opens the window of the "more" menu's entry `entry`, titled `title`.
    void openFromMoreMenu(const QString &entry, const QString &title)
    {
        QVERIFY(P::click(QStringLiteral("更多")));
        QVERIFY(P::waitFor(entry));
        QVERIFY(P::click(entry));
        QVERIFY(P::waitForWindow(title));
    }

    QString storedDownloadPath() const
    {
        QSettings settings(ui->dataPath(QStringLiteral("System.ini")), QSettings::IniFormat);
        settings.setIniCodec("GB18030");
        return settings.value(QStringLiteral("FunDic/DownloadPath")).toString();
    }

private slots:
    void init()
    {
        ui = std::make_unique<PlitInterface>();
        QVERIFY(ui->server().isRunning());
        QVERIFY(ui->start());
    }

    void cleanup()
    {
        ui.reset();
    }

    void closeDialogHidesIntoTheTrayOrQuits()
    {
        QQuickWindow *main = ui->mainWindow();
        QSignalSpy quit(ui->engine(), &QQmlApplicationEngine::quit);
        QSystemTrayIcon *tray = main->findChild<QSystemTrayIcon *>();
        QVERIFY(tray);

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
        P::window(QStringLiteral("提示"))->close();
        QVERIFY(P::waitForWindowGone(QStringLiteral("提示")));
        QCOMPARE(quit.count(), 0);

        // One click on the tray icon brings a minimised and hidden window back.
        main->showMinimized();
        main->hide();
        QTRY_VERIFY(!main->isVisible());
        emit tray->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(main->isVisible());
        QCOMPARE(main->visibility(), QWindow::Windowed);

        QVERIFY(P::click(QStringLiteral("关闭")));
        QVERIFY(P::waitForWindow(QStringLiteral("提示")));
        QVERIFY(P::click(QStringLiteral(" 退出")));
        QVERIFY(P::click(QStringLiteral("确定")));
        QTRY_COMPARE(quit.count(), 1);
    }

    // The platform's directory chooser cannot be driven from a test: the
    // program's own is replaced by one that answers a directory, and the field
    // is also typed into.
    void settingsKeepTheDownloadDirectory()
    {
        const QString chosen = ui->dataPath(QStringLiteral("下载"));
        QVERIFY(QDir().mkpath(chosen));
        auto *system = qobject_cast<SystemFunction *>(
            ui->engine()->rootContext()->contextProperty(QStringLiteral("systemFunction")).value<QObject *>());
        QVERIFY(system);
        system->setDirectoryDialog([&](const QString &, const QString &) { return chosen; });

        openFromMoreMenu(QStringLiteral("系统设置"), QStringLiteral("软件设置"));
        QQuickWindow *settings = P::window(QStringLiteral("软件设置"));
        QVERIFY(P::find(QStringLiteral("Plit云台·软件设置"), settings));

        // It opens on the directory in force, the default at first, and the
        // free space there.
        auto *freeSpace = settings->findChild<QQuickItem *>(QStringLiteral("text4"));
        QVERIFY(freeSpace);
        const QString fallback = QDir::cleanPath(ui->dataPath(QStringLiteral("temp")));
        QCOMPARE(P::find(QStringLiteral("请选择下载目录"), settings)->property("text").toString(), fallback);
        QCOMPARE(freeSpace->property("text").toString(),
                 QString::number(system->getDiskSize(fallback)) + QStringLiteral("GB"));
        QVERIFY(P::click(QStringLiteral("选择目录")));
        QCOMPARE(P::find(QStringLiteral("请选择下载目录"), settings)->property("text").toString(), chosen);
        QCOMPARE(freeSpace->property("text").toString(),
                 QString::number(system->getDiskSize(chosen)) + QStringLiteral("GB"));
        QVERIFY(P::click(QStringLiteral("确定")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("软件设置")));
        QCOMPARE(storedDownloadPath(), chosen);

        // Opened again, it shows the chosen one; a typed directory replaces
        // it. The default, by a screen
        // reader's press, is where the program keeps its files.
        openFromMoreMenu(QStringLiteral("系统设置"), QStringLiteral("软件设置"));
        QCOMPARE(P::find(QStringLiteral("请选择下载目录"))->property("text").toString(), chosen);
        QVERIFY(P::pressAccessibly(QStringLiteral("恢复默认目录")));
        QCOMPARE(P::find(QStringLiteral("请选择下载目录"))->property("text").toString(),
                 QDir::cleanPath(ui->dataPath(QString())));
        const QString typed = ui->dataPath(QStringLiteral("软件"));
        QVERIFY(P::type(QStringLiteral("请选择下载目录"), typed));
        QVERIFY(P::click(QStringLiteral("确定")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("软件设置")));
        QCOMPARE(storedDownloadPath(), typed);

        // The program may end with the window and a warning over it still open.
        openFromMoreMenu(QStringLiteral("系统设置"), QStringLiteral("软件设置"));
        QVERIFY(P::type(QStringLiteral("请选择下载目录"), QString()));
        QVERIFY(P::click(QStringLiteral("打开目录")));
        QVERIFY(P::waitForWarning(QStringLiteral("请选择软件下载地址！")));
    }

    void feedbackReachesThePlatform()
    {
        openFromMoreMenu(QStringLiteral("问题反馈"), QStringLiteral("意见建议"));
        const QString content = QStringLiteral("打开目录时没有反应");

        QVERIFY(P::click(QStringLiteral("程序错误")));
        QVERIFY(P::type(QStringLiteral("请输入您需要反馈的内容(200字以内)..."), content));
        QVERIFY(P::type(QStringLiteral("请输入您的联系方式"), QStringLiteral("13800000002")));
        QVERIFY(P::click(QStringLiteral("提交")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("意见建议")));

        const QJsonArray sent = ui->server().requests(QStringLiteral("/api/platApi/messageSave"));
        QCOMPARE(sent.size(), 1);
        const QJsonObject form = sent.last()[QStringLiteral("form")].toObject();
        QCOMPARE(form[QStringLiteral("msgtypes")].toString(), QStringLiteral("2"));
        QCOMPARE(form[QStringLiteral("summary")].toString(), content);
        QCOMPARE(form[QStringLiteral("phone")].toString(), QStringLiteral("13800000002"));
    }

    void aboutShowsVersionDatabaseDateAndHotline()
    {
        // As after an update on 10 March 2026.
        QVERIFY(DatebaseFunction().updateDatabaseDate(QStringLiteral("2026-3-10")));
        openFromMoreMenu(QStringLiteral("关于我们"), QStringLiteral("关于我们"));
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
