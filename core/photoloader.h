#ifndef PHOTOLOADER_H
#define PHOTOLOADER_H

#include "contentbox.h"
#include "photoformat.h"
#include "result.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>

#include <optional>

class QIODevice;

// What the collection knows of one photo without decoding it. `size` is upright: the
// header size with width and height exchanged for the orientations that turn a quarter.
// A HEIF or AVIF photo is turned by its container as it is decoded: its size is the
// container's, already upright, and its orientation 1.
struct PhotoRecord
{
    QString path;
    QSize size {0, 0};
    int orientation = 1; // EXIF orientation, 1 to 8
    // Where the crop sits, as a fraction of the upright photo's size away from the centred
    // crop; (0, 0) is centred. Relative to the photo, so it holds at every cell size.
    QPointF crop;
    // Quarter turns clockwise the user gave the photo on top of its orientation, 0 to 3, for a
    // camera that tagged it wrongly. `size` is the size after them.
    int turns = 0;
    // What the analysis found in the photo; nothing until it has been analysed. Stored with
    // the project, so the crop stays as it was whatever a later detector finds.
    std::optional<ContentBox> content;
    // The share of the canvas the layout aims to give the photo against the others: 0.5, 1, 2
    // or 4 (see validEmphasis()).
    qreal emphasis = 1;

    friend bool operator==(const PhotoRecord &a, const PhotoRecord &b)
    {
        return a.path == b.path && a.size == b.size && a.orientation == b.orientation
               && a.crop == b.crop && a.turns == b.turns && a.content == b.content
               && a.emphasis == b.emphasis;
    }
};

// The largest side the layout can hold (it stores sides in 16 bits).
constexpr int maxPhotoSide = 65535;

// A photo as the collection reads it when it is added: the record, or why the file is refused,
// in words for the user. Only regular files and links to them are opened, so a named pipe or
// a device never blocks the caller; everything that can be known to fail from the header (its
// size, the memory a decode would take) refuses the file here rather than when it is drawn.
// The format is told from the content, whatever the file's name says.
struct PhotoReading
{
    PhotoRecord record;
    PhotoFormat format = PhotoFormat::Unknown;
};

Result<PhotoReading> readPhoto(const QString &path);

// The record of readPhoto(), without the reason.
std::optional<PhotoRecord> createPhotoRecord(const QString &path);

// Whether an EXIF orientation turns the photo by a quarter, exchanging width and height.
inline bool orientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// The size of the photo as the file has it upright, before the user's turns.
inline QSize uprightSize(const PhotoRecord &photo)
{
    return photo.turns % 2 ? photo.size.transposed() : photo.size;
}

// One decoding job.
struct PhotoLoader
{
    QString path;
    double scale = 1.0; // reduction factor, never below 1
    int width = 0; // upright photo width
    int height = 0; // upright photo height
    int orientation = 1;
    // The largest cell the decode serves, upright: a thumbnail in the file that covers it is
    // decoded instead of the photo. Empty: the photo itself is always decoded.
    QSize cell;
    // Whether a JPEG's EXIF preview may stand in for it, for a photo layer on the screen: only
    // when it has the photo's shape (within 1 %) and covers the cell at 1:1. Never for a save.
    bool previews = false;
    // Whether a photo decoded from its eighth-size DCT decode also gives that decode
    // (DecodedPhoto::eighth), as the content analysis works on (see decodesEighth()).
    bool keepEighth = false;
};

// A decode.
struct DecodedPhoto
{
    QImage image; // upright
    // Why the image is less than the photo, in words for the user: a file cut off partway still
    // decodes, grey where its data ran out. Empty when the file holds the whole picture.
    QString damage;
    // With PhotoLoader::keepEighth, where decodesEighth() holds: the decode the image was
    // scaled from, upright and in sRGB, the very image decodePhoto() gives for a loader of the
    // photo at a scale of 8. Null otherwise.
    QImage eighth;
};

// Decodes the loader's file at its upright size divided by `scale`, turned upright; from a
// thumbnail the file carries when one covers the loader's cell, never scaled up. A target
// that would take more than maxDecodeBytes is reduced until it fits. Formats that cannot
// decode at a reduced size decode whole and are then scaled. A JPEG missing most of its
// picture fails; one missing less is decoded and named damaged, also when its preview is drawn.
// The result is in sRGB, converted from the colour profile the file carries (toSrgb()); CMYK
// JPEGs are decoded through libjpeg. A failure says why in words for the user.
Result<DecodedPhoto> decodePhoto(const PhotoLoader &loader);

// The EXIF preview of a JPEG file as decodePhoto() would take it for `loader`, upright and at
// most at the loader's target size; null when the loader asks for none, or the preview is
// refused (another shape than `stored`, too small for the cell, damaged, or more costly to
// decode than the photo's `photoBytes`). `device` holds the preview's JPEG alone; `stored` is
// the photo's size as the file has it.
QImage decodePreview(QIODevice *device, const PhotoLoader &loader, const QSize &stored,
                     qint64 photoBytes);

// The image of decodePhoto(): null when the file cannot be read or decoded.
QImage loadPhoto(const PhotoLoader &loader);

