#include "photoframe.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The margin one tile can take. A margin chosen for the collage's larger tiles would swallow
// a small one whole, so it is held to three eighths of the tile's shorter side: the photo
// keeps at least a quarter of that side.
int tileMargin(const QImage &tile, int a)
{
    return std::clamp(a, 0, 3 * std::min(tile.width(), tile.height()) / 8);
}

// The shape's antialiased coverage becomes the tile's alpha. The colours stay exactly the
// tile's, so the rim fades towards whatever the tile is later laid over, never towards black.
// The tile is changed in place when it is not shared, the coverage takes a byte a pixel, and
// a curved shape is drawn a band of `bandRows` rows at a time: a tile of a large print then
// takes no second copy of itself. A rectangle is drawn whole (0), since one cut by the band's
// edge gets other rim values than the whole one.
template<typename Shape>
QImage mask(QImage tile, Shape fillShape, int bandRows = 64)
{
    if (tile.isNull())
        return QImage();
    if (bandRows <= 0)
        bandRows = tile.height();
    QImage result = std::move(tile).convertToFormat(QImage::Format_ARGB32);
    QImage coverage(result.width(), std::min(bandRows, result.height()), QImage::Format_Alpha8);
    for (int top = 0; top < result.height(); top += bandRows) {
        const int rows = std::min(bandRows, result.height() - top);
        coverage.fill(Qt::transparent);
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 255));
        painter.translate(0, -top);
        fillShape(painter, result.width(), result.height());
        painter.end();
        for (int y = 0; y < rows; ++y) {
            const uchar *c = coverage.constScanLine(y);
            auto *d = reinterpret_cast<QRgb *>(result.scanLine(top + y));
            for (int x = 0; x < result.width(); ++x) {
                const uint covered = c[x];
                if (covered == 255)
                    continue;
                const uint alpha = (qAlpha(d[x]) * covered + 127) / 255;
                d[x] = (d[x] & RGB_MASK) | (alpha << 24);
            }
        }
    }
    return result;
}

} // namespace

QImage PhotoFrame::apply(QImage tile, FrameType type, int a, int b)
{
    switch (type) {
    case FrameType::Rect:
        return rectFrame(std::move(tile), a);
    case FrameType::Rounded:
        return roundedFrame(std::move(tile), a, b);
    case FrameType::Scallop:
        return scallopFrame(std::move(tile), a, b);
    }
    // A value no frame type names, as a stored number gives it unchecked.
    return QImage();
}

QImage PhotoFrame::rectFrame(QImage tile, int a)
{
    const int m = tileMargin(tile, a);
    return mask(
        std::move(tile),
        [m](QPainter &painter, int w, int h) {
            painter.drawRect(QRect(m, m, w - 2 * m, h - 2 * m));
        },
        0);
}

QImage PhotoFrame::roundedFrame(QImage tile, int a, int b)
{
    // The painter itself holds the radius to half the shorter side of the rectangle.
    const int m = tileMargin(tile, a);
    return mask(std::move(tile), [m, b](QPainter &painter, int w, int h) {
        painter.drawRoundedRect(QRectF(m, m, w - 2.0 * m, h - 2.0 * m), b, b, Qt::AbsoluteSize);
    });
}

QImage PhotoFrame::scallopFrame(QImage tile, int a, int b)
{
    const int m = tileMargin(tile, a);
    // Arcs too wide for this tile shrink until one fits on each side, the shorter included.
    const int inner = std::min(tile.width(), tile.height()) - 2 * m;
    const int s = std::min(b, (inner - 1) / 2);
    // Arcs advance by 2s, so without a positive s there is nothing to draw but the inset.
    if (s <= 0)
        return rectFrame(std::move(tile), m);
    const QPainterPath path = scallopPath(tile.width(), tile.height(), m, s);
    return mask(std::move(tile), [&path](QPainter &painter, int, int) { painter.drawPath(path); });
}

QPainterPath PhotoFrame::scallopPath(int width, int height, int a, int b)
{
    const double W = width;
    const double H = height;
    const double m = a;
    const double s = b;
    QPainterPath path;
    path.moveTo(m + s, m);
    if (s <= 0)
        return path;
    for (int k = 0; m + 2 * s + 2 * k * s < W - m; ++k) {
        const QPointF c(m + s + 2 * k * s, m + s);
        path.cubicTo(c, c, QPointF(m + 2 * s + 2 * k * s, m));
    }
    for (int k = 0; m + 2 * s + 2 * k * s < H - m; ++k) {
        const QPointF c(W - m - s, m + s + 2 * k * s);
        path.cubicTo(c, c, QPointF(W - m, m + 2 * s + 2 * k * s));
    }
    for (int k = 0; W - m - 2 * s - 2 * k * s > m; ++k) {
        const QPointF c(W - m - s - 2 * k * s, H - m - s);
        path.cubicTo(c, c, QPointF(W - m - 2 * s - 2 * k * s, H - m));
    }
    for (int k = 0; H - m - 2 * s - 2 * k * s > m; ++k) {
        const QPointF c(m + s, H - m - s - 2 * k * s);
        path.cubicTo(c, c, QPointF(m, H - m - 2 * s - 2 * k * s));
    }
    return path;
}

