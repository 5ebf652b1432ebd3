#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A download's resume file (INI): where it comes from and goes, its size,
// and each segment's range and how much of it was received. Every value is
// checked before anything is done with it: a damaged file is refused whole.
struct ResumeFile
{
    struct Range
    {
        qint64 startPoint;
        qint64 endPoint;
        qint64 readySize;
    };

    enum Reading {
        Usable,
        WithoutSize, // names no size: not damaged, but nothing to resume
        Damaged,
    };

    QString url;
    QString saveFile;
    int count = 0;
    qint64 total = -1;
    qint64 readySize = 0;
    QByteArray validator; // older files have none
    QList<Range> ranges;

    // Reads the file at `path`, of at most `maxSegments` segments.
    static Reading read(const QString &path, int maxSegments, ResumeFile *out);
};
