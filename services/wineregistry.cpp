#include "services/wineregistry.h"

#include "core/hexdigit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstring>

namespace {

// Longer names and values than any path are not taken.
constexpr int MaxTextBytes = 32768;

// Key separators are escaped backslashes in the file.
const char *const kUninstallKeys[] = {
    "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\",
    "Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\",
};

const char *lineEnd(const char *p, const char *end)
{
    const void *newline = std::memchr(p, '\n', size_t(end - p));
    return newline ? static_cast<const char *>(newline) : end;
}

const char *nextLine(const char *p, const char *end)
{
    const char *stop = lineEnd(p, end);
    return stop < end ? stop + 1 : end;
}

// The first line at or after the line start `p` that opens a key.
const char *nextKey(const char *p, const char *end)
{
    if (p >= end || *p == '[')
        return p;
    const void *hit = memmem(p, size_t(end - p), "\n[", 2);
    return hit ? static_cast<const char *>(hit) + 1 : end;
}

// The closing quote of a string whose text starts at `p`, or null when the
// line ends first (a truncated file).
const char *closingQuote(const char *p, const char *stop)
{
    while (p < stop) {
        if (*p == '\\')
            p += 2;
        else if (*p == '"')
            return p;
        else
            ++p;
    }
    return nullptr;
}

// "hex(2):" bytes, comma separated and continued over lines ending in "\",
// as UTF-16LE text without its closing zeros. `p` follows the colon; it ends
// after the last line read.
QString hexText(const char *&p, const char *end)
{
    QByteArray bytes;
    while (p < end) {
        const char c = *p;
        if (c == ',' || c == ' ' || c == '\t' || c == '\r') {
            ++p;
        } else if (c == '\\') {
            p = nextLine(p, end);
        } else {
            const int high = hexDigit(c);
            const int low = p + 1 < end ? hexDigit(p[1]) : -1;
            if (high < 0 || low < 0 || bytes.size() > 2 * MaxTextBytes)
                break;
            bytes.append(char(high * 16 + low));
            p += 2;
        }
    }
    // Cut short (the file ends, or something else than a byte follows): no value.
    const bool complete = p < end && *p == '\n';
    p = nextLine(p, end);
    if (!complete)
        return QString();
    QString text;
    for (int i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(ushort(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8))));
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text.isNull() ? QStringLiteral("") : text;
}

bool skipWord(const char *&p, const char *stop, const char *word)
{
    const size_t length = std::strlen(word);
    if (size_t(stop - p) < length || std::memcmp(p, word, length) != 0)
        return false;
    p += length;
    return true;
}

// One value line of a wanted key: its name and text when it is a string of
// a wanted name. `p` is at the line's opening quote; it ends at the next line.
void readValue(const char *&p, const char *end, const QSet<QString> &names, QHash<QString, QString> &into)
{
    const char *stop = lineEnd(p, end);
    const char *nameEnd = closingQuote(p + 1, stop);
    if (!nameEnd || nameEnd - p > MaxTextBytes || nameEnd + 1 >= stop || nameEnd[1] != '=') {
        p = nextLine(p, end);
        return;
    }
    const QString name = WineRegistry::decode(p + 1, nameEnd).toCaseFolded();
    const char *v = nameEnd + 2;
    if (!names.contains(name) || into.contains(name)) {
        p = nextLine(p, end);
        return;
    }
    if (skipWord(v, stop, "hex(2):") || skipWord(v, stop, "hex(1):")) {
        p = v;
        const QString text = hexText(p, end);
        if (!text.isNull())
            into.insert(name, text);
        return;
    }
    p = nextLine(p, end);
    // Plain strings, and the typed forms Wine writes for expandable ones.
    (void)(skipWord(v, stop, "str:") || skipWord(v, stop, "str(1):") || skipWord(v, stop, "str(2):"));
    if (v >= stop || *v != '"')
        return;
    const char *close = closingQuote(v + 1, stop);
    if (close && close - v <= MaxTextBytes)
        into.insert(name, WineRegistry::decode(v + 1, close));
}

