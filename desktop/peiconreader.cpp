#include "desktop/peiconreader.h"

#include "desktop/imagecheck.h"

#include <QtEndian>

#include <cstdlib>
#include <limits>

namespace {

constexpr quint32 ResourceTypeIcon = 3;       // RT_ICON
constexpr quint32 ResourceTypeGroupIcon = 14; // RT_GROUP_ICON
constexpr quint32 HighBit = 0x80000000u;
constexpr int GroupHeaderSize = 6;
constexpr int GroupEntrySize = 14;
constexpr int IconDirEntrySize = 16;

} // namespace

PeIconReader::PeIconReader(const QByteArray &data)
    : m_data(data)
{
    m_isPe = readHeaders();
}

bool PeIconReader::inRange(quint64 offset, quint64 size) const
{
    const quint64 total = quint64(m_data.size());
    return offset <= total && size <= total - offset;
}

quint16 PeIconReader::u16(quint64 offset) const
{
    return qFromLittleEndian<quint16>(m_data.constData() + offset);
}

quint32 PeIconReader::u32(quint64 offset) const
{
    return qFromLittleEndian<quint32>(m_data.constData() + offset);
}

bool PeIconReader::readHeaders()
{
    if (!inRange(0, 0x40) || m_data.at(0) != 'M' || m_data.at(1) != 'Z')
        return false;
    const quint32 peOffset = u32(0x3C);
    if (!inRange(peOffset, 24) || m_data.mid(int(peOffset), 4) != QByteArray("PE\0\0", 4))
        return false;

    const quint64 coff = quint64(peOffset) + 4;
    const quint16 sectionCount = u16(coff + 2);
    const quint16 optionalSize = u16(coff + 16);
    const quint64 optional = coff + 20;
    if (!inRange(optional, optionalSize) || optionalSize < 2)
        return false;

    quint64 directoryCountAt = 0;
    switch (u16(optional)) {
    case 0x10b: // PE32
        directoryCountAt = 92;
        break;
    case 0x20b: // PE32+
        directoryCountAt = 108;
        break;
    default:
        return false;
    }
    if (optionalSize < directoryCountAt + 4)
        return false;
    const quint32 directoryCount = u32(optional + directoryCountAt);
    const quint64 directories = optional + directoryCountAt + 4;

    const quint64 sectionTable = optional + optionalSize;
    if (!inRange(sectionTable, quint64(sectionCount) * 40))
        return false;
    for (int i = 0; i < sectionCount; ++i) {
        const quint64 at = sectionTable + quint64(i) * 40;
        m_sections.append({u32(at + 12), u32(at + 16), u32(at + 20)});
    }

    // The resource table is data directory 2 (after export and import).
    constexpr quint32 ResourceDirectory = 2;
    if (directoryCount > ResourceDirectory
        && optionalSize >= directoryCountAt + 4 + (ResourceDirectory + 1) * 8) {
        const quint64 at = directories + ResourceDirectory * 8;
        readResources(u32(at), u32(at + 4));
    }
    return true;
}

QByteArray PeIconReader::bytes(const Range &range) const
{
    // The ranges were checked against the data when they were read.
    return QByteArray(m_data.constData() + range.offset, int(range.size));
}

bool PeIconReader::rvaToOffset(quint32 rva, quint32 size, quint32 *offset) const
{
    for (const Section &section : m_sections) {
        // Only the bytes present in the file can be read; the rest of a
        // section's virtual size is zero-filled memory.
        const quint64 start = section.virtualAddress;
        if (rva < start || quint64(rva) + size > start + section.rawSize)
            continue;
        const quint64 fileOffset = quint64(section.rawOffset) + (rva - start);
        if (!inRange(fileOffset, size) || fileOffset > std::numeric_limits<quint32>::max())
            return false;
        *offset = quint32(fileOffset);
        return true;
    }
    return false;
}

QList<PeIconReader::Entry> PeIconReader::directoryEntries(quint32 offset)
{
    QList<Entry> entries;
    // A directory is read once however many entries point at it, and holds
    // no more entries than the bytes after it: a crafted tree of entries that
    // point back at each other cannot multiply into millions of resources.
    if (quint64(offset) + 16 > m_resourceSize || m_visitedDirectories.contains(offset))
        return entries;
    m_visitedDirectories.insert(offset);
    const quint64 at = quint64(m_resourceOffset) + offset;
    const quint64 count = quint64(u16(at + 12)) + u16(at + 14);
    for (quint64 i = 0; i < count; ++i) {
        const quint64 entryAt = quint64(offset) + 16 + i * 8;
        if (entryAt + 8 > m_resourceSize)
            break;
        const quint32 name = u32(m_resourceOffset + entryAt);
        const quint32 target = u32(m_resourceOffset + entryAt + 4);
        entries.append({(name & HighBit) != 0, name & ~HighBit, target & ~HighBit, (target & HighBit) != 0});
    }
    return entries;
}

