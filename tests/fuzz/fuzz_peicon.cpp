// Icons of Windows programs: the PE headers, the resource tree, the icon
// groups and the images they name, as at every start.
#include "desktop/peiconreader.h"
#include "fuzzinput.h"

PLIT_FUZZ_WITH_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const PeIconReader reader(bytes);
    for (int i = 0; i < qMin(reader.iconCount(), 8); ++i) {
        const QImage icon = reader.icon(i);
        if (icon.width() > PeIconReader::MaxSide || icon.height() > PeIconReader::MaxSide)
            __builtin_trap();
    }
    return 0;
}
