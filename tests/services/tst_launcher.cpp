#include "database/configmodel.h"
#include "services/mainfunction.h"
#include "freshdatabase.h"
#include "standinserver.h"

#include <QDir>
#include <QSettings>
#include <QtTest>

namespace {

const QString kScript = QStringLiteral("#!/bin/sh\nprintf '%s|%s' \"$PWD\" \"$*\" > \"$0.started\"\n");

} // namespace

// Installed-software detection from the uninstall entries, the catalogue
// scan, program starts and the print-helper download.
class LauncherTest : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<StandInServer> m_server{new StandInServer};
    QScopedPointer<FreshDatabase> m_database;

    // A small program that leaves "<name>.started" with its working directory
    // and arguments when it runs.
    QString makeProgram(const QString &relativePath)
    {
        return m_database->dir().writeProgram(relativePath, kScript.toUtf8());
    }

    QString startedMarker(const QString &relativePath) const
    {
        return m_database->dir().filePath(relativePath + QStringLiteral(".started"));
    }

    void setEntry(const QString &subkey, const QString &name, const QString &value)
    {
        QSettings entries(m_database->dir().filePath("uninstall.ini"), QSettings::IniFormat);
        entries.setIniCodec("UTF-8");
        entries.setValue(subkey + QLatin1Char('/') + name, value);
    }

    QStringList configuredNames()
    {
        return takeNames(m_database->db().getCurrentConfigList());
    }

