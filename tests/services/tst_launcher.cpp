#include "core/installerwatch.h"
#include "core/programstart.h"
#include "database/configmodel.h"
#include "services/desktopentries.h"
#include "services/mainfunction.h"
#include "services/wineregistry.h"
#include "freshdatabase.h"
#include "pefile.h"
#include "standinserver.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString kScript = QStringLiteral("#!/bin/sh\nprintf '%s|%s' \"$PWD\" \"$*\" > \"$0.started\"\n");
// Stands in for wine and the desktop's opener: notes the prefix and the arguments.
const QByteArray kRecorder = "#!/bin/sh\nprintf '%s|%s' \"$WINEPREFIX\" \"$*\" > \"$0.started\"\n";

const QByteArray kUninstall = "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\";

// A registry file as Wine writes it, around `keys`.
QByteArray registryFile(const QByteArray &keys)
{
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n" + keys;
}

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

    // A home of the test's own: no Wine prefix and no desktop entry of this
    // machine counts, and "wine" and "xdg-open" are the recorders in bin/.
    QTemporaryDir m_home;
    QString m_bin;
    QString m_systemPath; // where the real programs are

    QString homePath(const QString &name) const { return m_home.filePath(name); }

    bool writeFile(const QString &path, const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }

    QString readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // A Wine prefix with its C: drive and, when given, a D: drive elsewhere.
    QString makePrefix(const QString &name, const QString &secondDrive = QString())
    {
        const QString prefix = homePath(name);
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
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(homePath("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(homePath("system")));
        qunsetenv("WINEPREFIX");
        qunsetenv("PLIT_WINE_PREFIXES");
        m_bin = homePath("bin");
        QVERIFY(writeFile(m_bin + "/wine", kRecorder));
        QVERIFY(writeFile(m_bin + "/xdg-open", kRecorder));
        QVERIFY(writeFile(m_bin + "/prnhelper", kRecorder));
        for (const QString &name : {"wine", "xdg-open", "prnhelper"})
            QFile::setPermissions(m_bin + "/" + name, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_systemPath = qEnvironmentVariable("PATH", "/usr/bin:/bin");
        qputenv("PATH", QFile::encodeName(m_bin) + ":/usr/bin:/bin");
    }

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
        qunsetenv("PLIT_WINE_PREFIXES");
        for (const char *name : {"WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES"})
            qunsetenv(name);
        qputenv("PATH", QFile::encodeName(m_bin) + ":/usr/bin:/bin");
        QDir(homePath("realwine")).removeRecursively();
        QDir(homePath("build")).removeRecursively();
        QDir(homePath("data")).removeRecursively();
        QDir(homePath("system")).removeRecursively();
        QDir(homePath(".wine")).removeRecursively();
        for (const QString &name : {"wine", "xdg-open", "prnhelper"})
            QFile::remove(m_bin + "/" + name + ".started");
    }

    // The uninstall entries of Wine prefixes (machine and user, 64 and 32 bit,
    // escaped and plain text, typed values, a second drive), then desktop
    // entries by name; the explicit uninstall.ini above them all.
    void programsAreFoundInWinePrefixesAndDesktopEntries()
    {
        const QString wine = makePrefix(".wine", homePath("second"));
        QVERIFY(writeFile(wine + "/drive_c/Program Files/开票/kp.exe", "MZ"));
        // A Windows program with icons of its own.
        QImage ownIcon, otherIcon;
        QVERIFY(writeFile(wine + "/drive_c/Vanta/tool.exe", PeFile::sampleExecutable(&ownIcon, &otherIcon)));
        QVERIFY(writeFile(homePath("second/Inv/TokenBill.exe"), "MZ"));
        // D:\Inv\unins000.dat as UTF-16 bytes, over two lines.
        QByteArray hex;
        for (const char c : QByteArray("D:\\Inv\\unins000.dat"))
            hex += QByteArray::number(uchar(c), 16).rightJustified(2, '0') + ",00,";
        hex.insert(30, "\\\n  ");
        QVERIFY(writeFile(wine + "/system.reg", registryFile(
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
        QVERIFY(writeFile(other + "/drive_c/R/ressa.exe", "MZ"));
        QVERIFY(writeFile(other + "/user.reg", registryFile(
            "[" + kUninstall + "{5E0B7C2D-41A9-4F3E-9B6D-0C8A2F71D3E4}_is1] 1700000000\n"
            "\"DisplayIcon\"=str:\"C:\\\\R\\\\ressa.exe\"\n")));
        qputenv("PLIT_WINE_PREFIXES", QFile::encodeName("/no/such/prefix:" + other));
        // The print helper as a native program, by its Chinese name.
        QVERIFY(writeFile(homePath("data/applications/vendor/helper.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Print helper\nName[zh_CN]=打印助手\n"
                          "Exec=prnhelper --tray %U\nIcon=printer\n"));
        MainFunction launcher;
        QCOMPARE(MainFunction::launchPaths.value("开票软件"), wine + "/dosdevices/c:/Program Files/开票/kp.exe");
        QCOMPARE(MainFunction::launchPaths.value("财税助手"), wine + "/dosdevices/c:/Vanta/tool.exe");
        QCOMPARE(MainFunction::launchPaths.value("UKEY开票"), wine + "/dosdevices/d:/Inv/TokenBill.exe");
        QCOMPARE(MainFunction::launchPaths.value("Ressa"), other + "/dosdevices/c:/R/ressa.exe");
        QCOMPARE(MainFunction::launchPaths.value("打印助手"), m_bin + "/prnhelper");

        // Its tile shows the icon read from the .exe; one without icons keeps
        // the catalogue's.
        QMap<QString, QString> tileIcons;
        for (const QVariant &entry : m_database->db().getCurrentConfigList()) {
            const QScopedPointer<ConfigModel> tile(entry.value<ConfigModel *>());
            tileIcons.insert(tile->name(), tile->icon());
        }
        const QUrl toolIcon(tileIcons.value("财税助手"));
        QVERIFY2(toolIcon.isLocalFile(), qPrintable(toolIcon.toString()));
        QVERIFY(PeFile::samePixels(QImage(toolIcon.toLocalFile(), "PNG"), ownIcon));
        QVERIFY(!tileIcons.value("开票软件").isEmpty());
        QVERIFY(!QUrl(tileIcons.value("开票软件")).isLocalFile());

        // A Windows program starts through wine, in its own prefix, by its Windows path.
        launcher.btnOpenApp("财税助手");
        QTRY_VERIFY(QFile::exists(m_bin + "/wine.started"));
        QCOMPARE(readFile(m_bin + "/wine.started"), wine + "|C:\\Vanta\\tool.exe");
        launcher.btnOpenApp("打印助手");
        QTRY_VERIFY(QFile::exists(m_bin + "/prnhelper.started"));

        // The explicit entry wins; a desktop entry hidden in the user's folder hides the system's.
        const QString chosen = makeProgram("chosen/kp");
        setEntry("开票软件", "DisplayIcon", chosen);
        QVERIFY(writeFile(homePath("system/applications/vendor/helper.desktop"),
                          "[Desktop Entry]\nType=Application\nName=打印助手\nExec=/bin/true\n"));
        QVERIFY(writeFile(homePath("data/applications/vendor/helper.desktop"), "[Desktop Entry]\nHidden=true\n"));
        launcher.resetRegInfo();
        QCOMPARE(MainFunction::launchPaths.value("开票软件"), chosen);
        QVERIFY(DesktopEntries::find({"打印助手"}).isEmpty());
    }

    // The journey with real Wine: a Windows program built here with an icon
    // of its own, registered in a fresh prefix as its installer would, is
    // found there, shows that icon on its tile and starts through Wine.
    void aWindowsProgramInARealWinePrefix()
    {
        const QStringList systemPath = m_systemPath.split(QLatin1Char(':'), Qt::SkipEmptyParts);
        QMap<QString, QString> tool;
        for (const char *name : {"wine", "wineserver", "x86_64-w64-mingw32-gcc", "x86_64-w64-mingw32-windres"}) {
            tool[name] = QStandardPaths::findExecutable(name, systemPath);
            if (tool[name].isEmpty())
                QSKIP(qPrintable(QString("not run: %1 is missing; the journey with real Wine needs wine, wine64 and "
                                         "gcc-mingw-w64-x86-64 (tools/setup installs them)").arg(name)));
        }
        // The program leaves started.txt beside itself; its icon is a 32 pixel bitmap.
        const QString build = homePath("build");
        const QImage icon = PeFile::pattern(32, qRgb(0, 120, 230));
        const QByteArray bitmap = PeFile::iconBitmap(icon);
        QByteArray ico(22, '\0');
        PeFile::put16(ico, 2, 1);
        PeFile::put16(ico, 4, 1);
        ico[6] = ico[7] = 32;
        PeFile::put16(ico, 10, 1);
        PeFile::put16(ico, 12, 32);
        PeFile::put32(ico, 14, quint32(bitmap.size()));
        PeFile::put32(ico, 18, 22);
        QVERIFY(writeFile(build + "/ressa.ico", ico + bitmap));
        QVERIFY(writeFile(build + "/ressa.rc", "1 ICON \"ressa.ico\"\n"));
        QVERIFY(writeFile(build + "/ressa.c",
            "#include <windows.h>\n#include <stdio.h>\n#include <string.h>\n"
            "int main(void)\n{\n    char path[MAX_PATH];\n"
            "    char *slash = GetModuleFileNameA(NULL, path, MAX_PATH) ? strrchr(path, '\\\\') : NULL;\n"
            "    if (!slash)\n        return 1;\n    strcpy(slash + 1, \"started.txt\");\n"
            "    FILE *marker = fopen(path, \"w\");\n    if (!marker)\n        return 1;\n"
            "    fputs(\"started\", marker);\n    return fclose(marker) != 0;\n}\n"));
        const auto run = [&](const QString &program, const QStringList &arguments, const QProcessEnvironment &environment) {
            QProcess process;
            process.setWorkingDirectory(build);
            process.setProcessEnvironment(environment);
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(program, arguments);
            const bool ended = process.waitForFinished(240000);
            const QByteArray output = process.readAll();
            if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
                qWarning().noquote() << program << arguments << "failed:" << output;
            return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        };
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", m_systemPath);
        QVERIFY(run(tool["x86_64-w64-mingw32-windres"], {"ressa.rc", "-O", "coff", "-o", "ressa.res"}, environment));
        QVERIFY(run(tool["x86_64-w64-mingw32-gcc"], {"-o", "ressa.exe", "ressa.c", "ressa.res"}, environment));

        // A fresh prefix, with nothing offered to install on the way, and the
        // program's uninstall entry as its installer writes it.
        const QString prefix = homePath("realwine");
        environment.insert("WINEPREFIX", prefix);
        environment.insert("WINEDEBUG", "-all");
        environment.insert("WINEDLLOVERRIDES", "mscoree,mshtml=");
        QVERIFY(run(tool["wine"], {"reg", "add",
                                   "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                                   "{5E0B7C2D-41A9-4F3E-9B6D-0C8A2F71D3E4}_is1",
                                   "/v", "DisplayIcon", "/d", "C:\\Tools\\ressa.exe", "/f"}, environment));
        QVERIFY(run(tool["wineserver"], {"-w"}, environment)); // system.reg is written when it ends
        QVERIFY(QDir().mkpath(prefix + "/drive_c/Tools"));
        QVERIFY(QFile::copy(build + "/ressa.exe", prefix + "/drive_c/Tools/ressa.exe"));

        for (const char *name : {"WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "PATH"})
            qputenv(name, environment.value(name).toLocal8Bit());
        MainFunction launcher;
        const QString program = prefix + "/dosdevices/c:/Tools/ressa.exe";
        QCOMPARE(MainFunction::launchPaths.value("Ressa"), program);
        QString shown;
        for (const QVariant &entry : m_database->db().getCurrentConfigList()) {
            const QScopedPointer<ConfigModel> tile(entry.value<ConfigModel *>());
            if (tile->name() == "Ressa")
                shown = tile->icon();
        }
        QVERIFY2(QUrl(shown).isLocalFile(), qPrintable(shown));
        QVERIFY(PeFile::samePixels(QImage(QUrl(shown).toLocalFile(), "PNG"), icon));

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
        QRandomGenerator generator(19);
        generator.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QTest::newRow("binary") << noise + "\n[" + kUninstall + "App]\n" + noise + "\n" + entry << "C:\\a.exe";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void hostileRegistryFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const QString file = homePath("hostile.reg");
        QVERIFY(writeFile(file, content));
        const WineRegistry::Entries entries = WineRegistry::uninstallEntries(file, {"app", "B"}, {"DisplayIcon"});
        QCOMPARE(entries.value("app").value("displayicon"), expected);
        QVERIFY(WineRegistry::uninstallEntries(homePath("missing.reg"), {"app"}, {"DisplayIcon"}).isEmpty());
        QVERIFY(WineRegistry::uninstallEntries(homePath(""), {"app"}, {"DisplayIcon"}).isEmpty());
    }

    void drivePaths()
    {
        const QString prefix = makePrefix("drives");
        QCOMPARE(WineRegistry::unixPath(prefix, "C:\\a\\b.exe"), prefix + "/dosdevices/c:/a/b.exe");
        QCOMPARE(WineRegistry::unixPath(prefix, "z:/usr/bin/x"), prefix + "/dosdevices/z:/usr/bin/x");
        QCOMPARE(WineRegistry::unixPath(homePath("bare"), "c:\\x.exe"), homePath("bare") + "/drive_c/x.exe");
        for (const QString &notADrive : {"", "x", "\\\\server\\share\\x.exe", "1:\\x", "C:x.exe", "开:\\x"})
            QCOMPARE(WineRegistry::unixPath(prefix, notADrive), QString());
    }

    void execLines_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("program");
        QTest::newRow("on PATH, field codes") << "prnhelper %U --x" << "prnhelper";
        QTest::newRow("quoted path") << QString("\"%1\" %f").arg(m_bin + "/prnhelper") << "prnhelper";
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
        QCOMPARE(DesktopEntries::execProgram(exec), program.isEmpty() ? QString() : m_bin + "/" + program);
    }

    // Installers go by their content: Windows ones through wine (or a
    // message), packages to the desktop's opener; the end of what was
    // started runs detection again.
    void installersByContent()
    {
        MainFunction launcher;
        QSignalSpy detected(&launcher, &MainFunction::programsDetected);
        QSignalSpy refused(&launcher, &MainFunction::installerRefused);
        QVERIFY(writeFile(m_database->dir().filePath("setup.deb"), "MZ\x90\0"));
        QVERIFY(ProgramStart::installer(m_database->dir().filePath("setup.deb")));
        QTRY_COMPARE(readFile(m_bin + "/wine.started"), "|" + m_database->dir().filePath("setup.deb") + " "
                                                            + m_database->dir().filePath("setup.deb"));
        QTRY_COMPARE(detected.size(), 1);

        QVERIFY(writeFile(m_database->dir().filePath("prnhelp.exe"), "!<arch>\ndebian-binary   "));
        QVERIFY(ProgramStart::installer(m_database->dir().filePath("prnhelp.exe")));
        QTRY_COMPARE(readFile(m_bin + "/xdg-open.started"), "|" + m_database->dir().filePath("prnhelp.exe"));
        QTRY_COMPARE(detected.size(), 2);

        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nowhere");
        QVERIFY(writeFile(m_database->dir().filePath("x.bin"), "MZ"));
        QVERIFY(!ProgramStart::installer(m_database->dir().filePath("x.bin")));
        qputenv("PATH", path);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused.at(0).at(0).toString(), QString::fromUtf8(ProgramStart::NeedsWine));
        QTest::qWait(200);
        QCOMPARE(detected.size(), 2);
        QVERIFY(!ProgramStart::installer(m_database->dir().filePath("gone")));
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

    // The platform's own installer installs the helper for this user; when
    // it ends, the helper is known without a restart.
    void installedPrintHelperIsFoundWhenItsInstallerEnds()
    {
        MainFunction launcher;
        QVERIFY(!launcher.checkPrintHelper());
        launcher.downloadPrintHelper();
        QTRY_VERIFY(MainFunction::launchPaths.contains("打印助手"));
        QVERIFY(launcher.checkPrintHelper());
        QCOMPARE(MainFunction::launchPaths.value("打印助手"), homePath("data/vanta-print-helper/prnhelper"));
        QVERIFY(configuredNames().contains("打印助手"));
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
