// Addresses the platform names (pages, images, files to open): parsed,
// checked and made printable for the log.
#include "core/urlpolicy.h"
#include "fuzzinput.h"

#include <QUrl>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzInput::bytes(data, size));
    const QUrl url = UrlPolicy::parse(text);
    (void)UrlPolicy::isWebAddress(url);
    (void)UrlPolicy::isPageAddress(url);
    const QString printable = UrlPolicy::printable(text);
    for (const QChar c : printable) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            __builtin_trap();
    }
    return 0;
}
