#include "renderthread.h"

RenderThread::RenderThread(QObject *parent)
    : QObject(parent)
{
}

// A running render waits for its decoding jobs, so the thread's end is theirs too.
RenderThread::~RenderThread() = default;

quint64 RenderThread::startRender(const CollageDocument &document, const ImageCache &cache,
                                  const QSize &size)
{
    if (!document.hasLayout() || size.isEmpty())
        return 0;
    const quint64 request = ++requests;
    auto snapshot = std::make_shared<ImageCache>(cache);
    worker.request([this, request, document, snapshot, size](const std::atomic<bool> &superseded) {
        const DocumentRender render = renderDocument(
            document, *snapshot, size, RenderKind::PhotoLayer, [&](int done, int total) {
                if (!superseded)
                    emit progressValue(request, total > 0 ? done * 100 / total : 100);
            });
        if (!superseded)
            emit renderFinished(request, RenderedLayer {render, snapshot->stored()});
    });
    return request;
}
