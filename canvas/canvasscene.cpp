#include "canvasscene.h"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QPainter>
#include <QPixmap>

namespace {

const qreal backgroundZ = -10000;
const qreal photoZ = -9000;

} // namespace

CanvasScene::CanvasScene(QObject *parent)
    : QGraphicsScene(parent)
{
}

CanvasScene::~CanvasScene() = default;

void CanvasScene::setCanvasSize(const QSize &canvas)
{
    size = canvas;
    backgroundImage = QImage(size, QImage::Format_ARGB32);
    photoImage = QImage(size, QImage::Format_ARGB32);
    photoImage.fill(Qt::transparent);
    setBackColor(background);
    showPhotoLayer();

    setSceneRect(backgroundItem->boundingRect().adjusted(-10.0, -10.0, 10.0, 10.0));

    const QList<QGraphicsView *> viewList = views();
    if (!viewList.isEmpty() && viewList.first()->isVisible())
        viewList.first()->resetTransform();
}

void CanvasScene::setPhotoLayer(const QImage &layer)
{
    if (layer.size() != size)
        return;
    photoImage = layer;
    showPhotoLayer();
}

void CanvasScene::clearPhotoLayer()
{
    photoImage.fill(Qt::transparent);
    showPhotoLayer();
}

QImage CanvasScene::renderCanvas()
{
    QImage image(size, QImage::Format_ARGB32);
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
        QPainter painter(&image);
        render(&painter, QRectF(image.rect()), QRectF(image.rect()), Qt::KeepAspectRatio);
    }
    if (shadow)
        shadow->setEnabled(true);
    return image;
}

void CanvasScene::setBackColor(const QColor &colour)
{
    background = colour;
    if (!backgroundImage.isNull()) {
        QPainter painter(&backgroundImage);
        // Replace rather than blend, so a translucent colour shows as chosen and not
        // layered over the previous fill.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(backgroundImage.rect(), background);
    }
    showBackground();
}

void CanvasScene::showPhotoLayer()
{
    if (!photoItem) {
        photoItem = addPixmap(QPixmap());
        photoItem->setZValue(photoZ);
    }
    photoItem->setPixmap(QPixmap::fromImage(photoImage));
}

void CanvasScene::showBackground()
{
    if (!backgroundItem) {
        backgroundItem = addPixmap(QPixmap());
        backgroundItem->setZValue(backgroundZ);
        // The item owns its effect and deletes it with itself.
        auto *shadow = new QGraphicsDropShadowEffect;
        shadow->setColor(QColor(127, 127, 127, 255));
        shadow->setBlurRadius(12.0);
        shadow->setOffset(2.0, 2.0);
        backgroundItem->setGraphicsEffect(shadow);
    }
    backgroundItem->setPixmap(QPixmap::fromImage(backgroundImage));
}
