#include "mainwindow.h"

#include "btree.h"
#include "canvasscene.h"
#include "canvassettings.h"
#include "canvasview.h"
#include "collagerender.h"
#include "layoutrun.h"
#include "photoframe.h"
#include "photoscan.h"
#include "projectfile.h"
#include "rightwidget.h"
#include "sizewidget.h"
#include "statuswidget.h"
#include "translation.h"
#include "treesettings.h"
#include "undocommands.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QShowEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>
#include <QWindow>
#include <QtConcurrent>

// The window's trace, silent unless QT_LOGGING_RULES enables vellomir.*.
Q_LOGGING_CATEGORY(lcWindow, "vellomir.window", QtWarningMsg)

namespace {

// Frame changes in a row are one step of the history.
const int frameMergeId = 1;
const int maxRecentProjects = 8;
const int maxUndoSteps = 100;

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , seedSource(secondsSinceMidnight)
{
    savePool.setMaxThreadCount(1);
    undoStack = new QUndoStack(this);
    undoStack->setUndoLimit(maxUndoSteps);

    readSettings();
    createActions();
    createMenus();
    createWidgets();
    setProjectPath(QString());

    connect(statusWidget->shuffleButton, &QPushButton::clicked, this, &MainWindow::shuffle);
    // The bar's text is the sign of a running cycle; an idle window starts without it.
    statusWidget->progressBar->setTextVisible(false);

    connect(&autoThread, &AutoThread::progressPicture, scene, &CanvasScene::setPhotoLayer);
    connect(&autoThread, &AutoThread::layoutReady, this, &MainWindow::layoutReady);
    connect(&autoThread, &AutoThread::progressValue, this, &MainWindow::updateProgress);
    connect(&renderThread, &RenderThread::renderFinished, this, &MainWindow::renderFinished);
    connect(&renderThread, &RenderThread::progressValue, this, &MainWindow::updateProgress);
    connect(&saveWatcher, &QFutureWatcher<SaveOutcome>::finished, this, &MainWindow::saveEnded);
    connect(view, &CanvasView::urlsAdded, this, &MainWindow::urlsDropped);
    connect(view, &CanvasView::clicked, this, &MainWindow::canvasClicked);
    connect(view, &CanvasView::doubleClicked, this, &MainWindow::canvasDoubleClicked);
    connect(view, &CanvasView::contextMenuAt, this, &MainWindow::canvasContextMenu);
    connect(view, &CanvasView::deletePressed, this, &MainWindow::removeSelectedPhoto);
    connect(view, &CanvasView::tileDragMoved, this, &MainWindow::tileDragMoved);
    connect(view, &CanvasView::tileDropped, this, &MainWindow::tileDropped);
    connect(view, &CanvasView::cropDragMoved, this, &MainWindow::cropDragMoved);
    connect(view, &CanvasView::cropDragFinished, this, &MainWindow::cropDragFinished);
    connect(undoStack, &QUndoStack::cleanChanged, this, [this](bool clean) {
        // Without a project the title has no mark to show.
        if (!projectPath.isEmpty())
            setWindowModified(!clean);
    });

    const CanvasSettings *page = rightWidget->treeSettings->canvasSettings;
    connect(page, &CanvasSettings::colorChanged, this, &MainWindow::setBackground);
    connect(page, &CanvasSettings::paramChanged, this, &MainWindow::setFrameParams);
    connect(page, &CanvasSettings::photoFrameChanged, this, &MainWindow::setFrameType);
}

MainWindow::~MainWindow()
{
    writeSettings();
    // The stack goes with the window's children, after this window has stopped being one;
    // what it says on the way out must not reach these slots.
    undoStack->disconnect(this);
    undoAct->disconnect(this);
    redoAct->disconnect(this);
    waitForWorkers();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    writeSettings();
    QMainWindow::closeEvent(event);
}

// Everything the workers read belongs to this window, so no worker may outlive the data:
// stop listening to them, then wait until all have finished.
void MainWindow::waitForWorkers()
{
    autoThread.disconnect(this);
    renderThread.disconnect(this);
    saveWatcher.disconnect(this);
    saveWatcher.waitForFinished();
    savePool.waitForDone();
}

void MainWindow::createWidgets()
{
    setWindowIcon(QIcon(QStringLiteral(":/resources/ico32.png")));

    scene = new CanvasScene(this);
    view = new CanvasView(this);
    view->setScene(scene);
    scene->setBackColor(document.background);
    scene->setCanvasSize(document.canvasSize);

    rightWidget = new RightWidget(this);
    statusWidget = rightWidget->statusWidget;
    statusWidget->undoButton->setDefaultAction(undoAct);
    connect(zoomInAct, &QAction::triggered, view, &CanvasView::zoomIn);
    connect(zoomOutAct, &QAction::triggered, view, &CanvasView::zoomOut);
    connect(fitAct, &QAction::triggered, view, &CanvasView::fitToWindow);
    connect(actualSizeAct, &QAction::triggered, view, &CanvasView::actualSize);
    statusWidget->redoButton->setDefaultAction(redoAct);
    rightWidget->treeSettings->canvasSettings->showAppearance(document.background, document.frame);
    showPhotoCount();

    auto *frame = new QFrame(this);
    frame->setFrameStyle(0);
    auto *layout = new QHBoxLayout(frame);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    layout->addWidget(rightWidget);
    setCentralWidget(frame);
    // Made now, so that the first hint does not make the canvas jump.
    statusBar();
}

// --- adding photos ---------------------------------------------------------

void MainWindow::openFile()
{
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Add Photo(s)"), openDirPath, photoDialogFilters().join(QLatin1String(";;")));
    if (files.isEmpty())
        return;
    openDirPath = QFileInfo(files.first()).absolutePath();
    addAndLayOut(files);
}

void MainWindow::openDir()
{
    const QString path = QFileDialog::getExistingDirectory(this, tr("Add folder"), openDirPath,
                                                           QFileDialog::ShowDirsOnly
                                                               | QFileDialog::DontResolveSymlinks);
    if (path.isEmpty())
        return;
    openDirPath = path;
    if (QFileInfo(path).isDir()) {
        const FolderScan scan = scanFolder(path);
        addAndLayOut(scan.files, scan.skipped);
    }
}

void MainWindow::urlsDropped(const QList<QUrl> &urls)
{
    // Folders are taken as they come, the single files after them.
    QStringList fromFolders;
    QStringList files;
    QList<PhotoProblem> skipped;
    for (const QUrl &url : urls) {
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists())
            continue;
        if (info.isFile() && hasPhotoSuffix(path)) {
            files << info.absoluteFilePath();
        } else if (info.isDir()) {
            const FolderScan scan = scanFolder(info.absoluteFilePath());
            fromFolders << scan.files;
            skipped << scan.skipped;
        }
    }
    addAndLayOut(fromFolders + files, skipped);
}

