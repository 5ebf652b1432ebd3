#include "core/logmessagehandler.h"
#include "services/configfunction.h"
#include "services/mainfunction.h"
#include "services/usertaxinfo.h"
#include "services/vantafunction.h"
#include "elements.h"
#include "freshdatabase.h"
#include "standinserver.h"

#include <QDir>
#include <QtTest>

namespace {

// The stand-in's demo account with 23 companies over 5 pages.
const QString kDemoPhone = QStringLiteral("13800000002");
const QString kDemoPassword = QStringLiteral("Plit@2026");

QJsonObject reply(const QJsonObject &json)
{
    return {{"json", json}};
}

QJsonObject companies(int count, int pageCount)
{
    QJsonArray data;
    for (int i = 0; i < count; ++i)
        data.append(QJsonObject{{"tax_code", QStringLiteral("9100%1").arg(i)},
                                {"tax_name", QStringLiteral("公司%1").arg(i)},
                                {"phone", "13800000002"},
                                {"url", QStringLiteral("http://invoice/%1").arg(i)}});
    return {{"data", data}, {"page_count", pageCount}};
}

QStringList takeCodes(const QVariantList &list)
{
    return takeValues(list, "taxcode");
}

} // namespace

// Sign-in, registration, reset and feedback against the stand-in platform.
class AccountTest : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<StandInServer> m_server{new StandInServer};
    QScopedPointer<FreshDatabase> m_database;

