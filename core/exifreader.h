#ifndef EXIFREADER_H
#define EXIFREADER_H

#include <QtGlobal>

#include <optional>

#include <QByteArray>

class QIODevice;
class QString;

// Finds the EXIF Orientation tag of a JPEG file without decoding it. Stateless: every
// call carries its state in its arguments. The finding goes to `out`, which the caller
// sets to 0 beforehand; it stays 0 when nothing usable was found. The static functions find
// it in the other formats that carry one, and return it: 1 to 8, or 0 when there is none.
//
// The input is untrusted: every read is checked against the segment it comes from, and
// the walk over the TIFF directories has a fixed budget of entries, so that a block of
// directories pointing at each other cannot make the walk run for long.
class ExifReader
{
public:
    int readOrientation(const QString &path, int &out);
    int readOrientation(QIODevice *device, int &out);
    int scanJpeg(QIODevice *device, int &out);
    // 1 when the block holds an Orientation tag (usable or not), 0 when it holds none, -1
    // when it has no TIFF header.
    int parseExif(const QByteArray &payload, int length, int &out);

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
    int parseIfd(const QByteArray &payload, qint64 p, qint64 base, qint64 tiffSize, int depth,
                 bool littleEndian, int &counter, int &budget, int &out);
    double tagValue(const QByteArray &payload, qint64 pos, qint64 end, int type, bool littleEndian);
    quint32 read16(const QByteArray &payload, qint64 pos, bool littleEndian);
    quint32 read32(const QByteArray &payload, qint64 pos, bool littleEndian);
};

#endif // EXIFREADER_H
