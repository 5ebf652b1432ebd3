#include "desktop/iconextractfunction.h"
#include "desktop/iconmodel.h"
#include "desktop/peiconreader.h"
#include "common/pefile.h"
#include "common/testdatadir.h"

#include <QtEndian>
#include <QtTest>

#include <memory>

using namespace PeFile;

namespace {

// A crafted file of `repeats` icon groups. With `sharedDirectories`, the root
// points `repeats` times at one name directory whose `repeats` entries lead
// to one language directory: read naively, repeats² groups. Without, each
// group has a language directory of its own, all leading to one data entry.
QByteArray craftedTree(int repeats, bool sharedDirectories, const QByteArray &group, const QByteArray &image)
{
    const auto to = ResourceSection::directoryTarget;
    ResourceSection rsrc;
    const int typeEntries = sharedDirectories ? repeats : 1;
    const int root = rsrc.directory(1 + typeEntries);
    const int iconNames = rsrc.directory(1);
    const int iconLanguage = rsrc.directory(1);
    const int groupNames = rsrc.directory(repeats);
    const int sharedLanguage = rsrc.directory(1);
    rsrc.setEntry(root, 0, 3, to(iconNames));
    rsrc.setEntry(iconNames, 0, 1, to(iconLanguage));
    rsrc.setEntry(iconLanguage, 0, 0x409, rsrc.data(image));
    const quint32 shared = rsrc.data(group);
    for (int i = 0; i < typeEntries; ++i)
        rsrc.setEntry(root, 1 + i, 14, to(groupNames));
    for (int i = 0; i < repeats; ++i) {
        const int language = sharedDirectories ? sharedLanguage : rsrc.directory(1);
        rsrc.setEntry(groupNames, i, quint32(101 + i), to(language));
        rsrc.setEntry(language, 0, 0x409, shared);
    }
    return peWithResources(rsrc.bytes());
}

} // namespace

// Icons of the programs a user adds to the launcher: Windows executables
// (crafted ones included), programs of this platform through their desktop
// entries, and pictures.
class TestIconExtract : public QObject
{
    Q_OBJECT

private:
    // Desktop entries, an icon theme, programs and pictures in a tree of the
    // test's own, which the XDG variables and the search path point at.
    QTemporaryDir m_xdg;
    QImage m_first, m_second;

