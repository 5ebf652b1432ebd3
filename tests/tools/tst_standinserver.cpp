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
    // no scripts.
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

    // The program's tests would not notice a wrong path or an update file
    // that stays the same, so the stand-in must tell them apart.
    void pathsKeepTheirLetterCaseAndTheUpdateVersionFollowsTheTest()
    {
        QCOMPARE(post("/api/platapi/getTaxPage", "phone=13800000002&page=1").status, 200);
        QCOMPARE(post("/api/platApi/getTaxPage", "phone=13800000002&page=1").status, 404);
        m_server->setUpdateVersion("2.0.0.3");
        QCOMPARE(exchange("GET", url("/updatefile.json")).json()["version"].toString(),
                 QStringLiteral("2.0.0.3"));
        m_server->setUpdateBody("[1,2]");
        QCOMPARE(exchange("GET", url("/updatefile.json")).body, QByteArray("[1,2]"));
        m_server->setUpdateVersion("2.0.0.2");
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
