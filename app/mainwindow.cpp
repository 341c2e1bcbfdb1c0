#include "mainwindow.h"

#include "btree.h"
#include "canvasscene.h"
#include "canvasview.h"
#include "collagefile.h"
#include "collagerender.h"
#include "imagecache.h"
#include "rightwidget.h"
#include "sizewidget.h"
#include "statuswidget.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <cstdlib>

namespace {
// The collection's capacity; the layout is built for at most this many photos.
const int maxPhotos = 100;
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , photos(new QList<PhotoRecord *>)
    , cache(new ImageCache)
    , btree(btree_new())
{
    readSettings();
    createActions();
    createMenus();
    createWidgets();

    connect(statusWidget->shuffleButton, SIGNAL(clicked()), this, SLOT(shuffle()));
    // The bar's text is the sign of a running cycle; an idle window starts without it.
    statusWidget->progressBar->setTextVisible(false);

    qRegisterMetaType<QImage>("QImage");
    qRegisterMetaType<BTree>("BTree");

    connect(&autoThread, SIGNAL(renderedAuto()), scene, SLOT(updateCanvas()));
    connect(&autoThread, SIGNAL(renderedTree(BTree *)), this, SLOT(setBTree(BTree *)));
    connect(&autoThread, SIGNAL(progressValue(int)), this, SLOT(updateProgress(int)));
    connect(&renderThread, SIGNAL(renderedCollage()), scene, SLOT(updateCanvas()));
    connect(&renderThread.watcher, SIGNAL(progressValueChanged(int)), this,
            SLOT(updateProgress(int)));
    connect(&renderThread, SIGNAL(finished()), this, SLOT(renderEnd()));
    connect(view, SIGNAL(urlsAdded(const QList<QUrl> *)), this,
            SLOT(urlsDroped(const QList<QUrl> *)));
}

MainWindow::~MainWindow()
{
    writeSettings();
    waitForWorkers();
    while (!photos->isEmpty())
        delete photos->takeFirst();
    delete photos;
    delete cache;
    btree_clear(btree);
    free(btree); // the header comes from calloc in btree_new()
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    writeSettings();
    QMainWindow::closeEvent(event);
}

// Everything the workers read belongs to this window, so no worker may outlive
// the data: stop listening to them, then wait until both have finished.
void MainWindow::waitForWorkers()
{
    autoThread.disconnect(this);
    renderThread.disconnect(this);
    autoThread.wait();
    renderThread.wait();
}

void MainWindow::createWidgets()
{
    setWindowIcon(QIcon(QStringLiteral(":/resources/ico32.png")));

    scene = new CanvasScene(this);
    scene->canvasSize = QSize(800, 600);
    view = new CanvasView(this);
    view->setScene(scene);
    scene->resetCanvas();
    connect(scene, SIGNAL(drawPhotos()), this, SLOT(drawPhotos()));

    rightWidget = new RightWidget(scene, this);
    statusWidget = rightWidget->statusWidget;

    auto *frame = new QFrame(this);
    frame->setFrameStyle(0);
    auto *layout = new QHBoxLayout(frame);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    layout->addWidget(rightWidget);
    setCentralWidget(frame);
}

// --- adding photos ---------------------------------------------------------

void MainWindow::openFile()
{
    QStringList files = QFileDialog::getOpenFileNames(this, tr("Add Photo(s)"), openDirPath,
                                                      tr("Photos (*.jpg *.jpeg)"));
    if (files.isEmpty())
        return;
    openDirPath = files.first();
    addFiles(files);
    beginProcessing();
}

void MainWindow::openDir()
{
    const QString path = QFileDialog::getExistingDirectory(this, tr("Add folder"), openDirPath,
                                                           QFileDialog::ShowDirsOnly
                                                               | QFileDialog::DontResolveSymlinks);
    if (path.isEmpty())
        return;
    openDirPath = path;
    QDir dir(path);
    if (!dir.exists())
        return;
    addDir(dir);
    beginProcessing();
}

void MainWindow::addFiles(QStringList &fileList)
{
    if (busy)
        return;
    for (const QString &path : std::as_const(fileList)) {
        if (!path.isEmpty() && photos->size() <= maxPhotos - 1)
            addPhoto(path);
    }
}

void MainWindow::addDir(QDir &dir)
{
    if (busy)
        return;
    dir.setNameFilters({tr("*.jpg"), tr("*.jpeg")});
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.exists() && photos->size() <= maxPhotos - 1)
            addPhoto(entry.absoluteFilePath());
    }
}

