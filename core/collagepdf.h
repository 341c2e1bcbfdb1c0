#ifndef COLLAGEPDF_H
#define COLLAGEPDF_H

#include "collagefile.h"

#include <QByteArray>
#include <QSize>

class QColorSpace;
class QIODevice;

/*
** The collage as a one-page PDF, written by hand: one JPEG image that covers the page, so the
** file is the JPEG save and a few hundred bytes, and the photos keep the JPEG save's quality
** 100. The page is the image at options.dpi; when the part inside the bleed is exactly a
** preset paper at that resolution (see matchingPaper()), the trim is that paper to the
** hundredth of a point, not the rounded pixels. TrimBox gives the paper, BleedBox and
** MediaBox the paper and its bleed. A paper given in options.paper is the page instead, the
** image as large as it fits on it and centred, without bleed. An image that carries a colour space
*with an ICC profile
** has it embedded as its colour space (ICCBased); without one the image is DeviceRGB.
*/

// Writes the page around `jpeg`, an encoded image of `pixels`, into `out`. Fails with the
// device's words when it refused bytes.
Result<void> writeCollagePdf(QIODevice &out, const QByteArray &jpeg, const QSize &pixels,
                             const QColorSpace &colourSpace, const SaveOptions &options);

// The page size in points of an image of `pixels` written with `options`, bleed included.
QSizeF pdfPageSize(const QSize &pixels, const SaveOptions &options);

#endif // COLLAGEPDF_H
