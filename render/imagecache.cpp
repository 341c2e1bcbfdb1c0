#include "imagecache.h"

#include <QImage>

ImageCache::~ImageCache()
{
    clear();
}

const QImage *ImageCache::image(const QString &path) const
{
    return images.value(path, nullptr);
}

void ImageCache::store(const QString &path, QImage *image)
{
    QImage *&slot = images[path];
    if (slot != image)
        delete slot;
    slot = image;
}

void ImageCache::clear()
{
    qDeleteAll(images);
    images.clear();
}
