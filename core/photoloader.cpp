#include "photoloader.h"

#include "cmykjpeg.h"
#include "colourprofile.h"
#include "exifreader.h"
#include "heifreader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLoggingCategory>
#include <QMutex>
#include <QTransform>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <memory>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcPhoto, "vellomir.photo", QtWarningMsg)

namespace {

// The reasons a photo is refused, in the catalogues' PhotoLoader context.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(PhotoLoader)
};

qint64 megabytes(qint64 bytes)
{
    return (bytes + (1 << 20) - 1) >> 20;
}

// Only a regular file is opened: opening a named pipe waits for a writer, and opening a device
// may do anything. The type is checked before the open and again on what was opened, which is
// opened without blocking, so that a pipe put in the file's place in between cannot hang it.
Result<std::unique_ptr<QFile>> openRegularFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat before;
    if (name.isEmpty() || ::stat(name.constData(), &before) != 0)
        return Failure {errno == EACCES ? Words::tr("not readable") : Words::tr("no such file")};
    if (!S_ISREG(before.st_mode))
        return Failure {Words::tr("not a regular file")};
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Failure {errno == ENOENT ? Words::tr("no such file") : Words::tr("not readable")};
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return Failure {Words::tr("not a regular file")};
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure {Words::tr("not readable")};
    }
    return file;
}

PhotoHeader headerOf(QImageReader &reader, PhotoFormat format, qint64 coefficients)
{
    PhotoHeader header;
    header.format = format;
    header.stored = reader.size();
    header.coefficients = coefficients;
    if (format == PhotoFormat::Jpeg && reader.device())
        header.heldFileBytes = jpegBytesHeld(reader.device()->size());
    // Other readers take a scaled size too, but decode the whole image before they scale it.
    header.reducible = format == PhotoFormat::Jpeg;
    // An animation's frame is drawn onto a canvas of its own.
    header.workingBytesPerPixel = format == PhotoFormat::Webp ? 4 : 0;
    // Read from the header, so anything a damaged one holds: only formats Qt knows are used.
    const QImage::Format imageFormat = reader.imageFormat();
    if (imageFormat > QImage::Format_Invalid && imageFormat < QImage::NImageFormats)
        header.bytesPerPixel = std::max(4, QImage::toPixelFormat(imageFormat).bitsPerPixel() / 8);
    return header;
}

PhotoHeader headerOf(const HeifFile &heif, PhotoFormat format)
{
    PhotoHeader header;
    header.format = format;
    header.stored = heif.size();
    header.thumbnails = heif.thumbnails();
    // The decoder's planes (twice over while libheif copies them out of it), then the RGBA
    // image beside the copy that the container's rotation makes; more above 8 bits.
    header.workingBytesPerPixel = heif.bitDepth() > 8 ? 12 : 4;
    return header;
}

// A reader for the format alone: guessing from the content could hand a damaged photo to
// a plugin for some other format that takes almost anything as its own.
// Why probeJpegHeader() gave up on a file.
QString endlessJpegHeader()
{
    return Words::tr("the JPEG header runs on without a picture");
}

void restrictToFormat(QImageReader &reader)
{
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
}

// The header of the open file, or why there is none.
Result<PhotoHeader> readHeader(QFile &file, PhotoFormat format)
{
    const auto refuse = [](const QString &reason) { return Failure {reason}; };
    if (format == PhotoFormat::Unknown)
        return refuse(Words::tr("not a usable image"));
    if (format == PhotoFormat::Heif || format == PhotoFormat::Avif) {
        const Result<HeifFile> opening = HeifFile::open(&file);
        if (!opening) {
            qCDebug(lcPhoto) << "HEIF refused:" << opening.error();
            return refuse(Words::tr("not a usable image"));
        }
        return headerOf(*opening, format);
    }
    std::optional<qint64> coefficients = 0;
    if (format == PhotoFormat::Jpeg && file.seek(0))
        coefficients = probeJpegHeader(&file);
    if (!coefficients)
        return refuse(endlessJpegHeader());
    if (!file.seek(0))
        return refuse(Words::tr("not readable"));
    const QByteArray plugin = qtReaderFormat(format);
    if (!QImageReader::supportedImageFormats().contains(plugin))
        return refuse(
            Words::tr("no image reader for %1 is installed").arg(QString::fromLatin1(plugin)));
    QImageReader reader(&file, plugin);
    restrictToFormat(reader);
    if (!reader.canRead())
        return refuse(Words::tr("not a usable image"));
    return headerOf(reader, format, *coefficients);
}

