#ifndef PHOTOSCAN_H
#define PHOTOSCAN_H

#include "collagelimits.h"

#include "collagedocument.h"

#include <QList>
#include <QString>
#include <QStringList>

// The most photos one collage holds (see collagelimits.h).
constexpr int maxCollagePhotos = limits::maxPhotos;

// The name patterns of the photo files taken, for folder scans and drops: JPEG, HEIF, AVIF,
// PNG, WebP and TIFF. A file is read for what it holds, whichever of them its name has.
QStringList photoNamePatterns();

// The file dialog's filters, translated: "Photos (...)" with every pattern first, then one
// filter per format, e.g. "JPEG (*.jpg *.jpeg)".
QStringList photoDialogFilters();

// Whether a file name has a photo suffix, in any letter case.
bool hasPhotoSuffix(const QString &path);

// The photos of a folder as Add Folder takes them: regular files with a photo suffix in any
// case, by name, without subfolders; links to regular files are taken. Pipes, sockets and
// devices, and links to them, are never listed, so nothing here can block on opening them.
QStringList scanPhotoFolder(const QString &folder);

// A folder's photos and the photo files among its entries that cannot be taken, with the
// reason in words for the user.
struct FolderScan
{
    QStringList files; // as scanPhotoFolder() lists them
    QList<PhotoProblem> skipped; // by name, as the folder lists them
};

// The folder read as scanPhotoFolder() reads it, keeping what it passes over for a reason
// the user should hear: a photo whose name is not valid in the locale's encoding cannot be
// opened by that name, so it is skipped rather than listed.
FolderScan scanFolder(const QString &folder);

// Whether a name given as bytes comes back the same from its decoded form: only then can a
// file of that name be opened by the name the program holds.
bool nameSurvivesDecoding(const QByteArray &name);

// The reason given for a file whose name is not valid in the locale's encoding.
QString undecodableNameReason();

#endif // PHOTOSCAN_H
