#include "collagepdf.h"

#include "papersize.h"

#include <QColorSpace>
#include <QIODevice>
#include <QList>
#include <QRectF>

#include <algorithm>

namespace {

constexpr double pointsPerInch = 72.0;

QByteArray number(double value)
{
    QByteArray text = QByteArray::number(value, 'f', 3);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text;
}

QByteArray box(double left, double bottom, double right, double top)
{
    return '[' + number(left) + ' ' + number(bottom) + ' ' + number(right) + ' ' + number(top)
           + ']';
}

// A text string in UTF-16 with its byte order mark, as hex: safe for every character.
QByteArray textString(const QString &text)
{
    QByteArray bytes("<FEFF");
    for (const QChar c : text)
        bytes += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return bytes + '>';
}

// Numbers the objects and keeps their offsets for the cross-reference table.
class PdfOut
{
public:
    explicit PdfOut(QIODevice &device)
        : device(device)
    {
    }
    bool put(const QByteArray &bytes)
    {
        ok = ok && device.write(bytes) == bytes.size();
        offset += bytes.size();
        return ok;
    }
    // Object `id`, whose number the caller chose from the order of writing.
    void begin(int id)
    {
        offsets.resize(std::max<qsizetype>(offsets.size(), id + 1));
        offsets[id] = offset;
        put(QByteArray::number(id) + " 0 obj\n");
    }
    void object(int id, const QByteArray &body)
    {
        begin(id);
        put(body + "\nendobj\n");
    }
    void stream(int id, const QByteArray &dictionary, const QByteArray &data)
    {
        begin(id);
        put("<<" + dictionary + " /Length " + QByteArray::number(data.size()) + ">>\nstream\n");
        put(data);
        put("\nendstream\nendobj\n");
    }
    bool finish(int root, int info)
    {
        const qint64 table = offset;
        put("xref\n0 " + QByteArray::number(offsets.size()) + "\n0000000000 65535 f \n");
        for (qsizetype i = 1; i < offsets.size(); ++i)
            put(QByteArray::number(offsets.at(i)).rightJustified(10, '0') + " 00000 n \n");
        put("trailer\n<</Size " + QByteArray::number(offsets.size()) + " /Root "
            + QByteArray::number(root) + " 0 R /Info " + QByteArray::number(info)
            + " 0 R>>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n");
        return ok;
    }

private:
    QIODevice &device;
    QList<qint64> offsets {0};
    qint64 offset = 0;
    bool ok = true;
};

struct PageBoxes
{
    QSizeF media; // points, bleed included
    double bleed; // points on every side
    QRectF image; // where the image lies on the page, in points from the bottom left
};

PageBoxes pageBoxes(const QSize &pixels, const SaveOptions &options)
{
    const double toPoints = pointsPerInch / mmPerInch;
    if (!options.paper.isEmpty() && !pixels.isEmpty()) {
        const QSizeF media = options.paper * toPoints;
        const QSizeF shown = QSizeF(pixels).scaled(media, Qt::KeepAspectRatio);
        const QPointF corner((media.width() - shown.width()) / 2,
                             (media.height() - shown.height()) / 2);
        return {media, 0.0, QRectF(corner, shown)};
    }
    const int dpi = std::clamp(options.dpi, minDpi, maxDpi);
    // The trim keeps at least a pixel, whatever bleed is asked for.
    const int bleed
        = std::clamp(options.bleed, 0, (std::min(pixels.width(), pixels.height()) - 1) / 2);
    const QSizeF trim = trimMillimetres(pixels - QSize(2 * bleed, 2 * bleed), dpi);
    const double bleedPoints = bleed * pointsPerInch / dpi;
    const QSizeF media(trim.width() * toPoints + 2 * bleedPoints,
                       trim.height() * toPoints + 2 * bleedPoints);
    return {media, bleedPoints, QRectF(QPointF(), media)};
}

} // namespace

QSizeF pdfPageSize(const QSize &pixels, const SaveOptions &options)
{
    return pageBoxes(pixels, options).media;
}

Result<void> writeCollagePdf(QIODevice &device, const QByteArray &jpeg, const QSize &pixels,
                             const QColorSpace &colourSpace, const SaveOptions &options)
{
    enum { Catalog = 1, Pages, Page, Image, Contents, Info, Profile };
    const PageBoxes boxes = pageBoxes(pixels, options);
    const double w = boxes.media.width();
    const double h = boxes.media.height();
    const double b = boxes.bleed;
    // Colour management gives the image its colour space; its profile then travels with it.
    const QByteArray profile = colourSpace.isValid() ? colourSpace.iccProfile() : QByteArray();

    PdfOut pdf(device);
    pdf.put("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    pdf.object(Catalog, "<</Type /Catalog /Pages 2 0 R>>");
    pdf.object(Pages, "<</Type /Pages /Kids [3 0 R] /Count 1>>");
    pdf.object(Page, "<</Type /Page /Parent 2 0 R /MediaBox " + box(0, 0, w, h) + " /BleedBox "
                         + box(0, 0, w, h) + " /TrimBox " + box(b, b, w - b, h - b)
                         + " /Resources <</XObject <</Im0 4 0 R>>>> /Contents 5 0 R>>");
    pdf.stream(Image,
               "/Type /XObject /Subtype /Image /Width " + QByteArray::number(pixels.width())
                   + " /Height " + QByteArray::number(pixels.height()) + " /ColorSpace "
                   + (profile.isEmpty() ? "/DeviceRGB" : "[/ICCBased 7 0 R]")
                   + " /BitsPerComponent 8 /Filter /DCTDecode",
               jpeg);
    const QRectF &shown = boxes.image;
    pdf.stream(Contents, QByteArray(),
               "q " + number(shown.width()) + " 0 0 " + number(shown.height()) + ' '
                   + number(shown.left()) + ' ' + number(shown.top()) + " cm /Im0 Do Q");
    pdf.object(Info, "<</Title " + textString(options.title) + " /Producer "
                         + textString(QStringLiteral("Vellomir " VELLOMIR_VERSION)) + ">>");
    if (!profile.isEmpty())
        pdf.stream(Profile, "/N 3", profile);
    if (!pdf.finish(Catalog, Info))
        return Failure {device.errorString()};
    return {};
}
