#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QSize>

// Reads the icon resources of a Windows executable or DLL (PE32 or PE32+)
// from its bytes: the icon groups (RT_GROUP_ICON) in resource order, each
// resolved to the image of one of its RT_ICON entries. Every offset and size
// in the file is checked against the data, so a damaged or hostile file gives
// fewer icons or none, never a read outside the data. The reader is bounded
// by the file: each resource directory and data entry counts once, and the
// resources are kept as ranges of the data, decoded only when asked for.
class PeIconReader
{
public:
    static constexpr int MaxSide = 256;

    // `data` must outlive the reader (it may be a memory-mapped file).
    explicit PeIconReader(const QByteArray &data);

    // True when the data has valid DOS, PE and optional headers.
    bool isPe() const { return m_isPe; }
    // The number of icon groups, as the shell counts a file's icons.
    int iconCount() const { return m_groups.size(); }
    // The image of group `index` whose size comes closest to `size`, with the
    // most colours among equals; a null image when it cannot be decoded or
    // is larger than MaxSide a side (told before it is decoded).
    QImage icon(int index, const QSize &size = QSize(32, 32)) const;

private:
    struct Section
    {
        quint32 virtualAddress;
        quint32 rawSize;
        quint32 rawOffset;
    };
    struct Entry
    {
        bool named;
        quint32 id;
        quint32 offset; // relative to the resource directory
        bool isDirectory;
    };
    struct Range
    {
        quint32 offset; // in the data
        quint32 size;
    };

    bool readHeaders();
    void readResources(quint32 rva, quint32 size);
    // The entries of the directory at `offset`; none for one already read.
    QList<Entry> directoryEntries(quint32 offset);
    // File range of the first language of the resource at a type/name
    // directory entry; false when it does not lie inside the file or its
    // data entry was met before.
    bool firstLanguageData(const Entry &entry, Range *out);
    QByteArray bytes(const Range &range) const;
    bool rvaToOffset(quint32 rva, quint32 size, quint32 *offset) const;
    bool inRange(quint64 offset, quint64 size) const;
    quint16 u16(quint64 offset) const;
    quint32 u32(quint64 offset) const;

    QByteArray m_data;
    bool m_isPe = false;
    QList<Section> m_sections;
    quint32 m_resourceOffset = 0; // file offset of the resource directory
    quint32 m_resourceSize = 0;
    QSet<quint32> m_visitedDirectories; // relative to the resource directory
    QSet<quint32> m_seenDataEntries;
    QList<Range> m_groups;              // RT_GROUP_ICON data, in resource order
    QHash<quint32, Range> m_icons;      // RT_ICON data by id, the first of an id
};
