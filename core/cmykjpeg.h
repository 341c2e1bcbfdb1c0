#ifndef CMYKJPEG_H
#define CMYKJPEG_H

#include "colourprofile.h"
#include "result.h"

#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

// Decodes a JPEG whose frame holds CMYK (or YCCK) from the start of `device`, which Qt's
// reader would mix into RGB by a formula that only fits Adobe's inverted files, and without
// their profile. The photo is reduced by 1/2, 1/4 or 1/8 while it is decoded as far as
// `target` (a size as stored) allows, converted to sRGB through `colour` (its profile, and its
// Adobe segment for inks stored inverted), then scaled to the target. A truncated file
// decodes as far as it goes, as Qt's reader decodes it. Not turned upright. The image is sRGB at
// the target size; a failure gives libjpeg's words.
Result<QImage> decodeCmykJpeg(QIODevice *device, const QSize &target, const PhotoColour &colour);

#endif // CMYKJPEG_H
