#include "papersize.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>

namespace {

constexpr double maxPaperMm = 2000.0;

QSizeF inches(double w, double h)
{
    return QSizeF(w * mmPerInch, h * mmPerInch);
}

QString normalised(QString text)
{
    return text.remove(QLatin1Char(' ')).toLower();
}

} // namespace

const QList<PaperPreset> &paperPresets()
{
    static const QList<PaperPreset> presets {
        {"A5",
         QT_TRANSLATE_NOOP("SizeWidget", "A5 (148 x 210 mm)"),
         {148, 210},
         LengthUnit::Millimetres},
        {"A4",
         QT_TRANSLATE_NOOP("SizeWidget", "A4 (210 x 297 mm)"),
         {210, 297},
         LengthUnit::Millimetres},
        {"A3",
         QT_TRANSLATE_NOOP("SizeWidget", "A3 (297 x 420 mm)"),
         {297, 420},
         LengthUnit::Millimetres},
        {"A2",
         QT_TRANSLATE_NOOP("SizeWidget", "A2 (420 x 594 mm)"),
         {420, 594},
         LengthUnit::Millimetres},
        {"Letter", QT_TRANSLATE_NOOP("SizeWidget", "US Letter (8.5 x 11 in)"), inches(8.5, 11),
         LengthUnit::Inches},
        {"Legal", QT_TRANSLATE_NOOP("SizeWidget", "US Legal (8.5 x 14 in)"), inches(8.5, 14),
         LengthUnit::Inches},
        {"Tabloid", QT_TRANSLATE_NOOP("SizeWidget", "Tabloid (11 x 17 in)"), inches(11, 17),
         LengthUnit::Inches},
        {"10x15cm",
         QT_TRANSLATE_NOOP("SizeWidget", "Photo 10 x 15 cm"),
         {100, 150},
         LengthUnit::Centimetres},
        {"13x18cm",
         QT_TRANSLATE_NOOP("SizeWidget", "Photo 13 x 18 cm"),
         {130, 180},
         LengthUnit::Centimetres},
        {"15x20cm",
         QT_TRANSLATE_NOOP("SizeWidget", "Photo 15 x 20 cm"),
         {150, 200},
         LengthUnit::Centimetres},
        {"20x30cm",
         QT_TRANSLATE_NOOP("SizeWidget", "Photo 20 x 30 cm"),
         {200, 300},
         LengthUnit::Centimetres},
        {"4x6in", QT_TRANSLATE_NOOP("SizeWidget", "Photo 4 x 6 in"), inches(4, 6),
         LengthUnit::Inches},
        {"5x7in", QT_TRANSLATE_NOOP("SizeWidget", "Photo 5 x 7 in"), inches(5, 7),
         LengthUnit::Inches},
        {"8x10in", QT_TRANSLATE_NOOP("SizeWidget", "Photo 8 x 10 in"), inches(8, 10),
         LengthUnit::Inches},
    };
    return presets;
}

std::optional<PaperPreset> paperPreset(const QString &key)
{
    const QString wanted = normalised(key);
    for (const PaperPreset &preset : paperPresets()) {
        if (normalised(QLatin1String(preset.key)) == wanted)
            return preset;
    }
    return std::nullopt;
}

std::optional<QSizeF> parsePaper(const QString &text)
{
    if (const std::optional<PaperPreset> preset = paperPreset(text))
        return preset->millimetres;
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,4}(?:\\.\\d{1,3})?)x(\\d{1,4}(?:\\.\\d{1,3})?)(mm|cm|in)$"));
    const QRegularExpressionMatch match = pattern.match(normalised(text));
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(3);
    const double per = unit == QLatin1String("mm")   ? 1.0
                       : unit == QLatin1String("cm") ? 10.0
                                                     : mmPerInch;
    const QSizeF size(match.captured(1).toDouble() * per, match.captured(2).toDouble() * per);
    if (size.width() <= 0 || size.height() <= 0 || size.width() > maxPaperMm
        || size.height() > maxPaperMm)
        return std::nullopt;
    return size;
}

int millimetrePixels(double mm, int dpi)
{
    return int(std::lround(mm / mmPerInch * dpi));
}

QSize paperPixels(const QSizeF &millimetres, int dpi)
{
    return QSize(millimetrePixels(millimetres.width(), dpi),
                 millimetrePixels(millimetres.height(), dpi));
}

QSizeF pixelMillimetres(const QSize &pixels, int dpi)
{
    if (dpi <= 0)
        return QSizeF();
    return QSizeF(pixels.width() * mmPerInch / dpi, pixels.height() * mmPerInch / dpi);
}

std::optional<PaperPreset> matchingPreset(const QSize &pixels, int dpi)
{
    for (const PaperPreset &preset : paperPresets()) {
        const QSize portrait = paperPixels(preset.millimetres, dpi);
        if (portrait == pixels || portrait.transposed() == pixels)
            return preset;
    }
    return std::nullopt;
}

std::optional<QSizeF> matchingPaper(const QSize &pixels, int dpi)
{
    const std::optional<PaperPreset> preset = matchingPreset(pixels, dpi);
    if (!preset)
        return std::nullopt;
    const QSizeF paper = preset->millimetres;
    return pixels.width() > pixels.height() ? paper.transposed() : paper;
}

QSizeF trimMillimetres(const QSize &pixels, int dpi)
{
    return matchingPaper(pixels, dpi).value_or(pixelMillimetres(pixels, dpi));
}

double unitMillimetres(LengthUnit unit)
{
    switch (unit) {
    case LengthUnit::Millimetres:
        return 1.0;
    case LengthUnit::Centimetres:
        return 10.0;
    case LengthUnit::Inches:
        return mmPerInch;
    case LengthUnit::Pixels:
        break;
    }
    return 0.0;
}

QString unitName(LengthUnit unit)
{
    switch (unit) {
    case LengthUnit::Millimetres:
        return QCoreApplication::translate("PaperSize", "mm");
    case LengthUnit::Centimetres:
        return QCoreApplication::translate("PaperSize", "cm");
    case LengthUnit::Inches:
        return QCoreApplication::translate("PaperSize", "in");
    case LengthUnit::Pixels:
        break;
    }
    return QCoreApplication::translate("PaperSize", "px");
}
