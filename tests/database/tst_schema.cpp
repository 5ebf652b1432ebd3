#include "database/configmodel.h"
#include "databasefile.h"
#include "freshdatabase.h"

#include <QFile>
#include <QSqlQuery>
#include <QtTest>

// The database file, its tables and first-run rows, the repair of the chat
// row, and what happens when the file cannot be opened.
class SchemaTest : public QObject
{
    Q_OBJECT

private slots:
    void firstRunWritesExactlyTheSeedRows()
    {
        FreshDatabase fresh;
        const QList<QVariantMap> rows = fresh.db().connection().querySql(QStringLiteral("SELECT * FROM config"));
        QCOMPARE(rows.size(), 8);
        const QStringList names = {"开票软件", "我要开票", "Ressa", "UKEY开票", "财税助手", "打印助手", "智能客服", "更多"};
        const QStringList icons = {"app01", "app02", "app03", "app04", "app05", "app06", "app07", "moreIcon"};
        for (int i = 0; i < rows.size(); ++i) {
            const QVariantMap &row = rows.at(i);
            QCOMPARE(row.value("name").toString(), names.at(i));
            QCOMPARE(row.value("icon").toString(), QStringLiteral("qrc:/images/appIcon/%1.png").arg(icons.at(i)));
            QVERIFY(row.value("orderNumber").isNull());
            QVERIFY(row.value("state").isNull());
            if (i == 6) {
                QCOMPARE(row.value("path").toString(), QStringLiteral("http://127.0.0.1:8600/chat/27"));
                QCOMPARE(row.value("type").toString(), QStringLiteral("1"));
            } else {
                QVERIFY(row.value("path").isNull());
                QVERIFY(row.value("type").isNull());
            }
        }
        QCOMPARE(fresh.db().getVersion(), QStringLiteral("2.0.0.2"));
        QCOMPARE(fresh.db().getdateDatabaseDate(), QStringLiteral("1900-01-01"));
        QCOMPARE(fresh.db().getUserNameCount(), 0);
        QVERIFY(fresh.db().connection().isTableExist(QStringLiteral("UserInfo")));
        QVERIFY(QFile::exists(fresh.dir().filePath(QStringLiteral("corvane.db"))));
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
        // A table left behind makes one statement of the first run fail.
        QVERIFY(execOnDatabaseFile(dir.filePath(QStringLiteral("corvane.db")),
                                   QStringLiteral("CREATE TABLE \"time\" ( \"time\" TEXT )")));
        {
            DatebaseFunction db;
            db.createSqlite();
        }
        resetDefaultDatabase();
        const QString file = dir.filePath(QStringLiteral("corvane.db"));
        QVERIFY(queryDatabaseFile(file, QStringLiteral("SELECT name FROM sqlite_master WHERE name <> 'time'")).isEmpty());
    }

    void olderDatabaseGetsTheUserTable()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.exec(QStringLiteral("DROP TABLE UserInfo")));
        QVERIFY(!fresh.db().connection().isTableExist(QStringLiteral("UserInfo")));
        fresh.db().createUserInfoTable();
        QVERIFY(fresh.db().connection().isTableExist(QStringLiteral("UserInfo")));
        const QList<QVariantMap> sql = fresh.db().connection().querySql(
            QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'UserInfo'"));
        QCOMPARE(sql.value(0).value("sql").toString(),
                 QStringLiteral("CREATE TABLE \"UserInfo\" ( \"username\" TEXT, \"pwd\" TEXT, \"autologin\" integer)"));
        QCOMPARE(fresh.db().getConfigMax(), 7);
    }

    void checkDbRestoresALostChatRowOnce()
    {
        FreshDatabase fresh;
        fresh.db().checkDb();
        QCOMPARE(fresh.db().getConfigMax(), 7);

        QVERIFY(fresh.exec(QStringLiteral("DELETE FROM config WHERE name = '智能客服'")));
        fresh.db().checkDb();
        fresh.db().checkDb();
        const QStringList names = takeNames(fresh.db().getConfigList());
        QCOMPARE(names.count(QStringLiteral("智能客服")), 1);
        QCOMPARE(names.last(), QStringLiteral("智能客服"));
        QCOMPARE(takeNames(fresh.db().getTopConfigList()), QStringList({"我要开票", "智能客服", "更多"}));
    }

    void isTableExistOnlyForTables()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.exec(QStringLiteral("CREATE VIEW someview AS SELECT name FROM config")));
        QVERIFY(fresh.exec(QStringLiteral("CREATE INDEX someindex ON config(name)")));
        SqlConnection &connection = fresh.db().connection();
        QVERIFY(connection.isTableExist(QStringLiteral("config")));
        QVERIFY(connection.isTableExist(QStringLiteral("time")));
        QVERIFY(!connection.isTableExist(QStringLiteral("someview")));
        QVERIFY(!connection.isTableExist(QStringLiteral("someindex")));
        QVERIFY(!connection.isTableExist(QStringLiteral("nothing")));
        QVERIFY(!connection.isTableExist(QStringLiteral("x' OR '1'='1")));
    }

    void quotesInStatementsCannotAlterThem()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().insertPathInfo(QStringLiteral("O'Brien"), QStringLiteral("/opt/o"),
                                          QString(), 0, QString(), QString()));
        QVERIFY(fresh.db().appIsExist(QStringLiteral("O'Brien")));
        QVERIFY(!fresh.db().appIsExist(QStringLiteral("x' OR '1'='1")));
        QVERIFY(fresh.db().updateConfigInfo(QStringLiteral("O'Brien"), QStringLiteral("/opt/p"), 3));
        QCOMPARE(fresh.db().getConfigMax(), 8);
    }

    void unopenableDatabaseFailsQuietly()
    {
        TestDataDir dir;
        // A directory where the database file should be: SQLite cannot open it.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("corvane.db"))));
        QStringList messages;
        static QStringList *sink = nullptr;
        sink = &messages;
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &msg) {
            sink->append(msg);
        });
        {
            DatebaseFunction db;
            db.createSqlite();
            db.createUserInfoTable();
            QCOMPARE(takeCount(db.getTopConfigList()), 0);
            QCOMPARE(takeCount(db.getCurrentConfigList()), 0);
            QCOMPARE(takeCount(db.getNotConfigList()), 0);
            QCOMPARE(db.getConfigCurrent(), 0);
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
};

QTEST_GUILESS_MAIN(SchemaTest)
#include "tst_schema.moc"
