#ifndef RENDERTHREAD_H
#define RENDERTHREAD_H

#include "collagedocument.h"
#include "collagerender.h"

#include <QImage>
#include <QMutex>
#include <QSize>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

class ImageCache;

// Draws a document's photo layer on a thread of its own: decodes what the cache lacks (on the
// global pool), crops and frames every tile, and hands the finished layer back as an image.
// A photo that cannot be decoded is left out of the layer (see renderDocument()), and the
// document actually drawn comes back with the layer.
// The document is copied at the start, so the window may change its own while this runs.
class RenderThread : public QThread
{
    Q_OBJECT

public:
    explicit RenderThread(QObject *parent = nullptr);
    ~RenderThread() override;

    // Renders `document` at `size` through `cache`, which must outlive this worker. Nothing
    // starts for a document without a layout, or while a render is in progress.
    void startRender(const CollageDocument &document, ImageCache *cache, const QSize &size);

signals:
    void progressValue(int value); // percent of the photos decoded
    // The whole outcome: the layer, the document it shows, and the photos left out of it
    // because they could not be decoded. Sent just before photoLayerReady().
    void renderFinished(const DocumentRender &result);
    // The layer, transparent where no tile lies; null when there was no memory for it.
    void photoLayerReady(const QImage &layer);

protected:
    void run() override;

private:
    QMutex mutex; // guards everything below
    QWaitCondition condition;
    CollageDocument document;
    ImageCache *cache = nullptr;
    QSize size;
    bool pending = false;
    bool working = false;
    bool abort = false;
};

#endif // RENDERTHREAD_H