void MainWindow::urlsDroped(const QList<QUrl> *urlList)
{
    QStringList files;
    for (const QUrl &url : *urlList) {
        const QString path = url.toLocalFile();
        qDebug() << path;
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists())
            continue;
        const QString suffix = info.suffix().toUpper();
        if (info.isFile() && (suffix == QLatin1String("JPG") || suffix == QLatin1String("JPEG"))) {
            files << info.absoluteFilePath();
        } else if (info.isDir()) {
            QDir dir(info.absoluteFilePath());
            if (dir.exists())
                addDir(dir);
        }
    }
    if (!files.isEmpty())
        addFiles(files);
    beginProcessing();
}

void MainWindow::addPhoto(const QString &path)
{
    if (PhotoRecord *record = createPhotoRecord(path))
        photos->append(record);
}

// --- the collage cycle -------------------------------------------------------

void MainWindow::shuffle()
{
    beginProcessing();
}

void MainWindow::beginProcessing()
{
    if (busy || photos->isEmpty())
        return;
    busy = true;
    layingOut = true;
    lockActions();
    btree_clear(btree);
    autoThread.startAuto(scene, photos, btree);
}

void MainWindow::lockActions()
{
    newCanvasAct->setEnabled(false);
    addPhotosAct->setEnabled(false);
    addFolderAct->setEnabled(false);
    saveAct->setEnabled(false);
    statusWidget->progressBar->setTextVisible(true);
}

void MainWindow::unlockActions()
{
    newCanvasAct->setEnabled(true);
    addPhotosAct->setEnabled(true);
    addFolderAct->setEnabled(true);
    saveAct->setEnabled(true);
    statusWidget->progressBar->setTextVisible(false);
    statusWidget->progressBar->setValue(0);
}

void MainWindow::updateProgress(int value)
{
    // The decoding watcher's last report can arrive after renderEnd() has
    // reset the bar; an idle window shows no progress.
    if (!busy)
        return;
    statusWidget->progressBar->setValue(value);
}

void MainWindow::setBTree(BTree *tree)
{
    qDebug() << "MainWindow::setBtree";
    btree = tree;
    layingOut = false;
    drawPhotos();
}

void MainWindow::drawPhotos()
{
    qDebug() << "MainWindow::drawPhotos";
    // While a layout runs its tree is half built, and while a render runs a
    // second one cannot start: remember the wish and redraw at renderEnd().
    if (layingOut || rendering || saving) {
        redrawPending = true;
        return;
    }
    if (!btree->root || photos->isEmpty())
        return;
    if (!busy) {
        // A redraw reads the photos, the cache and the tree like a render
        // does, so nothing may change them until it ends.
        busy = true;
        lockActions();
    }
    redrawPending = false; // this render reads the latest frame settings
    rendering = true;
    renderThread.startRender(scene, btree, photos, cache);
}

void MainWindow::renderEnd()
{
    rendering = false;
    if (redrawPending && btree->root && !photos->isEmpty()) {
        redrawPending = false;
        rendering = true;
        renderThread.startRender(scene, btree, photos, cache);
        return;
    }
    redrawPending = false;
    unlockActions();
    busy = false;
}

void MainWindow::newCanvas()
{
    SizeWidget dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QSize size(dialog.canvasWidth, dialog.canvasHeight);
    if (dialog.orientation == -1)
        size.transpose();
    applyNewCanvas(size);
}

void MainWindow::applyNewCanvas(QSize size)
{
    qDebug() << "new size:" << size;
    while (!photos->isEmpty())
        delete photos->takeFirst();
    clearCache();
    requestedSize = size;
    scene->canvasSize = size;
    if (size.width() > 1200 || size.height() > 1200)
        scene->canvasSize.scale(1200, 900, Qt::KeepAspectRatio);
    scene->resetCanvas();
}

void MainWindow::clearCache()
{
    qDebug().nospace() << "Clear cache: " << cache->count() << " items";
    cache->clear();
}

// --- saving ----------------------------------------------------------------

void MainWindow::saveCollage()
{
    QString selectedFilter;
    QString fileName = QFileDialog::getSaveFileName(this, tr("Save Collage"), saveDirPath,
                                                    tr("(*.jpg)"), &selectedFilter);
    if (fileName.isEmpty())
        return;
    saveCollageAs(fileName);
}

