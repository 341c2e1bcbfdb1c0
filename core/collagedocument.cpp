#include "collagedocument.h"

#include "btree.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

bool sameNode(const BNode *x, const BNode *y)
{
    if (!x || !y)
        return x == y;
    return x->type == y->type && x->id == y->id && x->img == y->img && x->img_w == y->img_w
           && x->img_h == y->img_h && x->w == y->w && x->h == y->h && x->x == y->x && x->y == y->y
           && sameNode(x->a, y->a) && sameNode(x->b, y->b);
}

} // namespace

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
    const BTree *a = x.tree();
    const BTree *b = y.tree();
    return a->count == b->count && a->img == b->img && a->width == b->width
           && a->height == b->height && sameNode(a->root, b->root);
}

bool CollageDocument::hasLayout() const
{
    return !layout.isEmpty() && layout.photoCount() == photos.size();
}

bool operator==(const CollageDocument &x, const CollageDocument &y)
{
    return x.photos == y.photos && x.canvasSize == y.canvasSize
           && x.requestedSize == y.requestedSize && x.background == y.background
           && x.frame == y.frame && x.seed == y.seed && x.layout == y.layout;
}

QSize workingCanvasSize(const QSize &requested)
{
    QSize size = requested;
    if (size.width() > 1200 || size.height() > 1200)
        size.scale(1200, 900, Qt::KeepAspectRatio);
    return size;
}

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
    btree_refit(tree);
    return document;
}

CheckedDocument checkPhotos(CollageDocument document)
{
    const auto tr
        = [](const char *text) { return QCoreApplication::translate("CollageDocument", text); };
    QList<PhotoProblem> problems;
    QList<int> unusable;
    for (int i = 0; i < document.photos.size(); ++i) {
        const PhotoRecord &photo = document.photos.at(i);
        const QFileInfo info(photo.path);
        QString reason;
        if (!info.exists()) {
            reason = tr("the file is missing");
        } else if (!info.isFile()) {
            reason = tr("not a regular file");
        } else if (const PhotoReading now = readPhoto(photo.path); !now.record) {
            reason = now.reason.isEmpty() ? tr("cannot be read as a photo") : now.reason;
        } else if (now.record->size != photo.size || now.record->orientation != photo.orientation) {
            reason = tr("the photo has changed since the project was saved");
        }
        if (!reason.isEmpty()) {
            problems.append({photo.path, reason});
            unusable.append(i);
        }
    }
    // From the back, so the indices still to come stay valid.
    for (auto it = unusable.crbegin(); it != unusable.crend(); ++it)
        document = withoutPhoto(std::move(document), *it);
    return {std::move(document), problems};
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
