#include "core/versionupdate.h"
#include "database/datebasefunction.h"
#include "freshdatabase.h"
#include "testdatadir.h"

#include <QCoreApplication>
#include <QtTest>

// The version comparison and the reconciliation of the database record with
// the program's own version at start-up.
class VersionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0.2"));
    }

    void cleanup()
    {
        resetDefaultDatabase();
    }

    void compareVersion_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("result");
        QTest::newRow("equal") << "2.0.0.2" << "2.0.0.2" << 0;
        QTest::newRow("newer last part") << "2.0.0.3" << "2.0.0.2" << 1;
        QTest::newRow("older last part") << "2.0.0.1" << "2.0.0.2" << -1;
        QTest::newRow("numeric, not text") << "1.10" << "1.9" << 1;
        QTest::newRow("text part counts as 0") << "1.a" << "1.0" << 1;
        QTest::newRow("fewer parts") << "1.0" << "1.0.0" << -1;
        QTest::newRow("more parts") << "2.0.0" << "2.0" << 1;
        QTest::newRow("leading zero one way") << "2.0.0.02" << "2.0.0.2" << 1;
        QTest::newRow("leading zero other way") << "2.0.0.2" << "2.0.0.02" << 1;
        QTest::newRow("empty against version") << "" << "2.0.0.2" << -1;
        QTest::newRow("version against empty") << "2.0.0.2" << "" << 1;
    }

    void compareVersion()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, result);
        QCOMPARE(::compareVersion(a, b), result);
    }

    void dateTextHasNoLeadingZeros()
    {
        QCOMPARE(databaseDateText(QDate(2024, 3, 10)), QStringLiteral("2024-3-10"));
        QCOMPARE(databaseDateText(QDate(2019, 3, 7)), QStringLiteral("2019-3-7"));
        QCOMPARE(databaseDateText(QDate(2026, 12, 16)), QStringLiteral("2026-12-16"));
    }

    void olderRecordIsBroughtUpToTheProgram()
    {
        TestDataDir dir;
        DatebaseFunction db;
        db.createSqlite();
        QVERIFY(db.setVersion(QStringLiteral("2.0.0.1")));
        db.connection().execSql(QStringLiteral("DROP TABLE UserInfo"));

        reconcileVersionOnOpen(db);
        QCOMPARE(databaseVersion(), QStringLiteral("2.0.0.1"));
        QVERIFY(db.connection().isTableExist(QStringLiteral("UserInfo")));

        reconcileVersionWithProgram(db);
        QCOMPARE(db.getVersion(), QStringLiteral("2.0.0.2"));
        QCOMPARE(databaseVersion(), QStringLiteral("2.0.0.2"));
        QCOMPARE(db.getdateDatabaseDate(), databaseDateText(QDate::currentDate()));
    }

    void newerRecordIsLeftAlone()
    {
        TestDataDir dir;
        DatebaseFunction db;
        db.createSqlite();
        QVERIFY(db.setVersion(QStringLiteral("2.0.0.3")));

        reconcileVersionOnOpen(db);
        reconcileVersionWithProgram(db);
        QCOMPARE(db.getVersion(), QStringLiteral("2.0.0.3"));
        QCOMPARE(databaseVersion(), QStringLiteral("2.0.0.3"));
        QCOMPARE(db.getdateDatabaseDate(), QStringLiteral("1900-01-01"));
    }

    void unknownRecordStaysUnknown()
    {
        FreshDatabase fresh;
        QVERIFY(fresh.exec(QStringLiteral("DELETE FROM version")));
        reconcileVersionOnOpen(fresh.db());
        reconcileVersionWithProgram(fresh.db());
        QCOMPARE(databaseVersion(), QString());
        // Nothing was recorded, so nothing is dated either.
        QCOMPARE(fresh.db().getdateDatabaseDate(), QStringLiteral("1900-01-01"));
    }
};

QTEST_GUILESS_MAIN(VersionTest)
#include "tst_version.moc"
