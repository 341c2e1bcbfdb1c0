#ifndef COLLAGEDOCUMENT_H
#define COLLAGEDOCUMENT_H

#include "frametype.h"
#include "photoloader.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QSize>

#include <memory>

struct BTree;

// The frame cut around every photo: its type and its two parameters.
struct FrameSettings
{
    FrameType type = FrameType::Rect;
    int a = 0; // margin
    int b = 10; // corner radius or scallop half-width

    friend bool operator==(const FrameSettings &x, const FrameSettings &y)
    {
        return x.type == y.type && x.a == y.a && x.b == y.b;
    }
    friend bool operator!=(const FrameSettings &x, const FrameSettings &y) { return !(x == y); }
};

// The frame sliders end at the same share of the canvas at any larger size: `base` pixels on
// the 800 x 600 canvas, in proportion to the shorter side of larger working canvases; never
// less than `base`, so that smaller canvases keep the frames they always had.
inline constexpr int frameMarginBase = 30;
inline constexpr int frameCurveBase = 40;
int frameSliderMaximum(int base, const QSize &working);

// A layout tree held by value. Copies are deep, which is cheap at 199 nodes, so the
// document, every undo step and every worker own a tree of their own.
class LayoutTree
{
public:
    LayoutTree();
    // A deep copy of a tree the engine made or a caller built by hand.
    explicit LayoutTree(const BTree *source);
    LayoutTree(const LayoutTree &other);
    LayoutTree(LayoutTree &&other) noexcept;
    LayoutTree &operator=(const LayoutTree &other);
    LayoutTree &operator=(LayoutTree &&other) noexcept;
    ~LayoutTree();

    bool isEmpty() const;
    int photoCount() const;
    // The canvas the tree was fitted to.
    QSize canvasSize() const;
    const BTree *tree() const { return d.get(); }
    // For the engine's editing functions; the tree stays this object's.
    BTree *tree() { return d.get(); }

    friend bool operator==(const LayoutTree &x, const LayoutTree &y);
    friend bool operator!=(const LayoutTree &x, const LayoutTree &y) { return !(x == y); }

private:
    struct Free
    {
        void operator()(BTree *tree) const;
    };
    std::unique_ptr<BTree, Free> d;
};

// How tiles are cut from photos the user has not cropped himself.
enum class CropMode {
    Centre, // around the photo's centre
    Auto, // keeping the faces or the subject the analysis found (contentCrop())
};

// Everything that makes one collage, and nothing decoded: the window edits it, the undo
// history keeps copies of it, the workers read copies of it and project files store it.
struct CollageDocument
{
    // The collection, in its order: leaf k of the layout shows photos[k - 1].
    QList<PhotoRecord> photos;
    QSize canvasSize {800, 600}; // working size of the canvas on screen
    QSize requestedSize {800, 600}; // the size the user asked for; saving renders at it
    int dpi = 300; // pixels per inch of requestedSize on paper, written into the saved file
    QColor background = Qt::white;
    FrameSettings frame;
    unsigned seed = 0; // the seed the layout was made with
    LayoutTree layout; // empty until the first layout has finished
    CropMode crop = CropMode::Auto; // "Keep faces in view"

    // Whether the layout is one the photos and the canvas can be drawn from.
    bool hasLayout() const;

    friend bool operator==(const CollageDocument &x, const CollageDocument &y);
    friend bool operator!=(const CollageDocument &x, const CollageDocument &y) { return !(x == y); }
};

// The document without photo `index` (0-based): the photo leaves the collection and, when the
// layout holds it, its leaf leaves the tree, its sibling taking its parent's place, and the
// rest is fitted to the canvas again. Removing the last photo leaves an empty layout.
CollageDocument withoutPhoto(CollageDocument document, int index);

// The document with its canvas at `canvas`, the layout's tree fitted to it as it is: the
// same cuts, each cell following its photo's shape as far as the tree allows.
CollageDocument fittedTo(CollageDocument document, const QSize &canvas);

// The document with its canvas at `canvas` and its layout refitted to it: the optimisation
// passes run again from the tree as it is, on a generator seeded with `seed`, over every photo's
// present shape and emphasis, so a photo turned or emphasised since gets a cell of its new shape
// or share, and what does not need to move stays where it was put. Crops are kept. The same
// document, canvas and seed give the same document. Without a layout, or for a canvas the
// layout cannot take (an empty side, or one over 65535), this is fittedTo().
CollageDocument refittedTo(CollageDocument document, const QSize &canvas, unsigned seed);

// The photos' sizes and emphases as the layout takes them: photo k at list index k - 1.
QList<QSize> layoutSizes(const QList<PhotoRecord> &photos);
QList<qreal> layoutEmphases(const QList<PhotoRecord> &photos);

// The emphasis nearest `value` on a doubling scale: 0.5, 1, 2 or 4, values beyond either end
// taking that end. Anything but a positive finite number gives 1.
qreal nearestEmphasis(double value);

// The emphasis `steps` doublings above `emphasis` (below for negative steps), held to 0.5..4.
qreal steppedEmphasis(qreal emphasis, int steps);

// A photo left out of a collage, and why, in words for the user.
struct PhotoProblem
{
    QString path;
    QString reason;
};

struct CheckedDocument
{
    CollageDocument document; // without the photos that could not be used
    QList<PhotoProblem> leftOut; // in the collection's order
    QList<PhotoProblem> changed; // kept with their new shapes, in the collection's order
};

// Looks at every photo of a document read from a project: a photo that is missing, is not a
// regular file or cannot be read is left out as withoutPhoto() leaves it out. A photo that no
// longer has the size and orientation recorded (turned or cropped in another program) stays
// with its new shape, its crop and turns reset and its cell refitted. Nothing but regular
// files is ever opened.
CheckedDocument checkPhotos(CollageDocument document);

// The document with photos `first` and `second` (0-based) in each other's cells. The tree
// keeps its shape and is fitted to the canvas again, so each cell follows its new photo's
// shape as far as the tree allows. Unchanged when either has no cell or they are the same.
CollageDocument withSwappedPhotos(CollageDocument document, int first, int second);

// The document with photo `index` turned by `quarterTurns` clockwise (negative: the other way),
// its crop centred again and the layout fitted to its new shape.
CollageDocument withTurnedPhoto(CollageDocument document, int index, int quarterTurns);

// The document with `photo` in the place and the cell of photo `index`, centred; the layout is
// fitted to its shape.
CollageDocument withReplacedPhoto(CollageDocument document, int index, const PhotoRecord &photo);

// The document with photo `index` showing the part of it that `crop` says (see PhotoRecord).
CollageDocument withCrop(CollageDocument document, int index, const QPointF &crop);

// The document with what the analysis found, by file path, in each photo that has no box yet.
CollageDocument withContent(CollageDocument document, const QHash<QString, ContentBox> &boxes);

// The crop offset a tile of photo `photo` is cut at from an image of `image` size (a decode of
// it, upright and turned) for a cell of `cell` size: the user's own crop when he made one,
// else under CropMode::Auto the one that keeps what the analysis found, else the centre.
QPointF tileCrop(const PhotoRecord &photo, const QSize &image, const QSize &cell, CropMode mode);

// The canvas the preview works at for a requested size: the size itself up to 1200 pixels a
// side, otherwise scaled into 1200 x 900 with its shape kept.
QSize workingCanvasSize(const QSize &requested);

#endif // COLLAGEDOCUMENT_H
