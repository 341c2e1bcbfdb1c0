#ifndef CONTENTDETECT_H
#define CONTENTDETECT_H

#include "contentbox.h"
#include "photoloader.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>

#include <functional>
#include <optional>

class QThreadPool;

// Finding what a photo shows, for crops that keep it: faces, frontal and in profile, with
// OpenCV's cascade classifiers from the cascades Debian installs, and where there is no face
// the salient subject, by the spectral residual of the photo's spectrum. Everything runs on a
// decode of about analysisSide pixels on its long side, on the caller's thread: any thread,
// never the GUI's, as a job takes 10 to 30 ms. Nothing is downloaded, and a missing cascade
// only means no faces.

// The long side the analysis works at: faces of a twentieth of it are still found.
constexpr int analysisSide = 512;

// The memory the detector takes beside its image: the grey copies it scans.
constexpr qint64 detectorBytes = qint64(analysisSide) * analysisSide * 4;

// Which cascades find the faces; the benchmark compares them.
enum class FaceCascades { Lbp, Haar };

// What an image shows, as shares of the image. The image may be of any format, depth or size:
// one too small or too thin to show anything gives an empty box, as does a detector that
// fails. Deterministic for the same image.
ContentBox detectContent(const QImage &image, FaceCascades cascades = FaceCascades::Lbp);

// The decode the analysis of a photo works on: upright, 400 to 2 * analysisSide pixels on
// its long side (a JPEG at 1/2, 1/4 or 1/8 of its size), never more than the photo. Its
// memory is taken from MemoryBudget::decoding() while it is made.
QImage analysisImage(const PhotoRecord &photo);

// The loader analysisImage() decodes the photo with.
PhotoLoader analysisLoader(const PhotoRecord &photo);

// Whether a decode of `photo` (whose file has `header`) through `loader` can keep the very image
// analysisImage() gives, with PhotoLoader::keepEighth: a JPEG the analysis decodes at an
// eighth, decoded for the loader from that eighth (decodesEighth()).
bool keepsAnalysisImage(const PhotoRecord &photo, const PhotoHeader &header,
                        const PhotoLoader &loader);

// What detectContent() finds in `decoded`, the very image analysisImage() gives for `photo`
// (DecodedPhoto::eighth where keepsAnalysisImage() holds), as analysePhoto() would find it:
// nothing where analysePhoto() would give nothing, as the analysis's memory is more than the
// whole decoding budget. The caller holds the memory of the detector, detectorBytes, beside
// that of the decode.
std::optional<ContentBox> analyseDecode(const PhotoRecord &photo, const PhotoHeader &header,
                                        const QImage &decoded);

// What the photo shows, decoded for the purpose (a JPEG at 1/8 or 1/4 of its size) and
// analysed. Nothing when it could not be analysed: the file is gone or damaged, or its
// decode needs more than the whole decoding budget. An empty box when nothing was found.
std::optional<ContentBox> analysePhoto(const PhotoRecord &photo);

// A photo file as it stood when its analysis was asked for. A result is kept under all
// three, so a file changed since is analysed again.
struct PhotoStamp
{
    QString path;
    qint64 bytes = -1; // the file's length; -1 when it could not be read
    qint64 modified = 0; // its last modification, in milliseconds since the epoch

    friend bool operator==(const PhotoStamp &a, const PhotoStamp &b)
    {
        return a.path == b.path && a.bytes == b.bytes && a.modified == b.modified;
    }
    friend bool operator!=(const PhotoStamp &a, const PhotoStamp &b) { return !(a == b); }
};

// The file at `path` as it is now on disk.
PhotoStamp stampOf(const QString &path);

// Analyses by photo stamp, held in memory, and on disk under `directory` (one small file a
// photo) when it is not empty, so a reshuffle, an undo or a project opened again analyses
// nothing. Only results are kept, never a failure. Safe to use from several threads. The
// directory keeps the `maxFiles` results written last: older ones are removed as new ones
// come, so that years of photos do not fill the user's disk.
class ContentCache
{
public:
    // The directory in this program's QStandardPaths::CacheLocation.
    static QString defaultDirectory();
    // A few hundred bytes each: about two megabytes in all.
    static constexpr int defaultMaxFiles = 8192;

    explicit ContentCache(const QString &directory = defaultDirectory(),
                          int maxFiles = defaultMaxFiles);
    ContentCache(const ContentCache &) = delete;
    ContentCache &operator=(const ContentCache &) = delete;

    // The analysis kept for the file as `photo` stamps it, if there is one.
    std::optional<ContentBox> find(const PhotoStamp &photo) const;
    void store(const PhotoStamp &photo, const ContentBox &box);

private:
    QString keyOf(const PhotoStamp &photo) const;
    void prune(const QString &kept);

    const QString directory;
    const int maxFiles;
    int written = 0; // results written to the directory; guarded by `mutex`
    mutable QMutex mutex;
    mutable QHash<QString, ContentBox> boxes; // by keyOf()
};

// What analysePhotos() found for one photo.
struct PhotoContent
{
    PhotoStamp photo; // as it was asked for
    // Nothing when it could not be analysed: the file is gone, damaged, past the decoding
    // budget, changed since it was stamped, or left when the caller stopped the run.
    std::optional<ContentBox> box;
};

struct ContentCallbacks
{
    // Each photo's result as soon as it is known, called on the thread that found it.
    std::function<void(const PhotoContent &)> found;
    // Asked before each photo is analysed, on the analysing thread: true leaves it and the
    // photos not yet begun without a box. Results the cache holds are still given.
    std::function<bool()> stop;
    QThreadPool *pool = nullptr; // where photos are analysed at once; null: the global pool
};

// The content boxes of `photos`, in their order: from the cache where it holds them,
// otherwise each photo's header read again and the photo analysed (analysePhoto()), the
// result stored in the cache. Blocks until every photo has its answer; plain values in and
// out, so any thread but the GUI's may call it, several at once.
QList<PhotoContent> analysePhotos(const QList<PhotoStamp> &photos, ContentCache &cache,
                                  const ContentCallbacks &callbacks = {});

#endif // CONTENTDETECT_H
