#include "core/aescipher.h"
#include "core/jsonreply.h"
#include "core/logfunction.h"
#include "core/protobufhttp.h"
#include "core/replyreader.h"
#include "core/tool.h"
#include "testdatadir.h"
#include "standinserver.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace {

// Counts the presses and keys that reach the object it watches.
class InputCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress;
        return false;
    }
};

} // namespace

// Form POSTs to the stand-in platform: the body the platform receives, the
// reply handed back, the usage report that is not waited for, the time limit,
// and the reply envelope; the client identity values and the phone token.
class ProtobufHttpTest : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<FreshDatabase> m_fresh;
    StandInServer m_server;

    QString lastBody(const QString &path) const
    {
        return m_server.requests(path).last().toObject().value("body").toString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isRunning());
        m_server.useAsPlatform();
    }

    void init()
    {
        m_fresh.reset(new FreshDatabase);
        m_server.reset();
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "10000");
    }

    void cleanup()
    {
        m_fresh.reset();
        qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
    }

    // The client fields follow the caller's body (ending in "&" here, in a
    // value for the log below); the reply body comes back whatever the status.
    void requestCarriesTheClientFieldsAndReplyIsReturnedWhateverTheStatus()
    {
        const QString path = QStringLiteral("/api/platapi/getTaxPage");
        m_server.script(path, {{"status", 500}, {"body", "服务器错误"}});
        QString result = QStringLiteral("stale");
        RequestSender().postPlatformRequest(m_server.baseUrl() + path, QStringLiteral("keyword=北京科技&page=1&"),
                                            result, BodyEncoding::Utf8);
        QCOMPARE(result, QStringLiteral("服务器错误"));
        const QJsonObject request = m_server.requests(path).last().toObject();
        QCOMPARE(request.value("method").toString(), QStringLiteral("POST"));
        QCOMPARE(request.value("body").toString(),
                 QStringLiteral("keyword=北京科技&page=1&ip=%1&edition=2.0.0.2").arg(Tool().getIp()));
        QCOMPARE(request.value("form")["keyword"].toString(), QStringLiteral("北京科技"));
        QCOMPARE(request.value("headers")["content-type"].toString(),
                 QStringLiteral("application/x-www-form-urlencoded"));
    }

    // Cut short, too large, silent past the time limit, or refused: no answer.
    void replyThatDidNotArriveWholeIsNoAnswer_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        const QJsonObject accepted{{"states", true}, {"msg", "OK"}};
        const int beyondTheBound = int(ReplyReader::MaxReplyBytes);
        QTest::newRow("cut short after a whole JSON object") << QJsonObject{{"json", accepted}, {"short_by", 100}};
        QTest::newRow("larger than the bound") << QJsonObject{{"json", accepted}, {"pad", beyondTheBound}};
        QTest::newRow("larger than the bound, no length")
            << QJsonObject{{"json", accepted}, {"pad", beyondTheBound}, {"no_length", true}};
        QTest::newRow("silent server") << QJsonObject{{"hang", true}};
        QTest::newRow("refused connection") << QJsonObject();
    }

    void replyThatDidNotArriveWholeIsNoAnswer()
    {
        QFETCH(QJsonObject, fault);
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "1000");
        QString url = m_server.baseUrl() + QStringLiteral("/api/platApi/messageSave");
        if (fault.isEmpty()) {
            StandInServer stopped;
            url = stopped.baseUrl() + QStringLiteral("/api/platApi/mesSend");
        } else {
            fault.insert("times", 2);
            m_server.script(QStringLiteral("/api/platApi/messageSave"), fault);
        }
        QString result = QStringLiteral("stale");
        protobufHttp(url, QStringLiteral("summary=x"), result);
        QCOMPARE(result, QString());
        QCOMPARE(Tool().httpGet(url), QString());
    }

    // While a request waits: input to the windows is held back, an object
    // released meanwhile goes only once the wait has ended, and Escape, or
    // closing a window, gives the request up at once as a failure (the
    // window closes after the wait).
    void aWaitHoldsInputBackAndCanBeGivenUp_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("Escape") << false;
        QTest::newRow("window closed") << true;
    }

    void aWaitHoldsInputBackAndCanBeGivenUp()
    {
        QFETCH(bool, close);
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "60000");
        const QString path = QStringLiteral("/api/ArticleApi/getArticle");
        m_server.script(path, {{"hang", true}});
        QWindow window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        InputCounter input;
        window.installEventFilter(&input);
        QPointer<QObject> released = new QObject;
        bool goneDuringTheWait = true;
        QTimer::singleShot(200, [&] {
            QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
            QTest::keyClick(&window, Qt::Key_A);
            released->deleteLater();
        });
        QTimer::singleShot(500, [&] {
            goneDuringTheWait = released.isNull();
            if (close)
                window.close();
            else
                QTest::keyClick(&window, Qt::Key_Escape);
        });
        QElapsedTimer clock;
        clock.start();
        QString result = QStringLiteral("stale");
        protobufHttp(m_server.baseUrl() + path, QStringLiteral("class=3"), result);
        QCOMPARE(result, QString());
        QVERIFY(clock.elapsed() < 30000);
        QCOMPARE(input.count, 0);
        QVERIFY(!goneDuringTheWait);
        QVERIFY(window.isVisible());
        QTRY_VERIFY(released.isNull());
        if (close) {
            QTRY_VERIFY(!window.isVisible());
        } else {
            QTest::keyClick(&window, Qt::Key_A);
            QCOMPARE(input.count, 1);
        }
    }

    // The usage report (types=1000) is not waited for: here the server never
    // answers it, and waiting would last the whole time limit.
    void logSendsItsNonEmptyFieldsInOrderAndTheUsageReportWithoutWaiting()
    {
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "60000");
        const QString path = QStringLiteral("/api/platApi/sendLog");
        const QString ip = Tool().getIp();
        LogFunction().log(QStringLiteral("1020"), QStringLiteral("open a&b"), QStringLiteral("AA:BB:CC:DD:EE:FF"),
                          QStringLiteral("13800138000"), QStringLiteral("91110000X"), QStringLiteral("42"));
        QCOMPARE(m_server.requests(path).size(), 1);
        QCOMPARE(lastBody(path), QStringLiteral("types=1020&summary=open a%26b&phone=13800138000&userid=42"
                                                "&tax_code=91110000X&mac=AA:BB:CC:DD:EE:FF&ip=%1&edition=2.0.0.2").arg(ip));
        m_server.script(path, {{"hang", true}});
        QElapsedTimer timer;
        timer.start();
        LogFunction().log(QStringLiteral("1000"), QStringLiteral("x"));
        QVERIFY2(timer.elapsed() < 10000, "the usage report waited for its reply");
        // It still reaches the platform, in the background, with mac= even when empty.
        QTRY_COMPARE(m_server.requests(path).size(), 2);
        QCOMPARE(lastBody(path), QStringLiteral("types=1000&summary=x&mac=&ip=%1&edition=2.0.0.2").arg(ip));
    }

    // Adapters as "name,up,loopback,address"; the first one up that is
    // neither loopback nor VMware's gives the address.
    void hardwareAddressSkipsDownLoopbackAndVMwareAdapters_data()
    {
        QTest::addColumn<QStringList>("adapters");
        QTest::addColumn<QString>("address");
        const QString lo = QStringLiteral("lo,1,1,00:00:00:00:00:00");
        QTest::newRow("mixed") << QStringList{lo, "Ethernet 2,0,0,11:11:11:11:11:11",
                                              "VMware Network Adapter VMnet8,1,0,00:50:56:C0:00:08",
                                              "WLAN,1,0,A4:5E:60:D1:22:3F", "Ethernet,1,0,B8:27:EB:00:00:01"}
                               << "A4:5E:60:D1:22:3F";
        QTest::newRow("only VMware, in any case, anywhere in the name")
            << QStringList{lo, "VMware Network Adapter VMnet1,1,0,00:50:56:C0:00:01",
                           "vmware network adapter,1,0,00:50:56:C0:00:02", "My VMWARE bridge,1,0,00:50:56:C0:00:03"}
            << "";
        QTest::newRow("none") << QStringList() << "";
    }

    void hardwareAddressSkipsDownLoopbackAndVMwareAdapters()
    {
        QFETCH(QStringList, adapters);
        QFETCH(QString, address);
        QList<InterfaceSummary> interfaces;
        for (const QString &adapter : adapters) {
            const QStringList f = adapter.split(QLatin1Char(','));
            interfaces.append({f.at(0), f.at(1) == QLatin1String("1"), f.at(2) == QLatin1String("1"), f.at(3)});
        }
        QCOMPARE(Tool::pickHardwareAddress(interfaces), address);
    }

    // What this machine gives: Qt's text form of a MAC, an IPv4 address, and the
    // recorded version, read beside the program's own connection, which stays open.
    void identityOfThisMachine()
    {
        const QString mac = Tool().getMac();
        QVERIFY2(mac.isEmpty() || QRegularExpression(QStringLiteral("^([0-9A-F]{2}:){5}[0-9A-F]{2}$")).match(mac).hasMatch(),
                 qPrintable(mac));
        QHostAddress ip;
        QVERIFY2(Tool().getIp().isEmpty() || (ip.setAddress(Tool().getIp()) && ip.protocol() == QAbstractSocket::IPv4Protocol),
                 qPrintable(Tool().getIp()));
        QCOMPARE(Tool().getEdition(), QStringLiteral("2.0.0.2"));
        QVERIFY(m_fresh->db().setVersion(QStringLiteral("2.1.0.7")));
        QCOMPARE(Tool().getEdition(), QStringLiteral("2.1.0.7"));
    }

    void tokenIsTheEncryptedIndentedJsonInBase64Twice()
    {
        const QString token = Tool().getEncodeText(QStringLiteral("2024-03-10 08:15:00"),
                                                   QStringLiteral("13800138000"));
        const QByteArray cipher = QByteArray::fromBase64(QByteArray::fromBase64(token.toLatin1()));
        const QByteArray json("{\n"
                              "    \"phone\": \"13800138000\",\n"
                              "    \"timestamp\": \"2024-03-10 08:15:00\"\n"
                              "}\n");
        const int pad = 16 - json.size() % 16;
        AesCipher aes(AesCipher::AES_128, AesCipher::ECB, AesCipher::PKCS7);
        QCOMPARE(aes.decode(cipher, QByteArrayLiteral("7be01f93c4a2d586")), json + QByteArray(pad, char(pad)));
        // Plain Base64 characters only: the token goes into the page address as it is.
        QVERIFY(QRegularExpression(QStringLiteral("^[A-Za-z0-9+/]+=*$")).match(token).hasMatch());
    }

    // Replies whose objects repeat a key are refused before Qt's parser,
    // which loses the memory of every object or array a repeat replaces.
    void repliesThatRepeatAKeyAreRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("repeatAt"); // -1: none
        QTest::newRow("plain reply") << QByteArray(R"({"states":true,"msg":"ok","data":[{"id":1},{"id":2}]})") << -1;
        QTest::newRow("same key in sibling objects") << QByteArray(R"({"a":{"k":1},"b":{"k":2}})") << -1;
        QTest::newRow("key-like text in values") << QByteArray(R"({"a":"\"a\":1,","b":["a","a"]})") << -1;
        QTest::newRow("repeated at the top") << QByteArray(R"({"a":{"x":1},"b":2,"a":{"y":1}})") << 19;
        QTest::newRow("repeated inside an array") << QByteArray(R"([1,{"k":[],"k":[]}])") << 11;
        QTest::newRow("repeated through an escape") << QByteArray(R"({"ab":1,"\u0061b":2})") << 8;
        QTest::newRow("after a nested object closes") << QByteArray(R"({"a":{"a":1},"a":2})") << 13;
        QTest::newRow("no JSON") << QByteArray(R"({"a":1,"a)") << -1;
    }

    void repliesThatRepeatAKeyAreRefused()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, repeatAt);
        QCOMPARE(JsonReply::repeatedKeyAt(json), qint64(repeatAt));
        QJsonParseError error;
        const QJsonDocument document = JsonReply::parse(json, &error);
        if (repeatAt >= 0) {
            QVERIFY(document.isNull());
            QCOMPARE(error.error, QJsonParseError::IllegalValue);
        }
    }
};

QTEST_MAIN(ProtobufHttpTest)
#include "tst_protobufhttp.moc"
