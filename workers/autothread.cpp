#include "autothread.h"

#include "layoutrun.h"

#include <QMutexLocker>

AutoThread::AutoThread(QObject *parent)
    : QThread(parent)
{
}

// A layout cannot be cut short; it takes a fraction of a second, so the owner waits for it.
AutoThread::~AutoThread()
{
    {
        QMutexLocker locker(&mutex);
        abort = true;
        condition.wakeOne();
    }
    wait();
}

void AutoThread::startLayout(const QList<QSize> &photoSizes, const QSize &canvasSize,
                             unsigned layoutSeed)
{
    if (photoSizes.isEmpty() || canvasSize.isEmpty())
        return;
    QMutexLocker locker(&mutex);
    if (working)
        return;
    sizes = photoSizes;
    canvas = canvasSize;
    seed = layoutSeed;
    pending = true;
    working = true;
    if (!isRunning())
        start(QThread::InheritPriority);
    else
        condition.wakeOne();
}

void AutoThread::run()
{
    forever
    {
        QMutexLocker locker(&mutex);
        while (!pending && !abort)
            condition.wait(&mutex);
        // A start that came before the end is still carried out: its caller waits for it.
        if (!pending)
            return;
        const QList<QSize> runSizes = sizes;
        const QSize runCanvas = canvas;
        const unsigned runSeed = seed;
        pending = false;
        locker.unlock();

        LayoutCallbacks callbacks;
        callbacks.progress = [this](int value) { emit progressValue(value); };
        callbacks.picture = [this](const QImage &picture) { emit progressPicture(picture); };
        const LayoutTree layout = runLayout(runSizes, runCanvas, runSeed, callbacks);

        locker.relock();
        working = false; // the receiver may start the next layout as soon as this arrives
        locker.unlock();
        emit layoutReady(layout);
    }
}
