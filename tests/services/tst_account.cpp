#include "core/logmessagehandler.h"
#include "services/configfunction.h"
#include "services/mainfunction.h"
#include "services/usertaxinfo.h"
#include "services/vantafunction.h"
#include "testdatadir.h"
#include "standinserver.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

namespace {

const QString kDemoPhone = QStringLiteral("13800000002");
const QString kDemoPassword = QStringLiteral("Plit@2026");

QJsonObject reply(const QJsonObject &json) { return {{"json", json}}; }

QJsonObject companies(int count, int pageCount)
{
    QJsonArray data;
    for (int i = 0; i < count; ++i)
        data.append(QJsonObject{{"tax_code", QStringLiteral("9100%1").arg(i)}, {"tax_name", QStringLiteral("公司%1").arg(i)},
                                {"phone", "13800000002"}, {"url", QStringLiteral("http://invoice/%1").arg(i)}});
    return {{"data", data}, {"page_count", pageCount}};
}

// A successful sign-in with `count` companies over `pageCount` pages.
QJsonObject signedIn(int count, int pageCount)
{
    return reply({{"states", true}, {"status", 2}, {"nndata", companies(count, pageCount)}});
}

QVariant company(const char *code, const char *name) { return QVariant::fromValue(UserTaxInfo::fromJson({{"tax_code", code}, {"tax_name", name}})); }
QStringList codes(const QVariantList &list) { return takeValues(list, "taxcode"); }

} // namespace

// Sign-in, registration, reset and feedback against the stand-in platform,
// what is kept of a sign-in, and the companies of the signed-in number.
class AccountTest : public QObject
{
    Q_OBJECT

private:
    StandInServer m_server;
    QScopedPointer<FreshDatabase> m_database;
    QTemporaryDir m_config;
    QScopedPointer<MainFunction> account;
    QScopedPointer<VantaFunction> vanta;

    QString lastBody(const QString &path) { return m_server.requests(path).last()["body"].toString(); }

private slots:
    void initTestCase()
    {
        // Qt finds the user's configuration folder once, at its first use.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("Gallery"));
    }

    void cleanupTestCase() { VantaFunction::setTaxCodeFromPhoneNo({}); }

