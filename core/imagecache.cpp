#include "imagecache.h"

ImageCache::ImageCache(Retention retention)
    : retention(retention)
{
}

ImageCache::ImageCache(const ImageCache &other)
    : retention(other.retention)
    , journaling(true)
{
    QMutexLocker locker(&other.mutex);
    images = other.images;
}

bool ImageCache::contains(const QString &path) const
{
    QMutexLocker locker(&mutex);
    return images.contains(path);
}

QImage ImageCache::image(const QString &path) const
{
    QMutexLocker locker(&mutex);
    const QList<QImage> sizes = images.value(path);
    return sizes.isEmpty() ? QImage() : sizes.last();
}

QImage ImageCache::imageFor(const QString &path, const QSize &cell) const
{
    QMutexLocker locker(&mutex);
    const QList<QImage> sizes = images.value(path);
    for (const QImage &image : sizes) {
        if (image.width() >= cell.width() && image.height() >= cell.height())
            return image;
    }
    return QImage();
}

void ImageCache::store(const QString &path, const QImage &image)
{
    QMutexLocker locker(&mutex);
    QList<QImage> &sizes = images[path];
    if (journaling)
        journal.append({path, retention == Retention::DrawOnly ? QImage() : image});
    if (image.isNull() || retention == Retention::DrawOnly)
        return;
    auto at = sizes.begin();
    while (at != sizes.end() && at->width() < image.width())
        ++at;
    // A decode of a size already held replaces it: same file, same size, same pixels.
    if (at != sizes.end() && at->size() == image.size())
        *at = image;
    else
        sizes.insert(at, image);
}

void ImageCache::clear()
{
    QMutexLocker locker(&mutex);
    images.clear();
    journal.clear();
}

int ImageCache::count() const
{
    QMutexLocker locker(&mutex);
    return int(images.size());
}

QList<ImageCache::Decode> ImageCache::stored() const
{
    QMutexLocker locker(&mutex);
    return journal;
}

void ImageCache::merge(const QList<Decode> &decodes)
{
    for (const Decode &decode : decodes)
        store(decode.path, decode.image);
}
