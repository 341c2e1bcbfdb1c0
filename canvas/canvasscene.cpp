#include "canvasscene.h"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QPainter>
#include <QPen>
#include <QPixmap>

namespace {

const qreal backgroundZ = -10000;
const qreal photoZ = -9000;
const qreal markZ = -8000;

QGraphicsRectItem *markItem(QGraphicsScene *scene, const QColor &colour, qreal width)
{
    auto *item = scene->addRect(QRectF(), QPen(colour, width), Qt::NoBrush);
    item->setZValue(markZ);
    item->setVisible(false);
    return item;
}

void showMark(QGraphicsRectItem *item, const QRectF &rect)
{
    item->setVisible(!rect.isEmpty());
    // Drawn inside the tile, so the mark never spills onto a neighbour.
    const qreal inset = item->pen().widthF() / 2;
    item->setRect(rect.adjusted(inset, inset, -inset, -inset));
}

} // namespace

CanvasScene::CanvasScene(QObject *parent)
    : QGraphicsScene(parent)
{
}

CanvasScene::~CanvasScene() = default;

namespace {

QImage layerImage(const QSize &size, qreal ratio)
{
    QImage image(size * ratio, QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

void CanvasScene::setDevicePixelRatio(qreal deviceRatio)
{
    if (deviceRatio <= 0 || deviceRatio == ratio)
        return;
    ratio = deviceRatio;
    if (size.isEmpty())
        return;
    backgroundImage = layerImage(size, ratio);
    setBackColor(background);
}

void CanvasScene::setCanvasSize(const QSize &canvas)
{
    size = canvas;
    backgroundImage = layerImage(size, ratio);
    photoImage = layerImage(size, ratio);
    photoImage.fill(Qt::transparent);
    setSelection(QRectF());
    setDropTarget(QRectF());
    setBackColor(background);
    showPhotoLayer();
    placeHint();

    setSceneRect(backgroundItem->boundingRect().adjusted(-10.0, -10.0, 10.0, 10.0));

    const QList<QGraphicsView *> viewList = views();
    if (!viewList.isEmpty() && viewList.first()->isVisible())
        viewList.first()->resetTransform();
}

void CanvasScene::setPhotoLayer(const QImage &layer)
{
    const qreal r = layer.devicePixelRatio();
    if (layer.isNull() || layer.size() != size * r)
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
    // translucent background would let it darken the saved collage. So do the marks.
    QGraphicsEffect *shadow = backgroundItem ? backgroundItem->graphicsEffect() : nullptr;
    if (shadow)
        shadow->setEnabled(false);
    const bool selected = selectionItem && selectionItem->isVisible();
    const bool targeted = targetItem && targetItem->isVisible();
    const bool hinted = hintItem && hintItem->isVisible();
    if (selected)
        selectionItem->setVisible(false);
    if (targeted)
        targetItem->setVisible(false);
    if (hinted)
        hintItem->setVisible(false);
    {
        QPainter painter(&image);
        render(&painter, QRectF(image.rect()), QRectF(image.rect()), Qt::KeepAspectRatio);
    }
    if (shadow)
        shadow->setEnabled(true);
    if (selected)
        selectionItem->setVisible(true);
    if (targeted)
        targetItem->setVisible(true);
    if (hinted)
        hintItem->setVisible(true);
    return image;
}

void CanvasScene::setSelection(const QRectF &rect)
{
    if (!selectionItem && rect.isEmpty())
        return;
    if (!selectionItem)
        selectionItem = markItem(this, QColor(48, 140, 255), 3);
    showMark(selectionItem, rect);
}

void CanvasScene::setDropTarget(const QRectF &rect)
{
    if (!targetItem && rect.isEmpty())
        return;
    if (!targetItem)
        targetItem = markItem(this, QColor(255, 170, 0), 4);
    showMark(targetItem, rect);
}

QRectF CanvasScene::selection() const
{
    return selectionItem && selectionItem->isVisible() ? selectionItem->rect() : QRectF();
}

QRectF CanvasScene::dropTarget() const
{
    return targetItem && targetItem->isVisible() ? targetItem->rect() : QRectF();
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

void CanvasScene::setHint(const QString &text)
{
    if (!hintItem && text.isEmpty())
        return;
    if (!hintItem) {
        hintItem = addSimpleText(QString());
        hintItem->setZValue(markZ);
        hintItem->setBrush(QColor(128, 128, 128));
        QFont font = hintItem->font();
        font.setPointSizeF(font.pointSizeF() * 1.4);
        hintItem->setFont(font);
    }
    hintItem->setText(text);
    hintItem->setVisible(!text.isEmpty());
    placeHint();
}

QString CanvasScene::hint() const
{
    return hintItem && hintItem->isVisible() ? hintItem->text() : QString();
}

void CanvasScene::placeHint()
{
    if (!hintItem)
        return;
    const QRectF text = hintItem->boundingRect();
    hintItem->setPos((size.width() - text.width()) / 2, (size.height() - text.height()) / 2);
}
