#include "layoutrun.h"

#include <QColor>
#include <QDebug>
#include <QImage>
#include <QLoggingCategory>
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

void onPicture(BTree *tree, void *user)
{
    auto *context = static_cast<RunContext *>(user);
    btree_paint(context->picture.isNull() ? nullptr : &context->picture, tree);
    if (context->callbacks->picture)
        context->callbacks->picture(context->picture);
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

LayoutTree runLayout(const QList<QSize> &sizes, const QSize &canvas, unsigned seed,
                     const LayoutCallbacks &callbacks)
{
    LayoutTree layout;
    if (sizes.isEmpty())
        return layout;
    std::vector<BSize> list;
    list.reserve(size_t(sizes.size()));
    for (const QSize &size : sizes)
        list.push_back(BSize {size.width(), size.height()});
    // A photo's share of the canvas follows its shape, not its resolution.
    btree_fair_sizes(list.data(), unsigned(list.size()));
    RunContext context {&callbacks, QImage()};
    if (callbacks.picture) {
        context.picture = QImage(canvas, QImage::Format_ARGB32);
        context.picture.fill(Qt::transparent);
    }
    const BLayoutHooks hooks {onProgress, onPicture, &context};
    btree_layout(layout.tree(), list.data(), unsigned(list.size()), uint16_t(canvas.width()),
                 uint16_t(canvas.height()), seed, &hooks);
    return layout;
}
