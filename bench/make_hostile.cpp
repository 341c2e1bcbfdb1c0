// Writes the files the memory benchmark feeds vellomir-collage, always the same ones:
//   DIR/forged/   four progressive JPEGs of about 48 KB whose headers claim 18000 x 18000
//   DIR/large/    four real progressive photos of 10400 x 7800 with full-resolution colour,
//                 the largest kind a collage still takes
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

// The frame header rewritten to claim another size, and with `sampling` as every component's
// sampling factors (0 keeps them).
QByteArray forgedFrame(QByteArray jpeg, int w, int h, int sampling)
{
    const int sof = int(jpeg.indexOf("\xFF\xC2"));
    if (sof < 0)
        return QByteArray();
    jpeg[sof + 5] = char(h >> 8);
    jpeg[sof + 6] = char(h & 0xFF);
    jpeg[sof + 7] = char(w >> 8);
    jpeg[sof + 8] = char(w & 0xFF);
    const int components = uchar(jpeg[sof + 9]);
    for (int i = 0; sampling && i < components; ++i)
        jpeg[sof + 11 + 3 * i] = char(sampling);
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
    if (!dir.mkpath(QStringLiteral("forged")) || !dir.mkpath(QStringLiteral("large"))) {
        std::fprintf(stderr, "cannot create folders in %s\n", qPrintable(dir.path()));
        return 1;
    }
    for (int i = 1; i <= 4; ++i) {
        const QByteArray forged
            = forgedFrame(progressiveJpeg(noise(224, 224, i), 90), 18000, 18000, 0);
        const QString path = dir.filePath(QStringLiteral("forged/forged_%1.jpg").arg(i));
        if (!save(path, forged))
            return std::fprintf(stderr, "cannot write %s\n", qPrintable(path)), 1;
    }
    for (int i = 1; i <= 4; ++i) {
        // Written with 4:2:0 colour, then every component marked full resolution: the
        // decoder reads it as a 4:4:4 file (its colour is garbled, its memory is real).
        const QByteArray large
            = forgedFrame(progressiveJpeg(scene(10400, 7800, i), 85), 10400, 7800, 0x11);
        const QString path = dir.filePath(QStringLiteral("large/large_%1.jpg").arg(i));
        if (!save(path, large))
            return std::fprintf(stderr, "cannot write %s\n", qPrintable(path)), 1;
    }
    return 0;
}
