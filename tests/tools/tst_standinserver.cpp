#include "common/standinserver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

struct Answer
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QMap<QByteArray, QByteArray> headers;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

// One plain HTTP exchange with a 10 s limit; `abortAfterMs` gives up earlier
// the way a client with a time-out would.
Answer exchange(const QByteArray &method, const QString &url, const QByteArray &body = {},
                const QList<QPair<QByteArray, QByteArray>> &headers = {}, int abortAfterMs = 10000)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    for (const auto &h : headers)
        request.setRawHeader(h.first, h.second);
    if (method == "POST")
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QStringLiteral("application/x-www-form-urlencoded"));
    // A HEAD sent as a custom verb would wait for a body that never comes.
    QNetworkReply *reply = method == "HEAD" ? manager.head(request)
                                            : manager.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(abortAfterMs, reply, &QNetworkReply::abort);
    if (!reply->isFinished())
        loop.exec();
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.error = reply->error();
    if (reply->isReadable())
        answer.body = reply->readAll();
    for (const auto &pair : reply->rawHeaderPairs())
        answer.headers.insert(pair.first.toLower(), pair.second);
    delete reply;
    return answer;
}

} // namespace

class TestStandInServer : public QObject
{
    Q_OBJECT

private:
    QString url(const QString &path) const { return m_server->baseUrl() + path; }
    Answer post(const QString &path, const QByteArray &form)
    {
        return exchange("POST", url(path), form);
    }

    QScopedPointer<StandInServer> m_server;

private slots:
    // One server for the program; each test starts from an empty record and
    // no scripts. Tests that change the world start a server of their own.
    void initTestCase()
    {
        m_server.reset(new StandInServer);
        QVERIFY(m_server->isRunning());
    }
    void init()
    {
        QVERIFY(m_server->isRunning());
        m_server->reset();
    }
    void cleanupTestCase() { m_server.reset(); }

    void startsOnAFreePortAndStopsOnRequest()
    {
        QVERIFY(m_server->port() > 0);
        QVERIFY(!m_server->baseUrl().endsWith('/'));
        QString firstUrl;
        {
            StandInServer first;
            QVERIFY(first.isRunning());
            QVERIFY(first.port() != m_server->port());
            firstUrl = first.baseUrl();
            QCOMPARE(exchange("GET", firstUrl + "/updatefile.json").status, 200);
        }
        // After the destructor the port answers no more; the others go on.
        QCOMPARE(exchange("GET", firstUrl + "/updatefile.json").error,
                 QNetworkReply::ConnectionRefusedError);
        QCOMPARE(exchange("GET", url("/updatefile.json")).status, 200);
    }

    void useAsPlatformPointsTheProgramAtTheServer()
    {
        m_server->useAsPlatform();
        QCOMPARE(qEnvironmentVariable("PLIT_PLATFORM_URL"), m_server->baseUrl());
        QCOMPARE(qEnvironmentVariable("PLIT_UPDATE_URL"), m_server->baseUrl());
        QCOMPARE(qEnvironmentVariable("PLIT_CHAT_URL"), m_server->baseUrl() + "/chat");
    }

    void recordsRequestsWithDecodedFormAndKeepsPlusSigns()
    {
        post("/api/platApi/messageSave",
             "msgtypes=1&summary=a+b %E5%A5%BD 好&phone=13800000002&types=1016");
        exchange("GET", url("/api/platApi/getServtime?x=1"));
        const QJsonArray all = m_server->requests();
        QCOMPARE(all.size(), 2);
        const QJsonObject first = all.at(0).toObject();
        QCOMPARE(first["method"].toString(), QStringLiteral("POST"));
        QCOMPARE(first["path"].toString(), QStringLiteral("/api/platApi/messageSave"));
        QCOMPARE(first["headers"].toObject()["content-type"].toString(),
                 QStringLiteral("application/x-www-form-urlencoded"));
        QCOMPARE(first["form"].toObject()["summary"].toString(), QStringLiteral("a+b 好 好"));
        QVERIFY(first["body"].toString().startsWith("msgtypes=1&summary=a+b %E5%A5%BD"));
        const QJsonObject second = all.at(1).toObject();
        QCOMPARE(second["query"].toString(), QStringLiteral("x=1"));
        QVERIFY(!second.contains("form"));

        QCOMPARE(m_server->requests("/api/platApi/getServtime").size(), 1);
        m_server->clearRequests();
        QCOMPARE(m_server->requests().size(), 0);
    }

