#include "photoloader.h"

#include "exifreader.h"

#include <QDebug>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMutex>
#include <QTransform>

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

PhotoRecord *createPhotoRecord(const QString &path)
{
    auto *record = new PhotoRecord(path);
    QSize size;
    if (!readPhotoSize(path, size) || !size.isValid() || size.width() < 1 || size.height() < 1
        || size.width() > maxPhotoSide || size.height() > maxPhotoSide) {
        delete record;
        return nullptr;
    }
    record->size = size;

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

PhotoLoader::PhotoLoader(const QString &path)
    : path(path)
    , image(new QImage)
{
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

void loadPhoto(PhotoLoader *loader)
{
    QFile file(loader->path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QImageReader reader(&file, QByteArray());
    // The photo is turned upright below, from the orientation read when it was added.
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return;

    const QSize target = loaderTarget(*loader);
    if (target.isEmpty())
        return;
    ensureDecodeLimit(decodeLimitFor(reader.size(), target));
    reader.setScaledSize(target);
    const QImage decoded = reader.read();
    file.close();

    delete loader->image;
    loader->image
        = new QImage(decoded.isNull() ? decoded : turnUpright(decoded, loader->orientation));
}
