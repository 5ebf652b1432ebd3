#include <QImage>
#include <QProcess>
#include <QtTest>

namespace {

const QString kRoot = QStringLiteral(PLIT_INSTALL_ROOT);
const QString kAppId = QStringLiteral(PLIT_APP_ID);
const QString kDesktopEntry = kRoot + QStringLiteral("/usr/share/applications/") + kAppId + QStringLiteral(".desktop");
const QString kMetainfo = kRoot + QStringLiteral("/usr/share/metainfo/") + kAppId + QStringLiteral(".metainfo.xml");

// A validator's exit code (-1 when it did not end normally) and its output,
// which the test log keeps as it was written.
int run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    *output = QString::fromUtf8(process.readAll());
    qInfo().noquote() << program << arguments.join(QLatin1Char(' ')) << "->" << process.exitCode() << Qt::endl << *output;
    return ended ? process.exitCode() : -1;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

// The files `cmake --install` lays out for the application menu and the
// software centres: they pass the freedesktop validators and name each other.
class InstallTreeTest : public QObject
{
    Q_OBJECT

private slots:
    void desktopEntryAndMetadataPassTheValidators()
    {
        // Hints and warnings count too: anything but silence is a finding.
        QString output;
        QCOMPARE(run(QStringLiteral("desktop-file-validate"), {kDesktopEntry}, &output), 0);
        QCOMPARE(output, QString());

        const QRegularExpression finding(QStringLiteral("^[EWIP]: "), QRegularExpression::MultilineOption);
        for (const QString &command : {QStringLiteral("validate"), QStringLiteral("validate-tree")}) {
            const QString target = command == QLatin1String("validate") ? kMetainfo : kRoot;
            QCOMPARE(run(QStringLiteral("appstreamcli"), {command, "--no-net", "--pedantic", target}, &output), 0);
            QVERIFY2(!finding.match(output).hasMatch(), qPrintable(output));
            QVERIFY2(output.contains(QLatin1String("Validation was successful")), qPrintable(output));
        }
    }

    void desktopEntryStartsTheInstalledProgram()
    {
        // The entry has the one [Desktop Entry] group.
        const QString entry = readText(kDesktopEntry);
        auto key = [&entry](const char *name) {
            return QRegularExpression(QStringLiteral("^%1=(.*)$").arg(QLatin1String(name)), QRegularExpression::MultilineOption)
                .match(entry).captured(1);
        };
        QCOMPARE(key("Icon"), kAppId);
        // Found on PATH once installed: bin/ of the prefix.
        const QString program = key("Exec").section(QLatin1Char(' '), 0, 0);
        const QFileInfo installed(kRoot + QStringLiteral("/usr/bin/") + program);
        QVERIFY2(installed.isFile() && installed.isExecutable(), qPrintable(installed.filePath()));
        // Window managers match the window to its entry by the first part of
        // WM_CLASS, which tst_installedplit sees as the program's name.
        QCOMPARE(key("StartupWMClass"), program);
    }

    void iconIsInTheThemeAtEverySize()
    {
        const QString theme = kRoot + QStringLiteral("/usr/share/icons/hicolor/");
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QCOMPARE(QImage(theme + QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(kAppId)).size(), QSize(size, size));
        QVERIFY(readText(theme + QStringLiteral("scalable/apps/") + kAppId + QStringLiteral(".svg")).contains("<svg"));
    }

    void metadataShowsTheReadmeScreenshot()
    {
        const QRegularExpression image(QStringLiteral("<image type=\"source\">([^<]*)</image>"));
        const QUrl screenshot(image.match(readText(kMetainfo)).captured(1));
        QVERIFY2(screenshot.isValid() && screenshot.scheme().startsWith(QLatin1String("http")),
                 qPrintable(screenshot.toString()));
        // The picture the metadata shows is one the README's gallery keeps.
        const QString shown = QStringLiteral("docs/screenshots/main.png");
        QVERIFY(screenshot.path().endsWith(QLatin1Char('/') + shown));
        QVERIFY(QFile::exists(QStringLiteral(PLIT_SOURCE_DIR "/") + shown));
    }
};

QTEST_GUILESS_MAIN(InstallTreeTest)
#include "tst_installtree.moc"
