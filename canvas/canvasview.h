#ifndef CANVASVIEW_H
#define CANVASVIEW_H

#include <QGraphicsView>
#include <QList>
#include <QPointF>
#include <QUrl>

// Shows the canvas scene, zooms with the wheel between about 25 % and 100 % and hands
// files and folders dropped on it to whoever listens. It also turns the pointer's gestures
// on the canvas into requests in scene coordinates; what they mean for the collage is the
// window's business:
// - a click, a double click, a right click (context menu), and the Delete and Escape keys;
// - a drag with the left button: a tile carried onto another one;
// - a drag with Shift held, or with the middle button: a photo moved inside its tile.
class CanvasView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit CanvasView(QWidget *parent = nullptr);

    // Whether the view follows its size, showing the whole canvas; the wheel and the zoom
    // steps leave it at the zoom chosen.
    bool followsWindow() const { return following; }

signals:
    void urlsAdded(const QList<QUrl> &urls);
    void clicked(const QPointF &at);
    void doubleClicked(const QPointF &at);
    void contextMenuAt(const QPointF &at, const QPoint &globalPos);
    void deletePressed();
    void escapePressed();
    // A tile carried from `from`: the pointer is over `at`, and on release it is dropped there.
    void tileDragMoved(const QPointF &from, const QPointF &at);
    void tileDropped(const QPointF &from, const QPointF &at);
    // A photo moved inside the tile at `from` by `delta` scene pixels; finished on release.
    void cropDragMoved(const QPointF &from, const QPointF &delta);
    void cropDragFinished(const QPointF &from, const QPointF &delta);

public slots:
    void zoomIn();
    void zoomOut();
    // Shows the whole canvas, with a small margin, and goes on doing so as the view or the
    // canvas changes size; never beyond 100 %.
    void fitToWindow();
    void actualSize();
    // The canvas has a new size: shown whole again unless the user chose a zoom.
    void canvasChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void fit();
    void zoomTo(qreal scale);

    bool following = true;
    enum class Gesture { None, Pressed, MovingTile, MovingCrop };
    Gesture gesture = Gesture::None;
    QPoint pressPos; // viewport coordinates
    QPointF pressScenePos;
    bool cropButton = false; // the press may only move a crop
};

#endif // CANVASVIEW_H
