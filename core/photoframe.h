#ifndef PHOTOFRAME_H
#define PHOTOFRAME_H

#include "frametype.h"

#include <QPointF>
#include <QRect>
#include <QSize>
#include <QtGlobal>

class QImage;
class QPainterPath;

// Cuts a tile to a frame shape; everything outside the shape becomes transparent. Results
// are ARGB32 images of the tile's size. Inside the shape the tile's pixels are kept exactly;
// at its antialiased rim only their alpha drops.
//
// No frame empties a tile: the margin is held to 3/8 of the tile's shorter side, and scallop
// arcs too wide for a tile shrink until one fits on each side. A corner radius is at most
// half the framed rectangle's shorter side.
class PhotoFrame
{
public:
    QImage apply(QImage tile, FrameType type, int a, int b);
    QImage rectFrame(QImage tile, int a);
    QImage roundedFrame(QImage tile, int a, int b);
    QImage scallopFrame(QImage tile, int a, int b);

    // The scalloped outline for a tile of width x height, margin a and half-width b.
    QPainterPath scallopPath(int width, int height, int a, int b);
};

// The part of an image of `image` size that a cell of `cell` size shows: the cell's aspect
// ratio, as large as the image allows, around the centre moved by `offset` (shares of the
// image's width and height) but never past the image's edges. Empty for empty sizes.
QRect cropRect(const QSize &image, const QSize &cell, const QPointF &offset = QPointF());

// The crop offset of a photo of `photo` size dragged by `delta` pixels inside a cell of `cell`
// size, starting from offset `start`: the photo follows the pointer and stops where its edge
// meets the cell's, so no background ever shows inside a tile.
QPointF draggedCrop(const QSize &photo, const QSize &cell, const QPointF &start,
                    const QPointF &delta);

// Cuts the image to the cell's aspect ratio at cropRect() and scales it smoothly to exactly
// w x h, so the tile covers its cell. A null image or an empty cell gives a null tile.
QImage prepareTile(const QImage &image, quint16 w, quint16 h, const QPointF &offset = QPointF());

// Lays the tile onto the layer with its top-left corner at (x, y), clipped to the layer. The
// tile's pixels, in ARGB32, replace the layer's, alpha included: tiles do not overlap, and the
// layer is composed over the background once, as a whole. A layer not in ARGB32 is left as is.
void blendTile(QImage &layer, const QImage &tile, int x, int y);

#endif // PHOTOFRAME_H
