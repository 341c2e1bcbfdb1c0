#ifndef IMAGECACHE_H
#define IMAGECACHE_H

#include <QHash>
#include <QString>

class QImage;

// Decoded, upright, reduced photos by file path. Owns its images: an image is deleted when
// its entry is replaced, when the cache is cleared and when the cache goes.
class ImageCache
{
public:
    ImageCache() = default;
    ~ImageCache();
    ImageCache(const ImageCache &) = delete;
    ImageCache &operator=(const ImageCache &) = delete;

    // Null when the path has no entry; an entry may hold a null image (a failed load).
    const QImage *image(const QString &path) const;
    void store(const QString &path, QImage *image);
    void clear();
    int count() const { return int(images.size()); }

private:
    QHash<QString, QImage *> images;
};

#endif // IMAGECACHE_H
