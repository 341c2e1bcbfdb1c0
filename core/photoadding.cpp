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
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString &path = files.at(i);
        const QString name = QFileInfo(path).canonicalFilePath();
        if (!name.isEmpty() && canonical.contains(name)) {
            result.notAdded.append({path, NotAddedWhy::AlreadyAdded, QString(), i});
            continue;
        }
        if (held.size() >= capacity) {
            result.notAdded.append({path, NotAddedWhy::CollageFull, QString(), i});
            continue;
        }
        const Result<PhotoReading> reading = readPhoto(path);
        if (!reading) {
            result.notAdded.append({path, NotAddedWhy::Unreadable, reading.error(), i});
            continue;
        }
        held.append(reading->record);
        result.formats.append(reading->format);
        canonical.insert(name);
        ++result.added;
    }
    result.photos = std::move(held);
    return result;
}
