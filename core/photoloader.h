#ifndef PHOTOLOADER_H
#define PHOTOLOADER_H

#include <QPointF>
#include <QSize>
#include <QString>

#include <optional>

class QImage;
class QIODevice;

// What the collection knows of one photo without decoding it. `size` is upright: the
// header size with width and height exchanged for the orientations that turn a quarter.
struct PhotoRecord
{
    QString path;
    QSize size {0, 0};
    int orientation = 1; // EXIF orientation, 1 to 8
    // Where the crop sits, as a fraction of the upright photo's size away from the centred
    // crop; (0, 0) is centred. Relative to the photo, so it holds at every cell size.
    QPointF crop;

    friend bool operator==(const PhotoRecord &a, const PhotoRecord &b)
    {
        return a.path == b.path && a.size == b.size && a.orientation == b.orientation
               && a.crop == b.crop;
    }
};

// The largest side the layout can hold (it stores sides in 16 bits).
constexpr int maxPhotoSide = 65535;

// Probes the header size without decoding pixels; false when no image reader accepts the file.
bool readPhotoSize(const QString &path, QSize &size);

// Builds the record for a file being added, or nothing (the file is refused) when it cannot be
// read or its size is unusable.
std::optional<PhotoRecord> createPhotoRecord(const QString &path);

// Whether an EXIF orientation turns the photo by a quarter, exchanging width and height.
inline bool orientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// One decoding job.
struct PhotoLoader
{
    QString path;
    double scale = 1.0; // reduction factor, never below 1
    int width = 0; // upright photo width
    int height = 0; // upright photo height
    int orientation = 1;
};

// Decodes the loader's file at its upright size divided by `scale`, turned upright. A file
// that cannot be read or decoded gives the null image.
QImage loadPhoto(const PhotoLoader &loader);

// Makes sure the image readers may allocate `megabytes`. The limit is process-wide, so it
// is only ever raised; the render raises it once before its jobs start, so that jobs
// running in parallel only read it.
void ensureDecodeLimit(int megabytes);

// The allocation, in megabytes, that decoding a photo stored at `stored` to `target` needs.
int decodeLimitFor(const QSize &stored, const QSize &target);

// The size, as stored in the file, that a loader asks the decoder for.
QSize loaderTarget(const PhotoLoader &loader);

// The memory, in bytes, that the JPEG decoder holds for the DCT coefficients of the whole
// photo, whatever size it is decoded at: a file coded in more than one scan (progressive, or
// with its colour components in separate scans) keeps all of them until the last scan. 0 for
// a file decoded in one pass, and for anything the device does not hold a JPEG header of.
// Reads the device from its position up to the first scan.
qint64 jpegCoefficientBytes(QIODevice *device);

// What a photo's coefficients may take. Far above any camera photo (a 100-megapixel
// progressive file needs 300 to 600 MB), but a header of a few bytes can claim 65000 x 65000,
// which would ask for 12 GB.
constexpr qint64 maxCoefficientBytes = qint64(1) << 30;

#endif // PHOTOLOADER_H
