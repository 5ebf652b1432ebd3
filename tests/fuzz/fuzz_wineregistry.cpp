// A Wine prefix's registry file, as detection reads it, and the drive
// paths its values hold.
#include "fuzzinput.h"
#include "services/wineregistry.h"

PLIT_FUZZ_WITH_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const QString path = FuzzInput::file(QStringLiteral("system.reg"), bytes);
    const WineRegistry::Entries entries = WineRegistry::uninstallEntries(
            path, {QStringLiteral("App"), QStringLiteral("{5F00-7968}_is1")},
            {QStringLiteral("DisplayIcon"), QStringLiteral("UninstallDataFile")});
    for (const auto &values : entries) {
        for (const QString &value : values)
            (void)WineRegistry::unixPath(FuzzInput::directory().path(), value);
    }
    (void)WineRegistry::decode(bytes.constData(), bytes.constData() + bytes.size());
    return 0;
}
