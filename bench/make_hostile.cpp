// Writes the files the memory benchmark feeds vellomir-collage, always the same ones:
//   DIR/forged/   four progressive JPEGs of about 40 KB whose headers claim 12500 x 12500, the
//                 largest a collage still takes: each would hold 447 MB of coefficients
//   DIR/large/    four real progressive photos of 14000 x 11000, whose coefficients come
//                 just as close to the limit
//   DIR/png/      a real 11000 x 11000 PNG, which is decoded whole, and a PNG header of the
//                 same size with no data behind it
//
//   bench-hostile DIR
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cstdio>

namespace {

QByteArray progressiveJpeg(const QImage &image, int quality)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    return buffer.data();
}

// The frame header rewritten to claim another size.
QByteArray forgedFrame(QByteArray jpeg, int w, int h)
{
    const int sof = int(jpeg.indexOf("\xFF\xC2"));
    if (sof < 0)
        return QByteArray();
    jpeg[sof + 5] = char(h >> 8);
    jpeg[sof + 6] = char(h & 0xFF);
    jpeg[sof + 7] = char(w >> 8);
    jpeg[sof + 8] = char(w & 0xFF);
    return jpeg;
}

QImage noise(int w, int h, quint32 seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    return image;
}

// Smooth light and a few shapes, as a photo has, so that it stays a few megabytes.
QImage scene(int w, int h, int index)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor::fromHsv(index * 70 % 360, 200, 120));
    g.setColorAt(1, QColor::fromHsv((index * 70 + 150) % 360, 120, 240));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(Qt::white, 9));
    for (int r = 50; r < w / 2; r += 211)
        p.drawEllipse(QPoint(w / 2, h / 2), r, r * 3 / 4);
    return image;
}

bool save(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
           && file.commit();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // painting into a QImage needs no display
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench-hostile DIR\n");
        return 1;
    }
    const QDir dir(args.at(1));
    if (!dir.mkpath(QStringLiteral("forged")) || !dir.mkpath(QStringLiteral("large"))
        || !dir.mkpath(QStringLiteral("png"))) {
        std::fprintf(stderr, "cannot create folders in %s\n", qPrintable(dir.path()));
        return 1;
    }
    for (int i = 1; i <= 4; ++i) {
        const QString forged = dir.filePath(QStringLiteral("forged/forged_%1.jpg").arg(i));
        const QString large = dir.filePath(QStringLiteral("large/large_%1.jpg").arg(i));
        if (!save(forged, forgedFrame(progressiveJpeg(noise(224, 224, i), 90), 12500, 12500))
            || !save(large, progressiveJpeg(scene(14000, 11000, i), 85))) {
            std::fprintf(stderr, "cannot write the photos in %s\n", qPrintable(dir.path()));
            return 1;
        }
    }
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.write(scene(11000, 11000, 5));
    }
    // The header alone: the signature, IHDR and the start of IDAT, cut off.
    const QByteArray header = png.left(png.indexOf("IDAT") + 16);
    if (!save(dir.filePath(QStringLiteral("png/big.png")), png)
        || !save(dir.filePath(QStringLiteral("png/header.png")), header)) {
        std::fprintf(stderr, "cannot write the PNGs in %s\n", qPrintable(dir.path()));
        return 1;
    }
    return 0;
}
