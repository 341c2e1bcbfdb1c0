#ifndef COLLAGEFILE_H
#define COLLAGEFILE_H

#include "photoloader.h"
#include "result.h"

#include <QFileDevice>
#include <QList>
#include <QSizeF>
#include <QString>

#include <optional>

class QImage;
class QSaveFile;

// What a chosen file name asks for. The suffix is read from the file name
// alone, never from the folders above it.
enum class CollageFormat { Jpeg, Png, Unsupported, Pdf };

// How the image goes on paper.
struct SaveOptions
{
    int dpi = 300; // written into JPEG and PNG; the PDF page is the image at this resolution
    int bleed = 0; // PDF: pixels on every side of the image that lie past the trim
    QString title; // PDF: the document's title
    // PDF: the page's trim in millimetres, the image placed on it as large as it fits, centred;
    // empty for the page the image makes at dpi. A page of its own has no bleed.
    QSizeF paper {};
};

// Appends ".jpg" to a name without a suffix, then tells the format its
// suffix (any letter case) stands for.
CollageFormat completeCollageName(QString &fileName);

// Writes the image at options.dpi as JPEG (quality 100) or PNG, with the sRGB profile, or as a
// one-page PDF (see collagepdf.h). The file is
// written to a temporary name and renamed only when complete, so a failed
// write leaves an existing file of that name untouched. A failure gives the
// system's own words where the file failed (a full disk says so), and a name
// too long for the temporary file is told as such. JPEG has no alpha, so a
// translucent image is laid onto white for it. An existing file that is not a
// regular one (a device, a pipe) is refused, never replaced.
Result<void> writeCollage(const QImage &image, const QString &fileName, CollageFormat format,
                          const SaveOptions &options = {});

// Encodes the image into an open device as writeCollage() writes it, flushing
// the device at the end.
Result<void> encodeCollage(const QImage &image, CollageFormat format, QFileDevice &device,
                           const SaveOptions &options = {});

// A file's failure in words: the system's reason that the device reported,
// or, where it gave none, words for the kind of error.
QString fileFailureReason(QFileDevice::FileError error, const QString &systemReason);

// Why a save through `file` failed to open or commit, in words: a name too long
// for the temporary file is told as such, otherwise as fileFailureReason().
QString saveFailureReason(const QSaveFile &file);

// Whether a save may replace what `fileName` names: a free name or a regular file. An existing
// file that is not a regular one (a device, a pipe, directly or through a link) fails: it would
// be renamed over.
Result<void> replaceableTarget(const QString &fileName);

// Whether two names reach one file: the same device and inode after following links, or, where
// either does not exist yet, the same absolute path once "." and ".." are resolved.
bool sameFile(const QString &a, const QString &b);

// The photo that `output` would overwrite: the path of the first photo that is the same file,
// compared by device and inode after following links, so that another name, a link or a hard
// link of a photo is caught too. Nothing when the output does not exist yet or is no photo.
std::optional<QString> clashingInput(const QString &output, const QList<PhotoRecord> &photos);

// The first of `files` that `output` would overwrite, compared as clashingInput() compares.
std::optional<QString> clashingFile(const QString &output, const QStringList &files);

#endif // COLLAGEFILE_H
