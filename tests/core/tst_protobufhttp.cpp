#include "core/logfunction.h"
#include "core/protobufhttp.h"
#include "core/replyreader.h"
#include "core/tool.h"
#include "freshdatabase.h"
#include "standinserver.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <QJsonArray>
#include <QJsonObject>
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
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)
            ++count;
        return false;
    }
};

} // namespace

// Form POSTs to the stand-in platform: the body the platform receives, the
// reply handed back, the usage report that is not waited for, the time limit,
// and the reply envelope.
class ProtobufHttpTest : public QObject
{
    Q_OBJECT

private:
    QString ip() const { return Tool().getIp(); }

    FreshDatabase *m_fresh = nullptr;
    QScopedPointer<StandInServer> m_server{new StandInServer};

    QJsonObject lastRequest(const QString &path) const
    {
        const QJsonArray requests = m_server->requests(path);
        return requests.isEmpty() ? QJsonObject() : requests.last().toObject();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server->isRunning());
        m_server->useAsPlatform();
    }

    void init()
    {
        m_fresh = new FreshDatabase;
        m_server->reset();
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "10000");
    }

    void cleanup()
    {
        delete m_fresh;
        m_fresh = nullptr;
        qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
    }

    void clientFieldsFollowTheCallersBody_data()
    {
        QTest::addColumn<QString>("body");
        QTest::newRow("ending in &") << "phone=13800138000&";
        QTest::newRow("ending in a value") << "phone=13800138000";
    }

    void clientFieldsFollowTheCallersBody()
    {
        QFETCH(QString, body);
        const QString path = QStringLiteral("/api/platApi/messageSave");
        m_server->script(path, {{"json", QJsonObject{{"states", true}}}});

        QString result;
        RequestSender().postPlatformRequest(m_server->baseUrl() + path, body, result);

        QCOMPARE(QJsonDocument::fromJson(result.toUtf8()).object().value("states"), QJsonValue(true));
        const QJsonObject request = lastRequest(path);
        QCOMPARE(request.value("method").toString(), QStringLiteral("POST"));
        QCOMPARE(request.value("body").toString(),
                 QStringLiteral("phone=13800138000&ip=%1&edition=2.0.0.2").arg(ip()));
        QCOMPARE(request.value("headers")["content-type"].toString(),
                 QStringLiteral("application/x-www-form-urlencoded"));
    }

    void replyBodyIsReturnedWhateverTheStatus()
    {
        const QString path = QStringLiteral("/api/platapi/getTaxPage");
        m_server->script(path, {{"status", 500}, {"body", "服务器错误"}});
        QString result = QStringLiteral("stale");
        protobufHttp(m_server->baseUrl() + path, QStringLiteral("phone=1"), result);
        QCOMPARE(result, QStringLiteral("服务器错误"));
    }

    void replyThatDidNotArriveWholeIsNoAnswer_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        const QJsonObject accepted{{"states", true}, {"msg", "OK"}};
        const int beyondTheBound = int(ReplyReader::MaxReplyBytes);
        QTest::newRow("cut short after a whole JSON object") << QJsonObject{{"json", accepted}, {"short_by", 100}};
        QTest::newRow("larger than the bound") << QJsonObject{{"json", accepted}, {"pad", beyondTheBound}};
        QTest::newRow("larger than the bound, no length")
            << QJsonObject{{"json", accepted}, {"pad", beyondTheBound}, {"no_length", true}};
    }

    void replyThatDidNotArriveWholeIsNoAnswer()
    {
        QFETCH(QJsonObject, fault);
        fault.insert("times", 2);
        const QString path = QStringLiteral("/api/platApi/messageSave");
        m_server->script(path, fault);
        QString result = QStringLiteral("stale");
        protobufHttp(m_server->baseUrl() + path, QStringLiteral("summary=x"), result);
        QCOMPARE(result, QString());
        QCOMPARE(Tool().httpGet(m_server->baseUrl() + path), QString());
    }

    void usageReportIsSentWithoutWaiting()
    {
        // A server that never answers: waiting would last the whole time limit.
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "60000");
        const QString path = QStringLiteral("/api/platApi/sendLog");
        m_server->script(path, {{"hang", true}});

        QString result = QStringLiteral("untouched");
        QElapsedTimer timer;
        timer.start();
        protobufHttp(m_server->baseUrl() + path, QStringLiteral("summary=x&types=1000&mac="), result);
        QVERIFY2(timer.elapsed() < 10000, "the usage report waited for its reply");
        QCOMPARE(result, QStringLiteral("untouched"));

        // It still reaches the platform, in the background.
        QTRY_COMPARE(m_server->requests(path).size(), 1);
        QCOMPARE(lastRequest(path).value("body").toString(), QStringLiteral("summary=x&types=1000&mac="));
    }

    void requestToASilentServerEndsAtTheTimeLimit()
    {
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "500");
        const QString path = QStringLiteral("/api/ArticleApi/getArticle");
        m_server->script(path, {{"hang", true}});

        QString result = QStringLiteral("stale");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^request protobufHttp handle errors here$")));
        protobufHttp(m_server->baseUrl() + path, QStringLiteral("class=3"), result);
        QCOMPARE(result, QString());

        m_server->script(path, {{"hang", true}});
        QCOMPARE(Tool().httpGet(m_server->baseUrl() + path), QString());
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
        m_server->script(path, {{"hang", true}});
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
        protobufHttp(m_server->baseUrl() + path, QStringLiteral("class=3"), result);
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

    void refusedConnectionGivesAnEmptyResult()
    {
        QString url;
        {
            StandInServer stopped;
            url = stopped.baseUrl() + QStringLiteral("/api/platApi/mesSend");
        }
        QString result = QStringLiteral("stale");
        protobufHttp(url, QStringLiteral("phone=1"), result);
        QCOMPARE(result, QString());
        QCOMPARE(Tool().httpGet(url), QString());
    }

    void utf8BodyCarriesChineseTextIntact()
    {
        const QString path = QStringLiteral("/api/platapi/getTaxPage");
        m_server->script(path, {{"json", QJsonObject{{"states", true}}}});
        QString result;
        RequestSender().postPlatformRequest(m_server->baseUrl() + path,
                                            QStringLiteral("keyword=北京科技&page=1"), result,
                                            BodyEncoding::Utf8);
        QCOMPARE(lastRequest(path).value("form").toObject().value("keyword").toString(),
                 QStringLiteral("北京科技"));
    }

    void formValueEncodesOnlyTheFourFormCharacters()
    {
        QCOMPARE(RequestSender::formValue(QStringLiteral("a&b=c+d%")), QStringLiteral("a%26b%3Dc%2Bd%25"));
        QCOMPARE(RequestSender::formValue(QStringLiteral("%26")), QStringLiteral("%2526"));
        const QString ordinary = QStringLiteral("user open software 北京?#/:;,");
        QCOMPARE(RequestSender::formValue(ordinary), ordinary);
        QCOMPARE(RequestSender::formValue(QString()), QString());
    }

    void logSendsItsNonEmptyFieldsInOrderAndMacEvenWhenEmpty()
    {
        const QString path = QStringLiteral("/api/platApi/sendLog");
        LogFunction().log(QStringLiteral("1020"), QStringLiteral("open a&b"), QStringLiteral("AA:BB:CC:DD:EE:FF"),
                          QStringLiteral("13800138000"), QStringLiteral("91110000X"), QStringLiteral("42"));
        QTRY_COMPARE(m_server->requests(path).size(), 1);
        QCOMPARE(lastRequest(path).value("body").toString(),
                 QStringLiteral("types=1020&summary=open a%26b&phone=13800138000&userid=42"
                                "&tax_code=91110000X&mac=AA:BB:CC:DD:EE:FF&ip=%1&edition=2.0.0.2").arg(ip()));
        LogFunction().log(QStringLiteral("1000"), QStringLiteral("x"));
        QTRY_COMPARE(m_server->requests(path).size(), 2);
        QCOMPARE(lastRequest(path).value("body").toString(),
                 QStringLiteral("types=1000&summary=x&mac=&ip=%1&edition=2.0.0.2").arg(ip()));
    }

    void statesReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<bool>("states");
        QTest::addColumn<QString>("msg");
        // "untouched" stands for the caller's values before the call.
        QTest::newRow("refused with a reason") << R"({"states":false,"msg":"验证码错误"})" << true << false << "验证码错误";
        QTest::newRow("refused without a reason") << R"({"states":false})" << true << false << "";
        QTest::newRow("accepted") << R"({"states":true,"msg":"ignored"})" << true << true << "untouched";
        QTest::newRow("states not a boolean") << R"({"states":"false","msg":"x"})" << true << true << "untouched";
        QTest::newRow("no states") << R"({"msg":"x"})" << true << true << "untouched";
        QTest::newRow("an array") << R"([false])" << true << true << "untouched";
        QTest::newRow("not JSON") << "<html>502 Bad Gateway</html>" << false << true << "untouched";
        QTest::newRow("empty") << "" << false << true << "untouched";
    }

    void statesReply()
    {
        QFETCH(QString, reply);
        QFETCH(bool, parsed);
        QFETCH(bool, states);
        QFETCH(QString, msg);
        bool outStates = true;
        QString outMsg = QStringLiteral("untouched");
        QCOMPARE(parseStatesReply(reply, outStates, outMsg), parsed);
        QCOMPARE(outStates, states);
        QCOMPARE(outMsg, msg);
    }
};

QTEST_MAIN(ProtobufHttpTest)
#include "tst_protobufhttp.moc"
