#ifndef COLLAGEFILE_H
#define COLLAGEFILE_H

#include "photoloader.h"

#include <QFileDevice>
#include <QList>
#include <QString>

#include <optional>

class QImage;
class QSaveFile;

// What a chosen file name asks for. The suffix is read from the file name
// alone, never from the folders above it.
enum class CollageFormat { Jpeg, Png, Unsupported };

// Appends ".jpg" to a name without a suffix, then tells the format its
// suffix (any letter case) stands for.
CollageFormat completeCollageName(QString &fileName);

// Writes the image at 300 dpi as JPEG (quality 100) or PNG, with the sRGB profile. The file is
// written to a temporary name and renamed only when complete, so a failed
// write leaves an existing file of that name untouched. On failure the
// reason is stored in errorString: the system's own words where the file
// failed (a full disk says so), and a name too long for the temporary file
// is told as such. JPEG has no alpha, so a translucent image is laid onto
// white for it. An existing file that is not a regular one (a device, a
// pipe) is refused, never replaced.
bool writeCollage(const QImage &image, const QString &fileName, CollageFormat format,
                  QString *errorString);

// Encodes the image into an open device as writeCollage() writes it, flushing
// the device at the end. Returns the reason when it fails.
std::optional<QString> encodeCollage(const QImage &image, CollageFormat format,
                                     QFileDevice &device);

// A file's failure in words: the system's reason that the device reported,
// or, where it gave none, words for the kind of error.
QString fileFailureReason(QFileDevice::FileError error, const QString &systemReason);

// Why a save through `file` failed to open or commit, in words: a name too long
// for the temporary file is told as such, otherwise as fileFailureReason().
QString saveFailureReason(const QSaveFile &file);

// The photo that `output` would overwrite: the path of the first photo that is the same file,
// compared by device and inode after following links, so that another name, a link or a hard
// link of a photo is caught too. Nothing when the output does not exist yet or is no photo.
std::optional<QString> clashingInput(const QString &output, const QList<PhotoRecord> &photos);

#endif // COLLAGEFILE_H
