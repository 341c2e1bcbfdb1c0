#include "canvasscene.h"

#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QImage>
#include <QMutexLocker>
#include <QPainter>
#include <QPixmap>

namespace {

const qreal backgroundZ = -10000;
const qreal photoZ = -9000;

void dropItem(QGraphicsScene *scene, QGraphicsPixmapItem *&item)
{
    if (!item)
        return;
    scene->removeItem(item);
    delete item;
    item = nullptr;
}

} // namespace

CanvasScene::CanvasScene(QObject *parent)
    : QGraphicsScene(parent)
{
}

CanvasScene::~CanvasScene()
{
    delete backgroundImage;
    delete photoImage;
    dropItem(this, backgroundItem);
    dropItem(this, photoItem);
}

void CanvasScene::resetCanvas()
{
    {
        QMutexLocker locker(&photoLock);
        delete backgroundImage;
        delete photoImage;
        backgroundImage = new QImage(canvasSize, QImage::Format_ARGB32);
        photoImage = new QImage(canvasSize, QImage::Format_ARGB32);
        photoImage->fill(Qt::transparent);
    }
    drawCanvasBackground();
    updateCanvas();

    setSceneRect(backgroundItem->boundingRect().adjusted(-10.0, -10.0, 10.0, 10.0));

    const QList<QGraphicsView *> viewList = views();
    if (!viewList.isEmpty() && viewList.first()->isVisible())
        viewList.first()->resetTransform();
}

QImage CanvasScene::renderCanvas()
{
    QImage image(canvasSize, QImage::Format_ARGB32);
    // A translucent background must stay translucent in the saved image, not pick up
    // whatever the fresh buffer held.
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);

    // The drop shadow lies under the whole canvas; it belongs to the preview only, and a
    // translucent background would let it darken the saved collage.
    QGraphicsEffect *shadow = backgroundItem ? backgroundItem->graphicsEffect() : nullptr;
    if (shadow)
        shadow->setEnabled(false);
    {
        QMutexLocker locker(&photoLock);
        const QRectF source = photoImage ? QRectF(photoImage->rect()) : QRectF(image.rect());
        QPainter painter(&image);
        render(&painter, QRectF(image.rect()), source, Qt::KeepAspectRatio);
    }
    if (shadow)
        shadow->setEnabled(true);
    return image;
}

void CanvasScene::setBackColor(QColor col)
{
    backColor = col;
    drawCanvasBackground();
}

void CanvasScene::setPhotoFrame(int type)
{
    photoFrame = type;
    emit drawPhotos();
}

void CanvasScene::setPhotoFrameParam(int p1, int p2)
{
    frameParam1 = p1;
    frameParam2 = p2;
    emit drawPhotos();
}

void CanvasScene::updateCanvas()
{
    qDebug() << "CanvasScene::updateCanvas";
    dropItem(this, photoItem);

    QPixmap pixmap;
    {
        QMutexLocker locker(&photoLock);
        if (photoImage)
            pixmap = QPixmap::fromImage(*photoImage);
    }
    photoItem = addPixmap(pixmap);
    photoItem->setZValue(photoZ);
}

void CanvasScene::updateCanvasBG()
{
    qDebug() << "CanvasScene::updateCanvasBG";
    dropItem(this, backgroundItem);

    backgroundItem = addPixmap(backgroundImage ? QPixmap::fromImage(*backgroundImage) : QPixmap());
    backgroundItem->setZValue(backgroundZ);

    // The item owns its effect and deletes it with itself.
    auto *shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(127, 127, 127, 255));
    shadow->setBlurRadius(12.0);
    shadow->setOffset(2.0, 2.0);
    backgroundItem->setGraphicsEffect(shadow);
}

void CanvasScene::drawCanvasBackground()
{
    if (backgroundImage && !backgroundImage->isNull()) {
        QPainter painter(backgroundImage);
        // Replace rather than blend, so a translucent colour shows as chosen and not
        // layered over the previous fill.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(backgroundImage->rect(), backColor);
    }
    updateCanvasBG();
}