    void scriptedStatusAndBodyServeTheGivenTimesThenTheNormalAnswer()
    {
        m_server->script("/api/platApi/sendLog",
                         {{"status", 500}, {"body", "not json"}, {"times", 2}});
        m_server->script("/api/platApi/sendLog", {{"json", QJsonObject{{"states", false}}}});
        for (int i = 0; i < 2; ++i) {
            const Answer a = post("/api/platApi/sendLog", "types=1");
            QCOMPARE(a.status, 500);
            QCOMPARE(a.body, QByteArray("not json"));
        }
        QCOMPARE(post("/api/platApi/sendLog", "types=1").json()["states"], QJsonValue(false));
        QCOMPARE(post("/api/platApi/sendLog", "types=1").json()["states"], QJsonValue(true));

        m_server->script("/api/platApi/sendLog", {{"status", 503}, {"times", 0}});
        QCOMPARE(post("/api/platApi/sendLog", "").status, 503);
        QCOMPARE(post("/api/platApi/sendLog", "").status, 503);
        m_server->unscript();
        QCOMPARE(post("/api/platApi/sendLog", "").status, 200);
    }

    void scriptMatchesOnlyItsMethod()
    {
        const QString path = StandInServer::generatedFilePath(100, "m.bin");
        m_server->script(path, {{"method", "HEAD"}, {"status", 404}});
        QCOMPARE(exchange("GET", url(path)).status, 200);
        QCOMPARE(exchange("HEAD", url(path)).status, 404);
        QCOMPARE(exchange("HEAD", url(path)).status, 200);
    }

    void delayHoldsTheNormalAnswer()
    {
        m_server->script("/api/platApi/getServtime", {{"delay_ms", 300}});
        QElapsedTimer timer;
        timer.start();
        const Answer a = exchange("GET", url("/api/platApi/getServtime"));
        QVERIFY(timer.elapsed() >= 280);
        QCOMPARE(a.status, 200);
        QVERIFY(a.body.toLongLong() > 0);
    }

    void dropAfterCutsTheRealFile()
    {
        const QString path = StandInServer::generatedFilePath(100000, "cut.bin");
        m_server->script(path, {{"drop_after", 5000}});
        const Answer a = exchange("GET", url(path));
        QVERIFY(a.error != QNetworkReply::NoError);
        QVERIFY(a.body.size() <= 5000);
        QCOMPARE(a.body, StandInServer::generatedBytes(0, a.body.size()));
        QCOMPARE(exchange("GET", url(path)).body.size(), 100000);
    }

    void rateSendsTheBodySlowly()
    {
        const QString path = StandInServer::generatedFilePath(50000, "slow.bin");
        m_server->script(path, {{"rate", 100000}});
        QElapsedTimer timer;
        timer.start();
        const Answer a = exchange("GET", url(path));
        QVERIFY(timer.elapsed() >= 450);
        QCOMPARE(a.body, StandInServer::generatedBytes(0, 50000));
    }

    void theCatalogueOffersAnInstallerScript()
    {
        const QJsonArray entries = post("/api/articleapi/getDownload", "page=1")
                                           .json()["data"].toObject()["data"].toArray();
        QString soft;
        for (const QJsonValue &entry : entries) {
            if (entry.toObject()["id"].toInt() == 31)
                soft = entry.toObject()["uplodesoft"].toString();
        }
        QVERIFY(soft.endsWith("/files/installer/4194304/plit-helper-setup.sh"));
        const Answer whole = exchange("GET", soft);
        QCOMPARE(whole.body.size(), 4194304);
        QVERIFY(whole.body.startsWith("#!/bin/sh\n"));
        QVERIFY(whole.body.endsWith("\n"));
        const Answer part = exchange("GET", soft, {}, {{"Range", "bytes=2-8"}});
        QCOMPARE(part.status, 206);
        QCOMPARE(part.body, whole.body.mid(2, 7));
    }

