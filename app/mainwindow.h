#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "collagesession.h"
#include "settingsstore.h"

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QUrl>

class CanvasGestures;
class CanvasScene;
class CanvasView;
class PrintController;
class ProjectController;
class QAction;
class QMenu;
class RightWidget;
class StatusWidget;

// The window: the canvas, the settings on the right, the menus and their actions. It shows
// what the collage session says and hands every request to it; projects, the gestures on the
// canvas and the remembered settings each have a class of their own.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    CollageSession &session() { return collage; }
    ProjectController &projects() { return *projectController; }
    CanvasScene *canvasScene() const { return scene; }
    CanvasView *canvasView() const { return view; }

    // Opens a project file as File > Open Project does, without the dialog.
    bool openProject(const QString &fileName);
    // Adds photos and folders as a drop on the canvas does.
    void addPaths(const QStringList &paths);
    // Starts saving the collage as Save Collage As does after its dialog; `suffix` completes a
    // name without one. collageSaved() tells how it ended. False when nothing was started.
    // A PDF (suffix "pdf") takes `pdf` for its page, and keeps its suffix whatever was typed.
    bool saveCollageAs(QString fileName, const QString &suffix = QStringLiteral("jpg"),
                       const PdfPage &pdf = {});
    PrintController &printing() { return *printController; }

signals:
    // A save has ended, written or not.
    void collageSaved(bool written);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createActions();
    void createMenus();
    void createWidgets();
    void connectSession();
    void addPhotosDialog();
    void addFolderDialog();
    void urlsDropped(const QList<QUrl> &urls);
    void newCanvas();
    void canvasSize();
    void saveCollage();
    void about();
    void stateChanged(CollageSession::State state);
    void showDocument();
    void saveEnded(const SaveOutcome &outcome);
    void showNotice(const QString &summary, const QList<PhotoProblem> &problems);
    void showPhotoCount();
    void showEditingHint();

    SettingsStore settings;
    CollageSession collage;
    ProjectController *projectController = nullptr;
    PrintController *printController = nullptr;
    CanvasGestures *gestures = nullptr;
    CanvasScene *scene = nullptr;
    CanvasView *view = nullptr;
    RightWidget *rightWidget = nullptr;
    StatusWidget *statusWidget = nullptr;
    QAction *newCanvasAct = nullptr;
    QAction *canvasSizeAct = nullptr;
    QAction *openProjectAct = nullptr;
    QAction *saveProjectAct = nullptr;
    QAction *saveProjectAsAct = nullptr;
    QAction *addPhotosAct = nullptr;
    QAction *addFolderAct = nullptr;
    QAction *saveAct = nullptr;
    QAction *exitAct = nullptr;
    QAction *aboutAct = nullptr;
    QAction *zoomInAct = nullptr;
    QAction *zoomOutAct = nullptr;
    QAction *fitAct = nullptr;
    QAction *actualSizeAct = nullptr;
    QAction *undoAct = nullptr;
    QAction *redoAct = nullptr;
    QMenu *recentMenu = nullptr;
    bool screenWatched = false;
    bool closeAfterSave = false; // the window was closed while the collage was being saved
};

#endif // MAINWINDOW_H
