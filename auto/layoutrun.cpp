#include "layoutrun.h"

#include <QColor>
#include <QDebug>
#include <QImage>
#include <QMutexLocker>
#include <QPainter>
#include <QTime>

#include <cstdlib>
#include <vector>

namespace {

void paintLeaves(QImage *image, const BNode *node)
{
    if (node->type != BNODE_LEAF) {
        paintLeaves(image, node->a);
        paintLeaves(image, node->b);
        return;
    }
    const int r1 = std::rand();
    const int r2 = std::rand();
    const int r3 = std::rand();
    if (!image || image->isNull())
        return;
    QColor colour;
    colour.setRgb(r3 % 25 + 150, r2 % 25 + 150, r1 % 25 + 150, 255);
    QPainter painter(image);
    painter.fillRect(node->x, node->y, node->w, node->h, colour);
}

void qtDebugSink(int channel, const char *text, void *)
{
    if (channel == BTREE_OUT_DEBUG)
        qDebug().noquote() << text;
    else
        btree_sink_default(channel, text, nullptr);
}

struct RunContext
{
    const LayoutCanvas *target;
    const LayoutCallbacks *callbacks;
};

void onProgress(int value, void *user)
{
    const auto *context = static_cast<RunContext *>(user);
    if (context->callbacks->progress)
        context->callbacks->progress(value);
}

void onPicture(BTree *tree, void *user)
{
    const auto *context = static_cast<RunContext *>(user);
    const LayoutCanvas *target = context->target;
    {
        // The GUI thread converts the same image to a pixmap under this lock (a null lock
        // locks nothing).
        QMutexLocker locker(target->lock);
        btree_paint(target->image ? *target->image : nullptr, tree);
    }
    if (context->callbacks->painted)
        context->callbacks->painted();
}

} // namespace

void btree_paint(QImage *image, BTree *tree)
{
    btree_place(tree->root, 0, 0);
    paintLeaves(image, tree->root);
}

unsigned secondsSinceMidnight()
{
    return unsigned(QTime::currentTime().msecsSinceStartOfDay() / 1000);
}

void routeEngineTraceToQtDebug()
{
    btree_set_sink(qtDebugSink, nullptr);
}

void runLayout(BTree *tree, const QList<QSize> &sizes, const QSize &canvas, unsigned seed,
               const LayoutCanvas &target, const LayoutCallbacks &callbacks)
{
    if (sizes.isEmpty())
        return;
    std::vector<BSize> list;
    list.reserve(size_t(sizes.size()));
    for (const QSize &size : sizes)
        list.push_back(BSize {size.width(), size.height()});
    RunContext context {&target, &callbacks};
    const BLayoutHooks hooks {onProgress, onPicture, &context};
    btree_layout(tree, list.data(), unsigned(list.size()), uint16_t(canvas.width()),
                 uint16_t(canvas.height()), seed, &hooks);
}
