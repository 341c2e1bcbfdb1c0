#ifndef LAYOUTRUN_H
#define LAYOUTRUN_H

#include "btree.h"
#include "collagedocument.h"

#include <QList>
#include <QSize>

#include <functional>

class QImage;

struct LayoutCallbacks
{
    std::function<void(int)> progress; // 0..100, then 0 before the tree is placed
    // Each of the six progress pictures, at the canvas size. When null, no picture is
    // painted, but the tints are drawn from the generator all the same, so a seed gives the
    // layout it gives on screen.
    std::function<void(const QImage &)> picture;
};

// One whole layout: seeds rand() with `seed`, builds over `sizes` (photo k is list index k - 1),
// fits to `canvas`, balances, runs the 101 passes with the six progress pictures, and returns
// the tree placed. An empty size list gives an empty tree and reports nothing.
LayoutTree runLayout(const QList<QSize> &sizes, const QSize &canvas, unsigned seed,
                     const LayoutCallbacks &callbacks = {});

// The progress picture: places the tree and fills every leaf's rectangle with a pale tint,
// three draws per leaf, parents first. A null image only makes the draws.
void btree_paint(QImage *image, BTree *tree);

// The default seed: whole seconds since local midnight, 0..86399.
unsigned secondsSinceMidnight();

// Sends the engine's trace lines and its prints (the bracket print, the pass numbers) to the
// logging categories vellomir.engine and vellomir.engine.print, silent unless enabled.
void routeEngineTraceToQtDebug();

#endif // LAYOUTRUN_H
