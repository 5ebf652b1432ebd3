#include "desktop/iconextractfunction.h"
#include "desktop/iconmodel.h"
#include "desktop/peiconreader.h"
#include "common/testdatadir.h"

#include <QApplication>
#include <QBuffer>
#include <QMap>
#include <QtEndian>
#include <QtTest>

namespace {

void put16(QByteArray &data, int at, quint16 value) { qToLittleEndian(value, data.data() + at); }
void put32(QByteArray &data, int at, quint32 value) { qToLittleEndian(value, data.data() + at); }

// A 32-bit icon bitmap as RT_ICON holds it: header with doubled height,
// BGRA rows bottom-up, then the AND mask (set bits are transparent).
QByteArray iconBitmap(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width(), h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray data(40 + w * h * 4 + maskStride * h, '\0');
    put32(data, 0, 40);
    put32(data, 4, quint32(w));
    put32(data, 8, quint32(h * 2));
    put16(data, 12, 1);
    put16(data, 14, 32);
    int at = 40;
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x, at += 4)
            put32(data, at, image.pixel(x, y));
    for (int y = h - 1; y >= 0; --y, at += maskStride)
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) == 0)
                data[at + x / 8] = char(data[at + x / 8] | (0x80 >> (x % 8)));
    return data;
}

QByteArray pngData(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// A minimal PE32 file whose only section, .rsrc, holds the given resources:
// type -> (id -> data), one language each.
QByteArray buildPe(const QMap<quint32, QMap<quint32, QByteArray>> &resources)
{
    const int typeCount = resources.size();
    int nameCount = 0;
    for (const auto &names : resources)
        nameCount += names.size();
    const int typeDirs = 16 + 8 * typeCount;
    int nameDirsSize = 0;
    for (const auto &names : resources)
        nameDirsSize += 16 + 8 * names.size();
    const int languageDirs = typeDirs + nameDirsSize;
    const int dataEntries = languageDirs + nameCount * (16 + 8);
    int blobs = dataEntries + nameCount * 16;

    constexpr quint32 SectionRva = 0x1000;
    QByteArray rsrc(blobs, '\0');
    put16(rsrc, 14, quint16(typeCount));
    int typeEntry = 16, nameDir = typeDirs, languageDir = languageDirs, dataEntry = dataEntries;
    for (auto type = resources.cbegin(); type != resources.cend(); ++type, typeEntry += 8) {
        put32(rsrc, typeEntry, type.key());
        put32(rsrc, typeEntry + 4, 0x80000000u | quint32(nameDir));
        put16(rsrc, nameDir + 14, quint16(type->size()));
        int nameEntry = nameDir + 16;
        nameDir += 16 + 8 * type->size();
        for (auto name = type->cbegin(); name != type->cend(); ++name, nameEntry += 8) {
            put32(rsrc, nameEntry, name.key());
            put32(rsrc, nameEntry + 4, 0x80000000u | quint32(languageDir));
            put16(rsrc, languageDir + 14, 1);
            put32(rsrc, languageDir + 16, 0x409);
            put32(rsrc, languageDir + 20, quint32(dataEntry));
            languageDir += 24;
            while (rsrc.size() % 4)
                rsrc.append('\0');
            put32(rsrc, dataEntry, SectionRva + quint32(rsrc.size()));
            put32(rsrc, dataEntry + 4, quint32(name->size()));
            dataEntry += 16;
            rsrc.append(*name);
        }
    }
    while (rsrc.size() % 512)
        rsrc.append('\0');

    constexpr int PeOffset = 0x40, OptionalSize = 224, RawOffset = 0x200;
    QByteArray pe(RawOffset, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 0x3C, PeOffset);
    pe.replace(PeOffset, 4, QByteArray("PE\0\0", 4));
    const int coff = PeOffset + 4;
    put16(pe, coff, 0x14c);
    put16(pe, coff + 2, 1);
    put16(pe, coff + 16, OptionalSize);
    put16(pe, coff + 18, 0x0102);
    const int optional = coff + 20;
    put16(pe, optional, 0x10b);
    put32(pe, optional + 92, 16);
    put32(pe, optional + 96 + 2 * 8, SectionRva);
    put32(pe, optional + 96 + 2 * 8 + 4, quint32(rsrc.size()));
    const int section = optional + OptionalSize;
    pe.replace(section, 5, ".rsrc");
    put32(pe, section + 8, quint32(rsrc.size()));
    put32(pe, section + 12, SectionRva);
    put32(pe, section + 16, quint32(rsrc.size()));
    put32(pe, section + 20, RawOffset);
    return pe + rsrc;
}

QByteArray groupOf(const QList<QPair<QImage, quint16>> &icons, const QList<QByteArray> &datas)
{
    QByteArray group(6 + 14 * icons.size(), '\0');
    put16(group, 2, 1);
    put16(group, 4, quint16(icons.size()));
    for (int i = 0; i < icons.size(); ++i) {
        const int at = 6 + 14 * i;
        group[at] = char(icons[i].first.width() % 256);
        group[at + 1] = char(icons[i].first.height() % 256);
        put16(group, at + 4, 1);
        put16(group, at + 6, 32);
        put32(group, at + 8, quint32(datas[i].size()));
        put16(group, at + 12, icons[i].second);
    }
    return group;
}

QImage pattern(int size, QRgb base)
{
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, (x + y) % 7 == 0 ? qRgba(0, 0, 0, 0) : qRgba(qRed(base) ^ (x * 8), qGreen(base) ^ (y * 8), qBlue(base), 255));
    return image;
}

