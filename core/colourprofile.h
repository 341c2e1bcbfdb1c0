#ifndef COLOURPROFILE_H
#define COLOURPROFILE_H

#include "photoformat.h"

#include <QByteArray>
#include <QImage>

class QIODevice;

// Colour management of photos: the ICC profile a photo carries, read from its header without
// decoding it, and the conversion of the decoded photo from that profile to sRGB, the colours
// of the screen and of the saved collage. An empty profile stands for sRGB.
//
// Conversion goes through LittleCMS for every kind of profile (matrix and curves, LUT, grey,
// CMYK), so that a photo's colours never depend on which library took it. Transforms are made
// once per profile and pixel layout and kept in a small process-wide cache; every function may
// run on any thread at once.
//
// The input is untrusted. The readers check every length against the data it comes from and
// take at most maxProfileBytes of profile. A profile that is truncated, larger, damaged, of a
// kind that describes no photo (a device link, an abstract or named-colour profile), or whose
// colour space does not fit the pixels (a grey or CMYK profile on RGB pixels) is ignored: the
// photo is read as sRGB, exactly as a photo without a profile is. Nothing here asserts on input.

// More than any camera, screen or printer profile takes; the largest press profiles are below
// 2 MB.
constexpr qsizetype maxProfileBytes = qsizetype(4) << 20;

// What a photo's header says about its colours.
struct PhotoColour
{
    QByteArray profile; // ICC profile of the pixels, checked for size only; empty: sRGB
    int jpegComponents = 0; // JPEG: colour components of its frame, 4 for CMYK; 0 otherwise
    bool adobe = false; // JPEG: an Adobe segment, whose writers store CMYK inverted
};

// Reads the colour description of a photo in `format` from the start of `device`:
// - JPEG: the ICC profile of its APP2 segments, however many it is split over; the frame's
//   component count and the Adobe segment;
// - PNG: iCCP, else sRGB, else gAMA and cHRM turned into a profile;
// - WebP: the ICCP chunk; TIFF: the ICC tag of the first directory.
// HEIF and AVIF describe their colours inside what libheif decodes (HeifImage). The device's
// position is left anywhere.
PhotoColour readPhotoColour(QIODevice *device, PhotoFormat format);

// The profile of an ITU-T H.273 colour description (nclx in HEIF and AVIF): its colour
// primaries and transfer characteristics. Empty for sRGB, for 2 (unspecified) in both, and
// for codes out of range or describing no picture a screen shows (PQ and HLG).
QByteArray codedColourProfile(int primaries, int transfer);

// The image converted from `profile` to sRGB. Returned untouched, same pixels and same format,
// when the profile is empty, unusable, sRGB itself, or of another colour space than the
// pixels (grey profiles go with grey images only). Otherwise the result is 32-bit RGB (RGBX
// for RGBX and RGBA images), with the alpha the image had. Either way the image carries no
// QColorSpace: like every image the program draws, it is sRGB.
QImage toSrgb(QImage image, const QByteArray &profile);

// A CMYK photo in sRGB. `cmyk` is a 32-bit image whose four bytes per pixel hold cyan,
// magenta, yellow and black in memory order, as a JPEG decoder gives them; `inverted` when
// they are stored as 255 minus the ink (Adobe's writers). Without a usable CMYK profile inks
// are taken for plain light filters: red = (255 - cyan) * (255 - black) / 255. Converted in
// place: the result is the same image as Format_RGB32.
QImage cmykToSrgb(QImage cmyk, bool inverted, const QByteArray &profile);

#endif // COLOURPROFILE_H
