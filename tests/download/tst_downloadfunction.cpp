#include "download/downloadcontrol.h"
#include "download/downloadfile.h"
#include "download/downloadfilemodel.h"
#include "download/downloadfunction.h"
#include "download/softwareinfo.h"
#include "standinserver.h"
#include "testdatadir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString listPath = QStringLiteral("/api/articleapi/getDownload");
const QString detailPath = QStringLiteral("/api/Articleapi/getDownloadInfo");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject catalogueReply(const QJsonValue &states, const QJsonArray &entries, int pageCount)
{
    return QJsonObject{{QStringLiteral("states"), states},
                       {QStringLiteral("data"), QJsonObject{{QStringLiteral("data"), entries},
                                                             {QStringLiteral("page_count"), pageCount}}}};
}

} // namespace

class TestDownloadFunction : public QObject
{
    Q_OBJECT

private:
    QStringList rangesAsked(const QString &path) const
    {
        QStringList ranges;
        for (const QJsonValue &value : m_server->requests(path)) {
            const QJsonObject request = value.toObject();
            if (request.value(QStringLiteral("method")).toString() == QLatin1String("GET"))
                ranges << request.value(QStringLiteral("headers")).toObject().value(QStringLiteral("range")).toString();
        }
        return ranges;
    }

    QString urlOf(const QString &path) const { return m_server->baseUrl() + path; }

    void scriptJson(const QString &path, const QJsonObject &json)
    {
        m_server->script(path, QJsonObject{{QStringLiteral("json"), json}});
    }

    QScopedPointer<TestDataDir> m_dir;
    QScopedPointer<StandInServer> m_server;
    QByteArray m_path;

private slots:
    void initTestCase() { m_path = qgetenv("PATH"); }

