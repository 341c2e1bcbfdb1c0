#include "canvasgestures.h"

#include "canvasscene.h"
#include "canvasview.h"
#include "collagerender.h"
#include "collagesession.h"
#include "photoframe.h"
#include "photoscan.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

CanvasGestures::CanvasGestures(CollageSession *session, CanvasScene *scene, CanvasView *view,
                               QWidget *menuParent)
    : QObject(menuParent)
    , session(session)
    , scene(scene)
    , menuParent(menuParent)
{
    connect(view, &CanvasView::clicked, this, &CanvasGestures::clicked);
    connect(view, &CanvasView::doubleClicked, this, &CanvasGestures::doubleClicked);
    connect(view, &CanvasView::contextMenuAt, this, &CanvasGestures::contextMenu);
    connect(view, &CanvasView::deletePressed, this, &CanvasGestures::removeSelected);
    connect(view, &CanvasView::escapePressed, this, &CanvasGestures::cancel);
    connect(view, &CanvasView::sizeStepPressed, this, [this](int steps) {
        if (selected >= 0)
            this->session->emphasisePhoto(selected, steps);
    });
    connect(view, &CanvasView::tileDragMoved, this, &CanvasGestures::tileDragMoved);
    connect(view, &CanvasView::tileDropped, this, &CanvasGestures::tileDropped);
    connect(view, &CanvasView::cropDragMoved, this, &CanvasGestures::cropDragMoved);
    connect(view, &CanvasView::cropDragFinished, this, &CanvasGestures::cropDragFinished);
    // Cells move with the layout: the selection follows its photo to its new cell, so that +
    // pressed again grows the same photo again, and goes when the photo has left.
    connect(session, &CollageSession::layoutChanged, this, [this] {
        const QList<PhotoRecord> &photos = this->session->document().photos;
        const auto kept
            = std::find_if(photos.cbegin(), photos.cend(),
                           [this](const PhotoRecord &p) { return p.path == selectedPath; });
        selectPhoto(selectedPath.isEmpty() || kept == photos.cend() ? -1
                                                                    : int(kept - photos.cbegin()));
    });
}

void CanvasGestures::selectPhoto(int index)
{
    const QList<PhotoRecord> &photos = session->document().photos;
    if (index >= photos.size())
        index = -1;
    selected = index;
    selectedPath = index >= 0 ? photos.at(index).path : QString();
    if (swapSource >= 0) {
        swapSource = -1;
        emit hint(QString());
    }
    scene->setSelection(index >= 0 ? QRectF(cellOf(session->document(), index)) : QRectF());
}

void CanvasGestures::startSwapWith(int index)
{
    if (session->busy() || index < 0)
        return;
    selectPhoto(index);
    swapSource = index;
    emit hint(tr("Click the photo to swap with this one."));
}

void CanvasGestures::cancel()
{
    selectPhoto(-1);
}

void CanvasGestures::clicked(const QPointF &at)
{
    if (session->busy())
        return;
    const int index = photoAt(session->document(), at);
    if (swapSource >= 0 && index >= 0 && index != swapSource) {
        swap(swapSource, index);
        return;
    }
    selectPhoto(index);
}

void CanvasGestures::doubleClicked(const QPointF &at)
{
    session->autoCropPhoto(photoAt(session->document(), at));
}

void CanvasGestures::contextMenu(const QPointF &at, const QPoint &globalPos)
{
    const CollageDocument &document = session->document();
    const int index = photoAt(document, at);
    if (session->busy() || index < 0)
        return;
    selectPhoto(index);
    auto *menu = new QMenu(menuParent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(tr("&Remove Photo")), &QAction::triggered, this,
            [this, index] { session->removePhoto(index); });
    QAction *swapAction = menu->addAction(tr("&Swap with..."));
    swapAction->setEnabled(document.photos.size() > 1);
    connect(swapAction, &QAction::triggered, this, [this, index] { startSwapWith(index); });
    connect(menu->addAction(tr("Rotate &Left")), &QAction::triggered, this,
            [this, index] { session->turnPhoto(index, -1); });
    connect(menu->addAction(tr("Rotate Ri&ght")), &QAction::triggered, this,
            [this, index] { session->turnPhoto(index, 1); });
    QAction *larger = menu->addAction(tr("Make L&arger"));
    larger->setShortcut(QKeySequence(Qt::Key_Plus));
    larger->setEnabled(session->canEmphasise(index, 1));
    connect(larger, &QAction::triggered, this,
            [this, index] { session->emphasisePhoto(index, 1); });
    QAction *smaller = menu->addAction(tr("Make S&maller"));
    smaller->setShortcut(QKeySequence(Qt::Key_Minus));
    smaller->setEnabled(session->canEmphasise(index, -1));
    connect(smaller, &QAction::triggered, this,
            [this, index] { session->emphasisePhoto(index, -1); });
    connect(menu->addAction(tr("Re&place Photo...")), &QAction::triggered, this,
            [this, index] { replacePhoto(index); });
    QAction *autoCrop = menu->addAction(tr("&Automatic Crop"));
    autoCrop->setEnabled(!document.photos.at(index).crop.isNull());
    connect(autoCrop, &QAction::triggered, this, [this, index] { session->autoCropPhoto(index); });
    menu->popup(globalPos);
}

