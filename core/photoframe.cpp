#include "photoframe.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// Shared masking: the shape painted opaque on a transparent image, then the tile drawn
// SourceIn, so the tile shows only where the shape covers it (weighted at the rim).
template<typename Shape>
QImage mask(const QImage &tile, int a, Shape fillShape)
{
    if (tile.isNull())
        return QImage();
    QImage result(tile.size(), QImage::Format_ARGB32);
    const int w = tile.width();
    const int h = tile.height();
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 255));
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(result.rect(), Qt::transparent);
    // An inset that swallows a whole side leaves no shape at all.
    if (2 * qint64(a) >= w || 2 * qint64(a) >= h)
        return result;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    fillShape(painter, w, h);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.drawImage(0, 0, tile);
    painter.end();
    return result;
}

} // namespace

QImage PhotoFrame::apply(const QImage &tile, int type, int a, int b)
{
    switch (type) {
    case FrameRect:
        return rectFrame(tile, a);
    case FrameRounded:
        return roundedFrame(tile, a, b);
    case FrameScallop:
        return scallopFrame(tile, a, b);
    default:
        return QImage();
    }
}

QImage PhotoFrame::rectFrame(const QImage &tile, int a)
{
    return mask(tile, a, [a](QPainter &painter, int w, int h) {
        painter.drawRect(QRect(a, a, w - 2 * a, h - 2 * a));
    });
}

QImage PhotoFrame::roundedFrame(const QImage &tile, int a, int b)
{
    return mask(tile, a, [a, b](QPainter &painter, int w, int h) {
        painter.drawRoundedRect(QRectF(a, a, w - 2.0 * a, h - 2.0 * a), b, b, Qt::AbsoluteSize);
    });
}

QImage PhotoFrame::scallopFrame(const QImage &tile, int a, int b)
{
    // Arcs advance by 2b, so without a positive b there is nothing to draw but the inset.
    if (b <= 0)
        return rectFrame(tile, a);
    const QPainterPath path = scallopPath(tile.width(), tile.height(), a, b);
    return mask(tile, a, [&path](QPainter &painter, int, int) { painter.drawPath(path); });
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

QImage prepareTile(const QImage &image, quint16 w, quint16 h)
{
    if (image.isNull() || w == 0 || h == 0)
        return QImage();
    const int iw = image.width();
    const int ih = image.height();
    QRect crop;
    if (double(iw) / ih > double(w) / h) {
        // At least one pixel, or a sliver of a photo in an extreme cell would vanish.
        const int cw = std::max(1, int(double(qint64(w) * ih) / h));
        crop = QRect((iw - cw) / 2, 0, cw, ih);
    } else {
        const int ch = std::max(1, int(double(qint64(h) * iw) / w));
        crop = QRect(0, (ih - ch) / 2, iw, ch);
    }
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
    const qsizetype offset
        = qsizetype(crop.y()) * image.bytesPerLine() + qsizetype(crop.x()) * (image.depth() / 8);
    QImage view(image.constBits() + offset, crop.width(), crop.height(), image.bytesPerLine(),
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

    for (int row = area.top(); row <= area.bottom(); ++row) {
        const auto *s = reinterpret_cast<const QRgb *>(source.constScanLine(row - y));
        auto *d = reinterpret_cast<QRgb *>(layer.scanLine(row));
        for (int col = area.left(); col <= area.right(); ++col) {
            const QRgb sp = s[col - x];
            const QRgb dp = d[col];
            const uint alpha = qAlpha(sp);
            const uint inv = 255 - alpha;
            const uint r = (qRed(dp) * inv + qRed(sp) * alpha) >> 8;
            const uint g = (qGreen(dp) * inv + qGreen(sp) * alpha) >> 8;
            const uint b = (qBlue(dp) * inv + qBlue(sp) * alpha) >> 8;
            d[col] = qRgba(int(r), int(g), int(b), int(alpha));
        }
    }
}