    QString xdg(const QString &name) const { return m_xdg.filePath(name); }
    void writeXdg(const QString &name, const QByteArray &content, bool program = false)
    {
        QVERIFY(QDir().mkpath(QFileInfo(xdg(name)).path()));
        QFile file(xdg(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        if (program)
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }

private slots:
    void initTestCase()
    {
        qputenv("PATH", xdg("bin").toLocal8Bit() + ':' + qgetenv("PATH"));
        qputenv("XDG_DATA_HOME", xdg("home").toLocal8Bit());
        writeXdg("share/icons/hicolor/index.theme",
                 "[Icon Theme]\nName=Hicolor\nDirectories=32x32/apps\n\n[32x32/apps]\nSize=32\nType=Fixed\n");
        writeXdg("share/icons/hicolor/32x32/apps/plit-tool.png", pngData(pattern(32, qRgb(200, 0, 0))));
        writeXdg("share/icons/hicolor/32x32/apps/application-x-executable.png", pngData(pattern(32, qRgb(0, 160, 0))));
        writeXdg("pictures/other.png", pngData(pattern(32, qRgb(0, 0, 220))));
        writeXdg("pictures/logo.png", pngData(pattern(20, qRgb(90, 90, 90))));
        writeXdg("pictures/notes.txt", "plain words, no icons\n");
        writeXdg("share/applications/plit-tool.desktop",
                 "[Desktop Entry]\nType=Application\nName=Tool\nExec=\"" + xdg("bin/plit-tool").toUtf8()
                     + "\" --open %U\nIcon=plit-tool\n[Desktop Action New]\nExec=somewhere-else\nIcon=nothing\n");
        writeXdg("share/applications/sub/other.desktop",
                 "[Desktop Entry]\nExec=plit-other\nIcon=" + xdg("pictures/other.png").toUtf8() + "\n");
        // Its Exec and Icon lie past the 64 KiB of an entry that are read.
        writeXdg("share/applications/padded.desktop",
                 "[Desktop Entry]\n" + QByteArray(70000, '#') + "\nExec=plit-padded\nIcon=plit-tool\n");
        for (const char *program : {"bin/plit-tool", "bin/plit-other", "bin/plit-lonely", "bin/plit-padded"})
            writeXdg(program, "#!/bin/sh\nexit 0\n", true);
        writeXdg("bin/plit-elf", QByteArray("\x7f" "ELF", 4) + QByteArray(60, '\0'), true);
        writeXdg("Tools/my.app.exe", sampleExecutable(&m_first, &m_second));
    }

    void readerResolvesEveryGroupAndNeverReadsOutside()
    {
        const QByteArray pe = sampleExecutable(&m_first, &m_second);
        const PeIconReader sound(pe);
        QCOMPARE(sound.iconCount(), 2);
        QVERIFY(samePixels(sound.icon(0), m_first));
        QCOMPARE(sound.icon(0, QSize(16, 16)).size(), QSize(16, 16));
        QVERIFY(samePixels(sound.icon(1), m_second));  // a PNG icon
        QVERIFY(sound.icon(2).isNull());

        // Every truncation, and garbage over the resource tree.
        for (int size = 0; size < pe.size(); size += 37) {
            const PeIconReader reader(pe.left(size));
            for (int i = 0; i < reader.iconCount(); ++i)
                reader.icon(i);
        }
        QByteArray hostile = pe;
        for (int at = 0x200; at < 0x200 + 200; at += 4)
            qToLittleEndian<quint32>(0xFFFFFFF0u - quint32(at), hostile.data() + at);
        const PeIconReader reader(hostile);
        QVERIFY(reader.isPe());
        for (int i = 0; i < reader.iconCount(); ++i)
            QVERIFY(reader.icon(i).isNull());
        QVERIFY(!PeIconReader(QByteArray("MZ")).isPe());
    }

    void craftedResourceTreesAreReadOnceEach()
    {
        const QImage image = pattern(32, qRgb(30, 60, 90));
        const QByteArray bitmap = iconBitmap(image);
        const QByteArray group = groupOf({{image, 1}}, {bitmap});
        // 2048 × 2048 groups when each directory is read as often as it is
        // pointed at; 2048 when each data entry is.
        for (const bool sharedDirectories : {true, false}) {
            const PeIconReader reader(craftedTree(2048, sharedDirectories, group, bitmap));
            QCOMPARE(reader.iconCount(), 1);
            QVERIFY(samePixels(reader.icon(0), image));
        }
    }

    // Images that say 16 x 16 in their group and hold far more: refused
    // before they are decoded, and only a few groups are tried.
    void iconsLargerThanTheirGroupSaysAreRefusedBeforeDecoding()
    {
        const auto crafted = [](const char *name) {
            QFile file(QStringLiteral(PLIT_SOURCE_DIR "/tests/desktop/data/crafted/") + QLatin1String(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray hugePng = crafted("entry.ico").mid(22); // 12000 x 12000
        const QByteArray textPng = crafted("textchunk.png");     // a chunk claiming 2 GB
        QVERIFY(hugePng.startsWith("\x89PNG") && textPng.startsWith("\x89PNG"));
        const QImage sixteen(16, 16, QImage::Format_ARGB32);
        QMap<quint32, QByteArray> groups{{100, groupOf({{sixteen, 1}}, {hugePng})}};
        for (quint32 id = 101; id <= 130; ++id)
            groups.insert(id, groupOf({{sixteen, 2}}, {textPng}));
        const QByteArray pe = buildPe({{3, {{1, hugePng}, {2, textPng}}}, {14, groups}});
        const PeIconReader reader(pe);
        QCOMPARE(reader.iconCount(), 31);
        QVERIFY(reader.icon(0).isNull());
        QVERIFY(reader.icon(1).isNull());
        writeXdg("Tools/crafted.exe", pe);
        int taken = 0;
        QCOMPARE(IconExtractFunction::offerIcons(xdg("Tools/crafted.exe"), [&](const QImage &icon) {
                     taken += !icon.isNull();
                     return false;
                 }),
                 8);
        QCOMPARE(taken, 0);
    }

    void eachKindOfFileGivesItsIconAsAPngInTemp_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("themes");  // XDG_DATA_DIRS, in the tree
        QTest::addColumn<bool>("tempIsAFile");
        QTest::addColumn<QString>("saved");   // empty: none, and extractFrom answers 0
        QTest::addColumn<QImage>("picture");
        const QImage application = QImage::fromData(
            pngData(QIcon(QStringLiteral(":/images/app.png")).pixmap(QSize(32, 32)).toImage()), "PNG");
        QTest::newRow("executable: its first icon, named up to the first dot")
            << "Tools/my.app.exe" << "share" << false << "my.png" << m_first;
        QTest::newRow("entry whose Exec is its path, theme icon")
            << "bin/plit-tool" << "share" << false << "plit-tool.png" << pattern(32, qRgb(200, 0, 0));
        QTest::newRow("entry whose Exec is its name, icon file")
            << "bin/plit-other" << "share" << false << "plit-other.png" << pattern(32, qRgb(0, 0, 220));
        QTest::newRow("no entry: the generic program icon")
            << "bin/plit-lonely" << "share" << false << "plit-lonely.png" << pattern(32, qRgb(0, 160, 0));
        QTest::newRow("entry read to 64 KiB only: the generic program icon")
            << "bin/plit-padded" << "share" << false << "plit-padded.png" << pattern(32, qRgb(0, 160, 0));
        QTest::newRow("an ELF binary without entry")
            << "bin/plit-elf" << "share" << false << "plit-elf.png" << pattern(32, qRgb(0, 160, 0));
        // Compared through PNG as the saved icon went, semi-transparent pixels included.
        QTest::newRow("no icon theme at all: the program's own icon")
            << "bin/plit-lonely" << "nothing" << false << "plit-lonely.png" << application;
        QTest::newRow("a picture: itself")
            << "pictures/logo.png" << "share" << false << "logo.png" << pattern(20, qRgb(90, 90, 90));
        QTest::newRow("no icons") << "pictures/notes.txt" << "share" << false << QString() << QImage();
        QTest::newRow("temp/ cannot be made") << "Tools/my.app.exe" << "share" << true << QString() << QImage();
    }

    void eachKindOfFileGivesItsIconAsAPngInTemp()
    {
        QFETCH(QString, file);
        QFETCH(QString, themes);
        QFETCH(bool, tempIsAFile);
        QFETCH(QString, saved);
        QFETCH(QImage, picture);
        qputenv("XDG_DATA_DIRS", xdg(themes).toLocal8Bit());
        TestDataDir data;
        if (tempIsAFile)
            QVERIFY(data.write(QStringLiteral("temp"), "a file where the directory should be"));
        if (file.endsWith(QLatin1String(".txt")))
            QTest::ignoreMessage(QtDebugMsg, qPrintable(xdg(file) + " does not appear to contain icons."));
        const QVariant answer = IconExtractFunction().extractFrom(xdg(file));
        if (saved.isEmpty()) {
            QCOMPARE(answer, QVariant(0));
            QVERIFY(!QFile::exists(data.filePath(QStringLiteral("temp/") + QFileInfo(file).baseName() + ".png")));
            return;
        }
        const std::unique_ptr<IconModel> icon(qobject_cast<IconModel *>(answer.value<QObject *>()));
        QVERIFY(icon);
        QVERIFY(!icon->parent());
        QCOMPARE(icon->icon(), data.path() + QStringLiteral("/temp/") + saved);
        QCOMPARE(icon->apppath(), xdg(file));
        QVERIFY(samePixels(QImage(icon->icon(), "PNG"), picture));
    }

    void savedIconsAreShownThroughLocalFileUrls()
    {
        const IconExtractFunction extractor;
        // What the launcher's tiles load: the same file again, whatever the path holds.
        for (const QString path : {"/home/张明/temp/my tool.png", "/tmp/a#b?c%d.png"}) {
            const QString url = extractor.fileUrl(path);
            QVERIFY2(url.startsWith(QStringLiteral("file:///")) && !url.startsWith(QStringLiteral("file:////")),
                     qPrintable(url));
            QCOMPARE(QUrl(url).toLocalFile(), path);
        }
        QCOMPARE(extractor.fileUrl("C:/Tools/temp/my.png"), QStringLiteral("file:///C:/Tools/temp/my.png"));
        QCOMPARE(extractor.fileUrl(QString()), QString());
    }
};

QTEST_MAIN(TestIconExtract)

#include "tst_iconextract.moc"
