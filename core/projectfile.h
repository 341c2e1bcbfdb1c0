#ifndef PROJECTFILE_H
#define PROJECTFILE_H

#include "collagedocument.h"
#include "result.h"

#include <QByteArray>
#include <QString>

// The suffix of project files, without the dot.
inline constexpr char projectSuffix[] = "vellomir";

// The largest project file read. 100 photos with long paths take well under 100 kB.
inline constexpr qint64 maxProjectBytes = 16 * 1024 * 1024;

// The project as JSON: the photos (paths relative to `folder` where they can be), the
// canvas, the appearance, the seed, the tree in pre-order and the crop offsets. Each photo of a
// laid-out collage also carries its cell in canvas pixels, "cell": [x, y, width, height], for
// programs that read projects; the reader ignores it, as the tree gives the cells.
QByteArray projectToJson(const CollageDocument &document, const QString &folder);

// Reads a project from untrusted bytes. Relative photo paths are taken from `folder`. The
// photos themselves are not opened here: the document holds the sizes the file records, and
// its tree is fitted to its canvas from them. A refusal gives a short reason for a message,
// translated.
Result<CollageDocument> projectFromJson(const QByteArray &bytes, const QString &folder);

// Reads a project file: only a regular file of at most maxProjectBytes is read at all.
Result<CollageDocument> readProjectFile(const QString &fileName);

// Writes the project through QSaveFile, so a failed write leaves an existing file as it was.
// A document the reader would refuse is not written.
Result<void> writeProjectFile(const CollageDocument &document, const QString &fileName);

// Appends ".vellomir" to a name whose file name has no suffix.
QString completeProjectName(const QString &fileName);

#endif // PROJECTFILE_H