// Adds what it can of `files`, up to the collection's capacity, and lays the collage out
// again when anything was added: one step of the history.
void MainWindow::addAndLayOut(const QStringList &files, const QList<PhotoProblem> &skipped)
{
    if (busy())
        return;
    const CollageDocument before = document;
    QList<PhotoProblem> notAdded = skipped;
    // Resolved once for the photos held, not again for every file offered.
    QSet<QString> held;
    for (const PhotoRecord &photo : std::as_const(document.photos))
        held.insert(QFileInfo(photo.path).canonicalFilePath());
    for (const QString &path : files) {
        if (path.isEmpty())
            continue;
        if (document.photos.size() >= maxCollagePhotos) {
            notAdded.append(
                {path,
                 tr("the collage already holds %1 photos, the most it can").arg(maxCollagePhotos)});
            continue;
        }
        if (const std::optional<QString> reason = addPhoto(path, held))
            notAdded.append({path, *reason});
    }
    showPhotoCount();
    reportNotAdded(notAdded);
    if (document.photos.size() == before.photos.size())
        return;
    stepStart = before;
    beginProcessing(tr("Add Photos"));
}

// Tells once what was not added and why: up to ten files by name, then how many more.
void MainWindow::reportNotAdded(const QList<PhotoProblem> &problems)
{
    if (problems.isEmpty())
        return;
    const int count = int(problems.size());
    showNotice(count == 1 ? tr("One file was not added:")
                          : tr("%n files were not added:", nullptr, count),
               problems);
}

void MainWindow::reportLeftOut(const QList<PhotoProblem> &problems)
{
    const int count = int(problems.size());
    showNotice(count == 1 ? tr("One photo could not be decoded and was left out:")
                          : tr("%n photos could not be decoded and were left out:", nullptr, count),
               problems);
}

