#ifndef PHOTOSCAN_H
#define PHOTOSCAN_H

#include <QString>
#include <QStringList>

// The most photos one collage holds; the layout is built for at most this many.
constexpr int maxCollagePhotos = 100;

// The name patterns of the photo files taken, for folder scans and file dialogs.
QStringList photoNamePatterns();

// Whether a file name has a photo suffix, in any letter case.
bool hasPhotoSuffix(const QString &path);

// The photos of a folder as Add Folder takes them: regular files with a photo suffix in any
// case, by name, without subfolders or symbolic links. Pipes, sockets and devices are never
// listed, so nothing here can block on opening them.
QStringList scanPhotoFolder(const QString &folder);

#endif // PHOTOSCAN_H
