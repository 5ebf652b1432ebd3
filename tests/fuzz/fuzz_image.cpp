// Network images: our own reading of their headers (as they arrive and
// whole), then the decoders behind it, under the bounds of the image
// provider.
#include "desktop/imagecheck.h"
#include "fuzzinput.h"

#include <QImage>

PLIT_FUZZ_WITH_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const ImageCheck::Limits limits{4096, 32 * 1024 * 1024};
    // As the pieces arrive.
    for (int cut = 1; cut < bytes.size(); cut *= 2) {
        const ImageCheck::Result head = ImageCheck::inspect(bytes.left(cut), false, limits);
        if (head.verdict == ImageCheck::Fits && !ImageCheck::fits(head.size, limits))
            __builtin_trap();
    }
    QString why;
    const QImage image = ImageCheck::decode(bytes, limits, QSize(64, 64), &why);
    if (!image.isNull() && (image.width() > 64 || image.height() > 64))
        __builtin_trap();
    return 0;
}
