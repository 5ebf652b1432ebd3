#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPair>
#include <QtEndian>

// Windows executables written by the tests: minimal PE32 files whose only
// section holds icon resources built from pictures the test knows.
namespace PeFile {

constexpr quint32 SectionRva = 0x1000;

inline void put16(QByteArray &data, int at, quint16 value)
{
    qToLittleEndian(value, data.data() + at);
}

inline void put32(QByteArray &data, int at, quint32 value)
{
    qToLittleEndian(value, data.data() + at);
}

// A 32-bit icon bitmap as RT_ICON holds it: header with doubled height,
// BGRA rows bottom-up, then the AND mask (set bits are transparent).
inline QByteArray iconBitmap(const QImage &source)
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

inline QByteArray pngData(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// A minimal PE32 file whose only section, .rsrc, holds `rsrc` at SectionRva.
inline QByteArray peWithResources(QByteArray rsrc)
{
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

// A resource section put together by hand, so that directories and data
// entries can be shared the way a crafted file shares them.
class ResourceSection
{
public:
    static quint32 directoryTarget(int offset) { return 0x80000000u | quint32(offset); }

    // A directory of `count` numbered entries, to be filled with setEntry().
    int directory(int count)
    {
        const int at = m_bytes.size();
        m_bytes.append(QByteArray(16 + 8 * count, '\0'));
        put16(m_bytes, at + 14, quint16(count));
        return at;
    }
    void setEntry(int directory, int index, quint32 id, quint32 target)
    {
        put32(m_bytes, directory + 16 + 8 * index, id);
        put32(m_bytes, directory + 20 + 8 * index, target);
    }
    // A data entry for `data`, which follows it.
    quint32 data(const QByteArray &data)
    {
        while (m_bytes.size() % 4)
            m_bytes.append('\0');
        const int at = m_bytes.size();
        m_bytes.append(QByteArray(16, '\0'));
        put32(m_bytes, at, SectionRva + quint32(m_bytes.size()));
        put32(m_bytes, at + 4, quint32(data.size()));
        m_bytes.append(data);
        return quint32(at);
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// A PE32 file with the given resources: type -> (id -> data), one language each.
inline QByteArray buildPe(const QMap<quint32, QMap<quint32, QByteArray>> &resources)
{
    ResourceSection rsrc;
    const int root = rsrc.directory(resources.size());
    int typeIndex = 0;
    for (auto type = resources.cbegin(); type != resources.cend(); ++type, ++typeIndex) {
        const int names = rsrc.directory(type->size());
        rsrc.setEntry(root, typeIndex, type.key(), ResourceSection::directoryTarget(names));
        int nameIndex = 0;
        for (auto name = type->cbegin(); name != type->cend(); ++name, ++nameIndex) {
            const int language = rsrc.directory(1);
            rsrc.setEntry(names, nameIndex, name.key(), ResourceSection::directoryTarget(language));
            rsrc.setEntry(language, 0, 0x409, rsrc.data(*name));
        }
    }
    return peWithResources(rsrc.bytes());
}

// An icon group over `icons` (picture, RT_ICON id) whose bitmaps are `datas`.
inline QByteArray groupOf(const QList<QPair<QImage, quint16>> &icons, const QList<QByteArray> &datas)
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

inline QImage pattern(int size, QRgb base)
{
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, (x + y) % 7 == 0 ? qRgba(0, 0, 0, 0) : qRgba(qRed(base) ^ (x * 8), qGreen(base) ^ (y * 8), qBlue(base), 255));
    return image;
}

// Two icon groups: the first with a 16 and a 32 pixel bitmap, the second
// with a 48 pixel PNG. The first group's 32 pixel picture is the program's icon.
inline QByteArray sampleExecutable(QImage *first32, QImage *second)
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

// The same pixels, transparent ones compared by alpha only.
inline bool samePixels(const QImage &actual, const QImage &expected)
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

} // namespace PeFile
