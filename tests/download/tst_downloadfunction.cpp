#include "download/downloadfilemodel.h"
#include "download/downloadfunction.h"
#include "services/configfunction.h"
#include "download/softwareinfo.h"
#include "downloadtestbed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace {

const QString listPath = QStringLiteral("/api/articleapi/getDownload");
const QString detailPath = QStringLiteral("/api/Articleapi/getDownloadInfo");

QJsonObject catalogueReply(const QJsonValue &states, const QJsonArray &entries, int pageCount)
{
    return QJsonObject{{"states", states}, {"data", QJsonObject{{"data", entries}, {"page_count", pageCount}}}};
}

QJsonObject detailReply(const QJsonObject &data)
{
    return QJsonObject{{"states", true}, {"data", data}};
}

} // namespace

class TestDownloadFunction : public QObject
{
    Q_OBJECT

    DownloadTestBed bed;

    void scriptJson(const QString &path, const QJsonObject &json) const
    {
        bed.server().script(path, {{"json", json}});
    }

    SoftwareInfo *details(DownloadFunction &function, const QString &id) const
    {
        return function.getDownloadInfo(id).value<SoftwareInfo *>();
    }

private slots:
    void init()
    {
        QVERIFY(bed.begin());
        bed.server().useAsPlatform();
    }

    void cleanup() { bed.end(); }

