#ifndef LAYOUTRUN_H
#define LAYOUTRUN_H

#include "btree.h"
#include "collagedocument.h"

#include <QList>
#include <QSize>

#include <functional>
#include <vector>

class QImage;

struct LayoutCallbacks
{
    std::function<void(int)> progress; // 0..100, then 0 before the tree is placed
    // Each of the six progress pictures, at the canvas size. When null, no picture is
    // painted, but the tints are drawn from the generator all the same, so a seed gives the
    // layout it gives on screen.
    std::function<void(const QImage &)> picture;
    // The engine's trace lines (BTREE_OUT_DEBUG) and its prints (BTREE_OUT_STDOUT: the
    // bracket print, the pass numbers), each piece as the engine wrote it. When null they go to
    // the logging categories vellomir.engine and vellomir.engine.print, silent unless enabled.
    std::function<void(int channel, const char *text)> trace;
};

// One whole layout, on an engine context of its own, so layouts may run at once on several
// threads: seeds the context's generator with `seed`, builds over `sizes` (photo k is list
// index k - 1), fits to `canvas`, balances, runs the 101 passes with the six progress pictures,
// and returns the tree placed. An empty size list gives an empty tree and reports nothing.
//
// `emphasis` holds each photo's emphasis, list index as in `sizes`: the share of the canvas
// the layout aims to give the photo against the others, 0.5, 1, 2 or 4. Missing entries, and
// an empty list, count as 1, which leaves every layout as it is without emphasis.
LayoutTree runLayout(const QList<QSize> &sizes, const QList<qreal> &emphasis, const QSize &canvas,
                     unsigned seed, const LayoutCallbacks &callbacks = {});
inline LayoutTree runLayout(const QList<QSize> &sizes, const QSize &canvas, unsigned seed,
                            const LayoutCallbacks &callbacks = {})
{
    return runLayout(sizes, {}, canvas, seed, callbacks);
}

// The layout `tree` improved for `sizes` and `emphasis` (photo k is list index k - 1, as in
// runLayout: a photo turned or emphasised since gets its new shape or share) on `canvas`: the
// optimisation passes run from the tree as it is, on the generator seeded with `seed`, and keep
// only what improves the balance, so photos stay where they were put unless moving them helps.
// Deterministic: the same tree, sizes, canvas and seed give the same tree. Progress runs from 0
// through the passes and ends with 0; no pictures are made. An empty tree, or a tree over another
// number of photos than `sizes` holds, gives runLayout()'s fresh layout instead.
LayoutTree refitLayout(const LayoutTree &tree, const QList<QSize> &sizes,
                       const QList<qreal> &emphasis, const QSize &canvas, unsigned seed,
                       const LayoutCallbacks &callbacks = {});
inline LayoutTree refitLayout(const LayoutTree &tree, const QList<QSize> &sizes,
                              const QSize &canvas, unsigned seed,
                              const LayoutCallbacks &callbacks = {})
{
    return refitLayout(tree, sizes, {}, canvas, seed, callbacks);
}

// The progress picture: places the tree and fills every leaf's rectangle with a pale tint,
// three draws from the context's generator per leaf, parents first. A null image only makes
// the draws.
void btree_paint(BContext *context, QImage *image, BTree *tree);

// The sizes the engine lays photos out at: btree_fair_sizes() over the whole list, which
// evens out mixed resolutions and applies the emphasis (as runLayout takes it). Its trace goes
// to the logging category vellomir.engine.
std::vector<BSize> fairSizes(std::vector<BSize> sizes, const QList<qreal> &emphasis = {});

// The sizes the leaves of a layout over `photos` carry: fairSizes() over the photos' present
// sizes and emphases, photo k at index k - 1.
std::vector<BSize> leafSizes(const QList<PhotoRecord> &photos);

// The default seed: whole seconds since local midnight, 0..86399.
unsigned secondsSinceMidnight();

#endif // LAYOUTRUN_H
