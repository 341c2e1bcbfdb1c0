#include "autothread.h"

#include "layoutrun.h"

AutoThread::AutoThread(QObject *parent)
    : QObject(parent)
{
}

// A layout cannot be cut short; it takes a fraction of a second, so the owner waits for it.
AutoThread::~AutoThread() = default;

quint64 AutoThread::startLayout(const QList<QSize> &photoSizes, const QSize &canvas, unsigned seed,
                                const QList<qreal> &emphasis)
{
    if (photoSizes.isEmpty() || canvas.isEmpty())
        return 0;
    const quint64 request = ++requests;
    worker.request(
        [this, request, photoSizes, emphasis, canvas, seed](const std::atomic<bool> &superseded) {
            LayoutCallbacks callbacks;
            callbacks.progress = [&](int value) {
                if (!superseded)
                    emit progressValue(request, value);
            };
            callbacks.picture = [&](const QImage &picture) {
                if (!superseded)
                    emit progressPicture(request, picture);
            };
            const LayoutTree layout = runLayout(photoSizes, emphasis, canvas, seed, callbacks);
            if (!superseded)
                emit layoutReady(request, layout);
        });
    return request;
}
