#ifndef PAPERSIZE_H
#define PAPERSIZE_H

#include <QList>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>

/*
** Paper sizes and the pixels they take. A canvas meant for paper is still a pixel size; the
** paper and the resolution only say how many pixels that is (size x DPI) and how large the
** pixels come out when printed. Lengths are held in millimetres, whatever unit they were
** given in, and papers portrait (the shorter side first).
*/

// The unit sizes are shown and typed in.
enum class LengthUnit {
    Pixels,
    Millimetres,
    Centimetres,
    Inches,
};

inline constexpr int defaultDpi = 300; // what JPEG and PNG files carried before DPI was chosen
inline constexpr int minDpi = 72;
inline constexpr int maxDpi = 1200;
inline constexpr double maxBleedMm = 10.0; // print labs ask for 2 to 5 mm
inline constexpr double mmPerInch = 25.4;

struct PaperPreset
{
    const char *key; // its name on the command line, any letter case
    const char *label; // shown in the size dialog, in the context "SizeWidget"
    QSizeF millimetres; // portrait
    LengthUnit unit; // the unit it is named in
};

// A5 to A2, the US sizes, then the photo prints in cm and in inches.
const QList<PaperPreset> &paperPresets();

// The preset of that key, any letter case; "10x15cm", "10 x 15 cm", "a4" and "letter" all
// name one. Nothing for an unknown name.
std::optional<PaperPreset> paperPreset(const QString &key);

// A paper from the command line: a preset key, or any "WxH" followed by mm, cm or in
// ("9x13cm", "8.5x11in"). Sides up to 2 m; nothing for anything else.
std::optional<QSizeF> parsePaper(const QString &text);

// Pixels for a size in millimetres at `dpi`, each side rounded to the nearest pixel.
QSize paperPixels(const QSizeF &millimetres, int dpi);

// Millimetres that `pixels` cover at `dpi`.
QSizeF pixelMillimetres(const QSize &pixels, int dpi);

// The preset whose pixels at `dpi` are `pixels` in either orientation.
std::optional<PaperPreset> matchingPreset(const QSize &pixels, int dpi);

// The paper, in either orientation, whose pixels at `dpi` are exactly `pixels`, in the
// orientation of `pixels`. Lets a page be exactly A4 although the canvas holds whole pixels.
std::optional<QSizeF> matchingPaper(const QSize &pixels, int dpi);

// The trim of a page that shows `pixels` at `dpi`: the matching paper, or the pixels' size.
QSizeF trimMillimetres(const QSize &pixels, int dpi);

// Whole pixels nearest to `mm` at `dpi`.
int millimetrePixels(double mm, int dpi);

// Millimetres per unit; zero for pixels, which have no length of their own.
double unitMillimetres(LengthUnit unit);

// The unit's short name as shown after a number ("px", "mm", "cm", "in"), translated.
QString unitName(LengthUnit unit);

#endif // PAPERSIZE_H
