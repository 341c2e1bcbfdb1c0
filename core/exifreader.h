#ifndef EXIFREADER_H
#define EXIFREADER_H

#include "result.h"

#include <QtGlobal>

#include <optional>

#include <QByteArray>

class QIODevice;
class QString;

// What a scan of a JPEG file's segments found.
struct JpegScan
{
    int orientation = 0; // 1 to 8; 0 when no usable one was found
    bool complete = false; // the scan reached the start of the picture's data
};

// Finds the EXIF Orientation tag of a photo without decoding it: 1 to 8, or 0 when there is
// none. Every function is a value in, a value out.
//
// The input is untrusted: every read is checked against the segment it comes from, and
// the walk over the TIFF directories has a fixed budget of entries, so that a block of
// directories pointing at each other cannot make the walk run for long.
class ExifReader
{
public:
    // A JPEG file's orientation; a failure when it cannot be opened, with the system's words.
    static Result<int> readOrientation(const QString &path);
    // A JPEG's, from the device's position on.
    static int readOrientation(QIODevice *device);
    static JpegScan scanJpeg(QIODevice *device);
    // The Orientation tag of an APP1 payload: nothing when the block holds none or has no TIFF
    // header; 0 when the tag's value is unusable.
    static std::optional<int> parseExif(const QByteArray &payload, int length);

    // The eXIf chunk of a PNG file, wherever it lies before IEND.
    static int pngOrientation(QIODevice *device);
    // The EXIF chunk of a WebP file's RIFF container.
    static int webpOrientation(QIODevice *device);
    // The first directory of a TIFF file, classic or BigTIFF: the first page's orientation.
    static int tiffOrientation(QIODevice *device);
    // A bare EXIF block as PNG and WebP carry it: a TIFF header and its directories, with or
    // without the "Exif\0\0" that starts it in a JPEG.
    static int blockOrientation(const QByteArray &block);

    // The JPEG thumbnail of the first EXIF block of a JPEG file, from its second directory
    // (JPEGInterchangeFormat and its length), read from the device's position up to the first
    // scan. Nothing when there is none or it does not lie inside the block. Not decoded.
    static std::optional<QByteArray> jpegThumbnail(QIODevice *device);
    // The same from an APP1 payload that starts with "Exif\0\0".
    static std::optional<QByteArray> exifThumbnail(const QByteArray &payload);

    // Entries a whole walk may visit; real files have a few dozen.
    static constexpr int entryBudget = 16384;
    // Chunks a walk over a PNG or WebP file may pass before it gives up: a camera's large
    // PNG has a few thousand, an animation a frame's worth each.
    static constexpr int chunkBudget = 65536;
    // The most of an EXIF chunk that is read: the orientation sits in the first directory.
    static constexpr int maxBlockBytes = 1 << 20;

private:
    struct Walk;
    static double tagValue(const QByteArray &payload, qint64 pos, qint64 end, int type,
                           bool littleEndian);
    static quint32 read16(const QByteArray &payload, qint64 pos, bool littleEndian);
    static quint32 read32(const QByteArray &payload, qint64 pos, bool littleEndian);
};

#endif // EXIFREADER_H
