#include "exifreader.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const int typeSize[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

const int tagOrientation = 0x0112;
const int tagExifIfd = 0x8769;
const int tagInteropIfd = 0xA005;
const int tagThumbnailOffset = 0x0201;
const int tagThumbnailLength = 0x0202;

// Whether [pos, pos + n) lies inside [0, end).
bool inside(qint64 pos, qint64 n, qint64 end)
{
    return pos >= 0 && n >= 0 && pos <= end - n;
}

} // namespace

Result<int> ExifReader::readOrientation(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure {file.errorString()};
    try {
        return scanJpeg(&file).orientation;
    } catch (const std::bad_alloc &) {
        return 1;
    }
}

int ExifReader::readOrientation(QIODevice *device)
{
    return scanJpeg(device).orientation;
}

JpegScan ExifReader::scanJpeg(QIODevice *device)
{
    JpegScan scan;
    char c = 0;
    if (!device->getChar(&c) || uchar(c) != 0xFF)
        return scan;
    if (!device->getChar(&c) || uchar(c) != 0xD8)
        return scan;

    // Some files carry a second EXIF block; the first one that holds an orientation decides,
    // as the common EXIF tools read such files.
    bool decided = false;
    for (;;) {
        bool previousFF = false;
        uchar marker = 0;
        for (;;) {
            if (!device->getChar(&c))
                return scan;
            const uchar byte = uchar(c);
            if (byte != 0xFF && previousFF) {
                marker = byte;
                break;
            }
            previousFF = byte == 0xFF;
        }

        char lengthBytes[2];
        if (device->read(lengthBytes, 2) != 2)
            return scan;
        const int length = (uchar(lengthBytes[0]) << 8) | uchar(lengthBytes[1]);
        if (length < 2)
            return scan;
        const QByteArray payload = device->read(length - 2);
        if (payload.isEmpty() || payload.size() < length - 2)
            return scan;

        switch (marker) {
        case 0xDA:
            scan.complete = true;
            return scan;
        case 0xE1:
            if (!decided && payload.startsWith("Exif")) {
                if (const std::optional<int> found = parseExif(payload, length)) {
                    scan.orientation = *found;
                    decided = true;
                }
            }
            break;
        case 0xD9:
            return scan;
        default:
            break;
        }
    }
}

// One walk over the directories of a TIFF block: what it found so far and what it may still
// visit.
struct ExifReader::Walk
{
    const QByteArray &payload;
    qint64 base; // where the TIFF header starts in the payload
    qint64 tiffSize;
    bool littleEndian;
    int found = 0; // Orientation tags met
    int budget = entryBudget; // entries left to visit
    int orientation = 0;

    void directory(qint64 p, int depth);
};

std::optional<int> ExifReader::parseExif(const QByteArray &payload, int length)
{
    // The TIFF header ends at payload offset 14; a shorter payload has none.
    if (payload.size() < 14 || length - 2 > payload.size())
        return std::nullopt;

    bool littleEndian;
    if (payload.at(6) == 'I' && payload.at(7) == 'I')
        littleEndian = true;
    else if (payload.at(6) == 'M' && payload.at(7) == 'M')
        littleEndian = false;
    else
        return std::nullopt;

    const qint64 offset = read32(payload, 10, littleEndian);
    if (!((offset >= 8 && offset <= 16) || (offset > 16 && offset < qint64(length) - 15)))
        return std::nullopt;

    Walk walk {payload, 6, qint64(length) - 8, littleEndian};
    walk.directory(walk.base + offset, 0);
    if (walk.found == 0)
        return std::nullopt;
    return walk.orientation;
}

