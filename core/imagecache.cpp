#include "imagecache.h"

bool ImageCache::contains(const QString &path) const
{
    QMutexLocker locker(&mutex);
    return images.contains(path);
}

QImage ImageCache::image(const QString &path) const
{
    QMutexLocker locker(&mutex);
    return images.value(path);
}

void ImageCache::store(const QString &path, const QImage &image)
{
    QMutexLocker locker(&mutex);
    images.insert(path, image);
}

void ImageCache::clear()
{
    QMutexLocker locker(&mutex);
    images.clear();
}

int ImageCache::count() const
{
    QMutexLocker locker(&mutex);
    return int(images.size());
}
