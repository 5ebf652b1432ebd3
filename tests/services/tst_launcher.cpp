#include "core/installerwatch.h"
#include "core/programstart.h"
#include "database/configmodel.h"
#include "services/desktopentries.h"
#include "services/mainfunction.h"
#include "services/wineregistry.h"
#include "testdatadir.h"
#include "pefile.h"
#include "standinserver.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

namespace {

// A program that notes where it ran and with what in "<itself>.started";
// as wine, xdg-open and prnhelper, it notes the prefix instead of where.
const QByteArray kScript = "#!/bin/sh\nprintf '%s|%s' \"$PWD\" \"$*\" > \"$0.started\"\n";
const QByteArray kRecorder = "#!/bin/sh\nprintf '%s|%s' \"$WINEPREFIX\" \"$*\" > \"$0.started\"\n";
const QByteArray kUninstall = "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\";
const QString kRessaKey = QStringLiteral("{5E0B7C2D-41A9-4F3E-9B6D-0C8A2F71D3E4}_is1");

// A registry file as Wine writes it, around `keys`.
QByteArray registryFile(const QByteArray &keys)
{
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n" + keys;
}

} // namespace

// Installed-software detection (uninstall entries, Wine prefixes, desktop
// entries), program starts and the print-helper download. Each test has a
// data directory that is also its home, so no prefix or desktop entry of
// this machine counts, and "wine", "xdg-open" and "prnhelper" are recorders.
class LauncherTest : public QObject
{
    Q_OBJECT

private:
    StandInServer m_server;
    QScopedPointer<FreshDatabase> m_database;
    QString m_systemPath; // where the real programs are

    TestDataDir &dir() { return m_database->dir(); }
    QString path(const QString &name) { return dir().filePath(name); }
    QString started(const QString &program) { return QString::fromUtf8(dir().read(program + ".started")); }

    void setEntry(const QString &subkey, const QString &name, const QString &value)
    {
        QSettings entries(path("uninstall.ini"), QSettings::IniFormat);
        entries.setIniCodec("UTF-8");
        entries.setValue(subkey + QLatin1Char('/') + name, value);
    }

    // The home page's tiles as "name:<property>", in order.
    QStringList tiles(const char *property)
    {
        QStringList rows;
        for (const QVariant &value : m_database->db().getCurrentConfigList()) {
            const QScopedPointer<ConfigModel> tile(value.value<ConfigModel *>());
            rows << tile->name() + QLatin1Char(':') + tile->property(property).toString();
        }
        return rows;
    }

    QString tileIcon(const QString &name)
    {
        return tiles("icon").filter(QRegularExpression('^' + name + ':')).value(0).section(':', 1);
    }

    // A Wine prefix with its C: drive and, when given, a D: drive elsewhere.
    QString makePrefix(const QString &name, const QString &secondDrive = QString())
    {
        const QString prefix = path(name);
        QDir().mkpath(prefix + "/drive_c");
        QDir().mkpath(prefix + "/dosdevices");
        QFile::link("../drive_c", prefix + "/dosdevices/c:");
        if (!secondDrive.isEmpty())
            QFile::link(secondDrive, prefix + "/dosdevices/d:");
        return prefix;
    }

private slots:
    void initTestCase()
    {
        m_systemPath = qEnvironmentVariable("PATH", "/usr/bin:/bin");
        cleanup();
    }

