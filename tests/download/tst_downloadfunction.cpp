#include "download/downloadcontrol.h"
#include "download/downloadfile.h"
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
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString listPath = QStringLiteral("/api/articleapi/getDownload");
const QString detailPath = QStringLiteral("/api/Articleapi/getDownloadInfo");

// The values of `properties` of an element, joined by '|'.
QString fields(const QObject *element, const QList<const char *> &properties)
{
    QStringList values;
    for (const char *property : properties)
        values << element->property(property).toString();
    return values.join(QLatin1Char('|'));
}

} // namespace

class TestDownloadFunction : public QObject
{
    Q_OBJECT

    DownloadTestBed bed;
    QScopedPointer<DownloadFunction> function;

private slots:
    void init()
    {
        QVERIFY(bed.begin());
        bed.server().useAsPlatform();
        function.reset(new DownloadFunction);
    }

    void cleanup()
    {
        function.reset();
        bed.end();
    }

    // Every field of each entry, the file name taken from the download
    // address, numbers in their shortest form; and the page count.
    void theCataloguePageCarriesEveryEntryAndThePageCount()
    {
        const QJsonArray entries{
            QJsonObject{{"id", 12}, {"title", "开票软件"}, {"shortitle", "V2.0"}, {"summary", "摘要"},
                        {"uplodeimg", "http://x/icon.png"}, {"uplodesoft", "http://x/soft/setup.exe"},
                        {"softsize", "12.5M"}, {"p_url", "http://x/page"}},
            QJsonObject{{"id", 13}, {"title", "no page"}, {"uplodesoft", "http://x/dir/"}},
            QJsonObject{{"id", 14}, {"uplodesoft", "plain.exe"}},
            QJsonObject{{"id", 15}, {"softsize", 0.1}, {"shortitle", 2.5}, {"title", 20200101},
                        {"summary", 12345678901.0}}};
        bed.server().script(listPath, {{"json", QJsonObject{{"states", true},
                                                             {"data", QJsonObject{{"data", entries}, {"page_count", 3}}}}}});
        QCOMPARE(function->getDownloadInfoListTotalPageCount(), 0);
        const QVariantList list = function->getDownloadInfoListFromPage(2);
        QCOMPARE(function->getDownloadInfoListTotalPageCount(), 3);
        QStringList rows;
        for (const QVariant &entry : list) {
            QScopedPointer<QObject> element(entry.value<DownloadFileModel *>());
            QVERIFY(element && !element->parent());
            rows << fields(element.data(), {"id", "title", "shortitle", "summary", "uplodeimg", "softsize", "url",
                                            "filename"});
        }
        QCOMPARE(rows, (QStringList{"12|开票软件|V2.0|摘要|http://x/icon.png|12.5M|http://x/page|setup.exe",
                                    "13|no page||||||", "14|||||||plain.exe",
                                    "15|20200101|2.5|12345678901||0.1||"}));
        const QJsonArray requests = bed.server().requests(listPath);
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests.first()["body"].toString().startsWith("page=2&ip="));
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
        QCOMPARE(function->getDownloadInfoList(), QVariantList());
        QCOMPARE(function->getDownloadInfoListFromPage(1), QVariantList());
        QCOMPARE(function->getDownloadInfoListTotalPageCount(), 0);
    }

    void theDetailsCarryThePicturesOrNothing_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QVariantList>("pictures");
        QTest::newRow("all") << R"({"states":true,"data":{"id":"12","uplodeimg":"i.png","title":"名称","shortitle":"V1",)"
                                R"("softsize":"3M","creat_time":"2020-01-02","summary":"s","imglist":[{"url":"a.png"},{"url":"b.png"}]}})"
                             << "12|i.png|名称|V1|3M|2020-01-02|s|true" << QVariantList{"a.png", "b.png"};
        QTest::newRow("numbers") << R"({"states":true,"data":{"softsize":0.3,"shortitle":1.1,"imglist":[]}})"
                                 << "|||1.1|0.3|||false" << QVariantList();
        QTest::newRow("refused") << R"({"states":"true","data":{"title":"t"}})" << "|||||||false" << QVariantList();
    }

    void theDetailsCarryThePicturesOrNothing()
    {
        QFETCH(QString, body);
        QFETCH(QString, shown);
        QFETCH(QVariantList, pictures);
        bed.server().script(detailPath, {{"body", body}});
        QScopedPointer<SoftwareInfo> info(function->getDownloadInfo("12").value<SoftwareInfo *>());
        QVERIFY(info);
        QCOMPARE(fields(info.data(), {"id", "icon", "name", "version", "size", "updatetime", "summary", "picexist"}),
                 shown);
        QCOMPARE(info->piclist(), pictures);
        QVERIFY(bed.server().requests(detailPath).first()["body"].toString().startsWith("articleid=12&ip="));
    }

    // An entry without a job has no figures, and acting on it does nothing;
    // one whose download cannot start keeps its job and says why.
    void entriesWithoutARunningDownload()
    {
        function->pause("9");
        function->stop("9");
        function->downloadFinish("9");
        QCOMPARE(function->getProgress("9"), 0.0f);
        QCOMPARE(function->getProgressPecent("9") + function->getDownloadSpeed("9") + function->getDownloadError("9"),
                 QString());
        QVERIFY(!function->getDownloadStatus("9") && !function->getDownloadPaused("9"));

        function->downloadFile("8", bed.urlOf("/files/nothing.exe"), "nothing.exe");
        QVERIFY(function->getDownloadStatus("8"));
        QCOMPARE(function->getProgress("8"), 0.0f);
        QCOMPARE(function->getDownloadSpeed("8"), QString());
        QVERIFY(!function->getDownloadError("8").isEmpty());
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
        function->downloadFile(QStringLiteral("12"), bed.urlOf(path), QStringLiteral("setup.exe"));
        QVERIFY(function->getDownloadStatus(QStringLiteral("12")));
        QTRY_COMPARE(function->getProgress(QStringLiteral("12")), 1.0f);
        QCOMPARE(function->getProgressPecent(QStringLiteral("12")), QStringLiteral("100%"));
        function->downloadFinish(QStringLiteral("12"));
        QVERIFY(!function->getDownloadStatus(QStringLiteral("12")));

        const QString target = bed.filePath((chosen.isEmpty() ? QStringLiteral("temp") : chosen)
                                             + QStringLiteral("/setup.exe"));
        QTRY_COMPARE(bed.openedByDesktop().arguments, target);
        QCOMPARE(bed.headersAsked(path), QStringList{QStringLiteral("bytes=0-%1").arg(size)}); // one segment
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        QVERIFY(!QFile::exists(target + QStringLiteral(".setting")));
    }

    // The page shows the stop and pause buttons while the size is still
    // being asked for; either must leave the entry in a state it can go on
    // from. A paused entry asked for again goes on with its one job.
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
        QTimer::singleShot(100, function.data(), [&] {
            if (stop)
                function->stop(id);
            else
                function->pause(id);
        });
        function->downloadFile(id, bed.urlOf(path), QStringLiteral("probe.exe"));
        QTest::qWait(300); // releases what was let go, and time for a wrong download to run
        QCOMPARE(function->getDownloadStatus(id), !stop);
        QCOMPARE(function->getDownloadPaused(id), !stop);
        QCOMPARE(function->getProgress(id), 0.0f);
        QCOMPARE(function->getDownloadError(id), QString());

        // The entry goes on from there: resumed, or started anew.
        function->downloadFile(id, bed.urlOf(path), QStringLiteral("probe.exe"));
        QTRY_COMPARE(function->getProgress(id), 1.0f);
        QCOMPARE(DownloadTestBed::readFile(DownloadFunction::savePath(QStringLiteral("probe.exe"))),
                 StandInServer::generatedBytes(0, 1000));
        QCOMPARE(bed.headersAsked(path, "range", "HEAD").size(), stop ? 2 : 1);
        QCOMPARE(function->findChildren<QObject *>().size(), 0); // jobs have no parent
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
        function->downloadFile(QStringLiteral("6"), bed.urlOf(path), name);
        QVERIFY(!function->getDownloadStatus(QStringLiteral("6")));
        QCOMPARE(function->getDownloadError(QStringLiteral("6")), QStringLiteral("服务器给出的文件名无法保存"));
        QVERIFY(bed.server().requests(path).isEmpty());
        QVERIFY(QDir(QFileInfo(DownloadFunction::savePath(QStringLiteral("x"))).path())
                    .entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(!QFile::exists(bed.filePath(QStringLiteral("x.exe"))));
    }

    // One download job (DownloadFile): figures, start of an installer, resume files.
    void formatSizeWritesTwoDecimalsAndTheUnit()
    {
        const QList<QPair<double, QString>> sizes{{0, "0.00 B"}, {1024, "1024.00 B"}, {1025, "1.00 KB"},
                                                  {1536, "1.50 KB"}, {1048576, "1024.00 KB"},
                                                  {3.0 * (1 << 30), "3.00 G"}, {5.0 * 1024 * (1 << 30), "5120.00 G"}};
        for (const auto &size : sizes)
            QCOMPARE(DownloadFile::formatSize(size.first), size.second);
    }

    void progressPercentageAndSpeedFollowTheReports()
    {
        DownloadFile job("7", bed.urlOf("/files/none.bin"), bed.filePath("none.bin"));
        QCOMPARE(job.progressPercent(), QStringLiteral("0%"));
        auto report = [&job](qint64 total, qint64 ready) {
            QMetaObject::invokeMethod(&job, "progressChangeSlot", Q_ARG(int, 0), Q_ARG(qint64, 0),
                                      Q_ARG(qint64, total), Q_ARG(qint64, ready));
        };
        report(1000, 500);
        QMetaObject::invokeMethod(&job, "speedSlot");
        QCOMPARE(job.speed(), QStringLiteral("500.00 B/s"));
        QCOMPARE(job.progressPercent(), QStringLiteral("50%"));
        report(1000, 999);
        QCOMPARE(job.progressPercent(), QStringLiteral("99%"));
        QMetaObject::invokeMethod(&job, "speedSlot");
        QCOMPARE(job.speed(), QStringLiteral("499.00 B/s")); // the last second, not an average
        report(1000, 1002); // overlapping segments report more than the total
        QCOMPARE(job.progressPercent(), QStringLiteral("100%"));
        report(0, 0);
        QCOMPARE(job.progress(), 1.0f);
        report(-1, 5000); // no length from the server: no fraction yet
        QCOMPARE(job.progress(), 0.0f);
    }

    void anInstallerStartsInTheDataDirectoryWithItsOwnPath()
    {
        const QString path = "/files/installer.sh";
        bed.server().script(path, {{"body", QString::fromLocal8Bit(bed.recorder("started"))}, {"times", 0}});
        // An installer saved over a file that may be executed keeps that permission.
        const QString target = bed.dir().writeProgram("temp/installer.sh", QByteArray());
        DownloadFile job("13", bed.urlOf(path), target);
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QTRY_COMPARE(bed.started("started").arguments, target);
        QCOMPARE(QFileInfo(bed.started("started").directory).canonicalFilePath(),
                 QFileInfo(bed.dir().path()).canonicalFilePath());
        QCOMPARE(bed.openedByDesktop().arguments, QString());
    }

    // A damaged resume file gives way to a new download; a partial file that
    // cannot be opened for a moment (here: a folder in its place) is no
    // reason to throw away what was downloaded.
    void aResumeFileGivesWayOnlyWhenItIsDamaged()
    {
        QVERIFY(bed.dir().write("fresh.bin.setting", "COUNT=0\n"));
        const QString url = bed.urlOf(StandInServer::generatedFilePath(5000, "fresh.bin"));
        DownloadFile fresh("15", url, bed.filePath("fresh.bin"));
        QVERIFY(fresh.isResumed());
        QSignalSpy freshEnd(&fresh, &DownloadFile::finished);
        fresh.startDown();
        QTRY_COMPARE(freshEnd.count(), 1);
        QCOMPARE(DownloadTestBed::readFile(bed.filePath("fresh.bin")), StandInServer::generatedBytes(0, 5000));
        QCOMPARE(fresh.lastError(), QString());

        const qint64 size = 100000;
        const QString path = StandInServer::generatedFilePath(size, "held.bin");
        const QString target = bed.filePath("held.bin");
        DownloadTestBed::writeResumeFile(target, bed.urlOf(path), size, {{0, size, 40000}});
        QVERIFY(QDir().mkpath(target));
        DownloadFile job("16", bed.urlOf(path), target);
        job.startDown();
        QVERIFY2(job.lastError().startsWith("can not open file"), qPrintable(job.lastError()));
        QVERIFY(QFile::exists(target + ".setting"));
        QVERIFY(bed.headersAsked(path).isEmpty());

        // Once the file is back, asking again continues where it stood.
        QVERIFY(QDir(target).removeRecursively());
        QVERIFY(bed.dir().write("held.bin", StandInServer::generatedBytes(0, 40000) + QByteArray(size - 40000, 0)));
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.restartDown();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(bed.headersAsked(path), QStringList{QStringLiteral("bytes=40000-%1").arg(size)});
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        QCOMPARE(job.lastError(), QString());
    }

    void aReleaseAfterTheLastBytesStillCompletesOnce()
    {
        const qint64 size = 1024 * 1024;
        const QString target = bed.filePath("early.bin");
        QPointer<DownloadFile> job = new DownloadFile("17", bed.urlOf(StandInServer::generatedFilePath(size, "early.bin")), target);
        QSignalSpy finished(job.data(), &DownloadFile::finished);
        auto *control = job->findChild<DownloadControl *>();
        QVERIFY(control);
        bool released = false;
        connect(control, &DownloadControl::progressChange, this, [&] {
            // The page lets go as soon as the progress reads 1, which is
            // before the controller has reported the end.
            if (!released && job && job->progress() >= 1.0f) {
                released = true;
                QCOMPARE(control->state(), int(DownloadControl::Downloading));
                job->release();
            }
        });
        job->startDown();
        QTRY_VERIFY(job.isNull());
        QVERIFY(released);
        QCOMPARE(finished.count(), 1);
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        QTRY_COMPARE(bed.openedByDesktop().arguments, target);
    }
};

QTEST_MAIN(TestDownloadFunction)
#include "tst_downloadfunction.moc"
