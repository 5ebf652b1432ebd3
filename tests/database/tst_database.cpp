#include "database/configmodel.h"
#include "testdatadir.h"
#include "qmlwarningguard.h"

#include <QtTest>

namespace {

// Each element as its properties joined by '|'; the elements are released.
QStringList take(const QVariantList &elements, std::initializer_list<const char *> properties)
{
    QStringList rows;
    for (const QVariant &element : elements) {
        QStringList values;
        for (const char *property : properties)
            values << element.value<QObject *>()->property(property).toString();
        rows << values.join(QLatin1Char('|'));
        delete element.value<QObject *>();
    }
    return rows;
}

QStringList *g_messages = nullptr;

} // namespace

// The database file, its first-run rows, repair and failure; the tile lists of
// the home page, "我的应用" and "热门应用"; the version, date and stored users.
class DatabaseTest : public QObject
{
    Q_OBJECT

private slots:
    void firstRunWritesExactlyTheSeedRows()
    {
        FreshDatabase fresh;
        DatebaseFunction &db = fresh.db();
        QStringList rows;
        for (const QVariantMap &row : db.connection().querySql(QStringLiteral("SELECT * FROM config"))) {
            QStringList values;
            for (const char *field : {"name", "path", "icon", "orderNumber", "type", "state"})
                values << (row.value(field).isNull() ? QStringLiteral("NULL") : row.value(field).toString());
            rows << values.join(QLatin1Char('|'));
        }
        const QString icon = QStringLiteral("qrc:/images/appIcon/%1.png");
        QCOMPARE(rows, QStringList({"开票软件|NULL|" + icon.arg("app01") + "|NULL|NULL|NULL",
                                    "我要开票|NULL|" + icon.arg("app02") + "|NULL|NULL|NULL",
                                    "Ressa|NULL|" + icon.arg("app03") + "|NULL|NULL|NULL",
                                    "UKEY开票|NULL|" + icon.arg("app04") + "|NULL|NULL|NULL",
                                    "财税助手|NULL|" + icon.arg("app05") + "|NULL|NULL|NULL",
                                    "打印助手|NULL|" + icon.arg("app06") + "|NULL|NULL|NULL",
                                    "智能客服|http://127.0.0.1:8600/chat/27|" + icon.arg("app07") + "|NULL|1|NULL",
                                    "更多|NULL|" + icon.arg("moreIcon") + "|NULL|NULL|NULL"}));
        QCOMPARE(db.getVersion(), QStringLiteral("2.0.0.2"));
        QCOMPARE(db.getdateDatabaseDate(), QStringLiteral("1900-01-01"));
        QCOMPARE(db.getUserNameCount(), 0);
        QCOMPARE(db.connection().querySql(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'UserInfo'"))
                     .value(0).value("sql").toString(),
                 QStringLiteral("CREATE TABLE \"UserInfo\" ( \"username\" TEXT, \"pwd\" TEXT, \"autologin\" integer)"));

        QCOMPARE(take(db.getTopConfigList(), {"name"}), QStringList({"我要开票", "智能客服", "更多"}));
        QCOMPARE(take(db.getCurrentConfigList(), {"name"}), QStringList({"智能客服", "我要开票", "更多"}));
        QCOMPARE(take(db.getNotConfigList(), {"name"}), QStringList({"开票软件", "Ressa", "UKEY开票", "财税助手", "打印助手"}));
        QCOMPARE(db.getConfigCurrent(), 1);
        QCOMPARE(db.getNewOrder(), 1);
        QCOMPARE(db.getNotConfig(), 6);
        QCOMPARE(db.getConfigMax(), 7);
    }

    void existingDatabaseIsLeftAsItIs()
    {
        TestDataDir dir;
        {
            DatebaseFunction first;
            first.createSqlite();
            QVERIFY(first.connection().execSql(QStringLiteral("DELETE FROM config WHERE name = 'Ressa'")));
        }
        resetDefaultDatabase();
        DatebaseFunction again;
        again.createSqlite();
        QCOMPARE(again.getConfigMax(), 6); // seven rows: nothing seeded twice
        QVERIFY(!again.connection().openDatabase());
    }

    void firstRunIsAllOrNothing()
    {
        TestDataDir dir;
        const QString file = dir.filePath(QStringLiteral("corvane.db"));
        // A table left behind makes one statement of the first run fail.
        QVERIFY(execOnDatabaseFile(file, QStringLiteral("CREATE TABLE \"time\" ( \"time\" TEXT )")));
        DatebaseFunction().createSqlite();
        resetDefaultDatabase();
        QVERIFY(queryDatabaseFile(file, QStringLiteral("SELECT name FROM sqlite_master WHERE name <> 'time'")).isEmpty());
    }

    void checkDbRestoresALostChatRowOnce()
    {
        FreshDatabase fresh;
        fresh.db().checkDb();
        QCOMPARE(fresh.db().getConfigMax(), 7);
        QVERIFY(fresh.exec(QStringLiteral("DELETE FROM config WHERE name = '智能客服'")));
        fresh.db().checkDb();
        fresh.db().checkDb();
        const QStringList names = take(fresh.db().getConfigList(), {"name"});
        QCOMPARE(names.count(QStringLiteral("智能客服")), 1);
        QCOMPARE(names.last(), QStringLiteral("智能客服"));
        QCOMPARE(take(fresh.db().getTopConfigList(), {"name"}), QStringList({"我要开票", "智能客服", "更多"}));
    }

    // Names are bound, never inlined, and compared exactly.
    void quotedNamesCannotAlterTheStatements()
    {
        FreshDatabase fresh;
        DatebaseFunction &db = fresh.db();
        QVERIFY(db.insertPathInfo(QStringLiteral("O'Brien"), QStringLiteral("/opt/o"), QString(), 0, QString(), QString()));
        QVERIFY(db.appIsExist(QStringLiteral("O'Brien")));
        QVERIFY(!db.appIsExist(QStringLiteral("x' OR '1'='1")));
        QVERIFY(!db.appIsExist(QStringLiteral("Ressa ")));
        QVERIFY(!db.appIsExist(QStringLiteral("ressa")));
        QVERIFY(db.updateConfigInfo(QStringLiteral("O'Brien"), QStringLiteral("/opt/p"), 3));
        QCOMPARE(db.getConfigMax(), 8);

        QVERIFY(db.InsertUserInfo("a'b", "p'w", 1));
        QVERIFY(!db.InsertUserInfo("a'b", "other", 0));
        QCOMPARE(db.getPwdFromUserName("a'b"), QStringLiteral("p'w"));
        QCOMPARE(db.getPwdFromUserName("x' OR '1'='1"), QString());
        QCOMPARE(db.getUserNameCount(), 1);

        QVERIFY(fresh.exec(QStringLiteral("CREATE VIEW someview AS SELECT name FROM config")));
        QVERIFY(fresh.exec(QStringLiteral("CREATE INDEX someindex ON config(name)")));
        for (const char *table : {"config", "time"})
            QVERIFY(db.connection().isTableExist(QLatin1String(table)));
        for (const char *other : {"someview", "someindex", "nothing", "x' OR '1'='1"})
            QVERIFY2(!db.connection().isTableExist(QString::fromUtf8(other)), other);
    }

    void unopenableDatabaseFailsQuietly()
    {
        TestDataDir dir;
        // A directory where the database file should be: SQLite cannot open it.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("corvane.db"))));
        QStringList messages;
        g_messages = &messages;
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &msg) { g_messages->append(msg); });
        {
            DatebaseFunction db;
            db.createSqlite();
            db.createUserInfoTable();
            QCOMPARE(takeCount(db.getTopConfigList()) + takeCount(db.getCurrentConfigList())
                         + takeCount(db.getNotConfigList()) + db.getConfigCurrent(), 0);
            QCOMPARE(db.getNotConfig(), -1);
            QCOMPARE(db.getConfigMax(), -1);
            QVERIFY(!db.appIsExist(QStringLiteral("更多")));
            QVERIFY(!db.setVersion(QStringLiteral("1")));
            QCOMPARE(db.getVersion(), QString());
            QVERIFY(!db.InsertUserInfo(QStringLiteral("1"), QStringLiteral("p"), 1));
            db.checkDb();
        }
        qInstallMessageHandler(previous);
        resetDefaultDatabase();
        QCOMPARE(messages.filter(QStringLiteral("Error: Failed to connect database.")).size(), 1);
    }

    void homePageDropsPrintHelperAndRessaAfterTheLimit()
    {
        FreshDatabase fresh;
        DatebaseFunction &db = fresh.db();
        // Six ordinary programs with orders 0 to 5, the print helper at order 2.
        QVERIFY(db.updateConfigInfo("开票软件", "/opt/a", 0));
        QVERIFY(db.updateConfigInfo("UKEY开票", "/opt/b", 1));
        QVERIFY(db.updateConfigInfo("打印助手", "/opt/c", 2));
        QVERIFY(db.updateConfigInfo("财税助手", "/opt/d", 3));
        QVERIFY(fresh.exec("insert into config values ('自己的', '/opt/e', 'file:///e.png', 4, NULL, NULL)"));
        QVERIFY(db.updateConfigInfo("Ressa", "/opt/f", 5));

        // The elements carry the row values, belong to no parent, and know the chat row.
        const QVariantList top = db.getTopConfigList();
        QCOMPARE(top.value(0).value<ConfigModel *>()->type(), 0);
        QCOMPARE(top.value(5).value<ConfigModel *>()->type(), 1);
        QVERIFY(!top.value(0).value<ConfigModel *>()->parent());
        QCOMPARE(take(top, {"name", "path", "icon", "orderNumber"}),
                 QStringList({"开票软件|/opt/a|qrc:/images/appIcon/app01.png|0", "UKEY开票|/opt/b|qrc:/images/appIcon/app04.png|1",
                              "财税助手|/opt/d|qrc:/images/appIcon/app05.png|3", "自己的|/opt/e|file:///e.png|4",
                              "我要开票||qrc:/images/appIcon/app02.png|0",
                              "智能客服|http://127.0.0.1:8600/chat/27|qrc:/images/appIcon/app07.png|0",
                              "更多||qrc:/images/appIcon/moreIcon.png|0"}));
        QCOMPARE(take(db.getCurrentConfigList(), {"name"}),
                 QStringList({"开票软件", "Ressa", "UKEY开票", "财税助手", "打印助手", "智能客服", "自己的", "我要开票", "更多"}));
        QCOMPARE(takeCount(db.getNotConfigList()), 0);
        QCOMPARE(db.getConfigCurrent(), 7);
        QCOMPARE(db.getNotConfig(), 1);
    }

    // A path set, cleared, or set for an unknown name; a program added twice,
    // or added by the user (never on the home page). As the dialogs call them,
    // a JavaScript "" reaches C++ as a null string.
    void programsMoveBetweenTheLists()
    {
        FreshDatabase fresh;
        DatebaseFunction &db = fresh.db();
        QVERIFY(db.updateConfigInfo("没有这个", "/opt/x", 9));
        QCOMPARE(db.getConfigCurrent(), 1);
        QCOMPARE(db.getConfigMax(), 7);

        QVERIFY(db.updateConfigInfo("开票软件", "/opt/a", 0));
        QVERIFY(!take(db.getNotConfigList(), {"name"}).contains("开票软件"));
        QVERIFY(db.unconfigureApp("开票软件"));
        QVERIFY(take(db.getNotConfigList(), {"name"}).contains("开票软件"));
        QVERIFY(!take(db.getCurrentConfigList(), {"name"}).contains("开票软件"));

        QCOMPARE(evaluateInQml("datebaseFunction", &db, "datebaseFunction.updateConfigInfo('Ressa', '', 0)"),
                 QVariant(true));
        QVERIFY(!take(db.getCurrentConfigList(), {"name"}).contains("Ressa"));
        QVERIFY(!take(db.getNotConfigList(), {"name"}).contains("Ressa"));

        QCOMPARE(evaluateInQml("datebaseFunction", &db,
                               "datebaseFunction.insertPathInfo('工具', '/opt/t', 'file:///t.png', 0, '', '')"),
                 QVariant(true));
        QVERIFY(db.insertPathInfo("工具", "/opt/t", "file:///t.png", 0, "", ""));
        QCOMPARE(take(db.getCurrentConfigList(), {"name"}).count("工具"), 2);
        QVERIFY(!take(db.getTopConfigList(), {"name"}).contains("工具"));
        const QVariantMap row = db.connection().querySql("SELECT type, state FROM config WHERE name = '工具'").value(0);
        QCOMPARE(row.value("type"), QVariant(QString("")));
        QCOMPARE(row.value("state"), QVariant(QString("")));
    }

    void missingDateOrVersionRow()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.exec("DELETE FROM time"));
        QCOMPARE(fresh.db().getdateDatabaseDate(), databaseDateText(QDate::currentDate()));
        QVERIFY(fresh.db().connection().querySql("SELECT * FROM time").isEmpty());
        // A version without its row is not recorded.
        QVERIFY(fresh.exec("DELETE FROM version"));
        QVERIFY(!fresh.db().setVersion("2.0.0.3"));
        QCOMPARE(fresh.db().getVersion(), QString());
    }

    void storedUsersAndTheOneThatSignsInByItself()
    {
        FreshDatabase fresh;
        DatebaseFunction &db = fresh.db();
        QVERIFY(db.InsertUserInfo("1", "p1", 1));
        QVERIFY(db.InsertUserInfo("2", "p2", 1));
        // The same user again keeps the first and clears every flag.
        QVERIFY(!db.InsertUserInfo("2", "second", 1));
        QCOMPARE(db.getPwdFromUserName("2"), QStringLiteral("p2"));
        QCOMPARE(takeCount(db.getUserInfoAutoLogin()), 0);
        QVERIFY(db.InsertUserInfo("0", "p0", 0));
        QCOMPARE(db.getUserNameList(), QList<QString>({"1", "2", "0"}));
        QCOMPARE(db.getUserNameCount(), 3);
        QCOMPARE(db.getPwdFromUserName("unknown"), QString());

        // A new user with the flag is the only one.
        QVERIFY(db.InsertUserInfo("3", "p3", 1));
        QCOMPARE(take(db.getUserInfo(), {"username", "pwd", "autologin"}), QStringList({"3|p3|1"}));
        QCOMPARE(take(db.getUserInfoAutoLogin(), {"username", "autologin"}), QStringList({"3|"}));
        QVERIFY(db.UpdateUserInfoAutoLoginFlag("1", 1));
        QCOMPARE(take(db.getUserInfoAutoLogin(), {"username"}), QStringList({"1"}));
        // The flag of an unknown user clears them all.
        QVERIFY(db.UpdateUserInfoAutoLoginFlag("nobody", 1));
        QCOMPARE(takeCount(db.getUserInfoAutoLogin()), 0);
    }
};

QTEST_GUILESS_MAIN(DatabaseTest)
#include "tst_database.moc"
