#ifndef IMAGECACHE_H
#define IMAGECACHE_H

#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QString>

// Decoded, upright, reduced photos by file path. A photo may be held at several sizes: a
// larger decode is added beside the smaller ones rather than replacing them, so a cell is
// always drawn from the smallest image that covers it. Which image that is depends only on
// the cell, never on what was drawn in between, so an earlier layout drawn again comes out
// pixel for pixel as it was. Each size is decoded because no smaller one covered a cell, and
// decodes are at least 1.6 times their cell, so the sizes of one photo grow geometrically.
//
// Safe to use from several threads: images enter and leave it as (implicitly shared) copies.
class ImageCache
{
public:
    // Whether decodes stay for later renders: the window's preview draws the same photos again
    // and again at small sizes, while a one-off render at a large size would only fill memory
    // with images it never draws again.
    enum class Retention { Keep, DrawOnly };

    // A photo's decode as it enters the cache.
    struct Decode
    {
        QString path;
        QImage image; // null: the path was tried and failed
    };

    explicit ImageCache(Retention retention = Retention::Keep);
    // A snapshot: the same images (shared, so it costs no pixels), and nothing stored yet. A
    // worker draws through a snapshot and hands its new decodes back for the owner to merge.
    ImageCache(const ImageCache &other);
    ImageCache &operator=(const ImageCache &) = delete;

    bool contains(const QString &path) const;
    // The largest image of the path; null both when the path has no entry and when its load
    // failed.
    QImage image(const QString &path) const;
    // The smallest image of the path that covers `cell` both ways, or null when none does.
    QImage imageFor(const QString &path, const QSize &cell) const;
    bool keepsImages() const { return retention == Retention::Keep; }
    // Adds a decode of the path; a null image, or any image when the cache keeps none, only
    // records that the path was tried.
    void store(const QString &path, const QImage &image);
    void clear();
    // The number of paths held.
    int count() const;
    // Everything store() was given since this snapshot was made, in order; empty for a cache
    // that is no snapshot.
    QList<Decode> stored() const;
    // Stores each decode, as store() would.
    void merge(const QList<Decode> &decodes);

private:
    const Retention retention;
    mutable QMutex mutex;
    QHash<QString, QList<QImage>> images; // per path, by increasing width
    bool journaling = false; // only snapshots keep a journal
    QList<Decode> journal; // what store() took, for the owner of a snapshot
};

#endif // IMAGECACHE_H