    void init()
    {
        QVERIFY(m_server.isRunning());
        m_server.reset();
        m_database.reset(new FreshDatabase);
        qputenv("HOME", QFile::encodeName(dir().path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(path("system")));
        for (const char *name : {"wine", "xdg-open", "prnhelper"})
            QVERIFY(!dir().writeProgram("bin/" + QLatin1String(name), kRecorder).isEmpty());
        qputenv("PATH", QFile::encodeName(path("bin")) + ":/usr/bin:/bin");
        MainFunction::launchPaths.clear();
        MainFunction::launchOrder = 0;
    }

    void cleanup()
    {
        m_database.reset();
        for (const char *name : {"PLIT_WINE_PREFIXES", "WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES"})
            qunsetenv(name);
    }

    // The uninstall entries of Wine prefixes (machine and user, 64 and 32 bit,
    // escaped and plain text, typed values, a second drive), then desktop
    // entries by name; the explicit uninstall.ini above them all.
    void programsAreFoundInWinePrefixesAndDesktopEntries()
    {
        const QString wine = makePrefix(".wine", path("second"));
        QVERIFY(dir().write(".wine/drive_c/Program Files/开票/kp.exe", "MZ"));
        QImage ownIcon, otherIcon;
        QVERIFY(dir().write(".wine/drive_c/Vanta/tool.exe", PeFile::sampleExecutable(&ownIcon, &otherIcon)));
        QVERIFY(dir().write("second/Inv/TokenBill.exe", "MZ"));
        // D:\Inv\unins000.dat as UTF-16 bytes, over two lines.
        QByteArray hex;
        for (const char c : QByteArray("D:\\Inv\\unins000.dat"))
            hex += QByteArray::number(uchar(c), 16).rightJustified(2, '0') + ",00,";
        hex.insert(30, "\\\n  ");
        QVERIFY(dir().write(".wine/system.reg", registryFile(
            "[" + kUninstall + "\\x5f00\\x7968\\x8f6f\\x4ef6] 1700000000\n#time=1d9\n"
            "\"DisplayName\"=\"\\x5f00\\x7968\"\n"
            "\"DisplayIcon\"=\"C:\\\\Program Files\\\\\\x5f00\\x7968\\\\kp.exe\"\n\n"
            "[" + kUninstall + "\\x5f00\\x7968\\x8f6f\\x4ef6\\\\Deeper] 1700000000\n"
            "\"DisplayIcon\"=\"C:\\\\other.exe\"\n\n"
            "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\uninstall\\\\vanta财税助手] 1700000000\n"
            "\"displayicon\"=str(2):\"\\\"C:\\\\Vanta\\\\tool.ico\\\",0\"\n\n"
            "[" + kUninstall + "增值税发票开票软件（税务UKey版）_is1] 1700000000\n"
            "\"UninstallDataFile\"=hex(2):" + hex + "00,00\n")));
        // A second prefix, named in the settings, with a per-user install.
        const QString other = makePrefix("other");
        QVERIFY(dir().write("other/drive_c/R/ressa.exe", "MZ"));
        QVERIFY(dir().write("other/user.reg", registryFile(
            "[" + kUninstall + kRessaKey.toUtf8() + "] 1700000000\n\"DisplayIcon\"=str:\"C:\\\\R\\\\ressa.exe\"\n")));
        qputenv("PLIT_WINE_PREFIXES", QFile::encodeName("/no/such/prefix:" + other));
        // The print helper as a native program, by its Chinese name.
        QVERIFY(dir().write("data/applications/vendor/helper.desktop",
                            "[Desktop Entry]\nType=Application\nName=Print helper\nName[zh_CN]=打印助手\n"
                            "Exec=prnhelper --tray %U\nIcon=printer\n"));
        MainFunction launcher;
        QCOMPARE(MainFunction::launchPaths.value("开票软件"), wine + "/dosdevices/c:/Program Files/开票/kp.exe");
        QCOMPARE(MainFunction::launchPaths.value("财税助手"), wine + "/dosdevices/c:/Vanta/tool.exe");
        QCOMPARE(MainFunction::launchPaths.value("UKEY开票"), wine + "/dosdevices/d:/Inv/TokenBill.exe");
        QCOMPARE(MainFunction::launchPaths.value("Ressa"), other + "/dosdevices/c:/R/ressa.exe");
        QCOMPARE(MainFunction::launchPaths.value("打印助手"), path("bin/prnhelper"));

        // Its tile shows the icon read from the .exe; one without icons keeps
        // the catalogue's.
        const QUrl toolIcon(tileIcon("财税助手"));
        QVERIFY2(toolIcon.isLocalFile(), qPrintable(toolIcon.toString()));
        QVERIFY(PeFile::samePixels(QImage(toolIcon.toLocalFile(), "PNG"), ownIcon));
        QVERIFY(!tileIcon("开票软件").isEmpty());
        QVERIFY(!QUrl(tileIcon("开票软件")).isLocalFile());

        // A Windows program starts through wine, in its own prefix, by its Windows path.
        launcher.btnOpenApp("财税助手");
        QTRY_COMPARE(started("bin/wine"), wine + "|C:\\Vanta\\tool.exe");
        launcher.btnOpenApp("打印助手");
        QTRY_VERIFY(!started("bin/prnhelper").isEmpty());

        // The explicit entry wins; a desktop entry hidden in the user's folder hides the system's.
        const QString chosen = dir().writeProgram("chosen/kp", kScript);
        setEntry("开票软件", "DisplayIcon", chosen);
        QVERIFY(dir().write("system/applications/vendor/helper.desktop",
                            "[Desktop Entry]\nType=Application\nName=打印助手\nExec=/bin/true\n"));
        QVERIFY(dir().write("data/applications/vendor/helper.desktop", "[Desktop Entry]\nHidden=true\n"));
        launcher.resetRegInfo();
        QCOMPARE(MainFunction::launchPaths.value("开票软件"), chosen);
        QVERIFY(DesktopEntries::find({"打印助手"}).isEmpty());
    }

    // The journey with real Wine: a Windows program built here with an icon
    // of its own, registered in a fresh prefix as its installer would, is
    // found there, shows that icon on its tile and starts through Wine.
    void aWindowsProgramInARealWinePrefix()
    {
        QMap<QString, QString> tool;
        for (const char *name : {"wine", "wineserver", "x86_64-w64-mingw32-gcc", "x86_64-w64-mingw32-windres"}) {
            tool[name] = QStandardPaths::findExecutable(name, m_systemPath.split(':', Qt::SkipEmptyParts));
            if (tool[name].isEmpty())
                QSKIP(qPrintable(QString("not run: %1 is missing; the journey with real Wine needs wine, wine64 and "
                                         "gcc-mingw-w64-x86-64 (tools/setup installs them)").arg(name)));
        }
        // The program leaves started.txt beside itself; its icon is a 32 pixel bitmap.
        const QImage icon = PeFile::pattern(32, qRgb(0, 120, 230));
        const QByteArray bitmap = PeFile::iconBitmap(icon);
        QByteArray ico(22, '\0');
        for (const auto &field : {qMakePair(2, 1), qMakePair(4, 1), qMakePair(6, 32 | 32 << 8), qMakePair(10, 1),
                                  qMakePair(12, 32), qMakePair(18, 22)}) // ICONDIR and its one entry
            PeFile::put16(ico, field.first, quint16(field.second));
        PeFile::put32(ico, 14, quint32(bitmap.size()));
        QVERIFY(dir().write("build/ressa.ico", ico + bitmap));
        QVERIFY(dir().write("build/ressa.rc", "1 ICON \"ressa.ico\"\n"));
        QVERIFY(dir().write("build/ressa.c",
            "#include <windows.h>\n#include <stdio.h>\n#include <string.h>\n"
            "int main(void)\n{\n    char path[MAX_PATH];\n"
            "    char *slash = GetModuleFileNameA(NULL, path, MAX_PATH) ? strrchr(path, '\\\\') : NULL;\n"
            "    if (!slash)\n        return 1;\n    strcpy(slash + 1, \"started.txt\");\n"
            "    FILE *marker = fopen(path, \"w\");\n    if (!marker)\n        return 1;\n"
            "    fputs(\"started\", marker);\n    return fclose(marker) != 0;\n}\n"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const auto run = [&](const QString &program, const QStringList &arguments) {
            QProcess process;
            process.setWorkingDirectory(path("build"));
            process.setProcessEnvironment(environment);
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(program, arguments);
            const bool ok = process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit
                            && process.exitCode() == 0;
            if (!ok)
                qWarning().noquote() << program << arguments << "failed:" << process.readAll();
            return ok;
        };
        environment.insert("PATH", m_systemPath);
        QVERIFY(run(tool["x86_64-w64-mingw32-windres"], {"ressa.rc", "-O", "coff", "-o", "ressa.res"}));
        QVERIFY(run(tool["x86_64-w64-mingw32-gcc"], {"-o", "ressa.exe", "ressa.c", "ressa.res"}));

        // A fresh prefix, with nothing offered to install on the way, and the
        // program's uninstall entry as its installer writes it.
        const QString prefix = path("realwine");
        environment.insert("WINEPREFIX", prefix);
        environment.insert("WINEDEBUG", "-all");
        environment.insert("WINEDLLOVERRIDES", "mscoree,mshtml=");
        QVERIFY(run(tool["wine"], {"reg", "add", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + kRessaKey,
                                   "/v", "DisplayIcon", "/d", "C:\\Tools\\ressa.exe", "/f"}));
        QVERIFY(run(tool["wineserver"], {"-w"})); // system.reg is written when it ends
        QVERIFY(QDir().mkpath(prefix + "/drive_c/Tools"));
        QVERIFY(QFile::copy(path("build/ressa.exe"), prefix + "/drive_c/Tools/ressa.exe"));

        for (const char *name : {"WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "PATH"})
            qputenv(name, environment.value(name).toLocal8Bit());
        MainFunction launcher;
        QCOMPARE(MainFunction::launchPaths.value("Ressa"), prefix + "/dosdevices/c:/Tools/ressa.exe");
        const QUrl shown(tileIcon("Ressa"));
        QVERIFY2(shown.isLocalFile(), qPrintable(shown.toString()));
        QVERIFY(PeFile::samePixels(QImage(shown.toLocalFile(), "PNG"), icon));

        launcher.btnOpenApp("Ressa");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(prefix + "/drive_c/Tools/started.txt"), 120000);
        QProcess::execute(tool["wineserver"], {"-k"});
    }

    // Registry files that are not what they should be give what can be read
    // and never more.
    void hostileRegistryFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        const QByteArray entry = "[" + kUninstall + "App] 1\n\"DisplayIcon\"=\"C:\\\\a.exe\"\n";
        QTest::newRow("truncated in a string") << registryFile(entry + "[" + kUninstall + "B] 1\n\"DisplayIcon\"=\"C:\\\\b") << "C:\\a.exe";
        QTest::newRow("truncated in a header") << registryFile(entry + "[" + kUninstall) << "C:\\a.exe";
        QTest::newRow("truncated after an escape") << registryFile("[" + kUninstall + "App] 1\n\"DisplayIcon\"=\"C:\\x") << "";
        QTest::newRow("unterminated hex") << registryFile("[" + kUninstall + "App] 1\n\"DisplayIcon\"=hex(2):43,00,\\") << "";
        QTest::newRow("long line, no newline") << QByteArray(3 << 20, '[') + "\n" + entry << "C:\\a.exe";
        QByteArray noise(1 << 20, 0);
        QRandomGenerator(19).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QTest::newRow("binary") << noise + "\n[" + kUninstall + "App]\n" + noise + "\n" + entry << "C:\\a.exe";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void hostileRegistryFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QVERIFY(dir().write("hostile.reg", content));
        const WineRegistry::Entries entries = WineRegistry::uninstallEntries(path("hostile.reg"), {"app", "B"}, {"DisplayIcon"});
        QCOMPARE(entries.value("app").value("displayicon"), expected);
        QVERIFY(WineRegistry::uninstallEntries(path("missing.reg"), {"app"}, {"DisplayIcon"}).isEmpty());
        QVERIFY(WineRegistry::uninstallEntries(path(""), {"app"}, {"DisplayIcon"}).isEmpty());
    }

    void drivePaths()
    {
        const QString prefix = makePrefix("drives");
        QCOMPARE(WineRegistry::unixPath(prefix, "C:\\a\\b.exe"), prefix + "/dosdevices/c:/a/b.exe");
        QCOMPARE(WineRegistry::unixPath(prefix, "z:/usr/bin/x"), prefix + "/dosdevices/z:/usr/bin/x");
        QCOMPARE(WineRegistry::unixPath(path("bare"), "c:\\x.exe"), path("bare") + "/drive_c/x.exe");
        for (const QString &notADrive : {"", "x", "\\\\server\\share\\x.exe", "1:\\x", "C:x.exe", "开:\\x"})
            QCOMPARE(WineRegistry::unixPath(prefix, notADrive), QString());
    }

    void execLines_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("program");
        QTest::newRow("on PATH, field codes") << "prnhelper %U --x" << "prnhelper";
        QTest::newRow("quoted path") << "\"<bin>/prnhelper\" %f" << "prnhelper";
        QTest::newRow("field code inside the word") << "prnhelper%i" << "prnhelper";
        QTest::newRow("relative path") << "bin/prnhelper" << "";
        QTest::newRow("missing") << "no-such-program-here" << "";
        QTest::newRow("only a field code") << "%F" << "";
        QTest::newRow("unclosed quote") << "\"/no/where" << "";
    }

    void execLines()
    {
        QFETCH(QString, exec);
        QFETCH(QString, program);
        QCOMPARE(DesktopEntries::execProgram(exec.replace("<bin>", path("bin"))),
                 program.isEmpty() ? QString() : path("bin/" + program));
    }

    // Installers go by their content: Windows ones through wine (or a
    // message), packages to the desktop's opener; the end of what was
    // started runs detection again.
    void installersByContent()
    {
        MainFunction launcher;
        QSignalSpy detected(&launcher, &MainFunction::programsDetected);
        QSignalSpy refused(&launcher, &MainFunction::installerRefused);
        QVERIFY(dir().write("setup.deb", "MZ\x90\0"));
        QVERIFY(ProgramStart::installer(path("setup.deb")));
        QTRY_COMPARE(started("bin/wine"), "|" + path("setup.deb") + " " + path("setup.deb"));
        QTRY_COMPARE(detected.size(), 1);

        QVERIFY(dir().write("prnhelp.exe", "!<arch>\ndebian-binary   "));
        QVERIFY(ProgramStart::installer(path("prnhelp.exe")));
        QTRY_COMPARE(started("bin/xdg-open"), "|" + path("prnhelp.exe"));
        QTRY_COMPARE(detected.size(), 2);

        qputenv("PATH", "/nowhere");
        QVERIFY(dir().write("x.bin", "MZ"));
        QVERIFY(!ProgramStart::installer(path("x.bin")));
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.at(0).at(0).toString(), QString::fromUtf8(ProgramStart::NeedsWine));
        QTest::qWait(200);
        QCOMPARE(detected.size(), 2);
        QVERIFY(!ProgramStart::installer(path("gone")));
    }

    // From uninstall.ini: an .ico names the .exe beside it, the UKey
    // version's data file the TokenBill.exe beside it; a missing file or a
    // value too short to derive from is not found. Found programs take the
    // next orders, also in later runs, and start in their own directory.
    void detectedProgramsAreDerivedOrderedAndStarted()
    {
        dir().writeProgram("invoice/开票软件.exe", kScript);
        const QString vanta = dir().writeProgram("vanta/Vanta.exe", kScript);
        const QString tokenBill = dir().writeProgram("ukey/TokenBill.exe", kScript);
        setEntry("开票软件", "DisplayIcon", path("invoice/开票软件.exe"));
        setEntry("Vanta财税助手", "DisplayIcon", path("vanta/Vanta.ico"));
        setEntry("增值税发票开票软件（税务UKey版）_is1", "UninstallDataFile", path("ukey/unins000.dat"));
        setEntry(kRessaKey, "DisplayIcon", path("gone.exe"));
        setEntry("Vanta打印助手升级版", "DisplayIcon", "x");

        MainFunction launcher;
        QCOMPARE(tiles("orderNumber"), QStringList({"开票软件:0", "UKEY开票:2", "财税助手:1", "智能客服:0", "我要开票:0", "更多:0"}));
        QCOMPARE(MainFunction::launchPaths.value("财税助手"), vanta);
        QCOMPARE(MainFunction::launchPaths.value("UKEY开票"), tokenBill);
        QVERIFY(!MainFunction::launchPaths.contains("智能客服"));
        QVERIFY(!MainFunction::launchPaths.contains("Ressa"));
        QVERIFY(!launcher.checkPrintHelper());
        QVERIFY(!launcher.checkRessaStatus());

        launcher.btnOpenApp("财税助手");
        QTRY_COMPARE(started("vanta/Vanta.exe"), path("vanta") + "|");

        // The order counter goes on over the next run, which finds four.
        QCOMPARE(MainFunction::launchOrder, 3);
        setEntry(kRessaKey, "DisplayIcon", dir().writeProgram("r/ressa.exe", kScript));
        launcher.resetRegInfo();
        QCOMPARE(MainFunction::launchOrder, 7);
        QVERIFY(launcher.checkRessaStatus());
    }

    void programWhoseFileDisappearedLosesItsPath()
    {
        const QString program = dir().writeProgram("p/prog.exe", kScript);
        QVERIFY(m_database->db().updateConfigInfo("UKEY开票", program, 4));
        QVERIFY(m_database->db().updateConfigInfo("智能客服", "http://not-a-file/27", 0));
        MainFunction launcher;
        QVERIFY(MainFunction::launchPaths.contains("UKEY开票"));
        QVERIFY(QFile::remove(program));
        launcher.resetRegInfo();
        QVERIFY(!MainFunction::launchPaths.contains("UKEY开票"));
        QCOMPARE(takeNames(m_database->db().getCurrentConfigList()), QStringList({"智能客服", "我要开票", "更多"}));
        QVERIFY(takeNames(m_database->db().getNotConfigList()).contains("UKEY开票"));
        // A name without a program starts nothing.
        launcher.btnOpenApp("UKEY开票");
        launcher.btnOpenApp("没有的程序");
        launcher.btnOpenInvoice();
        launcher.btnOpenUkey();
    }

    // The platform's own installer installs the helper for this user; when
    // it ends, the helper is known without a restart, and not looked for
    // again. A second download while the first runs is ignored.
    void installedPrintHelperIsFoundWhenItsInstallerEnds()
    {
        MainFunction launcher;
        QVERIFY(!launcher.checkPrintHelper());
        launcher.downloadPrintHelper();
        launcher.downloadPrintHelper();
        QTRY_VERIFY(MainFunction::launchPaths.contains("打印助手"));
        QVERIFY(launcher.checkPrintHelper());
        QCOMPARE(MainFunction::launchPaths.value("打印助手"), path("data/vanta-print-helper/prnhelper"));
        QVERIFY(takeNames(m_database->db().getCurrentConfigList()).contains("打印助手"));
        QCOMPARE(m_server.requests("/prnhelp.exe").size(), 1);
        const int order = MainFunction::launchOrder;
        QVERIFY(QDir(path("data")).removeRecursively());
        QVERIFY(launcher.checkPrintHelper());
        QCOMPARE(MainFunction::launchOrder, order);
    }

    // Only a whole download with a success status is started.
    void droppedOrRefusedPrintHelperDownloadStartsNothing_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::newRow("dropped") << QJsonObject{{"body", QString(kScript) + QString(4000, '#')}, {"drop_after", 100}};
        QTest::newRow("404") << QJsonObject{{"status", 404}, {"body", QString(kScript)}};
    }

    void droppedOrRefusedPrintHelperDownloadStartsNothing()
    {
        QFETCH(QJsonObject, fault);
        m_server.script("/prnhelp.exe", fault);
        MainFunction launcher;
        launcher.downloadPrintHelper();
        QTRY_COMPARE(m_server.requests("/prnhelp.exe").size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(path("prnhelp.exe")), 10000);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(path("prnhelp.exe")) && !QFile::exists(path("prnhelp.exe.started")));
    }
};

QTEST_GUILESS_MAIN(LauncherTest)
#include "tst_launcher.moc"
