#include "autothread.h"

#include "canvasscene.h"
#include "layoutrun.h"
#include "photoloader.h"

AutoThread::AutoThread(QObject *parent)
    : QThread(parent)
    , seedSource(secondsSinceMidnight)
{
    routeEngineTraceToQtDebug();
    // Queued: finished() comes from the worker thread, the start belongs to this one.
    connect(this, &QThread::finished, this, [this]() {
        if (startPending) {
            startPending = false;
            start(QThread::InheritPriority);
        }
    });
}

// A run cannot be cut short; the owner waits for it so that nothing it borrowed is freed
// underneath it.
AutoThread::~AutoThread()
{
    wait();
}

void AutoThread::startAuto(CanvasScene *canvasScene, QList<PhotoRecord *> *photos, BTree *btree)
{
    if (photos->isEmpty() || (isRunning() && !handedOver.loadAcquire()))
        return;
    scene = canvasScene;
    canvasWidth = scene->canvasSize.width();
    canvasHeight = scene->canvasSize.height();
    sizes.clear();
    for (const PhotoRecord *photo : std::as_const(*photos))
        sizes.append(photo->size);
    tree = btree;
    handedOver.storeRelaxed(0);
    // The window may ask for the next layout while the last run's thread is still winding
    // down after renderedTree(); starting nothing then would leave it waiting for ever.
    if (isRunning())
        startPending = true;
    else
        start(QThread::InheritPriority);
}

void AutoThread::setSeedSource(std::function<unsigned()> source)
{
    seedSource = source ? std::move(source) : std::function<unsigned()>(secondsSinceMidnight);
}

void AutoThread::run()
{
    const LayoutCanvas target {&scene->photoImage, &scene->photoLock};
    LayoutCallbacks callbacks;
    callbacks.progress = [this](int value) { emit progressValue(value); };
    callbacks.painted = [this]() { emit renderedAuto(); };
    runLayout(tree, sizes, QSize(canvasWidth, canvasHeight), seedSource(), target, callbacks);
    BTree *const done = tree;
    handedOver.storeRelease(1); // from here on startAuto() may refill the members
    emit renderedTree(done);
}
