#ifndef IMAGECACHE_H
#define IMAGECACHE_H

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>

// Decoded, upright, reduced photos by file path. Safe to use from several threads: images
// enter and leave it as (implicitly shared) copies.
class ImageCache
{
public:
    ImageCache() = default;
    ImageCache(const ImageCache &) = delete;
    ImageCache &operator=(const ImageCache &) = delete;

    bool contains(const QString &path) const;
    // A null image both when the path has no entry and when its load failed.
    QImage image(const QString &path) const;
    void store(const QString &path, const QImage &image);
    void clear();
    int count() const;

private:
    mutable QMutex mutex;
    QHash<QString, QImage> images;
};

#endif // IMAGECACHE_H
