#include "collagedocument.h"

#include "collagelimits.h"

#include "btree.h"
#include "layoutrun.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

void LayoutTree::Free::operator()(BTree *tree) const
{
    btree_free(tree);
}

LayoutTree::LayoutTree()
    : d(btree_new())
{
}

LayoutTree::LayoutTree(const BTree *source)
    : d(btree_copy(source))
{
}

LayoutTree::LayoutTree(const LayoutTree &other)
    : d(btree_copy(other.d.get()))
{
}

LayoutTree::LayoutTree(LayoutTree &&other) noexcept
    : d(std::exchange(other.d, std::unique_ptr<BTree, Free>(btree_new())))
{
}

LayoutTree &LayoutTree::operator=(const LayoutTree &other)
{
    if (this != &other)
        d.reset(btree_copy(other.d.get()));
    return *this;
}

LayoutTree &LayoutTree::operator=(LayoutTree &&other) noexcept
{
    std::swap(d, other.d);
    return *this;
}

LayoutTree::~LayoutTree() = default;

bool LayoutTree::isEmpty() const
{
    return d->root == nullptr;
}

int LayoutTree::photoCount() const
{
    return int(d->img);
}

QSize LayoutTree::canvasSize() const
{
    return QSize(d->width, d->height);
}

bool operator==(const LayoutTree &x, const LayoutTree &y)
{
    return btree_equal(x.tree(), y.tree());
}

bool CollageDocument::hasLayout() const
{
    return !layout.isEmpty() && layout.photoCount() == photos.size();
}

bool operator==(const CollageDocument &x, const CollageDocument &y)
{
    return x.photos == y.photos && x.canvasSize == y.canvasSize
           && x.requestedSize == y.requestedSize && x.dpi == y.dpi && x.background == y.background
           && x.frame == y.frame && x.seed == y.seed && x.layout == y.layout && x.crop == y.crop;
}

int frameSliderMaximum(int base, const QSize &working)
{
    const int shorter = std::min(working.width(), working.height());
    // Never below the base: every frame a smaller canvas could have stays reachable.
    return std::max(base, int(std::lround(double(base) * shorter / 600)));
}

QSize workingCanvasSize(const QSize &requested)
{
    QSize size = requested;
    if (size.width() > limits::maxWorkingSide || size.height() > limits::maxWorkingSide)
        size.scale(limits::workingBoxWidth, limits::workingBoxHeight, Qt::KeepAspectRatio);
    return size;
}

namespace {

// Gives every leaf the natural size its photo has among the photos of the document now, its
// emphasis included, as a project read back computes them, and fits the tree to the canvas
// again.
void refitLeaves(CollageDocument &document)
{
    BTree *tree = document.layout.tree();
    const std::vector<BSize> sizes = leafSizes(document.photos);
    for (unsigned k = 0; k < sizes.size(); ++k) {
        BNode *leaf = btree_find_img(tree->root, int(k) + 1);
        leaf->img_w = uint16_t(sizes[k].w);
        leaf->img_h = uint16_t(sizes[k].h);
    }
    btree_refit(tree);
}

} // namespace

CollageDocument withoutPhoto(CollageDocument document, int index)
{
    if (index < 0 || index >= document.photos.size())
        return document;
    const bool laidOut = document.hasLayout();
    document.photos.removeAt(index);
    if (!laidOut) {
        // A layout of other photos than these is of no use any more.
        document.layout = LayoutTree();
        return document;
    }
    BTree *tree = document.layout.tree();
    btree_remove_leaf(tree, btree_find_img(tree->root, index + 1));
    refitLeaves(document);
    return document;
}

CheckedDocument checkPhotos(CollageDocument document)
{
    // Marked for the catalogues where they stand, translated when used.
    const auto translated
        = [](const char *text) { return QCoreApplication::translate("CollageDocument", text); };
    QList<PhotoProblem> problems;
    QList<PhotoProblem> changed;
    QList<int> unusable;
    for (int i = 0; i < document.photos.size(); ++i) {
        PhotoRecord &photo = document.photos[i];
        const QFileInfo info(photo.path);
        QString reason;
        if (!info.exists()) {
            reason = translated(QT_TRANSLATE_NOOP("CollageDocument", "the file is missing"));
        } else if (!info.isFile()) {
            reason = translated(QT_TRANSLATE_NOOP("CollageDocument", "not a regular file"));
        } else if (const Result<PhotoReading> now = readPhoto(photo.path); !now) {
            reason = now.error().isEmpty() ? translated(
                         QT_TRANSLATE_NOOP("CollageDocument", "cannot be read as a photo"))
                                           : now.error();
        } else if (now->record.size != uprightSize(photo)
                   || now->record.orientation != photo.orientation) {
            // Turned or cropped in another program: shown as the file is now, with its crop
            // and turns started again.
            photo.size = now->record.size;
            photo.orientation = now->record.orientation;
            photo.crop = QPointF();
            photo.turns = 0;
            changed.append(
                {photo.path, translated(QT_TRANSLATE_NOOP("CollageDocument",
                                                          "the photo has changed since the project "
                                                          "was saved and is shown as it is now"))});
        }
        if (!reason.isEmpty()) {
            problems.append({photo.path, reason});
            unusable.append(i);
        }
    }
    // From the back, so the indices still to come stay valid.
    for (auto it = unusable.crbegin(); it != unusable.crend(); ++it)
        document = withoutPhoto(std::move(document), *it);
    // The changed photos' cells follow their new shapes.
    if (!changed.isEmpty() && document.hasLayout())
        refitLeaves(document);
    return {std::move(document), problems, changed};
}

