// The uninstall list ("uninstall.ini" in the data directory), as detection
// asks it for the values of a program.
#include "fuzzinput.h"
#include "services/uninstallsource.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzInput::startApplication();
    qputenv("PLIT_DATA_DIR", FuzzInput::directory().path().toLocal8Bit());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput::file(QStringLiteral("uninstall.ini"), FuzzInput::bytes(data, size));
    for (const char *subkey : {"App", "{5F00-7968}_is1", "General"}) {
        for (const char *name : {"DisplayIcon", "UninstallDataFile"})
            (void)UninstallSource::value(QString::fromLatin1(subkey), QString::fromLatin1(name));
    }
    return 0;
}