    void hangKeepsTheClientWaitingUntilItGivesUp()
    {
        m_server->script("/api/platApi/passlog_on", {{"hang", true}});
        QElapsedTimer timer;
        timer.start();
        const Answer a = exchange("POST", url("/api/platApi/passlog_on"), "phone=1", {}, 400);
        QVERIFY(timer.elapsed() >= 380);
        QCOMPARE(a.error, QNetworkReply::OperationCanceledError);
        // The server keeps serving others and records the hung request.
        QCOMPARE(exchange("GET", url("/api/platApi/getServtime")).status, 200);
        QCOMPARE(m_server->requests("/api/platApi/passlog_on").size(), 1);
    }

    void shortByEndsTheReplyBeforeItsAnnouncedLength()
    {
        m_server->script("/api/platApi/messageSave", {{"json", QJsonObject{{"states", true}}}, {"short_by", 50}});
        const Answer a = post("/api/platApi/messageSave", "summary=x");
        QVERIFY(a.error != QNetworkReply::NoError);
        QCOMPARE(a.body, QByteArray(R"({"states": true})"));
        QCOMPARE(a.headers.value("content-length").toInt(), a.body.size() + 50);
    }

    void padKeepsTheJsonValidButLarger()
    {
        m_server->script("/api/platApi/messageSave", {{"json", QJsonObject{{"states", true}}}, {"pad", 100000}});
        const Answer a = post("/api/platApi/messageSave", "summary=x");
        QCOMPARE(a.body.size(), 16 + 100000);
        QCOMPARE(a.json().value("states"), QJsonValue(true));
    }

    void companiesGivesASignInWithThatManyCompanies()
    {
        m_server->script("/api/platApi/passlog_on", {{"companies", 12}});
        const QJsonObject answer = post("/api/platApi/passlog_on", "phone=1&password=2").json();
        QCOMPARE(answer["status"].toInt(), 2);
        const QJsonArray companies = answer["nndata"]["data"].toArray();
        QCOMPARE(companies.size(), 12);
        QCOMPARE(companies.last()["tax_code"].toString(), QStringLiteral("9100000000000011"));
        QCOMPARE(answer["nndata"]["page_count"].toInt(), 3);
    }

    void ignoreRangeAnswersTheWholeFile()
    {
        const QString path = StandInServer::generatedFilePath(9000, "whole.bin");
        m_server->script(path, {{"ignore_range", true}});
        const Answer a = exchange("GET", url(path), {}, {{"Range", "bytes=100-199"}});
        QCOMPARE(a.status, 200);
        QCOMPARE(a.body, StandInServer::generatedBytes(0, 9000));
    }

    void noLengthEndsTheBodyWithTheConnection()
    {
        const QString path = StandInServer::generatedFilePath(70000, "nolen.bin");
        m_server->script(path, {{"no_length", true}, {"times", 2}});
        const Answer head = exchange("HEAD", url(path));
        QCOMPARE(head.status, 200);
        QVERIFY(!head.headers.contains("content-length"));
        const Answer get = exchange("GET", url(path));
        QVERIFY(!get.headers.contains("content-length"));
        QCOMPARE(get.body, StandInServer::generatedBytes(0, 70000));
    }

