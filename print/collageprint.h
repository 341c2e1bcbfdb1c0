#ifndef COLLAGEPRINT_H
#define COLLAGEPRINT_H

#include "collagedocument.h"
#include "collagerender.h"

#include <QFuture>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QSize>

#include <functional>

class QPainter;
class QPrinter;

/*
** Printing a collage. The collage is rendered afresh for the printer, from the photos, at the
** printer's resolution (never the working canvas on screen), and painted onto the page's
** printable area:
**
**   - Whole: as large as the area allows with its shape kept, centred, nothing cut;
**   - FillPage: the area covered, centred, cutting away the least of the collage that does.
**
** The QPrinter is read on the GUI thread only (printPage(), preparePrinter(), paintPrint());
** the render itself is plain values in and out and runs on any thread, usually through
** startPrintRender() with a QFutureWatcher for progress and Cancel. A render is made for one
** page shape, but paints onto any: a page changed in the preview afterwards gets the same
** image placed anew, scaled by the printer.
*/

enum class PrintFit {
    Whole, // the whole collage, as large as it fits
    FillPage, // the printable area covered, the least cut away
};

// The largest side a print is rendered at, as the largest canvas: a 1200 dpi printer's page
// would take more memory than any collage may.
inline constexpr int maxPrintSide = 10000;

// A printer's page as values a render thread may hold.
struct PrintPage
{
    QSize area; // the printable area in device pixels: the painter's window on the page
    int dpi = 300; // the printer's resolution
};

// Where the collage goes on a page.
struct PrintPlacement
{
    QRectF target; // on the page, in the area's pixels
    QRectF source; // the part of the collage shown, in the collage's pixels
};

struct PrintRender
{
    QImage image; // the whole collage for the page; null when cancelled or out of memory
    PrintFit fit = PrintFit::Whole;
    QList<PhotoProblem> dropped; // photos left out because they could not be decoded
};

// The page of a printer as it stands now. GUI thread.
PrintPage printPage(const QPrinter &printer);

// The orientation a canvas fits best: landscape when wider than tall.
QPageLayout::Orientation bestOrientation(const QSize &canvas);

// Makes the printer ready for the document before a dialog shows it: the orientation that fits
// the collage best, the paper the collage was made for when it is one of the presets (see
// matchingPaper()), and the document's name for the print queue.
void preparePrinter(QPrinter &printer, const CollageDocument &document, const QString &name);

// The collage of `collage` pixels placed on an area of `area` pixels.
PrintPlacement placeOnPage(const QSizeF &collage, const QSizeF &area, PrintFit fit);

// The pixels a canvas is rendered at for a page: as large as the placement shows it at the
// printer's resolution, the whole collage also where FillPage cuts it, at most maxPrintSide a side.
QSize printRenderSize(const QSize &canvas, const PrintPage &page, PrintFit fit);

// Renders the document for the page on the calling thread. `progress` counts the photos
// decoded; once `cancelled` says yes, the render stops and the image is null.
PrintRender renderPrint(const CollageDocument &document, const PrintPage &page, PrintFit fit,
                        const RenderProgress &progress = {},
                        const std::function<bool()> &cancelled = {});

// renderPrint() on the global thread pool. The future's progress range is the photos to
// decode; cancel() stops the render at the next photo, and a cancelled future has no result.
// The document is copied: the caller may change its own meanwhile.
QFuture<PrintRender> startPrintRender(const CollageDocument &document, const PrintPage &page,
                                      PrintFit fit);

// Paints a finished render onto the area of `page` through a painter open on the printer, as
// QPrintPreviewDialog::paintRequested gives one. GUI thread.
void paintPrint(QPainter &painter, const PrintPage &page, const PrintRender &render);

// Prints the render as one page. False when the printer cannot be opened or the render is
// empty; GUI thread.
bool printCollage(QPrinter &printer, const PrintRender &render);

#endif // COLLAGEPRINT_H
