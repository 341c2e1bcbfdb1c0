// The first collage's photo layer at the screen's pixel ratio 1 and 2: 100 photos laid out on
// the default 800x600 canvas, each render starting from an empty cache, interleaved.
//
//   bench-ratio PHOTO_FOLDER [RUNS]      (bench-photos makes a folder of camera-like photos)
#include "collagerender.h"
#include "imagecache.h"
#include "layoutrun.h"
#include "photoscan.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-ratio PHOTO_FOLDER [RUNS]\n");
        return 1;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    CollageDocument document;
    for (const QString &path : scanPhotoFolder(QString::fromLocal8Bit(argv[1]))) {
        if (document.photos.size() == maxCollagePhotos)
            break;
        if (const std::optional<PhotoRecord> record = createPhotoRecord(path))
            document.photos << *record;
    }
    QList<QSize> sizes;
    for (const PhotoRecord &photo : std::as_const(document.photos))
        sizes << photo.size;
    document.layout = runLayout(sizes, document.canvasSize, 4242);

    std::vector<qint64> times[2];
    for (int run = 0; run < runs; ++run) {
        for (int ratio : {1, 2}) {
            ImageCache cache;
            QElapsedTimer timer;
            timer.start();
            const QImage layer = renderPhotoLayer(document, cache, document.canvasSize * ratio);
            times[ratio - 1].push_back(timer.elapsed());
            if (layer.size() != document.canvasSize * ratio)
                return 1;
        }
    }
    for (auto &t : times)
        std::sort(t.begin(), t.end());
    const qint64 one = times[0][times[0].size() / 2];
    const qint64 two = times[1][times[1].size() / 2];
    std::printf("%zu photos, %d runs each, median ms: ratio 1 %lld, ratio 2 %lld\n",
                size_t(document.photos.size()), runs, one, two);
    std::printf("ratio1_ms=%lld ratio2_ms=%lld ratio2_over_1=%.2f\n", one, two,
                one > 0 ? double(two) / one : 0.0);
    return 0;
}
