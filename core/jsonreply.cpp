#include "core/jsonreply.h"

#include "core/hexdigit.h"

#include <QDebug>
#include <QString>

#include <algorithm>
#include <vector>

namespace {

struct Key
{
    quint64 hash;
    qint64 at; // the key's opening quote
};

// The offset just past the string that opens at `at`, or -1 when it does
// not end.
qint64 stringEnd(const QByteArray &json, qint64 at)
{
    for (qint64 i = at + 1; i < json.size(); ++i) {
        if (json.at(int(i)) == '\\')
            ++i;
        else if (json.at(int(i)) == '"')
            return i + 1;
    }
    return -1;
}

// The string that opens at `at`, its escapes undone as the parser undoes them.
QString stringAt(const QByteArray &json, qint64 at)
{
    const qint64 end = stringEnd(json, at) - 1;
    QString text;
    qint64 run = at + 1;
    const auto flush = [&](qint64 upTo) {
        if (upTo > run)
            text += QString::fromUtf8(json.constData() + run, int(upTo - run));
    };
    for (qint64 i = at + 1; i < end; ++i) {
        if (json.at(int(i)) != '\\')
            continue;
        flush(i);
        const char c = i + 1 < end ? json.at(int(i) + 1) : '\0';
        switch (c) {
        case 'b': text += QLatin1Char('\b'); break;
        case 'f': text += QLatin1Char('\f'); break;
        case 'n': text += QLatin1Char('\n'); break;
        case 'r': text += QLatin1Char('\r'); break;
        case 't': text += QLatin1Char('\t'); break;
        case 'u': {
            int unit = 0;
            for (int d = 0; d < 4 && i + 2 + d < end && unit >= 0; ++d) {
                const int digit = hexDigit(json.at(int(i) + 2 + d));
                unit = digit < 0 ? -1 : unit * 16 + digit;
            }
            text += QChar(ushort(unit < 0 ? 0xfffd : unit));
            i += 4;
            break;
        }
        default: text += QLatin1Char(c); break;
        }
        ++i;
        run = i + 1;
    }
    flush(end);
    return text;
}

quint64 hashOf(const QString &text)
{
    quint64 hash = 14695981039346656037ull; // FNV-1a
    for (const QChar c : text) {
        hash = (hash ^ c.unicode()) * 1099511628211ull;
    }
    return hash;
}

// The hash of the string from `at` to `end`, escapes undone: ASCII without
// escapes (almost every key) is hashed where it lies.
quint64 keyHash(const QByteArray &json, qint64 at, qint64 end)
{
    quint64 hash = 14695981039346656037ull;
    for (qint64 i = at + 1; i < end - 1; ++i) {
        const char c = json.at(int(i));
        if (c == '\\' || (c & 0x80))
            return hashOf(stringAt(json, at));
        hash = (hash ^ quint8(c)) * 1099511628211ull;
    }
    return hash;
}

// The later of two equal keys among [first, last), or -1.
qint64 repeated(const QByteArray &json, std::vector<Key>::iterator first, std::vector<Key>::iterator last)
{
    std::sort(first, last, [](const Key &a, const Key &b) { return a.hash != b.hash ? a.hash < b.hash : a.at < b.at; });
    for (auto key = first; key != last; ++key) {
        // Equal hashes are compared in full: only equal keys count.
        for (auto before = key; before != first && (before - 1)->hash == key->hash; --before) {
            if (stringAt(json, (before - 1)->at) == stringAt(json, key->at))
                return key->at;
        }
    }
    return -1;
}

} // namespace

namespace JsonReply {

qint64 repeatedKeyAt(const QByteArray &json)
{
    // The keys of every object open at this point, one after the other; each
    // open object or array notes where its keys begin (arrays: -1).
    std::vector<Key> keys;
    std::vector<qint64> open;
    bool keyNext = false;
    for (qint64 i = 0; i < json.size(); ++i) {
        switch (json.at(int(i))) {
        case '"': {
            const qint64 end = stringEnd(json, i);
            if (end < 0)
                return -1;
            if (keyNext)
                keys.push_back({keyHash(json, i, end), i});
            keyNext = false;
            i = end - 1;
            break;
        }
        case '{':
            open.push_back(qint64(keys.size()));
            keyNext = true;
            break;
        case '[':
            open.push_back(-1);
            keyNext = false;
            break;
        case '}':
        case ']':
            if (open.empty())
                return -1;
            if (open.back() >= 0) {
                const auto first = keys.begin() + open.back();
                const qint64 at = repeated(json, first, keys.end());
                if (at >= 0)
                    return at;
                keys.erase(first, keys.end());
            }
            open.pop_back();
            keyNext = false;
            break;
        case ',':
            keyNext = !open.empty() && open.back() >= 0;
            break;
        default:
            break;
        }
    }
    return -1;
}

QJsonDocument parse(const QByteArray &json, QJsonParseError *error)
{
    const qint64 at = repeatedKeyAt(json);
    if (at >= 0) {
        qInfo().noquote() << QStringLiteral("a reply repeats the key at byte %1; not read").arg(at);
        if (error) {
            error->error = QJsonParseError::IllegalValue;
            error->offset = int(at);
        }
        return QJsonDocument();
    }
    return QJsonDocument::fromJson(json, error);
}

} // namespace JsonReply
