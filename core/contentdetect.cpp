#include "contentdetect.h"

#include "memorybudget.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtConcurrent>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <cmath>
#include <mutex>

Q_LOGGING_CATEGORY(lcContent, "vellomir.content", QtWarningMsg)

namespace {

// Raised whenever what the analysis finds changes, so that older cached results are not
// taken for this detector's.
constexpr int analysisVersion = 2;

// The smallest face looked for, as a share of the image's shorter side, and never below the
// cascades' own window.
constexpr double smallestFace = 1.0 / 20;

// The long sides the frontal and the profile cascades scan at. Chosen on the photos composed
// from Debian's face pictures (bench-faces): 320 and 160, the profile's scales 1.3 apart,
// find 82 of their 108 faces, none elsewhere, in 12 ms of processor time a photo; 384 and 256
// at 1.2 find 87 in three times the time, and a collage of 100 photos on the command line pays
// it on top of their decodes.
constexpr int frontalSide = 320;
constexpr int profileSide = 160;

// The shortest long side an analysis decode is reduced to, where the photo is larger.
constexpr int leastAnalysisSide = 400;

struct Cascades
{
    cv::CascadeClassifier frontal;
    cv::CascadeClassifier profile; // finds faces turned to one side; the mirror finds the other
};

// A classifier keeps state while it scans, so every thread loads its own, once.
Cascades &cascadesFor(FaceCascades kind)
{
    thread_local Cascades lbp;
    thread_local Cascades haar;
    thread_local bool lbpTried = false;
    thread_local bool haarTried = false;
    const bool isLbp = kind == FaceCascades::Lbp;
    Cascades &c = isLbp ? lbp : haar;
    bool &tried = isLbp ? lbpTried : haarTried;
    if (!tried) {
        tried = true;
        const std::string dir = VELLOMIR_CASCADE_DIR;
        try {
            if (isLbp) {
                c.frontal.load(dir + "/lbpcascades/lbpcascade_frontalface.xml");
                c.profile.load(dir + "/lbpcascades/lbpcascade_profileface.xml");
            } else {
                c.frontal.load(dir + "/haarcascades/haarcascade_frontalface_default.xml");
                c.profile.load(dir + "/haarcascades/haarcascade_profileface.xml");
            }
        } catch (const cv::Exception &e) {
            qCWarning(lcContent) << "cannot load the face cascades:" << e.what();
        }
        if (c.frontal.empty() || c.profile.empty())
            qCWarning(lcContent) << "face cascades missing under" << VELLOMIR_CASCADE_DIR;
    }
    return c;
}

// The analysis scales images itself and runs many at once: OpenCV's own threads would only
// compete with them.
void singleThreaded()
{
    static std::once_flag once;
    std::call_once(once, [] { cv::setNumThreads(0); });
}

// A detection grown from the eyebrows-to-chin square the cascades find to the whole head.
cv::Rect2d head(const cv::Rect &face)
{
    return {face.x - 0.15 * face.width, face.y - 0.35 * face.height, face.width * 1.3,
            face.height * 1.5};
}

double overlap(const cv::Rect2d &a, const cv::Rect2d &b)
{
    const double common = (a & b).area();
    return common / std::min(a.area(), b.area());
}

// Scans `grey`, which is `factor` times smaller than the image the faces are given for, at
// scales `step` apart.
void scan(cv::CascadeClassifier &cascade, const cv::Mat &grey, bool mirrored, double factor,
          double step, std::vector<cv::Rect2d> &found)
{
    if (cascade.empty())
        return;
    const int side = std::min(grey.cols, grey.rows);
    const int least = std::max(24, int(side * smallestFace));
    std::vector<cv::Rect> faces;
    cascade.detectMultiScale(grey, faces, step, 3, 0, cv::Size(least, least));
    for (cv::Rect face : faces) {
        if (mirrored)
            face.x = grey.cols - face.x - face.width;
        const cv::Rect2d h = head(face);
        found.push_back({h.x * factor, h.y * factor, h.width * factor, h.height * factor});
    }
}

std::vector<cv::Rect2d> findFaces(const cv::Mat &grey, FaceCascades kind)
{
    Cascades &cascades = cascadesFor(kind);
    std::vector<cv::Rect2d> found;
    scan(cascades.frontal, grey, false, 1.0, 1.2, found);
    // The profile cascade costs twice the frontal one and looks one way only, so it scans a
    // smaller copy, and its mirror: a profile a tenth of the photo's long side is still found.
    const double factor = double(std::max(grey.cols, grey.rows)) / profileSide;
    cv::Mat small = grey;
    if (factor > 1.1)
        cv::resize(grey, small, cv::Size(), 1 / factor, 1 / factor, cv::INTER_AREA);
    const double back = double(grey.cols) / small.cols;
    scan(cascades.profile, small, false, back, 1.3, found);
    cv::Mat flipped;
    cv::flip(small, flipped, 1);
    scan(cascades.profile, flipped, true, back, 1.3, found);

    // One face seen by two cascades, or at two scales, is one face: the larger view of it.
    std::sort(found.begin(), found.end(),
              [](const cv::Rect2d &a, const cv::Rect2d &b) { return a.area() > b.area(); });
    std::vector<cv::Rect2d> faces;
    for (const cv::Rect2d &f : found) {
        if (std::none_of(faces.cbegin(), faces.cend(),
                         [&](const cv::Rect2d &kept) { return overlap(kept, f) > 0.5; }))
            faces.push_back(f);
    }
    if (faces.size() > size_t(maxContentFaces))
        faces.resize(maxContentFaces);
    return faces;
}

// The salient subject by the spectral residual: what the log amplitude spectrum holds beyond
// its local average is what stands out of the photo's usual texture. Our own, in a few lines
// over OpenCV's DFT: the saliency module would bring in all of opencv_contrib for it.
std::optional<cv::Rect2d> findSubject(const cv::Mat &grey)
{
    constexpr int side = 64;
    cv::Mat small;
    cv::resize(grey, small, cv::Size(side, side), 0, 0, cv::INTER_AREA);
    small.convertTo(small, CV_32F, 1.0 / 255);
    cv::Mat planes[2] = {small, cv::Mat::zeros(small.size(), CV_32F)};
    cv::Mat spectrum;
    cv::merge(planes, 2, spectrum);
    cv::dft(spectrum, spectrum);
    cv::split(spectrum, planes);
    cv::Mat magnitude, phase;
    cv::cartToPolar(planes[0], planes[1], magnitude, phase);
    cv::Mat logAmplitude;
    cv::log(magnitude + 1e-6f, logAmplitude);
    cv::Mat average;
    cv::blur(logAmplitude, average, cv::Size(3, 3), cv::Point(-1, -1), cv::BORDER_REPLICATE);
    cv::Mat residual;
    cv::exp(logAmplitude - average, residual);
    cv::polarToCart(residual, phase, planes[0], planes[1]);
    cv::merge(planes, 2, spectrum);
    cv::dft(spectrum, spectrum, cv::DFT_INVERSE | cv::DFT_SCALE);
    cv::split(spectrum, planes);
    cv::Mat saliency;
    cv::magnitude(planes[0], planes[1], saliency);
    saliency = saliency.mul(saliency);
    cv::GaussianBlur(saliency, saliency, cv::Size(9, 9), 2.5);

    // What stands out at least three times the mean, held from the 5th to the 95th percentile
    // of it each way, so that a few bright specks do not stretch the box over the photo.
    const double mean = cv::mean(saliency)[0];
    if (!(mean > 0))
        return std::nullopt;
    cv::Mat strong;
    cv::threshold(saliency, strong, 3 * mean, 0, cv::THRESH_TOZERO);
    cv::Mat columns, rows;
    cv::reduce(strong, columns, 0, cv::REDUCE_SUM);
    cv::reduce(strong, rows, 1, cv::REDUCE_SUM);
    const double total = cv::sum(strong)[0];
    if (!(total > 0))
        return std::nullopt;
    const auto range = [total](const cv::Mat &sums) {
        const float *v = sums.ptr<float>();
        const int n = int(sums.total());
        double seen = 0;
        int lo = 0;
        int hi = n - 1;
        bool started = false;
        for (int i = 0; i < n; ++i) {
            seen += v[i];
            if (!started && seen >= 0.05 * total) {
                lo = i;
                started = true;
            }
            if (seen <= 0.95 * total)
                hi = i + 1;
        }
        return std::pair<double, double>(double(lo) / n, double(std::max(hi, lo) + 1) / n);
    };
    const auto [left, right] = range(columns);
    const auto [top, bottom] = range(rows);
    // A subject spread over nearly all of the photo says no more than the centre crop.
    if ((right - left) * (bottom - top) > 0.8)
        return std::nullopt;
    return cv::Rect2d(left, top, std::min(right, 1.0) - left, std::min(bottom, 1.0) - top);
}

QRectF share(const cv::Rect2d &r, const cv::Size &size)
{
    const QRectF whole(0, 0, 1, 1);
    return QRectF(r.x / size.width, r.y / size.height, r.width / size.width, r.height / size.height)
        .intersected(whole);
}

} // namespace