bool PeIconReader::firstLanguageData(const Entry &entry, Range *out)
{
    if (!entry.isDirectory)
        return false;
    const QList<Entry> languages = directoryEntries(entry.offset);
    if (languages.isEmpty() || languages.first().isDirectory)
        return false;
    const quint32 dataEntry = languages.first().offset;
    if (quint64(dataEntry) + 16 > m_resourceSize || m_seenDataEntries.contains(dataEntry))
        return false;
    m_seenDataEntries.insert(dataEntry);
    const quint32 rva = u32(quint64(m_resourceOffset) + dataEntry);
    const quint32 size = u32(quint64(m_resourceOffset) + dataEntry + 4);
    if (!rvaToOffset(rva, size, &out->offset))
        return false;
    out->size = size;
    return true;
}

void PeIconReader::readResources(quint32 rva, quint32 size)
{
    if (rva == 0 || size < 16)
        return;
    // Some linkers state a smaller table size than the section holds; the
    // section's own extent bounds what is read.
    quint32 offset = 0;
    if (!rvaToOffset(rva, 16, &offset))
        return;
    m_resourceOffset = offset;
    m_resourceSize = quint32(qMin<quint64>(quint64(m_data.size()) - offset, std::numeric_limits<quint32>::max()));

    for (const Entry &type : directoryEntries(0)) {
        if (type.named || !type.isDirectory)
            continue;
        if (type.id != ResourceTypeGroupIcon && type.id != ResourceTypeIcon)
            continue;
        // Named resources come before numbered ones, each in ascending order,
        // which is the order the shell numbers a file's icons in.
        for (const Entry &name : directoryEntries(type.offset)) {
            Range data;
            if (!firstLanguageData(name, &data))
                continue;
            if (type.id == ResourceTypeGroupIcon)
                m_groups.append(data);
            else if (!name.named && !m_icons.contains(name.id))
                m_icons.insert(name.id, data);
        }
    }
}

QImage PeIconReader::icon(int index, const QSize &size) const
{
    if (index < 0 || index >= m_groups.size())
        return QImage();
    const QByteArray group = bytes(m_groups.at(index));
    if (group.size() < GroupHeaderSize)
        return QImage();
    const auto at16 = [&group](int offset) { return qFromLittleEndian<quint16>(group.constData() + offset); };
    if (at16(2) != 1) // 1 marks icons, 2 cursors
        return QImage();
    const int count = qMin(int(at16(4)), (group.size() - GroupHeaderSize) / GroupEntrySize);

    int best = -1;
    int bestDistance = std::numeric_limits<int>::max();
    int bestBits = -1;
    for (int i = 0; i < count; ++i) {
        const int at = GroupHeaderSize + i * GroupEntrySize;
        // A stored 0 stands for 256 pixels.
        const int width = quint8(group.at(at)) ? quint8(group.at(at)) : 256;
        const int height = quint8(group.at(at + 1)) ? quint8(group.at(at + 1)) : 256;
        const int bits = at16(at + 6);
        const int distance = std::abs(width - size.width()) + std::abs(height - size.height());
        if (distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            best = i;
            bestDistance = distance;
            bestBits = bits;
        }
    }
    if (best < 0)
        return QImage();

    const int entryAt = GroupHeaderSize + best * GroupEntrySize;
    const auto icon = m_icons.constFind(at16(entryAt + 12));
    if (icon == m_icons.cend() || icon->size == 0)
        return QImage();
    const QByteArray image = bytes(*icon);

    // An RT_ICON holds what an .ico file holds after its directory, so one
    // directory entry in front of it makes a one-image .ico for Qt to decode
    // (both the bitmap and the PNG forms).
    QByteArray ico;
    ico.reserve(GroupHeaderSize + IconDirEntrySize + image.size());
    ico.append(group.constData(), 4); // reserved, type
    ico.append("\x01\x00", 2);        // one image
    ico.append(group.constData() + entryAt, 8); // size, colours, planes, bits
    const quint32 tail[2] = {qToLittleEndian<quint32>(quint32(image.size())),
                             qToLittleEndian<quint32>(GroupHeaderSize + IconDirEntrySize)};
    ico.append(reinterpret_cast<const char *>(tail), sizeof tail);
    ico.append(image);

    // Checked by its own headers before it is decoded: what the group says
    // of an image's size binds nothing.
    QString why;
    return ImageCheck::decode(ico, {MaxSide, qint64(MaxSide) * MaxSide * 4}, QSize(), &why);
}
