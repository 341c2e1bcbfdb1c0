#include "collagerender.h"

#include "btree.h"

#include "imagecache.h"
#include "photoframe.h"
#include "photoloader.h"

#include <QDebug>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QtConcurrent>

#include <algorithm>
#include <atomic>
#include <cmath>

double loadScale(const QSize &photo, const QSize &cell)
{
    if (cell.isEmpty())
        return 1.0;
    return std::max(1.0, std::min(photo.width() / (1.6 * cell.width()),
                                  photo.height() / (1.6 * cell.height())));
}

QList<RenderCell> scaleCells(const QList<RenderCell> &cells, const QSize &from, const QSize &to)
{
    if (from.isEmpty() || from == to)
        return cells;
    const auto mapX
        = [&](int x) { return int(std::lround(double(x) * to.width() / from.width())); };
    const auto mapY
        = [&](int y) { return int(std::lround(double(y) * to.height() / from.height())); };
    QList<RenderCell> scaled;
    scaled.reserve(cells.size());
    for (const RenderCell &cell : cells) {
        const QRect &r = cell.rect;
        const int left = mapX(r.x());
        const int top = mapY(r.y());
        scaled.append({cell.img, QRect(left, top, mapX(r.x() + r.width()) - left,
                                       mapY(r.y() + r.height()) - top)});
    }
    return scaled;
}

static const PhotoRecord *recordFor(const RenderCell &cell, const QList<PhotoRecord> &photos)
{
    if (cell.img < 1 || cell.img > photos.size())
        return nullptr;
    return &photos.at(cell.img - 1);
}

QList<PhotoLoader> planLoads(const QList<RenderCell> &cells, const QList<PhotoRecord> &photos,
                             const ImageCache &cache)
{
    // Two records of the same file share one entry, so they share one load: the one that
    // serves the larger of their cells.
    QList<PhotoLoader> loaders;
    QHash<QString, qsizetype> byPath;
    for (const RenderCell &cell : cells) {
        const PhotoRecord *record = recordFor(cell, photos);
        if (!record || cell.rect.isEmpty())
            continue;
        if (!cache.imageFor(record->path, cell.rect.size()).isNull())
            continue;
        const double scale = loadScale(record->size, cell.rect.size());
        const auto known = byPath.constFind(record->path);
        if (known == byPath.constEnd()) {
            byPath.insert(record->path, loaders.size());
            loaders.append(PhotoLoader {record->path, scale, record->size.width(),
                                        record->size.height(), record->orientation});
        } else {
            PhotoLoader &loader = loaders[*known];
            loader.scale = std::min(loader.scale, scale);
        }
    }
    return loaders;
}

void renderCells(const QList<RenderCell> &cells, const QList<PhotoRecord> &photos,
                 ImageCache &cache, const FrameSettings &frame, QImage &target,
                 const RenderProgress &progress)
{
    const QList<PhotoLoader> loaders = planLoads(cells, photos, cache);

    // The readers' allocation limit is process-wide: raise it here, once, so that the jobs
    // running in parallel only ever read it.
    int limit = 0;
    for (const PhotoLoader &loader : loaders) {
        QSize stored(loader.width, loader.height);
        if (orientationSwapsSides(loader.orientation))
            stored.transpose();
        limit = std::max(limit, decodeLimitFor(stored, loaderTarget(loader)));
    }
    ensureDecodeLimit(limit);

    const int total = int(loaders.size());
    std::atomic<int> done {0};
    const QList<QImage> decoded
        = QtConcurrent::blockingMapped(loaders, [&](const PhotoLoader &loader) {
              QImage image = loadPhoto(loader);
              const int n = ++done;
              if (progress)
                  progress(n, total);
              return image;
          });
    for (qsizetype i = 0; i < loaders.size(); ++i)
        cache.store(loaders.at(i).path, decoded.at(i));
    qDebug() << "new cache:" << total;

    PhotoFrame framer;
    for (const RenderCell &cell : cells) {
        const PhotoRecord *record = recordFor(cell, photos);
        if (!record || cell.rect.width() < 1 || cell.rect.height() < 1
            || cell.rect.width() > maxPhotoSide || cell.rect.height() > maxPhotoSide)
            continue;
        // The smallest decode that covers the cell; a photo smaller than its cell is held whole.
        QImage image = cache.imageFor(record->path, cell.rect.size());
        if (image.isNull())
            image = cache.image(record->path);
        if (image.isNull())
            continue;
        const QImage tile = prepareTile(image, quint16(cell.rect.width()),
                                        quint16(cell.rect.height()), record->crop);
        blendTile(target, framer.apply(tile, frame.type, frame.a, frame.b), cell.rect.x(),
                  cell.rect.y());
    }
}

