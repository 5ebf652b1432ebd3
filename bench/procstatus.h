#pragma once

#include <QFile>
#include <QRegularExpression>
#include <QString>

// A line of /proc/self/status ("VmRSS", "VmHWM"), in KiB; -1 where unread.
inline long statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression pattern(QStringLiteral("^%1:\\s+(\\d+) kB$").arg(QLatin1String(field)),
                                     QRegularExpression::MultilineOption);
    return pattern.match(QString::fromLatin1(status.readAll())).captured(1).toLong();
}
