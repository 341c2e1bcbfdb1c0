// The content analysis on a folder of photos: the time of its decode and of each face
// detector per photo, and how many photos showed faces or a subject. Without a folder, the
// recall and time of each detector on the photos composed from Debian's face pictures.
//
//   bench-faces [DIR]
#include "contentdetect.h"
#include "facephotos.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

// This thread's processor time: the machine may be busy with other work.
struct CpuTimer
{
    qint64 from = 0;
    static qint64 now()
    {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    void start() { from = now(); }
    void restart() { from = now(); }
    qint64 nsecsElapsed() const { return now() - from; }
};

// Whether some face found holds the centre of the face at `centre`.
bool found(const ContentBox &box, const QPointF &centre, const QSize &size)
{
    const QPointF share(centre.x() / size.width(), centre.y() / size.height());
    return std::any_of(box.faces.cbegin(), box.faces.cend(),
                       [&](const QRectF &face) { return face.contains(share); });
}

int recall()
{
    // Faceless pictures too: a face found there counts against the precision.
    const QList<facephotos::Photo> photos = facephotos::photos() + facephotos::faceless();
    if (photos.isEmpty()) {
        std::fprintf(stderr, "bench-faces: the face pictures of opencv-doc and python3-skimage "
                             "are not installed\n");
        return 1;
    }
    std::printf("%-10s %8s %8s %10s %10s %s\n", "cascades", "faces", "found", "others", "precision",
                "ms/photo");
    QString line;
    for (const FaceCascades kind : {FaceCascades::Lbp, FaceCascades::Haar}) {
        int faces = 0;
        int hits = 0;
        int others = 0;
        CpuTimer timer;
        qint64 ns = 0;
        for (const facephotos::Photo &photo : photos) {
            const QImage image = photo.image.scaled(analysisSide, analysisSide, Qt::KeepAspectRatio,
                                                    Qt::SmoothTransformation);
            timer.start();
            const ContentBox box = detectContent(image, kind);
            ns += timer.nsecsElapsed();
            int mine = 0;
            for (const QPointF &face : photo.faces) {
                ++faces;
                if (found(box, face, photo.image.size())) {
                    ++hits;
                    ++mine;
                } else if (qEnvironmentVariableIsSet("BENCH_FACES_MISSED")) {
                    std::fprintf(stderr, "missed %s\n", qPrintable(photo.name));
                }
            }
            others += int(box.faces.size()) - mine;
        }
        const char *name = kind == FaceCascades::Lbp ? "lbp" : "haar";
        const double ms = double(ns) / 1e6 / photos.size();
        const double precision = hits + others > 0 ? double(hits) / (hits + others) : 0.0;
        std::printf("%-10s %8d %8d %10d %10.2f %.1f\n", name, faces, hits, others, precision, ms);
        line += QStringLiteral("%1_recall=%2 %1_others=%3 %1_precision=%4 %1_ms=%5 ")
                    .arg(QLatin1String(name))
                    .arg(double(hits) / faces, 0, 'f', 2)
                    .arg(others)
                    .arg(precision, 0, 'f', 2)
                    .arg(ms, 0, 'f', 1);
    }
    std::printf("%s\n", qPrintable(line.trimmed()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 1)
        return recall();
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-faces DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QStringList names = dir.entryList({QStringLiteral("*.jpg"), QStringLiteral("*.png")},
                                            QDir::Files, QDir::Name);
    qint64 decodeNs = 0;
    qint64 detectNs[2] = {0, 0};
    int faces[2] = {0, 0};
    int subjects = 0;
    int photos = 0;
    for (const QString &name : names) {
        const std::optional<PhotoRecord> record = createPhotoRecord(dir.filePath(name));
        if (!record)
            continue;
        ++photos;
        CpuTimer timer;
        timer.start();
        const QImage image = analysisImage(*record);
        decodeNs += timer.nsecsElapsed();
        for (int kind = 0; kind < 2; ++kind) {
            timer.restart();
            const ContentBox box = detectContent(image, FaceCascades(kind));
            detectNs[kind] += timer.nsecsElapsed();
            faces[kind] += int(box.faces.size());
            if (kind == 0 && !box.subject.isNull())
                ++subjects;
        }
    }
    if (photos == 0)
        return 1;
    const auto ms = [photos](qint64 ns) { return double(ns) / 1e6 / photos; };
    std::printf("%-28s %s\n", "per photo, processor time", "ms");
    std::printf("%-28s %.1f\n", "decode for the analysis", ms(decodeNs));
    std::printf("%-28s %.1f (%d faces)\n", "LBP cascades", ms(detectNs[0]), faces[0]);
    std::printf("%-28s %.1f (%d faces)\n", "Haar cascades", ms(detectNs[1]), faces[1]);
    std::printf("photos=%d decode_ms=%.1f lbp_ms=%.1f haar_ms=%.1f subjects=%d\n", photos,
                ms(decodeNs), ms(detectNs[0]), ms(detectNs[1]), subjects);
    return 0;
}