    void servesGeneratedFilesWithRanges()
    {
        const qint64 size = 3 * 1024 * 1024 + 517;
        const QString path = StandInServer::generatedFilePath(size, "setup.exe");
        const Answer head = exchange("HEAD", url(path));
        QCOMPARE(head.status, 200);
        QCOMPARE(head.headers.value("content-length"), QByteArray::number(size));
        QCOMPARE(head.headers.value("accept-ranges"), QByteArray("bytes"));
        QVERIFY(head.body.isEmpty());

        const Answer mid = exchange("GET", url(path), {}, {{"Range", "bytes=4090-12300"}});
        QCOMPARE(mid.status, 206);
        QCOMPARE(mid.headers.value("content-range"),
                 QByteArray("bytes 4090-12300/") + QByteArray::number(size));
        QCOMPARE(mid.body, StandInServer::generatedBytes(4090, 12300 - 4090 + 1));

        const Answer tail = exchange("GET", url(path), {}, {{"Range", "bytes=3145000-"}});
        QCOMPARE(tail.status, 206);
        QCOMPARE(tail.body, StandInServer::generatedBytes(3145000, size - 3145000));

        const Answer whole = exchange("GET", url(path));
        QCOMPARE(whole.status, 200);
        QCOMPARE(whole.body.size(), int(size));
        QCOMPARE(whole.body, StandInServer::generatedBytes(0, size));

        // An end past the file is cut to its last byte, as the downloader's
        // last segment asks for it.
        const QString ten = StandInServer::generatedFilePath(10, "ten.bin");
        const Answer last = exchange("GET", url(ten), {}, {{"Range", "bytes=6-10"}});
        QCOMPARE(last.status, 206);
        QCOMPARE(last.headers.value("content-range"), QByteArray("bytes 6-9/10"));
        QCOMPARE(last.body, StandInServer::generatedBytes(6, 4));
        QCOMPARE(exchange("GET", url(ten), {}, {{"Range", "bytes=10-"}}).status, 416);
    }

    void generatedBytesCarryTheirBlockIndex()
    {
        const QByteArray block = StandInServer::generatedBytes(3 * 4096, 8);
        QCOMPARE(block, QByteArray::fromHex("0000000000000003"));
        QVERIFY(StandInServer::generatedBytes(0, 4096) != StandInServer::generatedBytes(4096, 4096));
        QCOMPARE(StandInServer::generatedBytes(4000, 200),
                 StandInServer::generatedBytes(0, 8192).mid(4000, 200));
    }

    void signsInEachDemoAccount()
    {
        QJsonObject full = post("/api/platApi/passlog_on",
                                "phone=13800000002&password=Plit@2026&types=1010&ip=1&edition=2").json();
        QCOMPARE(full["states"], QJsonValue(true));
        QCOMPARE(full["status"].toInt(), 2);
        const QJsonObject nndata = full["nndata"].toObject();
        QCOMPARE(nndata["page_count"].toInt(), 5);
        const QJsonArray companies = nndata["data"].toArray();
        QCOMPARE(companies.size(), 5);
        const QJsonObject company = companies.at(0).toObject();
        QVERIFY(!company["tax_code"].toString().isEmpty());
        QVERIFY(!company["tax_name"].toString().isEmpty());
        QCOMPARE(company["phone"].toString(), QStringLiteral("13800000002"));
        QVERIFY(company["url"].toString().startsWith(m_server->baseUrl() + "/invoice/"));

        QJsonObject improve = post("/api/platApi/passlog_on",
                                   "phone=13800000001&password=Plit@2026&types=1010").json();
        QCOMPARE(improve["status"].toInt(), 1);
        QJsonObject locked = post("/api/platApi/passlog_on",
                                  "phone=13800000000&password=Plit@2026&types=1010").json();
        QCOMPARE(locked["states"], QJsonValue(true));
        QCOMPARE(locked["status"].toInt(), 0);

        QJsonObject wrong = post("/api/platApi/passlog_on",
                                 "phone=13800000002&password=nope&types=1010").json();
        QCOMPARE(wrong["states"], QJsonValue(false));
        QVERIFY(!wrong["msg"].toString().isEmpty());
    }

    void smsCodeSignsInOnlyWithItsKey()
    {
        const QJsonObject sent = post("/api/platApi/mesSend", "phone=13800000003&types=1012").json();
        QCOMPARE(sent["states"], QJsonValue(true));
        const QByteArray key = sent["key"].toString().toUtf8();
        QVERIFY(!key.isEmpty());
        QCOMPARE(post("/api/platApi/log_on",
                      "phone=13800000003&key=&code=123456&types=1010").json()["states"],
                 QJsonValue(false));
        QCOMPARE(post("/api/platApi/log_on",
                      "phone=13800000003&key=" + key + "&code=654321&types=1010").json()["states"],
                 QJsonValue(false));
        const QJsonObject ok = post("/api/platApi/log_on",
                                    "phone=13800000003&key=" + key + "&code=123456&types=1010").json();
        QCOMPARE(ok["states"], QJsonValue(true));
        QCOMPARE(ok["nndata"].toObject()["data"].toArray().size(), 1);
    }

