#include "mainwindow.h"

#include "canvasgestures.h"
#include "canvasscene.h"
#include "canvassettings.h"
#include "canvasview.h"
#include "collagelimits.h"
#include "photoscan.h"
#include "projectcontroller.h"
#include "rightwidget.h"
#include "sizewidget.h"
#include "statuswidget.h"
#include "translation.h"
#include "treesettings.h"
#include "warning.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QUndoStack>
#include <QWindow>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    // On a first start: room for the default canvas at 100 %, placed where all of it shows.
    QSize first(1080, 740);
    QPoint at(200, 200);
    if (const QScreen *shown = screen()) {
        const QRect room = shown->availableGeometry();
        first = first.boundedTo(room.size());
        at.setX(std::clamp(at.x(), room.left(), room.right() + 1 - first.width()));
        at.setY(std::clamp(at.y(), room.top(), room.bottom() + 1 - first.height()));
    }
    resize(settings.windowSize(first));
    move(settings.windowPos(at));
    collage.setStartingChoices(settings.background(), settings.frame(), settings.canvasSize(),
                               settings.dpi(), settings.cropMode());

    createActions();
    createWidgets();
    createMenus();
    projectController = new ProjectController(this, &collage, &settings);
    gestures = new CanvasGestures(&collage, scene, view, this);
    connect(gestures, &CanvasGestures::hint, this, [this](const QString &text) {
        if (text.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(text);
    });
    connectSession();
    showDocument();
}

MainWindow::~MainWindow()
{
    settings.setWindowGeometry(size(), pos());
    // The session's stack goes after this window has stopped being one; what it says on the
    // way out must not reach these slots.
    collage.disconnect(this);
    collage.undoStack()->disconnect(this);
    undoAct->disconnect(this);
    redoAct->disconnect(this);
}

void MainWindow::connectSession()
{
    connect(&collage, &CollageSession::stateChanged, this, &MainWindow::stateChanged);
    connect(&collage, &CollageSession::documentChanged, this, &MainWindow::showDocument);
    connect(&collage, &CollageSession::progressPicture, scene, &CanvasScene::setPhotoLayer);
    connect(&collage, &CollageSession::progressChanged, this, [this](int value) {
        // A worker's last report can arrive after the cycle has ended.
        if (collage.busy())
            statusWidget->progressBar->setValue(value);
    });
    connect(&collage, &CollageSession::photoLayerReady, this, [this](const QImage &layer) {
        if (layer.isNull())
            scene->clearPhotoLayer();
        else
            gestures->showLayer(layer);
        saveAct->setEnabled(collage.document().hasLayout());
    });
    connect(&collage, &CollageSession::layoutFinished, this, &MainWindow::showEditingHint);
    connect(&collage, &CollageSession::photosNotAdded, this,
            [this](const QList<PhotoProblem> &problems) {
                int count = 0;
                for (const PhotoProblem &problem : problems)
                    count += problem.path.isEmpty() ? 0 : 1;
                if (count == 0) // only the photos over the cap: their line says it all
                    return showNotice(problems.first().reason, {});
                showNotice(count == 1 ? tr("One file was not added:")
                                      : tr("%n files were not added:", nullptr, count),
                           problems);
            });
    connect(&collage, &CollageSession::photosLeftOut, this,
            [this](const QList<PhotoProblem> &problems) {
                const int count = int(problems.size());
                showNotice(
                    count == 1
                        ? tr("One photo could not be decoded and was left out:")
                        : tr("%n photos could not be decoded and were left out:", nullptr, count),
                    problems);
            });
    connect(&collage, &CollageSession::photosDamaged, this,
            [this](const QList<PhotoProblem> &problems) {
                const int count = int(problems.size());
                showNotice(count == 1 ? tr("One photo is damaged and is shown as far as it goes:")
                                      : tr("%n photos are damaged and are shown as far as they go:",
                                           nullptr, count),
                           problems);
            });
    connect(&collage, &CollageSession::collageSaved, this, &MainWindow::saveEnded);

    const CanvasSettings *page = rightWidget->treeSettings->canvasSettings;
    connect(page, &CanvasSettings::colorChanged, &collage, &CollageSession::setBackground);
    connect(page, &CanvasSettings::paramChanged, &collage, &CollageSession::setFrameParams);
    connect(page, &CanvasSettings::photoFrameChanged, &collage, &CollageSession::setFrameType);
    connect(page, &CanvasSettings::keepFacesChanged, &collage,
            [this](bool keep) { collage.setCropMode(keep ? CropMode::Auto : CropMode::Centre); });
    connect(statusWidget->shuffleButton, &QPushButton::clicked, &collage, &CollageSession::shuffle);
    connect(view, &CanvasView::urlsAdded, this, &MainWindow::urlsDropped);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!closeAfterSave && !projectController->maybeSave()) {
        event->ignore();
        return;
    }
    // A collage being written is finished first: the window closes once it is.
    if (collage.state() == CollageSession::State::Saving) {
        if (closeAfterSave)
            return event->ignore();
        closeAfterSave = true;
        statusBar()->showMessage(tr("Vellomir closes once the collage is saved."));
        event->ignore();
        return;
    }
    settings.setWindowGeometry(size(), pos());
    QMainWindow::closeEvent(event);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (windowHandle() && !screenWatched) {
        screenWatched = true;
        // No new layout: the same collage is drawn again for the other screen's pixels.
        connect(windowHandle(), &QWindow::screenChanged, this, [this] {
            scene->setDevicePixelRatio(devicePixelRatioF());
            collage.setDeviceRatio(devicePixelRatioF());
        });
    }
    scene->setDevicePixelRatio(devicePixelRatioF());
    collage.setDeviceRatio(devicePixelRatioF());
}

