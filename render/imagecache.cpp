#include "imagecache.h"

#include <QDebug>

ImageCache::~ImageCache()
{
    clear();
}

bool ImageCache::contains(const QString &path) const
{
    QMutexLocker locker(&mutex);
    return images.contains(path);
}

QImage ImageCache::image(const QString &path) const
{
    QMutexLocker locker(&mutex);
    const QImage *image = images.value(path, nullptr);
    return image ? *image : QImage();
}

void ImageCache::store(const QString &path, QImage *image)
{
    QMutexLocker locker(&mutex);
    QImage *&slot = images[path];
    if (slot != image)
        delete slot;
    slot = image;
}

void ImageCache::clear()
{
    QMutexLocker locker(&mutex);
    qDebug() << "Clear cache: " << images.size();
    qDeleteAll(images);
    images.clear();
}

int ImageCache::count() const
{
    QMutexLocker locker(&mutex);
    return int(images.size());
}
