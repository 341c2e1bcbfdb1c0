#ifndef LAYOUTRUN_H
#define LAYOUTRUN_H

#include "btree.h"

#include <QList>
#include <QSize>

#include <functional>

class QImage;
class QMutex;

// Where the progress pictures go. `image` may be null: the tints are then drawn from the
// generator all the same, so a seed gives the layout it gives on screen.
struct LayoutCanvas
{
    QImage **image = nullptr; // read under `lock` at every picture, so it may be replaced
    QMutex *lock = nullptr; // held while a picture is painted; may be null
};

struct LayoutCallbacks
{
    std::function<void(int)> progress; // 0..100, then 0 before the tree is placed
    std::function<void()> painted; // after each of the six progress pictures
};

// One whole layout: seeds rand() with `seed`, builds over `sizes` (photo k is list index k - 1),
// fits to `canvas`, balances, runs the 101 passes with the six progress pictures, and leaves
// the tree placed. The tree must be empty; an empty size list leaves it so and reports nothing.
void runLayout(BTree *tree, const QList<QSize> &sizes, const QSize &canvas, unsigned seed,
               const LayoutCanvas &target, const LayoutCallbacks &callbacks);

// The progress picture: places the tree and fills every leaf's rectangle with a pale tint,
// three draws per leaf, parents first. A null image only makes the draws.
void btree_paint(QImage *image, BTree *tree);

// The default seed: whole seconds since local midnight, 0..86399.
unsigned secondsSinceMidnight();

// Sends the engine's trace lines to qDebug; the bracket print and pass numbers stay on
// standard output.
void routeEngineTraceToQtDebug();

#endif // LAYOUTRUN_H
