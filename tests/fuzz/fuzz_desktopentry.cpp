// Desktop entries, as the detection of installed programs and the icon
// lookup read them, and the program their Exec line names.
#include "core/desktopentry.h"
#include "fuzzinput.h"
#include "services/desktopentries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const DesktopEntry entry = DesktopEntry::parse(bytes.left(int(DesktopEntry::MaxBytes)));
    // Only names a path or the search path finds; never a crash.
    (void)DesktopEntries::execProgram(entry.exec);
    (void)DesktopEntries::execProgram(QString::fromUtf8(bytes));
    return 0;
}