    void init()
    {
        m_dir.reset(new TestDataDir);
        m_server.reset(new StandInServer);
        QVERIFY(m_server->isRunning());
        m_server->useAsPlatform();
        // Downloaded files go to the desktop's handler; this one only records.
        QVERIFY(m_dir->write(QStringLiteral("bin/xdg-open"),
                             "#!/bin/sh\nprintf '%s' \"$*\" > '"
                                     + m_dir->filePath(QStringLiteral("opened.txt")).toLocal8Bit() + "'\n"));
        QFile::setPermissions(m_dir->filePath(QStringLiteral("bin/xdg-open")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("PATH", m_dir->filePath(QStringLiteral("bin")).toLocal8Bit() + ':' + m_path);
    }

    void cleanup()
    {
        qputenv("PATH", m_path);
        m_server.reset();
        m_dir.reset();
    }

    void theCataloguePageCarriesEveryEntryAndThePageCount()
    {
        scriptJson(listPath, catalogueReply(true, QJsonArray{
            QJsonObject{{QStringLiteral("id"), 12}, {QStringLiteral("title"), QStringLiteral("开票软件")},
                        {QStringLiteral("shortitle"), QStringLiteral("V2.0")},
                        {QStringLiteral("summary"), QStringLiteral("摘要")},
                        {QStringLiteral("uplodeimg"), QStringLiteral("http://x/icon.png")},
                        {QStringLiteral("uplodesoft"), QStringLiteral("http://x/soft/setup.exe")},
                        {QStringLiteral("softsize"), QStringLiteral("12.5M")},
                        {QStringLiteral("p_url"), QStringLiteral("http://x/page")}},
            QJsonObject{{QStringLiteral("id"), 13}, {QStringLiteral("title"), QStringLiteral("no page")},
                        {QStringLiteral("uplodesoft"), QStringLiteral("http://x/dir/")}},
            QJsonObject{{QStringLiteral("id"), 14}, {QStringLiteral("uplodesoft"), QStringLiteral("plain.exe")}},
        }, 3));
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
        qDeleteAll(QList<QObject *>{first, second, list.at(2).value<DownloadFileModel *>()});

        const QJsonArray requests = m_server->requests(listPath);
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests.first().toObject().value(QStringLiteral("body")).toString().startsWith(QStringLiteral("page=2&ip=")));
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
        m_server->script(listPath, QJsonObject{{QStringLiteral("body"), body}, {QStringLiteral("times"), 2}});
        DownloadFunction function;
        QCOMPARE(function.getDownloadInfoList(), QVariantList());
        QCOMPARE(function.getDownloadInfoListFromPage(1), QVariantList());
        QCOMPARE(function.getDownloadInfoListTotalPageCount(), 0);
    }

    void theStandInCatalogueListsDownloadableEntries()
    {
        DownloadFunction function;
        const QVariantList list = function.getDownloadInfoList();
        QVERIFY(!list.isEmpty());
        for (const QVariant &value : list) {
            auto *entry = value.value<DownloadFileModel *>();
            QVERIFY(entry);
            QVERIFY(!entry->id().isEmpty());
            delete entry;
        }
    }

    void theDetailsCarryThePictures()
    {
        scriptJson(detailPath, QJsonObject{
            {QStringLiteral("states"), true},
            {QStringLiteral("data"), QJsonObject{
                {QStringLiteral("id"), QStringLiteral("12")}, {QStringLiteral("uplodeimg"), QStringLiteral("i.png")},
                {QStringLiteral("title"), QStringLiteral("名称")}, {QStringLiteral("shortitle"), QStringLiteral("V1")},
                {QStringLiteral("softsize"), QStringLiteral("3M")}, {QStringLiteral("creat_time"), QStringLiteral("2020-01-02")},
                {QStringLiteral("summary"), QStringLiteral("s")},
                {QStringLiteral("imglist"), QJsonArray{QJsonObject{{QStringLiteral("url"), QStringLiteral("a.png")}},
                                                       QJsonObject{{QStringLiteral("url"), QStringLiteral("b.png")}}}}}}});
        DownloadFunction function;
        QScopedPointer<SoftwareInfo> info(function.getDownloadInfo(QStringLiteral("12")).value<SoftwareInfo *>());
        QVERIFY(info);
        QCOMPARE(info->id(), QStringLiteral("12"));
        QCOMPARE(info->icon(), QStringLiteral("i.png"));
        QCOMPARE(info->name(), QStringLiteral("名称"));
        QCOMPARE(info->version(), QStringLiteral("V1"));
        QCOMPARE(info->size(), QStringLiteral("3M"));
        QCOMPARE(info->updatetime(), QStringLiteral("2020-01-02"));
        QCOMPARE(info->summary(), QStringLiteral("s"));
        QCOMPARE(info->piclist(), (QVariantList{QStringLiteral("a.png"), QStringLiteral("b.png")}));
        QVERIFY(info->picexist());
        const QString body = m_server->requests(detailPath).first().toObject().value(QStringLiteral("body")).toString();
        QVERIFY(body.startsWith(QStringLiteral("articleid=12&ip=")));
    }

    void detailsWithoutPicturesOrRefusedAreEmpty()
    {
        scriptJson(detailPath, QJsonObject{{QStringLiteral("states"), true},
                                           {QStringLiteral("data"), QJsonObject{{QStringLiteral("title"), QStringLiteral("t")},
                                                                                {QStringLiteral("imglist"), QJsonArray()}}}});
        DownloadFunction function;
        QScopedPointer<SoftwareInfo> info(function.getDownloadInfo(QStringLiteral("1")).value<SoftwareInfo *>());
        QCOMPARE(info->name(), QStringLiteral("t"));
        QVERIFY(!info->picexist());
        QCOMPARE(info->piclist(), QVariantList());

        m_server->script(detailPath, QJsonObject{{QStringLiteral("body"), QStringLiteral(R"({"states":"true","data":{"title":"t"}})")}});
        QScopedPointer<SoftwareInfo> refused(function.getDownloadInfo(QStringLiteral("1")).value<SoftwareInfo *>());
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
        function.pause(QStringLiteral("9"));
        function.stop(QStringLiteral("9"));
        function.downloadFinish(QStringLiteral("9"));
        QVERIFY(!function.getDownloadStatus(QStringLiteral("9")));
    }

    void anEntryIsDownloadedIntoTempAndHandedOver()
    {
        const qint64 size = 2 * 1024 * 1024 + 3;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("setup.exe"));
        DownloadFunction function;
        function.downloadFile(QStringLiteral("12"), urlOf(path), QStringLiteral("setup.exe"));
        QVERIFY(function.getDownloadStatus(QStringLiteral("12")));
        QTRY_COMPARE(function.getProgress(QStringLiteral("12")), 1.0f);
        QCOMPARE(function.getProgressPecent(QStringLiteral("12")), QStringLiteral("100%"));
        function.downloadFinish(QStringLiteral("12"));
        QVERIFY(!function.getDownloadStatus(QStringLiteral("12")));

        const QString target = m_dir->filePath(QStringLiteral("temp/setup.exe"));
        QTRY_COMPARE(readFile(m_dir->filePath(QStringLiteral("opened.txt"))), target.toLocal8Bit());
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        QVERIFY(!QFile::exists(target + QStringLiteral(".setting")));
    }

