#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "autothread.h"
#include "collagedocument.h"
#include "collagefile.h"
#include "collagerender.h"
#include "imagecache.h"
#include "renderthread.h"

#include <QFutureWatcher>
#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <QUrl>

#include <functional>
#include <optional>

class CanvasScene;
class CanvasView;
class QAction;
class QMenu;
class QUndoStack;

class RightWidget;
class StatusWidget;

// What a save job hands back to the window.
struct SaveOutcome
{
    QString fileName;
    QString error; // empty when the file was written
};

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // What the window is doing; everything but Idle is busy: the actions that change the
    // collage are locked until it is Idle again.
    enum class State { Idle, LayingOut, Rendering, Saving };

    // Opens a project file as File > Open Project does, without the dialog.
    bool openProject(const QString &fileName);

signals:
    // A save has ended, written or not.
    void collageSaved(bool written);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void newCanvas();
    void canvasSize();
    void openFile();
    void openDir();
    void saveCollage();
    void openProjectDialog();
    bool saveProject();
    bool saveProjectAs();
    void about();
    void shuffle();
    void urlsDropped(const QList<QUrl> &urls);
    void layoutReady(const LayoutTree &layout);
    void renderFinished(const DocumentRender &result);
    void updateProgress(int value);
    void saveEnded();
    void setFrameType(int type);
    void setFrameParams(int a, int b);
    void setBackground(const QColor &colour);
    void updateRecentMenu();
    void canvasClicked(const QPointF &at);
    void canvasDoubleClicked(const QPointF &at);
    void canvasContextMenu(const QPointF &at, const QPoint &globalPos);
    void removeSelectedPhoto();
    void tileDragMoved(const QPointF &from, const QPointF &at);
    void tileDropped(const QPointF &from, const QPointF &at);
    void cropDragMoved(const QPointF &from, const QPointF &delta);
    void cropDragFinished(const QPointF &from, const QPointF &delta);

private:
    void createActions();
    void createMenus();
    void createWidgets();
    void readSettings();
    void writeSettings();
    bool busy() const { return state != State::Idle; }
    void setState(State next);
    // `skipped`: files a folder scan could not take, told about in the same notice.
    void addAndLayOut(const QStringList &files, const QList<PhotoProblem> &skipped = {});
    std::optional<QString> addPhoto(const QString &path, QSet<QString> &held);
    void beginProcessing(const QString &stepName);
    void drawPhotos();
    void applyNewCanvas(QSize requested);
    void applyDocument(const CollageDocument &next);
    void pushStep(const QString &text, const CollageDocument &before, int mergeId = -1);
    void setFrame(const FrameSettings &frame);
    bool saveCollageAs(QString fileName, const QString &suffix = QStringLiteral("jpg"));
    void resizeCanvas(const QSize &size);
    // Draws the layers for a screen of `ratio` device pixels per canvas pixel.
    void setDeviceRatio(qreal ratio);
    bool writeProject(const QString &fileName);
    bool maybeSave();
    void setProjectPath(const QString &path);
    void rememberChoices();
    void showPhotoCount();
    void reportNotAdded(const QList<PhotoProblem> &problems);
    void reportLeftOut(const QList<PhotoProblem> &problems);
    void showNotice(const QString &summary, const QList<PhotoProblem> &problems);
    void addRecentProject(const QString &path);
    void waitForWorkers();
    QMessageBox::StandardButton warn(const QString &title, const QString &text,
                                     QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                     QMessageBox::StandardButton defaultButton
                                     = QMessageBox::NoButton);
    void selectPhoto(int index);
    void swapPhotos(int first, int second);
    void removePhoto(int index);
    void centrePhoto(int index);
    void turnPhoto(int index, int quarterTurns);
    void startSwapWith(int index);
    void showEditingHint();

    CanvasScene *scene = nullptr;
    CanvasView *view = nullptr;
    RightWidget *rightWidget = nullptr;
    StatusWidget *statusWidget = nullptr;
    QUndoStack *undoStack = nullptr;
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
    QMenu *fileMenu = nullptr;
    QMenu *recentMenu = nullptr;
    QMenu *editMenu = nullptr;
    QMenu *viewMenu = nullptr;
    QMenu *helpMenu = nullptr;
    QString openDirPath;
    QString saveDirPath;
    QString projectDirPath;
    QString projectPath; // the open project file; empty before one is saved or opened
    QStringList recentProjects; // most recent first

    CollageDocument document; // the collage as the window shows it
    ImageCache cache; // the decoded photos of the working canvas
    std::function<unsigned()> seedSource;

    State state = State::Idle;
    qreal deviceRatio = 1.0; // the screen's, which the layers are drawn for
    qreal renderRatio = 1.0; // the one the running render draws for
    bool screenWatched = false;
    // A frame change that arrived while the window was busy; drawn once it is Idle.
    bool redrawPending = false;
    // The document as it was when the running layout was asked for: the step's start.
    std::optional<CollageDocument> stepStart;
    QString stepName;

    // Editing by hand: the selected photo, the photo waiting for "Swap with..." to name its
    // partner, and a crop drag's document and layer as they were when it began.
    int selectedPhoto = -1;
    int swapSource = -1;
    std::optional<CollageDocument> cropStart;
    QImage cropLayer;

    // Saving at another size renders on a pool of its own, so that the decoding inside it
    // keeps the whole global pool.
    QThreadPool savePool;
    QFutureWatcher<SaveOutcome> saveWatcher;

    AutoThread autoThread;
    RenderThread renderThread;

    friend class TestMainWindow;
    friend class TestWorkflow;
    friend class TestDocument;
    friend class TestEditing;
    friend class TestDesktop;
};

#endif // MAINWINDOW_H
