#include "collagedocument.h"

#include "btree.h"


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
