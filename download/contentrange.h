#pragma once

#include <QByteArray>
#include <QtGlobal>

// A reply's Content-Range: "bytes first-last/total", or "bytes */total" on a
// 416. Positions and a total that are not given, or that no 64-bit count
// holds (so that last - first + 1 always does), are -1.
struct ContentRange
{
    qint64 first = -1;
    qint64 last = -1;
    qint64 total = -1;

    static ContentRange parse(const QByteArray &header);

    // How many bytes the range holds, or -1 without one.
    qint64 length() const { return first >= 0 && last >= first ? last - first + 1 : -1; }

    // Where segment `index` of `count` begins when `total` bytes are laid out
    // evenly (index == count: the end), without overflow for any total.
    static qint64 splitAt(qint64 total, int index, int count);
};
