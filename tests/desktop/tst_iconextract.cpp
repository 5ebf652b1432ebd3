#include "desktop/iconextractfunction.h"
#include "desktop/iconmodel.h"
#include "desktop/peiconreader.h"
#include "common/pefile.h"
#include "common/testdatadir.h"

#include <QDir>
#include <QTemporaryDir>

#include <QApplication>
#include <QBuffer>
#include <QMap>
#include <QtEndian>
#include <QtTest>

#include <memory>

namespace {

using namespace PeFile;

// A file whose resource tree points back at the same directories over and
// over: `repeats` type entries lead to one name directory whose `repeats`
// entries lead to one language directory. Read naively it holds repeats²
// icon groups.
QByteArray repeatedDirectories(int repeats, const QByteArray &group, const QByteArray &image)
{
    ResourceSection rsrc;
    const int root = rsrc.directory(1 + repeats);
    const int iconNames = rsrc.directory(1);
    const int iconLanguage = rsrc.directory(1);
    const int groupNames = rsrc.directory(repeats);
    const int groupLanguage = rsrc.directory(1);
    rsrc.setEntry(root, 0, 3, ResourceSection::directoryTarget(iconNames));
    rsrc.setEntry(iconNames, 0, 1, ResourceSection::directoryTarget(iconLanguage));
    rsrc.setEntry(iconLanguage, 0, 0x409, rsrc.data(image));
    for (int i = 0; i < repeats; ++i) {
        rsrc.setEntry(root, 1 + i, 14, ResourceSection::directoryTarget(groupNames));
        rsrc.setEntry(groupNames, i, quint32(101 + i), ResourceSection::directoryTarget(groupLanguage));
    }
    rsrc.setEntry(groupLanguage, 0, 0x409, rsrc.data(group));
    return peWithResources(rsrc.bytes());
}

// A file whose `repeats` icon groups each have a language directory of their
// own, all of them leading to one data entry.
QByteArray repeatedDataEntry(int repeats, const QByteArray &group, const QByteArray &image)
{
    ResourceSection rsrc;
    const int root = rsrc.directory(2);
    const int iconNames = rsrc.directory(1);
    const int iconLanguage = rsrc.directory(1);
    const int groupNames = rsrc.directory(repeats);
    rsrc.setEntry(root, 0, 3, ResourceSection::directoryTarget(iconNames));
    rsrc.setEntry(root, 1, 14, ResourceSection::directoryTarget(groupNames));
    rsrc.setEntry(iconNames, 0, 1, ResourceSection::directoryTarget(iconLanguage));
    rsrc.setEntry(iconLanguage, 0, 0x409, rsrc.data(image));
    const quint32 shared = rsrc.data(group);
    for (int i = 0; i < repeats; ++i) {
        const int language = rsrc.directory(1);
        rsrc.setEntry(groupNames, i, quint32(101 + i), ResourceSection::directoryTarget(language));
        rsrc.setEntry(language, 0, 0x409, shared);
    }
    return peWithResources(rsrc.bytes());
}

QImage solid(QRgb colour)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

const QByteArray kProgram = "#!/bin/sh\nexit 0\n";

} // namespace

