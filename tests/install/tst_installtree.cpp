#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kRoot = QStringLiteral(PLIT_INSTALL_ROOT);
const QString kAppId = QStringLiteral(PLIT_APP_ID);
const QString kDesktopEntry = kRoot + QStringLiteral("/usr/share/applications/") + kAppId + QStringLiteral(".desktop");
const QString kMetainfo = kRoot + QStringLiteral("/usr/share/metainfo/") + kAppId + QStringLiteral(".metainfo.xml");

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAll());
    // Kept in the test log: the validators' verdict as they wrote it.
    qInfo().noquote() << program << arguments.join(QLatin1Char(' ')) << "->" << result.exitCode
                      << Qt::endl << result.output;
    return result;
}

// The keys of the [Desktop Entry] group. QSettings would take the ';' of a
// list for the start of a comment.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == QLatin1String("[Desktop Entry]");
        else if (inGroup && !line.startsWith(QLatin1Char('#')) && line.contains(QLatin1Char('=')))
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    return keys;
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
        const Run entry = run(QStringLiteral("desktop-file-validate"), {kDesktopEntry});
        QCOMPARE(entry.exitCode, 0);
        QCOMPARE(entry.output, QString());

        const QRegularExpression finding(QStringLiteral("^[EWIP]: "), QRegularExpression::MultilineOption);
        for (const QStringList &arguments :
             {QStringList{QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"), kMetainfo},
              QStringList{QStringLiteral("validate-tree"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"), kRoot}}) {
            const Run metadata = run(QStringLiteral("appstreamcli"), arguments);
            QCOMPARE(metadata.exitCode, 0);
            QVERIFY2(!finding.match(metadata.output).hasMatch(), qPrintable(metadata.output));
            QVERIFY2(metadata.output.contains(QLatin1String("Validation was successful")), qPrintable(metadata.output));
        }
    }

    void desktopEntryStartsTheInstalledProgram()
    {
        const QMap<QString, QString> entry = desktopEntry(kDesktopEntry);
        QCOMPARE(entry.value(QStringLiteral("Icon")), kAppId);
        // Found on PATH once installed: bin/ of the prefix.
        const QString program = entry.value(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0);
        const QFileInfo installed(kRoot + QStringLiteral("/usr/bin/") + program);
        QVERIFY2(installed.isFile() && installed.isExecutable(), qPrintable(installed.filePath()));
        // Window managers match the window to its entry by the first part of
        // WM_CLASS, which tst_installedplit sees as the program's name.
        QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), program);
    }

    void iconIsInTheThemeAtEverySize()
    {
        const QString theme = kRoot + QStringLiteral("/usr/share/icons/hicolor/");
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString path = theme + QStringLiteral("%1x%1/apps/").arg(size) + kAppId + QStringLiteral(".png");
            const QImage icon(path);
            QVERIFY2(!icon.isNull(), qPrintable(path));
            QCOMPARE(icon.size(), QSize(size, size));
        }
        const QString scalable = theme + QStringLiteral("scalable/apps/") + kAppId + QStringLiteral(".svg");
        QFile svg(scalable);
        QVERIFY2(svg.open(QIODevice::ReadOnly), qPrintable(scalable));
        QVERIFY(svg.readAll().contains("<svg"));
    }

    void metadataShowsTheReadmeScreenshot()
    {
        QFile file(kMetainfo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRegularExpression image(QStringLiteral("<image type=\"source\">([^<]*)</image>"));
        const QUrl screenshot(image.match(QString::fromUtf8(file.readAll())).captured(1));
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
