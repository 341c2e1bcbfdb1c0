#ifndef STARTUP_H
#define STARTUP_H

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class MainWindow;

// What the program was started with: a file manager's "Open With" or the desktop entry's %F.
struct StartupFiles
{
    QString project; // absolute path of the project to open, empty for none
    QList<QUrl> photos; // photos and folders, in the order given, when no project was given
};

// Sorts the command line's arguments (without the program name). A project replaces the
// whole collage, so the first one given wins and the photos beside it are left out.
StartupFiles startupFiles(const QStringList &arguments);

// Offers what a crashed window left behind; then opens the project like File > Open Project,
// or adds the photos like a drop on the canvas.
void openStartupFiles(MainWindow &window, const StartupFiles &files);

#endif // STARTUP_H
