#ifndef CONTENTDETECT_H
#define CONTENTDETECT_H

#include "contentbox.h"
#include "photoloader.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>

#include <optional>

// Finding what a photo shows, for crops that keep it: faces, frontal and in profile, with
// OpenCV's cascade classifiers from the cascades Debian installs, and where there is no face
// the salient subject, by the spectral residual of the photo's spectrum. Everything runs on a
// decode of about analysisSide pixels on its long side, on the caller's thread: any thread,
// never the GUI's, as a job takes 10 to 30 ms. Nothing is downloaded, and a missing cascade
// only means no faces.

// The long side the analysis works at: faces of a twentieth of it are still found.
constexpr int analysisSide = 512;

// Which cascades find the faces; the benchmark compares them.
enum class FaceCascades { Lbp, Haar };

// What an image shows, as shares of the image. The image may be of any format, depth or size:
// one too small or too thin to show anything gives an empty box, as does a detector that
// fails. Deterministic for the same image.
ContentBox detectContent(const QImage &image, FaceCascades cascades = FaceCascades::Lbp);

// The decode the analysis of a photo works on: upright, at most analysisSide on its long
// side, never more than the photo. Its memory is taken from MemoryBudget::decoding() while
// it is made.
QImage analysisImage(const PhotoRecord &photo);

// What the photo shows, decoded for the purpose (a JPEG at 1/8 or 1/4 of its size) and
// analysed. Nothing when it could not be analysed: the file is gone or damaged, or its
// decode needs more than the whole decoding budget. An empty box when nothing was found.
std::optional<ContentBox> analysePhoto(const PhotoRecord &photo);

// Analyses by file: path, size and modification time. Held in memory, and on disk under
// `directory` (one small file a photo) when it is not empty, so a reshuffle, an undo or a
// project opened again analyses nothing. A changed file is analysed again. Only results are
// kept, never a failure. Safe to use from several threads.
class ContentCache
{
public:
    // The directory the window and the command line share, in QStandardPaths::CacheLocation.
    static QString defaultDirectory();

    explicit ContentCache(const QString &directory = defaultDirectory());
    ContentCache(const ContentCache &) = delete;
    ContentCache &operator=(const ContentCache &) = delete;

    // The analysis of the photo as it is now on disk, if one was kept.
    std::optional<ContentBox> find(const QString &path) const;
    void store(const QString &path, const ContentBox &box);
    // find(), or else analysePhoto() with the result kept.
    std::optional<ContentBox> analyse(const PhotoRecord &photo);

private:
    QString keyOf(const QString &path) const;

    const QString directory;
    mutable QMutex mutex;
    mutable QHash<QString, ContentBox> boxes; // by keyOf()
};

#endif // CONTENTDETECT_H
