#include "collageprint.h"

#include "imagecache.h"
#include "papersize.h"

#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPromise>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>

PrintPage printPage(const QPrinter &printer)
{
    return {QSize(printer.width(), printer.height()), printer.resolution()};
}

QPageLayout::Orientation bestOrientation(const QSize &canvas)
{
    return canvas.width() > canvas.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void preparePrinter(QPrinter &printer, const CollageDocument &document, const QString &name)
{
    if (const std::optional<QSizeF> paper = matchingPaper(document.requestedSize, document.dpi)) {
        const QSizeF portrait(std::min(paper->width(), paper->height()),
                              std::max(paper->width(), paper->height()));
        printer.setPageSize(QPageSize(portrait, QPageSize::Millimeter));
    }
    printer.setPageOrientation(bestOrientation(document.requestedSize));
    printer.setDocName(name);
}

PrintPlacement placeOnPage(const QSizeF &collage, const QSizeF &area, PrintFit fit)
{
    if (collage.isEmpty() || area.isEmpty())
        return {};
    if (fit == PrintFit::Whole) {
        const QSizeF shown = collage.scaled(area, Qt::KeepAspectRatio);
        const QPointF corner((area.width() - shown.width()) / 2,
                             (area.height() - shown.height()) / 2);
        return {QRectF(corner, shown), QRectF(QPointF(), collage)};
    }
    // The largest part of the collage of the area's shape, centred.
    const QSizeF kept = area.scaled(collage, Qt::KeepAspectRatio);
    const QPointF corner((collage.width() - kept.width()) / 2,
                         (collage.height() - kept.height()) / 2);
    return {QRectF(QPointF(), area), QRectF(corner, kept)};
}

QSize printRenderSize(const QSize &canvas, const PrintPage &page, PrintFit fit)
{
    const PrintPlacement placement = placeOnPage(canvas, page.area, fit);
    if (placement.source.isEmpty())
        return QSize();
    // Pixels of the page per pixel of the collage, applied to the whole collage.
    const double scale = placement.target.width() / placement.source.width();
    QSizeF pixels = QSizeF(canvas) * scale;
    if (pixels.width() > maxPrintSide || pixels.height() > maxPrintSide)
        pixels.scale(maxPrintSide, maxPrintSide, Qt::KeepAspectRatio);
    return QSize(std::max(1, int(std::lround(pixels.width()))),
                 std::max(1, int(std::lround(pixels.height()))));
}

PrintRender renderPrint(const CollageDocument &document, const PrintPage &page, PrintFit fit,
                        const RenderProgress &progress, const std::function<bool()> &cancelled)
{
    const QSize size = printRenderSize(document.requestedSize, page, fit);
    if (size.isEmpty())
        return {QImage(), fit, {}};
    ImageCache cache(ImageCache::Retention::DrawOnly);
    RenderOptions options;
    options.cancelled = cancelled;
    DocumentRender rendered
        = renderDocument(document, cache, size, RenderKind::Collage, progress, options);
    return {std::move(rendered.image), fit, std::move(rendered.dropped)};
}

QFuture<PrintRender> startPrintRender(const CollageDocument &document, const PrintPage &page,
                                      PrintFit fit)
{
    return QtConcurrent::run([document, page, fit](QPromise<PrintRender> &promise) {
        const auto progress = [&promise](int done, int total) {
            // Set from the decoding threads; QPromise takes its own lock.
            promise.setProgressRange(0, total);
            promise.setProgressValue(done);
        };
        PrintRender render = renderPrint(document, page, fit, progress,
                                         [&promise] { return promise.isCanceled(); });
        if (!promise.isCanceled())
            promise.addResult(std::move(render));
    });
}

void paintPrint(QPainter &painter, const PrintPage &page, const PrintRender &render)
{
    if (render.image.isNull())
        return;
    const PrintPlacement placement = placeOnPage(render.image.size(), page.area, render.fit);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(placement.target, render.image, placement.source);
    painter.restore();
}

bool printCollage(QPrinter &printer, const PrintRender &render)
{
    if (render.image.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    paintPrint(painter, printPage(printer), render);
    return painter.end();
}