void MainWindow::createWidgets()
{
    setWindowIcon(QIcon(QStringLiteral(":/resources/ico32.png")));
    scene = new CanvasScene(this);
    view = new CanvasView(this);
    view->setScene(scene);
    scene->setBackColor(collage.document().background);
    scene->setCanvasSize(collage.document().canvasSize);

    rightWidget = new RightWidget(this);
    statusWidget = rightWidget->statusWidget;
    statusWidget->undoButton->setDefaultAction(undoAct);
    statusWidget->redoButton->setDefaultAction(redoAct);
    // The bar's text is the sign of a running cycle; an idle window starts without it.
    statusWidget->progressBar->setTextVisible(false);
    connect(zoomInAct, &QAction::triggered, view, &CanvasView::zoomIn);
    connect(zoomOutAct, &QAction::triggered, view, &CanvasView::zoomOut);
    connect(fitAct, &QAction::triggered, view, &CanvasView::fitToWindow);
    connect(actualSizeAct, &QAction::triggered, view, &CanvasView::actualSize);

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

// --- what the session says ----------------------------------------------------------

void MainWindow::stateChanged(CollageSession::State state)
{
    const bool idle = state == CollageSession::State::Idle;
    for (QAction *action : {newCanvasAct, canvasSizeAct, openProjectAct, addPhotosAct, addFolderAct,
                            saveAct, saveProjectAct, saveProjectAsAct})
        action->setEnabled(idle);
    saveAct->setEnabled(idle && collage.document().hasLayout());
    recentMenu->setEnabled(idle);
    undoAct->setEnabled(idle && collage.undoStack()->canUndo());
    redoAct->setEnabled(idle && collage.undoStack()->canRedo());
    statusWidget->progressBar->setTextVisible(!idle);
    if (idle)
        statusWidget->progressBar->setValue(0);
}

void MainWindow::showDocument()
{
    const CollageDocument &document = collage.document();
    if (scene->canvasSize() != document.canvasSize) {
        scene->setCanvasSize(document.canvasSize);
        view->canvasChanged();
    }
    if (scene->backColor() != document.background)
        scene->setBackColor(document.background);
    CanvasSettings *page = rightWidget->treeSettings->canvasSettings;
    page->showCanvas(document.canvasSize, document.requestedSize, settings.unit(), document.dpi);
    page->showAppearance(document.background, document.frame);
    page->showKeepFaces(document.crop == CropMode::Auto);
    showPhotoCount();
    scene->setHint(document.photos.isEmpty()
                       ? tr("Add photos with File > Add Folder, or drop them here")
                       : QString());
    settings.rememberCollage(document);
}

void MainWindow::showPhotoCount()
{
    const int count = int(collage.document().photos.size());
    // English has no catalogue, so its singular needs a text of its own.
    statusWidget->countLabel->setText(count == 0   ? tr("No photos")
                                      : count == 1 ? tr("1 photo")
                                                   : tr("%n photos", nullptr, count));
}

// Shown once for each user, when the first collage appears.
void MainWindow::showEditingHint()
{
    if (collage.document().photos.size() < 2 || !settings.takeEditingHint())
        return;
    statusBar()->showMessage(tr("Drag a photo onto another to swap them, Shift+drag to move it "
                                "in its tile; right-click for more."),
                             30000);
}

// Tells once what went wrong and why: up to ten files by name, then how many more.
void MainWindow::showNotice(const QString &summary, const QList<PhotoProblem> &problems)
{
    const int shown = 10;
    QStringList lines;
    for (const PhotoProblem &problem : problems.mid(0, shown))
        lines << (problem.path.isEmpty()
                      ? problem.reason
                      : tr("%1: %2").arg(QDir::toNativeSeparators(problem.path), problem.reason));
    if (problems.size() > shown)
        lines << tr("…and %n more", nullptr, int(problems.size() - shown));
    // Not modal: the collage goes on being made while the notice waits to be read.
    const QString text = lines.isEmpty()
                             ? summary
                             : summary + QLatin1String("\n\n") + lines.join(QLatin1Char('\n'));
    auto *box = new QMessageBox(QMessageBox::Information, tr("Add Photos"), text,
                                QMessageBox::Close, this);
    box->setObjectName(QStringLiteral("notice"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// --- adding photos ---------------------------------------------------------------

void MainWindow::addPhotosDialog()
{
    const QStringList files
        = QFileDialog::getOpenFileNames(this, tr("Add Photo(s)"), settings.openDir(),
                                        photoDialogFilters().join(QLatin1String(";;")));
    if (files.isEmpty())
        return;
    settings.setOpenDir(QFileInfo(files.first()).absolutePath());
    collage.addPaths(files);
}

void MainWindow::addFolderDialog()
{
    const QString path = QFileDialog::getExistingDirectory(
        this, tr("Add folder"), settings.openDir(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (path.isEmpty())
        return;
    settings.setOpenDir(path);
    if (QFileInfo(path).isDir())
        collage.addPaths({path});
}

void MainWindow::urlsDropped(const QList<QUrl> &urls)
{
    QStringList paths;
    for (const QUrl &url : urls)
        paths << url.toLocalFile();
    collage.addPaths(paths);
}

void MainWindow::addPaths(const QStringList &paths)
{
    collage.addPaths(paths);
}

bool MainWindow::openProject(const QString &fileName)
{
    return projectController->openProject(fileName);
}

// --- the canvas ------------------------------------------------------------------

void MainWindow::newCanvas()
{
    if (collage.busy() || !projectController->maybeSave())
        return;
    SizeWidget dialog(this);
    dialog.setWindowTitle(tr("New Canvas"));
    dialog.showResolution(collage.document().dpi, settings.unit());
    dialog.showSize(collage.document().requestedSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings.setUnit(dialog.chosenUnit());
    collage.newCanvas(dialog.chosenSize(), dialog.chosenDpi());
    showDocument(); // the unit alone may have changed
}

// The same photos on a canvas of another size: the layout is fitted to it as it is, and a
// shuffle makes a fresh one for it.
void MainWindow::canvasSize()
{
    if (collage.busy())
        return;
    SizeWidget dialog(this);
    dialog.setWindowTitle(tr("Canvas Size"));
    dialog.showResolution(collage.document().dpi, settings.unit());
    dialog.showSize(collage.document().requestedSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings.setUnit(dialog.chosenUnit());
    collage.resizeCanvas(dialog.chosenSize(), dialog.chosenDpi());
    showDocument();
}

// --- saving the collage ----------------------------------------------------------

void MainWindow::saveCollage()
{
    if (collage.busy())
        return;
    const QString jpeg = tr("JPEG (*.jpg *.jpeg)");
    const QString png = tr("PNG (*.png)");
    QString selectedFilter = jpeg;
    const QString fileName
        = QFileDialog::getSaveFileName(this, tr("Save Collage"), settings.saveDir(),
                                       jpeg + QLatin1String(";;") + png, &selectedFilter);
    if (fileName.isEmpty())
        return;
    saveCollageAs(fileName, selectedFilter == png ? QStringLiteral("png") : QStringLiteral("jpg"));
}

bool MainWindow::saveCollageAs(QString fileName, const QString &suffix, const PdfPage &pdf)
{
    if (collage.busy())
        return false;
    const QString chosen = fileName;
    // A name without a suffix takes the one of the filter chosen. Export PDF writes a PDF
    // whatever was typed: "print.jpg" becomes "print.jpg.pdf", not a JPEG nobody asked for.
    const QFileInfo typed(fileName);
    if (!typed.fileName().contains(QLatin1Char('.'))
        || (suffix == QLatin1String("pdf")
            && typed.suffix().compare(suffix, Qt::CaseInsensitive) != 0))
        fileName += QLatin1Char('.') + suffix;
    const CollageFormat format = completeCollageName(fileName);
    const QString shownName = QDir::toNativeSeparators(fileName);
    if (format == CollageFormat::Unsupported) {
        warn(this, tr("Save Collage"),
             tr("Cannot save %1: only JPEG (.jpg, .jpeg), PNG (.png) and PDF (.pdf) files "
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
        if (warn(this, tr("Save Collage"), question, QMessageBox::Yes | QMessageBox::No,
                 QMessageBox::No)
            != QMessageBox::Yes)
            return false;
    }
    if (clashingInput(fileName, collage.document().photos)) {
        warn(this, tr("Save Collage"),
             tr("Cannot save %1: it is one of the collage's photos.").arg(shownName));
        return false;
    }
    return collage.saveCollage(fileName, format, pdf);
}

void MainWindow::saveEnded(const SaveOutcome &outcome)
{
    if (!outcome.written) {
        warn(this, tr("Save Collage"),
             tr("Cannot write %1: %2")
                 .arg(QDir::toNativeSeparators(outcome.fileName), outcome.written.error()));
    } else {
        settings.setSaveDir(outcome.fileName);
    }
    emit collageSaved(bool(outcome.written));
    // The question about unsaved changes was answered when the window was closed.
    if (closeAfterSave)
        close();
}