// The EXIF orientation of an open file in a format that carries one in its header.
int readOrientation(QFile &file, PhotoFormat format)
{
    try {
        switch (format) {
        case PhotoFormat::Jpeg:
            return file.seek(0) ? ExifReader::readOrientation(&file) : 0;
        case PhotoFormat::Png:
            return ExifReader::pngOrientation(&file);
        case PhotoFormat::Webp:
            return ExifReader::webpOrientation(&file);
        case PhotoFormat::Tiff:
            return ExifReader::tiffOrientation(&file);
        case PhotoFormat::Heif: // the container turns the photo as it is decoded
        case PhotoFormat::Avif:
        case PhotoFormat::Unknown:
            break;
        }
    } catch (const std::bad_alloc &) {
    }
    return 0;
}

qint64 imageBytes(const QSize &size, int bytesPerPixel)
{
    return qint64(std::max(size.width(), 0)) * std::max(size.height(), 0) * bytesPerPixel;
}

} // namespace

Result<PhotoReading> readPhoto(const QString &path)
{
    const auto refuse = [](const QString &reason) { return Failure {reason}; };
    const Result<std::unique_ptr<QFile>> opened = openRegularFile(path);
    if (!opened)
        return refuse(opened.error());
    QFile &file = **opened;
    const PhotoFormat format = detectPhotoFormat(&file);
    const Result<PhotoHeader> reading = readHeader(file, format);
    if (!reading)
        return refuse(reading.error());
    const PhotoHeader &header = *reading;
    const QSize size = header.stored;
    if (!size.isValid() || size.width() < 1 || size.height() < 1)
        return refuse(Words::tr("not a usable image"));
    if (size.width() > maxPhotoSide || size.height() > maxPhotoSide)
        return refuse(Words::tr("%1 x %2 pixels, more than the %3 a side a collage takes")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(maxPhotoSide));
    // A decode would keep all the coefficients however small it is asked for.
    if (header.coefficients > maxCoefficientBytes)
        return refuse(Words::tr("a progressive JPEG of %1 x %2 pixels needs %3 MB to decode, more "
                                "than the %4 MB a photo may take")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(megabytes(header.coefficients))
                          .arg(megabytes(maxCoefficientBytes)));
    const qint64 smallest = smallestDecodeBytes(header);
    if (smallest > maxDecodeBytes)
        return refuse(Words::tr("%1 x %2 pixels need %3 MB to decode, more than the %4 MB a photo "
                                "may take")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(megabytes(smallest))
                          .arg(megabytes(maxDecodeBytes)));

    PhotoRecord record {path, size, 1, QPointF(), 0, std::nullopt};
    const int orientation = readOrientation(file, format);
    if (orientation >= 1 && orientation <= 8) {
        record.orientation = orientation;
        if (orientationSwapsSides(orientation))
            record.size.transpose();
    }
    return PhotoReading {record, format};
}

std::optional<PhotoRecord> createPhotoRecord(const QString &path)
{
    if (const Result<PhotoReading> reading = readPhoto(path))
        return reading->record;
    return std::nullopt;
}

std::optional<PhotoHeader> readPhotoHeader(const QString &path)
{
    const Result<std::unique_ptr<QFile>> opened = openRegularFile(path);
    if (!opened)
        return std::nullopt;
    if (Result<PhotoHeader> header = readHeader(**opened, detectPhotoFormat(opened->get())))
        return *header;
    return std::nullopt;
}

