#include "desktop/imagecheck.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

namespace {

using Result = ImageCheck::Result;
using Limits = ImageCheck::Limits;

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);
constexpr int IcoHeaderSize = 6;
constexpr int IcoEntrySize = 16;
// More entries than any icon needs; each is checked and copied.
constexpr int MaxIcoEntries = 64;

// The bytes of `data` from `at` on, when `size` of them are there.
bool has(const QByteArray &data, qint64 at, qint64 size)
{
    return at >= 0 && size >= 0 && at <= data.size() && size <= data.size() - at;
}

quint16 le16(const QByteArray &data, qint64 at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 le32(const QByteArray &data, qint64 at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint16 be16(const QByteArray &data, qint64 at)
{
    return qFromBigEndian<quint16>(data.constData() + at);
}

quint32 be32(const QByteArray &data, qint64 at)
{
    return qFromBigEndian<quint32>(data.constData() + at);
}

Result refused(const QByteArray &format, const QString &why)
{
    Result result;
    result.verdict = ImageCheck::Refused;
    result.format = format;
    result.why = why;
    return result;
}

Result incomplete(const QByteArray &format)
{
    Result result;
    result.format = format;
    return result;
}

// Fits, or Refused when `size` is beyond `limits`.
Result sized(const QByteArray &format, qint64 width, qint64 height, const Limits &limits)
{
    if (width <= 0 || height <= 0 || width > limits.maxSide || height > limits.maxSide
        || !ImageCheck::fits(QSize(int(width), int(height)), limits))
        return refused(format, QStringLiteral("%1 × %2 pixels is too large").arg(width).arg(height));
    Result result;
    result.verdict = ImageCheck::Fits;
    result.format = format;
    result.size = QSize(int(width), int(height));
    return result;
}

// The chunks a PNG needs to be drawn; the rest (text, compressed text,
// colour profiles, animation, private chunks) are left out.
bool decodingChunk(const QByteArray &type)
{
    static const QByteArray kept[] = {"IHDR", "PLTE", "IDAT", "IEND", "tRNS", "gAMA", "cHRM", "sRGB", "sBIT", "bKGD", "pHYs"};
    return std::find(std::begin(kept), std::end(kept), type) != std::end(kept);
}

Result inspectPng(const QByteArray &data, bool complete, const Limits &limits)
{
    // Signature, then IHDR: length, type, width, height.
    if (!has(data, 0, 8 + 8 + 8))
        return complete ? refused("png", QStringLiteral("a PNG cut short")) : incomplete("png");
    if (be32(data, 8) != 13 || data.mid(12, 4) != "IHDR")
        return refused("png", QStringLiteral("a PNG without its header"));
    Result result = sized("png", be32(data, 16), be32(data, 20), limits);
    if (result.verdict != ImageCheck::Fits || !complete)
        return result;

    QByteArray kept = PngSignature;
    qint64 at = 8;
    bool dropped = false;
    while (has(data, at, 8)) {
        const quint32 length = be32(data, at);
        // Lengths above 2^31 - 1 are not PNG; one that runs past the end of
        // the file would have libpng wait for (and allocate) bytes that never come.
        if (length > 0x7fffffffu || !has(data, at + 8, qint64(length) + 4))
            return refused("png", QStringLiteral("a PNG chunk of %1 bytes runs past the end of the file").arg(length));
        const QByteArray type = data.mid(int(at) + 4, 4);
        const qint64 whole = 12 + qint64(length);
        if (decodingChunk(type))
            kept.append(data.constData() + at, int(whole));
        else
            dropped = true;
        at += whole;
        if (type == "IEND")
            break;
    }
    result.bytes = dropped ? kept : data;
    return result;
}

Result inspectGif(const QByteArray &data, bool complete, const Limits &limits)
{
    if (!has(data, 0, 13))
        return complete ? refused("gif", QStringLiteral("a GIF cut short")) : incomplete("gif");
    qint64 width = le16(data, 6);
    qint64 height = le16(data, 8);
    // The decoder draws every frame onto the logical screen: that is its size.
    Result result = sized("gif", width, height, limits);
    if (result.verdict != ImageCheck::Fits || !complete)
        return result;

    qint64 at = 13;
    const quint8 flags = quint8(data.at(10));
    if (flags & 0x80)
        at += 3 * (qint64(2) << (flags & 7));
    // Skips sub-blocks (a length byte, then that many bytes) up to the empty one.
    const auto skipBlocks = [&data](qint64 *pos) {
        while (has(data, *pos, 1)) {
            const int length = quint8(data.at(int(*pos)));
            *pos += 1 + length;
            if (length == 0)
                return true;
        }
        return false;
    };
    while (has(data, at, 1)) {
        const quint8 kind = quint8(data.at(int(at)));
        if (kind == 0x3b) // trailer
            break;
        if (kind == 0x21) { // extension: label, sub-blocks
            at += 2;
            if (!skipBlocks(&at))
                break;
            continue;
        }
        if (kind != 0x2c || !has(data, at, 10)) // not an image descriptor: the decoder stops here too
            break;
        // A frame that reaches past the screen makes the decoder's canvas larger.
        width = std::max<qint64>(width, qint64(le16(data, at + 1)) + le16(data, at + 5));
        height = std::max<qint64>(height, qint64(le16(data, at + 3)) + le16(data, at + 7));
        const quint8 frameFlags = quint8(data.at(int(at) + 9));
        at += 10;
        if (frameFlags & 0x80)
            at += 3 * (qint64(2) << (frameFlags & 7));
        at += 1; // LZW code size
        if (!skipBlocks(&at))
            break;
    }
    result = sized("gif", width, height, limits);
    if (result.verdict == ImageCheck::Fits)
        result.bytes = data;
    return result;
}

// The size an ICO entry's bitmap (a BMP info header, then the pixels and
// the mask) says it has.
Result inspectIconBitmap(const QByteArray &entry, const Limits &limits)
{
    if (!has(entry, 0, 16))
        return refused("ico", QStringLiteral("an icon bitmap cut short"));
    const quint32 headerSize = le32(entry, 0);
    if (headerSize == 12) // OS/2: 16-bit sides
        return sized("ico", le16(entry, 4), le16(entry, 6) / 2, limits);
    const qint64 width = qint32(le32(entry, 4));
    const qint64 height = qint32(le32(entry, 8));
    // The height counts the image and its mask.
    return sized("ico", width, (height < 0 ? -height : height) / 2, limits);
}

Result inspectIco(const QByteArray &data, bool complete, const Limits &limits)
{
    if (!has(data, 0, IcoHeaderSize))
        return complete ? refused("ico", QStringLiteral("an icon cut short")) : incomplete("ico");
    const int count = le16(data, 4);
    if (count == 0 || count > MaxIcoEntries)
        return refused("ico", QStringLiteral("an icon of %1 images").arg(count));
    if (!complete)
        return incomplete("ico"); // the entries' own headers tell their sizes

    if (!has(data, IcoHeaderSize, qint64(count) * IcoEntrySize))
        return refused("ico", QStringLiteral("an icon directory cut short"));
    // Rebuilt from what was checked: the directory, then each entry's bytes.
    QByteArray directory = data.left(IcoHeaderSize);
    QByteArray images;
    QSize largest;
    const qint64 imagesAt = IcoHeaderSize + qint64(count) * IcoEntrySize;
    for (int i = 0; i < count; ++i) {
        const qint64 at = IcoHeaderSize + qint64(i) * IcoEntrySize;
        const quint32 size = le32(data, at + 8);
        const quint32 offset = le32(data, at + 12);
        if (!has(data, offset, size))
            return refused("ico", QStringLiteral("an icon image outside the file"));
        const QByteArray image = data.mid(int(offset), int(size));
        // The directory's own sizes (0 standing for 256) must fit as well.
        const int listedWidth = quint8(data.at(int(at))) ? quint8(data.at(int(at))) : 256;
        const int listedHeight = quint8(data.at(int(at) + 1)) ? quint8(data.at(int(at) + 1)) : 256;
        Result entry = sized("ico", listedWidth, listedHeight, limits);
        if (entry.verdict != ImageCheck::Fits)
            return entry;
        if (image.startsWith(PngSignature)) {
            entry = inspectPng(image, true, limits);
        } else {
            entry = inspectIconBitmap(image, limits);
            entry.bytes = image;
        }
        if (entry.verdict != ImageCheck::Fits)
            return refused("ico", QStringLiteral("an icon image: ") + entry.why);
        // Entries may share bytes; the rebuilt icon is no larger than the file.
        if (entry.bytes.size() > data.size() - images.size())
            return refused("ico", QStringLiteral("icon images that overlap"));
        largest = largest.expandedTo(entry.size);
        QByteArray dirEntry = data.mid(int(at), 8);
        const quint32 tail[2] = {qToLittleEndian<quint32>(quint32(entry.bytes.size())),
                                 qToLittleEndian<quint32>(quint32(imagesAt + images.size()))};
        dirEntry.append(reinterpret_cast<const char *>(tail), sizeof tail);
        directory.append(dirEntry);
        images.append(entry.bytes);
    }
    Result result;
    result.verdict = ImageCheck::Fits;
    result.format = "ico";
    result.size = largest;
    result.bytes = directory + images;
    return result;
}

Result inspectJpeg(const QByteArray &data, bool complete, const Limits &limits)
{
    qint64 at = 2;
    while (true) {
        // Fill bytes (0xff) may stand between markers.
        while (has(data, at, 1) && quint8(data.at(int(at))) == 0xff && has(data, at + 1, 1)
               && quint8(data.at(int(at) + 1)) == 0xff)
            ++at;
        if (!has(data, at, 4))
            return complete ? refused("jpeg", QStringLiteral("a JPEG without a frame header")) : incomplete("jpeg");
        if (quint8(data.at(int(at))) != 0xff)
            return refused("jpeg", QStringLiteral("a damaged JPEG"));
        const quint8 marker = quint8(data.at(int(at) + 1));
        if (marker == 0xd8 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
            at += 2;
            continue;
        }
        if (marker == 0xd9 || marker == 0xda) // end, or scan data before any frame
            return refused("jpeg", QStringLiteral("a JPEG without a frame header"));
        const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frame) {
            if (!has(data, at, 10))
                return complete ? refused("jpeg", QStringLiteral("a JPEG cut short")) : incomplete("jpeg");
            const qint64 height = be16(data, at + 5);
            const qint64 width = be16(data, at + 7);
            const qint64 components = quint8(data.at(int(at) + 9));
            Result result = sized("jpeg", width, height, limits);
            // A progressive (or arithmetic, or lossless) JPEG keeps two bytes
            // of coefficients per pixel and component until its last scan.
            const bool buffered = marker != 0xc0 && marker != 0xc1;
            if (result.verdict == ImageCheck::Fits && buffered
                && ((width + 7) / 8) * ((height + 7) / 8) * 64 * 2 * std::max<qint64>(components, 1) > limits.maxBytes)
                return refused("jpeg", QStringLiteral("a progressive JPEG of %1 × %2 pixels is too large").arg(width).arg(height));
            if (result.verdict == ImageCheck::Fits && complete)
                result.bytes = data;
            return result;
        }
        at += 2 + be16(data, at + 2);
    }
}

Result inspectBmp(const QByteArray &data, bool complete, const Limits &limits)
{
    if (!has(data, 0, 26))
        return complete ? refused("bmp", QStringLiteral("a BMP cut short")) : incomplete("bmp");
    Result result;
    if (le32(data, 14) == 12) {
        result = sized("bmp", le16(data, 18), le16(data, 20), limits);
    } else {
        const qint64 height = qint32(le32(data, 22));
        result = sized("bmp", qint32(le32(data, 18)), height < 0 ? -height : height, limits);
    }
    if (result.verdict == ImageCheck::Fits && complete)
        result.bytes = data;
    return result;
}

} // namespace