// Whether the raw subkey name is one of `wanted` (case-folded). Plain ASCII
// names, the great many, are compared as they stand, without decoding.
bool isWanted(const char *begin, const char *end, const QSet<QString> &wanted)
{
    const int length = int(end - begin);
    bool plain = true;
    for (const char *p = begin; p < end && plain; ++p)
        plain = *p != '\\' && uchar(*p) < 0x80;
    if (!plain)
        return wanted.contains(WineRegistry::decode(begin, end).toCaseFolded());
    const QLatin1String name(begin, length);
    for (const QString &key : wanted) {
        if (key.size() == length && key.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QString WineRegistry::decode(const char *begin, const char *end)
{
    QString text;
    const char *run = begin;
    const char *p = begin;
    const auto flush = [&] {
        if (p > run)
            text.append(QString::fromUtf8(run, int(p - run)));
    };
    while (p < end) {
        if (*p != '\\') {
            ++p;
            continue;
        }
        flush();
        ++p;
        if (p >= end) {
            run = p;
            break;
        }
        const char c = *p++;
        switch (c) {
        case 'n': text.append(QLatin1Char('\n')); break;
        case 'r': text.append(QLatin1Char('\r')); break;
        case 't': text.append(QLatin1Char('\t')); break;
        case 'a': text.append(QChar(7)); break;
        case 'b': text.append(QChar(8)); break;
        case 'e': text.append(QChar(27)); break;
        case 'f': text.append(QChar(12)); break;
        case 'v': text.append(QChar(11)); break;
        case 'x': {
            int unit = 0;
            int digits = 0;
            while (digits < 4 && p < end && hexDigit(*p) >= 0) {
                unit = unit * 16 + hexDigit(*p++);
                ++digits;
            }
            text.append(digits ? QChar(ushort(unit)) : QChar(QLatin1Char('x')));
            break;
        }
        default:
            if (c >= '0' && c <= '7') {
                int unit = c - '0';
                for (int digits = 1; digits < 3 && p < end && *p >= '0' && *p <= '7'; ++digits)
                    unit = unit * 8 + (*p++ - '0');
                text.append(QChar(ushort(unit)));
            } else {
                text.append(QString::fromUtf8(&c, 1));
            }
        }
        run = p;
    }
    p = end;
    flush();
    return text;
}

WineRegistry::Entries WineRegistry::uninstallEntries(const QString &file, const QStringList &subkeys,
                                                     const QStringList &values)
{
    Entries found;
    if (!QFileInfo(file).isFile())
        return found;
    QFile registry(file);
    if (!registry.open(QIODevice::ReadOnly) || registry.size() <= 0)
        return found;
    uchar *mapped = registry.map(0, registry.size());
    if (!mapped)
        return found;

    QSet<QString> wanted;
    for (const QString &subkey : subkeys)
        wanted.insert(subkey.toCaseFolded());
    QSet<QString> names;
    for (const QString &value : values)
        names.insert(value.toCaseFolded());

    const char *begin = reinterpret_cast<const char *>(mapped);
    const char *end = begin + registry.size();
    const char *p = begin;
    while ((p = nextKey(p, end)) < end) {
        const char *header = p;
        const char *stop = lineEnd(header, end);
        p = nextLine(header, end);
        const char *close = static_cast<const char *>(memrchr(header, ']', size_t(stop - header)));
        if (!close || close - header > MaxTextBytes)
            continue;
        const char *subkey = nullptr;
        for (const char *key : kUninstallKeys) {
            const size_t length = std::strlen(key);
            if (size_t(close - header - 1) > length && qstrnicmp(header + 1, key, uint(length)) == 0)
                subkey = header + 1 + length;
        }
        // Only the entries themselves, not the keys below them.
        if (!subkey || memmem(subkey, size_t(close - subkey), "\\\\", 2))
            continue;
        if (!isWanted(subkey, close, wanted))
            continue;
        const QString name = decode(subkey, close).toCaseFolded();
        QHash<QString, QString> &into = found[name];
        while (p < end && *p != '[') {
            if (*p == '"')
                readValue(p, end, names, into);
            else
                p = nextLine(p, end);
        }
    }
    registry.unmap(mapped);
    return found;
}

QString WineRegistry::unixPath(const QString &prefix, const QString &windowsPath)
{
    QString path = windowsPath.trimmed();
    if (path.startsWith(QLatin1String("\\\\?\\")))
        path = path.mid(4);
    if (path.size() < 3 || !path.at(0).isLetter() || path.at(0).unicode() > 127 || path.at(1) != QLatin1Char(':')
        || (path.at(2) != QLatin1Char('\\') && path.at(2) != QLatin1Char('/')))
        return QString();
    const QString drive = path.left(2).toLower();
    QString root = prefix + QStringLiteral("/dosdevices/") + drive;
    if (!QFileInfo::exists(root) && drive == QLatin1String("c:"))
        root = prefix + QStringLiteral("/drive_c");
    return QDir::cleanPath(root + QLatin1Char('/') + path.mid(3).replace(QLatin1Char('\\'), QLatin1Char('/')));
}