void CanvasGestures::replacePhoto(int index)
{
    const QList<PhotoRecord> &photos = session->document().photos;
    const QString path = index >= 0 && index < photos.size() ? photos.at(index).path : QString();
    const QString file = QFileDialog::getOpenFileName(
        menuParent, tr("Replace Photo"), QFileInfo(path).absolutePath(),
        photoDialogFilters().join(QLatin1String(";;")));
    if (!file.isEmpty())
        session->replacePhoto(index, file);
}

void CanvasGestures::removeSelected()
{
    if (selected >= 0)
        session->removePhoto(selected);
}

void CanvasGestures::tileDragMoved(const QPointF &from, const QPointF &at)
{
    const CollageDocument &document = session->document();
    const int source = photoAt(document, from);
    const int target = photoAt(document, at);
    if (session->busy() || source < 0 || target < 0 || target == source)
        scene->setDropTarget(QRectF());
    else
        scene->setDropTarget(cellOf(document, target));
}

void CanvasGestures::tileDropped(const QPointF &from, const QPointF &at)
{
    scene->setDropTarget(QRectF());
    const int source = photoAt(session->document(), from);
    const int target = photoAt(session->document(), at);
    if (source >= 0 && target >= 0)
        swap(source, target);
}

void CanvasGestures::swap(int first, int second)
{
    if (session->busy() || first == second)
        return;
    selectPhoto(-1);
    session->swapPhotos(first, second);
}

// Whether `now` shows the photos `then` showed, each in its cell as it was cut: what the
// analysis found in them meanwhile changes no tile a drag is about.
static bool sameTiles(const CollageDocument &now, const CollageDocument &then)
{
    if (now.layout != then.layout || now.photos.size() != then.photos.size())
        return false;
    for (qsizetype i = 0; i < now.photos.size(); ++i) {
        PhotoRecord photo = now.photos.at(i);
        photo.content = then.photos.at(i).content;
        if (!(photo == then.photos.at(i)))
            return false;
    }
    return true;
}

// The crop the tile of photo `index` shows: the user's, the one what was found in the photo
// gives, or the centre's.
static QPointF shownCrop(const CollageDocument &document, int index)
{
    const PhotoRecord &photo = document.photos.at(index);
    return tileCrop(photo, photo.size, cellOf(document, index).size(), document.crop);
}

// Where a drag by `delta` takes photo `index` of `document`: from where its tile shows it,
// which for a photo placed by what was found in it is not the centre.
static QPointF draggedFrom(const CollageDocument &document, int index, const QPointF &delta)
{
    const PhotoRecord &photo = document.photos.at(index);
    const QSize cell = cellOf(document, index).size();
    return draggedCrop(photo.size, cell, shownCrop(document, index), delta);
}

// The photo follows the pointer at once, drawn again from the cache; the whole layer is
// rendered once the drag ends.
void CanvasGestures::cropDragMoved(const QPointF &from, const QPointF &delta)
{
    if (!cropStart) {
        if (session->busy() || photoAt(session->document(), from) < 0)
            return;
        cropStart = session->document();
        cropLayer = scene->photoLayer();
        cropIndex = photoAt(*cropStart, from);
    }
    // A collage that changed under the drag (a photo that failed to decode left it) is shown
    // as it is now, and the drag ends without a move.
    if (!sameTiles(session->document(), *cropStart))
        return;
    cropNow = draggedFrom(*cropStart, cropIndex, delta);
    const QImage moved = redrawCell(withCrop(*cropStart, cropIndex, cropNow), session->cache(),
                                    cropIndex, cropLayer);
    if (!moved.isNull())
        scene->setPhotoLayer(moved);
}

void CanvasGestures::showLayer(const QImage &layer)
{
    if (cropStart)
        cropLayer = layer;
    if (!cropStart || !sameTiles(session->document(), *cropStart)) {
        scene->setPhotoLayer(layer);
        return;
    }
    // Tiles moved by boxes that arrived: the drag goes on over them.
    const QImage moved = redrawCell(withCrop(session->document(), cropIndex, cropNow),
                                    session->cache(), cropIndex, cropLayer);
    scene->setPhotoLayer(moved.isNull() ? layer : moved);
}

void CanvasGestures::cropDragFinished(const QPointF &from, const QPointF &delta)
{
    if (!cropStart) {
        cropDragMoved(from, delta);
        if (!cropStart)
            return;
    }
    const CollageDocument before = *std::exchange(cropStart, std::nullopt);
    const QImage layer = std::exchange(cropLayer, QImage());
    const int index = photoAt(before, from);
    const QPointF crop = draggedFrom(before, index, delta);
    // The document may have changed under the drag (a background, boxes found); the crop goes
    // to the photo as it is now, and an unchanged one shows the layer as it was.
    if (crop == shownCrop(before, index) || !sameTiles(session->document(), before)) {
        scene->setPhotoLayer(layer);
        return;
    }
    session->setCrop(index, crop);
}
