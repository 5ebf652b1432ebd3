#include "database/userinfo.h"
#include "database/datebasefunction.h"
#include "freshdatabase.h"

#include <QtTest>

namespace {

QList<UserInfo *> users(const QVariantList &list)
{
    QList<UserInfo *> result;
    for (const QVariant &value : list)
        result << value.value<UserInfo *>();
    return result;
}

} // namespace

// The version and date rows and the table of stored users.
class RecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void missingDateRowReadsAsToday()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.exec("DELETE FROM time"));
        QCOMPARE(fresh.db().getdateDatabaseDate(), databaseDateText(QDate::currentDate()));
        QVERIFY(fresh.db().connection().querySql("SELECT * FROM time").isEmpty());
    }

    void versionWithoutItsRowIsNotRecorded()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.exec("DELETE FROM version"));
        QVERIFY(!fresh.db().setVersion("2.0.0.3"));
        QCOMPARE(fresh.db().getVersion(), QString());
    }

    void insertingTheSameUserTwiceKeepsTheFirstAndClearsFlags()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().InsertUserInfo("13800000001", "first", 1));
        QCOMPARE(takeCount(fresh.db().getUserInfoAutoLogin()), 1);
        QVERIFY(!fresh.db().InsertUserInfo("13800000001", "second", 1));
        QCOMPARE(fresh.db().getUserNameCount(), 1);
        QCOMPARE(fresh.db().getPwdFromUserName("13800000001"), QStringLiteral("first"));
        QCOMPARE(takeCount(fresh.db().getUserInfoAutoLogin()), 0);
    }

    void newUserWithFlagIsTheOnlyAutoLogin()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().InsertUserInfo("1", "p1", 1));
        QVERIFY(fresh.db().InsertUserInfo("2", "p2", 1));
        const QVariantList list = fresh.db().getUserInfo();
        const QList<UserInfo *> flagged = users(list);
        QCOMPARE(flagged.size(), 1);
        QCOMPARE(flagged.first()->username(), QStringLiteral("2"));
        QCOMPARE(flagged.first()->pwd(), QStringLiteral("p2"));
        QCOMPARE(flagged.first()->autologin(), QStringLiteral("1"));
        qDeleteAll(flagged);

        const QList<UserInfo *> autoLogin = users(fresh.db().getUserInfoAutoLogin());
        QCOMPARE(autoLogin.size(), 1);
        QCOMPARE(autoLogin.first()->autologin(), QString());
        qDeleteAll(autoLogin);

        QVERIFY(fresh.db().UpdateUserInfoAutoLoginFlag("1", 1));
        const QList<UserInfo *> moved = users(fresh.db().getUserInfoAutoLogin());
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.first()->username(), QStringLiteral("1"));
        qDeleteAll(moved);
    }

    void updatingTheFlagOfAnUnknownUserClearsAll()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().InsertUserInfo("1", "p1", 1));
        QVERIFY(fresh.db().UpdateUserInfoAutoLoginFlag("nobody", 1));
        QCOMPARE(takeCount(fresh.db().getUserInfoAutoLogin()), 0);
    }

    void usersAreListedInTableOrder()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().InsertUserInfo("b", "1", 0));
        QVERIFY(fresh.db().InsertUserInfo("a", "2", 0));
        QCOMPARE(fresh.db().getUserNameList(), QList<QString>({"b", "a"}));
        QCOMPARE(fresh.db().getUserNameCount(), 2);
        QCOMPARE(fresh.db().getPwdFromUserName("unknown"), QString());
    }

    void quotedNamesAreStoredAndFound()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().InsertUserInfo("a'b", "p'w", 1));
        QVERIFY(!fresh.db().InsertUserInfo("a'b", "other", 0));
        QCOMPARE(fresh.db().getPwdFromUserName("a'b"), QStringLiteral("p'w"));
        QCOMPARE(fresh.db().getPwdFromUserName("x' OR '1'='1"), QString());
        QCOMPARE(fresh.db().getUserNameCount(), 1);
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "tst_records.moc"
