#ifndef CANVASSCENE_H
#define CANVASSCENE_H

#include <QColor>
#include <QGraphicsScene>
#include <QMutex>
#include <QSize>

class QGraphicsPixmapItem;
class QImage;

// The collage itself: a background layer filled with the background colour and a photo
// layer the workers paint into, each shown as one pixmap item. The scene also keeps the
// frame settings the render worker reads while it frames the photos.
class CanvasScene : public QGraphicsScene
{
    Q_OBJECT

public:
    explicit CanvasScene(QObject *parent = nullptr);
    ~CanvasScene() override;

    // Rebuilds both layers for canvasSize. Deletes the old photoImage, so no worker may be
    // painting into it.
    void resetCanvas();
    // The canvas area as the user sees it: background with the photo layer on top.
    QImage renderCanvas();

signals:
    void drawPhotos();

public slots:
    void setBackColor(QColor col);
    void setPhotoFrame(int type);
    void setPhotoFrameParam(int p1, int p2);
    void updateCanvas();
    void updateCanvasBG();
    void drawCanvasBackground();

public:
    QSize canvasSize = QSize(10, 10); // size of both layers in pixels
    QImage *backgroundImage = nullptr; // background layer, ARGB32, owned
    QImage *photoImage = nullptr; // photo layer, ARGB32, owned; the workers paint into it
    QGraphicsPixmapItem *backgroundItem = nullptr;
    QGraphicsPixmapItem *photoItem = nullptr;
    QColor backColor = Qt::white;
    int photoFrame = 1; // FrameRect, FrameRounded or FrameScallop
    int frameParam1 = 0; // margin
    int frameParam2 = 10; // corner radius or scallop half-width

    // Held by every thread that paints into or reads *photoImage.
    QMutex photoLock;
};

#endif // CANVASSCENE_H
