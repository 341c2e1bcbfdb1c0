#ifndef RENDERTHREAD_H
#define RENDERTHREAD_H

#include "collagedocument.h"
#include "collagerender.h"
#include "imagecache.h"
#include "latestworker.h"

#include <QList>
#include <QObject>
#include <QSize>

// What a render hands back: the layer with the document it shows (see renderDocument()), and
// the photos it decoded, for the owner to merge into its cache.
struct RenderedLayer
{
    DocumentRender render;
    QList<ImageCache::Decode> decodes;
};

// Draws a document's photo layer on a thread of its own: decodes what the cache lacks (on the
// global pool), crops and frames every tile, and hands the finished layer back as a value. A
// photo that cannot be decoded is left out of the layer, and the document actually drawn comes
// back with it. The document and a snapshot of the cache are copied at the start, so the
// owner may change its own while this runs; no pointer to the owner's cache is kept. The
// latest request wins: a render superseded by a newer one is never handed back.
class RenderThread : public QObject
{
    Q_OBJECT

public:
    explicit RenderThread(QObject *parent = nullptr);
    ~RenderThread() override;

    // Renders `document` at `size` from what `cache` holds now and returns the request number;
    // nothing starts for a document without a layout or an empty size, and 0 comes back.
    quint64 startRender(const CollageDocument &document, const ImageCache &cache,
                        const QSize &size);

signals:
    void progressValue(quint64 request, int value); // percent of the photos decoded
    // The layer is null when there was no memory for it.
    void renderFinished(quint64 request, const RenderedLayer &result);

private:
    quint64 requests = 0;
    LatestWorker worker; // last: joined before the rest goes
};

#endif // RENDERTHREAD_H