// What a photo's header tells about the memory decoding it takes.
struct PhotoHeader
{
    PhotoFormat format = PhotoFormat::Unknown;
    QSize stored; // the size as stored in the file (HEIF: as its container turns it)
    qint64 coefficients = 0; // jpegCoefficientBytes()
    bool reducible = false; // the decoder can reduce the photo while decoding it (JPEG)
    int bytesPerPixel = 4; // of the image the decoder makes
    // What the decoder holds besides that image, per pixel: HEIF's decoded planes and the
    // copy its container's rotation makes, WebP's frame beside its canvas.
    int workingBytesPerPixel = 0;
    // Smaller copies of the photo the file carries, as stored, smallest first (HEIF).
    QList<QSize> thumbnails;
    // The file's bytes that its decode holds in memory (jpegBytesHeld()).
    qint64 heldFileBytes = 0;
};

// Reads the header of a regular file; nothing (the file is not one, or no reader knows it)
// otherwise. Never blocks on a named pipe or device.
std::optional<PhotoHeader> readPhotoHeader(const QString &path);

// The memory, in bytes, that decoding to `target` (a size as stored) takes at its peak: the
// coefficients, the decoder's own image and working memory, and the image scaled to the target.
qint64 decodeBytes(const PhotoHeader &header, const QSize &target);

// The index in header.thumbnails of the smallest that covers `cell` (as stored) both ways;
// -1 when none does or the cell is empty.
int coveringThumbnail(const PhotoHeader &header, const QSize &cell);

// Whether decodePhoto() makes the loader's image of a photo with this header by scaling its
// eighth-size DCT decode: a JPEG whose sides divide by 8, decoded to at most an eighth both
// ways. Its decode then costs no more for keeping that decode too (PhotoLoader::keepEighth).
bool decodesEighth(const PhotoHeader &header, const PhotoLoader &loader);

// The header of what decodePhoto() decodes for `loader`: the photo's, or that of the thumbnail
// it takes instead.
PhotoHeader decodedHeader(const PhotoHeader &header, const PhotoLoader &loader);

// The memory decodePhoto() takes at its peak for `loader`, what a render reserves for it: the
// decode's, and the file it holds while it decodes.
qint64 loaderDecodeBytes(const PhotoHeader &header, const PhotoLoader &loader);

// The least memory any decode of the photo takes.
qint64 smallestDecodeBytes(const PhotoHeader &header);

// `target`, halved as often as needed (down to 1 x 1) for its decode to take at most
// maxDecodeBytes. A photo that is not reducible is still decoded whole first, so for it only
// the scaled copy gets smaller.
QSize affordableTarget(const PhotoHeader &header, const QSize &target);

// Makes sure the image readers may allocate `megabytes`. The limit is process-wide, so it
// is only ever raised; the render raises it once before its jobs start, so that jobs
// running in parallel only read it.
void ensureDecodeLimit(int megabytes);

// The size, as stored in the file, that a loader asks the decoder for.
QSize loaderTarget(const PhotoLoader &loader);

// The memory, in bytes, that the JPEG decoder holds for the DCT coefficients of the whole
// photo, whatever size it is decoded at: a file coded in more than one scan (progressive, or
// with its colour components in separate scans) keeps all of them until the last scan. 0 for
// a file decoded in one pass, and for anything the device does not hold a JPEG header of.
// Reads the device from its position up to the first scan.
qint64 jpegCoefficientBytes(QIODevice *device);

// The bytes a JPEG header may run on between two segments without a marker, and the most of a
// file read for its header up to the first scan. A sound file has none of the first and a few
// hundred kB at most of the second; a probe past either stops there.
constexpr qint64 maxJpegMarkerGap = 64 * 1024;
constexpr qint64 maxJpegHeaderBytes = qint64(64) << 20;

// jpegCoefficientBytes(), or nothing when the probe stopped at a bound: the file is no JPEG a
// decoder should be given.
std::optional<qint64> probeJpegHeader(QIODevice *device);

// The JPEG decoder takes its fast path only while some kilobytes of the file are in memory,
// which a file read in pieces seldom gives it: a file up to this size is read whole for its
// decode, which then takes about a tenth less time.
constexpr qint64 maxHeldJpegBytes = qint64(64) << 20;

// The bytes of a JPEG file of `fileSize` that its decode holds: all of them up to
// maxHeldJpegBytes, none past it.
constexpr qint64 jpegBytesHeld(qint64 fileSize)
{
    return fileSize > 0 && fileSize <= maxHeldJpegBytes ? fileSize : 0;
}

// What a photo's coefficients may take: a progressive photo of 150 megapixels with the usual
// half-resolution colour, or of 75 with full-resolution colour. A camera's largest photos are
// written in one pass and need none, but a header of a few bytes can claim 65000 x 65000, which
// would ask for 12 GB. A photo over it is refused when it is added.
constexpr qint64 maxCoefficientBytes = qint64(448) << 20;

// What one decode may take in all: about 268 megapixels at 4 bytes each for a format decoded
// whole. A photo whose smallest decode needs more is refused when it is added; larger targets
// of the others are reduced to fit.
constexpr qint64 maxDecodeBytes = qint64(1) << 30;

// What the decodes running at once may hold together (MemoryBudget::decoding()). A decode
// that needs more than this runs alone.
constexpr qint64 decodingBudgetBytes = qint64(512) << 20;

#endif // PHOTOLOADER_H
