#ifndef CANVASGESTURES_H
#define CANVASGESTURES_H

#include "collagedocument.h"

#include <QImage>
#include <QObject>
#include <QPointF>

#include <optional>

class CanvasScene;
class CanvasView;
class CollageSession;
class QPoint;
class QWidget;

// What the pointer does to the collage on the canvas: selecting a tile, swapping two by a drag
// or through Swap with..., moving a photo in its tile, the tile's context menu and the Delete
// and Escape keys. It turns the view's gestures into the session's operations and shows their
// marks on the scene.
class CanvasGestures : public QObject
{
    Q_OBJECT

public:
    CanvasGestures(CollageSession *session, CanvasScene *scene, CanvasView *view,
                   QWidget *menuParent);

    int selectedPhoto() const { return selected; }
    // Whether Swap with... waits for its partner.
    bool swapping() const { return swapSource >= 0; }
    // Shows a photo layer the session drew: under a crop being dragged, the photo still shows
    // where the drag has taken it.
    void showLayer(const QImage &layer);

signals:
    // A line for the status bar; an empty one clears it.
    void hint(const QString &text);

public slots:
    void selectPhoto(int index);
    void startSwapWith(int index);
    // Escape: a waiting Swap with... is given up, then the selection.
    void cancel();

private:
    void clicked(const QPointF &at);
    void doubleClicked(const QPointF &at);
    void contextMenu(const QPointF &at, const QPoint &globalPos);
    void removeSelected();
    void replacePhoto(int index);
    void tileDragMoved(const QPointF &from, const QPointF &at);
    void tileDropped(const QPointF &from, const QPointF &at);
    void cropDragMoved(const QPointF &from, const QPointF &delta);
    void cropDragFinished(const QPointF &from, const QPointF &delta);
    void swap(int first, int second);

    CollageSession *session;
    CanvasScene *scene;
    QWidget *menuParent;
    int selected = -1;
    QString selectedPath; // of the photo selected: it is found again after a layout
    int swapSource = -1; // the photo waiting for Swap with... to name its partner
    // A crop drag's document and photo layer as they were when it began, and where it has
    // taken the photo.
    std::optional<CollageDocument> cropStart;
    QImage cropLayer;
    int cropIndex = -1;
    QPointF cropNow;
};

#endif // CANVASGESTURES_H
