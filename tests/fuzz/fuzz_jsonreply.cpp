// The platform's JSON replies: the repeated-key check, then Qt's parser.
#include "core/jsonreply.h"
#include "fuzzinput.h"

#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    QJsonParseError error;
    const QJsonDocument document = JsonReply::parse(bytes, &error);
    // What was let through repeats no key: Qt's object keeps one per key.
    if (error.error == QJsonParseError::NoError && JsonReply::repeatedKeyAt(bytes) >= 0)
        __builtin_trap();
    (void)document.toJson(QJsonDocument::Compact);
    return 0;
}