// Two icon groups: the first with a 16 and a 32 pixel bitmap, the second
// with a 48 pixel PNG.
QByteArray sampleExecutable(QImage *first32, QImage *second)
{
    const QImage small = pattern(16, qRgb(200, 0, 0));
    *first32 = pattern(32, qRgb(0, 120, 230));
    *second = pattern(48, qRgb(10, 200, 10));
    const QByteArray smallData = iconBitmap(small), largeData = iconBitmap(*first32), pngIcon = pngData(*second);
    QMap<quint32, QMap<quint32, QByteArray>> resources;
    resources[3][1] = smallData;
    resources[3][2] = largeData;
    resources[3][3] = pngIcon;
    resources[14][101] = groupOf({{small, 1}, {*first32, 2}}, {smallData, largeData});
    resources[14][102] = groupOf({{*second, 3}}, {pngIcon});
    return buildPe(resources);
}

bool samePixels(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return false;
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = expected.pixel(x, y);
            if (qAlpha(p) != qAlpha(q) || (qAlpha(q) && (p & 0xffffff) != (q & 0xffffff)))
                return false;
        }
    return true;
}

} // namespace

class TestIconExtract : public QObject
{
    Q_OBJECT

private:
    static IconModel *model(const QVariant &result) { return qobject_cast<IconModel *>(result.value<QObject *>()); }

    static void choose(IconExtractFunction &function, const QString &file)
    {
        function.setFileDialog([file](const QString &, const QString &) { return file; });
    }

private slots:
    void executableGivesItsFirstIconAsPngNamedAfterTheProgram()
    {
        TestDataDir data;
        QVERIFY(QDir(data.path()).mkpath(QStringLiteral("temp")));
        QImage first, second;
        QVERIFY(data.write(QStringLiteral("Tools/my.app.exe"), sampleExecutable(&first, &second)));

        IconExtractFunction function;
        QString title, filter;
        const QString chosen = data.filePath(QStringLiteral("Tools/my.app.exe"));
        function.setFileDialog([&](const QString &t, const QString &f) {
            title = t;
            filter = f;
            return chosen;
        });
        const QVariant result = function.Extract();
        QCOMPARE(title, QStringLiteral("Open File"));
        QCOMPARE(filter, QStringLiteral("All files (*.*);;DLL files (*.exe *.dll);;Images (*.png *.xpm *.jpg)"));
        std::unique_ptr<IconModel> icon(model(result));
        QVERIFY(icon);
        QVERIFY(!icon->parent());
        QCOMPARE(icon->icon(), data.path() + QStringLiteral("/temp/my.png"));
        QCOMPARE(icon->apppath(), chosen);
        const QImage saved(icon->icon(), "PNG");
        QVERIFY(samePixels(saved, first));
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

    void imageFileGivesTheImageItself()
    {
        TestDataDir data;
        QVERIFY(QDir(data.path()).mkpath(QStringLiteral("temp")));
        const QImage picture = pattern(20, qRgb(90, 90, 90));
        QVERIFY(picture.save(data.filePath(QStringLiteral("logo.png"))));
        IconExtractFunction function;
        choose(function, data.filePath(QStringLiteral("logo.png")));
        std::unique_ptr<IconModel> icon(model(function.Extract()));
        QVERIFY(icon);
        QCOMPARE(icon->icon(), data.path() + QStringLiteral("/temp/logo.png"));
        QVERIFY(samePixels(QImage(icon->icon()), picture));
    }

    void fileWithoutIconsGivesZeroAndTheTraceLine()
    {
        TestDataDir data;
        QVERIFY(QDir(data.path()).mkpath(QStringLiteral("temp")));
        QVERIFY(data.write(QStringLiteral("notes.txt"), "plain words, no icons\n"));
        IconExtractFunction function;
        const QString file = data.filePath(QStringLiteral("notes.txt"));
        choose(function, file);
        QTest::ignoreMessage(QtDebugMsg, qPrintable(file + QStringLiteral(" does not appear to contain icons.")));
        const QVariant result = function.Extract();
        QCOMPARE(result, QVariant(0));
        QVERIFY(!QFile::exists(data.filePath(QStringLiteral("temp/notes.png"))));
    }

    void cancelledDialogOrMissingTempDirectoryGivesZero()
    {
        TestDataDir data;
        QImage first, second;
        QVERIFY(data.write(QStringLiteral("tool.exe"), sampleExecutable(&first, &second)));
        IconExtractFunction function;
        choose(function, QString());
        QCOMPARE(function.Extract(), QVariant(0));

        // temp/ is made by the download centre, not here.
        choose(function, data.filePath(QStringLiteral("tool.exe")));
        QCOMPARE(function.Extract(), QVariant(0));
        QVERIFY(!QDir(data.filePath(QStringLiteral("temp"))).exists());
    }
};

QTEST_MAIN(TestIconExtract)

#include "tst_iconextract.moc"
