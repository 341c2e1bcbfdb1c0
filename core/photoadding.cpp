#include "photoadding.h"

#include <QFileInfo>
#include <QSet>

PhotoAdditions addPhotos(QList<PhotoRecord> held, const QStringList &files, int capacity)
{
    PhotoAdditions result;
    // Resolved once for the photos held, not again for every file offered.
    QSet<QString> canonical;
    for (const PhotoRecord &photo : std::as_const(held))
        canonical.insert(QFileInfo(photo.path).canonicalFilePath());
    for (const QString &path : files) {
        if (path.isEmpty())
            continue;
        const QString name = QFileInfo(path).canonicalFilePath();
        if (!name.isEmpty() && canonical.contains(name)) {
            result.notAdded.append({path, NotAddedWhy::AlreadyAdded, QString()});
            continue;
        }
        if (held.size() >= capacity) {
            result.notAdded.append({path, NotAddedWhy::CollageFull, QString()});
            continue;
        }
        const PhotoReading reading = readPhoto(path);
        if (!reading.record) {
            result.notAdded.append({path, NotAddedWhy::Unreadable, reading.reason});
            continue;
        }
        held.append(*reading.record);
        canonical.insert(name);
        ++result.added;
    }
    result.photos = std::move(held);
    return result;
}
