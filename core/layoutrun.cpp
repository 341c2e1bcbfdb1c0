#include "layoutrun.h"

#include <QColor>
#include <QDebug>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <QTime>

#include <memory>
#include <vector>

namespace {

void paintLeaves(BContext *context, QImage *image, const BNode *node)
{
    if (node->type != BNODE_LEAF) {
        paintLeaves(context, image, node->a);
        paintLeaves(context, image, node->b);
        return;
    }
    const int r1 = btree_random(context);
    const int r2 = btree_random(context);
    const int r3 = btree_random(context);
    if (!image || image->isNull())
        return;
    QColor colour;
    colour.setRgb(r3 % 25 + 150, r2 % 25 + 150, r1 % 25 + 150, 255);
    QPainter painter(image);
    painter.fillRect(node->x, node->y, node->w, node->h, colour);
}

// The engine's trace and its prints, each piece as the engine wrote it.
Q_LOGGING_CATEGORY(lcEngine, "vellomir.engine", QtWarningMsg)
Q_LOGGING_CATEGORY(lcEnginePrint, "vellomir.engine.print", QtWarningMsg)

void qtDebugSink(int channel, const char *text, void *)
{
    if (channel == BTREE_OUT_DEBUG)
        qCDebug(lcEngine).noquote() << text;
    else
        qCDebug(lcEnginePrint).noquote().nospace() << text;
}

void callbackSink(int channel, const char *text, void *user)
{
    static_cast<const LayoutCallbacks *>(user)->trace(channel, text);
}

struct FreeContext
{
    void operator()(BContext *context) const { btree_context_free(context); }
};
using Context = std::unique_ptr<BContext, FreeContext>;

// A context writing to the callbacks' trace, or to the logging categories without one.
Context newContext(const LayoutCallbacks &callbacks)
{
    if (callbacks.trace)
        return Context(btree_context_new(callbackSink, const_cast<LayoutCallbacks *>(&callbacks)));
    return Context(btree_context_new(qtDebugSink, nullptr));
}

struct RunContext
{
    const LayoutCallbacks *callbacks;
    QImage picture; // painted in place; each picture leaves as a copy
};

void onProgress(int value, void *user)
{
    const auto *context = static_cast<RunContext *>(user);
    if (context->callbacks->progress)
        context->callbacks->progress(value);
}

void onPicture(BContext *engine, BTree *tree, void *user)
{
    auto *context = static_cast<RunContext *>(user);
    btree_paint(engine, context->picture.isNull() ? nullptr : &context->picture, tree);
    if (context->callbacks->picture)
        context->callbacks->picture(context->picture);
}

// The sizes `list` is laid out at, emphasis[k] going with list[k]; the trace names the photos
// resized.
std::vector<BSize> emphasised(BContext *engine, std::vector<BSize> list,
                              const QList<qreal> &emphasis)
{
    std::vector<double> shares(list.size(), 1.0);
    for (size_t k = 0; k < shares.size() && k < size_t(emphasis.size()); ++k)
        shares[k] = emphasis.at(qsizetype(k));
    // A photo's share of the canvas follows its shape and its emphasis, not its resolution.
    btree_fair_sizes(engine, list.data(), shares.data(), unsigned(list.size()));
    return list;
}

std::vector<BSize> laidOutSizes(BContext *engine, const QList<QSize> &sizes,
                                const QList<qreal> &emphasis)
{
    std::vector<BSize> list;
    list.reserve(size_t(sizes.size()));
    for (const QSize &size : sizes)
        list.push_back(BSize {size.width(), size.height()});
    return emphasised(engine, std::move(list), emphasis);
}

} // namespace

void btree_paint(BContext *context, QImage *image, BTree *tree)
{
    btree_place(tree->root, 0, 0);
    paintLeaves(context, image, tree->root);
}

std::vector<BSize> fairSizes(std::vector<BSize> sizes, const QList<qreal> &emphasis)
{
    const Context context = newContext({});
    return emphasised(context.get(), std::move(sizes), emphasis);
}

std::vector<BSize> leafSizes(const QList<PhotoRecord> &photos)
{
    std::vector<BSize> sizes;
    sizes.reserve(size_t(photos.size()));
    for (const PhotoRecord &photo : photos)
        sizes.push_back(BSize {photo.size.width(), photo.size.height()});
    return fairSizes(std::move(sizes), layoutEmphases(photos));
}

unsigned secondsSinceMidnight()
{
    return unsigned(QTime::currentTime().msecsSinceStartOfDay() / 1000);
}

LayoutTree runLayout(const QList<QSize> &sizes, const QList<qreal> &emphasis, const QSize &canvas,
                     unsigned seed, const LayoutCallbacks &callbacks)
{
    LayoutTree layout;
    if (sizes.isEmpty())
        return layout;
    const Context engine = newContext(callbacks);
    const std::vector<BSize> list = laidOutSizes(engine.get(), sizes, emphasis);
    RunContext context {&callbacks, QImage()};
    if (callbacks.picture) {
        context.picture = QImage(canvas, QImage::Format_ARGB32);
        context.picture.fill(Qt::transparent);
    }
    const BLayoutHooks hooks {onProgress, onPicture, &context};
    btree_layout(engine.get(), layout.tree(), list.data(), unsigned(list.size()),
                 uint16_t(canvas.width()), uint16_t(canvas.height()), seed, &hooks);
    return layout;
}

LayoutTree refitLayout(const LayoutTree &tree, const QList<QSize> &sizes,
                       const QList<qreal> &emphasis, const QSize &canvas, unsigned seed,
                       const LayoutCallbacks &callbacks)
{
    if (tree.isEmpty() || tree.photoCount() != sizes.size())
        return runLayout(sizes, emphasis, canvas, seed, callbacks);
    LayoutTree layout = tree;
    const Context engine = newContext(callbacks);
    const std::vector<BSize> list = laidOutSizes(engine.get(), sizes, emphasis);
    RunContext context {&callbacks, QImage()};
    const BLayoutHooks hooks {onProgress, nullptr, &context};
    btree_relayout(engine.get(), layout.tree(), list.data(), unsigned(list.size()),
                   uint16_t(canvas.width()), uint16_t(canvas.height()), seed, &hooks);
    return layout;
}
