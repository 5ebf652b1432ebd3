#include "database/configmodel.h"
#include "freshdatabase.h"
#include "qmlcall.h"

#include <QtTest>

// The tile lists of the home page, "我的应用" and "热门应用", and their counts.
class CatalogueTest : public QObject
{
    Q_OBJECT

private slots:
    void freshDatabaseLists()
    {
        FreshDatabase fresh;
        DatebaseFunction &db = fresh.db();
        QCOMPARE(takeNames(db.getTopConfigList()), QStringList({"我要开票", "智能客服", "更多"}));
        QCOMPARE(takeNames(db.getCurrentConfigList()), QStringList({"智能客服", "我要开票", "更多"}));
        QCOMPARE(takeNames(db.getNotConfigList()),
                 QStringList({"开票软件", "Ressa", "UKEY开票", "财税助手", "打印助手"}));
        QCOMPARE(db.getConfigCurrent(), 1);
        QCOMPARE(db.getNewOrder(), 1);
        QCOMPARE(db.getNotConfig(), 6);
        QCOMPARE(db.getConfigMax(), 7);
        QCOMPARE(takeNames(db.getConfigList()).size(), 8);
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

        const QStringList top = takeNames(db.getTopConfigList());
        QCOMPARE(top,
                 QStringList({"开票软件", "UKEY开票", "财税助手", "自己的", "我要开票", "智能客服", "更多"}));
        QCOMPARE(takeNames(db.getCurrentConfigList()),
                 QStringList({"开票软件", "Ressa", "UKEY开票", "财税助手", "打印助手", "智能客服", "自己的",
                              "我要开票", "更多"}));
        QCOMPARE(takeNames(db.getNotConfigList()), QStringList());
        QCOMPARE(db.getConfigCurrent(), 7);
        QCOMPARE(db.getNotConfig(), 1);
    }

    void elementsCarryTheRowValues()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().updateConfigInfo("财税助手", "/opt/vanta/Vanta.exe", 4));
        const QVariantList list = fresh.db().getTopConfigList();
        QCOMPARE(list.size(), 4);
        auto *program = list.at(0).value<ConfigModel *>();
        auto *chat = list.at(2).value<ConfigModel *>();
        QVERIFY(program && chat);
        QCOMPARE(program->name(), QStringLiteral("财税助手"));
        QCOMPARE(program->path(), QStringLiteral("/opt/vanta/Vanta.exe"));
        QCOMPARE(program->icon(), QStringLiteral("qrc:/images/appIcon/app05.png"));
        QCOMPARE(program->orderNumber(), 4);
        QCOMPARE(program->type(), 0);
        QCOMPARE(chat->type(), 1);
        QVERIFY(!program->parent());
        takeNames(list);
    }

    void sameProgramAddedTwiceIsListedTwice()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().insertPathInfo("工具", "/opt/t", "file:///t.png", 0, "", ""));
        QVERIFY(fresh.db().insertPathInfo("工具", "/opt/t", "file:///t.png", 0, "", ""));
        QCOMPARE(takeNames(fresh.db().getCurrentConfigList()).count("工具"), 2);
    }

    void programAddedByTheUserIsNeverOnTheHomePage()
    {
        FreshDatabase fresh;
        // As the dialog "添加自定义软件" adds it: a JavaScript "" reaches C++ as a null string.
        const QVariant added = evaluateInQml(
            "datebaseFunction", &fresh.db(),
            "datebaseFunction.insertPathInfo('工具', '/opt/t', 'file:///t.png', 0, '', '')");
        QCOMPARE(added, QVariant(true));
        QVERIFY(takeNames(fresh.db().getCurrentConfigList()).contains("工具"));
        QVERIFY(!takeNames(fresh.db().getTopConfigList()).contains("工具"));
        const QVariantMap row = fresh.db().connection().querySql("SELECT type, state FROM config WHERE name = '工具'").value(0);
        QCOMPARE(row.value("type"), QVariant(QString("")));
        QCOMPARE(row.value("state"), QVariant(QString("")));
    }

    void emptyPathIsNeitherConfiguredNorUnconfigured()
    {
        FreshDatabase fresh;
        const QVariant updated =
            evaluateInQml("datebaseFunction", &fresh.db(), "datebaseFunction.updateConfigInfo('Ressa', '', 0)");
        QCOMPARE(updated, QVariant(true));
        QVERIFY(!takeNames(fresh.db().getCurrentConfigList()).contains("Ressa"));
        QVERIFY(!takeNames(fresh.db().getNotConfigList()).contains("Ressa"));
    }

    void updateConfigInfoOfUnknownNameChangesNothing()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().updateConfigInfo("没有这个", "/opt/x", 9));
        QCOMPARE(fresh.db().getConfigCurrent(), 1);
        QCOMPARE(fresh.db().getConfigMax(), 7);
    }

    void clearedPathMovesBackToUnconfigured()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().updateConfigInfo("开票软件", "/opt/a", 0));
        QVERIFY(!takeNames(fresh.db().getNotConfigList()).contains("开票软件"));
        QVERIFY(fresh.db().unconfigureApp("开票软件"));
        QVERIFY(takeNames(fresh.db().getNotConfigList()).contains("开票软件"));
        QVERIFY(!takeNames(fresh.db().getCurrentConfigList()).contains("开票软件"));
    }

    void appIsExistComparesExactly()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.db().appIsExist("Ressa"));
        QVERIFY(!fresh.db().appIsExist("Ressa "));
        QVERIFY(!fresh.db().appIsExist("ressa"));
    }
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