    void aSecondDownloadOfAnEntryRestartsItsJob()
    {
        const qint64 size = 2 * 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("twice.exe"));
        DownloadFunction function;
        function.downloadFile(QStringLiteral("3"), urlOf(path), QStringLiteral("twice.exe"));
        function.pause(QStringLiteral("3"));
        function.downloadFile(QStringLiteral("3"), urlOf(path), QStringLiteral("twice.exe"));
        QTRY_COMPARE(function.getProgress(QStringLiteral("3")), 1.0f);
        // One job: one size probe.
        int heads = 0;
        for (const QJsonValue &request : m_server->requests(path))
            heads += request.toObject().value(QStringLiteral("method")).toString() == QLatin1String("HEAD");
        QCOMPARE(heads, 1);
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
        m_server->script(path, QJsonObject{{QStringLiteral("method"), QStringLiteral("GET")},
                                           {QStringLiteral("drop_after"), size / 2},
                                           {QStringLiteral("times"), 1}});
        DownloadFunction function;
        function.downloadFile(QStringLiteral("5"), urlOf(path), QStringLiteral("half.exe"));
        QTRY_VERIFY_WITH_TIMEOUT(!function.getDownloadError(QStringLiteral("5")).isEmpty(), 20000);
        function.stop(QStringLiteral("5"));
        QVERIFY(!function.getDownloadStatus(QStringLiteral("5")));
        QSettings setting(target + QStringLiteral(".setting"), QSettings::IniFormat);
        const qint64 ready = setting.value(QStringLiteral("READYSIZE1")).toLongLong();
        QVERIFY(ready > 0);
        QVERIFY(ready <= size / 2);

        m_server->clearRequests();
        function.downloadFile(QStringLiteral("5"), urlOf(path), QStringLiteral("half.exe"));
        QTRY_COMPARE_WITH_TIMEOUT(function.getProgress(QStringLiteral("5")), 1.0f, 20000);
        QCOMPARE(rangesAsked(path), QStringList{QStringLiteral("bytes=%1-%2").arg(ready).arg(size)});
        QTRY_VERIFY(!QFile::exists(target + QStringLiteral(".setting")));
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        qInfo("resumed %lld of %lld bytes from byte %lld", size - ready, size, ready);
    }

    void aFileNameThatLeavesTempIsRefused()
    {
        const QString path = StandInServer::generatedFilePath(100, QStringLiteral("x.exe"));
        DownloadFunction function;
        function.downloadFile(QStringLiteral("6"), urlOf(path), QStringLiteral("../x.exe"));
        QVERIFY(!function.getDownloadStatus(QStringLiteral("6")));
        QVERIFY(!function.getDownloadError(QStringLiteral("6")).isEmpty());
        QVERIFY(m_server->requests(path).isEmpty());
    }

    void aDownloadThatCannotStartKeepsItsJobAndSaysWhy()
    {
        DownloadFunction function;
        function.downloadFile(QStringLiteral("8"), urlOf(QStringLiteral("/files/nothing.exe")), QStringLiteral("nothing.exe"));
        QVERIFY(function.getDownloadStatus(QStringLiteral("8")));
        QCOMPARE(function.getProgress(QStringLiteral("8")), 0.0f);
        QCOMPARE(function.getDownloadSpeed(QStringLiteral("8")), QString());
        QVERIFY(!function.getDownloadError(QStringLiteral("8")).isEmpty());
    }
};

QTEST_MAIN(TestDownloadFunction)
#include "tst_downloadfunction.moc"