    void init()
    {
        QVERIFY(m_server.isRunning());
        m_server.reset();
        m_database.reset(new FreshDatabase);
        m_database->dir().makeCurrent();
        VantaFunction::setTaxCodeFromPhoneNo({});
        VantaFunction::setTaxCodePageCount(0);
        account.reset(new MainFunction);
        vanta.reset(new VantaFunction);
    }

    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        account.reset();
        vanta.reset();
        m_database.reset();
    }

    // What each form gives back for the platform's answer (none: nothing
    // listens there). Only a password sign-in that succeeds is remembered for
    // the silent sign-in; a reason that reads like a success is no success.
    void formResults_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<QString>("result");
        const auto row = [](const char *form, const char *name, const QJsonObject &answer, const QString &result) {
            QTest::addRow("%s: %s", form, name) << QString(form) << answer << result;
        };
        const QJsonObject notJson{{"body", "<html>502</html>"}};
        row("sign-in", "refused", reply({{"states", false}, {"msg", "密码错误"}}), "密码错误");
        row("sign-in", "refused without msg", reply({{"states", false}}), "");
        row("sign-in", "refused with msg OK", reply({{"states", false}, {"msg", "OK"}}), "登录失败");
        row("sign-in", "refused with msg Improve", reply({{"states", false}, {"msg", "Improve"}}), "登录失败");
        row("sign-in", "locked", reply({{"states", true}, {"status", 0}}), "此用户已锁定");
        row("sign-in", "status as string", reply({{"states", true}, {"status", "2"}}), "登录失败");
        row("sign-in", "no status", reply({{"states", true}}), "登录失败");
        row("sign-in", "states as string", reply({{"states", "true"}, {"status", 2}}), "登录失败");
        row("sign-in", "not json", notJson, "登录失败");
        row("sign-in", "array", {{"body", "[1]"}}, "登录失败");
        row("sign-in", "improve", reply({{"states", true}, {"status", 1}}), "Improve");
        row("sign-in", "ok", signedIn(1, 1), "OK");
        row("sign-in", "no server", {}, "登录失败");
        row("code", "no server", {}, "登录失败");
        row("registration", "no server", {}, "登录失败");
        row("reset", "ok", reply({{"states", true}, {"status", 1}}), "OK");
        row("reset", "locked", reply({{"states", true}, {"status", 0}}), "此用户已锁定");
        row("reset", "refused", reply({{"states", false}, {"msg", "两次密码不一致"}}), "两次密码不一致");
        row("reset", "refused with msg OK", reply({{"states", false}, {"msg", "OK"}}), "重置失败");
        row("reset", "without status", reply({{"states", true}}), "重置失败");
        row("reset", "not json", notJson, "重置失败");
        row("reset", "no server", {}, "重置失败");
        row("feedback", "ok", reply({{"states", true}, {"msg", "ignored"}}), "OK");
        row("feedback", "refused", reply({{"states", false}, {"msg", "内容为空"}}), "内容为空");
        row("feedback", "refused without msg", reply({{"states", false}}), "");
        row("feedback", "refused with msg OK", reply({{"states", false}, {"msg", "OK"}}), "提交失败");
        row("feedback", "without states", reply({{"msg", "x"}}), "");
        row("feedback", "states as string", reply({{"states", "true"}, {"msg", "x"}}), "");
        row("feedback", "array", {{"body", "[true]"}}, "");
        row("feedback", "not json", notJson, "返回json解析失败");
        row("feedback", "empty", {{"body", ""}}, "返回json解析失败");
        row("feedback", "no server", {}, "返回json解析失败");
    }

    void formResults()
    {
        QFETCH(QString, form);
        QFETCH(QJsonObject, answer);
        QFETCH(QString, result);
        const QHash<QString, QString> paths{{"sign-in", "passlog_on"}, {"code", "log_on"}, {"registration", "userReg"},
                                            {"reset", "ResetPassword"}, {"feedback", "messageSave"}};
        if (answer.isEmpty())
            qputenv("PLIT_PLATFORM_URL", "http://127.0.0.1:9");
        else
            m_server.script("/api/platApi/" + paths[form], answer);
        const QString given = form == "sign-in"      ? account->btnLoginPassword(kDemoPhone, "pw", true)
                              : form == "code"         ? account->btnLogin(kDemoPhone, "123456")
                              : form == "registration" ? account->btnCommitInfo("张三", "z@x.cn", kDemoPhone, "1", "pw")
                              : form == "reset"        ? account->btnResetPassword(kDemoPhone, "123456", "p", "p")
                                                       : account->btnSuggestionInfo("1", "意见", kDemoPhone);
        QCOMPARE(given, result);
        const bool signedIn = form != "reset" && form != "feedback" && (result == "OK" || result == "Improve");
        QCOMPARE(account->getLoginStatus(), signedIn);
        QCOMPARE(account->getUserNum(), signedIn ? kDemoPhone : QString(""));
        QCOMPARE(QFile::exists(ConfigFunction::filePath()), form == "sign-in" && result == "OK");
        QCOMPARE(ConfigFunction::readCredentials().autoLogon, form == "sign-in" && result == "OK");
    }

    // Each sign-in replaces the companies of the one before, in time in
    // proportion to the companies (bench/signin_bench); a sign-in that
    // does not succeed leaves them, and the account signed in, as they were.
    void aSignInReplacesTheCompaniesOnlyWhenItSucceeds()
    {
        m_server.script("/api/platApi/passlog_on", {{"companies", 20000}, {"times", 2}});
        for (int signIn = 0; signIn < 2; ++signIn) {
            QCOMPARE(account->btnLoginPassword(kDemoPhone, kDemoPassword), QStringLiteral("OK"));
            QCOMPARE(vanta->getTaxCodeMaxCount(""), 20000);
            QCOMPARE(vanta->getTaxCodeTotalCount(), 4000);
        }
        QCOMPARE(codes(vanta->getTaxCodeFromSearchText("测试公司19999")), QStringList({"9100000000019999"}));
        const QRegularExpression shape(QStringLiteral("^phone=%1&password=%2&types=1010&ip=[0-9.]*&edition=2\\.0\\.0\\.2$")
                                           .arg(kDemoPhone, QRegularExpression::escape(kDemoPassword)));
        QVERIFY2(shape.match(lastBody("/api/platApi/passlog_on")).hasMatch(), qPrintable(lastBody("/api/platApi/passlog_on")));

        m_server.script("/api/platApi/passlog_on", reply({{"states", true}, {"status", 1}, {"nndata", companies(3, 1)}}));
        QCOMPARE(account->btnLoginPassword("1", "pw"), QStringLiteral("Improve"));
        m_server.script("/api/platApi/passlog_on", reply({{"states", false}, {"msg", "错误"}}));
        QCOMPARE(account->btnLoginPassword("2", "pw"), QStringLiteral("错误"));
        QCOMPARE(vanta->getTaxCodeMaxCount(""), 20000);
        QVERIFY(account->getLoginStatus());
        QCOMPARE(account->getUserNum(), QStringLiteral("1"));

        // An empty list without a page count empties both.
        m_server.script("/api/platApi/passlog_on", reply({{"states", true}, {"status", 2}, {"nndata", QJsonObject{{"data", QJsonArray()}}}}));
        QCOMPARE(account->btnLoginPassword("1", "pw"), QStringLiteral("OK"));
        QCOMPARE(vanta->getTaxCodeMaxCount(""), 0);
        QCOMPARE(vanta->getTaxCodeTotalCount(), 0);
    }

    // The code sign-in sends the key of the last good SMS request, which a
    // refused request or signing out does not lose; signing out keeps the
    // companies.
    void codeSignInSendsTheKeyOfTheLastSmsRequest()
    {
        m_server.script("/api/platApi/log_on", reply({{"states", false}, {"msg", "验证码错误"}}));
        QCOMPARE(account->btnLogin("13800000002", "000000"), QStringLiteral("验证码错误"));
        QVERIFY(lastBody("/api/platApi/log_on").startsWith("phone=13800000002&key=&code=000000&types=1010&ip="));

        m_server.script("/api/platApi/mesSend", reply({{"states", true}, {"key", "k-42"}}));
        account->btnDynamic("13800000002");
        QVERIFY(lastBody("/api/platApi/mesSend").startsWith("phone=13800000002&types=1012&ip="));
        m_server.script("/api/platApi/mesSend", reply({{"states", false}, {"msg", "太频繁"}}));
        account->btnDynamic("13800000002");
        m_server.script("/api/platApi/log_on", signedIn(3, 2));
        QCOMPARE(account->btnLogin("13800000002", "123456"), QStringLiteral("OK"));
        QVERIFY(lastBody("/api/platApi/log_on").startsWith("phone=13800000002&key=k-42&code=123456&types=1010&ip="));

        account->btnLoginOut();
        QVERIFY(!account->getLoginStatus());
        QCOMPARE(account->getUserNum(), QString(""));
        QCOMPARE(takeCount(vanta->getTaxCodeFromPhoneNo("")), 3);
        QCOMPARE(vanta->getTaxCodeTotalCount(), 2);
        account->btnLogin("1", "c");
        QVERIFY(lastBody("/api/platApi/log_on").contains("&key=k-42&"));
    }

    void passwordsReachTheServerAsTypedButNeverTheLog()
    {
        qInstallMessageHandler(logMessageHandler);
        const QString password = QStringLiteral("a&b=c+d%26"); // the four characters a form value escapes
        m_server.script("/api/platApi/passlog_on", reply({{"states", false}, {"msg", "x"}}));
        account->btnLoginPassword("13800000002", password, true);
        account->btnResetPassword("13800000002", "123456", password, password);
        qInstallMessageHandler(nullptr);

        QCOMPARE(m_server.requests("/api/platApi/passlog_on").first()["form"]["password"].toString(), password);
        const QJsonObject reset = m_server.requests("/api/platApi/ResetPassword").first()["form"].toObject();
        QCOMPARE(reset["password"].toString(), password);
        QCOMPARE(reset["rpassword"].toString(), password);
        const QByteArray log = m_database->dir().read("log.txt");
        QVERIFY(log.contains("password=***&rpassword=***&key="));
        QVERIFY(!log.contains("c+d"));
        QVERIFY(!log.contains("a%26b"));
    }

    void registrationAndCompletion()
    {
        m_server.script("/api/platApi/userReg", signedIn(2, 1));
        QCOMPARE(account->btnCommitInfo("张三", "z@x.cn", "13800000009", "123456", "pw"), QStringLiteral("OK"));
        QVERIFY2(lastBody("/api/platApi/userReg").startsWith(
                     "phone=13800000009&email=z@x.cn&real_name=张三&password=pw&key=&code=123456&types=1011&ip="),
                 qPrintable(lastBody("/api/platApi/userReg")));
        QCOMPARE(account->getUserNum(), QStringLiteral("13800000009"));

        // The completion window may pass no number: the signed-in one is sent.
        m_server.script("/api/platApi/userReg", reply({{"states", true}, {"status", 0}}));
        QCOMPARE(account->btnCommitInfo("张三", "z@x.cn", "", "qorvexmt40782", "pw"), QStringLiteral("此用户已锁定"));
        QCOMPARE(m_server.requests("/api/platApi/userReg").last()["form"]["phone"].toString(), QStringLiteral("13800000009"));
    }

    // Feedback is cut to 200 UTF-16 units, never inside a character.
    void feedbackIsCutTo200Characters_data()
    {
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("sent");
        const QString text = QString(120, QChar(0x597D)) + QString(130, 'x') + "+&";
        const QString emoji = QStringLiteral("\U0001F600"); // two UTF-16 units
        QTest::newRow("text") << text << text.left(200);
        QTest::newRow("emoji across the limit is left out") << QString(199, 'x') + emoji + "tail" << QString(199, 'x');
        QTest::newRow("emoji ending at the limit is kept") << QString(198, 'x') + emoji + "tail" << QString(198, 'x') + emoji;
    }

    void feedbackIsCutTo200Characters()
    {
        QFETCH(QString, summary);
        QFETCH(QString, sent);
        account->btnSuggestionInfo("2", summary, "13800000002");
        QCOMPARE(m_server.requests("/api/platApi/messageSave").first()["form"]["summary"].toString(), sent);
        QVERIFY(lastBody("/api/platApi/messageSave").startsWith("msgtypes=2&summary=" + sent + "&phone=13800000002&types=1016&ip="));
    }

    // The token is Base64 of Base64 of the cipher text of a plain server time.
    void encodedUrlCarriesTheTokenOfTheServerTime_data()
    {
        QTest::addColumn<QJsonObject>("serverTime");
        QTest::addColumn<bool>("made");
        QTest::newRow("plain") << QJsonObject() << true;
        QTest::newRow("not a number") << QJsonObject{{"body", "2026-12-05 10:53"}} << false;
        QTest::newRow("too long a number") << QJsonObject{{"body", QString(21, '7')}} << false;
        QTest::newRow("empty") << QJsonObject{{"body", ""}} << false;
        QTest::newRow("oversized") << QJsonObject{{"body", "1"}, {"pad", 9 << 20}} << false;
    }

    void encodedUrlCarriesTheTokenOfTheServerTime()
    {
        QFETCH(QJsonObject, serverTime);
        QFETCH(bool, made);
        m_server.script("/api/platApi/passlog_on", reply({{"states", true}, {"status", 1}}));
        if (!serverTime.isEmpty())
            m_server.script("/api/platApi/getServtime", serverTime);
        account->btnLoginPassword("13800000002", "pw");
        const QString url = account->getEncodeUrl();
        QCOMPARE(m_server.requests("/api/platApi/getServtime").size(), 1);
        QCOMPARE(url.isEmpty(), !made);
        const QString prefix = m_server.baseUrl() + "/api/platApi/ckUser?phone=";
        QVERIFY2(!made || url.startsWith(prefix), qPrintable(url));
        QVERIFY(!made || !QByteArray::fromBase64(QByteArray::fromBase64(url.mid(prefix.size()).toLatin1())).isEmpty());
    }

    void chatAddressIsTheDeploymentSettingWithoutItsLastSlash()
    {
        qputenv("PLIT_CHAT_URL", "http://assistant.example:8080/web/chat/");
        QCOMPARE(account->getChatUrl(), QStringLiteral("http://assistant.example:8080/web/chat"));
    }

    // At most three invoicing windows; the same code twice counts two
    // windows, and closing one that is not open changes nothing.
    void atMostThreeWindowsAreOpen()
    {
        // "+" adds, "-" removes, "?" asks; the second "-A": the count drops, the set no longer holds A.
        const QStringList steps{"-A no", "+A", "+A", "+B", "+C no", "?C no", "-A", "-A no", "?A no", "+C", "?C", "+E", "+F no"};
        for (const QString &step : steps) {
            const QString code = step.mid(1, 1);
            const bool given = step[0] == '+' ? vanta->addTaxCode(code) : step[0] == '-' ? vanta->removeTaxCode(code) : vanta->existTaxCode(code);
            QVERIFY2(given == !step.endsWith(" no"), qPrintable(step));
        }
    }

    // Companies whose window is open are left out of the lists and of a
    // search, which matches a name or a code. A replaced list releases its
    // records, but not the copies handed out.
    void openCompaniesAreLeftOutOfTheListsAndTheSearch()
    {
        VantaFunction::setTaxCodeFromPhoneNo({company("91A", "甲公司"), company("91B", "乙公司"), company("91C", "丙商行"),
                                              company("92D", "丁公司"), company("92E", "戊商行")});
        const QVariantList handedOut = vanta->getTaxCodeFromPhoneNo("any");
        QPointer<UserTaxInfo> copy = handedOut.first().value<UserTaxInfo *>();
        QVERIFY(vanta->addTaxCode("91B"));
        QVERIFY(vanta->addTaxCode("92D"));
        QCOMPARE(vanta->getTaxCodeMaxCount("any"), 5);
        QCOMPARE(vanta->getTaxCodeCount("any"), 3);
        QCOMPARE(codes(vanta->getTaxCodeFromPhoneNo("any")), QStringList({"91A", "91C", "92E"}));
        QCOMPARE(codes(vanta->getTaxCodeFromSearchText("商行")), QStringList({"91C", "92E"}));
        QCOMPARE(codes(vanta->getTaxCodeFromSearchText("92")), QStringList({"92E"}));
        QCOMPARE(codes(vanta->getTaxCodeFromSearchText("91a")), QStringList());

        VantaFunction::setTaxCodeFromPhoneNo({company("93F", "己公司")});
        QVERIFY(copy);
        QCOMPARE(copy->taxcode(), QStringLiteral("91A"));
        QCOMPARE(codes(handedOut).size(), 5);
        QCOMPARE(codes(vanta->getTaxCodeFromPhoneNo("any")), QStringList({"93F"}));
    }

    // A page of companies from the platform, with or without a keyword (sent
    // after the page, escaped), and its page count, which a failed page keeps.
    void pageQuery()
    {
        const QString path = QStringLiteral("/api/platapi/getTaxPage");
        const auto page = [](int count, const QJsonArray &data) {
            return reply({{"states", true}, {"data", QJsonObject{{"page_count", count}, {"data", data}}}});
        };
        m_server.script(path, page(3, {}));
        QVERIFY(vanta->getTaxCodeFromPage("13800000002", 2, "科技&贸易").isEmpty());
        QCOMPARE(vanta->getSearchTaxCodeTotalCount(), 3);
        QVERIFY2(lastBody(path).startsWith("phone=13800000002&page=2&key=科技%26贸易&ip="), qPrintable(lastBody(path)));
        QCOMPARE(m_server.requests(path).last()["form"]["key"].toString(), QStringLiteral("科技&贸易"));

        m_server.script(path, page(4, {QJsonObject{{"tax_code", "91X"}, {"tax_name", "某某"}, {"url", "http://x/1"}}}));
        QCOMPARE(takeValues(vanta->getTaxCodeFromPage("13800000002", 2), "url"), QStringList{"http://x/1"});
        QVERIFY2(lastBody(path).startsWith("phone=13800000002&page=2&ip="), qPrintable(lastBody(path)));
        for (const QJsonObject &answer : {reply({{"states", false}, {"msg", "no"}}), QJsonObject{{"body", "<html>oops"}}, reply({{"states", "true"}})}) {
            m_server.script(path, answer);
            QVERIFY(vanta->getTaxCodeFromPage("1", 1).isEmpty());
        }
        QCOMPARE(vanta->getSearchTaxCodeTotalCount(), 4);
    }

    // A path is kept as text in the Chinese code page, not as escapes, and a
    // file an earlier version wrote in GB2312 reads the same; writing the
    // credentials, in a file only its owner reads, and forgetting them keep it.
    void chinesePathsSurviveTheCredentials_data()
    {
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<bool>("earlier");
        QTest::newRow("written here") << QByteArray("GB18030") << false;
        QTest::newRow("GB2312 of an earlier version") << QByteArray("GB2312") << true;
    }

    void chinesePathsSurviveTheCredentials()
    {
        QFETCH(QByteArray, codec);
        QFETCH(bool, earlier);
        TestDataDir dir;
        const QString path = QStringLiteral("D:/税务/开票");
        const QByteArray encoded = QTextCodec::codecForName(codec)->fromUnicode(path);
        if (earlier)
            QVERIFY(dir.write("System.ini", "[FunDic]\r\nDownloadPath=" + encoded + "\r\n"));
        else
            ConfigFunction().saveConfig("DownloadPath", path);
        ConfigFunction::writeCredentials("13800000002", "secret");
        QVERIFY(QFile::permissions(dir.filePath("System.ini")) == kOwnerOnly);
        const ConfigFunction::Credentials saved = ConfigFunction::readCredentials();
        QCOMPARE(saved.phone, QStringLiteral("13800000002"));
        QCOMPARE(saved.password, QStringLiteral("secret"));
        QVERIFY(saved.autoLogon);
        QVERIFY(dir.read("System.ini").contains("PHONRNUM=13800000002"));
        QVERIFY(dir.read("System.ini").contains("AUTOLOGON=true"));

        ConfigFunction().forgetCredentials();
        const ConfigFunction::Credentials forgotten = ConfigFunction::readCredentials();
        QVERIFY(forgotten.phone.isEmpty() && forgotten.password.isEmpty() && !forgotten.autoLogon);
        QVERIFY(QFile::permissions(dir.filePath("System.ini")) == kOwnerOnly);
        const QByteArray bytes = dir.read("System.ini");
        QVERIFY2(bytes.contains(encoded) && !bytes.contains("secret"), bytes.constData());
        QSettings raw(dir.filePath("System.ini"), QSettings::IniFormat);
        raw.setIniCodec(codec);
        QCOMPARE(raw.value("FunDic/DownloadPath").toString(), path);
        QVERIFY(ConfigFunction().keyExist("DownloadPath"));
    }

    void interfaceSettingsAreTheOwnersBeforeTheFirstWrite()
    {
        const QString path = QSettings().fileName();
        QVERIFY(path.startsWith(m_config.path()));
        QVERIFY(!QFile::exists(path));
        ConfigFunction::protectInterfaceSettings();
        QVERIFY(QFile::permissions(path) == kOwnerOnly);
        QCOMPARE(QFileInfo(path).size(), 0);
        // The interface writes the remembered number the way Qt writes settings; a file that others could read
        // is closed to them at the next start.
        QSettings().setValue("inputPhone", "13800000002");
        for (const bool reopened : {false, true}) {
            if (reopened) {
                QFile::setPermissions(path, kOwnerOnly | QFileDevice::ReadOther);
                ConfigFunction::protectInterfaceSettings();
            }
            QVERIFY(QFile::permissions(path) == kOwnerOnly);
            QCOMPARE(QSettings().value("inputPhone").toString(), QStringLiteral("13800000002"));
        }
    }

    // No file reads as no credentials (no silent sign-in is tried) and no
    // paths, forgetting makes none, and an empty path is none.
    void missingCredentialsAndPaths()
    {
        TestDataDir dir;
        ConfigFunction config;
        QVERIFY(ConfigFunction::readCredentials().phone.isEmpty());
        QSignalSpy finished(account.data(), &MainFunction::autoLoginFinished);
        account->btnAutoLogin();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), QString());
        QVERIFY(m_server.requests("/api/platApi/passlog_on").isEmpty());
        QVERIFY(!config.keyExist("DownloadPath"));
        config.forgetCredentials();
        QVERIFY(!QFile::exists(dir.filePath("System.ini")));
        config.saveConfig("DownloadPath", "/home/u/下载");
        QVERIFY(config.keyExist("DownloadPath") && !config.keyExist("never"));
        config.saveConfig("DownloadPath", "");
        QVERIFY(!config.keyExist("DownloadPath"));
    }
};

QTEST_GUILESS_MAIN(AccountTest)
#include "tst_account.moc"