qint64 decodeBytes(const PhotoHeader &header, const QSize &target)
{
    const qint64 scaled = imageBytes(target, header.bytesPerPixel);
    if (!header.reducible)
        return imageBytes(header.stored, header.bytesPerPixel + header.workingBytesPerPixel)
               + (target == header.stored ? 0 : scaled);
    // The decoder reduces by 1/2, 1/4 or 1/8 while decoding, as far as the target allows, into
    // an image of its own, which is then scaled to the target.
    int denominator = 1;
    while (denominator < 8 && !target.isEmpty()
           && header.stored.width() / (2 * denominator) >= target.width()
           && header.stored.height() / (2 * denominator) >= target.height())
        denominator *= 2;
    const QSize reduced((header.stored.width() + denominator - 1) / denominator,
                        (header.stored.height() + denominator - 1) / denominator);
    return header.coefficients + imageBytes(reduced, header.bytesPerPixel)
           + (reduced == target ? 0 : scaled);
}

qint64 smallestDecodeBytes(const PhotoHeader &header)
{
    return decodeBytes(header, QSize(1, 1));
}

QSize affordableTarget(const PhotoHeader &header, const QSize &target)
{
    QSize size = target;
    while (decodeBytes(header, size) > maxDecodeBytes && (size.width() > 1 || size.height() > 1))
        size = QSize(std::max(1, size.width() / 2), std::max(1, size.height() / 2));
    return size;
}

int coveringThumbnail(const PhotoHeader &header, const QSize &cell)
{
    if (cell.isEmpty())
        return -1;
    for (int i = 0; i < header.thumbnails.size(); ++i) {
        const QSize &thumbnail = header.thumbnails.at(i);
        if (thumbnail.width() >= cell.width() && thumbnail.height() >= cell.height())
            return i;
    }
    return -1;
}

namespace {

// The loader's cell as the file stores the photo. A thumbnail stands in for the photo only
// where previews are asked for, on the working canvas: a save decodes the photo itself.
QSize storedCell(const PhotoLoader &loader)
{
    if (!loader.previews)
        return QSize();
    return orientationSwapsSides(loader.orientation) ? loader.cell.transposed() : loader.cell;
}

} // namespace

PhotoHeader decodedHeader(const PhotoHeader &header, const PhotoLoader &loader)
{
    const int thumbnail = coveringThumbnail(header, storedCell(loader));
    if (thumbnail < 0)
        return header;
    PhotoHeader small = header;
    small.stored = header.thumbnails.at(thumbnail);
    small.thumbnails.clear();
    return small;
}

// The size a decode of `decoded` comes out at: the loader's, within the memory a decode may
// take; a thumbnail that does not cover it both ways is taken as it is, never scaled up.
static QSize decodeTarget(const PhotoHeader &decoded, const PhotoLoader &loader)
{
    const QSize target = affordableTarget(decoded, loaderTarget(loader));
    return target.width() <= decoded.stored.width() && target.height() <= decoded.stored.height()
               ? target
               : decoded.stored;
}

qint64 loaderDecodeBytes(const PhotoHeader &header, const PhotoLoader &loader)
{
    const PhotoHeader decoded = decodedHeader(header, loader);
    return decodeBytes(decoded, decodeTarget(decoded, loader)) + decoded.heldFileBytes;
}

QSize loaderTarget(const PhotoLoader &loader)
{
    const double scale = std::max(1.0, loader.scale);
    QSize target(int(loader.width / scale), int(loader.height / scale));
    if (orientationSwapsSides(loader.orientation))
        target.transpose();
    return target;
}

void ensureDecodeLimit(int megabytes)
{
    static QMutex mutex;
    QMutexLocker locker(&mutex);
    const int current = QImageReader::allocationLimit();
    if (current != 0 && megabytes > current)
        QImageReader::setAllocationLimit(megabytes);
}

