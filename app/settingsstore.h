#ifndef SETTINGSSTORE_H
#define SETTINGSSTORE_H

#include "collagedocument.h"
#include "papersize.h"

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

// What the window remembers between starts, read once and written as it changes: the
// window's place, the folders the dialogs start in, the recent projects, and the choices of
// the last collage. Values read back are checked, so a damaged settings file only loses them.
class SettingsStore
{
public:
    SettingsStore();

    QSize windowSize(const QSize &first) const;
    QPoint windowPos(const QPoint &first) const;
    void setWindowGeometry(const QSize &size, const QPoint &pos);

    QString openDir() const { return openDirPath; }
    QString saveDir() const { return saveDirPath; }
    QString projectDir() const { return projectDirPath; }
    void setOpenDir(const QString &path);
    void setSaveDir(const QString &path);
    void setProjectDir(const QString &path);

    // Most recent first, at most eight.
    QStringList recentProjects() const { return recent; }
    void addRecentProject(const QString &path);

    // The last collage's background, frame and requested size; invalid or empty where
    // nothing usable was stored.
    QColor background() const;
    FrameSettings frame() const;
    QSize canvasSize() const;
    // The last collage's resolution, or the default one.
    int dpi() const;
    // Whether the last collage kept faces in view; on unless it was turned off.
    CropMode cropMode() const;
    void rememberCollage(const CollageDocument &document);

    // The unit the size dialog showed sizes in last; the frame labels use it too.
    LengthUnit unit() const;
    void setUnit(LengthUnit unit);

    // True the first time it is asked for each user: the editing hint is shown once.
    bool takeEditingHint();

private:
    void write(const QString &key, const QVariant &value);

    QString openDirPath;
    QString saveDirPath;
    QString projectDirPath;
    QStringList recent;
};

#endif // SETTINGSSTORE_H