QRect cropRect(const QSize &image, const QSize &cell, const QPointF &offset)
{
    const int iw = image.width();
    const int ih = image.height();
    const int w = cell.width();
    const int h = cell.height();
    if (iw < 1 || ih < 1 || w < 1 || h < 1)
        return QRect();
    // The offset moves the window from the centre by a share of the photo, and stops where
    // the window's edge meets the photo's.
    const auto place = [](int whole, int part, qreal share) {
        const int centred = (whole - part) / 2;
        if (share == 0 || !std::isfinite(share))
            return centred;
        return std::clamp(centred + int(std::lround(share * whole)), 0, whole - part);
    };
    if (double(iw) / ih > double(w) / h) {
        // At least one pixel, or a sliver of a photo in an extreme cell would vanish.
        const int cw = std::clamp(int(double(qint64(w) * ih) / h), 1, iw);
        return QRect(place(iw, cw, offset.x()), 0, cw, ih);
    }
    const int ch = std::clamp(int(double(qint64(h) * iw) / w), 1, ih);
    return QRect(0, place(ih, ch, offset.y()), iw, ch);
}

QPointF draggedCrop(const QSize &photo, const QSize &cell, const QPointF &start,
                    const QPointF &delta)
{
    const QRect window = cropRect(photo, cell);
    if (window.isEmpty())
        return start;
    // Photo pixels per cell pixel; the window has the cell's shape, so one factor serves both.
    const double k = double(window.width()) / cell.width();
    const auto along = [k](int whole, int part, double from, double moved) {
        if (part >= whole)
            return 0.0;
        const int slack = whole - part;
        const double low = -double(slack / 2) / whole;
        const double high = double(slack - slack / 2) / whole;
        return std::clamp(from - moved * k / whole, low, high);
    };
    return QPointF(along(photo.width(), window.width(), start.x(), delta.x()),
                   along(photo.height(), window.height(), start.y(), delta.y()));
}

QImage prepareTile(const QImage &image, quint16 w, quint16 h, const QPointF &offset)
{
    if (image.isNull() || w == 0 || h == 0)
        return QImage();
    const QRect crop = cropRect(image.size(), QSize(w, h), offset);
    // Scaled to the cell's exact size rather than to its height alone: the crop's width is
    // truncated, so keeping its aspect could leave the tile a column short of the cell, and
    // that column would go on showing whatever the layer held (the pale layout boxes), or a
    // column too wide, reaching into the neighbour's cell. Either way the error is below one
    // pixel, so the photo's aspect is still kept.
    //
    // The crop is scaled where it lies rather than copied out first: for a large cell the copy
    // would be as large as the decode.
    // A crop of the cell's size would come back as the view itself, sharing the decode's memory.
    if (image.depth() < 8 || crop.size() == QSize(w, h))
        return image.copy(crop).scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const qsizetype start
        = qsizetype(crop.y()) * image.bytesPerLine() + qsizetype(crop.x()) * (image.depth() / 8);
    QImage view(image.constBits() + start, crop.width(), crop.height(), image.bytesPerLine(),
                image.format());
    view.setColorTable(image.colorTable());
    return view.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void blendTile(QImage &layer, const QImage &tile, int x, int y)
{
    if (tile.isNull() || layer.isNull() || layer.format() != QImage::Format_ARGB32)
        return;
    const QImage source = tile.format() == QImage::Format_ARGB32
                              ? tile
                              : tile.convertToFormat(QImage::Format_ARGB32);
    const QRect area = QRect(x, y, source.width(), source.height()).intersected(layer.rect());
    if (area.isEmpty())
        return;

    // Tiles never overlap, so each one takes its area of the layer over whole: opaque pixels
    // keep their exact values, and the rim's alpha is left for the background to blend with.
    const qsizetype bytes = qsizetype(area.width()) * qsizetype(sizeof(QRgb));
    for (int row = area.top(); row <= area.bottom(); ++row) {
        const auto *s = reinterpret_cast<const QRgb *>(source.constScanLine(row - y));
        auto *d = reinterpret_cast<QRgb *>(layer.scanLine(row));
        std::memcpy(d + area.left(), s + (area.left() - x), size_t(bytes));
    }
}
