#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPair>

// Windows executables written by the tests: minimal PE32 files whose only
// section holds icon resources built from pictures the test knows.
namespace PeFile {

constexpr quint32 SectionRva = 0x1000;

void put16(QByteArray &data, int at, quint16 value);
void put32(QByteArray &data, int at, quint32 value);

// A 32-bit icon bitmap as RT_ICON holds it: header with doubled height,
// BGRA rows bottom-up, then the AND mask (set bits are transparent).
QByteArray iconBitmap(const QImage &source);
QByteArray pngData(const QImage &image);
// A minimal PE32 file whose only section, .rsrc, holds `rsrc` at SectionRva.
QByteArray peWithResources(QByteArray rsrc);

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
QByteArray buildPe(const QMap<quint32, QMap<quint32, QByteArray>> &resources);
// An icon group over `icons` (picture, RT_ICON id) whose bitmaps are `datas`.
QByteArray groupOf(const QList<QPair<QImage, quint16>> &icons, const QList<QByteArray> &datas);
QImage pattern(int size, QRgb base);
// Two icon groups: the first with a 16 and a 32 pixel bitmap, the second
// with a 48 pixel PNG. The first group's 32 pixel picture is the program's icon.
QByteArray sampleExecutable(QImage *first32, QImage *second);
// The same pixels, transparent ones compared by alpha only.
bool samePixels(const QImage &actual, const QImage &expected);

} // namespace PeFile
