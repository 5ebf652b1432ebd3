#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonParseError>

// The platform's JSON replies, parsed. Qt 5.15's parser loses the memory of
// every object or array that a repeated key replaces (a reply within the
// reply bound with 900 000 such keys keeps about 86 MB for good), and no
// reply of the platform repeats a key: a reply whose objects repeat a key
// (compared as the parser compares them, escapes undone) is refused before
// Qt parses it. The check takes one pass and eight bytes per key.
namespace JsonReply {

// The document `json` holds; a null document, with `error` (when given) set
// as Qt sets it, for a reply that is no JSON; and for one that repeats a key,
// with QJsonParseError::IllegalValue at that key.
QJsonDocument parse(const QByteArray &json, QJsonParseError *error = nullptr);

// The offset of the first key that repeats a key before it in the same
// object, or -1 when there is none. Text that is no JSON may answer -1.
qint64 repeatedKeyAt(const QByteArray &json);

} // namespace JsonReply
