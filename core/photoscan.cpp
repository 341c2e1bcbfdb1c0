#include "photoscan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

QStringList photoNamePatterns()
{
    return {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")};
}

bool hasPhotoSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    const QStringList patterns = photoNamePatterns();
    for (const QString &pattern : patterns) {
        if (suffix.compare(pattern.mid(2), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QStringList scanPhotoFolder(const QString &folder)
{
    return scanFolder(folder).files;
}

bool nameSurvivesDecoding(const QByteArray &name)
{
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

QString undecodableNameReason()
{
    return QCoreApplication::translate("PhotoScan",
                                       "the name is not valid in the locale's encoding");
}

namespace {

struct CloseDir
{
    void operator()(DIR *dir) const { closedir(dir); }
};

// The folder's photo files, as bytes, whose names do not survive decoding. The listing by
// name cannot open them: a decoded name stands for other bytes, or for none.
QStringList undecodablePhotos(const QString &folder)
{
    QStringList names;
    const std::unique_ptr<DIR, CloseDir> dir(opendir(QFile::encodeName(folder).constData()));
    if (!dir)
        return names;
    const int fd = dirfd(dir.get());
    while (const dirent *entry = readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (nameSurvivesDecoding(name))
            continue;
        const QString decoded = QFile::decodeName(name);
        struct stat info;
        if (!hasPhotoSuffix(decoded) || fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(info.st_mode))
            continue;
        names << decoded;
    }
    return names;
}

} // namespace

FolderScan scanFolder(const QString &folder)
{
    QDir dir(folder);
    dir.setNameFilters(photoNamePatterns());
    FolderScan scan;
    const QStringList undecodable = undecodablePhotos(folder);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name);
    QStringList twins;
    for (const QFileInfo &entry : entries) {
        // A decoded name may also be a real file's own name: that file is listed once, and
        // the undecodable ones that share its name are not listed at all.
        if (undecodable.contains(entry.fileName())) {
            if (twins.contains(entry.fileName()) || !QFileInfo::exists(entry.absoluteFilePath()))
                continue;
            twins << entry.fileName();
        }
        scan.files << entry.absoluteFilePath();
    }
    QStringList skipped = undecodable;
    skipped.sort();
    for (const QString &name : std::as_const(skipped))
        scan.skipped.append({dir.absoluteFilePath(name), undecodableNameReason()});
    return scan;
}