bool ImageCheck::fits(const QSize &size, const Limits &limits)
{
    return size.isValid() && !size.isEmpty() && size.width() <= limits.maxSide && size.height() <= limits.maxSide
        && qint64(size.width()) * size.height() * 4 <= limits.maxBytes;
}

ImageCheck::Result ImageCheck::inspect(const QByteArray &data, bool complete, const Limits &limits)
{
    if (data.startsWith(PngSignature))
        return inspectPng(data, complete, limits);
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return inspectGif(data, complete, limits);
    if (data.startsWith(QByteArray("\0\0\1\0", 4)))
        return inspectIco(data, complete, limits);
    if (data.startsWith("\xff\xd8\xff"))
        return inspectJpeg(data, complete, limits);
    if (data.startsWith("BM"))
        return inspectBmp(data, complete, limits);
    // Too short to tell what it is yet.
    if (!complete && data.size() < PngSignature.size()
        && (PngSignature.startsWith(data) || QByteArray("GIF89a").startsWith(data)
            || QByteArray("GIF87a").startsWith(data) || QByteArray("\0\0\1\0", 4).startsWith(data)
            || QByteArray("\xff\xd8\xff").startsWith(data) || data == "B"))
        return incomplete(QByteArray());
    return refused(QByteArray(), QStringLiteral("not an image of a kind shown here"));
}

