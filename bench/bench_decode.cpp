// Decodes a generated 4000x3000 JPEG whole, then at scale 8 through loadPhoto, best of five.
#include "photoloader.h"

#include <QElapsedTimer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // painting into a QImage needs no display
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    {
        // Gradients and rings, so the encoder has detail to store, as in a camera photo.
        QImage image(4000, 3000, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient g(0, 0, 4000, 3000);
        g.setColorAt(0, Qt::darkBlue);
        g.setColorAt(1, Qt::yellow);
        p.fillRect(image.rect(), g);
        p.setPen(QPen(Qt::white, 3));
        for (int r = 20; r < 2500; r += 17)
            p.drawEllipse(QPoint(2000, 1500), r, r * 3 / 4);
        p.end();
        image.save(path, "jpg", 90);
    }

    const int runs = 5;
    qint64 full = -1;
    qint64 scaled = -1;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        QImageReader reader(path);
        const QImage image = reader.read();
        const qint64 t = timer.elapsed();
        if (image.size() != QSize(4000, 3000))
            return 1;
        full = full < 0 ? t : std::min(full, t);

        timer.restart();
        const QImage reduced = loadPhoto(PhotoLoader {path, 8.0, 4000, 3000, 1, QSize()});
        const qint64 s = timer.elapsed();
        const QSize size = reduced.size();
        if (size != QSize(500, 375))
            return 1;
        scaled = scaled < 0 ? s : std::min(scaled, s);
    }
    std::printf("%-28s %8s\n", "decode (best of 5)", "ms");
    std::printf("%-28s %8lld\n", "4000x3000 whole", static_cast<long long>(full));
    std::printf("%-28s %8lld\n", "4000x3000 at scale 8", static_cast<long long>(scaled));
    std::printf("decode_full_ms=%lld decode_scaled_ms=%lld\n", static_cast<long long>(full),
                static_cast<long long>(scaled));
    return 0;
}
