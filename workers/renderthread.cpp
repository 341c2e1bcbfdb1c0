#include "renderthread.h"

#include "collagerender.h"

#include <QMutexLocker>

RenderThread::RenderThread(QObject *parent)
    : QThread(parent)
{
}

// run() waits for its decoding jobs, so the thread's end is theirs too.
RenderThread::~RenderThread()
{
    {
        QMutexLocker locker(&mutex);
        abort = true;
        condition.wakeOne();
    }
    wait();
}

void RenderThread::startRender(const CollageDocument &toRender, ImageCache *imageCache,
                               const QSize &layerSize)
{
    if (!toRender.hasLayout() || !imageCache || layerSize.isEmpty())
        return;
    QMutexLocker locker(&mutex);
    if (working)
        return;
    document = toRender;
    cache = imageCache;
    size = layerSize;
    pending = true;
    working = true;
    if (!isRunning())
        start(QThread::InheritPriority);
    else
        condition.wakeOne();
}

void RenderThread::run()
{
    forever
    {
        QMutexLocker locker(&mutex);
        while (!pending && !abort)
            condition.wait(&mutex);
        // A start that came before the end is still carried out: its caller waits for it.
        if (!pending)
            return;
        const CollageDocument runDocument = document;
        ImageCache *runCache = cache;
        const QSize runSize = size;
        pending = false;
        locker.unlock();

        const DocumentRender result = renderDocument(
            runDocument, *runCache, runSize, RenderKind::PhotoLayer, [this](int done, int total) {
                emit progressValue(total > 0 ? done * 100 / total : 100);
            });

        locker.relock();
        working = false;
        locker.unlock();
        emit renderFinished(result);
        emit photoLayerReady(result.image);
    }
}
