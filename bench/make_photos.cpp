// Writes COUNT camera-like JPEGs of about 12 megapixels into DIR, always the same ones:
// mixed shapes (4:3, 16:9, 1:1, 3:4), smooth light with objects and sensor-like noise, and
// every seventh photo stored sideways with EXIF orientation 6, as a phone held upright writes it;
// each carries an EXIF preview of its own shape within 160 x 120. With --display-p3, copies the
// JPEGs of SRC into DST with a Display P3 profile in an APP2 segment after their start, the
// pixels untouched: the same photos as a recent phone tags them.
//
//   bench-photos DIR [COUNT]
//   bench-photos --display-p3 SRC DST
#include <QBuffer>
#include <QColorSpace>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cstdio>
#include <unistd.h>

namespace {

struct Shape
{
    int width;
    int height;
};

const Shape shapes[] = {{4000, 3000}, {4608, 2592}, {3464, 3464}, {3000, 4000}};

void put16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xff)).append(char(v >> 8));
}

void put32(QByteArray &out, quint32 v)
{
    put16(out, quint16(v & 0xffff));
    put16(out, quint16(v >> 16));
}

// An APP1 segment holding a little-endian TIFF block: IFD0 with the Orientation, and IFD1
// with the JPEG preview as a camera writes it.
QByteArray exifSegment(quint16 orientation, const QByteArray &preview)
{
    QByteArray tiff("II*\0", 4);
    put32(tiff, 8); // IFD0
    put16(tiff, 1);
    put16(tiff, 0x0112); // Orientation, SHORT, count 1
    put16(tiff, 3);
    put32(tiff, 1);
    put32(tiff, orientation);
    const quint32 ifd1 = 8 + 2 + 12 + 4;
    put32(tiff, ifd1);
    put16(tiff, 2);
    put16(tiff, 0x0201); // JPEGInterchangeFormat, LONG
    put16(tiff, 4);
    put32(tiff, 1);
    put32(tiff, ifd1 + 2 + 2 * 12 + 4);
    put16(tiff, 0x0202); // JPEGInterchangeFormatLength, LONG
    put16(tiff, 4);
    put32(tiff, 1);
    put32(tiff, quint32(preview.size()));
    put32(tiff, 0); // no next IFD
    tiff += preview;
    QByteArray payload("Exif\0\0", 6);
    payload += tiff;
    QByteArray segment("\xff\xe1", 2);
    const int length = int(payload.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 0xff));
    return segment + payload;
}

QByteArray encode(const QImage &image, int quality)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(quality);
    return writer.write(image) ? buffer.data() : QByteArray();
}

QImage scene(const Shape &shape, QRandomGenerator &random)
{
    QImage image(shape.width, shape.height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const auto colour = [&random] {
        return QColor::fromHsv(random.bounded(360), 40 + random.bounded(180),
                               60 + random.bounded(190));
    };

    // Sky and ground, then a few dozen soft objects in front.
    QLinearGradient light(0, 0, random.bounded(shape.width), shape.height);
    light.setColorAt(0, colour());
    light.setColorAt(0.55, colour());
    light.setColorAt(1, colour().darker(160));
    p.fillRect(image.rect(), light);
    for (int i = 0; i < 40; ++i) {
        const int w = 80 + random.bounded(shape.width / 3);
        const int h = 80 + random.bounded(shape.height / 3);
        const QRectF r(random.bounded(shape.width) - w / 2, random.bounded(shape.height) - h / 2, w,
                       h);
        QRadialGradient body(r.center(), std::max(w, h) / 2.0);
        const QColor c = colour();
        body.setColorAt(0, c.lighter(130));
        body.setColorAt(1, c.darker(140));
        p.setBrush(body);
        p.setPen(QPen(c.darker(200), 1 + random.bounded(6)));
        if (i % 3)
            p.drawEllipse(r);
        else
            p.drawRoundedRect(r, 30, 30);
    }
    // Fine texture, as foliage and fabric give a real photo.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 20000; ++i) {
        p.setPen(QPen(colour(), 1));
        const QPoint a(random.bounded(shape.width), random.bounded(shape.height));
        p.drawLine(a, a + QPoint(random.bounded(-15, 16), random.bounded(-15, 16)));
    }
    p.end();

    // Sensor noise of up to five levels on every channel.
    quint32 state = random.generate();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int n = int((state >> 24) % 11) - 5;
            const QRgb v = line[x];
            line[x] = qRgb(qBound(0, qRed(v) + n, 255), qBound(0, qGreen(v) + n, 255),
                           qBound(0, qBlue(v) + n, 255));
        }
    }
    return image;
}

bool writePhoto(const QString &path, const QImage &image, quint16 orientation)
{
    QByteArray bytes = encode(image, 92);
    // The preview fits in 160 x 120 with the photo's own shape, so that it may stand in for it.
    const QByteArray preview
        = encode(image.scaled(QSize(160, 120), Qt::KeepAspectRatio, Qt::SmoothTransformation), 85);
    if (bytes.isEmpty() || preview.isEmpty())
        return false;
    const QByteArray segment = exifSegment(orientation, preview);
    if (segment.size() <= 0xffff + 2)
        bytes.insert(2, segment); // right after SOI
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

int tagDisplayP3(const QString &source, const QString &target)
{
    const QByteArray icc = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    QByteArray segment("\xff\xe2", 2);
    const int length = 2 + 14 + int(icc.size());
    segment.append(char(length >> 8)).append(char(length & 0xff));
    segment += QByteArray("ICC_PROFILE\0\1\1", 14) + icc;
    if (!QDir().mkpath(target))
        return 1;
    const QStringList names = QDir(source).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        QFile in(QDir(source).filePath(name));
        if (!in.open(QIODevice::ReadOnly))
            return 1;
        QByteArray bytes = in.readAll();
        bytes.insert(2, segment);
        QSaveFile out(QDir(target).filePath(name));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
            return 1;
        }
    }
    return names.isEmpty() ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // painting into a QImage needs no display
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--display-p3"))
        return tagDisplayP3(args.at(2), args.at(3));
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench-photos DIR [COUNT]\n"
                             "       bench-photos --display-p3 SRC DST\n");
        return 1;
    }
    const QString dirPath = args.at(1);
    const int count = args.size() > 2 ? args.at(2).toInt() : 100;
    if (!QDir().mkpath(dirPath)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dirPath));
        return 1;
    }
    QRandomGenerator random(20261208);
    for (int i = 0; i < count; ++i) {
        const Shape &shape = shapes[i % 4];
        const bool sideways = i % 7 == 3;
        QImage image = scene(shape, random);
        if (sideways) // stored turned a quarter left, so orientation 6 turns it upright
            image = image.transformed(QTransform().rotate(-90));
        const QString path
            = QDir(dirPath).filePath(QString("photo_%1.jpg").arg(i, 3, 10, QChar('0')));
        if (!writePhoto(path, image, sideways ? 6 : 1)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        if (isatty(STDERR_FILENO))
            std::fprintf(stderr, "\r%d/%d", i + 1, count);
    }
    if (isatty(STDERR_FILENO))
        std::fprintf(stderr, "\n");
    return 0;
}