ContentBox detectContent(const QImage &image, FaceCascades cascades)
{
    // Too small or too thin to hold a face or a subject worth moving a crop for.
    if (image.isNull() || image.width() < 16 || image.height() < 16
        || image.width() > 8 * image.height() || image.height() > 8 * image.width())
        return {};
    singleThreaded();
    QImage scaled = image;
    if (std::max(image.width(), image.height()) > frontalSide * 9 / 8)
        scaled
            = image.scaled(frontalSide, frontalSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Any depth, palette or alpha comes out as eight-bit grey; transparent pixels count as
    // what they hold, which is no worse than any other guess.
    const QImage greyImage = scaled.convertToFormat(QImage::Format_Grayscale8);
    if (greyImage.isNull())
        return {};
    ContentBox box;
    try {
        const cv::Mat view(greyImage.height(), greyImage.width(), CV_8UC1,
                           const_cast<uchar *>(greyImage.constBits()),
                           size_t(greyImage.bytesPerLine()));
        // A flat image shows nothing, though its spectrum's residual would make up a subject.
        cv::Scalar mean, deviation;
        cv::meanStdDev(view, mean, deviation);
        if (deviation[0] < 2)
            return {};
        cv::Mat grey;
        cv::equalizeHist(view, grey);
        for (const cv::Rect2d &face : findFaces(grey, cascades)) {
            const QRectF r = share(face, grey.size());
            if (!r.isEmpty())
                box.faces.append(r);
        }
        if (box.faces.isEmpty()) {
            if (const std::optional<cv::Rect2d> subject = findSubject(view))
                box.subject = QRectF(subject->x, subject->y, subject->width, subject->height)
                                  .intersected(QRectF(0, 0, 1, 1));
        }
    } catch (const cv::Exception &e) {
        qCWarning(lcContent) << "analysis failed:" << e.what();
        return {};
    } catch (const std::exception &e) {
        qCWarning(lcContent) << "analysis failed:" << e.what();
        return {};
    }
    return box;
}

PhotoLoader analysisLoader(const PhotoRecord &photo)
{
    const QSize upright = uprightSize(photo);
    const int longSide = std::max(upright.width(), upright.height());
    // A JPEG decodes at a half, a quarter or an eighth of its size straight from its DCT, and
    // at any other size through a smooth resampling of the next larger one, which cost as
    // much again as the decode: so the smallest of those that keeps the detector's detail.
    double reduction = 1;
    while (reduction < 8 && longSide / (2 * reduction) >= leastAnalysisSide)
        reduction *= 2;
    if (longSide / reduction > 2 * analysisSide)
        reduction = double(longSide) / analysisSide;
    return {photo.path, reduction, upright.width(), upright.height(), photo.orientation,
            QSize(),    false};
}

// The decode and the grey copies the detector scans, a few bytes a pixel of the target.
static qint64 analysisBytes(const PhotoHeader &header, const PhotoLoader &loader)
{
    return loaderDecodeBytes(header, loader) + detectorBytes;
}

bool keepsAnalysisImage(const PhotoRecord &photo, const PhotoHeader &header,
                        const PhotoLoader &loader)
{
    return analysisLoader(photo).scale == 8 && decodesEighth(header, loader);
}

std::optional<ContentBox> analyseDecode(const PhotoRecord &photo, const PhotoHeader &header,
                                        const QImage &decoded)
{
    if (decoded.isNull()
        || analysisBytes(header, analysisLoader(photo)) > MemoryBudget::decoding().total())
        return std::nullopt;
    return detectContent(decoded);
}

QImage analysisImage(const PhotoRecord &photo)
{
    if (uprightSize(photo).isEmpty())
        return QImage();
    const PhotoLoader loader = analysisLoader(photo);
    const std::optional<PhotoHeader> header = readPhotoHeader(photo.path);
    if (!header)
        return QImage();
    const qint64 need = analysisBytes(*header, loader);
    if (need > MemoryBudget::decoding().total())
        return QImage();
    const MemoryReservation reservation = MemoryBudget::decoding().reserve(need);
    return loadPhoto(loader);
}

std::optional<ContentBox> analysePhoto(const PhotoRecord &photo)
{
    const QImage image = analysisImage(photo);
    if (image.isNull())
        return std::nullopt;
    const MemoryReservation reservation = MemoryBudget::decoding().reserve(detectorBytes);
    return detectContent(image);
}

PhotoStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {path, -1, 0};
    return {path, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

QString ContentCache::defaultDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return base.isEmpty() ? QString() : base + QLatin1String("/content");
}

ContentCache::ContentCache(const QString &directory, int maxFiles)
    : directory(directory)
    , maxFiles(std::max(1, maxFiles))
{
}

// Removes the oldest results past maxFiles, never the one just written (`kept`), whose time
// may tie with others.
void ContentCache::prune(const QString &kept)
{
    const QFileInfoList entries = QDir(directory).entryInfoList(
        {QStringLiteral("*.json")}, QDir::Files | QDir::NoDotAndDotDot, QDir::Time);
    for (qsizetype i = maxFiles; i < entries.size(); ++i) {
        if (entries[i].fileName() != kept)
            QFile::remove(entries[i].filePath());
    }
}

QString ContentCache::keyOf(const PhotoStamp &photo) const
{
    if (photo.bytes < 0 || photo.path.isEmpty())
        return QString();
    const QByteArray key = QString(QStringLiteral("%1\n%2\n%3\n%4")
                                       .arg(analysisVersion)
                                       .arg(QFileInfo(photo.path).absoluteFilePath())
                                       .arg(photo.bytes)
                                       .arg(photo.modified))
                               .toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex());
}