static QImage turnUpright(const QImage &image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.transformed(QTransform().rotate(90), Qt::FastTransformation)
            .mirrored(true, false);
    case 6:
        return image.transformed(QTransform().rotate(90), Qt::FastTransformation);
    case 7:
        return image.transformed(QTransform().rotate(-90), Qt::FastTransformation)
            .mirrored(true, false);
    case 8:
        return image.transformed(QTransform().rotate(-90), Qt::FastTransformation);
    default:
        return image;
    }
}

qint64 jpegCoefficientBytes(QIODevice *device)
{
    return probeJpegHeader(device).value_or(0);
}

std::optional<qint64> probeJpegHeader(QIODevice *device)
{
    const qint64 start = device->pos();
    const auto next = [device](uchar &byte) {
        char c = 0;
        const bool ok = device->getChar(&c);
        byte = uchar(c);
        return ok;
    };
    uchar first = 0;
    uchar second = 0;
    if (!next(first) || !next(second) || first != 0xFF || second != 0xD8)
        return 0;

    struct Component
    {
        int h;
        int v;
    };
    QVarLengthArray<Component, 4> components;
    qint64 width = 0;
    qint64 height = 0;
    bool progressive = false;
    for (;;) {
        uchar marker = 0;
        bool previousFF = false;
        if (device->pos() - start > maxJpegHeaderBytes)
            return std::nullopt;
        for (qint64 gap = 0;; ++gap) {
            uchar byte = 0;
            if (gap > maxJpegMarkerGap + 1)
                return std::nullopt;
            if (!next(byte))
                return 0;
            // 0xFF 0x00 is a stuffed byte of coded data, never a marker.
            if (byte != 0xFF && byte != 0x00 && previousFF) {
                marker = byte;
                break;
            }
            previousFF = byte == 0xFF;
        }
        // Markers without a segment.
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD9)
            return 0;

        uchar high = 0;
        uchar low = 0;
        if (!next(high) || !next(low))
            return 0;
        const int length = (high << 8) | low;
        if (length < 2)
            return 0;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
                           && marker != 0xCC;
        if (!frame && marker != 0xDA) {
            if (device->skip(length - 2) != length - 2)
                return 0;
            continue;
        }

        const QByteArray payload = device->read(length - 2);
        if (payload.size() != length - 2 || payload.isEmpty())
            return 0;
        const auto at = [&payload](int i) { return int(uchar(payload.at(i))); };
        if (frame) {
            if (payload.size() < 6)
                return 0;
            height = (at(1) << 8) | at(2);
            width = (at(3) << 8) | at(4);
            const int count = at(5);
            if (count < 1 || payload.size() < 6 + 3 * count)
                return 0;
            components.clear();
            for (int i = 0; i < count; ++i) {
                const int sampling = at(6 + 3 * i + 1);
                if ((sampling >> 4) < 1 || (sampling & 15) < 1)
                    return 0; // the decoder refuses such a frame before it allocates anything
                components.append({sampling >> 4, sampling & 15});
            }
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            continue;
        }

        // The first scan: it tells whether the file is decoded in one pass.
        if (components.isEmpty() || width < 1 || height < 1)
            return 0;
        if (!progressive && at(0) >= components.size())
            return 0;
        int hMax = 1;
        int vMax = 1;
        for (const Component &c : std::as_const(components)) {
            hMax = std::max(hMax, c.h);
            vMax = std::max(vMax, c.v);
        }
        // libjpeg's whole-image coefficient arrays: per component, its blocks padded to its
        // sampling factors, 64 coefficients of 2 bytes each.
        const auto blocks = [](qint64 samples, int factor, int maxFactor) {
            const qint64 n = (samples * factor + 8 * maxFactor - 1) / (8 * maxFactor);
            return (n + factor - 1) / factor * factor;
        };
        qint64 bytes = 0;
        for (const Component &c : std::as_const(components))
            bytes += blocks(width, c.h, hMax) * blocks(height, c.v, vMax) * 128;
        return bytes;
    }
}

