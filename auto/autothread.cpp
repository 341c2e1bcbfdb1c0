#include "autothread.h"

#include "canvasscene.h"
#include "layoutrun.h"
#include "photoloader.h"

AutoThread::AutoThread(QObject *parent)
    : QThread(parent)
    , seedSource(secondsSinceMidnight)
{
    routeEngineTraceToQtDebug();
}

// A run cannot be cut short; the owner waits for it so that nothing it borrowed is freed
// underneath it.
AutoThread::~AutoThread()
{
    wait();
}

void AutoThread::startAuto(CanvasScene *canvasScene, QList<PhotoRecord *> *photos, BTree *btree)
{
    if (photos->isEmpty() || isRunning())
        return;
    scene = canvasScene;
    canvasWidth = scene->canvasSize.width();
    canvasHeight = scene->canvasSize.height();
    sizes.clear();
    for (const PhotoRecord *photo : std::as_const(*photos))
        sizes.append(photo->size);
    tree = btree;
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
    emit renderedTree(tree);
}
