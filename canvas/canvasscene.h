#ifndef CANVASSCENE_H
#define CANVASSCENE_H

#include <QColor>
#include <QGraphicsScene>
#include <QImage>
#include <QSize>

class QGraphicsPixmapItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;

// The collage on screen: a background layer filled with the background colour and the photo
// layer over it, each shown as one pixmap item. The scene only shows images; the workers make
// them, and the window hands them over on the GUI thread.
class CanvasScene : public QGraphicsScene
{
    Q_OBJECT

public:
    explicit CanvasScene(QObject *parent = nullptr);
    ~CanvasScene() override;

    // Rebuilds both layers at `size`: the background in its colour, the photo layer empty.
    void setCanvasSize(const QSize &size);
    QSize canvasSize() const { return size; }

    // The screen's device pixels per canvas pixel: the layers are held at that many pixels
    // each way, so the collage is drawn sharp on a high-density screen. The canvas, the layout
    // and every position stay in canvas pixels.
    void setDevicePixelRatio(qreal ratio);
    qreal devicePixelRatio() const { return ratio; }

    // Shows `layer` as the photo layer: an image of the canvas size, or of the canvas size
    // times the ratio with that ratio set on it. A layer of any other size is ignored.
    void setPhotoLayer(const QImage &layer);
    QImage photoLayer() const { return photoImage; }
    void clearPhotoLayer();

    void setBackColor(const QColor &colour);
    QColor backColor() const { return background; }
    QImage backgroundLayer() const { return backgroundImage; }

    // The canvas area as the user sees it: background with the photo layer on top.
    QImage renderCanvas();

    // Marks drawn over the photos: the selected tile, and the tile a carried one would land
    // on. An empty rectangle hides the mark. Neither is part of the collage.
    void setSelection(const QRectF &rect);
    void setDropTarget(const QRectF &rect);
    QRectF selection() const;
    QRectF dropTarget() const;

    // A line in the middle of the canvas, such as what to do on an empty one; an empty text
    // hides it. Not part of the collage.
    void setHint(const QString &text);
    QString hint() const;

private:
    void placeHint();
    void showPhotoLayer();
    void showBackground();

    QSize size;
    qreal ratio = 1.0;
    QColor background = Qt::white;
    QImage backgroundImage; // ARGB32, filled with the background colour
    QImage photoImage; // ARGB32, transparent where no tile lies
    QGraphicsPixmapItem *backgroundItem = nullptr;
    QGraphicsPixmapItem *photoItem = nullptr;
    QGraphicsRectItem *selectionItem = nullptr;
    QGraphicsRectItem *targetItem = nullptr;
    QGraphicsSimpleTextItem *hintItem = nullptr;

    friend class TestCanvasScene;
};

#endif // CANVASSCENE_H