    void theCataloguePageCarriesEveryEntryAndThePageCount()
    {
        scriptJson(listPath, catalogueReply(true, QJsonArray{
            QJsonObject{{"id", 12}, {"title", "开票软件"}, {"shortitle", "V2.0"}, {"summary", "摘要"},
                        {"uplodeimg", "http://x/icon.png"}, {"uplodesoft", "http://x/soft/setup.exe"},
                        {"softsize", "12.5M"}, {"p_url", "http://x/page"}},
            QJsonObject{{"id", 13}, {"title", "no page"}, {"uplodesoft", "http://x/dir/"}},
            QJsonObject{{"id", 14}, {"uplodesoft", "plain.exe"}}}, 3));
        DownloadFunction function;
        QCOMPARE(function.getDownloadInfoListTotalPageCount(), 0);
        const QVariantList list = function.getDownloadInfoListFromPage(2);
        QCOMPARE(list.size(), 3);
        QCOMPARE(function.getDownloadInfoListTotalPageCount(), 3);

        auto *first = list.at(0).value<DownloadFileModel *>();
        QVERIFY(first);
        QCOMPARE(first->id(), QStringLiteral("12"));
        QCOMPARE(first->title(), QStringLiteral("开票软件"));
        QCOMPARE(first->shortitle(), QStringLiteral("V2.0"));
        QCOMPARE(first->summary(), QStringLiteral("摘要"));
        QCOMPARE(first->uplodeimg(), QStringLiteral("http://x/icon.png"));
        QCOMPARE(first->softsize(), QStringLiteral("12.5M"));
        QCOMPARE(first->url(), QStringLiteral("http://x/page"));
        QCOMPARE(first->filename(), QStringLiteral("setup.exe"));
        QCOMPARE(first->parent(), nullptr);
        auto *second = list.at(1).value<DownloadFileModel *>();
        QCOMPARE(second->title(), QStringLiteral("no page"));
        QCOMPARE(second->url(), QString());
        QCOMPARE(second->filename(), QString());
        QCOMPARE(list.at(2).value<DownloadFileModel *>()->filename(), QStringLiteral("plain.exe"));
        DownloadTestBed::release(list);

        const QJsonArray requests = bed.server().requests(listPath);
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests.first().toObject().value(QStringLiteral("body")).toString().startsWith(QStringLiteral("page=2&ip=")));
    }

    void numbersReadAsTextAreWrittenInTheirShortestForm()
    {
        scriptJson(listPath, catalogueReply(true, QJsonArray{
            QJsonObject{{"id", 12}, {"softsize", 0.1}, {"shortitle", 2.5}, {"title", 20200101},
                        {"summary", 12345678901.0}}}, 1));
        DownloadFunction function;
        const QVariantList list = function.getDownloadInfoList();
        QCOMPARE(list.size(), 1);
        const auto *entry = list.first().value<DownloadFileModel *>();
        QCOMPARE(entry->softsize(), QStringLiteral("0.1"));
        QCOMPARE(entry->shortitle(), QStringLiteral("2.5"));
        QCOMPARE(entry->title(), QStringLiteral("20200101"));
        QCOMPARE(entry->summary(), QStringLiteral("12345678901"));
        DownloadTestBed::release(list);

        scriptJson(detailPath, detailReply({{"softsize", 0.3}, {"shortitle", 1.1}}));
        QScopedPointer<SoftwareInfo> info(details(function, QStringLiteral("12")));
        QCOMPARE(info->size(), QStringLiteral("0.3"));
        QCOMPARE(info->version(), QStringLiteral("1.1"));
    }

    void aRefusedOrMalformedCatalogueIsAnEmptyList_data()
    {
        QTest::addColumn<QString>("body");
        QTest::newRow("states as a string") << QStringLiteral(R"({"states":"true","data":{"data":[{"id":1}],"page_count":2}})");
        QTest::newRow("states false") << QStringLiteral(R"({"states":false,"msg":"no","data":{"data":[{"id":1}]}})");
        QTest::newRow("not JSON") << QStringLiteral("<html>busy</html>");
        QTest::newRow("an array") << QStringLiteral("[1,2]");
        QTest::newRow("data not an object") << QStringLiteral(R"({"states":true,"data":"x"})");
    }

    void aRefusedOrMalformedCatalogueIsAnEmptyList()
    {
        QFETCH(QString, body);
        bed.server().script(listPath, {{"body", body}, {"times", 2}});
        DownloadFunction function;
        QCOMPARE(function.getDownloadInfoList(), QVariantList());
        QCOMPARE(function.getDownloadInfoListFromPage(1), QVariantList());
        QCOMPARE(function.getDownloadInfoListTotalPageCount(), 0);
    }

    void theDetailsCarryThePictures()
    {
        scriptJson(detailPath, detailReply({
                {"id", "12"}, {"uplodeimg", "i.png"}, {"title", "名称"}, {"shortitle", "V1"},
                {"softsize", "3M"}, {"creat_time", "2020-01-02"}, {"summary", "s"},
                {"imglist", QJsonArray{QJsonObject{{"url", "a.png"}}, QJsonObject{{"url", "b.png"}}}}}));
        DownloadFunction function;
        QScopedPointer<SoftwareInfo> info(details(function, QStringLiteral("12")));
        QVERIFY(info);
        QCOMPARE(info->id(), QStringLiteral("12"));
        QCOMPARE(info->icon(), QStringLiteral("i.png"));
        QCOMPARE(info->name(), QStringLiteral("名称"));
        QCOMPARE(info->version(), QStringLiteral("V1"));
        QCOMPARE(info->size(), QStringLiteral("3M"));
        QCOMPARE(info->updatetime(), QStringLiteral("2020-01-02"));
        QCOMPARE(info->summary(), QStringLiteral("s"));
        QCOMPARE(info->piclist(), (QVariantList{"a.png", "b.png"}));
        QVERIFY(info->picexist());
        const QString body = bed.server().requests(detailPath).first().toObject().value(QStringLiteral("body")).toString();
        QVERIFY(body.startsWith(QStringLiteral("articleid=12&ip=")));
    }

    void detailsWithoutPicturesOrRefusedAreEmpty()
    {
        scriptJson(detailPath, detailReply({{"title", "t"}, {"imglist", QJsonArray()}}));
        DownloadFunction function;
        QScopedPointer<SoftwareInfo> info(details(function, QStringLiteral("1")));
        QCOMPARE(info->name(), QStringLiteral("t"));
        QVERIFY(!info->picexist());
        QCOMPARE(info->piclist(), QVariantList());

        bed.server().script(detailPath, {{QStringLiteral("body"), QStringLiteral(R"({"states":"true","data":{"title":"t"}})")}});
        QScopedPointer<SoftwareInfo> refused(details(function, QStringLiteral("1")));
        QVERIFY(refused);
        QCOMPARE(refused->name(), QString());
    }

    void anEntryWithoutAJobHasNoFigures()
    {
        DownloadFunction function;
        QCOMPARE(function.getProgress(QStringLiteral("9")), 0.0f);
        QCOMPARE(function.getProgressPecent(QStringLiteral("9")), QString());
        QCOMPARE(function.getDownloadSpeed(QStringLiteral("9")), QString());
        QCOMPARE(function.getDownloadError(QStringLiteral("9")), QString());
        QVERIFY(!function.getDownloadStatus(QStringLiteral("9")));
        QVERIFY(!function.getDownloadPaused(QStringLiteral("9")));
        function.pause(QStringLiteral("9"));
        function.stop(QStringLiteral("9"));
        function.downloadFinish(QStringLiteral("9"));
        QVERIFY(!function.getDownloadStatus(QStringLiteral("9")));
    }

    // Into temp/ in the data directory, or the directory chosen in the
    // settings.
    void anEntryIsDownloadedIntoItsDirectoryAndHandedOver_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("default") << QString();
        QTest::newRow("chosen") << QStringLiteral("下载 目录");
    }

    void anEntryIsDownloadedIntoItsDirectoryAndHandedOver()
    {
        QFETCH(QString, chosen);
        if (!chosen.isEmpty()) {
            QVERIFY(QDir().mkpath(bed.filePath(chosen)));
            ConfigFunction().saveConfig(QStringLiteral("DownloadPath"), bed.filePath(chosen));
        }
        const qint64 size = 2 * 1024 * 1024 + 3;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("setup.exe"));
        DownloadFunction function;
        function.downloadFile(QStringLiteral("12"), bed.urlOf(path), QStringLiteral("setup.exe"));
        QVERIFY(function.getDownloadStatus(QStringLiteral("12")));
        QTRY_COMPARE(function.getProgress(QStringLiteral("12")), 1.0f);
        QCOMPARE(function.getProgressPecent(QStringLiteral("12")), QStringLiteral("100%"));
        function.downloadFinish(QStringLiteral("12"));
        QVERIFY(!function.getDownloadStatus(QStringLiteral("12")));

        const QString target = bed.filePath((chosen.isEmpty() ? QStringLiteral("temp") : chosen)
                                             + QStringLiteral("/setup.exe"));
        QTRY_COMPARE(bed.openedByDesktop().arguments, target);
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        QVERIFY(!QFile::exists(target + QStringLiteral(".setting")));
    }

    void aSecondDownloadOfAnEntryRestartsItsJob()
    {
        const qint64 size = 2 * 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("twice.exe"));
        DownloadFunction function;
        function.downloadFile(QStringLiteral("3"), bed.urlOf(path), QStringLiteral("twice.exe"));
        QVERIFY(!function.getDownloadPaused(QStringLiteral("3")));
        function.pause(QStringLiteral("3"));
        QVERIFY(function.getDownloadPaused(QStringLiteral("3")));
        function.downloadFile(QStringLiteral("3"), bed.urlOf(path), QStringLiteral("twice.exe"));
        QVERIFY(!function.getDownloadPaused(QStringLiteral("3")));
        QTRY_COMPARE(function.getProgress(QStringLiteral("3")), 1.0f);
        QCOMPARE(bed.requestCount(path, QStringLiteral("HEAD")), 1); // one job: one size probe
        QCOMPARE(function.findChildren<QObject *>().size(), 0); // jobs have no parent
    }

    void aStoppedEntryContinuesFromItsResumeFile()
    {
        const qint64 size = qEnvironmentVariableIntValue("PLIT_TEST_RESUME_MB") > 0
                ? qint64(qEnvironmentVariableIntValue("PLIT_TEST_RESUME_MB")) * 1024 * 1024
                : qint64(16) * 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("half.exe"));
        const QString target = DownloadFunction::savePath(QStringLiteral("half.exe"));
        // The connection breaks at half and the page stops the download there.
        bed.server().script(path, {{"method", "GET"}, {"drop_after", size / 2}});
        DownloadFunction function;
        function.downloadFile(QStringLiteral("5"), bed.urlOf(path), QStringLiteral("half.exe"));
        QTRY_VERIFY_WITH_TIMEOUT(!function.getDownloadError(QStringLiteral("5")).isEmpty(), 20000);
        function.stop(QStringLiteral("5"));
        QVERIFY(!function.getDownloadStatus(QStringLiteral("5")));
        const qint64 ready = QSettings(target + QStringLiteral(".setting"), QSettings::IniFormat)
                                     .value(QStringLiteral("READYSIZE1")).toLongLong();
        QVERIFY(ready > 0);
        QVERIFY(ready <= size / 2);

        bed.server().clearRequests();
        function.downloadFile(QStringLiteral("5"), bed.urlOf(path), QStringLiteral("half.exe"));
        QTRY_COMPARE_WITH_TIMEOUT(function.getProgress(QStringLiteral("5")), 1.0f, 20000);
        QCOMPARE(bed.headersAsked(path), QStringList{QStringLiteral("bytes=%1-%2").arg(ready).arg(size)});
        QTRY_VERIFY(!QFile::exists(target + QStringLiteral(".setting")));
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        qInfo("resumed %lld of %lld bytes from byte %lld", size - ready, size, ready);
    }

    // The page shows the stop and pause buttons while the size is still
    // being asked for; either must leave the entry in a state it can go on from.
    void stopOrPauseWhileTheSizeIsAskedFor_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("stop") << true;
        QTest::newRow("pause") << false;
    }

    void stopOrPauseWhileTheSizeIsAskedFor()
    {
        QFETCH(bool, stop);
        const QString id = QStringLiteral("21");
        const QString path = StandInServer::generatedFilePath(1000, QStringLiteral("probe.exe"));
        bed.server().script(path, {{"method", "HEAD"}, {"delay_ms", 1500}});
        DownloadFunction function;
        QTimer::singleShot(100, &function, [&] {
            if (stop)
                function.stop(id);
            else
                function.pause(id);
        });
        function.downloadFile(id, bed.urlOf(path), QStringLiteral("probe.exe"));
        QTest::qWait(300); // releases what was let go, and time for a wrong download to run
        QCOMPARE(function.getDownloadStatus(id), !stop);
        QCOMPARE(function.getDownloadPaused(id), !stop);
        QCOMPARE(function.getProgress(id), 0.0f);
        QCOMPARE(function.getDownloadError(id), QString());

        // The entry goes on from there: resumed, or started anew.
        function.downloadFile(id, bed.urlOf(path), QStringLiteral("probe.exe"));
        QTRY_COMPARE(function.getProgress(id), 1.0f);
        QCOMPARE(DownloadTestBed::readFile(DownloadFunction::savePath(QStringLiteral("probe.exe"))),
                 StandInServer::generatedBytes(0, 1000));
    }

    // The person reads why in their language; the log keeps the details.
    void failuresAreToldInTheUsersLanguage_data()
    {
        QTest::addColumn<QString>("technical");
        QTest::addColumn<QString>("told");
        const QString network = QStringLiteral("网络连接中断，请检查网络后重试");
        const QString silent = QStringLiteral("服务器没有应答，请稍后重试");
        const QString unwritable = QStringLiteral("无法写入下载的文件，请检查下载目录");
        QTest::newRow("refused") << "QNetworkReply::NetworkError : 1 \nConnection refused" << network;
        QTest::newRow("host gone") << "QNetworkReply::NetworkError : 3 \nHost example not found" << network;
        QTest::newRow("cut") << "the connection closed after 10 of 20 bytes" << network;
        QTest::newRow("stall") << "QNetworkReply::NetworkError : 4 \nthe transfer timed out: nothing arrived for 15 s" << silent;
        QTest::newRow("probe") << "the size request timed out: no answer for 15 s" << silent;
        QTest::newRow("not found") << "QNetworkReply::NetworkError : 203 \nNot Found" << silent;
        QTest::newRow("disk full") << "can not write file : \nNo space left on device" << QStringLiteral("磁盘空间不足，请清理后重试");
        QTest::newRow("read-only") << "can not open file : \nPermission denied" << unwritable;
        QTest::newRow("changed") << "the file changes on the server while it is downloaded"
                                 << QStringLiteral("服务器上的文件已更新，请重新下载");
        QTest::newRow("none") << QString() << QString();
    }

    void failuresAreToldInTheUsersLanguage()
    {
        QFETCH(QString, technical);
        QFETCH(QString, told);
        QCOMPARE(DownloadFunction::userErrorText(technical), told);
    }

    void aStallIsReportedAndTheNextDownloadTakesItUp()
    {
        bed.setTimeLimit(300);
        const QString id = QStringLiteral("22");
        const QString path = StandInServer::generatedFilePath(100000, QStringLiteral("stall.exe"));
        bed.server().script(path, {{"method", "GET"}, {"stall_after", 1000}});
        DownloadFunction function;
        function.downloadFile(id, bed.urlOf(path), QStringLiteral("stall.exe"));
        QTRY_VERIFY(!function.getDownloadError(id).isEmpty());
        QCOMPARE(function.getDownloadError(id), QStringLiteral("服务器没有应答，请稍后重试"));
        QVERIFY(function.getDownloadStatus(id));

        function.downloadFile(id, bed.urlOf(path), QStringLiteral("stall.exe"));
        QCOMPARE(function.getDownloadError(id), QString());
        QTRY_COMPARE(function.getProgress(id), 1.0f);
        QCOMPARE(bed.headersAsked(path).last(), QStringLiteral("bytes=1000-100000"));
    }

    void aFileNameThatCannotBeSavedAsItIsIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("leaves temp") << QStringLiteral("../x.exe");
        QTest::newRow("a folder") << QStringLiteral("..");
        QTest::newRow("NUL") << QStringLiteral("setup.exe") + QChar(0) + QStringLiteral(".txt");
        QTest::newRow("line break") << QStringLiteral("set\nup.exe");
        QTest::newRow("escape") << QStringLiteral("set\x1bup.exe");
        QTest::newRow("DEL") << QStringLiteral("set\x7fup.exe");
        QTest::newRow("C1 control") << QStringLiteral("set") + QChar(0x85) + QStringLiteral("up.exe");
        QTest::newRow("lone surrogate") << QStringLiteral("set") + QChar(0xd800) + QStringLiteral("up.exe");
        QTest::newRow("longer than a name may be") << QString(256, QLatin1Char('x'));
    }

    void aFileNameThatCannotBeSavedAsItIsIsRefused()
    {
        QFETCH(QString, name);
        const QString path = StandInServer::generatedFilePath(100, QStringLiteral("x.exe"));
        DownloadFunction function;
        function.downloadFile(QStringLiteral("6"), bed.urlOf(path), name);
        QVERIFY(!function.getDownloadStatus(QStringLiteral("6")));
        QCOMPARE(function.getDownloadError(QStringLiteral("6")), QStringLiteral("服务器给出的文件名无法保存"));
        QVERIFY(bed.server().requests(path).isEmpty());
        QVERIFY(QDir(QFileInfo(DownloadFunction::savePath(QStringLiteral("x"))).path())
                    .entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(!QFile::exists(bed.filePath(QStringLiteral("x.exe"))));
    }

    void aDownloadThatCannotStartKeepsItsJobAndSaysWhy()
    {
        DownloadFunction function;
        function.downloadFile(QStringLiteral("8"), bed.urlOf(QStringLiteral("/files/nothing.exe")),
                              QStringLiteral("nothing.exe"));
        QVERIFY(function.getDownloadStatus(QStringLiteral("8")));
        QCOMPARE(function.getProgress(QStringLiteral("8")), 0.0f);
        QCOMPARE(function.getDownloadSpeed(QStringLiteral("8")), QString());
        QVERIFY(!function.getDownloadError(QStringLiteral("8")).isEmpty());
    }
};

QTEST_MAIN(TestDownloadFunction)
#include "tst_downloadfunction.moc"
