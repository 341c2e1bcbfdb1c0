#include "photoscan.h"

#include <QDir>
#include <QFileInfo>

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
    QDir dir(folder);
    dir.setNameFilters(photoNamePatterns());
    QStringList files;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &entry : entries)
        files << entry.absoluteFilePath();
    return files;
}
