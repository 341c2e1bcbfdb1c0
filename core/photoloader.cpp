#include "photoloader.h"

#include "exifreader.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
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

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PhotoLoader", text);
}

qint64 megabytes(qint64 bytes)
{
    return (bytes + (1 << 20) - 1) >> 20;
}

// A regular file opened for reading, or why it was not.
struct RegularFile
{
    std::unique_ptr<QFile> file;
    QString error;
};

// Only a regular file is opened: opening a named pipe waits for a writer, and opening a device
// may do anything. The type is checked before the open and again on what was opened, which is
// opened without blocking, so that a pipe put in the file's place in between cannot hang it.
RegularFile openRegularFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat before;
    if (name.isEmpty() || ::stat(name.constData(), &before) != 0)
        return {nullptr, errno == EACCES ? tr("not readable") : tr("no such file")};
    if (!S_ISREG(before.st_mode))
        return {nullptr, tr("not a regular file")};
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {nullptr, errno == ENOENT ? tr("no such file") : tr("not readable")};
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return {nullptr, tr("not a regular file")};
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {nullptr, tr("not readable")};
    }
    return {std::move(file), QString()};
}

PhotoHeader headerOf(QImageReader &reader, qint64 coefficients)
{
    PhotoHeader header;
    header.stored = reader.size();
    header.coefficients = coefficients;
    // Other readers take a scaled size too, but decode the whole image before they scale it.
    header.reducible = reader.format() == "jpeg";
    // Read from the header, so anything a damaged one holds: only formats Qt knows are used.
    const QImage::Format format = reader.imageFormat();
    if (format > QImage::Format_Invalid && format < QImage::NImageFormats)
        header.bytesPerPixel = std::max(4, QImage::toPixelFormat(format).bitsPerPixel() / 8);
    return header;
}

qint64 imageBytes(const QSize &size, int bytesPerPixel)
{
    return qint64(std::max(size.width(), 0)) * std::max(size.height(), 0) * bytesPerPixel;
}

} // namespace

PhotoReading readPhoto(const QString &path)
{
    const auto refuse = [](const QString &reason) { return PhotoReading {std::nullopt, reason}; };
    const RegularFile opened = openRegularFile(path);
    if (!opened.file)
        return refuse(opened.error);
    QFile &file = *opened.file;
    const qint64 coefficients = jpegCoefficientBytes(&file);
    if (!file.seek(0))
        return refuse(tr("not readable"));
    QImageReader reader(&file, QByteArray());
    if (!reader.canRead())
        return refuse(tr("not a usable image"));
    const PhotoHeader header = headerOf(reader, coefficients);
    const QSize size = header.stored;
    if (!size.isValid() || size.width() < 1 || size.height() < 1)
        return refuse(tr("not a usable image"));
    if (size.width() > maxPhotoSide || size.height() > maxPhotoSide)
        return refuse(tr("%1 x %2 pixels, more than the %3 a side a collage takes")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(maxPhotoSide));
    // A decode would keep all the coefficients however small it is asked for.
    if (coefficients > maxCoefficientBytes)
        return refuse(tr("a progressive JPEG of %1 x %2 pixels needs %3 MB to decode, more "
                         "than the %4 MB a photo may take")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(megabytes(coefficients))
                          .arg(megabytes(maxCoefficientBytes)));
    const qint64 smallest = smallestDecodeBytes(header);
    if (smallest > maxDecodeBytes)
        return refuse(tr("%1 x %2 pixels need %3 MB to decode, more than the %4 MB a photo "
                         "may take")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(megabytes(smallest))
                          .arg(megabytes(maxDecodeBytes)));

    PhotoRecord record {path, size, 1, QPointF()};
    int orientation = 0;
    if (file.seek(0)) {
        try {
            ExifReader().readOrientation(&file, orientation);
        } catch (const std::bad_alloc &) {
            orientation = 0;
        }
    }
    if (orientation >= 1 && orientation <= 8) {
        record.orientation = orientation;
        if (orientationSwapsSides(orientation))
            record.size.transpose();
    }
    return {record, QString()};
}

std::optional<PhotoRecord> createPhotoRecord(const QString &path)
{
    return readPhoto(path).record;
}

std::optional<PhotoHeader> readPhotoHeader(const QString &path)
{
    const RegularFile opened = openRegularFile(path);
    if (!opened.file)
        return std::nullopt;
    const qint64 coefficients = jpegCoefficientBytes(opened.file.get());
    if (!opened.file->seek(0))
        return std::nullopt;
    QImageReader reader(opened.file.get(), QByteArray());
    if (!reader.canRead())
        return std::nullopt;
    return headerOf(reader, coefficients);
}

qint64 decodeBytes(const PhotoHeader &header, const QSize &target)
{
    const qint64 scaled = imageBytes(target, header.bytesPerPixel);
    if (!header.reducible)
        return imageBytes(header.stored, header.bytesPerPixel)
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
        for (;;) {
            uchar byte = 0;
            if (!next(byte))
                return 0;
            if (byte != 0xFF && previousFF) {
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

DecodedPhoto decodePhoto(const PhotoLoader &loader)
{
    const auto failed = [](const QString &error) { return DecodedPhoto {QImage(), error}; };
    const RegularFile opened = openRegularFile(loader.path);
    if (!opened.file)
        return failed(opened.error);
    QFile &file = *opened.file;
    // The decoder would take that memory before it finds out how little data follows.
    const qint64 coefficients = jpegCoefficientBytes(&file);
    if (coefficients > maxCoefficientBytes)
        return failed(tr("needs %1 MB to decode").arg(megabytes(coefficients)));
    if (!file.seek(0))
        return failed(tr("not readable"));
    QImageReader reader(&file, QByteArray());
    // The photo is turned upright below, from the orientation read when it was added.
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return failed(tr("not a usable image"));

    const PhotoHeader header = headerOf(reader, coefficients);
    const QSize target = affordableTarget(header, loaderTarget(loader));
    if (target.isEmpty() || header.stored.isEmpty())
        return failed(tr("not a usable image"));
    ensureDecodeLimit(int(megabytes(std::min(decodeBytes(header, target), maxDecodeBytes))) + 1);
    reader.setScaledSize(target);
    const QImage decoded = reader.read();
    if (decoded.isNull())
        return failed(reader.errorString());
    return {turnUpright(decoded, loader.orientation), QString()};
}

QImage loadPhoto(const PhotoLoader &loader)
{
    return decodePhoto(loader).image;
}
