#ifndef RECOVERY_H
#define RECOVERY_H

#include "collagedocument.h"
#include "result.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QThreadPool>

#include <memory>
#include <optional>

class QLockFile;

// A recovery file that its process left behind: it crashed, was killed or lost its power.
struct RecoveredCollage
{
    QString fileName; // the recovery file
    QString projectPath; // the project it was made from; empty for an untitled collage
    QDateTime written; // when it was last written
};

// What reading a recovery file gives: the project it was made from, and the collage or why it
// cannot be used.
struct RecoveryLoad
{
    QString projectPath;
    Result<CollageDocument> document;
};

// One process's recovery file in a folder of them, written after each change so that a crash
// loses nothing. Each file is named after its process and its project, and a lock beside it
// held by its process, so two windows never write or take each other's; a file whose lock
// has no living owner is left behind. Writes go through QSaveFile on a thread of their own, in
// order, so a crash while writing leaves the previous state whole.
class RecoveryFile
{
public:
    explicit RecoveryFile(const QString &folder);
    ~RecoveryFile();
    RecoveryFile(const RecoveryFile &) = delete;
    RecoveryFile &operator=(const RecoveryFile &) = delete;

    // The folder the program keeps recovery files in.
    static QString defaultFolder();
    QString folder() const { return dir; }

    // Writes the collage as this process's recovery file; the previous file goes when the
    // project's name has changed.
    void write(const CollageDocument &document, const QString &projectPath);
    // This process's file goes, after the writes still running.
    void remove();
    // Takes over a file left behind: it becomes this process's, written and removed as such.
    bool adopt(const RecoveredCollage &left);
    // The file written now; empty when there is none.
    QString fileName() const { return current; }
    // Waits for the writes still running.
    void flush();

    // The files of `folder` whose process is gone, newest first.
    static QList<RecoveredCollage> leftBehind(const QString &folder);
    // Reads a recovery file as untrusted input.
    static RecoveryLoad read(const QString &fileName);
    // Removes a file left behind, or renames a damaged one so that it is offered no more.
    static void discard(const RecoveredCollage &left);
    static void setAside(const RecoveredCollage &left);

private:
    bool lock(const QString &fileName);
    void unlock();

    QString dir;
    QString current; // this process's file, once written or adopted
    bool adopted = false; // current was left behind by another process
    std::unique_ptr<QLockFile> lockFile;
    QThreadPool writer; // one thread: the writes keep their order
};

#endif // RECOVERY_H