    void registersCompletesAndResets()
    {
        StandInServer own;
        QVERIFY(own.isRunning());
        auto post = [&own](const QString &path, const QByteArray &form) {
            return exchange("POST", own.baseUrl() + path, form);
        };
        const QByteArray key = post("/api/platApi/mesSend", "phone=13900000009&types=1012")
                                   .json()["key"].toString().toUtf8();
        const QJsonObject reg = post("/api/platApi/userReg",
                                     "phone=13900000009&email=a@b.cn&real_name=赵六&password=x1&key="
                                     + key + "&code=123456&types=1011").json();
        QCOMPARE(reg["states"], QJsonValue(true));
        QCOMPARE(reg["status"].toInt(), 2);
        QCOMPARE(post("/api/platApi/passlog_on", "phone=13900000009&password=x1")
                     .json()["status"].toInt(), 2);

        const QJsonObject done = post("/api/platApi/userReg",
                                      "phone=13800000001&email=c@d.cn&real_name=孙七&password=y2"
                                      "&key=&code=qorvexmt40782&types=1011").json();
        QCOMPARE(done["status"].toInt(), 2);

        const QByteArray key2 = post("/api/platApi/mesSend", "phone=13800000002&types=1012")
                                    .json()["key"].toString().toUtf8();
        QCOMPARE(post("/api/platApi/ResetPassword", "phone=13800000002&password=n1&rpassword=n2&key="
                      + key2 + "&code=123456&types=1015").json()["states"], QJsonValue(false));
        const QJsonObject reset = post("/api/platApi/ResetPassword",
                                       "phone=13800000002&password=n1&rpassword=n1&key="
                                       + key2 + "&code=123456&types=1015").json();
        QCOMPARE(reset["states"], QJsonValue(true));
        QCOMPARE(reset["status"].toInt(), 2);
        QCOMPARE(post("/api/platApi/passlog_on", "phone=13800000002&password=n1")
                     .json()["states"], QJsonValue(true));
    }

    void pagesAndSearchesTaxCodes()
    {
        const QJsonObject page5 = post("/api/platapi/getTaxPage", "phone=13800000002&page=5").json();
        QCOMPARE(page5["states"], QJsonValue(true));
        QCOMPARE(page5["data"].toObject()["data"].toArray().size(), 3);
        QCOMPARE(page5["data"].toObject()["page_count"].toInt(), 5);

        const QJsonObject found = post("/api/platapi/getTaxPage",
                                       "phone=13800000002&page=1&key=杭州").json();
        const QJsonArray hits = found["data"].toObject()["data"].toArray();
        QVERIFY(!hits.isEmpty());
        for (const QJsonValue &hit : hits)
            QVERIFY(hit.toObject()["tax_name"].toString().contains("杭州"));
        QCOMPARE(found["data"].toObject()["page_count"].toInt(), 1);
        // The path's letter case is part of the contract.
        QCOMPARE(post("/api/platApi/getTaxPage", "phone=13800000002&page=1").status, 404);
    }