void ExifReader::Walk::directory(qint64 p, int depth)
{
    if (depth > 4)
        return;
    const qint64 end = base + tiffSize;
    if (!inside(p, 2, end))
        return;

    const int count = int(read16(payload, p, littleEndian));
    for (int i = 0; i < count; ++i) {
        const qint64 entry = p + 2 + 12 * qint64(i);
        // A directory that claims more entries than the block holds ends where the block does.
        if (!inside(entry, 12, end) || budget <= 0)
            break;
        --budget;

        const int tag = int(read16(payload, entry, littleEndian));
        const int type = int(read16(payload, entry + 2, littleEndian));
        const quint32 valueCount = read32(payload, entry + 4, littleEndian);
        if (type > 12 || valueCount > 65536)
            continue;

        const qint64 size = qint64(typeSize[type]) * valueCount;
        qint64 valuePos = entry + 8;
        qint64 valueEnd = entry + 12;
        if (size > 4) {
            const qint64 v = read32(payload, entry + 8, littleEndian);
            if (v + size > tiffSize)
                continue;
            valuePos = base + v;
            valueEnd = valuePos + size;
        }

        if (tag == tagExifIfd || tag == tagInteropIfd) {
            if (!inside(valuePos, 4, end))
                continue;
            const qint64 sub = read32(payload, valuePos, littleEndian);
            if (sub > tiffSize)
                continue;
            directory(base + sub, depth + 1);
        } else if (tag == tagOrientation) {
            if (found >= 2)
                continue;
            if (found == 0) {
                const double value = tagValue(payload, valuePos, valueEnd, type, littleEndian);
                // Compared as a double: a huge or NaN value has no int to truncate to.
                orientation = (value >= 0.0 && value < 9.0) ? int(value) : 0;
            }
            if (orientation < 0 || orientation > 8)
                orientation = 0;
            ++found;
        }
    }
}