std::optional<ContentBox> ContentCache::find(const PhotoStamp &photo) const
{
    const QString key = keyOf(photo);
    if (key.isEmpty())
        return std::nullopt;
    {
        const QMutexLocker locker(&mutex);
        const auto known = boxes.constFind(key);
        if (known != boxes.constEnd())
            return *known;
    }
    if (directory.isEmpty())
        return std::nullopt;
    QFile file(directory + QLatin1Char('/') + key + QLatin1String(".json"));
    // A cache entry is a few hundred bytes; anything larger is not one of ours.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 16384)
        return std::nullopt;
    const std::optional<ContentBox> box
        = contentFromObject(QJsonDocument::fromJson(file.readAll()).object());
    if (box) {
        const QMutexLocker locker(&mutex);
        boxes.insert(key, *box);
    }
    return box;
}

void ContentCache::store(const PhotoStamp &photo, const ContentBox &box)
{
    const QString key = keyOf(photo);
    if (key.isEmpty())
        return;
    {
        const QMutexLocker locker(&mutex);
        boxes.insert(key, box);
    }
    if (directory.isEmpty() || !QDir().mkpath(directory))
        return;
    // A cache that cannot be written only costs the analysis next time.
    const QString name = key + QLatin1String(".json");
    QSaveFile file(directory + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QJsonDocument(contentObject(box)).toJson(QJsonDocument::Compact));
    if (!file.commit())
        return;
    // The directory is listed on the first write and then once every sixteenth of the bound,
    // so that it never grows far past it and the listing costs little.
    bool due;
    {
        const QMutexLocker locker(&mutex);
        due = written++ % std::max(1, maxFiles / 16) == 0;
    }
    if (due)
        prune(name);
}