CollageDocument fittedTo(CollageDocument document, const QSize &canvas)
{
    document.canvasSize = canvas;
    BTree *tree = document.layout.tree();
    tree->width = uint16_t(canvas.width());
    tree->height = uint16_t(canvas.height());
    btree_refit(tree);
    return document;
}

CollageDocument withSwappedPhotos(CollageDocument document, int first, int second)
{
    if (first == second || !document.hasLayout())
        return document;
    BTree *tree = document.layout.tree();
    BNode *a = btree_find_img(tree->root, first + 1);
    BNode *b = btree_find_img(tree->root, second + 1);
    if (!a || !b)
        return document;
    btree_swap_photos(a, b);
    btree_refit(tree);
    return document;
}

CollageDocument withCrop(CollageDocument document, int index, const QPointF &crop)
{
    if (index >= 0 && index < document.photos.size())
        document.photos[index].crop = crop;
    return document;
}

CollageDocument withReplacedPhoto(CollageDocument document, int index, const PhotoRecord &photo)
{
    if (index < 0 || index >= document.photos.size())
        return document;
    PhotoRecord &replaced = document.photos[index];
    replaced = photo;
    replaced.crop = QPointF();
    replaced.turns = 0;
    if (document.hasLayout())
        refitLeaves(document);
    return document;
}

CollageDocument withTurnedPhoto(CollageDocument document, int index, int quarterTurns)
{
    if (index < 0 || index >= document.photos.size() || quarterTurns % 4 == 0)
        return document;
    const bool laidOut = document.hasLayout();
    PhotoRecord &photo = document.photos[index];
    photo.turns = ((photo.turns + quarterTurns) % 4 + 4) % 4;
    if (quarterTurns % 2)
        photo.size.transpose();
    // The crop followed the photo's old sides; it starts centred on the new ones.
    photo.crop = QPointF();
    if (laidOut)
        refitLeaves(document);
    return document;
}

CollageDocument withContent(CollageDocument document, const QHash<QString, ContentBox> &boxes)
{
    for (PhotoRecord &photo : document.photos) {
        if (photo.content)
            continue;
        if (const auto known = boxes.constFind(photo.path); known != boxes.cend())
            photo.content = *known;
    }
    return document;
}

QPointF tileCrop(const PhotoRecord &photo, const QSize &image, const QSize &cell, CropMode mode)
{
    // A crop the user dragged is never (0, 0) but by chance, and then it is the centre's.
    if (!photo.crop.isNull() || mode != CropMode::Auto || !photo.content)
        return photo.crop;
    return contentCrop(image, cell, turnedBox(*photo.content, photo.turns));
}

CollageDocument refittedTo(CollageDocument document, const QSize &canvas, unsigned seed)
{
    const bool takes = canvas.width() >= 1 && canvas.height() >= 1 && canvas.width() <= 65535
                       && canvas.height() <= 65535;
    if (!document.hasLayout() || !takes)
        return fittedTo(std::move(document), canvas);
    document.canvasSize = canvas;
    document.layout = refitLayout(document.layout, layoutSizes(document.photos),
                                  layoutEmphases(document.photos), canvas, seed);
    return document;
}

QList<QSize> layoutSizes(const QList<PhotoRecord> &photos)
{
    QList<QSize> sizes;
    sizes.reserve(photos.size());
    for (const PhotoRecord &photo : photos)
        sizes << photo.size;
    return sizes;
}

QList<qreal> layoutEmphases(const QList<PhotoRecord> &photos)
{
    QList<qreal> emphases;
    emphases.reserve(photos.size());
    for (const PhotoRecord &photo : photos)
        emphases << photo.emphasis;
    return emphases;
}

namespace {

constexpr int minEmphasisStep = -1; // 2^-1 = 0.5
constexpr int maxEmphasisStep = 2; // 2^2 = 4

} // namespace

qreal nearestEmphasis(double value)
{
    // NaN fails the comparison; infinities are held at the ends below.
    if (!(value > 0))
        return 1;
    const double step = std::round(std::log2(value));
    return std::ldexp(1.0, int(std::clamp(step, double(minEmphasisStep), double(maxEmphasisStep))));
}

qreal steppedEmphasis(qreal emphasis, int steps)
{
    const int step = int(std::round(std::log2(nearestEmphasis(emphasis))));
    return std::ldexp(
        1.0, std::clamp(step + std::clamp(steps, -8, 8), minEmphasisStep, maxEmphasisStep));
}