bool MainWindow::saveCollageAs(QString fileName)
{
    const QString chosen = fileName;
    const CollageFormat format = completeCollageName(fileName);
    saveDirPath = fileName;
    const QString shownName = QDir::toNativeSeparators(fileName);
    if (format == CollageFormat::Unsupported) {
        QMessageBox::warning(this, tr("Save Collage"),
                             tr("Cannot save %1: only JPEG (.jpg, .jpeg) and PNG (.png) files "
                                "are supported.")
                                 .arg(shownName));
        return false;
    }
    // The dialog asked about replacing the name as typed, not the one with ".jpg" added.
    if (fileName != chosen && QFileInfo::exists(fileName)) {
        // Qt's own wording, so that Qt's catalogue translates it like the dialog's question.
        const QString question
            = QCoreApplication::translate("QFileDialog",
                                          "%1 already exists.\nDo you want to replace it?")
                  .arg(shownName);
        if (QMessageBox::warning(this, tr("Save Collage"), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
            return false;
    }
    QString error;
    const QImage image = renderRequestedSize();
    if (!writeCollage(image, fileName, format, &error)) {
        QMessageBox::warning(this, tr("Save Collage"),
                             tr("Cannot write %1: %2").arg(shownName, error));
        return false;
    }
    return true;
}

void MainWindow::createActions()
{
    newCanvasAct = new QAction(tr("&New Canvas..."), this);
    newCanvasAct->setShortcut(QKeySequence(tr("Ctrl+N")));
    connect(newCanvasAct, &QAction::triggered, this, &MainWindow::newCanvas);

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

    aboutAct = new QAction(tr("&About"), this);
    connect(aboutAct, &QAction::triggered, this, &MainWindow::about);
}

void MainWindow::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(newCanvasAct);
    fileMenu->addAction(addFolderAct);
    fileMenu->addAction(addPhotosAct);
    fileMenu->addSeparator();
    fileMenu->addAction(saveAct);
    fileMenu->addSeparator();
    fileMenu->addAction(exitAct);

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
              .arg(QStringLiteral("0.1.03"));

    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(tr("About Vellomir"));
    box->setText(text);
    const QPixmap logo(QStringLiteral(":/resources/logo128.png"));
    if (!logo.isNull())
        box->setIconPixmap(logo);
    box->exec();
}

void MainWindow::readSettings()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QSettings settings;
    settings.beginGroup(QStringLiteral("MainWindow"));
    resize(settings.value(QStringLiteral("size"), QSize(840, 640)).toSize());
    move(settings.value(QStringLiteral("pos"), QPoint(200, 200)).toPoint());
    openDirPath = settings.value(QStringLiteral("openDirPath"), pictures).toString();
    saveDirPath = settings.value(QStringLiteral("saveDirPath"), pictures).toString();
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
    settings.endGroup();
}

// The collage at the size asked for in New Canvas. The preview works at a
// reduced size, so a larger request renders the same layout again, with the
// photos decoded for the larger cells, off the GUI thread.
QImage MainWindow::renderRequestedSize()
{
    if (requestedSize == scene->canvasSize)
        return scene->renderCanvas();
    if (!btree->root || photos->isEmpty()) {
        // Nothing laid out on this canvas yet: its background, still at the size asked for.
        QImage blank(requestedSize, QImage::Format_ARGB32);
        if (!blank.isNull())
            blank.fill(scene->backColor);
        return blank;
    }

    const FrameSettings frame {scene->photoFrame, scene->frameParam1, scene->frameParam2};
    const QSize size = requestedSize;
    const QColor back = scene->backColor;
    const QList<PhotoRecord *> list = *photos;
    const BTree *tree = btree;
    ImageCache *previewCache = cache;

    saving = true;
    busy = true;
    lockActions();
    // A thread of its own: the decoding inside fans out over the global pool, which would lose
    // one of its threads to this job if it ran there too.
    QImage image;
    QThread *worker = QThread::create([=, &image]() {
        // Through updateProgress(), so that a report still queued when the save ends is dropped.
        image = renderCollageImage(
            tree, list, *previewCache, frame, size, back, [this](int done, int total) {
                const int value = total > 0 ? done * 100 / total : 0;
                QMetaObject::invokeMethod(
                    this, [this, value] { updateProgress(value); }, Qt::QueuedConnection);
            });
    });
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait(); // the loop also ends when the application quits
    delete worker;

    saving = false;
    unlockActions();
    busy = false;
    if (redrawPending)
        drawPhotos();
    return image;
}