void renderCellsScaled(const QList<RenderCell> &cells, const QSize &layoutSize,
                       const QList<PhotoRecord> &photos, const FrameSettings &frame, QImage &target,
                       const RenderProgress &progress)
{
    double factor = 1.0;
    if (!layoutSize.isEmpty())
        factor = std::min(double(target.width()) / layoutSize.width(),
                          double(target.height()) / layoutSize.height());
    FrameSettings scaled = frame;
    scaled.a = int(std::lround(frame.a * factor));
    scaled.b = int(std::lround(frame.b * factor));
    ImageCache temporary;
    renderCells(scaleCells(cells, layoutSize, target.size()), photos, temporary, scaled, target,
                progress);
}

static void collect(const BNode *node, QList<RenderCell> &cells)
{
    if (!node)
        return;
    if (node->type != BNODE_LEAF) {
        collect(node->a, cells);
        collect(node->b, cells);
        return;
    }
    cells.append({node->img, QRect(node->x, node->y, node->w, node->h)});
}

QList<RenderCell> collectLeaves(const BTree *tree)
{
    QList<RenderCell> cells;
    if (tree)
        collect(tree->root, cells);
    return cells;
}

void renderCollage(const BTree *tree, const QList<PhotoRecord> &photos, ImageCache &cache,
                   const FrameSettings &frame, QImage &target, const RenderProgress &progress)
{
    const QList<RenderCell> cells = collectLeaves(tree);
    if (cells.isEmpty() || photos.isEmpty())
        return;
    const QSize layoutSize(tree->width, tree->height);
    if (layoutSize.isEmpty() || layoutSize == target.size())
        renderCells(cells, photos, cache, frame, target, progress);
    else
        renderCellsScaled(cells, layoutSize, photos, frame, target, progress);
}

QImage renderPhotoLayer(const CollageDocument &document, ImageCache &cache, const QSize &size,
                        const RenderProgress &progress)
{
    if (!document.hasLayout())
        return QImage();
    QImage layer(size, QImage::Format_ARGB32);
    if (layer.isNull())
        return layer;
    layer.fill(Qt::transparent);
    renderCollage(document.layout.tree(), document.photos, cache, document.frame, layer, progress);
    return layer;
}

QImage renderCollageImage(const CollageDocument &document, ImageCache &cache, const QSize &size,
                          const RenderProgress &progress)
{
    QImage collage(size, QImage::Format_ARGB32);
    if (collage.isNull())
        return collage;
    if (!document.hasLayout()) {
        collage.fill(document.background);
        return collage;
    }
    const QImage layer = renderPhotoLayer(document, cache, size, progress);
    if (layer.isNull())
        return QImage();
    collage.fill(document.background);
    QPainter painter(&collage);
    painter.drawImage(0, 0, layer);
    return collage;
}

int photoAt(const CollageDocument &document, const QPointF &point)
{
    if (!document.hasLayout())
        return -1;
    const QList<RenderCell> cells = collectLeaves(document.layout.tree());
    for (const RenderCell &cell : cells) {
        if (QRectF(cell.rect).contains(point))
            return cell.img - 1;
    }
    return -1;
}

QRect cellOf(const CollageDocument &document, int index)
{
    if (!document.hasLayout())
        return QRect();
    const QList<RenderCell> cells = collectLeaves(document.layout.tree());
    for (const RenderCell &cell : cells) {
        if (cell.img - 1 == index)
            return cell.rect;
    }
    return QRect();
}

QImage redrawCell(const CollageDocument &document, const ImageCache &cache, int index,
                  const QImage &layer)
{
    const QRect cell = cellOf(document, index);
    if (cell.isEmpty() || index < 0 || index >= document.photos.size() || layer.isNull())
        return QImage();
    const PhotoRecord &photo = document.photos.at(index);
    const QImage image = cache.imageFor(photo.path, cell.size());
    if (image.isNull() || layer.size() != document.canvasSize)
        return QImage();
    QImage result = layer;
    {
        QPainter painter(&result);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(cell, Qt::transparent);
    }
    const QImage tile
        = prepareTile(image, quint16(cell.width()), quint16(cell.height()), photo.crop);
    blendTile(result,
              PhotoFrame().apply(tile, document.frame.type, document.frame.a, document.frame.b),
              cell.x(), cell.y());
    return result;
}
