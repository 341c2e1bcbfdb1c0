#include "photoloader.h"

#include "exifreader.h"

#include <QDebug>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMutex>
#include <QTransform>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

bool readPhotoSize(const QString &path, QSize &size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QImageReader reader(&file, QByteArray());
    if (!reader.canRead()) {
        file.close();
        return false;
    }
    size = reader.size();
    qDebug() << "size3:" << size;
    file.close();
    return true;
}

std::optional<PhotoRecord> createPhotoRecord(const QString &path)
{
    QSize size;
    if (!readPhotoSize(path, size) || !size.isValid() || size.width() < 1 || size.height() < 1
        || size.width() > maxPhotoSide || size.height() > maxPhotoSide)
        return std::nullopt;
    std::optional<PhotoRecord> record(PhotoRecord {path, size, 1, QPointF()});

    int orientation = 0;
    ExifReader().readOrientation(path, orientation);
    if (orientation >= 1 && orientation <= 8) {
        record->orientation = orientation;
        if (orientationSwapsSides(orientation))
            record->size.transpose();
    } else {
        record->orientation = 1;
    }
    return record;
}

QSize loaderTarget(const PhotoLoader &loader)
{
    const double scale = std::max(1.0, loader.scale);
    QSize target(int(loader.width / scale), int(loader.height / scale));
    if (orientationSwapsSides(loader.orientation))
        target.transpose();
    return target;
}

int decodeLimitFor(const QSize &stored, const QSize &target)
{
    if (stored.isEmpty() || target.isEmpty())
        return 0;
    // The JPEG decoder first reduces by a DCT factor of n/8, the smallest that stays at or
    // above the target, and allocates that intermediate image; one step more covers rounding.
    const double f = std::min(double(stored.width()) / target.width(),
                              double(stored.height()) / target.height());
    const int n = std::clamp(int(std::ceil(8.0 / std::max(f, 1.0))) + 1, 1, 8);
    const double w = std::max(std::ceil(stored.width() * n / 8.0), double(target.width()));
    const double h = std::max(std::ceil(stored.height() * n / 8.0), double(target.height()));
    const double bytes = w * h * 4.0;
    return int(std::min(bytes / (1024.0 * 1024.0) + 1.0, double(INT_MAX / 2)));
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

QImage loadPhoto(const PhotoLoader &loader)
{
    QFile file(loader.path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    // The decoder would take that memory before it finds out how little data follows.
    if (jpegCoefficientBytes(&file) > maxCoefficientBytes || !file.seek(0))
        return QImage();
    QImageReader reader(&file, QByteArray());
    // The photo is turned upright below, from the orientation read when it was added.
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return QImage();

    const QSize target = loaderTarget(loader);
    if (target.isEmpty())
        return QImage();
    ensureDecodeLimit(decodeLimitFor(reader.size(), target));
    reader.setScaledSize(target);
    const QImage decoded = reader.read();
    file.close();

    return decoded.isNull() ? decoded : turnUpright(decoded, loader.orientation);
}
