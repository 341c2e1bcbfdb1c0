#include "collagerender.h"

#include "btree.h"
#include "contentdetect.h"

#include "imagecache.h"
#include "photoframe.h"
#include "photoloader.h"

#include "memorybudget.h"

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QLoggingCategory>
#include <QMutex>
#include <QPainter>
#include <QSet>
#include <QTransform>
#include <QtConcurrent>

#include <algorithm>
#include <atomic>
#include <cmath>

Q_LOGGING_CATEGORY(lcRender, "vellomir.render", QtWarningMsg)

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

namespace {

// A cell as the decode of its photo sees it: a photo the user turned a quarter is decoded as
// the file has it, and turned when its tile is cut.
QSize decodedCell(const PhotoRecord *record, const QRect &cell)
{
    return record && record->turns % 2 ? cell.size().transposed() : cell.size();
}

QImage turned(const QImage &image, int turns)
{
    if (turns % 4 == 0 || image.isNull())
        return image;
    return image.transformed(QTransform().rotate(90 * (turns % 4)), Qt::FastTransformation);
}

} // namespace

QList<PhotoLoader> planLoads(const QList<RenderCell> &cells, const QList<PhotoRecord> &photos,
                             const ImageCache &cache, bool previews)
{
    // Two records of the same file share one entry, so they share one load: the one that
    // serves the larger of their cells.
    QList<PhotoLoader> loaders;
    QHash<QString, qsizetype> byPath;
    for (const RenderCell &cell : cells) {
        const PhotoRecord *record = recordFor(cell, photos);
        if (!record || cell.rect.isEmpty())
            continue;
        if (!cache.imageFor(record->path, decodedCell(record, cell.rect)).isNull())
            continue;
        const double scale = loadScale(record->size, cell.rect.size());
        const auto known = byPath.constFind(record->path);
        if (known == byPath.constEnd()) {
            byPath.insert(record->path, loaders.size());
            const QSize upright = uprightSize(*record);
            loaders.append(PhotoLoader {record->path, scale, upright.width(), upright.height(),
                                        record->orientation, decodedCell(record, cell.rect),
                                        previews});
        } else {
            PhotoLoader &loader = loaders[*known];
            loader.scale = std::min(loader.scale, scale);
            loader.cell = loader.cell.expandedTo(decodedCell(record, cell.rect));
        }
    }
    return loaders;
}

namespace {

// The memory a tile and its framed copy take while a cell is drawn.
qint64 tileBytes(const QRect &cell)
{
    return qint64(std::max(cell.width(), 0)) * std::max(cell.height(), 0) * 4 * 2;
}

bool drawable(const RenderCell &cell)
{
    return cell.rect.width() >= 1 && cell.rect.height() >= 1 && cell.rect.width() <= maxPhotoSide
           && cell.rect.height() <= maxPhotoSide;
}

} // namespace

using Cancelled = std::function<bool()>;