void MainWindow::showNotice(const QString &summary, const QList<PhotoProblem> &problems)
{
    const int shown = 10;
    QStringList lines;
    for (const PhotoProblem &problem : problems.mid(0, shown))
        lines << tr("%1: %2").arg(QDir::toNativeSeparators(problem.path), problem.reason);
    if (problems.size() > shown)
        lines << tr("…and %n more", nullptr, int(problems.size() - shown));
    // Not modal: the collage goes on being made while the notice waits to be read.
    auto *box = new QMessageBox(QMessageBox::Information, tr("Add Photos"),
                                summary + QLatin1String("\n\n") + lines.join(QLatin1Char('\n')),
                                QMessageBox::Close, this);
    box->setObjectName(QStringLiteral("notice"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// Adds one file, or says why it cannot be added; `held` is the canonical paths of the photos
// held, and takes the new one.
std::optional<QString> MainWindow::addPhoto(const QString &path, QSet<QString> &held)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty() && held.contains(canonical))
        return tr("already in the collage");
    const PhotoReading reading = readPhoto(path);
    if (!reading.record)
        return reading.reason.isEmpty() ? tr("not a photo Vellomir can use") : reading.reason;
    document.photos.append(*reading.record);
    held.insert(canonical);
    return std::nullopt;
}

// --- the collage cycle -------------------------------------------------------

void MainWindow::shuffle()
{
    if (busy() || document.photos.isEmpty())
        return;
    stepStart = document;
    beginProcessing(tr("Shuffle"));
}

void MainWindow::setState(State next)
{
    const bool wasBusy = busy();
    state = next;
    if (busy() == wasBusy)
        return;
    const bool idle = !busy();
    for (QAction *action : {newCanvasAct, canvasSizeAct, openProjectAct, addPhotosAct, addFolderAct,
                            saveAct, saveProjectAct, saveProjectAsAct})
        action->setEnabled(idle);
    recentMenu->setEnabled(idle);
    undoAct->setEnabled(idle && undoStack->canUndo());
    redoAct->setEnabled(idle && undoStack->canRedo());
    statusWidget->progressBar->setTextVisible(!idle);
    if (idle)
        statusWidget->progressBar->setValue(0);
}

// Starts a layout of all photos; `stepStart` holds the document the step goes back to.
void MainWindow::beginProcessing(const QString &name)
{
    if (busy() || document.photos.isEmpty())
        return;
    stepName = name;
    document.seed = seedSource();
    QList<QSize> sizes;
    for (const PhotoRecord &photo : std::as_const(document.photos))
        sizes << photo.size;
    setState(State::LayingOut);
    autoThread.startLayout(sizes, document.canvasSize, document.seed);
}

void MainWindow::updateProgress(int value)
{
    // A worker's last report can arrive after the cycle has ended; an idle window shows no
    // progress.
    if (!busy())
        return;
    statusWidget->progressBar->setValue(value);
}

void MainWindow::layoutReady(const LayoutTree &layout)
{
    qCDebug(lcWindow) << "MainWindow::setBtree";
    document.layout = layout;
    setState(State::Idle);
    if (stepStart) {
        // Appearance changes made while the layout ran are steps of their own.
        CollageDocument before = *stepStart;
        before.background = document.background;
        before.frame = document.frame;
        stepStart.reset();
        pushStep(stepName, before);
    }
    selectPhoto(-1);
    showEditingHint();
    redrawPending = false;
    drawPhotos();
}

void MainWindow::drawPhotos()
{
    qCDebug(lcWindow) << "MainWindow::drawPhotos";
    showPhotoCount();
    // While a layout runs its tree is half built, and while a render runs a second one
    // cannot start: remember the wish and redraw once the window is idle.
    if (busy()) {
        redrawPending = true;
        return;
    }
    redrawPending = false;
    if (!document.hasLayout()) {
        scene->clearPhotoLayer();
        return;
    }
    setState(State::Rendering);
    // The layer is drawn for the screen's pixels; the layout stays in canvas pixels.
    renderRatio = deviceRatio;
    renderThread.startRender(document, &cache, document.canvasSize * renderRatio);
}

void MainWindow::renderFinished(const DocumentRender &result)
{
    if (!result.dropped.isEmpty()) {
        // The photos that failed to decode leave the collage for good; the step that showed
        // them comes to the collage as drawn, so undo and redo never bring a hole back.
        const CollageDocument shown = document;
        document.photos = result.document.photos;
        document.layout = result.document.layout;
        if (auto *step
            = dynamic_cast<const DocumentCommand *>(undoStack->command(undoStack->index() - 1));
            step && step->result() == shown)
            const_cast<DocumentCommand *>(step)->amend(document);
        selectPhoto(-1);
        showPhotoCount();
        QList<PhotoProblem> problems;
        for (const PhotoProblem &problem : result.dropped)
            problems.append({problem.path, tr("cannot decode (%1)").arg(problem.reason)});
        reportLeftOut(problems);
    }
    QImage layer = result.image;
    layer.setDevicePixelRatio(renderRatio);
    scene->setPhotoLayer(layer);
    setState(State::Idle);
    // A move to a screen of another ratio while this was drawn asks for it again.
    if (redrawPending || renderRatio != deviceRatio)
        drawPhotos();
}

void MainWindow::setDeviceRatio(qreal ratio)
{
    if (ratio <= 0 || ratio == deviceRatio)
        return;
    deviceRatio = ratio;
    scene->setDevicePixelRatio(ratio);
    if (document.hasLayout())
        drawPhotos();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (windowHandle() && !screenWatched) {
        screenWatched = true;
        // No new layout: the same collage is drawn again for the other screen's pixels.
        connect(windowHandle(), &QWindow::screenChanged, this,
                [this] { setDeviceRatio(devicePixelRatioF()); });
    }
    setDeviceRatio(devicePixelRatioF());
}

void MainWindow::showPhotoCount()
{
    const int count = int(document.photos.size());
    // English has no catalogue, so its singular needs a text of its own.
    statusWidget->countLabel->setText(count == 0   ? tr("No photos")
                                      : count == 1 ? tr("1 photo")
                                                   : tr("%n photos", nullptr, count));
}

// --- the document and its history -----------------------------------------

void MainWindow::pushStep(const QString &text, const CollageDocument &before, int mergeId)
{
    undoStack->push(new DocumentCommand(
        text, before, document, [this](const CollageDocument &next) { applyDocument(next); },
        mergeId));
    undoAct->setEnabled(!busy() && undoStack->canUndo());
    redoAct->setEnabled(!busy() && undoStack->canRedo());
}

// Shows `next` as it is, without a new layout: the tree is in the document and the photos
// come from the cache.
void MainWindow::applyDocument(const CollageDocument &next)
{
    const CollageDocument previous = std::exchange(document, next);
    selectPhoto(-1);
    if (previous.canvasSize != document.canvasSize) {
        scene->setCanvasSize(document.canvasSize);
        view->canvasChanged();
    }
    if (previous.background != document.background)
        scene->setBackColor(document.background);
    rightWidget->treeSettings->canvasSettings->showAppearance(document.background, document.frame);
    if (previous.photos != document.photos || previous.layout != document.layout
        || previous.frame != document.frame || previous.canvasSize != document.canvasSize)
        drawPhotos();
}

void MainWindow::setFrameType(int type)
{
    FrameSettings frame = document.frame;
    frame.type = type;
    setFrame(frame);
}

void MainWindow::setFrameParams(int a, int b)
{
    FrameSettings frame = document.frame;
    frame.a = a;
    frame.b = b;
    setFrame(frame);
}

void MainWindow::setFrame(const FrameSettings &frame)
{
    if (frame == document.frame)
        return;
    const CollageDocument before = document;
    document.frame = frame;
    pushStep(tr("Frame Change"), before, frameMergeId);
    rememberChoices();
    drawPhotos();
}

void MainWindow::setBackground(const QColor &colour)
{
    if (colour == document.background)
        return;
    const CollageDocument before = document;
    document.background = colour;
    scene->setBackColor(colour);
    pushStep(tr("Background Change"), before);
    rememberChoices();
}

void MainWindow::newCanvas()
{
    if (busy() || !maybeSave())
        return;
    SizeWidget dialog(this);
    dialog.showSize(document.requestedSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    applyNewCanvas(dialog.chosenSize());
}

// The same photos on a canvas of another size: the layout is fitted to it as it is, and a
// shuffle makes a fresh one for it.
void MainWindow::canvasSize()
{
    if (busy())
        return;
    SizeWidget dialog(this);
    dialog.showSize(document.requestedSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    resizeCanvas(dialog.chosenSize());
}

void MainWindow::resizeCanvas(const QSize &size)
{
    if (busy() || size == document.requestedSize)
        return;
    const CollageDocument before = document;
    CollageDocument resized = document;
    resized.requestedSize = size;
    if (resized.hasLayout())
        resized = fittedTo(std::move(resized), workingCanvasSize(size));
    else
        resized.canvasSize = workingCanvasSize(size);
    applyDocument(resized);
    pushStep(tr("Canvas Size"), before);
}

// An empty collage of the size asked for; the appearance stays.
void MainWindow::applyNewCanvas(QSize size)
{
    qCDebug(lcWindow) << "new size:" << size;
    const CollageDocument before = document;
    CollageDocument fresh;
    fresh.requestedSize = size;
    fresh.canvasSize = workingCanvasSize(size);
    fresh.background = document.background;
    fresh.frame = document.frame;
    qCDebug(lcWindow).nospace() << "Clear cache: " << cache.count() << " items";
    cache.clear();
    document = fresh;
    scene->setCanvasSize(document.canvasSize);
    view->canvasChanged();
    pushStep(tr("New Canvas"), before);
    // A new collage, not the open project: Save Project must ask for a name.
    setProjectPath(QString());
    showPhotoCount();
    rememberChoices();
}

// --- editing by hand ---------------------------------------------------------

void MainWindow::selectPhoto(int index)
{
    selectedPhoto = index;
    swapSource = -1;
    scene->setSelection(index >= 0 ? QRectF(cellOf(document, index)) : QRectF());
}

void MainWindow::canvasClicked(const QPointF &at)
{
    if (busy())
        return;
    const int index = photoAt(document, at);
    if (swapSource >= 0 && index >= 0 && index != swapSource) {
        swapPhotos(swapSource, index);
        return;
    }
    selectPhoto(index);
}

void MainWindow::canvasDoubleClicked(const QPointF &at)
{
    centrePhoto(photoAt(document, at));
}

void MainWindow::canvasContextMenu(const QPointF &at, const QPoint &globalPos)
{
    const int index = photoAt(document, at);
    if (busy() || index < 0)
        return;
    selectPhoto(index);
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(tr("&Remove Photo")), &QAction::triggered, this,
            [this, index] { removePhoto(index); });
    QAction *swap = menu->addAction(tr("&Swap with..."));
    swap->setEnabled(document.photos.size() > 1);
    connect(swap, &QAction::triggered, this, [this, index] { startSwapWith(index); });
    connect(menu->addAction(tr("Rotate &Left")), &QAction::triggered, this,
            [this, index] { turnPhoto(index, -1); });
    connect(menu->addAction(tr("Rotate Ri&ght")), &QAction::triggered, this,
            [this, index] { turnPhoto(index, 1); });
    QAction *centre = menu->addAction(tr("&Centre Photo"));
    centre->setEnabled(!document.photos.at(index).crop.isNull());
    connect(centre, &QAction::triggered, this, [this, index] { centrePhoto(index); });
    menu->popup(globalPos);
}

void MainWindow::removeSelectedPhoto()
{
    if (selectedPhoto >= 0)
        removePhoto(selectedPhoto);
}

void MainWindow::startSwapWith(int index)
{
    if (busy() || index < 0)
        return;
    selectPhoto(index);
    swapSource = index;
    statusBar()->showMessage(tr("Click the photo to swap with this one."));
}

void MainWindow::tileDragMoved(const QPointF &from, const QPointF &at)
{
    const int source = photoAt(document, from);
    const int target = photoAt(document, at);
    if (busy() || source < 0 || target < 0 || target == source)
        scene->setDropTarget(QRectF());
    else
        scene->setDropTarget(cellOf(document, target));
}

void MainWindow::tileDropped(const QPointF &from, const QPointF &at)
{
    scene->setDropTarget(QRectF());
    const int source = photoAt(document, from);
    const int target = photoAt(document, at);
    if (source >= 0 && target >= 0)
        swapPhotos(source, target);
}

void MainWindow::swapPhotos(int first, int second)
{
    if (busy() || first == second || first < 0 || second < 0)
        return;
    const CollageDocument before = document;
    document = withSwappedPhotos(document, first, second);
    if (document == before)
        return;
    pushStep(tr("Swap"), before);
    selectPhoto(-1);
    statusBar()->clearMessage();
    drawPhotos();
}

void MainWindow::removePhoto(int index)
{
    if (busy() || index < 0 || index >= document.photos.size())
        return;
    const CollageDocument before = document;
    document = withoutPhoto(document, index);
    pushStep(tr("Remove Photo"), before);
    selectPhoto(-1);
    drawPhotos();
}

void MainWindow::turnPhoto(int index, int quarterTurns)
{
    if (busy() || index < 0 || index >= document.photos.size())
        return;
    const CollageDocument before = document;
    document = withTurnedPhoto(document, index, quarterTurns);
    pushStep(quarterTurns < 0 ? tr("Rotate Left") : tr("Rotate Right"), before);
    selectPhoto(-1);
    drawPhotos();
}

void MainWindow::centrePhoto(int index)
{
    if (busy() || index < 0 || index >= document.photos.size()
        || document.photos.at(index).crop.isNull())
        return;
    const CollageDocument before = document;
    document = withCrop(document, index, QPointF());
    pushStep(tr("Centre Photo"), before);
    drawPhotos();
}

// The photo follows the pointer at once, drawn again from the cache; the whole layer is
// rendered once the drag ends.
void MainWindow::cropDragMoved(const QPointF &from, const QPointF &delta)
{
    if (busy() && !cropStart)
        return;
    if (!cropStart) {
        if (photoAt(document, from) < 0)
            return;
        cropStart = document;
        cropLayer = scene->photoLayer();
    }
    const int index = photoAt(*cropStart, from);
    const PhotoRecord &photo = cropStart->photos.at(index);
    const QPointF crop
        = draggedCrop(photo.size, cellOf(*cropStart, index).size(), photo.crop, delta);
    const QImage moved = redrawCell(withCrop(*cropStart, index, crop), cache, index, cropLayer);
    if (!moved.isNull())
        scene->setPhotoLayer(moved);
}

void MainWindow::cropDragFinished(const QPointF &from, const QPointF &delta)
{
    if (!cropStart) {
        cropDragMoved(from, delta);
        if (!cropStart)
            return;
    }
    const CollageDocument before = *std::exchange(cropStart, std::nullopt);
    cropLayer = QImage();
    const int index = photoAt(before, from);
    const PhotoRecord &photo = before.photos.at(index);
    const QPointF crop = draggedCrop(photo.size, cellOf(before, index).size(), photo.crop, delta);
    if (crop == photo.crop) {
        scene->setPhotoLayer(scene->photoLayer());
        return;
    }
    document = withCrop(before, index, crop);
    pushStep(tr("Move Photo"), before);
    drawPhotos();
}

// Shown once for each user, when the first collage appears.
void MainWindow::showEditingHint()
{
    QSettings settings;
    const QString key = QStringLiteral("MainWindow/editingHintShown");
    if (settings.value(key, false).toBool() || document.photos.size() < 2)
        return;
    settings.setValue(key, true);
    statusBar()->showMessage(tr("Drag a photo onto another to swap them, Shift+drag to move it "
                                "in its tile; right-click for more."),
                             30000);
}

// --- saving the collage ------------------------------------------------------

void MainWindow::saveCollage()
{
    if (busy())
        return;
    const QString jpeg = tr("JPEG (*.jpg *.jpeg)");
    const QString png = tr("PNG (*.png)");
    QString selectedFilter = jpeg;
    const QString fileName = QFileDialog::getSaveFileName(
        this, tr("Save Collage"), saveDirPath, jpeg + QLatin1String(";;") + png, &selectedFilter);
    if (fileName.isEmpty())
        return;
    saveCollageAs(fileName, selectedFilter == png ? QStringLiteral("png") : QStringLiteral("jpg"));
}

// Starts the save; collageSaved() tells how it ended. False when nothing was started.
bool MainWindow::saveCollageAs(QString fileName, const QString &suffix)
{
    if (busy())
        return false;
    const QString chosen = fileName;
    // A name without a suffix takes the one of the filter chosen.
    if (!QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        fileName += QLatin1Char('.') + suffix;
    const CollageFormat format = completeCollageName(fileName);
    const QString shownName = QDir::toNativeSeparators(fileName);
    if (format == CollageFormat::Unsupported) {
        warn(tr("Save Collage"), tr("Cannot save %1: only JPEG (.jpg, .jpeg) and PNG (.png) files "
                                    "are supported.")
                                     .arg(shownName));
        return false;
    }
    // The dialog asked about replacing the name as typed, not the one with a suffix added.
    if (fileName != chosen && QFileInfo::exists(fileName)) {
        // Qt's own wording, so that Qt's catalogue translates it like the dialog's question.
        const QString question
            = QCoreApplication::translate("QFileDialog",
                                          "%1 already exists.\nDo you want to replace it?")
                  .arg(shownName);
        if (warn(tr("Save Collage"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
            return false;
    }

    if (const std::optional<QString> photo = clashingInput(fileName, document.photos)) {
        warn(tr("Save Collage"),
             tr("Cannot save %1: it is one of the collage's photos.").arg(shownName));
        return false;
    }

    // Composed from the document, not taken from the screen: at the working size the tiles
    // come from the preview's decodes, at any other size the photos are decoded for the
    // larger cells, and vellomir-collage renders a saved project the same way.
    const CollageDocument toSave = document;
    ImageCache *previewCache = &cache;
    setState(State::Saving);
    saveWatcher.setFuture(QtConcurrent::run(&savePool, [=]() {
        const QImage image = renderCollageImage(
            toSave, *previewCache, toSave.requestedSize, [this](int done, int total) {
                // Through updateProgress(), so that a report still queued when the save ends
                // is dropped.
                const int value = total > 0 ? done * 100 / total : 0;
                QMetaObject::invokeMethod(
                    this, [this, value] { updateProgress(value); }, Qt::QueuedConnection);
            });
        QString error;
        if (!writeCollage(image, fileName, format, &error) && error.isEmpty())
            error = QCoreApplication::translate("MainWindow", "unknown error");
        return SaveOutcome {fileName, error};
    }));
    return true;
}

void MainWindow::saveEnded()
{
    const SaveOutcome outcome = saveWatcher.result();
    setState(State::Idle);
    if (redrawPending)
        drawPhotos();
    if (!outcome.error.isEmpty()) {
        warn(tr("Save Collage"),
             tr("Cannot write %1: %2")
                 .arg(QDir::toNativeSeparators(outcome.fileName), outcome.error));
    } else {
        saveDirPath = outcome.fileName;
    }
    emit collageSaved(outcome.error.isEmpty());
}

// Every message names files as they are: a name is never read as markup.
QMessageBox::StandardButton MainWindow::warn(const QString &title, const QString &text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(QMessageBox::Warning, title, text, buttons, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

// --- project files -----------------------------------------------------------

void MainWindow::setProjectPath(const QString &path)
{
    projectPath = path;
    if (path.isEmpty()) {
        setWindowTitle(applicationTitle());
    } else {
        setWindowTitle(
            tr("%1[*] \u2014 %2").arg(QFileInfo(path).completeBaseName(), applicationTitle()));
    }
    if (!path.isEmpty())
        setWindowModified(!undoStack->isClean());
}

// Asks what to do with unsaved changes. False when the user cancelled.
bool MainWindow::maybeSave()
{
    if (undoStack->isClean())
        return true;
    const QMessageBox::StandardButton answer
        = warn(applicationTitle(), tr("The collage has been modified.\nDo you want to save it?"),
               QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return saveProject();
    return answer == QMessageBox::Discard;
}

void MainWindow::openProjectDialog()
{
    if (busy() || !maybeSave())
        return;
    const QString fileName = QFileDialog::getOpenFileName(
        this, tr("Open Project"), projectDirPath,
        tr("Vellomir projects (*.%1)").arg(QLatin1String(projectSuffix)));
    if (!fileName.isEmpty())
        openProject(fileName);
}

bool MainWindow::openProject(const QString &fileName)
{
    if (busy())
        return false;
    const QString shownName = QDir::toNativeSeparators(fileName);
    const ProjectLoad load = readProjectFile(fileName);
    if (!load.document) {
        warn(tr("Open Project"), tr("Cannot open %1: %2").arg(shownName, load.error));
        return false;
    }
    projectDirPath = QFileInfo(fileName).absolutePath();
    const CheckedDocument checked = checkPhotos(*load.document);
    CollageDocument opened = checked.document;
    // A project made by vellomir-collage is laid out at full size; the window works smaller.
    const QSize working = workingCanvasSize(opened.requestedSize);
    if (opened.canvasSize != working
        && (opened.canvasSize.width() > working.width()
            || opened.canvasSize.height() > working.height()))
        opened = fittedTo(std::move(opened), working);
    cache.clear();
    applyDocument(opened);
    undoStack->clear();
    undoStack->setClean();
    setProjectPath(QFileInfo(fileName).absoluteFilePath());
    addRecentProject(projectPath);
    if (!checked.leftOut.isEmpty()) {
        const int shown = 10;
        QStringList lines;
        for (const PhotoProblem &problem : checked.leftOut.mid(0, shown))
            lines << tr("%1: %2").arg(QDir::toNativeSeparators(problem.path), problem.reason);
        if (checked.leftOut.size() > shown)
            lines << tr("…and %n more", nullptr, int(checked.leftOut.size() - shown));
        // English has no catalogue, so its singular needs a text of its own.
        const int count = int(checked.leftOut.size());
        const QString summary
            = (count == 1 ? tr("One photo of %1 could not be used and was left out of the "
                               "collage:")
                          : tr("%n photos of %1 could not be used and were left out of the "
                               "collage:",
                               nullptr, count))
                  .arg(shownName);
        // Plain text: a file name is never read as markup.
        QMessageBox box(QMessageBox::Warning, tr("Open Project"),
                        summary + QLatin1String("\n\n") + lines.join(QLatin1Char('\n')),
                        QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    return true;
}

bool MainWindow::saveProject()
{
    if (projectPath.isEmpty())
        return saveProjectAs();
    return writeProject(projectPath);
}

bool MainWindow::saveProjectAs()
{
    QString start = projectPath.isEmpty() ? projectDirPath : projectPath;
    const QString fileName = QFileDialog::getSaveFileName(
        this, tr("Save Project"), start,
        tr("Vellomir projects (*.%1)").arg(QLatin1String(projectSuffix)));
    if (fileName.isEmpty())
        return false;
    return writeProject(completeProjectName(fileName));
}

bool MainWindow::writeProject(const QString &fileName)
{
    if (const std::optional<QString> error = writeProjectFile(document, fileName)) {
        warn(tr("Save Project"),
             tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(fileName), *error));
        return false;
    }
    undoStack->setClean();
    projectDirPath = QFileInfo(fileName).absolutePath();
    setProjectPath(QFileInfo(fileName).absoluteFilePath());
    addRecentProject(projectPath);
    return true;
}

void MainWindow::addRecentProject(const QString &path)
{
    recentProjects.removeAll(path);
    recentProjects.prepend(path);
    while (recentProjects.size() > maxRecentProjects)
        recentProjects.removeLast();
    writeSettings();
}

void MainWindow::updateRecentMenu()
{
    recentMenu->clear();
    for (const QString &path : std::as_const(recentProjects)) {
        if (!QFileInfo(path).isFile())
            continue;
        QAction *action = recentMenu->addAction(
            QStringLiteral("&%1 %2")
                .arg(recentMenu->actions().size() + 1)
                .arg(QFileInfo(path).fileName().replace(QLatin1Char('&'), QLatin1String("&&"))));
        action->setToolTip(QDir::toNativeSeparators(path));
        connect(action, &QAction::triggered, this, [this, path] {
            if (!busy() && maybeSave())
                openProject(path);
        });
    }
    if (recentMenu->isEmpty())
        recentMenu->addAction(tr("No Recent Projects"))->setEnabled(false);
}

// --- actions and menus -------------------------------------------------------

void MainWindow::createActions()
{
    newCanvasAct = new QAction(tr("&New Canvas..."), this);
    newCanvasAct->setShortcut(QKeySequence(tr("Ctrl+N")));
    connect(newCanvasAct, &QAction::triggered, this, &MainWindow::newCanvas);

    canvasSizeAct = new QAction(tr("Canvas Si&ze..."), this);
    connect(canvasSizeAct, &QAction::triggered, this, &MainWindow::canvasSize);

    openProjectAct = new QAction(tr("&Open Project..."), this);
    openProjectAct->setShortcut(QKeySequence(tr("Ctrl+O")));
    connect(openProjectAct, &QAction::triggered, this, &MainWindow::openProjectDialog);

    saveProjectAct = new QAction(tr("Save Pro&ject"), this);
    saveProjectAct->setShortcut(QKeySequence(tr("Ctrl+Shift+S")));
    connect(saveProjectAct, &QAction::triggered, this, &MainWindow::saveProject);

    saveProjectAsAct = new QAction(tr("Save Project &As..."), this);
    connect(saveProjectAsAct, &QAction::triggered, this, &MainWindow::saveProjectAs);

    addFolderAct = new QAction(tr("Add &Folder..."), this);
    connect(addFolderAct, &QAction::triggered, this, &MainWindow::openDir);

    addPhotosAct = new QAction(tr("Add &Photo(s)..."), this);
    addPhotosAct->setShortcut(QKeySequence(tr("Ctrl+A")));
    connect(addPhotosAct, &QAction::triggered, this, &MainWindow::openFile);

    saveAct = new QAction(tr("&Save Collage As..."), this);
    saveAct->setShortcut(QKeySequence(tr("Ctrl+S")));
    saveAct->setEnabled(false); // nothing to save before the first render
    connect(saveAct, &QAction::triggered, this, &MainWindow::saveCollage);

    exitAct = new QAction(tr("E&xit"), this);
    exitAct->setShortcut(QKeySequence(tr("Ctrl+Q")));
    connect(exitAct, &QAction::triggered, this, &QWidget::close);

    zoomInAct = new QAction(tr("Zoom &In"), this);
    zoomInAct->setShortcuts({QKeySequence(tr("Ctrl++")), QKeySequence(tr("Ctrl+="))});
    zoomOutAct = new QAction(tr("Zoom &Out"), this);
    zoomOutAct->setShortcut(QKeySequence(tr("Ctrl+-")));
    fitAct = new QAction(tr("&Fit"), this);
    fitAct->setShortcut(QKeySequence(tr("Ctrl+0")));
    actualSizeAct = new QAction(tr("&Actual Size"), this);
    actualSizeAct->setShortcut(QKeySequence(tr("Ctrl+1")));

    aboutAct = new QAction(tr("&About"), this);
    connect(aboutAct, &QAction::triggered, this, &MainWindow::about);

    // The stack's own actions name the step ("Undo Shuffle"); they are refused while busy.
    undoAct = undoStack->createUndoAction(this, tr("&Undo"));
    undoAct->setShortcut(QKeySequence(tr("Ctrl+Z")));
    undoAct->setIcon(
        QIcon::fromTheme(QStringLiteral("edit-undo"), style()->standardIcon(QStyle::SP_ArrowBack)));
    redoAct = undoStack->createRedoAction(this, tr("&Redo"));
    redoAct->setShortcut(QKeySequence(tr("Ctrl+Shift+Z")));
    redoAct->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo"),
                                      style()->standardIcon(QStyle::SP_ArrowForward)));
    // The stack enables them as its steps come and go; a busy window keeps them off.
    for (QAction *action : {undoAct, redoAct}) {
        connect(action, &QAction::changed, this, [this, action] {
            if (busy() && action->isEnabled())
                action->setEnabled(false);
        });
    }
}

void MainWindow::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(newCanvasAct);
    fileMenu->addAction(canvasSizeAct);
    fileMenu->addAction(openProjectAct);
    recentMenu = fileMenu->addMenu(tr("Open &Recent"));
    connect(recentMenu, &QMenu::aboutToShow, this, &MainWindow::updateRecentMenu);
    updateRecentMenu();
    fileMenu->addSeparator();
    fileMenu->addAction(addFolderAct);
    fileMenu->addAction(addPhotosAct);
    fileMenu->addSeparator();
    fileMenu->addAction(saveProjectAct);
    fileMenu->addAction(saveProjectAsAct);
    fileMenu->addAction(saveAct);
    fileMenu->addSeparator();
    fileMenu->addAction(exitAct);

    editMenu = menuBar()->addMenu(tr("&Edit"));
    editMenu->addAction(undoAct);
    editMenu->addAction(redoAct);

    viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->addAction(zoomInAct);
    viewMenu->addAction(zoomOutAct);
    viewMenu->addSeparator();
    viewMenu->addAction(fitAct);
    viewMenu->addAction(actualSizeAct);

    helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(aboutAct);
}

void MainWindow::about()
{
    const QString text
        = QCoreApplication::translate(
              "QMessageBox",
              "<h3>Vellomir</h3><p>This program is a photo collage software. It allows you to "
              "create layouts quickly and  generate unique layout each time.</p>"
              "<p>version: %1</p>"
              "<p><a href=\"https://vellomir.org/\">vellomir.org</a></p>"
              "<p>Copyright &copy; 2026 Vellomir</p>")
              .arg(QStringLiteral(VELLOMIR_VERSION));

    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(tr("About Vellomir"));
    box->setText(text);
    // Through QIcon, which takes the @2x drawing on a high-density screen.
    const QPixmap logo = QIcon(QStringLiteral(":/resources/logo128.png"))
                             .pixmap(QSize(128, 128), devicePixelRatioF());
    if (!logo.isNull())
        box->setIconPixmap(logo);
    box->exec();
}

void MainWindow::readSettings()
{
    // A fresh account may have no Pictures folder: the dialogs then start at home.
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QFileInfo(pictures).isDir())
        pictures = QDir::homePath();
    QSettings settings;
    settings.beginGroup(QStringLiteral("MainWindow"));
    // On a first start: room for the default canvas at 100 %, within the screen.
    QSize first(1080, 740);
    QPoint at(200, 200);
    if (const QScreen *shown = screen()) {
        const QRect room = shown->availableGeometry();
        first = first.boundedTo(room.size());
        // Placed where all of it shows.
        at.setX(std::clamp(at.x(), room.left(), room.right() + 1 - first.width()));
        at.setY(std::clamp(at.y(), room.top(), room.bottom() + 1 - first.height()));
    }
    resize(settings.value(QStringLiteral("size"), first).toSize());
    move(settings.value(QStringLiteral("pos"), at).toPoint());
    openDirPath = settings.value(QStringLiteral("openDirPath"), pictures).toString();
    saveDirPath = settings.value(QStringLiteral("saveDirPath"), pictures).toString();
    projectDirPath = settings.value(QStringLiteral("projectDirPath"), pictures).toString();
    recentProjects = settings.value(QStringLiteral("recentProjects")).toStringList();
    settings.endGroup();

    // The choices of the last collage: its colour, its frame and the size asked for.
    settings.beginGroup(QStringLiteral("Collage"));
    const QColor colour = settings.value(QStringLiteral("background")).value<QColor>();
    if (colour.isValid())
        document.background = colour;
    const FrameSettings frame {settings.value(QStringLiteral("frameType"), 1).toInt(),
                               settings.value(QStringLiteral("frameMargin"), 0).toInt(),
                               settings.value(QStringLiteral("frameCurve"), 10).toInt()};
    if (frame.type >= 1 && frame.type <= 3 && frame.a >= 0 && frame.a <= 30 && frame.b >= 0
        && frame.b <= 40)
        document.frame = frame;
    const QSize size = settings.value(QStringLiteral("canvasSize")).toSize();
    if (size.width() >= 1 && size.height() >= 1 && size.width() <= 6000 && size.height() <= 6000) {
        document.requestedSize = size;
        document.canvasSize = workingCanvasSize(size);
    }
    settings.endGroup();
}

void MainWindow::rememberChoices()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("Collage"));
    settings.setValue(QStringLiteral("background"), document.background);
    settings.setValue(QStringLiteral("frameType"), document.frame.type);
    settings.setValue(QStringLiteral("frameMargin"), document.frame.a);
    settings.setValue(QStringLiteral("frameCurve"), document.frame.b);
    settings.setValue(QStringLiteral("canvasSize"), document.requestedSize);
    settings.endGroup();
}

void MainWindow::writeSettings()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("MainWindow"));
    settings.setValue(QStringLiteral("size"), size());
    settings.setValue(QStringLiteral("pos"), pos());
    settings.setValue(QStringLiteral("openDirPath"), openDirPath);
    settings.setValue(QStringLiteral("saveDirPath"), saveDirPath);
    settings.setValue(QStringLiteral("projectDirPath"), projectDirPath);
    settings.setValue(QStringLiteral("recentProjects"), recentProjects);
    settings.endGroup();
}
