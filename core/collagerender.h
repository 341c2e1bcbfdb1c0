#ifndef COLLAGERENDER_H
#define COLLAGERENDER_H

#include "collagedocument.h"
#include "photoloader.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRect>

#include <functional>

struct BTree;
class ImageCache;

// One cell of a layout: the photo number (1-based into the photo list) and its rectangle.
struct RenderCell
{
    int img = 0;
    QRect rect;
};

// Called from the decoding threads with the number of photos decoded so far; the total is
// the number of photos that needed decoding.
using RenderProgress = std::function<void(int done, int total)>;

// The reduction for a photo so that it comes out at least 1.6 times the cell both ways,
// or whole when it is smaller than that.
double loadScale(const QSize &photo, const QSize &cell);

// Cells of a layout made for `from` mapped onto `to`. Edges are mapped, not sizes, so the
// cells still tile the target exactly.
QList<RenderCell> scaleCells(const QList<RenderCell> &cells, const QSize &from, const QSize &to);

// One loader per photo path the cache cannot serve at the size its largest cell needs. With
// `previews`, the loaders may decode a JPEG's EXIF preview instead (see PhotoLoader::previews).
QList<PhotoLoader> planLoads(const QList<RenderCell> &cells, const QList<PhotoRecord> &photos,
                             const ImageCache &cache, bool previews = false);

// The photos a render could not draw whole, one entry per file, with the reason.
struct RenderProblems
{
    QList<PhotoProblem> failed; // not decoded: their cells are left untouched
    QList<PhotoProblem> damaged; // decoded in part only (DecodedPhoto::damage), and drawn
    // What the analysis found in photos the render analysed (RenderOptions::analyse), by path:
    // an empty box where it could not analyse one.
    QHash<QString, ContentBox> analysed;
};

// Decodes what the cache lacks (in parallel, within the decoding memory budget), stores it in
// the cache, then crops, frames and blends one tile per cell into `target`. Needs no thread and
// no scene. Cells whose photo is missing or failed to decode are left untouched. A photo the
// cache served is not decoded here, so it is never named damaged again.
RenderProblems renderCells(const QList<RenderCell> &cells, const QList<PhotoRecord> &photos,
                           ImageCache &cache, const FrameSettings &frame, QImage &target,
                           const RenderProgress &progress = {}, bool previews = false);

// The same for a target of another size than the layout's: cells, margin and radius are
// scaled. The photos decoded for it go through `cache` when one is given (a photo layer at
// the screen's pixel ratio), otherwise they are drawn and dropped.
RenderProblems renderCellsScaled(const QList<RenderCell> &cells, const QSize &layoutSize,
                                 const QList<PhotoRecord> &photos, const FrameSettings &frame,
                                 QImage &target, const RenderProgress &progress = {},
                                 ImageCache *cache = nullptr, bool previews = false);

// The tree's leaves in depth-first order, A before B, as cells.
QList<RenderCell> collectLeaves(const BTree *tree);

// Renders the layout of `tree` into `target`. A target of the tree's canvas size is served
// through `cache`; any other size gets the layout scaled to it, and a temporary cache unless
// `scaledThroughCache`.
RenderProblems renderCollage(const BTree *tree, const QList<PhotoRecord> &photos, ImageCache &cache,
                             const FrameSettings &frame, QImage &target,
                             const RenderProgress &progress = {}, bool scaledThroughCache = false,
                             bool previews = false);

enum class RenderKind {
    PhotoLayer, // the photo layer alone, transparent where no tile lies
    Collage, // the finished collage as it is saved: the background with the photo layer over it
};

struct DocumentRender
{
    QImage image; // null when there was no memory for an image of the size asked for
    CollageDocument document; // what was drawn: the document less the photos in `dropped`
    QList<PhotoProblem> dropped; // the photos that could not be decoded, in the order found
    // The photos drawn that their files hold only in part, in the collection's order.
    QList<PhotoProblem> damaged;
};

// What a render for paper may ask beyond a canvas of the size given.
struct RenderOptions
{
    // Pixels added on every side of a collage, for a print's bleed: the background reaches into
    // them, and so do the tiles at the canvas's edges when the frame leaves them no margin.
    int bleed = 0;
    // Asked before every photo is decoded; once it says yes, the render stops and gives a
    // null image. May be called from the decoding threads.
    std::function<bool()> cancelled;
    // Under CropMode::Auto, a photo without a content box is analysed as it is drawn, on the
    // decode its tiles are scaled from where that is the analysis's (decodesEighth()),
    // otherwise on a decode of its own first; the boxes come back in the document, as analysePhoto() finds
    // them, an empty one where it finds nothing. A collage render only.
    bool analyse = false;
};

// Renders a document at `size` so that no cell is ever left empty: a photo that fails to
// decode leaves the collage as withoutPhoto() leaves it out, and the rest is drawn again,
// reusing what the cache holds, until every photo drawn has decoded. A document without a
// layout, or whose photos all failed, gives a transparent layer or the background alone. A
// photo layer may draw a photo from its EXIF preview where that covers the cell; a collage
// never does. A photo drawn from a file cut off partway is kept, and named in `damaged`.
DocumentRender renderDocument(const CollageDocument &document, ImageCache &cache, const QSize &size,
                              RenderKind kind, const RenderProgress &progress = {},
                              const RenderOptions &options = {});

// The finished collage from a photo layer of the document: the background with the layer over
// it, as renderDocument() composes a collage. Null when there is no memory for it.
QImage composeCollage(const CollageDocument &document, const QImage &layer);

// The image of renderDocument() for a photo layer. Null when the document has no layout or
// there is no memory for an image of that size.
QImage renderPhotoLayer(const CollageDocument &document, ImageCache &cache, const QSize &size,
                        const RenderProgress &progress = {});

// The image of renderDocument() for the finished collage, every photo decoded for it. Null when
// there is no memory for an image of that size.
QImage renderCollageImage(const CollageDocument &document, const QSize &size,
                          const RenderProgress &progress = {});

// The photo (0-based) whose cell holds `point` on the document's canvas, or -1.
int photoAt(const CollageDocument &document, const QPointF &point);

// The cell of photo `index` (0-based) on the document's canvas; empty when it has none.
QRect cellOf(const CollageDocument &document, int index);

// `layer` with the cell of photo `index` drawn again from what the cache holds for it, as a
// crop being dragged shows at every move. Null when the cache has no decode that covers the
// cell: nothing is decoded here, so it is quick enough for the GUI thread.
QImage redrawCell(const CollageDocument &document, const ImageCache &cache, int index,
                  const QImage &layer);

#endif // COLLAGERENDER_H
