#ifndef PAPERFIXTURE_H
#define PAPERFIXTURE_H

// What the paper tests share: a laid-out collage of generated photos, and a PDF read back
// through poppler's tools, so that the files are judged by a reader other than their writer.

#include "collagedocument.h"
#include "layoutrun.h"
#include "photoloader.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

namespace paper {

// `count` photos of several shapes and colours in `folder`, laid out on `requested` at `dpi`
// as the window lays them out: on the working canvas, saved at the size asked for.
inline CollageDocument collage(const QString &folder, int count, const QSize &requested, int dpi)
{
    CollageDocument document;
    QList<QSize> sizes;
    for (int i = 0; i < count; ++i) {
        const QSize size = i % 3 ? QSize(640, 480) : QSize(480, 640);
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((i * 67) % 360, 200, 80 + (i * 29) % 160));
        const QString path = QDir(folder).filePath(QStringLiteral("photo%1.jpg").arg(i));
        if (!image.save(path, "jpg", 95))
            return {};
        document.photos << *createPhotoRecord(path);
        sizes << size;
    }
    document.requestedSize = requested;
    document.canvasSize = workingCanvasSize(requested);
    document.dpi = dpi;
    document.background = QColor(20, 40, 200);
    document.seed = 7;
    document.layout = runLayout(sizes, document.canvasSize, document.seed);
    return document;
}

inline bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

inline QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct PdfFacts
{
    int pages = 0;
    QSizeF media; // points
    QRectF trim; // points
    QSize image; // the first image's pixels
    QString title;
};

// What pdfinfo and pdfimages say about the first page of a PDF; nothing when they refuse it.
inline std::optional<PdfFacts> readPdf(const QString &path)
{
    const QString info
        = run(QStringLiteral("pdfinfo"),
              {QStringLiteral("-box"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path});
    if (info.isEmpty())
        return std::nullopt;
    PdfFacts facts;
    const auto field = [&info](const char *name) {
        const QRegularExpression line(QStringLiteral("^%1:[ \\t]*(.*)$").arg(QLatin1String(name)),
                                      QRegularExpression::MultilineOption);
        return line.match(info).captured(1).trimmed();
    };
    const auto numbers = [](const QString &text) {
        QList<double> values;
        for (const QString &part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            values << part.toDouble();
        return values;
    };
    facts.pages = field("Pages").toInt();
    facts.title = field("Title");
    const QList<double> media = numbers(field("MediaBox"));
    const QList<double> trim = numbers(field("TrimBox"));
    if (media.size() != 4 || trim.size() != 4)
        return std::nullopt;
    facts.media = QSizeF(media[2] - media[0], media[3] - media[1]);
    facts.trim = QRectF(QPointF(trim[0], trim[1]), QPointF(trim[2], trim[3]));
    // page num type width height ...: the first image's line follows the two header lines.
    const QStringList images
        = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path}).split('\n');
    if (images.size() > 2) {
        const QStringList columns = images.at(2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (columns.size() > 4)
            facts.image = QSize(columns.at(3).toInt(), columns.at(4).toInt());
    }
    return facts;
}

// The first page rasterised by pdftoppm at `dpi`.
inline QImage rasterise(const QString &path, int dpi)
{
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-singlefile"),
         QStringLiteral("-png"), path, stem});
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The mean difference of two images over the part they share, per channel, 0..255; 255 when
// their sizes differ by more than a pixel, as pages differing by less than a point may.
inline double meanDifference(const QImage &whole, const QImage &other)
{
    const QSize common = whole.size().boundedTo(other.size());
    if (common.isEmpty() || (whole.size() - common).width() > 1
        || (whole.size() - common).height() > 1 || (other.size() - common).width() > 1
        || (other.size() - common).height() > 1)
        return 255;
    const QImage a = whole.copy(QRect(QPoint(), common));
    const QImage b = other.copy(QRect(QPoint(), common));
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q))
                   + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * a.width() * a.height());
}

} // namespace paper

#endif // PAPERFIXTURE_H
