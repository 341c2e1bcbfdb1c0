#include "canvasview.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWheelEvent>
#include <QtMath>

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

void CanvasView::wheelEvent(QWheelEvent *event)
{
    const qreal scale = transform().m11();
    const int delta = event->angleDelta().y();
    // d / 240 composes: eight small steps of a fine wheel zoom as far as one notch.
    const qreal factor = qPow(1.2, delta / 240.0);

    if (delta < 0 && scale > 0.25) {
        this->scale(factor, factor);
    } else if (delta > 0 && scale < 1.0) {
        // Land exactly on 100 % rather than overshooting it.
        const qreal step = factor * scale > 1.0 ? 1.0 / scale : factor;
        this->scale(step, step);
    }
    event->accept();
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

void CanvasView::dropEvent(QDropEvent *event)
{
    if (event->mimeData()->hasUrls()) {
        emit urlsAdded(event->mimeData()->urls());
    }
    event->acceptProposedAction();
}
