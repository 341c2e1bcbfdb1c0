#ifndef IMAGECACHE_H
#define IMAGECACHE_H

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>

// Decoded, upright, reduced photos by file path. Owns its images: an image is deleted when
// its entry is replaced, when the cache is cleared and when the cache goes. Safe to use from
// several threads: images leave it as (implicitly shared) copies, never as pointers into it.
class ImageCache
{
public:
    ImageCache() = default;
    ~ImageCache();
    ImageCache(const ImageCache &) = delete;
    ImageCache &operator=(const ImageCache &) = delete;

    bool contains(const QString &path) const;
    // A null image both when the path has no entry and when its load failed.
    QImage image(const QString &path) const;
    // Takes ownership of `image`.
    void store(const QString &path, QImage *image);
    void clear();
    int count() const;

private:
    mutable QMutex mutex;
    QHash<QString, QImage *> images;
};

#endif // IMAGECACHE_H
