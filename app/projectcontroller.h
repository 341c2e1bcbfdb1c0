#ifndef PROJECTCONTROLLER_H
#define PROJECTCONTROLLER_H

#include <QList>
#include <QObject>
#include <QString>

class CollageSession;
struct PhotoProblem;
struct ProjectOpening;
struct RecoveredCollage;
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
    QString projectPath() const;

    // Asks what to do with unsaved changes. False when the user cancelled.
    bool maybeSave();
    // Opens a project as File > Open Project does, without the dialog.
    bool openProject(const QString &fileName);
    void openProjectDialog();
    bool saveProject();
    bool saveProjectAs();
    // Offers the collages that crashed windows left behind, newest first: Restore, Discard,
    // or Later, which keeps the file for the next start. True when one was restored.
    bool offerRecoveries();
    // Fills the Open Recent menu with the projects that still exist.
    void fillRecentMenu(QMenu *menu);

private:
    static QString projectFilter();
    bool writeProject(const QString &fileName);
    void showTitle();
    bool restore(const RecoveredCollage &left);
    void showProblems(const QString &shownName, const ProjectOpening &opening);
    void showList(const QString &summary, const QString &shownName,
                  const QList<PhotoProblem> &problems);

    QWidget *window;
    CollageSession *session;
    SettingsStore *settings;
};

#endif // PROJECTCONTROLLER_H
