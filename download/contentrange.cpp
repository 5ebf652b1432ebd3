#include "download/contentrange.h"

#include <QRegularExpression>

#include <limits>

namespace {

// A count of bytes or a position; -1 for one no qint64 holds.
qint64 number(const QString &digits, bool *ok)
{
    const qint64 value = digits.toLongLong(ok);
    return *ok && value >= 0 ? value : -1;
}

} // namespace

ContentRange ContentRange::parse(const QByteArray &header)
{
    static const QRegularExpression pattern(
            QStringLiteral("^\\s*bytes\\s+(?:(\\d+)-(\\d+)|\\*)/(\\d+|\\*)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header));
    ContentRange range;
    if (!match.hasMatch())
        return range;
    bool known = false;
    if (match.capturedLength(1) > 0) {
        bool firstKnown = false;
        const qint64 first = number(match.captured(1), &firstKnown);
        const qint64 last = number(match.captured(2), &known);
        // The last position of a range is at most the largest count less one.
        if (firstKnown && known && first >= 0 && last >= 0 && last < std::numeric_limits<qint64>::max()) {
            range.first = first;
            range.last = last;
        }
    }
    const qint64 total = number(match.captured(3), &known);
    range.total = known ? total : -1;
    return range;
}

qint64 ContentRange::splitAt(qint64 total, int index, int count)
{
    if (total <= 0 || count <= 0)
        return 0;
    // total * index / count, taken apart so that no step leaves 64 bits.
    return total / count * index + total % count * index / count;
}
