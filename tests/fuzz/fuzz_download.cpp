// The download's headers and ranges: Content-Range as a server sends it, and
// segments laid out over any size.
#include "download/contentrange.h"
#include "fuzzinput.h"

#include <cstring>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const ContentRange range = ContentRange::parse(bytes);
    const qint64 length = range.length();
    if (length == 0 || length < -1 || (length > 0 && range.last - length + 1 != range.first))
        __builtin_trap();
    // A total and a count taken from the bytes.
    qint64 total = 0;
    std::memcpy(&total, bytes.constData(), qMin<size_t>(size, sizeof total));
    const int count = size > sizeof total ? 1 + quint8(bytes.at(sizeof total)) % 16 : 4;
    qint64 previous = 0;
    for (int i = 0; i <= count; ++i) {
        const qint64 at = ContentRange::splitAt(total, i, count);
        if (at < previous || (total > 0 && at > total))
            __builtin_trap();
        previous = at;
    }
    if (total > 0 && ContentRange::splitAt(total, count, count) != total)
        __builtin_trap();
    return 0;
}
