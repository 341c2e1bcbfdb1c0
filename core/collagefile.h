#ifndef COLLAGEFILE_H
#define COLLAGEFILE_H

#include <QString>

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
// reason is stored in errorString.
bool writeCollage(const QImage &image, const QString &fileName, CollageFormat format,
                  QString *errorString);

#endif // COLLAGEFILE_H
