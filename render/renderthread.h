#ifndef RENDERTHREAD_H
#define RENDERTHREAD_H

#include "collagerender.h"
#include "photoloader.h"

#include <QFutureWatcher>
#include <QList>
#include <QMutex>
#include <QThread>

class CanvasScene;
class ImageCache;
class QImage;
struct BTree;

// Renders a finished layout into the scene's photo layer on its own thread. Everything the
// run needs from the tree, the photo list and the scene is copied when it starts, so the GUI
// may change them while it runs; the photo layer is touched only under the scene's
// photoLock, once to read it and once to write the result back.
class RenderThread : public QThread
{
    Q_OBJECT

public:
    explicit RenderThread(QObject *parent = nullptr);
    ~RenderThread() override;

    // Starts nothing when the tree has no root, the list is empty, or a render is running.
    void startRender(CanvasScene *scene, BTree *btree, QList<PhotoRecord *> *photos,
                     ImageCache *cache);

    QFutureWatcher<void> watcher; // progress of the decoding, in the GUI thread

signals:
    void renderedCollage();
    void progressValue(int pr);

protected:
    void run() override;

private:
    QMutex mutex; // guards the inputs below between startRender and run
    CanvasScene *scene = nullptr;
    ImageCache *cache = nullptr;
    QList<RenderCell> cells;
    QList<PhotoRecord *> photos; // private copies of the records, owned
    QSize layoutSize;
    FrameSettings frame;
};

#endif // RENDERTHREAD_H