// With `analyse`, photos without a box are analysed as they are decoded (see
// RenderOptions::analyse).
static RenderProblems renderCellsUnless(const QList<RenderCell> &cells,
                                        const QList<PhotoRecord> &photos, ImageCache &cache,
                                        const FrameSettings &frame, QImage &target,
                                        const RenderProgress &progress, bool previews,
                                        const Cancelled &cancelled, bool analyse = false)
{
    const auto stopped = [&cancelled] { return cancelled && cancelled(); };
    const QList<PhotoLoader> loaders = planLoads(cells, photos, cache, previews);
    // The readers' allocation limit is process-wide: raise it here, once, to the most any
    // decode may take, so that the jobs running in parallel only ever read it.
    ensureDecodeLimit(int(maxDecodeBytes >> 20) + 1);

    QMutex blending; // the tiles are cut in parallel, but laid onto the target one at a time
    const auto draw = [&](const RenderCell &cell, QImage &image, bool last,
                          const std::optional<ContentBox> &found = std::nullopt) {
        const PhotoRecord *record = recordFor(cell, photos);
        const QImage upright = turned(image, record ? record->turns : 0);
        QPointF crop;
        if (record) {
            PhotoRecord shown = *record;
            if (found)
                shown.content = found;
            crop = tileCrop(shown, upright.size(), cell.rect.size(), CropMode::Auto);
        }
        QImage tile
            = prepareTile(upright, quint16(cell.rect.width()), quint16(cell.rect.height()), crop);
        if (last)
            image = QImage(); // a decode the cache does not keep goes before the frame is cut
        const QImage framed = PhotoFrame().apply(std::move(tile), frame.type, frame.a, frame.b);
        const QMutexLocker locker(&blending);
        blendTile(target, framed, cell.rect.x(), cell.rect.y());
    };
    // The smallest decode that covers the cell; a photo smaller than its cell is held whole.
    const auto cached = [&](const QString &path, const RenderCell &cell) {
        const QImage image = cache.imageFor(path, decodedCell(recordFor(cell, photos), cell.rect));
        return image.isNull() ? cache.image(path) : image;
    };

    QSet<QString> loading;
    for (const PhotoLoader &loader : loaders)
        loading.insert(loader.path);
    const int total = int(loaders.size());
    std::atomic<int> done {0};
    MemoryBudget &budget = MemoryBudget::decoding();
    struct Outcome
    {
        QString error;
        QString damage;
        std::optional<ContentBox> analysed;
    };
    const QList<Outcome> outcomes
        = QtConcurrent::blockingMapped(loaders, [&](const PhotoLoader &loader) -> Outcome {
              if (stopped())
                  return Outcome();
              QList<RenderCell> mine;
              const PhotoRecord *photo = nullptr;
              for (const RenderCell &cell : cells) {
                  const PhotoRecord *record = recordFor(cell, photos);
                  if (record && record->path == loader.path && drawable(cell)) {
                      mine.append(cell);
                      photo = record;
                  }
              }
              const std::optional<PhotoHeader> header = readPhotoHeader(loader.path);
              // The analysis works on the eighth-size decode a JPEG is scaled from anyway; any
              // other photo is analysed first, on a decode of its own, so that the two decodes
              // never hold memory at once.
              std::optional<ContentBox> found;
              PhotoLoader decoding = loader;
              if (analyse && photo && !photo->content) {
                  decoding.keepEighth = header && keepsAnalysisImage(*photo, *header, loader);
                  if (!decoding.keepEighth)
                      found = analysePhoto(*photo).value_or(ContentBox());
              }
              // Reserved before anything is decoded: a header claiming a huge size then waits
              // for memory instead of taking it beside every other decode.
              qint64 need = decoding.keepEighth ? detectorBytes : 0;
              if (header)
                  need += loaderDecodeBytes(*header, loader);
              for (const RenderCell &cell : std::as_const(mine))
                  need += tileBytes(cell.rect);
              const MemoryReservation reservation = budget.reserve(need);

              Result<DecodedPhoto> decoded = decodePhoto(decoding);
              if (decoding.keepEighth)
                  found = analyseDecode(*photo, *header, decoded ? decoded->eighth : QImage())
                              .value_or(ContentBox());
              cache.store(loader.path, decoded ? decoded->image : QImage());
              const int n = ++done;
              if (progress)
                  progress(n, total);
              if (!decoded)
                  return {decoded.error().isEmpty()
                              ? QCoreApplication::translate("CollageRender", "cannot decode")
                              : decoded.error(),
                          QString(), found};
              for (qsizetype i = 0; i < mine.size(); ++i) {
                  const RenderCell &cell = mine.at(i);
                  if (cache.keepsImages()) {
                      QImage image = cached(loader.path, cell);
                      draw(cell, image, false, found);
                  } else {
                      draw(cell, decoded->image, i + 1 == mine.size(), found);
                  }
              }
              return {QString(), decoded->damage, found};
          });
    qCDebug(lcRender) << "decoded" << total << "photos";

    // The cells the cache served without a decode.
    for (const RenderCell &cell : cells) {
        const PhotoRecord *record = recordFor(cell, photos);
        if (!record || !drawable(cell) || loading.contains(record->path) || stopped())
            continue;
        QImage image = cached(record->path, cell);
        draw(cell, image, false);
    }

    RenderProblems problems;
    for (qsizetype i = 0; i < loaders.size(); ++i) {
        const Outcome &outcome = outcomes.at(i);
        if (!outcome.error.isEmpty())
            problems.failed.append({loaders.at(i).path, outcome.error});
        else if (!outcome.damage.isEmpty())
            problems.damaged.append({loaders.at(i).path, outcome.damage});
        if (outcome.analysed)
            problems.analysed.insert(loaders.at(i).path, *outcome.analysed);
    }
    return problems;
}

