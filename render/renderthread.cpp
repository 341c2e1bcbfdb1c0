#include "renderthread.h"

#include "btree.h"
#include "canvasscene.h"
#include "imagecache.h"

#include <QDebug>
#include <QImage>
#include <QMutexLocker>

RenderThread::RenderThread(QObject *parent)
    : QThread(parent)
{
}

RenderThread::~RenderThread()
{
    watcher.disconnect();
    // run() waits for its decoding jobs, so the thread's end is theirs too.
    wait();
    watcher.waitForFinished();
    qDeleteAll(photos);
}

void RenderThread::startRender(CanvasScene *scene, BTree *btree, QList<PhotoRecord *> *photos,
                               ImageCache *cache)
{
    if (!scene || !btree || !btree->root || !photos || photos->isEmpty() || !cache)
        return;
    // A request while running would change the inputs under the run; it is dropped.
    if (isRunning())
        return;

    QMutexLocker locker(&mutex);
    this->scene = scene;
    this->cache = cache;
    cells = collectLeaves(btree);
    layoutSize = QSize(btree->width, btree->height);
    qDeleteAll(this->photos);
    this->photos.clear();
    for (const PhotoRecord *record : std::as_const(*photos))
        this->photos.append(new PhotoRecord(*record));
    frame = FrameSettings {scene->photoFrame, scene->frameParam1, scene->frameParam2};
    locker.unlock();

    start(QThread::InheritPriority);
}

void RenderThread::run()
{
    QMutexLocker locker(&mutex);

    QImage work;
    {
        QMutexLocker photoLocker(&scene->photoLock);
        if (!scene->photoImage)
            return;
        work = scene->photoImage->copy();
    }

    if (layoutSize.isEmpty() || layoutSize == work.size())
        renderCells(cells, photos, *cache, frame, work, &watcher);
    else
        renderCellsScaled(cells, layoutSize, photos, frame, work);

    {
        QMutexLocker photoLocker(&scene->photoLock);
        // A canvas of another size arrived meanwhile: this render no longer fits it.
        if (scene->photoImage && scene->photoImage->size() == work.size())
            *scene->photoImage = work;
    }
    qDebug() << "RenderThread";
    emit renderedCollage();
}
