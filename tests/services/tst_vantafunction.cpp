#include "services/usertaxinfo.h"
#include "services/vantafunction.h"
#include "standinserver.h"
#include "elements.h"
#include "testdatadir.h"

#include <QtTest>

namespace {

UserTaxInfo *company(const QString &code, const QString &name)
{
    auto *info = new UserTaxInfo;
    info->setTaxcode(code);
    info->setTaxname(name);
    return info;
}

QStringList codes(const QVariantList &list)
{
    return takeValues(list, "taxcode");
}

void setFiveCompanies()
{
    VantaFunction::setTaxCodeFromPhoneNo(
        {QVariant::fromValue(company("91A", "甲公司")), QVariant::fromValue(company("91B", "乙公司")),
         QVariant::fromValue(company("91C", "丙商行")), QVariant::fromValue(company("92D", "丁公司")),
         QVariant::fromValue(company("92E", "戊商行"))});
}

} // namespace

// The companies of the signed-in number: the open-window count, the filtered
// lists, and paging and search on the platform.
class VantaFunctionTest : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<StandInServer> m_server{new StandInServer};

private slots:
    void cleanupTestCase()
    {
        VantaFunction::setTaxCodeFromPhoneNo({});
    }

    void init()
    {
        QVERIFY(m_server->isRunning());
        m_server->reset();
    }

    void atMostThreeWindowsAreOpenAndClosingNoneChangesNothing()
    {
        VantaFunction vanta;
        QVERIFY(!vanta.removeTaxCode("A"));
        QVERIFY(vanta.addTaxCode("A"));
        QVERIFY(vanta.addTaxCode("B"));
        QVERIFY(vanta.addTaxCode("C"));
        QVERIFY(!vanta.addTaxCode("D"));
        QVERIFY(!vanta.existTaxCode("D"));
        QVERIFY(vanta.removeTaxCode("B"));
        QVERIFY(!vanta.existTaxCode("B"));
        QVERIFY(vanta.addTaxCode("D"));
        QVERIFY(vanta.existTaxCode("D"));
    }

    void theSameCodeTwiceCountsTwoWindows()
    {
        VantaFunction vanta;
        QVERIFY(vanta.addTaxCode("A"));
        QVERIFY(vanta.addTaxCode("A"));
        QVERIFY(vanta.addTaxCode("B"));
        QVERIFY(!vanta.addTaxCode("C")); // two windows of A and one of B are open
        QVERIFY(vanta.removeTaxCode("A"));
        QVERIFY(!vanta.removeTaxCode("A")); // the count drops, the set no longer holds A
        QVERIFY(vanta.addTaxCode("C"));
        QVERIFY(vanta.addTaxCode("E"));
        QVERIFY(!vanta.addTaxCode("F"));
    }

    void openCompaniesAreLeftOutOfTheLists()
    {
        setFiveCompanies();
        VantaFunction vanta;
        QVERIFY(vanta.addTaxCode("91B"));
        QVERIFY(vanta.addTaxCode("92D"));
        QCOMPARE(vanta.getTaxCodeMaxCount("any"), 5);
        QCOMPARE(vanta.getTaxCodeCount("any"), 3);
        QCOMPARE(codes(vanta.getTaxCodeFromPhoneNo("any")), QStringList({"91A", "91C", "92E"}));
    }

    void searchMatchesNameOrCode()
    {
        setFiveCompanies();
        VantaFunction vanta;
        QVERIFY(vanta.addTaxCode("92E"));
        QCOMPARE(codes(vanta.getTaxCodeFromSearchText("商行")), QStringList({"91C"}));
        QCOMPARE(codes(vanta.getTaxCodeFromSearchText("92")), QStringList({"92D"}));
        QCOMPARE(codes(vanta.getTaxCodeFromSearchText("91a")), QStringList());
    }

    void replacedListReleasesItsRecordsButNotTheCopies()
    {
        setFiveCompanies();
        VantaFunction vanta;
        const QVariantList handedOut = vanta.getTaxCodeFromPhoneNo("any");
        QPointer<UserTaxInfo> copy = handedOut.first().value<UserTaxInfo *>();
        VantaFunction::setTaxCodeFromPhoneNo({QVariant::fromValue(company("93F", "己公司"))});
        QVERIFY(copy);
        QCOMPARE(copy->taxcode(), QStringLiteral("91A"));
        QCOMPARE(codes(handedOut).size(), 5);
        QCOMPARE(codes(vanta.getTaxCodeFromPhoneNo("any")), QStringList({"93F"}));
    }

    void pageQueryWithoutKeywordSendsNoKey()
    {
        const QJsonObject company{{"tax_code", "91X"}, {"tax_name", "某某"}, {"phone", "1"}, {"url", "http://x/1"}};
        const QJsonObject data{{"page_count", 4}, {"data", QJsonArray{company}}};
        m_server->script("/api/platapi/getTaxPage", {{"json", QJsonObject{{"states", true}, {"data", data}}}});
        VantaFunction vanta;
        const QVariantList page = vanta.getTaxCodeFromPage("13800000002", 2);
        QCOMPARE(page.size(), 1);
        auto *info = page.first().value<UserTaxInfo *>();
        QCOMPARE(info->taxname(), QStringLiteral("某某"));
        QCOMPARE(info->url(), QStringLiteral("http://x/1"));
        codes(page);
        QCOMPARE(vanta.getSearchTaxCodeTotalCount(), 4);

        const QJsonArray sent = m_server->requests("/api/platapi/getTaxPage");
        QCOMPARE(sent.size(), 1);
        const QString body = sent.first()["body"].toString();
        QVERIFY2(body.startsWith("phone=13800000002&page=2&ip="), qPrintable(body));
        QVERIFY(!body.contains("key="));
    }

    void pageQueryWithKeywordSendsItAfterThePage()
    {
        VantaFunction vanta;
        codes(vanta.getTaxCodeFromPage("13800000002", 1, QStringLiteral("科技&贸易")));
        const QJsonArray sent = m_server->requests("/api/platapi/getTaxPage");
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent.first()["body"].toString().startsWith("phone=13800000002&page=1&key=科技%26贸易&ip="),
                 qPrintable(sent.first()["body"].toString()));
        QCOMPARE(sent.first()["form"]["key"].toString(), QStringLiteral("科技&贸易"));
    }

    void failedPageQueryKeepsThePageCount()
    {
        VantaFunction vanta;
        m_server->script("/api/platapi/getTaxPage",
                      {{"json", QJsonObject{{"states", true}, {"data", QJsonObject{{"page_count", 3}, {"data", QJsonArray()}}}}}});
        QVERIFY(vanta.getTaxCodeFromPage("1", 1).isEmpty());
        QCOMPARE(vanta.getSearchTaxCodeTotalCount(), 3);
        m_server->script("/api/platapi/getTaxPage", {{"json", QJsonObject{{"states", false}, {"msg", "no"}}}});
        QVERIFY(vanta.getTaxCodeFromPage("1", 1).isEmpty());
        m_server->script("/api/platapi/getTaxPage", {{"body", "<html>oops"}});
        QVERIFY(vanta.getTaxCodeFromPage("1", 1).isEmpty());
        m_server->script("/api/platapi/getTaxPage", {{"json", QJsonObject{{"states", "true"}}}});
        QVERIFY(vanta.getTaxCodeFromPage("1", 1).isEmpty());
        QCOMPARE(vanta.getSearchTaxCodeTotalCount(), 3);
    }
};

QTEST_GUILESS_MAIN(VantaFunctionTest)
#include "tst_vantafunction.moc"
