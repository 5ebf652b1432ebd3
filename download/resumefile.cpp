#include "download/resumefile.h"

#include <QSettings>

ResumeFile::Reading ResumeFile::read(const QString &path, int maxSegments, ResumeFile *out)
{
    const QSettings setting(path, QSettings::IniFormat);
    ResumeFile file;
    file.url = setting.value(QStringLiteral("URL")).toString();
    file.saveFile = setting.value(QStringLiteral("SAVEFILE")).toString();
    file.count = setting.value(QStringLiteral("COUNT"), -1).toInt();
    if (file.count < 1 || file.count > maxSegments)
        return Damaged;
    file.total = setting.value(QStringLiteral("TOTALSIZE"), -1).toLongLong();
    if (file.total == -1)
        return WithoutSize;

    for (int n = 1; n <= file.count; ++n) {
        const Range range{
            setting.value(QStringLiteral("STARTPOINT%1").arg(n), -1).toLongLong(),
            setting.value(QStringLiteral("ENDPOINT%1").arg(n), -1).toLongLong(),
            setting.value(QStringLiteral("READYSIZE%1").arg(n), -1).toLongLong(),
        };
        if (range.startPoint == -1 || range.endPoint == -1 || range.readySize == -1
            || file.total <= 0 || range.startPoint < 0 || range.startPoint > range.endPoint
            || range.endPoint > file.total || range.readySize < 0
            // No more received than the segment holds (written so as not to overflow).
            || range.readySize - 1 > range.endPoint - range.startPoint)
            return Damaged;
        file.ranges.append(range);
    }
    if (file.saveFile.isEmpty() || file.url.isEmpty())
        return Damaged;
    // What was received in all is at most the size.
    file.readySize = qBound<qint64>(0, setting.value(QStringLiteral("READYSIZE"), 0).toLongLong(), file.total);
    file.validator = setting.value(QStringLiteral("VALIDATOR")).toString().toLatin1();
    *out = file;
    return Usable;
}
