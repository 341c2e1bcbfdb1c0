#ifndef PROJECTCONTROLLER_H
#define PROJECTCONTROLLER_H

#include <QObject>
#include <QString>

class CollageSession;
class QMenu;
class QWidget;
class SettingsStore;

// The collage as a file: the open project's name in the window's title with the modified
// mark, the question about unsaved changes, Open, Save and Save As with their dialogs, and the
// recent projects. The session reads and writes the files; this decides which and says how it
// went.
class ProjectController : public QObject
{
    Q_OBJECT

public:
    ProjectController(QWidget *window, CollageSession *session, SettingsStore *settings);

    // The open project file; empty for an untitled collage.
    QString projectPath() const { return path; }

    // Asks what to do with unsaved changes. False when the user cancelled.
    bool maybeSave();
    // Opens a project as File > Open Project does, without the dialog.
    bool openProject(const QString &fileName);
    void openProjectDialog();
    bool saveProject();
    bool saveProjectAs();
    // The collage is a new one: untitled, so that Save Project asks for a name.
    void startUntitled();
    // Fills the Open Recent menu with the projects that still exist.
    void fillRecentMenu(QMenu *menu);

private:
    static QString projectFilter();
    bool writeProject(const QString &fileName);
    void setProjectPath(const QString &fileName);
    void showTitle();

    QWidget *window;
    CollageSession *session;
    SettingsStore *settings;
    QString path;
};

#endif // PROJECTCONTROLLER_H