// Icons of the programs a user adds to the launcher: Windows executables
// (crafted ones included), programs of this platform through their desktop
// entries, and pictures.
class TestIconExtract : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<IconModel> extract(const QString &file)
    {
        return std::unique_ptr<IconModel>(qobject_cast<IconModel *>(IconExtractFunction().extractFrom(file).value<QObject *>()));
    }
    QString xdg(const QString &name) const { return m_xdg.filePath(name); }
    void writeXdg(const QString &name, const QByteArray &content)
    {
        QVERIFY(QDir().mkpath(QFileInfo(xdg(name)).path()));
        QFile file(xdg(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }

    // Desktop entries, an icon theme and programs in a tree of the test's own,
    // which the XDG variables and the search path point at.
    QTemporaryDir m_xdg;
    QByteArray m_previousPath;

private slots:
    void initTestCase()
    {
        m_previousPath = qgetenv("PATH");
        qputenv("PATH", xdg("bin").toLocal8Bit() + ':' + m_previousPath);
        qputenv("XDG_DATA_HOME", xdg("home").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", xdg("share").toLocal8Bit());
        writeXdg("share/icons/hicolor/index.theme",
                 "[Icon Theme]\nName=Hicolor\nDirectories=32x32/apps\n\n[32x32/apps]\nSize=32\nType=Fixed\n");
        writeXdg("share/icons/hicolor/32x32/apps/plit-tool.png", pngData(solid(qRgb(200, 0, 0))));
        writeXdg("share/icons/hicolor/32x32/apps/application-x-executable.png", pngData(solid(qRgb(0, 160, 0))));
        writeXdg("pictures/other.png", pngData(solid(qRgb(0, 0, 220))));
        writeXdg("share/applications/plit-tool.desktop",
                 "[Desktop Entry]\nType=Application\nName=Tool\nExec=\"" + xdg("bin/plit-tool").toUtf8()
                     + "\" --open %U\nIcon=plit-tool\n[Desktop Action New]\nExec=somewhere-else\nIcon=nothing\n");
        writeXdg("share/applications/sub/other.desktop",
                 "[Desktop Entry]\nExec=plit-other\nIcon=" + xdg("pictures/other.png").toUtf8() + "\n");
        for (const char *program : {"bin/plit-tool", "bin/plit-other", "bin/plit-lonely"}) {
            writeXdg(program, kProgram);
            QFile::setPermissions(xdg(program), QFile::permissions(xdg(program)) | QFileDevice::ExeOwner);
        }
        writeXdg("bin/plit-elf", QByteArray("\x7f" "ELF", 4) + QByteArray(60, '\0'));
    }

    void cleanupTestCase()
    {
        qputenv("PATH", m_previousPath);
    }

    void executableGivesItsFirstIconAsPngNamedAfterTheProgramInANewTempDirectory()
    {
        TestDataDir data;
        QImage first, second;
        QVERIFY(data.write(QStringLiteral("Tools/my.app.exe"), sampleExecutable(&first, &second)));
        const QString chosen = data.filePath(QStringLiteral("Tools/my.app.exe"));
        // A fresh installation: no download has made temp/ yet.
        QVERIFY(!QDir(data.filePath(QStringLiteral("temp"))).exists());
        const auto icon = extract(chosen);
        QVERIFY(icon);
        QVERIFY(!icon->parent());
        QCOMPARE(icon->icon(), data.path() + QStringLiteral("/temp/my.png"));
        QCOMPARE(icon->apppath(), chosen);
        QVERIFY(samePixels(QImage(icon->icon(), "PNG"), first));
    }

    void readerResolvesEveryGroupAndPngIcons()
    {
        QImage first, second;
        const QByteArray pe = sampleExecutable(&first, &second);
        const PeIconReader reader(pe);
        QVERIFY(reader.isPe());
        QCOMPARE(reader.iconCount(), 2);
        QVERIFY(samePixels(reader.icon(0), first));
        QCOMPARE(reader.icon(0, QSize(16, 16)).size(), QSize(16, 16));
        QVERIFY(samePixels(reader.icon(1), second));
        QVERIFY(reader.icon(2).isNull());
    }

    void damagedExecutablesGiveNoIconsAndNeverReadOutside()
    {
        QImage first, second;
        const QByteArray pe = sampleExecutable(&first, &second);
        // Every truncation, and garbage over the resource tree.
        for (int size = 0; size < pe.size(); size += 37) {
            const QByteArray cut = pe.left(size);
            const PeIconReader reader(cut);
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
        for (const QByteArray &crafted : {repeatedDirectories(2048, group, bitmap),
                                          repeatedDataEntry(2048, group, bitmap)}) {
            const PeIconReader reader(crafted);
            QVERIFY(reader.isPe());
            QCOMPARE(reader.iconCount(), 1);
            QVERIFY(samePixels(reader.icon(0), image));
        }

        TestDataDir data;
        QVERIFY(data.write(QStringLiteral("crafted.exe"), repeatedDirectories(4096, group, bitmap)));
        const auto icon = extract(data.filePath(QStringLiteral("crafted.exe")));
        QVERIFY(icon);
        QVERIFY(samePixels(QImage(icon->icon()), image));
    }

    void programOfThisPlatformGetsTheIconOfItsDesktopEntry_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QRgb>("colour");
        QTest::newRow("entry whose Exec is its path, theme icon") << "bin/plit-tool" << qRgb(200, 0, 0);
        QTest::newRow("entry whose Exec is its name, icon file") << "bin/plit-other" << qRgb(0, 0, 220);
        QTest::newRow("no entry: the generic program icon") << "bin/plit-lonely" << qRgb(0, 160, 0);
        QTest::newRow("an ELF binary without entry") << "bin/plit-elf" << qRgb(0, 160, 0);
    }

    void programOfThisPlatformGetsTheIconOfItsDesktopEntry()
    {
        QFETCH(QString, program);
        QFETCH(QRgb, colour);
        TestDataDir data;
        const auto icon = extract(xdg(program));
        QVERIFY(icon);
        QCOMPARE(icon->icon(), data.filePath(QStringLiteral("temp/%1.png").arg(QFileInfo(program).fileName())));
        QCOMPARE(icon->apppath(), xdg(program));
        QVERIFY(samePixels(QImage(icon->icon()), solid(colour)));
    }

    void programGetsTheApplicationIconWhenTheThemeHasNone()
    {
        // A machine without any icon theme.
        qputenv("XDG_DATA_DIRS", xdg("nothing").toLocal8Bit());
        TestDataDir data;
        const auto icon = extract(xdg("bin/plit-lonely"));
        qputenv("XDG_DATA_DIRS", xdg("share").toLocal8Bit());
        QVERIFY(icon);
        const QImage application = QIcon(QStringLiteral(":/images/app.png")).pixmap(QSize(32, 32)).toImage();
        QVERIFY(!application.isNull());
        // Through PNG as the saved icon went, semi-transparent pixels included.
        QCOMPARE(QImage(icon->icon()), QImage::fromData(pngData(application), "PNG"));
    }

    void imageFileGivesTheImageItself()
    {
        TestDataDir data;
        const QImage picture = pattern(20, qRgb(90, 90, 90));
        QVERIFY(picture.save(data.filePath(QStringLiteral("logo.png"))));
        const auto icon = extract(data.filePath(QStringLiteral("logo.png")));
        QVERIFY(icon);
        QCOMPARE(icon->icon(), data.path() + QStringLiteral("/temp/logo.png"));
        QVERIFY(samePixels(QImage(icon->icon()), picture));
    }

    void fileWithoutIconsGivesZeroAndTheTraceLine()
    {
        TestDataDir data;
        QVERIFY(data.write(QStringLiteral("notes.txt"), "plain words, no icons\n"));
        const QString file = data.filePath(QStringLiteral("notes.txt"));
        QTest::ignoreMessage(QtDebugMsg, qPrintable(file + QStringLiteral(" does not appear to contain icons.")));
        QCOMPARE(IconExtractFunction().extractFrom(file), QVariant(0));
        QVERIFY(!QFile::exists(data.filePath(QStringLiteral("temp/notes.png"))));
    }

    void unwritableTempDirectoryGivesZero()
    {
        TestDataDir data;
        QImage first, second;
        QVERIFY(data.write(QStringLiteral("tool.exe"), sampleExecutable(&first, &second)));
        QVERIFY(data.write(QStringLiteral("temp"), "a file where the directory should be"));
        QCOMPARE(IconExtractFunction().extractFrom(data.filePath(QStringLiteral("tool.exe"))), QVariant(0));
    }

    void savedIconsAreShownThroughLocalFileUrls()
    {
        const IconExtractFunction extractor;
        // What the launcher's tiles load: the same file again, whatever the
        // path holds.
        for (const QString &path : {QStringLiteral("/home/张明/temp/my tool.png"),
                                    QStringLiteral("/tmp/a#b?c%d.png")}) {
            const QUrl url(extractor.fileUrl(path));
            QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
            QCOMPARE(url.toLocalFile(), path);
            QVERIFY(extractor.fileUrl(path).startsWith(QStringLiteral("file:///")));
            QVERIFY(!extractor.fileUrl(path).startsWith(QStringLiteral("file:////")));
        }
        QCOMPARE(extractor.fileUrl(QStringLiteral("C:/Tools/temp/my.png")), QStringLiteral("file:///C:/Tools/temp/my.png"));
        QCOMPARE(extractor.fileUrl(QString()), QString());
    }
};

QTEST_MAIN(TestIconExtract)

#include "tst_iconextract.moc"