RenderProblems renderCells(const QList<RenderCell> &cells, const QList<PhotoRecord> &photos,
                           ImageCache &cache, const FrameSettings &frame, QImage &target,
                           const RenderProgress &progress, bool previews)
{
    return renderCellsUnless(cells, photos, cache, frame, target, progress, previews, {});
}

RenderProblems renderCellsScaled(const QList<RenderCell> &cells, const QSize &layoutSize,
                                 const QList<PhotoRecord> &photos, const FrameSettings &frame,
                                 QImage &target, const RenderProgress &progress, ImageCache *cache,
                                 bool previews)
{
    double factor = 1.0;
    if (!layoutSize.isEmpty())
        factor = std::min(double(target.width()) / layoutSize.width(),
                          double(target.height()) / layoutSize.height());
    FrameSettings scaled = frame;
    scaled.a = int(std::lround(frame.a * factor));
    scaled.b = int(std::lround(frame.b * factor));
    ImageCache temporary(ImageCache::Retention::DrawOnly);
    return renderCells(scaleCells(cells, layoutSize, target.size()), photos,
                       cache ? *cache : temporary, scaled, target, progress, previews);
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

RenderProblems renderCollage(const BTree *tree, const QList<PhotoRecord> &photos, ImageCache &cache,
                             const FrameSettings &frame, QImage &target,
                             const RenderProgress &progress, bool scaledThroughCache, bool previews)
{
    const QList<RenderCell> cells = collectLeaves(tree);
    if (cells.isEmpty() || photos.isEmpty())
        return {};
    const QSize layoutSize(tree->width, tree->height);
    if (layoutSize.isEmpty() || layoutSize == target.size())
        return renderCells(cells, photos, cache, frame, target, progress, previews);
    return renderCellsScaled(cells, layoutSize, photos, frame, target, progress,
                             scaledThroughCache ? &cache : nullptr, previews);
}

// The collage drawn as renderCollage() draws it at the target less `bleed` on every side,
// moved in by the bleed; with no margin, the cells at the canvas's edges reach the target's.
static RenderProblems renderForPaper(const CollageDocument &document, ImageCache &cache,
                                     QImage &target, int bleed, const RenderProgress &progress,
                                     const Cancelled &cancelled, bool analyse)
{
    const BTree *tree = document.layout.tree();
    const QSize layoutSize(tree->width, tree->height);
    const QSize size = target.size() - QSize(2 * bleed, 2 * bleed);
    FrameSettings frame = document.frame;
    if (!layoutSize.isEmpty() && layoutSize != size) {
        const double factor = std::min(double(size.width()) / layoutSize.width(),
                                       double(size.height()) / layoutSize.height());
        frame.a = int(std::lround(frame.a * factor));
        frame.b = int(std::lround(frame.b * factor));
    }
    QList<RenderCell> cells = scaleCells(collectLeaves(tree), layoutSize, size);
    for (RenderCell &cell : cells) {
        QRect moved = cell.rect.translated(bleed, bleed);
        // A margin is background, which fills the bleed anyway; a tile that reaches the trim
        // must go on past it, or a cut a little outside shows a white line.
        if (frame.a == 0) {
            if (cell.rect.left() <= 0)
                moved.setLeft(0);
            if (cell.rect.top() <= 0)
                moved.setTop(0);
            if (cell.rect.right() >= size.width() - 1)
                moved.setRight(target.width() - 1);
            if (cell.rect.bottom() >= size.height() - 1)
                moved.setBottom(target.height() - 1);
        }
        cell.rect = moved;
    }
    return renderCellsUnless(cells, document.photos, cache, frame, target, progress, false,
                             cancelled, analyse);
}

DocumentRender renderDocument(const CollageDocument &document, ImageCache &cache, const QSize &size,
                              RenderKind kind, const RenderProgress &progress,
                              const RenderOptions &options)
{
    const int bleed = kind == RenderKind::Collage ? std::max(options.bleed, 0) : 0;
    const auto stopped = [&options] { return options.cancelled && options.cancelled(); };
    DocumentRender result {QImage(), document, {}, {}};
    QHash<QString, QString> damage; // by path: a photo drawn in more than one round is one
    // The collage as saved is composed from the photos, each decoded for its cell at the size
    // asked for: never from decodes the screen happened to keep, so a save comes out the same
    // whatever was shown before it. A photo layer for the screen goes through the cache, at
    // the screen's pixel ratio too.
    ImageCache fresh(ImageCache::Retention::DrawOnly);
    ImageCache &decodes = kind == RenderKind::Collage ? fresh : cache;
    // The tiles are cut by tileCrop() under CropMode::Auto from what the records hold: under
    // CropMode::Centre nothing the analysis found may move them.
    if (document.crop == CropMode::Centre) {
        for (PhotoRecord &photo : result.document.photos)
            photo.content.reset();
    }
    // Every round leaves out at least one photo or is the last, so this ends.
    for (;;) {
        CollageDocument &drawn = result.document;
        QImage layer(size + QSize(2 * bleed, 2 * bleed), QImage::Format_ARGB32);
        if (layer.isNull())
            return {QImage(), result.document, result.dropped, {}};
        layer.fill(Qt::transparent);
        RenderProblems problems;
        const bool analyse
            = options.analyse && kind == RenderKind::Collage && drawn.crop == CropMode::Auto;
        if (drawn.hasLayout() && (bleed > 0 || options.cancelled || analyse))
            problems = renderForPaper(drawn, decodes, layer, bleed, progress, options.cancelled,
                                      analyse);
        else if (drawn.hasLayout())
            problems = renderCollage(drawn.layout.tree(), drawn.photos, decodes, drawn.frame, layer,
                                     progress, kind == RenderKind::PhotoLayer,
                                     kind == RenderKind::PhotoLayer);
        if (stopped())
            return {QImage(), result.document, result.dropped, {}};
        // Kept through the rounds, so that a photo is analysed once.
        drawn = withContent(std::move(drawn), problems.analysed);
        for (const PhotoProblem &problem : std::as_const(problems.damaged))
            damage.insert(problem.path, problem.reason);
        const QList<PhotoProblem> &failed = problems.failed;
        if (failed.isEmpty()) {
            result.image = std::move(layer);
            break;
        }
        QHash<QString, QString> reasons;
        for (const PhotoProblem &problem : std::as_const(failed))
            reasons.insert(problem.path, problem.reason);
        // Every record of a file that failed goes, and the file is reported once, in the
        // collection's order.
        QList<PhotoProblem> dropped;
        for (const PhotoRecord &photo : std::as_const(drawn.photos)) {
            if (reasons.contains(photo.path))
                dropped.append({photo.path, reasons.take(photo.path)});
        }
        // From the back, so the indices still to come stay valid.
        for (int i = int(drawn.photos.size()) - 1; i >= 0; --i) {
            if (std::any_of(dropped.cbegin(), dropped.cend(), [&](const PhotoProblem &problem) {
                    return problem.path == drawn.photos.at(i).path;
                }))
                drawn = withoutPhoto(std::move(drawn), i);
        }
        if (dropped.isEmpty()) { // nothing left to leave out: keep what was drawn
            result.image = std::move(layer);
            break;
        }
        result.dropped += dropped;
        layer = QImage();
        qCDebug(lcRender) << "left out" << dropped.size() << "photos that failed to decode";
    }
    if (document.crop == CropMode::Centre) { // what was found stays the document's
        QHash<QString, std::optional<ContentBox>> found;
        for (const PhotoRecord &photo : document.photos)
            found.insert(photo.path, photo.content);
        for (PhotoRecord &photo : result.document.photos)
            photo.content = found.value(photo.path);
    }
    for (const PhotoRecord &photo : std::as_const(result.document.photos)) {
        if (damage.contains(photo.path))
            result.damaged.append({photo.path, damage.take(photo.path)});
    }
    if (kind == RenderKind::PhotoLayer)
        return result;

    // The layer is drawn before the collage is made, so that the two are held at once only
    // for the blend.
    result.image = composeCollage(result.document, result.image);
    return result;
}

QImage composeCollage(const CollageDocument &document, const QImage &layer)
{
    QImage collage(layer.size(), QImage::Format_ARGB32);
    if (collage.isNull())
        return QImage();
    collage.fill(document.background);
    if (document.hasLayout()) {
        QPainter painter(&collage);
        painter.drawImage(0, 0, layer);
    }
    return collage;
}

QImage renderPhotoLayer(const CollageDocument &document, ImageCache &cache, const QSize &size,
                        const RenderProgress &progress)
{
    if (!document.hasLayout())
        return QImage();
    return renderDocument(document, cache, size, RenderKind::PhotoLayer, progress).image;
}

QImage renderCollageImage(const CollageDocument &document, const QSize &size,
                          const RenderProgress &progress)
{
    // A collage never draws through a cache (see renderDocument()).
    ImageCache unused(ImageCache::Retention::DrawOnly);
    return renderDocument(document, unused, size, RenderKind::Collage, progress).image;
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
    const QRect logical = cellOf(document, index);
    const qreal ratio = layer.devicePixelRatio();
    if (logical.isEmpty() || index < 0 || index >= document.photos.size() || layer.isNull()
        || layer.size() != document.canvasSize * ratio)
        return QImage();
    // A layer at the screen's pixel ratio holds the cell, and its frame, that many times over.
    const QRect cell
        = scaleCells({{index + 1, logical}}, document.canvasSize, layer.size()).first().rect;
    const double factor = double(layer.width()) / document.canvasSize.width();
    FrameSettings frame = document.frame;
    if (factor != 1.0) {
        frame.a = int(std::lround(frame.a * factor));
        frame.b = int(std::lround(frame.b * factor));
    }
    const PhotoRecord &photo = document.photos.at(index);
    const QImage image = turned(
        cache.imageFor(photo.path, photo.turns % 2 ? cell.size().transposed() : cell.size()),
        photo.turns);
    if (image.isNull())
        return QImage();
    QImage result = layer;
    {
        QPainter painter(&result);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(
            QRectF(cell.x() / ratio, cell.y() / ratio, cell.width() / ratio, cell.height() / ratio),
            Qt::transparent);
    }
    const QImage tile = prepareTile(image, quint16(cell.width()), quint16(cell.height()),
                                    tileCrop(photo, image.size(), cell.size(), document.crop));
    blendTile(result, PhotoFrame().apply(tile, frame.type, frame.a, frame.b), cell.x(), cell.y());
    return result;
}
