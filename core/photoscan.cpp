#include "photoscan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

struct FormatPatterns
{
    const char *name; // as the dialog shows it, translated in the PhotoFilters context
    QStringList patterns;
};

QList<FormatPatterns> formatPatterns()
{
    return {
        {QT_TRANSLATE_NOOP("PhotoFilters", "JPEG"), {"*.jpg", "*.jpeg"}},
        {QT_TRANSLATE_NOOP("PhotoFilters", "HEIF"), {"*.heic", "*.heif"}},
        {QT_TRANSLATE_NOOP("PhotoFilters", "AVIF"), {"*.avif"}},
        {QT_TRANSLATE_NOOP("PhotoFilters", "PNG"), {"*.png"}},
        {QT_TRANSLATE_NOOP("PhotoFilters", "WebP"), {"*.webp"}},
        {QT_TRANSLATE_NOOP("PhotoFilters", "TIFF"), {"*.tif", "*.tiff"}},
    };
}

} // namespace

QStringList photoNamePatterns()
{
    QStringList patterns;
    for (const FormatPatterns &format : formatPatterns())
        patterns << format.patterns;
    return patterns;
}

QStringList photoDialogFilters()
{
    const auto filter = [](const char *name, const QStringList &patterns) {
        return QStringLiteral("%1 (%2)").arg(QCoreApplication::translate("PhotoFilters", name),
                                             patterns.join(QLatin1Char(' ')));
    };
    QStringList filters {filter(QT_TRANSLATE_NOOP("PhotoFilters", "Photos"), photoNamePatterns())};
    for (const FormatPatterns &format : formatPatterns())
        filters << filter(format.name, format.patterns);
    return filters;
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

bool hasOtherImageSuffix(const QString &path)
{
    static const QStringList others {
        QStringLiteral("bmp"),  QStringLiteral("dib"), QStringLiteral("gif"), QStringLiteral("svg"),
        QStringLiteral("svgz"), QStringLiteral("ico"), QStringLiteral("cur"), QStringLiteral("tga"),
        QStringLiteral("pbm"),  QStringLiteral("pgm"), QStringLiteral("ppm"), QStringLiteral("pnm"),
        QStringLiteral("xbm"),  QStringLiteral("xpm"), QStringLiteral("psd"), QStringLiteral("jp2"),
        QStringLiteral("jxl"),  QStringLiteral("dng"), QStringLiteral("cr2"), QStringLiteral("cr3"),
        QStringLiteral("nef"),  QStringLiteral("arw"), QStringLiteral("orf"), QStringLiteral("rw2"),
        QStringLiteral("raf")};
    return others.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

QString notPhotoFormatReason()
{
    return QCoreApplication::translate("PhotoScan", "not a photo format");
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
        if (!hasPhotoSuffix(decoded) || fstatat(fd, entry->d_name, &info, 0) != 0
            || !S_ISREG(info.st_mode))
            continue;
        names << decoded;
    }
    return names;
}

} // namespace

FolderScan scanFolder(const QString &folder)
{
    const QDir dir(folder);
    FolderScan scan;
    const QStringList undecodable = undecodablePhotos(folder);
    // One listing serves both: the photos, and the pictures of other formats to name.
    const QFileInfoList entries = dir.entryInfoList(QDir::Files, QDir::Name);
    QStringList twins;
    for (const QFileInfo &entry : entries) {
        if (hasOtherImageSuffix(entry.fileName())) {
            scan.otherFormats.append({entry.absoluteFilePath(), notPhotoFormatReason()});
            continue;
        }
        if (!hasPhotoSuffix(entry.fileName()))
            continue;
        // A link is read as the regular file it leads to, never as a pipe or a device.
        struct stat target;
        if (entry.isSymLink()
            && (::stat(QFile::encodeName(entry.absoluteFilePath()).constData(), &target) != 0
                || !S_ISREG(target.st_mode)))
            continue;
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