private slots:
    void cleanupTestCase()
    {
        VantaFunction::setTaxCodeFromPhoneNo({});
    }

    void init()
    {
        QVERIFY(m_server->isRunning());
        m_server->reset();
        m_database.reset(new FreshDatabase);
        m_database->dir().makeCurrent();
        VantaFunction::setTaxCodeFromPhoneNo({});
        VantaFunction::setTaxCodePageCount(0);
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        m_database.reset();
    }

    void signInResults_data()
    {
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("signedIn");
        QTest::newRow("refused") << reply({{"states", false}, {"msg", "密码错误"}}) << "密码错误" << false;
        QTest::newRow("refused without msg") << reply({{"states", false}}) << "" << false;
        // A reason that reads like a success is no success.
        QTest::newRow("refused with msg OK") << reply({{"states", false}, {"msg", "OK"}}) << "登录失败" << false;
        QTest::newRow("refused with msg Improve") << reply({{"states", false}, {"msg", "Improve"}}) << "登录失败" << false;
        QTest::newRow("locked") << reply({{"states", true}, {"status", 0}}) << "此用户已锁定" << false;
        QTest::newRow("status as string") << reply({{"states", true}, {"status", "2"}}) << "登录失败" << false;
        QTest::newRow("no status") << reply({{"states", true}}) << "登录失败" << false;
        QTest::newRow("states as string") << reply({{"states", "true"}, {"status", 2}}) << "登录失败" << false;
        QTest::newRow("not json") << QJsonObject{{"body", "<html>502</html>"}} << "登录失败" << false;
        QTest::newRow("array") << QJsonObject{{"body", "[1]"}} << "登录失败" << false;
        QTest::newRow("improve") << reply({{"states", true}, {"status", 1}}) << "Improve" << true;
        QTest::newRow("ok") << reply({{"states", true}, {"status", 2}, {"nndata", companies(1, 1)}}) << "OK" << true;
    }

    void signInResults()
    {
        QFETCH(QJsonObject, answer);
        QFETCH(QString, result);
        QFETCH(bool, signedIn);
        m_server->script("/api/platApi/passlog_on", answer);
        MainFunction account;
        QCOMPARE(account.btnLoginPassword("13800000002", "pw", true), result);
        QCOMPARE(account.getLoginStatus(), signedIn);
        QCOMPARE(account.getUserNum(), signedIn ? QStringLiteral("13800000002") : QString(""));
        // Only a real success is remembered for the silent sign-in.
        QCOMPARE(ConfigFunction::readCredentials().autoLogon, result == QLatin1String("OK"));
    }

    void passwordSignInFillsTheCompanyList()
    {
        MainFunction account;
        // The stand-in's demo account with several companies over several pages.
        const QString result = account.btnLoginPassword(kDemoPhone, kDemoPassword);
        QCOMPARE(result, QStringLiteral("OK"));
        VantaFunction vanta;
        QVERIFY(vanta.getTaxCodeMaxCount("") > 0);
        QVERIFY(vanta.getTaxCodeTotalCount() > 1);

        const QJsonArray sent = m_server->requests("/api/platApi/passlog_on");
        QCOMPARE(sent.size(), 1);
        const QRegularExpression shape(QStringLiteral("^phone=%1&password=%2&types=1010&ip=[0-9.]*&edition=2\\.0\\.0\\.2$")
                                           .arg(kDemoPhone, QRegularExpression::escape(kDemoPassword)));
        QVERIFY2(shape.match(sent.first()["body"].toString()).hasMatch(), qPrintable(sent.first()["body"].toString()));
    }

    void signInWithTensOfThousandsOfCompanies()
    {
        // Each sign-in replaces the companies of the one before; keeping the list
        // takes time in proportion to the companies (bench/signin_bench).
        m_server->script("/api/platApi/passlog_on", {{"companies", 20000}, {"times", 2}});
        MainFunction account;
        VantaFunction vanta;
        for (int signIn = 0; signIn < 2; ++signIn) {
            QCOMPARE(account.btnLoginPassword(kDemoPhone, kDemoPassword), QStringLiteral("OK"));
            QCOMPARE(vanta.getTaxCodeMaxCount(""), 20000);
            QCOMPARE(vanta.getTaxCodeTotalCount(), 4000);
        }
        QCOMPARE(takeCodes(vanta.getTaxCodeFromSearchText("测试公司19999")), QStringList({"9100000000019999"}));
    }

    void improveSignsInWithoutTouchingTheCompanies()
    {
        VantaFunction::setTaxCodeFromPhoneNo({QVariant::fromValue(new UserTaxInfo)});
        m_server->script("/api/platApi/passlog_on", reply({{"states", true}, {"status", 1}, {"nndata", companies(3, 1)}}));
        MainFunction account;
        QCOMPARE(account.btnLoginPassword("1", "pw"), QStringLiteral("Improve"));
        QCOMPARE(VantaFunction().getTaxCodeMaxCount(""), 1);
    }

    void emptyCompanyListAndMissingPageCount()
    {
        VantaFunction::setTaxCodeFromPhoneNo({QVariant::fromValue(new UserTaxInfo)});
        VantaFunction::setTaxCodePageCount(5);
        m_server->script("/api/platApi/passlog_on",
                         reply({{"states", true}, {"status", 2}, {"nndata", QJsonObject{{"data", QJsonArray()}}}}));
        MainFunction account;
        QCOMPARE(account.btnLoginPassword("1", "pw"), QStringLiteral("OK"));
        VantaFunction vanta;
        QCOMPARE(vanta.getTaxCodeMaxCount(""), 0);
        QCOMPARE(vanta.getTaxCodeTotalCount(), 0);
    }

    void failedSignInLeavesTheUserSignedIn()
    {
        MainFunction account;
        m_server->script("/api/platApi/passlog_on", reply({{"states", true}, {"status", 1}}));
        QCOMPARE(account.btnLoginPassword("1", "pw"), QStringLiteral("Improve"));
        m_server->script("/api/platApi/passlog_on", reply({{"states", false}, {"msg", "错误"}}));
        QCOMPARE(account.btnLoginPassword("2", "pw"), QStringLiteral("错误"));
        QVERIFY(account.getLoginStatus());
        QCOMPARE(account.getUserNum(), QStringLiteral("1"));
    }

    void codeSignInSendsTheKeyOfTheLastSmsRequest()
    {
        MainFunction account;
        m_server->script("/api/platApi/log_on", reply({{"states", false}, {"msg", "验证码错误"}}));
        QCOMPARE(account.btnLogin("13800000002", "000000"), QStringLiteral("验证码错误"));
        QVERIFY(m_server->requests("/api/platApi/log_on").first()["body"].toString().startsWith(
            "phone=13800000002&key=&code=000000&types=1010&ip="));

        m_server->script("/api/platApi/mesSend", reply({{"states", true}, {"key", "k-42"}}));
        account.btnDynamic("13800000002");
        QVERIFY(m_server->requests("/api/platApi/mesSend").first()["body"].toString().startsWith(
            "phone=13800000002&types=1012&ip="));
        // A refused request keeps the key of the last good one.
        m_server->script("/api/platApi/mesSend", reply({{"states", false}, {"msg", "太频繁"}}));
        account.btnDynamic("13800000002");
        m_server->script("/api/platApi/log_on", reply({{"states", true}, {"status", 2}, {"nndata", companies(2, 1)}}));
        QCOMPARE(account.btnLogin("13800000002", "123456"), QStringLiteral("OK"));
        QVERIFY(m_server->requests("/api/platApi/log_on").last()["body"].toString().startsWith(
            "phone=13800000002&key=k-42&code=123456&types=1010&ip="));
    }

    void rememberedCredentialsSignInSilentlyAndNoneNever()
    {
        QCOMPARE(MainFunction().btnAutoLogin(), QString());
        QVERIFY(m_server->requests("/api/platApi/passlog_on").isEmpty());
        {
            MainFunction account;
            QCOMPARE(account.btnLoginPassword(kDemoPhone, kDemoPassword, true), QStringLiteral("OK"));
        }
        const ConfigFunction::Credentials saved = ConfigFunction::readCredentials();
        QCOMPARE(saved.phone, kDemoPhone);
        QCOMPARE(saved.password, kDemoPassword);
        QVERIFY(saved.autoLogon);

        m_server->clearRequests();
        MainFunction again;
        QCOMPARE(again.btnAutoLogin(), QStringLiteral("OK"));
        QVERIFY(again.getLoginStatus());
        QCOMPARE(m_server->requests("/api/platApi/passlog_on").size(), 1);
    }

    void failedSignInWritesNoCredentials()
    {
        m_server->script("/api/platApi/passlog_on", reply({{"states", true}, {"status", 1}}));
        MainFunction account;
        QCOMPARE(account.btnLoginPassword("1", "pw", true), QStringLiteral("Improve"));
        QVERIFY(!QFile::exists(ConfigFunction::filePath()));
    }

    void passwordsReachTheServerAsTypedButNeverTheLog()
    {
        qInstallMessageHandler(logMessageHandler);
        const QString password = QStringLiteral("a&b=c+d%");
        MainFunction account;
        m_server->script("/api/platApi/passlog_on", reply({{"states", false}, {"msg", "x"}}));
        account.btnLoginPassword("13800000002", password, true);
        account.btnResetPassword("13800000002", "123456", password, password);
        qInstallMessageHandler(nullptr);

        QCOMPARE(m_server->requests("/api/platApi/passlog_on").first()["form"]["password"].toString(), password);
        const QJsonObject reset = m_server->requests("/api/platApi/ResetPassword").first()["form"].toObject();
        QCOMPARE(reset["password"].toString(), password);
        QCOMPARE(reset["rpassword"].toString(), password);

        QFile log(QStringLiteral("log.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QVERIFY(text.contains("password=***&rpassword=***&key="));
        QVERIFY(!text.contains("a&b=c+d%"));
        QVERIFY(!text.contains("a%26b"));
    }

    void registrationAndCompletion()
    {
        MainFunction account;
        m_server->script("/api/platApi/userReg", reply({{"states", true}, {"status", 2}, {"nndata", companies(2, 1)}}));
        QCOMPARE(account.btnCommitInfo("张三", "z@x.cn", "13800000009", "123456", "pw"), QStringLiteral("OK"));
        const QJsonObject sent = m_server->requests("/api/platApi/userReg").first().toObject();
        QVERIFY2(sent["body"].toString().startsWith(
                     "phone=13800000009&email=z@x.cn&real_name=张三&password=pw&key=&code=123456&types=1011&ip="),
                 qPrintable(sent["body"].toString()));
        QCOMPARE(account.getUserNum(), QStringLiteral("13800000009"));

        // The completion window may pass no number: the signed-in one is sent.
        m_server->script("/api/platApi/userReg", reply({{"states", true}, {"status", 0}}));
        QCOMPARE(account.btnCommitInfo("张三", "z@x.cn", "", "qorvexmt40782", "pw"), QStringLiteral("此用户已锁定"));
        QCOMPARE(m_server->requests("/api/platApi/userReg").last()["form"]["phone"].toString(),
                 QStringLiteral("13800000009"));
    }

    // The reset and feedback windows show what these calls give back.
    void resetAndFeedbackResults_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<QString>("result");
        QTest::newRow("reset ok") << true << reply({{"states", true}, {"status", 1}}) << "OK";
        QTest::newRow("reset locked") << true << reply({{"states", true}, {"status", 0}}) << "此用户已锁定";
        QTest::newRow("reset refused") << true << reply({{"states", false}, {"msg", "两次密码不一致"}}) << "两次密码不一致";
        QTest::newRow("reset refused with msg OK") << true << reply({{"states", false}, {"msg", "OK"}}) << "重置失败";
        QTest::newRow("reset without status") << true << reply({{"states", true}}) << "重置失败";
        QTest::newRow("reset not json") << true << QJsonObject{{"body", "oops"}} << "重置失败";
        QTest::newRow("feedback ok") << false << reply({{"states", true}}) << "OK";
        QTest::newRow("feedback refused") << false << reply({{"states", false}, {"msg", "内容为空"}}) << "内容为空";
        QTest::newRow("feedback refused with msg OK") << false << reply({{"states", false}, {"msg", "OK"}}) << "提交失败";
        QTest::newRow("feedback without states") << false << reply({{"msg", "x"}}) << "";
        QTest::newRow("feedback not json") << false << QJsonObject{{"body", "oops"}} << "返回json解析失败";
    }

    void resetAndFeedbackResults()
    {
        QFETCH(bool, reset);
        QFETCH(QJsonObject, answer);
        QFETCH(QString, result);
        m_server->script(reset ? "/api/platApi/ResetPassword" : "/api/platApi/messageSave", answer);
        MainFunction account;
        QCOMPARE(reset ? account.btnResetPassword("1", "2", "p", "p")
                       : account.btnSuggestionInfo("1", "意见", "13800000002"), result);
    }

    void feedbackIsCutTo200Characters()
    {
        MainFunction account;
        const QString text = QString(120, QChar(0x597D)) + QString(130, QLatin1Char('x')) + QStringLiteral("+&");
        account.btnSuggestionInfo("2", text, "13800000002");
        const QJsonObject sent = m_server->requests("/api/platApi/messageSave").first().toObject();
        QCOMPARE(sent["form"]["summary"].toString(), text.left(200));
        QVERIFY(sent["body"].toString().startsWith("msgtypes=2&summary=" + text.left(200) + "&phone=13800000002&types=1016&ip="));
    }

    void feedbackIsNeverCutInsideACharacter_data()
    {
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("sent");
        const QString emoji = QStringLiteral("\U0001F600"); // two UTF-16 units
        QTest::newRow("emoji across the limit is left out")
            << QString(199, QLatin1Char('x')) + emoji + QStringLiteral("tail") << QString(199, QLatin1Char('x'));
        QTest::newRow("emoji ending at the limit is kept")
            << QString(198, QLatin1Char('x')) + emoji + QStringLiteral("tail") << QString(198, QLatin1Char('x')) + emoji;
    }

    void feedbackIsNeverCutInsideACharacter()
    {
        QFETCH(QString, summary);
        QFETCH(QString, sent);
        MainFunction account;
        account.btnSuggestionInfo("2", summary, "13800000002");
        QCOMPARE(m_server->requests("/api/platApi/messageSave").first()["form"]["summary"].toString(), sent);
    }

    void networkFailureGivesTheFailureTexts()
    {
        // Nothing listens on port 9 of loopback.
        qputenv("PLIT_PLATFORM_URL", "http://127.0.0.1:9");
        MainFunction account;
        QCOMPARE(account.btnLoginPassword("1", "2"), QStringLiteral("登录失败"));
        QCOMPARE(account.btnLogin("1", "2"), QStringLiteral("登录失败"));
        QCOMPARE(account.btnCommitInfo("a", "b", "1", "2", "3"), QStringLiteral("登录失败"));
        QCOMPARE(account.btnResetPassword("1", "2", "3", "3"), QStringLiteral("重置失败"));
        QCOMPARE(account.btnSuggestionInfo("1", "x", "1"), QStringLiteral("返回json解析失败"));
        account.btnDynamic("1");
        QVERIFY(!account.getLoginStatus());
    }

    void signOutKeepsKeyAndCompanies()
    {
        MainFunction account;
        m_server->script("/api/platApi/mesSend", reply({{"states", true}, {"key", "k-7"}}));
        account.btnDynamic("1");
        m_server->script("/api/platApi/log_on", reply({{"states", true}, {"status", 2}, {"nndata", companies(3, 2)}}));
        QCOMPARE(account.btnLogin("1", "c"), QStringLiteral("OK"));
        account.btnLoginOut();
        QVERIFY(!account.getLoginStatus());
        QCOMPARE(account.getUserNum(), QString(""));
        VantaFunction vanta;
        QCOMPARE(takeCodes(vanta.getTaxCodeFromPhoneNo("")).size(), 3);
        QCOMPARE(vanta.getTaxCodeTotalCount(), 2);
        account.btnLogin("1", "c");
        QVERIFY(m_server->requests("/api/platApi/log_on").last()["body"].toString().contains("&key=k-7&"));
    }

    void encodedUrlCarriesTheTokenOfTheServerTime()
    {
        m_server->script("/api/platApi/passlog_on", reply({{"states", true}, {"status", 1}}));
        MainFunction account;
        account.btnLoginPassword("13800000002", "pw");
        const QString url = account.getEncodeUrl();
        const QString prefix = m_server->baseUrl() + QStringLiteral("/api/platApi/ckUser?phone=");
        QVERIFY2(url.startsWith(prefix), qPrintable(url));
        const QString token = url.mid(prefix.size());
        QVERIFY(!token.isEmpty());
        // The token is Base64 of Base64 of the cipher text: it decodes twice.
        QVERIFY(!QByteArray::fromBase64(QByteArray::fromBase64(token.toLatin1())).isEmpty());
        QCOMPARE(m_server->requests("/api/platApi/getServtime").size(), 1);
    }

    void encodedUrlNeedsAPlainServerTime_data()
    {
        QTest::addColumn<QJsonObject>("serverTime");
        QTest::newRow("not a number") << QJsonObject{{"body", "2026-12-05 10:53"}};
        QTest::newRow("too long a number") << QJsonObject{{"body", QString(21, QLatin1Char('7'))}};
        QTest::newRow("empty") << QJsonObject{{"body", ""}};
        QTest::newRow("oversized") << QJsonObject{{"body", "1"}, {"pad", 9 << 20}};
    }

    void encodedUrlNeedsAPlainServerTime()
    {
        QFETCH(QJsonObject, serverTime);
        m_server->script("/api/platApi/passlog_on", reply({{"states", true}, {"status", 1}}));
        m_server->script("/api/platApi/getServtime", serverTime);
        MainFunction account;
        account.btnLoginPassword("13800000002", "pw");
        QCOMPARE(account.getEncodeUrl(), QString());
    }

    void chatAddressIsTheDeploymentSetting()
    {
        MainFunction account;
        QCOMPARE(account.getChatUrl(), m_server->baseUrl() + QStringLiteral("/chat"));
        const QByteArray previous = qgetenv("PLIT_CHAT_URL");
        qputenv("PLIT_CHAT_URL", "http://assistant.example:8080/web/chat/");
        QCOMPARE(account.getChatUrl(), QStringLiteral("http://assistant.example:8080/web/chat"));
        qputenv("PLIT_CHAT_URL", previous);
    }
};

QTEST_GUILESS_MAIN(AccountTest)
#include "tst_account.moc"
