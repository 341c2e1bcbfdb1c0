#ifndef PHOTOADDING_H
#define PHOTOADDING_H

#include "photoloader.h"

#include <QList>
#include <QString>
#include <QStringList>

// Why a file offered to a collage was not taken.
enum class NotAddedWhy {
    AlreadyAdded, // the same file, by any name or link, is in the collection
    CollageFull, // the collection holds the most photos a collage takes
    Unreadable, // the reader refused it; `reason` says why
};

struct NotAdded
{
    QString path; // as offered
    NotAddedWhy why;
    QString reason; // the reader's words, for Unreadable
    qsizetype offered = -1; // its index in the files offered
};

struct PhotoAdditions
{
    QList<PhotoRecord> photos; // the collection with the new photos at its end
    QList<NotAdded> notAdded; // in the order offered
    QList<PhotoFormat> formats; // of each photo added, in the order added
    int added = 0;
};

// Offers `files` to the collection `held`, in order: a file already held (compared by its
// canonical path, so a link or another name of it counts) or offered twice is taken once, no
// more than `capacity` photos are held, and every file is read with readPhoto(). Each file
// offered is either added or not added, so the two lists together follow `files`. The window
// and vellomir-collage add photos through this alone.
PhotoAdditions addPhotos(QList<PhotoRecord> held, const QStringList &files, int capacity);

#endif // PHOTOADDING_H