    void servesArticlesAndTheCatalogue()
    {
        for (int cls : {3, 4, 8}) {
            const QJsonArray data = post("/api/ArticleApi/getArticle",
                                         "classid=" + QByteArray::number(cls) + "&num=2")
                                        .json()["data"].toArray();
            QCOMPARE(data.size(), 2);
            QVERIFY(data.at(0).toObject()["p_url"].toString().startsWith(m_server->baseUrl()));
        }
        QCOMPARE(post("/api/platapi/getArticle", "classid=8&num=5").json()["data"].toArray().size(), 5);
        QVERIFY(!post("/api/ArticleApi/getIndexArticle", "ip=1").json()["data"].toArray().isEmpty());

        const QJsonObject first = post("/api/articleapi/getDownload", "page=1").json();
        const int pages = first["data"].toObject()["page_count"].toInt();
        QVERIFY(pages >= 2);
        const QJsonArray last = post("/api/articleapi/getDownload", "page=" + QByteArray::number(pages))
                                    .json()["data"].toObject()["data"].toArray();
        QVERIFY(!last.isEmpty());
        const QJsonObject entry = first["data"].toObject()["data"].toArray().at(0).toObject();
        QVERIFY(entry["id"].isDouble());
        const Answer head = exchange("HEAD", entry["uplodesoft"].toString());
        QCOMPARE(head.status, 200);
        QVERIFY(head.headers.value("content-length").toLongLong() > 0);
        QCOMPARE(exchange("GET", entry["uplodeimg"].toString()).body.left(4), QByteArray("\x89PNG"));

        const QJsonObject details = post("/api/Articleapi/getDownloadInfo",
                                         "articleid=" + QByteArray::number(entry["id"].toInt()))
                                        .json();
        QCOMPARE(details["states"], QJsonValue(true));
        QCOMPARE(details["data"].toObject()["title"], entry["title"]);
        QVERIFY(details["data"].toObject()["imglist"].isArray());
        QCOMPARE(post("/api/Articleapi/getDownloadInfo", "articleid=999999").json()["states"],
                 QJsonValue(false));
    }

    void servesTheUpdateFileAndPages()
    {
        QCOMPARE(exchange("GET", url("/updatefile.json")).json()["version"].toString(),
                 QStringLiteral("2.0.0.2"));
        m_server->setUpdateVersion("2.0.0.3");
        QCOMPARE(exchange("GET", url("/updatefile.json")).json()["version"].toString(),
                 QStringLiteral("2.0.0.3"));
        m_server->setUpdateBody("[1,2]");
        QCOMPARE(exchange("GET", url("/updatefile.json")).body, QByteArray("[1,2]"));
        m_server->setUpdateVersion("2.0.0.2");

        QVERIFY(exchange("GET", url("/prnhelp.exe")).body.size() > 100000);
        for (const char *page : {"/api/ArticleApi/mini", "/help/", "/chat/room?x=1",
                                 "/api/platApi/ckUser?phone=abc"}) {
            const Answer a = exchange("GET", url(page));
            QCOMPARE(a.status, 200);
            QVERIFY(a.headers.value("content-type").startsWith("text/html"));
        }
    }

    void invoicingPageNamesTheCompanyAndOpensItsForm()
    {
        const QJsonObject company = post("/api/platapi/getTaxPage", "phone=13800000002&page=2")
                                        .json()["data"].toObject()["data"].toArray().first().toObject();
        const QString page = QString::fromUtf8(exchange("GET", company["url"].toString()).body);
        QVERIFY(page.contains(company["tax_name"].toString()));
        QVERIFY(page.contains(company["tax_code"].toString()));
        // The link opens the form in a new window; the form is sent back.
        QVERIFY(page.contains("href=\"/invoice/issue?tax_code=" + company["tax_code"].toString()
                              + "\" target=\"_blank\""));
        const QString form = QString::fromUtf8(
            exchange("GET", url("/invoice/issue?tax_code=" + company["tax_code"].toString())).body);
        QVERIFY(form.contains("<form method=\"post\" action=\"/invoice/issue\">"));
        const QString issued = QString::fromUtf8(
            post("/invoice/issue", "tax_code=" + company["tax_code"].toString().toLatin1()
                                       + "&buyer=%E6%9D%8E%E5%9B%9B&amount=100").body);
        QVERIFY(issued.contains(company["tax_name"].toString()));
        QVERIFY(issued.contains(QStringLiteral("李四")));

        // Hostile codes come back as text.
        const QString unknown = QString::fromUtf8(exchange("GET", url("/invoice/?tax_code=%3Cb%3E")).body);
        QVERIFY(unknown.contains("&lt;b&gt;"));
        QVERIFY(!unknown.contains("<b>"));
    }

    void survivesMalformedRequests()
    {
        post("/api/platApi/passlog_on", "%%%&=&==&phone=%ZZ&password");
        exchange("POST", url("/api/platApi/getServtime"), QByteArray("\xff\xfe\x00", 3));
        QCOMPARE(exchange("GET", url("/api/platApi/getServtime")).status, 200);
    }
};

QTEST_GUILESS_MAIN(TestStandInServer)
#include "tst_standinserver.moc"
