// Display P3 photos to sRGB, the matrix-and-curves case: Qt's QColorSpace against the
// LittleCMS transform that decodes use (toSrgb()), on a photo as a collage cell decodes it and
// on a whole 12-megapixel one, best of RUNS. Both are checked against LittleCMS's own
// conversion without its optimisations, in whole levels. The set-up line times making the
// transform from the profile's bytes once, as the first photo of a phone pays it.
//
//   bench-colour [RUNS]      (5 by default)
#include "colourprofile.h"

#include <QColorSpace>
#include <QColorTransform>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <lcms2.h>

namespace {

// Smooth light across the frame with sensor-like noise: every level of every channel occurs.
QImage photo(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const auto level = [&noise](int base) {
                return std::clamp(base + int(noise.bounded(17)) - 8, 0, 255);
            };
            line[x] = qRgb(level(255 * x / size.width()), level(255 * y / size.height()),
                           level(255 - 255 * (x + y) / (size.width() + size.height())));
        }
    }
    return image;
}

QImage reference(const QImage &pixels, const QByteArray &icc)
{
    cmsHPROFILE in = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    cmsHPROFILE out = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform = cmsCreateTransform(in, TYPE_BGRA_8, out, TYPE_BGRA_8,
                                                 INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
    QImage result = pixels.copy();
    cmsDoTransformLineStride(transform, pixels.constBits(), result.bits(),
                             cmsUInt32Number(pixels.width()), cmsUInt32Number(pixels.height()),
                             cmsUInt32Number(pixels.bytesPerLine()),
                             cmsUInt32Number(result.bytesPerLine()), 0, 0);
    cmsDeleteTransform(transform);
    cmsCloseProfile(in);
    cmsCloseProfile(out);
    return result;
}

int maxDifference(const QImage &a, const QImage &b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *q = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            most = std::max({most, std::abs(qRed(p[x]) - qRed(q[x])),
                             std::abs(qGreen(p[x]) - qGreen(q[x])),
                             std::abs(qBlue(p[x]) - qBlue(q[x]))});
    }
    return most;
}

// Best time of `runs` in microseconds; each run converts a fresh copy of `source`.
qint64 best(int runs, const QImage &source, const std::function<QImage(QImage)> &convert,
            QImage *result)
{
    qint64 fastest = -1;
    for (int i = 0; i < runs; ++i) {
        QImage copy = source.copy();
        QElapsedTimer timer;
        timer.start();
        QImage converted = convert(std::move(copy));
        const qint64 t = timer.nsecsElapsed() / 1000;
        fastest = fastest < 0 ? t : std::min(fastest, t);
        *result = std::move(converted);
    }
    return fastest;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const QByteArray icc = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    const QColorSpace srgb(QColorSpace::SRgb);

    const auto qtConvert = [&icc, &srgb](QImage image) {
        image.setColorSpace(QColorSpace::fromIccProfile(icc));
        image.convertToColorSpace(srgb);
        return image;
    };
    const auto lcmsConvert = [&icc](QImage image) { return toSrgb(std::move(image), icc); };

    // Making the transform once: Qt parses the profile and builds its tables on first use;
    // LittleCMS parses, optimises and checks for an sRGB profile (toSrgb()'s cache, emptied by
    // a profile of its own bytes each time).
    const QImage pixel = photo(QSize(1, 1));
    qint64 qtSetup = -1;
    qint64 lcmsSetup = -1;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QColorTransform transform
            = QColorSpace::fromIccProfile(icc).transformationToColorSpace(srgb);
        (void)transform.map(QColor(Qt::red)); // tables are built on first use
        const qint64 q = timer.nsecsElapsed() / 1000;
        qtSetup = qtSetup < 0 ? q : std::min(qtSetup, q);
        QByteArray unique = icc;
        unique.append(char(i)); // past the declared size: the same profile, another cache key
        timer.restart();
        (void)toSrgb(pixel, unique);
        const qint64 l = timer.nsecsElapsed() / 1000;
        lcmsSetup = lcmsSetup < 0 ? l : std::min(lcmsSetup, l);
    }

    std::printf("%-34s %10s %10s %8s %8s\n", "Display P3 to sRGB (best of runs)", "Qt us",
                "LCMS us", "Qt lvl", "LCMS lvl");
    std::printf("%-34s %10lld %10lld\n", "making the transform", static_cast<long long>(qtSetup),
                static_cast<long long>(lcmsSetup));
    QString figures;
    const QSize sizes[] = {QSize(1000, 750), QSize(4000, 3000)};
    for (const QSize &size : sizes) {
        const QImage source = photo(size);
        const QImage expected = reference(source, icc);
        QImage byQt;
        QImage byLcms;
        (void)lcmsConvert(source.copy()); // the transform is made once per profile
        const qint64 qt = best(runs, source, qtConvert, &byQt);
        const qint64 lcms = best(runs, source, lcmsConvert, &byLcms);
        byQt.setColorSpace(QColorSpace());
        const int qtOff = maxDifference(byQt, expected);
        const int lcmsOff = maxDifference(byLcms, expected);
        std::printf("%-34s %10lld %10lld %8d %8d\n",
                    qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())),
                    static_cast<long long>(qt), static_cast<long long>(lcms), qtOff, lcmsOff);
        const QString tag = QString::number(size.width());
        figures += QStringLiteral(" qt_%1_us=%2 lcms_%1_us=%3 qt_%1_levels=%4 lcms_%1_levels=%5")
                       .arg(tag)
                       .arg(qt)
                       .arg(lcms)
                       .arg(qtOff)
                       .arg(lcmsOff);
    }
    std::printf("qt_setup_us=%lld lcms_setup_us=%lld%s\n", static_cast<long long>(qtSetup),
                static_cast<long long>(lcmsSetup), qPrintable(figures));
    return 0;
}
