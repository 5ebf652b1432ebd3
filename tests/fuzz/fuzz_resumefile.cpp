// A download's resume file, as a resumed download reads it.
#include "download/resumefile.h"
#include "fuzzinput.h"

PLIT_FUZZ_WITH_APPLICATION

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzInput::file(QStringLiteral("resume.ini"), FuzzInput::bytes(data, size));
    ResumeFile resume;
    if (ResumeFile::read(path, 10, &resume) != ResumeFile::Usable)
        return 0;
    // What a usable file promises the downloader.
    for (const ResumeFile::Range &range : qAsConst(resume.ranges)) {
        if (range.startPoint < 0 || range.startPoint > range.endPoint || range.endPoint > resume.total
            || range.readySize < 0 || range.readySize - 1 > range.endPoint - range.startPoint)
            __builtin_trap();
    }
    if (resume.ranges.size() != resume.count || resume.readySize < 0 || resume.readySize > resume.total)
        __builtin_trap();
    return 0;
}
