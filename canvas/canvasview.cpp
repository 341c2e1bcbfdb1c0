#include "canvasview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>

CanvasView::CanvasView(QWidget *parent)
    : QGraphicsView(parent)
{
    setMinimumSize(400, 300);
    setInteractive(true);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setAcceptDrops(true);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setBackgroundRole(QPalette::Midlight);
    setRenderHints(QPainter::SmoothPixmapTransform);
}

void CanvasView::zoomIn()
{
    following = false;
    zoomTo(std::min(4.0, transform().m11() * 1.25));
}

void CanvasView::zoomOut()
{
    following = false;
    zoomTo(std::max(0.1, transform().m11() / 1.25));
}

void CanvasView::fitToWindow()
{
    following = true;
    fit();
}

void CanvasView::actualSize()
{
    following = false;
    zoomTo(1.0);
}

void CanvasView::canvasChanged()
{
    if (following)
        fit();
}

void CanvasView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    if (following)
        fit();
}

void CanvasView::fit()
{
    if (!scene())
        return;
    const QRectF canvas = scene()->sceneRect();
    const QSizeF room = viewport()->size();
    if (canvas.isEmpty() || room.isEmpty())
        return;
    // A pixel to spare each way, so rounding never brings the scroll bars back.
    zoomTo(std::min(
        {1.0, (room.width() - 2) / canvas.width(), (room.height() - 2) / canvas.height()}));
    centerOn(canvas.center());
}

void CanvasView::zoomTo(qreal scale)
{
    setTransform(QTransform::fromScale(scale, scale));
}

void CanvasView::wheelEvent(QWheelEvent *event)
{
    const qreal scale = transform().m11();
    const int delta = event->angleDelta().y();
    // d / 240 composes: eight small steps of a fine wheel zoom as far as one notch.
    const qreal factor = qPow(1.2, delta / 240.0);

    if (delta < 0 && scale > 0.25) {
        following = false;
        this->scale(factor, factor);
    } else if (delta > 0 && scale < 1.0) {
        following = false;
        // Land exactly on 100 % rather than overshooting it.
        const qreal step = factor * scale > 1.0 ? 1.0 / scale : factor;
        this->scale(step, step);
    }
    event->accept();
}

void CanvasView::mousePressEvent(QMouseEvent *event)
{
    const bool crop
        = event->button() == Qt::MiddleButton
          || (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier));
    if (event->button() != Qt::LeftButton && !crop) {
        QGraphicsView::mousePressEvent(event);
        return;
    }
    gesture = Gesture::Pressed;
    cropButton = crop;
    pressPos = event->position().toPoint();
    pressScenePos = mapToScene(pressPos);
    event->accept();
}

void CanvasView::mouseMoveEvent(QMouseEvent *event)
{
    if (gesture == Gesture::None) {
        QGraphicsView::mouseMoveEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (gesture == Gesture::Pressed) {
        if ((pos - pressPos).manhattanLength() < QApplication::startDragDistance())
            return;
        gesture = cropButton ? Gesture::MovingCrop : Gesture::MovingTile;
        viewport()->setCursor(cropButton ? Qt::SizeAllCursor : Qt::DragMoveCursor);
    }
    const QPointF at = mapToScene(pos);
    if (gesture == Gesture::MovingTile)
        emit tileDragMoved(pressScenePos, at);
    else
        emit cropDragMoved(pressScenePos, at - pressScenePos);
    event->accept();
}

void CanvasView::mouseReleaseEvent(QMouseEvent *event)
{
    if (gesture == Gesture::None) {
        QGraphicsView::mouseReleaseEvent(event);
        return;
    }
    const Gesture ended = std::exchange(gesture, Gesture::None);
    viewport()->unsetCursor();
    const QPointF at = mapToScene(event->position().toPoint());
    if (ended == Gesture::MovingTile)
        emit tileDropped(pressScenePos, at);
    else if (ended == Gesture::MovingCrop)
        emit cropDragFinished(pressScenePos, at - pressScenePos);
    else if (!cropButton)
        emit clicked(pressScenePos);
    event->accept();
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QGraphicsView::mouseDoubleClickEvent(event);
        return;
    }
    gesture = Gesture::None;
    emit doubleClicked(mapToScene(event->position().toPoint()));
    event->accept();
}

void CanvasView::contextMenuEvent(QContextMenuEvent *event)
{
    emit contextMenuAt(mapToScene(event->pos()), event->globalPos());
    event->accept();
}

void CanvasView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        emit deletePressed();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        emit escapePressed();
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

void CanvasView::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void CanvasView::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void CanvasView::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
}

// Carrying a tile to another is the view's own mouse gesture, not a drag and drop, so only
// drops from outside arrive here, and only their URLs add photos.
void CanvasView::dropEvent(QDropEvent *event)
{
    if (event->mimeData()->hasUrls()) {
        emit urlsAdded(event->mimeData()->urls());
    }
    event->acceptProposedAction();
}
