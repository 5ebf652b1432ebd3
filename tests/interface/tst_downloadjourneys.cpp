#include "plitinterface.h"

#include "download/downloadfunction.h"

#include <QAccessible>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

namespace {

using P = PlitInterface;

const QString kHelper = QStringLiteral("Plit开票助手");
const QString kHelperFile = QStringLiteral("plit-helper-setup.sh");
const QString kHelperPath = QStringLiteral("/files/installer/4194304/plit-helper-setup.sh");
const QString kUkey = QStringLiteral("增值税发票开票软件(税务UKey版)");
const QString kUkeyPath = QStringLiteral("/files/gen/50331648/setup_12.exe");
// Generous: a download on a busy machine.
const int kLong = 60000;

// The shown item named `name` inside `row`; null when there is none.
QQuickItem *inRow(QQuickItem *row, const QString &name)
{
    for (QQuickItem *item : P::findAll(name, row->window())) {
        if (row->isAncestorOf(item))
            return item;
    }
    return nullptr;
}

QQuickItem *rowOf(const QString &title)
{
    for (QQuickItem *item : P::findAll(title)) {
        if (P::accessibleRole(item) == QAccessible::ListItem)
            return item;
    }
    return nullptr;
}

QByteArray served(const QString &url)
{
    QNetworkAccessManager manager;
    const QScopedPointer<QNetworkReply> reply(manager.get(QNetworkRequest(QUrl(url))));
    (void)QTest::qWaitFor([&] { return reply->isFinished(); }, kLong);
    return reply->readAll();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// What a person does in the download centre, against the stand-in platform
// and the real download centre: turning its pages, downloading an installer
// with a pause on the way, the details of a download, and a download that
// the server lets stall.
class DownloadJourneyTest : public PlitJourney
{
    Q_OBJECT

private:
    // The home page's tile "更多", then the tab "下载中心"; its first page
    // shown unless `failing`.
    void openDownloadCentre(bool failing = false)
    {
        QVERIFY(ui->clickTile(QStringLiteral("更多")));
        // The catalogue is read when its tab first shows, not at the start.
        QVERIFY(P::waitFor(QStringLiteral("下载中心")));
        QVERIFY(ui->server().requests(QStringLiteral("/api/articleapi/getDownload")).isEmpty());
        QVERIFY(P::click(QStringLiteral("下载中心")));
        if (!failing)
            QTRY_VERIFY(rowOf(kHelper));
    }

    void slowDown(const QString &path, int bytesPerSecond) const
    {
        ui->server().script(path, {{"method", "GET"}, {"rate", bytesPerSecond}, {"times", 0}});
    }

private slots:
    // A download goes on while its row is gone with a page turned away: the
    // row made again shows it running, or paused.
    void installerIsDownloadedPausedResumedAndStarted()
    {
        openDownloadCentre();
        slowDown(kHelperPath, 512 * 1024);
        const auto turnAwayAndBack = [] {
            QVERIFY(P::click(QStringLiteral("下一页")));
            QTRY_VERIFY(rowOf(QStringLiteral("出口退税申报系统")));
            QVERIFY(!rowOf(kHelper));
            QVERIFY(P::click(QStringLiteral("上一页")));
            QTRY_VERIFY(rowOf(kHelper));
            QVERIFY(!P::find(QStringLiteral("上一页"))->isEnabled());
        };

        P::click(inRow(rowOf(kHelper), QStringLiteral("一键安装")));
        QTRY_VERIFY_WITH_TIMEOUT(rowOf(kHelper)->property("progress").toReal() > 0, kLong);
        turnAwayAndBack();
        QQuickItem *row = rowOf(kHelper);
        QVERIFY(row);
        QTRY_VERIFY(row->property("progress").toReal() > 0);
        QVERIFY(!inRow(row, QStringLiteral("一键安装")));
        QCOMPARE(P::accessibleRole(inRow(row, QStringLiteral("停止"))), int(QAccessible::Button));

        P::click(inRow(row, QStringLiteral("暂停")));
        QTRY_VERIFY(inRow(row, QStringLiteral("已暂停")));
        turnAwayAndBack();
        row = rowOf(kHelper);
        QVERIFY(row && inRow(row, QStringLiteral("已暂停")));
        const qreal paused = row->property("progress").toReal();
        QVERIFY(paused > 0 && paused < 1);
        P::click(inRow(row, QStringLiteral("继续")));
        QTRY_VERIFY(!inRow(row, QStringLiteral("已暂停")));
        QTRY_VERIFY_WITH_TIMEOUT(row->property("progress").toReal() > paused, kLong);

        // Done: the row starts afresh, and the installer ran with its own path.
        QTRY_VERIFY_WITH_TIMEOUT(inRow(row, QStringLiteral("一键安装")), kLong);
        QCOMPARE(row->property("progress").toReal(), 0.0);
        QVERIFY(!inRow(row, QStringLiteral("暂停")));
        const QString saved = DownloadFunction::savePath(kHelperFile);
        QTRY_VERIFY(QFile::exists(saved + QStringLiteral(".started")));
        QTRY_COMPARE(QString::fromLocal8Bit(fileBytes(saved + QStringLiteral(".started"))), saved);
        // Resumed, it asked for the rest of the file, not for all of it again.
        QString lastRange;
        for (const QJsonValue &request : ui->server().requests(kHelperPath)) {
            if (request[QStringLiteral("method")] == QLatin1String("GET"))
                lastRange = request[QStringLiteral("headers")][QStringLiteral("range")].toString();
        }
        QVERIFY2(lastRange.startsWith(QStringLiteral("bytes=")) && !lastRange.startsWith(QStringLiteral("bytes=0-")),
                 qPrintable(lastRange));
        ui->server().unscript();
        const QByteArray original = served(ui->server().baseUrl() + kHelperPath);
        QCOMPARE(original.size(), 4194304);
        QVERIFY(fileBytes(saved) == original);
    }

    // The details of a paused download offer to go on, of a running one to
    // stop, and of a stopped one to start it again.
    void detailsOfARunningDownloadOfferToStopIt()
    {
        openDownloadCentre();
        const QString title = QStringLiteral("自然人电子税务局(扣缴端)");
        slowDown(QStringLiteral("/files/gen/100663296/setup_13.exe"), 256 * 1024);
        QQuickItem *row = rowOf(title);
        QVERIFY(row);
        P::click(inRow(row, QStringLiteral("一键安装")));
        QTRY_VERIFY_WITH_TIMEOUT(row->property("progress").toReal() > 0, kLong);
        P::click(inRow(row, QStringLiteral("暂停")));
        QTRY_VERIFY(inRow(row, QStringLiteral("已暂停")));

        // The name opens the details: the entry's figures and its screenshot
        // from the platform, without the pager.
        P::click(inRow(row, title));
        QVERIFY(P::waitFor(QStringLiteral("< 返回")));
        QVERIFY(P::find(QStringLiteral("版本：V3.1.150 | 大小：96.0MB | 更新时间：2026-02-02 09:30:00")));
        QVERIFY(!P::find(QStringLiteral("上一页")));
        QQuickItem *screenshot = P::waitFor(QStringLiteral("截图 1"));
        QVERIFY(screenshot);
        QTRY_COMPARE(screenshot->property("status").toInt(), 1); // Image.Ready
        QVERIFY(!P::find(QStringLiteral("截图 2")));
        QVERIFY(P::click(QStringLiteral("继续")));
        QVERIFY(P::waitFor(QStringLiteral("停止")));
        QVERIFY(P::click(QStringLiteral("停止")));
        QVERIFY(P::waitFor(QStringLiteral("下载")));
        QVERIFY(P::click(QStringLiteral("下载")));
        QVERIFY(P::waitFor(QStringLiteral("停止")));
        QTRY_VERIFY_WITH_TIMEOUT(row->property("progress").toReal() > 0, kLong);
        QVERIFY(P::click(QStringLiteral("停止")));
        QVERIFY(P::waitFor(QStringLiteral("下载")));

        QVERIFY(P::click(QStringLiteral("< 返回")));
        QTRY_VERIFY(inRow(row, QStringLiteral("一键安装")));
        QVERIFY(!inRow(row, QStringLiteral("暂停")));
    }

    // "一键安装" asks for the size and the server takes 4 s; meanwhile the
    // person turns the page. The turn is held back until the answer (no
    // row goes while its handler waits), and the download runs.
    void pageTurnWhileTheSizeIsAskedIsHeldBack()
    {
        openDownloadCentre();
        ui->server().script(kUkeyPath, {{"method", "HEAD"}, {"delay_ms", 4000}});
        slowDown(kUkeyPath, 256 * 1024);
        QPointer<QQuickItem> row = rowOf(kUkey);
        QVERIFY(row);
        QTimer::singleShot(500, [] { P::click(QStringLiteral("下一页")); });
        QTimer::singleShot(800, [] { P::click(QStringLiteral("下一页")); });
        P::click(inRow(row, QStringLiteral("一键安装")));
        QVERIFY(row);
        QVERIFY(P::find(QStringLiteral("1 / 3")));
        QTRY_VERIFY_WITH_TIMEOUT(row->property("progress").toReal() > 0, kLong);
        QCOMPARE(ui->server().requests(QStringLiteral("/api/articleapi/getDownload")).size(), 1);
        P::click(inRow(row, QStringLiteral("停止")));
        QTRY_VERIFY(inRow(row, QStringLiteral("一键安装")));

        // With a 1 s request limit, a download that the server lets stall
        // says it failed; tried again, it goes on.
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "1000");
        ui->server().unscript();
        ui->server().script(kUkeyPath, {{"method", "GET"}, {"stall_after", 300000}});
        slowDown(kUkeyPath, 256 * 1024);
        P::click(inRow(row, QStringLiteral("一键安装")));
        QTRY_VERIFY_WITH_TIMEOUT(inRow(row, QStringLiteral("下载失败")), kLong);
        QVERIFY(!row->property("errorText").toString().isEmpty());
        QVERIFY(inRow(row, QStringLiteral("一键安装")));
        QVERIFY(!inRow(row, QStringLiteral("暂停")));
        P::click(inRow(row, QStringLiteral("一键安装")));
        QTRY_VERIFY(!inRow(row, QStringLiteral("下载失败")));
        QTRY_VERIFY_WITH_TIMEOUT(row->property("progress").toReal() > 0.01, kLong);
        P::click(inRow(row, QStringLiteral("停止")));
        QTRY_VERIFY(inRow(row, QStringLiteral("一键安装")));
    }

    // A catalogue that fails says so and is asked again: on a click on the
    // notice, and when the tab shows again.
    void failedCatalogueIsAskedAgain()
    {
        const QString catalogue = QStringLiteral("/api/articleapi/getDownload");
        ui->server().script(catalogue, {{"status", 500}, {"body", "down"}, {"times", 2}});
        openDownloadCentre(true);
        QVERIFY(P::waitFor(QStringLiteral("加载失败，点击重试")));
        QVERIFY(!P::find(QStringLiteral("暂无可下载的软件")));
        QVERIFY(P::click(QStringLiteral("加载失败，点击重试")));
        QTRY_COMPARE(ui->server().requests(catalogue).size(), 2);
        QVERIFY(P::waitFor(QStringLiteral("加载失败，点击重试")));

        // Another tab and back: asked again, and now it answers.
        QVERIFY(P::click(QStringLiteral("我的应用")));
        QVERIFY(!P::find(QStringLiteral("加载失败，点击重试")));
        QVERIFY(P::click(QStringLiteral("下载中心")));
        QTRY_VERIFY(rowOf(kHelper));
        QCOMPARE(ui->server().requests(catalogue).size(), 3);
        QVERIFY(!P::find(QStringLiteral("加载失败，点击重试")));
    }

    // With the keyboard alone: Return on "一键安装" hands the keys to the
    // download's "暂停", "停止" hands them to the row; the install buttons
    // say which program they install, the progress bar its value.
    void keyboardStartsAndStopsADownload()
    {
        openDownloadCentre();
        slowDown(kHelperPath, 256 * 1024);
        QQuickItem *row = rowOf(kHelper);
        QQuickItem *install = inRow(row, QStringLiteral("一键安装"));
        QVERIFY(install);
        QCOMPARE(P::accessibleName(install), QStringLiteral("一键安装 ") + kHelper);
        QStringList journey;
        install->forceActiveFocus(Qt::TabFocusReason);
        journey << QStringLiteral("(focus) → ") + P::focusedName();
        P::step(Qt::Key_Return, journey);
        QTRY_COMPARE(P::focusedName(), QStringLiteral("暂停"));
        QVERIFY(row->isAncestorOf(P::focused()));
        QQuickItem *bar = nullptr;
        for (QQuickItem *item : P::shownItems(row->window())) {
            if (row->isAncestorOf(item) && P::accessibleRole(item) == QAccessible::ProgressBar)
                bar = item;
        }
        QVERIFY(bar);
        QAccessibleValueInterface *value = QAccessible::queryAccessibleInterface(bar)->valueInterface();
        QVERIFY(value);
        QTRY_VERIFY_WITH_TIMEOUT(value->currentValue().toReal() > 0, kLong);
        QCOMPARE(value->maximumValue().toReal(), 1.0);
        QCOMPARE(P::step(Qt::Key_Tab, journey), QStringLiteral("停止"));
        P::step(Qt::Key_Return, journey);
        QTRY_VERIFY(inRow(row, QStringLiteral("一键安装")));
        QTRY_COMPARE(P::focused(), row);
        journey << QStringLiteral("(stopped) → ") + P::focusedName();
        QVERIFY2(P::accessibilityFaults(row->window()).isEmpty(),
                 qPrintable(P::accessibilityFaults(row->window()).join('\n')));
        P::report(QStringLiteral("keyboard journey"), QStringLiteral("  ") + journey.join(QStringLiteral("\n  ")));
    }

    // With the keyboard alone: Tab goes down the rows, and the list follows
    // the focused one; its scroll bar shows while rows are out of sight.
    void keyboardScrollsTheListToTheFocusedRow()
    {
        openDownloadCentre();
        QQuickItem *list = P::find(QStringLiteral("软件列表"));
        QVERIFY(list);
        QVERIFY(list->property("contentHeight").toReal() > list->height());
        QQuickItem *bar = nullptr;
        for (QQuickItem *item : list->parentItem()->childItems()) {
            if (QString::fromLatin1(item->metaObject()->className()).contains(QLatin1String("ScrollBar"))
                && item->property("orientation").toInt() == Qt::Vertical)
                bar = item;
        }
        QVERIFY(bar && bar->isVisible());
        QTRY_VERIFY(bar->property("contentItem").value<QQuickItem *>()->opacity() > 0.5);

        QQuickWindow *window = list->window();
        for (int i = 0; i < 60 && list->property("contentY").toReal() <= 0; ++i)
            P::press(Qt::Key_Tab);
        QVERIFY(list->property("contentY").toReal() > 0);
        QQuickItem *focused = window->activeFocusItem();
        QVERIFY(focused && list->isAncestorOf(focused));
        const QPointF top = focused->mapToItem(list, QPointF(0, 0));
        QVERIFY(top.y() >= 0 && top.y() + focused->height() <= list->height());
    }
};

PLIT_INTERFACE_TEST_MAIN(DownloadJourneyTest)
#include "tst_downloadjourneys.moc"
