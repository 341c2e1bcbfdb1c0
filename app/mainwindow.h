#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "autothread.h"
#include "photoloader.h"
#include "renderthread.h"

#include <QList>
#include <QMainWindow>
#include <QSize>
#include <QString>

class CanvasScene;
class CanvasView;
class QAction;
class QDir;
class QMenu;
class QUrl;
class RightWidget;
class StatusWidget;
struct BTree;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void newCanvas();
    void openFile();
    void addFiles(QStringList &fileList);
    void openDir();
    void addDir(QDir &dir);
    void saveCollage();
    void about();
    void shuffle();
    void setBTree(BTree *btree);
    void drawPhotos();
    void updateProgress(int value);
    void renderEnd();
    void urlsDroped(const QList<QUrl> *urlList);

private:
    void createActions();
    void createMenus();
    void createWidgets();
    void readSettings();
    void writeSettings();
    void beginProcessing();
    void lockActions();
    void unlockActions();
    void clearCache();
    void addPhoto(const QString &path);
    void applyNewCanvas(QSize requested);
    void waitForWorkers();
    bool saveCollageAs(QString fileName);
    QImage renderRequestedSize();

    CanvasScene *scene = nullptr;
    CanvasView *view = nullptr;
    RightWidget *rightWidget = nullptr;
    StatusWidget *statusWidget = nullptr;
    QAction *newCanvasAct = nullptr;
    QAction *addPhotosAct = nullptr;
    QAction *addFolderAct = nullptr;
    QAction *saveAct = nullptr;
    QAction *exitAct = nullptr;
    QAction *aboutAct = nullptr;
    QMenu *fileMenu = nullptr;
    QMenu *helpMenu = nullptr;
    QString openDirPath;
    QString saveDirPath;
    QList<PhotoRecord *> *photos = nullptr;
    ImageCache *cache = nullptr;
    BTree *btree = nullptr;
    AutoThread autoThread;
    RenderThread renderThread;
    bool busy = false;

    // A frame change that arrived while a worker ran; redrawn at renderEnd().
    bool redrawPending = false;
    // True while the window waits for a layout's tree: never render it early.
    bool layingOut = false;
    // From startRender() until its renderEnd() has arrived.
    bool rendering = false;
    // While a full-size collage is rendered for saving.
    bool saving = false;
    // The canvas size asked for in New Canvas, before the working reduction.
    QSize requestedSize {800, 600};

    friend class TestMainWindow;
    friend class TestWorkflow;
};

#endif // MAINWINDOW_H
