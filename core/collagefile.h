#ifndef COLLAGEFILE_H
#define COLLAGEFILE_H

#include "photoloader.h"

#include <QList>
#include <QString>

#include <optional>

class QImage;

// What a chosen file name asks for. The suffix is read from the file name
// alone, never from the folders above it.
enum class CollageFormat { Jpeg, Png, Unsupported };

// Appends ".jpg" to a name without a suffix, then tells the format its
// suffix (any letter case) stands for.
CollageFormat completeCollageName(QString &fileName);

// Writes the image at 300 dpi as JPEG (quality 100) or PNG. The file is
// written to a temporary name and renamed only when complete, so a failed
// write leaves an existing file of that name untouched. On failure the
// reason is stored in errorString. An existing file that is not a regular
// one (a device, a pipe) is refused, never replaced.
bool writeCollage(const QImage &image, const QString &fileName, CollageFormat format,
                  QString *errorString);

// The photo that `output` would overwrite: the path of the first photo that is the same file,
// compared by device and inode after following links, so that another name, a link or a hard
// link of a photo is caught too. Nothing when the output does not exist yet or is no photo.
std::optional<QString> clashingInput(const QString &output, const QList<PhotoRecord> &photos);

#endif // COLLAGEFILE_H