namespace {

std::optional<ContentBox> contentOf(const PhotoStamp &photo, ContentCache &cache,
                                    const ContentCallbacks &callbacks)
{
    if (const std::optional<ContentBox> known = cache.find(photo))
        return known;
    if (photo.bytes < 0 || (callbacks.stop && callbacks.stop()))
        return std::nullopt;
    // The caller's record of the photo may be older than the file: its header is read again,
    // and a result is only kept for the file it was asked for.
    if (stampOf(photo.path) != photo)
        return std::nullopt;
    const std::optional<PhotoRecord> record = createPhotoRecord(photo.path);
    if (!record)
        return std::nullopt;
    const std::optional<ContentBox> box = analysePhoto(*record);
    if (!box || stampOf(photo.path) != photo)
        return std::nullopt;
    cache.store(photo, *box);
    return box;
}

} // namespace

QList<PhotoContent> analysePhotos(const QList<PhotoStamp> &photos, ContentCache &cache,
                                  const ContentCallbacks &callbacks)
{
    QThreadPool *pool = callbacks.pool ? callbacks.pool : QThreadPool::globalInstance();
    return QtConcurrent::blockingMapped(pool, photos, [&](const PhotoStamp &photo) {
        const PhotoContent result {photo, contentOf(photo, cache, callbacks)};
        if (callbacks.found)
            callbacks.found(result);
        return result;
    });
}