private slots:
    void init()
    {
        QVERIFY(m_server->isRunning());
        m_server->reset();
        m_database.reset(new FreshDatabase);
        MainFunction::launchPaths.clear();
        MainFunction::launchOrder = 0;
    }

    void cleanup()
    {
        m_database.reset();
    }

    void detectedProgramsTakeTheNextOrders()
    {
        makeProgram("invoice/开票软件.exe");
        const QString vanta = makeProgram("vanta/Vanta.exe");
        setEntry("开票软件", "DisplayIcon", m_database->dir().filePath("invoice/开票软件.exe"));
        setEntry("Vanta财税助手", "DisplayIcon", m_database->dir().filePath("vanta/Vanta.ico"));

        MainFunction launcher;
        const QVariantList current = m_database->db().getCurrentConfigList();
        QStringList rows;
        for (const QVariant &value : current) {
            auto *model = value.value<ConfigModel *>();
            rows << QStringLiteral("%1:%2").arg(model->name()).arg(model->orderNumber());
            delete model;
        }
        QCOMPARE(rows, QStringList({"开票软件:0", "财税助手:1", "智能客服:0", "我要开票:0", "更多:0"}));
        QCOMPARE(MainFunction::launchPaths.value("财税助手"), vanta);
        QVERIFY(!MainFunction::launchPaths.contains("智能客服"));

        launcher.btnOpenApp("财税助手");
        QTRY_VERIFY(QFile::exists(startedMarker("vanta/Vanta.exe")));
        QFile marker(startedMarker("vanta/Vanta.exe"));
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(marker.readAll()), m_database->dir().filePath("vanta") + QStringLiteral("|"));
    }

    void orderCounterContinuesOverProbeRuns()
    {
        makeProgram("a/kp.exe");
        setEntry("开票软件", "DisplayIcon", m_database->dir().filePath("a/kp.exe"));
        MainFunction launcher;
        QCOMPARE(MainFunction::launchOrder, 1);
        makeProgram("r/ressa.exe");
        setEntry("{5E0B7C2D-41A9-4F3E-9B6D-0C8A2F71D3E4}_is1", "DisplayIcon", m_database->dir().filePath("r/ressa.exe"));
        launcher.resetRegInfo();
        QCOMPARE(MainFunction::launchOrder, 3);
        const QList<QVariantMap> rows = m_database->db().connection().querySql(
            "SELECT name, orderNumber FROM config WHERE path IS NOT NULL AND type IS NULL");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).value("orderNumber").toInt(), 1); // found again in the second run
        QCOMPARE(rows.at(1).value("orderNumber").toInt(), 2);
        QVERIFY(launcher.checkRessaStatus());
    }

    void pathDerivations()
    {
        const QString tokenBill = makeProgram("ukey/TokenBill.exe");
        setEntry("增值税发票开票软件（税务UKey版）_is1", "UninstallDataFile", m_database->dir().filePath("ukey/unins000.dat"));
        const QString vanta = makeProgram("v/tool.exe");
        setEntry("Vanta财税助手", "DisplayIcon", m_database->dir().filePath("v/tool.ico"));
        // An entry naming a missing file, and a value too short to derive from.
        setEntry("开票软件", "DisplayIcon", m_database->dir().filePath("gone.exe"));
        setEntry("Vanta打印助手升级版", "DisplayIcon", "x");

        MainFunction launcher;
        QCOMPARE(MainFunction::launchPaths.value("UKEY开票"), tokenBill);
        QCOMPARE(MainFunction::launchPaths.value("财税助手"), vanta);
        QVERIFY(!MainFunction::launchPaths.contains("开票软件"));
        QVERIFY(!launcher.checkPrintHelper());
        QVERIFY(!launcher.checkRessaStatus());
    }

    void programWhoseFileDisappearedLosesItsPath()
    {
        const QString program = makeProgram("p/prog.exe");
        QVERIFY(m_database->db().updateConfigInfo("UKEY开票", program, 4));
        QVERIFY(m_database->db().updateConfigInfo("智能客服", "http://not-a-file/27", 0));
        MainFunction launcher;
        QVERIFY(MainFunction::launchPaths.contains("UKEY开票"));
        QVERIFY(QFile::remove(program));
        launcher.resetRegInfo();
        QVERIFY(!MainFunction::launchPaths.contains("UKEY开票"));
        QCOMPARE(configuredNames(), QStringList({"智能客服", "我要开票", "更多"}));
        QVERIFY(takeNames(m_database->db().getNotConfigList()).contains("UKEY开票"));
    }

    void unknownNameStartsNothing()
    {
        MainFunction launcher;
        launcher.btnOpenApp("没有的程序");
        QVERIFY(MainFunction::launchPaths.contains("没有的程序"));
        QCOMPARE(MainFunction::launchPaths.value("没有的程序"), QString(""));
        launcher.btnOpenInvoice();
        launcher.btnOpenUkey();
        QCOMPARE(MainFunction::launchPaths.value("MainExecute"), QString(""));
        QCOMPARE(MainFunction::launchPaths.value("TokenBill"), QString(""));
    }

    void printHelperIsKnownWithoutAskingAgain()
    {
        MainFunction launcher;
        QVERIFY(!launcher.checkPrintHelper());
        const QString helper = makeProgram("print/helper.exe");
        setEntry("Vanta打印助手升级版", "DisplayIcon", helper);
        QVERIFY(launcher.checkPrintHelper());
        QCOMPARE(MainFunction::launchOrder, 1);
        QVERIFY(configuredNames().contains("打印助手"));
        // Once known, the uninstall entries are not read again.
        QVERIFY(QFile::remove(m_database->dir().filePath("uninstall.ini")));
        QVERIFY(launcher.checkPrintHelper());
        QCOMPARE(MainFunction::launchOrder, 1);
    }

    void printHelperDownloadStartsTheInstaller()
    {
        m_server->script("/prnhelp.exe", {{"body", kScript}});
        MainFunction launcher;
        launcher.downloadPrintHelper();
        launcher.downloadPrintHelper(); // ignored while the first one runs
        const QString installer = m_database->dir().filePath("prnhelp.exe");
        QTRY_VERIFY(QFile::exists(installer + ".started"));
        QFile marker(installer + ".started");
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(marker.readAll()), m_database->dir().path() + "|" + installer);
        QCOMPARE(m_server->requests("/prnhelp.exe").size(), 1);
    }

    void droppedPrintHelperDownloadStartsNothing()
    {
        m_server->script("/prnhelp.exe", {{"body", kScript + QString(4000, QLatin1Char('#'))}, {"drop_after", 100}});
        MainFunction launcher;
        launcher.downloadPrintHelper();
        const QString installer = m_database->dir().filePath("prnhelp.exe");
        QTRY_VERIFY(m_server->requests("/prnhelp.exe").size() == 1);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(installer), 10000);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(installer + ".started"));

        m_server->script("/prnhelp.exe", {{"status", 404}, {"body", "missing"}});
        launcher.downloadPrintHelper();
        QTRY_VERIFY(m_server->requests("/prnhelp.exe").size() == 2);
        QTest::qWait(500);
        QVERIFY(!QFile::exists(installer));
    }
};

QTEST_GUILESS_MAIN(LauncherTest)
#include "tst_launcher.moc"