QSize ImageCheck::shownSize(const QSize &size, const QSize &requested)
{
    if (requested.width() <= 0 && requested.height() <= 0)
        return size;
    QSize bound(requested.width() > 0 ? requested.width() : size.width(),
                requested.height() > 0 ? requested.height() : size.height());
    if (size.width() <= bound.width() && size.height() <= bound.height())
        return size;
    return size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage ImageCheck::decode(const QByteArray &data, const Limits &limits, const QSize &requested, QString *why)
{
    Result checked = inspect(data, true, limits);
    if (checked.verdict != Fits) {
        *why = checked.why;
        return QImage();
    }
    QBuffer buffer(&checked.bytes);
    buffer.open(QIODevice::ReadOnly);
    // The format was told from the bytes; no other decoder is asked.
    QImageReader reader(&buffer, checked.format);
    reader.setAutoDetectImageFormat(false);
    // What the decoder reports is safe to ask now; an icon's first image
    // may be smaller than its largest.
    const QSize size = reader.size().isValid() ? reader.size() : checked.size;
    if (!fits(size, limits)) {
        *why = QStringLiteral("%1 × %2 pixels is too large").arg(size.width()).arg(size.height());
        return QImage();
    }
    const QSize shown = shownSize(size, requested);
    if (shown != size)
        reader.setScaledSize(shown);
    QImage image = reader.read();
    if (image.isNull()) {
        *why = reader.errorString();
        return image;
    }
    // A GIF's decoder tells its first frame's size and draws on its screen.
    const QSize drawn = shownSize(image.size(), requested);
    if (drawn != image.size())
        image = image.scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}