double ExifReader::tagValue(const QByteArray &payload, qint64 pos, qint64 end, int type,
                            bool littleEndian)
{
    if (type < 0 || type > 12 || !inside(pos, typeSize[type], end)
        || !inside(pos, typeSize[type], payload.size()))
        return 100.0;

    switch (type) {
    case 1:
        return double(uchar(payload.at(pos)));
    case 3:
        return double(read16(payload, pos, littleEndian));
    case 4:
        return double(read32(payload, pos, littleEndian));
    case 5:
    case 10: {
        const qint32 num = qint32(read32(payload, pos, littleEndian));
        const qint32 den = qint32(read32(payload, pos + 4, littleEndian));
        return den == 0 ? 0.0 : double(num) / double(den);
    }
    case 6:
        return double(qint8(uchar(payload.at(pos))));
    case 8:
        return double(qint16(quint16(read16(payload, pos, littleEndian))));
    case 9:
        return double(qint32(read32(payload, pos, littleEndian)));
    case 11: {
        const quint32 bits = read32(payload, pos, littleEndian);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return double(f);
    }
    case 12: {
        const quint64 first = read32(payload, pos, littleEndian);
        const quint64 second = read32(payload, pos + 4, littleEndian);
        const quint64 bits = littleEndian ? (second << 32) | first : (first << 32) | second;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    default: // none, ASCII, UNDEFINED
        return 100.0;
    }
}

quint32 ExifReader::read16(const QByteArray &payload, qint64 pos, bool littleEndian)
{
    if (!inside(pos, 2, payload.size()))
        return 0;
    const quint32 b0 = uchar(payload.at(pos));
    const quint32 b1 = uchar(payload.at(pos + 1));
    return littleEndian ? b0 | (b1 << 8) : (b0 << 8) | b1;
}

quint32 ExifReader::read32(const QByteArray &payload, qint64 pos, bool littleEndian)
{
    if (!inside(pos, 4, payload.size()))
        return 0;
    quint32 v = 0;
    for (int k = 0; k < 4; ++k) {
        const quint32 b = uchar(payload.at(pos + (littleEndian ? 3 - k : k)));
        v = (v << 8) | b;
    }
    return v;
}

namespace {

// Moves `n` bytes on; false past the end, where a chunk that claims more than the file
// holds ends the walk.
bool skip(QIODevice *device, qint64 n)
{
    const qint64 next = device->pos() + n;
    return next <= device->size() && device->seek(next);
}

// Reads `n` bytes at the device's position; fewer at its end.
QByteArray readUpTo(QIODevice *device, qint64 n)
{
    return device->read(std::min<qint64>(n, ExifReader::maxBlockBytes));
}

} // namespace

int ExifReader::blockOrientation(const QByteArray &block)
{
    const QByteArray prefix("Exif\0\0", 6);
    QByteArray payload = block.startsWith(prefix) ? block : prefix + block;
    payload.truncate(maxBlockBytes);
    const int found = parseExif(payload, int(payload.size()) + 2).value_or(0);
    return found >= 1 && found <= 8 ? found : 0;
}

int ExifReader::pngOrientation(QIODevice *device)
{
    if (!device->seek(0) || device->read(8) != QByteArray("\x89PNG\r\n\x1A\n", 8))
        return 0;
    for (int n = 0; n < chunkBudget; ++n) {
        const QByteArray header = device->read(8);
        if (header.size() != 8)
            return 0;
        const quint32 length = read32(header, 0, false);
        const QByteArray type = header.mid(4, 4);
        if (length > 0x7FFFFFFFu || type == "IEND")
            return 0;
        if (type == "eXIf")
            return blockOrientation(readUpTo(device, length));
        // The data and its CRC.
        if (!skip(device, qint64(length) + 4))
            return 0;
    }
    return 0;
}

int ExifReader::webpOrientation(QIODevice *device)
{
    if (!device->seek(0))
        return 0;
    const QByteArray riff = device->read(12);
    if (riff.size() != 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WEBP")
        return 0;
    for (int n = 0; n < chunkBudget; ++n) {
        const QByteArray header = device->read(8);
        if (header.size() != 8)
            return 0;
        const quint32 length = read32(header, 4, true);
        if (header.startsWith("EXIF"))
            return blockOrientation(readUpTo(device, length));
        // Chunks are padded to an even length.
        if (!skip(device, qint64(length) + (length & 1)))
            return 0;
    }
    return 0;
}

int ExifReader::tiffOrientation(QIODevice *device)
{
    if (!device->seek(0))
        return 0;
    const QByteArray head = device->read(16);
    if (head.size() < 8)
        return 0;
    bool littleEndian;
    if (head.startsWith("II"))
        littleEndian = true;
    else if (head.startsWith("MM"))
        littleEndian = false;
    else
        return 0;
    ExifReader reader;
    const auto read64 = [&reader, littleEndian](const QByteArray &bytes, qint64 pos) {
        const quint64 first = reader.read32(bytes, pos, littleEndian);
        const quint64 second = reader.read32(bytes, pos + 4, littleEndian);
        return littleEndian ? (second << 32) | first : (first << 32) | second;
    };
    const quint32 magic = reader.read16(head, 2, littleEndian);
    const bool big = magic == 43;
    if (!big && magic != 42)
        return 0;
    // BigTIFF: 8-byte offsets, counts and values.
    if (big && (head.size() < 16 || reader.read16(head, 4, littleEndian) != 8))
        return 0;
    const quint64 directory = big ? read64(head, 8) : reader.read32(head, 4, littleEndian);
    if (directory < 8 || directory >= quint64(device->size()) || !device->seek(qint64(directory)))
        return 0;
    const QByteArray countBytes = device->read(big ? 8 : 2);
    if (countBytes.size() != (big ? 8 : 2))
        return 0;
    const quint64 count = big ? read64(countBytes, 0) : reader.read16(countBytes, 0, littleEndian);
    const int entrySize = big ? 20 : 12;
    const QByteArray entries
        = device->read(qint64(std::min<quint64>(count, entryBudget)) * entrySize);
    for (qint64 entry = 0; entry + entrySize <= entries.size(); entry += entrySize) {
        if (reader.read16(entries, entry, littleEndian) != quint32(tagOrientation))
            continue;
        const int type = int(reader.read16(entries, entry + 2, littleEndian));
        const qint64 value = entry + (big ? 12 : 8);
        quint32 orientation = 0;
        if (type == 3) // SHORT, as the standard has it
            orientation = reader.read16(entries, value, littleEndian);
        else if (type == 1) // BYTE
            orientation = uchar(entries.at(value));
        else if (type == 4) // LONG
            orientation = reader.read32(entries, value, littleEndian);
        return orientation >= 1 && orientation <= 8 ? int(orientation) : 0;
    }
    return 0;
}

std::optional<QByteArray> ExifReader::exifThumbnail(const QByteArray &payload)
{
    if (payload.size() < 14 || !payload.startsWith(QByteArray("Exif\0\0", 6)))
        return std::nullopt;
    bool littleEndian;
    if (payload.at(6) == 'I' && payload.at(7) == 'I')
        littleEndian = true;
    else if (payload.at(6) == 'M' && payload.at(7) == 'M')
        littleEndian = false;
    else
        return std::nullopt;
    ExifReader reader;
    const qint64 base = 6;
    const qint64 tiffSize = payload.size() - base;
    const qint64 end = payload.size();
    // The first directory is only stepped over: its entries are counted, not visited.
    const qint64 first = base + reader.read32(payload, 10, littleEndian);
    if (!inside(first, 2, end))
        return std::nullopt;
    const qint64 firstCount = reader.read16(payload, first, littleEndian);
    const qint64 link = first + 2 + 12 * firstCount;
    if (!inside(link, 4, end))
        return std::nullopt;
    const qint64 second = base + reader.read32(payload, link, littleEndian);
    if (second == base || !inside(second, 2, end))
        return std::nullopt;
    const int count = std::min<int>(int(reader.read16(payload, second, littleEndian)), entryBudget);
    qint64 offset = -1;
    qint64 length = -1;
    for (int i = 0; i < count; ++i) {
        const qint64 entry = second + 2 + 12 * qint64(i);
        if (!inside(entry, 12, end))
            break;
        const int tag = int(reader.read16(payload, entry, littleEndian));
        if (tag != tagThumbnailOffset && tag != tagThumbnailLength)
            continue;
        const int type = int(reader.read16(payload, entry + 2, littleEndian));
        if (reader.read32(payload, entry + 4, littleEndian) != 1)
            continue;
        qint64 value = -1;
        if (type == 4) // LONG, as the standard has it
            value = reader.read32(payload, entry + 8, littleEndian);
        else if (type == 3) // SHORT, as some writers have it
            value = reader.read16(payload, entry + 8, littleEndian);
        (tag == tagThumbnailOffset ? offset : length) = value;
    }
    if (offset < 0 || length < 4 || !inside(offset, length, tiffSize))
        return std::nullopt;
    return payload.mid(base + offset, length);
}

std::optional<QByteArray> ExifReader::jpegThumbnail(QIODevice *device)
{
    char c = 0;
    if (!device->getChar(&c) || uchar(c) != 0xFF || !device->getChar(&c) || uchar(c) != 0xD8)
        return std::nullopt;
    for (;;) {
        bool previousFF = false;
        uchar marker = 0;
        for (;;) {
            if (!device->getChar(&c))
                return std::nullopt;
            const uchar byte = uchar(c);
            if (byte != 0xFF && previousFF) {
                marker = byte;
                break;
            }
            previousFF = byte == 0xFF;
        }
        if (marker == 0xDA || marker == 0xD9)
            return std::nullopt;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        char lengthBytes[2];
        if (device->read(lengthBytes, 2) != 2)
            return std::nullopt;
        const int length = (uchar(lengthBytes[0]) << 8) | uchar(lengthBytes[1]);
        if (length < 2)
            return std::nullopt;
        if (marker != 0xE1) {
            if (device->skip(length - 2) != length - 2)
                return std::nullopt;
            continue;
        }
        const QByteArray payload = device->read(length - 2);
        if (payload.size() < length - 2)
            return std::nullopt;
        // The first EXIF block is the one the orientation was read from.
        if (payload.startsWith("Exif"))
            return exifThumbnail(payload);
    }
}
