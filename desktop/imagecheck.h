#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// What an image file will cost to decode, read from its bytes by parsers of
// our own before any decoder sees them. The sizes decoders report (and
// allocate by) are not always the size they announce: a GIF is drawn on its
// logical screen, whatever the size of its frames; an ICO entry's directory
// size says nothing of the PNG it holds; libpng allocates a PNG's ancillary
// chunks at the length they claim. So the check knows each format it lets
// through (PNG, GIF, ICO, JPEG, BMP) and refuses every other:
//  - PNG: the size in IHDR; every chunk must lie inside the file, and only
//    the chunks that decoding needs are handed on (text, colour profiles and
//    other metadata are left out, so none is ever inflated or allocated);
//  - GIF: the logical screen and every frame's extent on it;
//  - ICO: every entry, inside the file, by its own header (PNG as above, a
//    bitmap by its info header), rebuilt from the entries' checked bytes;
//  - JPEG: the frame header, and for a progressive one the coefficients it
//    keeps for the whole image;
//  - BMP: the info header.
class ImageCheck
{
public:
    struct Limits
    {
        int maxSide;       // pixels a side
        qint64 maxBytes;   // what decoding may allocate, at 4 bytes a pixel
    };

    enum Verdict {
        Incomplete, // more bytes are needed to tell
        Fits,
        Refused,
    };

    struct Result
    {
        Verdict verdict = Incomplete;
        QByteArray format; // "png", "gif", "ico", "jpeg", "bmp"
        QSize size;        // the largest extent decoding allocates for
        QString why;       // for Refused: the reason, for the log
        QByteArray bytes;  // for Fits on complete data: what to hand the decoder
    };

    // `data` is the file so far; `complete` says whether it is all of it.
    // Incomplete data gets Fits once its header shows a size within
    // `limits` (bytes stays empty); complete data is read whole.
    static Result inspect(const QByteArray &data, bool complete, const Limits &limits);

    // Inspects complete `data` and, when it fits, decodes it at the size it
    // is shown at (see shownSize). A null image and `why` otherwise.
    static QImage decode(const QByteArray &data, const Limits &limits, const QSize &requested, QString *why);

    // The size to decode an image of `size` at, to be shown at `requested`
    // (either side 0 or less: free), keeping its proportions and never
    // larger than it is.
    static QSize shownSize(const QSize &size, const QSize &requested);

    // Whether an image of `size` may be decoded under `limits`.
    static bool fits(const QSize &size, const Limits &limits);
};