namespace {

// Images deeper than 8 bits a channel are kept as 8: the tiles are drawn at 8 anyway, and the
// cache would hold twice the memory.
QImage eightBits(QImage image)
{
    if (image.depth() <= 32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

Result<DecodedPhoto> decodeHeif(QFile &file, PhotoFormat format, const PhotoLoader &loader)
{
    const auto failed = [](const QString &error) { return Failure {error}; };
    const Result<HeifFile> opening = HeifFile::open(&file);
    if (!opening)
        return failed(opening.error());
    const PhotoHeader header = headerOf(*opening, format);
    // The file may have changed since it was added.
    if (const qint64 whole = smallestDecodeBytes(header); whole > maxDecodeBytes)
        return failed(Words::tr("needs %1 MB to decode").arg(megabytes(whole)));
    int thumbnail = coveringThumbnail(header, storedCell(loader));
    QSize target = decodeTarget(decodedHeader(header, loader), loader);
    Result<HeifImage> decoded = opening->decode(thumbnail);
    if (!decoded && thumbnail >= 0) {
        // A damaged thumbnail does not cost the photo.
        qCDebug(lcPhoto) << loader.path << "thumbnail" << decoded.error();
        thumbnail = -1;
        target = decodeTarget(header, loader);
        decoded = opening->decode();
    }
    if (!decoded)
        return failed(decoded.error());
    HeifImage &image = *decoded;
    if (target.isEmpty())
        return failed(Words::tr("not a usable image"));
    qCDebug(lcPhoto) << loader.path << (thumbnail >= 0 ? "thumbnail" : "image")
                     << image.image.size() << "to" << target;
    // What the decoder made may differ from what the container promised: the target holds.
    if (image.image.size() != target)
        image.image = image.image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QByteArray profile = image.profile.isEmpty()
                                   ? codedColourProfile(image.primaries, image.transfer)
                                   : image.profile;
    return DecodedPhoto {
        turnUpright(toSrgb(eightBits(std::move(image.image)), profile), loader.orientation),
        QString(), QImage()};
}

} // namespace

QImage decodePreview(QIODevice *device, const PhotoLoader &loader, const QSize &stored,
                     qint64 photoBytes)
{
    if (!loader.previews || loader.cell.isEmpty() || stored.isEmpty() || device->size() < 4)
        return QImage();
    // The decoder fills a truncated JPEG with grey and calls it a success.
    if (!device->seek(device->size() - 2) || device->read(2) != QByteArray("\xFF\xD9", 2)
        || !device->seek(0))
        return QImage();
    const qint64 coefficients = jpegCoefficientBytes(device);
    if (!device->seek(0))
        return QImage();
    QImageReader reader(device, "jpeg");
    restrictToFormat(reader);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return QImage();
    const PhotoHeader header = headerOf(reader, PhotoFormat::Jpeg, coefficients);
    const QSize size = header.stored;
    // Compared as products, so that no side is divided by: 1 % of the photo's shape.
    const double shape = double(size.width()) * stored.height();
    const double photoShape = double(stored.width()) * size.height();
    const QSize cell = storedCell(loader);
    if (size.isEmpty() || std::abs(shape - photoShape) > 0.01 * photoShape
        || size.width() < cell.width() || size.height() < cell.height()
        || size.width() > stored.width() || size.height() > stored.height())
        return QImage();
    const QSize wanted = loaderTarget(loader);
    const QSize target
        = !wanted.isEmpty() && wanted.width() <= size.width() && wanted.height() <= size.height()
              ? wanted
              : size;
    // A preview is no use when it costs more than the photo whose place it takes.
    if (decodeBytes(header, target) > photoBytes)
        return QImage();
    if (target != size)
        reader.setScaledSize(target);
    const QImage decoded = reader.read();
    if (decoded.isNull() || decoded.size() != target) {
        qCDebug(lcPhoto) << loader.path << "preview refused:" << reader.errorString();
        return QImage();
    }
    qCDebug(lcPhoto) << loader.path << "preview" << size << "to" << target;
    return turnUpright(eightBits(decoded), loader.orientation);
}

// The rows at the bottom of the image that are one flat mid-grey: what the JPEG decoder fills
// in where a file ran out of data.
static int greyRowsAtBottom(const QImage &image)
{
    const auto grey = [](QRgb pixel) {
        return std::abs(qRed(pixel) - 128) <= 2 && std::abs(qGreen(pixel) - 128) <= 2
               && std::abs(qBlue(pixel) - 128) <= 2;
    };
    int rows = 0;
    for (int y = image.height() - 1; y >= 0; --y, ++rows) {
        for (int x = 0; x < image.width(); ++x) {
            if (!grey(image.pixel(x, y)))
                return rows;
        }
    }
    return rows;
}

// Whether an end-of-image marker follows the first scan of the JPEG `file`: a file cut off in
// its scans has none. Searched from the scans on rather than only at the end of the file, which
// may carry more after the marker (a second picture, a video, padding).
static bool endsInItsMarker(QFile &file)
{
    const QByteArray end("\xFF\xD9", 2);
    if (file.size() >= 2 && file.seek(file.size() - 2) && file.read(2) == end)
        return true;
    if (!file.seek(0) || !probeJpegHeader(&file))
        return false;
    // Coded data never holds 0xFF 0xD9: a 0xFF in it is followed by 0x00 or a restart marker.
    char last = 0;
    for (;;) {
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty())
            return false;
        if ((last == '\xFF' && chunk.front() == '\xD9') || chunk.contains(end))
            return true;
        last = chunk.back();
    }
}

// Whether a JPEG file holds less than its picture: it lacks its end-of-image marker, or has
// fewer bits than the `stored` size has 8 x 8 blocks, when no code of a scan is shorter (a
// header claiming far more pixels than its data holds). The decoder makes up what is missing.
static bool cutOffJpeg(bool endsInMarker, qint64 fileSize, const QSize &stored)
{
    const qint64 blocks = qint64((stored.width() + 7) / 8) * ((stored.height() + 7) / 8);
    return !endsInMarker || fileSize * 8 < blocks;
}

Result<DecodedPhoto> decodePhoto(const PhotoLoader &loader)
{
    const auto failed = [](const QString &error) { return Failure {error}; };
    const Result<std::unique_ptr<QFile>> opened = openRegularFile(loader.path);
    if (!opened)
        return failed(opened.error());
    QFile &file = **opened;
    const PhotoFormat format = detectPhotoFormat(&file);
    if (format == PhotoFormat::Heif || format == PhotoFormat::Avif)
        return decodeHeif(file, format, loader);
    // Read before the photo's reader takes the file over, like the preview below.
    const PhotoColour colour = readPhotoColour(&file, format);
    const QByteArray plugin = qtReaderFormat(format);
    if (plugin.isEmpty() || !file.seek(0))
        return failed(Words::tr("not a usable image"));
    // The decoder would take that memory before it finds out how little data follows.
    const std::optional<qint64> probed
        = format == PhotoFormat::Jpeg ? probeJpegHeader(&file) : std::optional<qint64>(0);
    if (!probed)
        return failed(endlessJpegHeader());
    const qint64 coefficients = *probed;
    if (coefficients > maxCoefficientBytes)
        return failed(Words::tr("needs %1 MB to decode").arg(megabytes(coefficients)));
    if (!file.seek(0))
        return failed(Words::tr("not readable"));
    // Looked at before the reader takes the file over, and before a preview can stand in for
    // the photo: a cut-off photo is named whichever is drawn.
    const bool endsInMarker = format != PhotoFormat::Jpeg || endsInItsMarker(file);
    if (!file.seek(0))
        return failed(Words::tr("not readable"));
    QByteArray preview;
    if (loader.previews && format == PhotoFormat::Jpeg && !loader.cell.isEmpty()) {
        preview = ExifReader::jpegThumbnail(&file).value_or(QByteArray());
        if (!file.seek(0))
            return failed(Words::tr("not readable"));
    }
    // Where the reader may be moved to before it decodes, declared first to outlive it.
    QByteArray held;
    QBuffer heldBuffer(&held);
    QImageReader reader(&file, plugin);
    restrictToFormat(reader);
    // The photo is turned upright below, from the orientation read when it was added.
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return failed(Words::tr("not a usable image"));

    const PhotoHeader header = headerOf(reader, format, coefficients);
    const QSize target = affordableTarget(header, loaderTarget(loader));
    if (target.isEmpty() || header.stored.isEmpty())
        return failed(Words::tr("not a usable image"));
    const bool cutOff
        = format == PhotoFormat::Jpeg && cutOffJpeg(endsInMarker, file.size(), header.stored);
    const QString damage
        = cutOff ? Words::tr("the file ends before the end of the picture") : QString();
    const qint64 photoBytes = std::min(decodeBytes(header, target), maxDecodeBytes);
    if (!preview.isEmpty()) {
        QBuffer buffer(&preview);
        buffer.open(QIODevice::ReadOnly);
        QImage image = decodePreview(&buffer, loader, header.stored, photoBytes);
        // A preview shares the photo's colours, though it rarely carries their profile.
        if (!image.isNull())
            return DecodedPhoto {toSrgb(std::move(image), colour.profile), damage, QImage()};
    }
    if (colour.jpegComponents == 4) {
        Result<QImage> cmyk = decodeCmykJpeg(&file, target, colour);
        if (!cmyk)
            return failed(cmyk.error());
        return DecodedPhoto {turnUpright(*std::move(cmyk), loader.orientation), damage, QImage()};
    }
    // Qt's reader gives libjpeg a file held in a QBuffer all at once (jpegBytesHeld()).
    if (header.heldFileBytes > 0) {
        if (!file.seek(0))
            return failed(Words::tr("not readable"));
        held = file.read(header.heldFileBytes);
        if (held.size() != header.heldFileBytes || !heldBuffer.open(QIODevice::ReadOnly))
            return failed(Words::tr("not readable"));
        reader.setDevice(&heldBuffer);
    }
    ensureDecodeLimit(int(megabytes(photoBytes)) + 1);
    // The reader decodes at the eighth and scales that smoothly to the target itself: asked for
    // the eighth, it hands that over, and the same scaling makes the same pixels.
    const bool eighth
        = loader.keepEighth && target == loaderTarget(loader) && decodesEighth(header, loader);
    const QSize stored = header.stored;
    reader.setScaledSize(eighth ? stored / 8 : target);
    QImage decoded = reader.read();
    if (decoded.isNull())
        return failed(reader.errorString());
    QImage whole;
    if (eighth) {
        whole = decoded;
        decoded = decoded.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // Short of most of the picture, a cut-off file is no photo.
    if (cutOff && 2 * greyRowsAtBottom(decoded) > decoded.height())
        return failed(Words::tr("the file ends before most of the picture"));
    const auto finished = [&](QImage image) {
        return turnUpright(toSrgb(eightBits(std::move(image)), colour.profile), loader.orientation);
    };
    return DecodedPhoto {finished(std::move(decoded)), damage,
                         whole.isNull() ? QImage() : finished(std::move(whole))};
}

bool decodesEighth(const PhotoHeader &header, const PhotoLoader &loader)
{
    const QSize stored = header.stored;
    if (header.format != PhotoFormat::Jpeg || loader.previews || stored.isEmpty()
        || stored.width() % 8 || stored.height() % 8)
        return false;
    // The reader reduces by the integer ratio of the sides, the smaller of the two.
    const QSize target = loaderTarget(loader);
    return !target.isEmpty() && target.width() <= stored.width() / 8
           && target.height() <= stored.height() / 8;
}

QImage loadPhoto(const PhotoLoader &loader)
{
    if (Result<DecodedPhoto> decoded = decodePhoto(loader))
        return std::move(decoded->image);
    return QImage();
}
