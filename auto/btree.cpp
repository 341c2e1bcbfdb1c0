#include "btree_internal.h"

#include <assert.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

/* The assertion texts below are quoted in the fatal messages, so they keep their spelling. */

/*
** Context
*/

struct Tables;

/* Everything a layout run changes besides its tree. The generator's state is glibc's own,
** kept here instead of in the C library, so contexts do not share it. */
struct BContext
{
    struct random_data random; /* glibc's generator, working on `state` */
    int32_t state[32]; /* its 128 bytes of state, the size rand() uses */
    btree_sink_fn sink; /* where the engine writes; never null */
    void *user; /* handed to the sink */
    int strict; /* 1 while refitting: a change stays only when it improves the score */
    Tables *tables; /* scratch of the move in progress */
};

void btree_sink_default(int channel, const char *text, void *)
{
    if (channel == BTREE_OUT_STDOUT) {
        fputs(text, stdout);
        fflush(stdout);
    } else {
        fprintf(stderr, "%s\n", text);
    }
}

void btree_context_sink(BContext *S, btree_sink_fn sink, void *user)
{
    S->sink = sink ? sink : btree_sink_default;
    S->user = sink ? user : NULL;
}

/* srand() is srandom() on the C library's own state: on ours it gives the same numbers. */
void btree_seed(BContext *S, unsigned seed)
{
    srandom_r(seed, &S->random);
}

int btree_random(BContext *S)
{
    int32_t r;
    random_r(&S->random, &r);
    return r;
}

static void out(BContext *S, int channel, const char *fmt, ...)
{
    char line[256];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    S->sink(channel, line, S->user);
}

/*
** Tree data model
*/

BTree *btree_new(void)
{
    BTree *btree = (BTree *)calloc(1, sizeof(BTree));
    // clang-format off
    assert(btree!=NULL);
    // clang-format on
    return btree;
}

static void freenode(BNode *node)
{
    free(node);
}

/* The header outlives its nodes: it is emptied, never freed, between layouts. */
void btree_clear(BTree *btree)
{
    if (btree->root == NULL)
        return;
    btree_visit_post(btree->root, freenode);
    memset(btree, 0, sizeof(BTree));
}

BNode *bnode_new(uint32_t type)
{
    BNode *node = (BNode *)calloc(1, sizeof(BNode));
    // clang-format off
    assert(node!=NULL);
    // clang-format on
    node->type = type;
    node->id = -1;
    node->img = -1;
    return node;
}

BNode *bnode_new_leaf(int width, int height)
{
    BNode *node = bnode_new(BNODE_LEAF);
    node->img_w = node->w = (uint16_t)width;
    node->img_h = node->h = (uint16_t)height;
    return node;
}

/* Numbers are handed out here and nowhere else, so ids and photo numbers stay dense. */
void btree_attach(BTree *btree, BNode *parent, BNode *node, int ab)
{
    // clang-format off
    assert(btree!=NULL);
    assert(ab==BNODE_A || ab==BNODE_B);
    // clang-format on
    if (parent == NULL)
        btree->root = node;
    else if (ab == BNODE_A)
        parent->a = node;
    else
        parent->b = node;
    node->parent = parent;
    node->id = (int32_t)++btree->count;
    if (node->type == BNODE_LEAF)
        node->img = (int32_t)++btree->img;
}

BNode *btree_find(BNode *node, int id)
{
    if (node == NULL || node->id == id)
        return node;
    if (node->type == BNODE_LEAF)
        return NULL;
    BNode *found = btree_find(node->a, id);
    return found ? found : btree_find(node->b, id);
}

BNode *btree_find_img(BNode *node, int img)
{
    if (node == NULL)
        return NULL;
    if (node->type == BNODE_LEAF)
        return node->img == img ? node : NULL;
    BNode *found = btree_find_img(node->a, img);
    return found ? found : btree_find_img(node->b, img);
}

void btree_visit_pre(BNode *node, bnode_visit_fn fn)
{
    // clang-format off
    assert(node!=NULL);
    // clang-format on
    fn(node);
    if (node->type != BNODE_LEAF) {
        btree_visit_pre(node->a, fn);
        btree_visit_pre(node->b, fn);
    }
}

void btree_visit_post(BNode *node, bnode_visit_fn fn)
{
    // clang-format off
    assert(node!=NULL);
    // clang-format on
    if (node->type != BNODE_LEAF) {
        btree_visit_post(node->a, fn);
        btree_visit_post(node->b, fn);
    }
    fn(node);
}

static uint32_t depth(const BNode *node)
{
    return 1 + (node->depth_a > node->depth_b ? node->depth_a : node->depth_b);
}

void bnode_update_depth(BNode *node)
{
    if (node->type == BNODE_LEAF)
        return;
    node->depth_a = depth(node->a);
    node->depth_b = depth(node->b);
}

void bnode_update_depth_up(BNode *node)
{
    for (; node != NULL; node = node->parent)
        bnode_update_depth(node);
}

static void printnode(std::vector<char> &text, const BNode *node, int d)
{
    if (node->type == BNODE_LEAF) {
        char num[16];
        int len = snprintf(num, sizeof num, "%d ", d);
        text.insert(text.end(), num, num + len);
        return;
    }
    text.push_back(node->type == BNODE_SIDE ? '(' : '[');
    printnode(text, node->a, d + 1);
    printnode(text, node->b, d + 1);
    text.push_back(node->type == BNODE_SIDE ? ')' : ']');
}

/* The whole print reaches the sink in one piece, so a sink never sees half a tree. */
void btree_print(BContext *S, BNode *node, int depth)
{
    // clang-format off
    assert(node!=NULL);
    // clang-format on
    std::vector<char> text;
    printnode(text, node, depth);
    text.push_back('\0');
    S->sink(BTREE_OUT_STDOUT, text.data(), S->user);
}

static BNode *copynode(const BNode *node, BNode *parent)
{
    BNode *copy = (BNode *)calloc(1, sizeof(BNode));
    // clang-format off
    assert(copy!=NULL);
    // clang-format on
    *copy = *node;
    copy->parent = parent;
    if (node->type != BNODE_LEAF) {
        copy->a = copynode(node->a, copy);
        copy->b = copynode(node->b, copy);
    }
    return copy;
}

BTree *btree_copy(const BTree *btree)
{
    BTree *copy = btree_new();
    *copy = *btree;
    if (btree->root != NULL)
        copy->root = copynode(btree->root, NULL);
    return copy;
}

void btree_free(BTree *btree)
{
    if (btree == NULL)
        return;
    btree_clear(btree);
    free(btree);
}

static int samenode(const BNode *a, const BNode *b)
{
    if (a->type != b->type || a->id != b->id || a->img != b->img || a->img_w != b->img_w
        || a->img_h != b->img_h || a->w != b->w || a->h != b->h || a->x != b->x || a->y != b->y)
        return 0;
    if (a->type == BNODE_LEAF)
        return 1;
    return samenode(a->a, b->a) && samenode(a->b, b->b);
}

int btree_equal(const BTree *a, const BTree *b)
{
    if (a->width != b->width || a->height != b->height || a->count != b->count || a->img != b->img)
        return 0;
    if (a->root == NULL || b->root == NULL)
        return a->root == b->root;
    return samenode(a->root, b->root);
}

/*
** Construction and editing
*/

/* Two draws for each of the first two photos and three for every later one; this order is
** what ties a seed to a layout. */
void btree_build(BContext *S, BTree *btree, const BSize *sizes, unsigned n)
{
    for (unsigned k = 0; k < n; k++) {
        BNode *leaf = bnode_new_leaf(sizes[k].w, sizes[k].h);
        unsigned r1 = (unsigned)btree_random(S);
        unsigned r2 = (unsigned)btree_random(S);
        uint32_t id = 1;
        if (k == 0) {
            id = 0;
        } else if (k >= 2) {
            unsigned r3 = (unsigned)btree_random(S);
            id = (r3 % btree->count) + 1;
        }
        btree_insert(btree, leaf, id, (r2 % 2) + 1, (int)(r1 % 2));
    }
}

void btree_insert(BTree *btree, BNode *leaf, uint32_t id, uint32_t type, int ab)
{
    // clang-format off
    assert(id<=btree->count);
    // clang-format on
    if (btree->count == 0) {
        btree_attach(btree, NULL, leaf, BNODE_A);
        return;
    }
    BNode *p = btree_find(btree->root, (int)id);
    BNode *q = bnode_new(type);
    if (ab == BNODE_B) {
        q->a = p;
        btree_attach(btree, q, leaf, BNODE_B);
    } else {
        btree_attach(btree, q, leaf, ab); /* a slot other than A or B stops here */
        q->b = p;
    }
    BNode *g = p->parent;
    btree_attach(btree, g, q, (g != NULL && g->a == p) ? BNODE_A : BNODE_B);
    p->parent = q;
    bnode_update_depth_up(q);
    btree_rebalance(btree, q);
}

/* Puts `q` where `p` hung under `g` (or at the root). */
static void replacechild(BTree *btree, BNode *g, BNode *p, BNode *q)
{
    q->parent = g;
    if (g == NULL)
        btree->root = q;
    else if (g->a == p)
        g->a = q;
    else
        g->b = q;
}

BNode *btree_rotate_left(BTree *btree, BNode *node)
{
    // clang-format off
    assert(node!=NULL);
    // clang-format on
    BNode *p = node;
    if (p->type == BNODE_LEAF || p->b->type == BNODE_LEAF)
        return p;
    BNode *q = p->b;
    BNode *r = q->a;
    BNode *g = p->parent;
    p->b = r;
    r->parent = p;
    q->a = p;
    replacechild(btree, g, p, q);
    p->parent = q;
    bnode_update_depth_up(p);
    return q;
}

BNode *btree_rotate_right(BTree *btree, BNode *node)
{
    // clang-format off
    assert(node!=NULL);
    // clang-format on
    BNode *p = node;
    if (p->type == BNODE_LEAF || p->a->type == BNODE_LEAF)
        return p;
    BNode *q = p->a;
    BNode *r = q->b;
    BNode *g = p->parent;
    p->a = r;
    r->parent = p;
    q->b = p;
    replacechild(btree, g, p, q);
    p->parent = q;
    bnode_update_depth_up(p);
    return q;
}

static int64_t imbalance(const BNode *node)
{
    return (int64_t)node->depth_a - (int64_t)node->depth_b;
}

void btree_rebalance(BTree *btree, BNode *node)
{
    int64_t d = imbalance(node);
    if (d < -1) {
        BNode *m = btree_rotate_left(btree, node);
        btree_rebalance(btree, m->a);
    } else if (d > 1) {
        BNode *m = btree_rotate_right(btree, node);
        btree_rebalance(btree, m->b);
    } else {
        btree_rebalance_up(btree, node->parent);
    }
}

void btree_rebalance_up(BTree *btree, BNode *node)
{
    while (node != NULL) {
        int64_t d = imbalance(node);
        if (d < -1)
            node = btree_rotate_left(btree, node);
        else if (d > 1)
            node = btree_rotate_right(btree, node);
        node = node->parent;
    }
}

void btree_balance(BTree *btree, BNode *node)
{
    if (node->type != BNODE_LEAF) {
        btree_balance(btree, node->a);
        btree_balance(btree, node->b);
    }
    int64_t d = imbalance(node);
    if (d < -1) {
        BNode *m = btree_rotate_left(btree, node);
        btree_rebalance(btree, m->a);
    } else if (d > 1) {
        BNode *m = btree_rotate_right(btree, node);
        btree_rebalance(btree, m->b);
    }
}

/* Whether `inner` lies in the subtree of `outer` (or is it). */
static int contains(const BNode *outer, const BNode *inner)
{
    for (; inner != NULL; inner = inner->parent)
        if (inner == outer)
            return 1;
    return 0;
}

/* The two nodes, unrelated, trade parent and slot. */
static void relink(BNode *s, BNode *t)
{
    BNode *ps = s->parent;
    BNode *pt = t->parent;
    if (ps == pt) {
        BNode *first = ps->a;
        ps->a = ps->b;
        ps->b = first;
        return;
    }
    if (ps->a == s)
        ps->a = t;
    else
        ps->b = t;
    if (pt->a == t)
        pt->a = s;
    else
        pt->b = s;
    s->parent = pt;
    t->parent = ps;
}

/* Refuses related pairs (which covers the root); otherwise the two nodes trade parent and slot.
** Depths are left to the callers, which update them only for exchanges they keep. Doing it
** twice restores the tree exactly. */
void btree_swap(BNode *, BNode *s, BNode *t)
{
    if (s == t || contains(s, t) || contains(t, s))
        return;
    relink(s, t);
}

void bnode_flip(BNode *node)
{
    node->type = node->type == BNODE_STACK ? BNODE_SIDE : BNODE_STACK;
}

/* Closes the gaps the removed numbers leave, keeping the order of the rest. */
static void renumber(BNode *node, int32_t id1, int32_t id2, int32_t img)
{
    node->id -= (node->id > id1) + (node->id > id2);
    if (node->type == BNODE_LEAF) {
        if (node->img > img)
            node->img--;
        return;
    }
    renumber(node->a, id1, id2, img);
    renumber(node->b, id1, id2, img);
}

void btree_remove_leaf(BTree *btree, BNode *leaf)
{
    // clang-format off
    assert(leaf!=NULL && leaf->type==BNODE_LEAF);
    assert(contains(btree->root, leaf));
    // clang-format on
    BNode *p = leaf->parent;
    if (p == NULL) {
        freenode(leaf);
        btree->root = NULL;
        btree->count = 0;
        btree->img = 0;
        return;
    }
    BNode *sibling = p->a == leaf ? p->b : p->a;
    BNode *g = p->parent;
    replacechild(btree, g, p, sibling);
    int32_t id1 = leaf->id;
    int32_t id2 = p->id;
    int32_t img = leaf->img;
    freenode(leaf);
    freenode(p);
    renumber(btree->root, id1, id2, img);
    btree->count -= 2;
    btree->img -= 1;
    bnode_update_depth_up(g);
}

/* The natural sizes go along: they are the photo's until the next fit. */
void btree_swap_photos(BNode *s, BNode *t)
{
    // clang-format off
    assert(s!=NULL && s->type==BNODE_LEAF);
    assert(t!=NULL && t->type==BNODE_LEAF);
    // clang-format on
    BNode keep = *s;
    s->img = t->img;
    s->img_w = t->img_w;
    s->img_h = t->img_h;
    s->nat_w = t->nat_w;
    s->nat_h = t->nat_h;
    t->img = keep.img;
    t->img_w = keep.img_w;
    t->img_h = keep.img_h;
    t->nat_w = keep.nat_w;
    t->nat_h = keep.nat_h;
}

/*
** Geometry
*/

/* Natural sizes live in 32-bit fields: 100 photos of up to 65535 px side by side would wrap a
** 16-bit sum, cutting wrongly or dividing by zero. For sums that fit 16 bits the results are
** those of a 16-bit computation. */
static void natural1(BNode *node)
{
    uint32_t sw = node->a->nat_w + node->b->nat_w;
    uint32_t sh = node->a->nat_h + node->b->nat_h;
    /* Halved by a shift, not a branch: the kinds along a path follow no pattern. */
    uint32_t stack = node->type == BNODE_STACK;
    node->nat_w = sw >> stack;
    node->nat_h = sh >> (stack ^ 1);
}

static void natural(BNode *node)
{
    if (node->type == BNODE_LEAF) {
        node->nat_w = node->img_w;
        node->nat_h = node->img_h;
        return;
    }
    natural(node->a);
    natural(node->b);
    natural1(node);
}

/* The cut itself: division first, in double, truncated; both parts at least 1 pixel when the
** total allows it, and a 1-pixel total given whole to both. */
static void split(uint16_t total, uint32_t a, uint32_t b, uint16_t *outa, uint16_t *outb)
{
    uint64_t s = (uint64_t)a + b;
    uint16_t na;
    if (s == 0)
        na = total / 2; /* only a zero-sized photo gets here */
    else
        na = (uint16_t)(uint32_t)((double)total / (double)s * (double)a);
    uint16_t nb = (uint16_t)(total - na);
    if (na == 0 && total != 1) {
        na = 1;
        nb = (uint16_t)(total - 1);
    }
    if (nb == 0 && total != 1) {
        nb = 1;
        na = (uint16_t)(total - 1);
    }
    if (total == 1) {
        na = 1;
        nb = 1;
    }
    *outa = na;
    *outb = nb;
}

void btree_split(uint16_t total, uint16_t *a, uint16_t *b)
{
    split(total, *a, *b, a, b);
}

static void cut(BNode *node)
{
    if (node->type == BNODE_LEAF)
        return;
    BNode *a = node->a;
    BNode *b = node->b;
    if (node->type == BNODE_STACK) {
        a->w = b->w = node->w;
        split(node->h, a->nat_h, b->nat_h, &a->h, &b->h);
    } else {
        split(node->w, a->nat_w, b->nat_w, &a->w, &b->w);
        a->h = b->h = node->h;
    }
    cut(a);
    cut(b);
}

void btree_fit(BNode *node, uint16_t width, uint16_t height)
{
    // clang-format off
    assert(node!=NULL);
    // clang-format on
    natural(node);
    node->w = width;
    node->h = height;
    cut(node);
}

void btree_place(BNode *parent, int32_t x, int32_t y)
{
    // clang-format off
    assert(parent!=NULL);
    // clang-format on
    parent->x = x;
    parent->y = y;
    if (parent->type == BNODE_STACK) {
        btree_place(parent->a, x, y);
        btree_place(parent->b, x, y + parent->a->h);
    } else if (parent->type == BNODE_SIDE) {
        btree_place(parent->a, x, y);
        btree_place(parent->b, x + parent->a->w, y);
    }
}

/* btree_fit() works out every natural size afresh, so edits need only keep links and depths. */
void btree_refit(BTree *btree)
{
    if (btree->root == NULL)
        return;
    btree_fit(btree->root, btree->width, btree->height);
    btree_place(btree->root, 0, 0);
}

/*
** Objective and optimisation
*/

/* The area is taken unsigned: two 16-bit sides overflow an int above 46340 x 46340. Half of it
** still fits an int. */
int btree_min_size(const BTree *btree)
{
    if (btree->img == 0)
        return 0;
    uint32_t area = (uint32_t)btree->width * (uint32_t)btree->height;
    return (int)(area / (2.0 * btree->img));
}

static double leafterm(const BNode *leaf, int min_size)
{
    double pw = leaf->img_w;
    double ph = leaf->img_h;
    double cw = leaf->w;
    double ch = leaf->h;
    double p = ph * pw;
    double g = p - (ph * ph * cw) / ch;
    double term = (g * g) / (p * p);
    if ((unsigned)leaf->w * (unsigned)leaf->h < (unsigned)min_size)
        term += 100;
    return term;
}

/* Summed as subtree A plus subtree B: layouts hinge on exact ties, so the order of the
** additions is part of the result. */
double btree_objective(const BNode *root, int min_size)
{
    if (root->type != BNODE_LEAF)
        return btree_objective(root->a, min_size) + btree_objective(root->b, min_size);
    return leafterm(root, min_size);
}

/* What the score needs of a leaf's photo, worked out once per move with the operations of
** leafterm(), so the terms come out the same. */
struct Photo
{
    double p; /* area, height times width */
    double hh; /* height times height */
    double pp; /* area times area */
    double hx; /* while refitting: where the photo's centre was, as a share of the width */
    double hy; /* likewise, of the height */
    double hw; /* what moving it costs per squared share; 0 for a photo of a new size */
};

/* A subtree that did not change, cut to the rectangle it had, has the score it had: each node
** keeps its score in the kept tree (the one the move stands at), and the trial in progress
** offers a new one. */
struct Kept
{
    double score; /* score of the subtree (a leaf's term) as the kept tree cuts it */
    double offer; /* the same as the trial cut it */
    uint16_t w; /* width the kept tree cuts the node to */
    uint16_t h; /* height, likewise */
    uint16_t offer_w; /* width the trial cut it to */
    uint16_t offer_h; /* height, likewise */
    uint32_t changed; /* the last trial that changed the subtree: `score` does not hold for it */
    uint32_t moved; /* the last trial that moved the subtree elsewhere */
};

/* While refitting a score holds only at the place it was taken at, too. Apart from Kept, so that
** fresh layouts, which never place, carry none of it. */
struct Spot
{
    int32_t x; /* left edge the kept tree places the node at */
    int32_t y; /* top edge, likewise */
    int32_t offer_x; /* left edge the trial placed it at */
    int32_t offer_y; /* top edge, likewise */
};

/* An inner node on the way down, waiting for the scores of its subtrees. */
struct Frame
{
    BNode *node; /* the inner node */
    BNode *second; /* the child scored second; null once it is being scored */
    double first; /* score of the child scored first, once known */
    int bfirst; /* whether subtree B is scored first */
    uint16_t w; /* width the node is cut to */
    uint16_t h; /* height the node is cut to */
    uint16_t sw; /* width of the child scored second */
    uint16_t sh; /* height of the child scored second */
    int32_t x; /* while refitting: left edge of the node */
    int32_t y; /* top edge of the node */
    int32_t sx; /* left edge of the child scored second */
    int32_t sy; /* top edge of the child scored second */
};

/* Scratch of one move, set up at its start: numbers never change and no node is freed while
** optimising, so one table serves every trial of the move. */
struct Tables
{
    std::vector<BNode *> ids; /* index = id */
    std::vector<BNode *> imgs; /* index = photo number */
    std::vector<Photo> photos; /* index = id; unused for inner nodes */
    std::vector<Kept> kept; /* index = id */
    std::vector<Spot> spots; /* index = id; in use while refitting */
    std::vector<Frame> frames; /* the descent's stack, one per level */
    std::vector<int32_t> offered; /* ids of the nodes the trial scored afresh */
    std::vector<BNode *> path_s; /* ancestors of the first node of an exchange */
    std::vector<BNode *> path_t; /* ancestors of the second */
    std::vector<uint32_t> saved; /* natural sizes of those before the exchange */
    std::vector<double> home; /* while refitting: photo k's old centre at 3k, 3k + 1, as shares
                                 of the canvas's sides, and what moving it costs at 3k + 2;
                                 empty otherwise */
    double inv_w; /* 1 / canvas width, for the shares */
    double inv_h; /* 1 / canvas height */
    size_t noffered; /* how many of `offered` are in use */
    uint32_t trial; /* number of the trial in progress */
};

static void fill(Tables *tables, BNode *node)
{
    tables->ids[node->id] = node;
    if (node->type == BNODE_LEAF) {
        tables->imgs[node->img] = node;
        Photo *photo = &tables->photos[node->id];
        double pw = node->img_w;
        double ph = node->img_h;
        photo->p = ph * pw;
        photo->hh = ph * ph;
        photo->pp = photo->p * photo->p;
        if (!tables->home.empty()) {
            const double *home = &tables->home[3 * (size_t)node->img];
            photo->hx = home[0];
            photo->hy = home[1];
            photo->hw = home[2];
        }
        return;
    }
    fill(tables, node->a);
    fill(tables, node->b);
}

/* A change only alters the natural sizes, and the scores, of the changed node and its
** ancestors. */
static void natural_up(Tables *tables, BNode *node)
{
    for (; node != NULL; node = node->parent) {
        natural1(node);
        tables->kept[node->id].changed = tables->trial;
    }
}

static double term(const Photo *photo, uint16_t w, uint16_t h, int min_size)
{
    double g = photo->p - (photo->hh * (double)w) / (double)h;
    double t = (g * g) / photo->pp;
    if ((unsigned)w * (unsigned)h < (unsigned)min_size)
        t += 100;
    return t;
}

/* What a refit charges for carrying a photo away: the squared distance of its cell's centre
** from where it was, in shares of the canvas's sides, times 0.1 when the canvas turns from
** landscape to portrait (less for a smaller change of shape, see btree_relayout()). A photo
** carried across half the canvas then costs what a cell about a sixth off its photo's shape
** does (a crop term of 0.025). Measured on 20 seeds of 20 and of 100 mixed photos turned from
** landscape to portrait: 0.1 moves them 0.23 and 0.17 on average (0.52 and 0.51 without the
** charge, as in a fresh layout) and cuts 1.35 and 1.43 times what fresh layouts cut away.
** 0.15 or more left photos in cells twice or half their shape, and a turned photo in a cell
** that does not fit it. A charge-free margin around the old place or a charge linear in the
** distance gave no better balance of the two. */
static const double displacement_weight = 0.1;

static double away(const Photo *photo, const Tables *tables, int32_t x, int32_t y, uint16_t w,
                   uint16_t h)
{
    double dx = ((double)x + (double)w / 2) * tables->inv_w - photo->hx;
    double dy = ((double)y + (double)h / 2) * tables->inv_h - photo->hy;
    return photo->hw * (dx * dx + dy * dy);
}

/* The cut of btree_fit and the objective in one descent, with the same additions in the same
** order, so the score is the one a separate fit and objective give. The rectangles stay in the
** scratch: the nodes keep theirs until the move ends.
** A trial is kept only when its score does not exceed the best one, so the descent stops as
** soon as the terms met so far prove that it does, and gives HUGE_VAL. Terms are never
** negative, and each passes through fewer than 2^33 roundings of at most 2^-53 between `sum`
** and the score, so a sum past the bound by a 2^-12 share leaves the score past it too.
** While refitting (`placed`) the descent places the nodes too, and each leaf adds how far its
** photo went: a subtree's kept score then holds only at the place it was kept at. */
template<bool placed>
static double cutscore(BNode *root, Tables *tables, uint16_t width, uint16_t height, int min_size,
                       double bound)
{
    const Photo *photos = tables->photos.data();
    Kept *kept = tables->kept.data();
    Spot *spots = tables->spots.data();
    Frame *stack = tables->frames.data();
    int32_t *offered = tables->offered.data();
    uint32_t trial = tables->trial;
    size_t sp = 0;
    size_t n = 0;
    double sum = 0.0;
    double limit = bound + fabs(bound) / 4096;
    BNode *node = root;
    uint16_t w = width;
    uint16_t h = height;
    int32_t x = 0;
    int32_t y = 0;
    for (;;) {
        double v;
        Kept *k = &kept[node->id];
        if (k->changed != trial && k->w == w && k->h == h
            && (!placed || (spots[node->id].x == x && spots[node->id].y == y))) {
            v = k->score;
        } else if (node->type == BNODE_LEAF) {
            v = term(&photos[node->id], w, h, min_size);
            if (placed)
                v += away(&photos[node->id], tables, x, y, w, h);
            k->offer = v;
            k->offer_w = w;
            k->offer_h = h;
            if (placed) {
                spots[node->id].offer_x = x;
                spots[node->id].offer_y = y;
            }
            offered[n++] = node->id;
        } else {
            BNode *a = node->a;
            BNode *b = node->b;
            Frame *f = &stack[sp++];
            f->node = node;
            f->w = w;
            f->h = h;
            if (placed) {
                f->x = x;
                f->y = y;
            }
            uint16_t aw, ah, bw, bh;
            int32_t bx = x;
            int32_t by = y;
            if (node->type == BNODE_STACK) {
                split(h, a->nat_h, b->nat_h, &ah, &bh);
                aw = bw = w;
                by += ah;
            } else {
                split(w, a->nat_w, b->nat_w, &aw, &bw);
                ah = bh = h;
                bx += aw;
            }
            /* Where the trial changed something the score grows most, and the sooner it passes
            ** the limit, the less is cut: a changed or moved subtree B goes first. Below an
            ** unchanged node nothing changed or moved. */
            f->bfirst = 0;
            if (k->changed == trial) {
                const Kept *ka = &kept[a->id];
                const Kept *kb = &kept[b->id];
                f->bfirst = (kb->changed == trial || kb->moved == trial)
                            && !(ka->changed == trial || ka->moved == trial);
            }
            if (f->bfirst) {
                f->second = a;
                f->sw = aw;
                f->sh = ah;
                if (placed) {
                    f->sx = x;
                    f->sy = y;
                }
                node = b;
                w = bw;
                h = bh;
                x = bx;
                y = by;
            } else {
                f->second = b;
                f->sw = bw;
                f->sh = bh;
                if (placed) {
                    f->sx = bx;
                    f->sy = by;
                }
                node = a;
                w = aw;
                h = ah;
            }
            continue;
        }
        sum += v;
        if (sum > limit) {
            tables->noffered = n;
            return HUGE_VAL;
        }
        /* Up to the next child still to score, adding up the finished nodes on the way, A + B. */
        for (;;) {
            if (sp == 0) {
                tables->noffered = n;
                return v;
            }
            Frame *f = &stack[sp - 1];
            if (f->second != NULL) {
                f->first = v;
                node = f->second;
                f->second = NULL;
                w = f->sw;
                h = f->sh;
                if (placed) {
                    x = f->sx;
                    y = f->sy;
                }
                break;
            }
            v = f->bfirst ? v + f->first : f->first + v;
            k = &kept[f->node->id];
            k->offer = v;
            k->offer_w = f->w;
            k->offer_h = f->h;
            if (placed) {
                spots[f->node->id].offer_x = f->x;
                spots[f->node->id].offer_y = f->y;
            }
            offered[n++] = f->node->id;
            sp--;
        }
    }
}

/* Kept out of line: inlined beside the fresh layouts' descent, it made theirs slower. */
static __attribute__((noinline)) double placedscore(BTree *btree, Tables *tables, double bound)
{
    return cutscore<true>(btree->root, tables, btree->width, btree->height, btree_min_size(btree),
                          bound);
}

/* Fit and score during the moves; the natural sizes are kept current by the moves themselves
** (natural_up after every change and every undo). A score that surely exceeds `bound` may come
** back as HUGE_VAL. */
static double score(BTree *btree, Tables *tables, double bound)
{
    if (!tables->home.empty())
        return placedscore(btree, tables, bound);
    return cutscore<false>(btree->root, tables, btree->width, btree->height, btree_min_size(btree),
                           bound);
}

/* The trial's tree becomes the kept one; only a trial scored to the end gets here. */
static void keep(Tables *tables)
{
    Kept *kept = tables->kept.data();
    for (size_t j = 0; j < tables->noffered; j++) {
        Kept *k = &kept[tables->offered[j]];
        k->score = k->offer;
        k->w = k->offer_w;
        k->h = k->offer_h;
    }
    if (tables->home.empty())
        return;
    Spot *spots = tables->spots.data();
    for (size_t j = 0; j < tables->noffered; j++) {
        Spot *spot = &spots[tables->offered[j]];
        spot->x = spot->offer_x;
        spot->y = spot->offer_y;
    }
}

/* Every move starts from the natural sizes and the scores of its tree as it stands. */
static Tables *begin(BContext *S, BTree *btree)
{
    Tables &tables = *S->tables;
    tables.ids.assign(btree->count + 1, NULL);
    tables.imgs.assign(btree->img + 1, NULL);
    tables.photos.resize(btree->count + 1);
    tables.frames.resize(btree->count + 1);
    tables.offered.resize(btree->count + 1);
    tables.path_s.resize(btree->count + 1);
    tables.path_t.resize(btree->count + 1);
    tables.saved.resize(4 * (size_t)btree->count + 4);
    tables.noffered = 0;
    tables.trial = 1;
    tables.inv_w = 1.0 / btree->width;
    tables.inv_h = 1.0 / btree->height;
    Kept none = Kept();
    none.changed = 1;
    tables.kept.assign(btree->count + 1, none);
    if (!tables.home.empty())
        tables.spots.assign(btree->count + 1, Spot());
    fill(&tables, btree->root);
    natural(btree->root);
    score(btree, &tables, HUGE_VAL);
    keep(&tables);
    return &tables;
}

/* The trials leave rectangles cut for trees since undone. */
static void end(BTree *btree)
{
    btree_fit(btree->root, btree->width, btree->height);
}

/* Whether a trial scoring `x` stays: when it is no worse, or, while refitting, better. */
static int kept(const BContext *S, double x, double best)
{
    return S->strict ? x < best : x <= best;
}

static void tryflip(BContext *S, BTree *btree, BNode *node, double *best)
{
    Tables *tables = S->tables;
    tables->trial++;
    bnode_flip(node);
    natural_up(tables, node);
    double x = score(btree, tables, *best);
    if (kept(S, x, *best)) {
        *best = x;
        keep(tables);
        return;
    }
    bnode_flip(node);
    natural_up(tables, node);
}

static void flippost(BContext *S, BTree *btree, BNode *node, double *best)
{
    if (node->type == BNODE_LEAF)
        return;
    flippost(S, btree, node->a, best);
    flippost(S, btree, node->b, best);
    tryflip(S, btree, node, best);
}

static void flippre(BContext *S, BTree *btree, BNode *node, double *best)
{
    if (node->type == BNODE_LEAF)
        return;
    tryflip(S, btree, node, best);
    flippre(S, btree, node->a, best);
    flippre(S, btree, node->b, best);
}

void btree_opt_flip_post(BContext *S, BTree *btree, BNode *node, double *best)
{
    begin(S, btree);
    flippost(S, btree, node, best);
    end(btree);
}

void btree_opt_flip_pre(BContext *S, BTree *btree, BNode *node, double *best)
{
    begin(S, btree);
    flippre(S, btree, node, best);
    end(btree);
}

/* The ancestors of `node` into `path`, its parent first; how many. */
static size_t ancestors(const BNode *node, BNode **path)
{
    size_t n = 0;
    for (BNode *p = node->parent; p != NULL; p = p->parent)
        path[n++] = p;
    return n;
}

/* Natural sizes up the two paths of an exchange, which end in the same `common` ancestors;
** the old ones go to the scratch, for undo(). */
static void natural_paths(Tables *tables, BNode **ps, size_t ns, BNode **pt, size_t nt,
                          size_t common)
{
    Kept *kept = tables->kept.data();
    uint32_t *saved = tables->saved.data();
    for (size_t j = 0; j < nt - common; j++) {
        *saved++ = pt[j]->nat_w;
        *saved++ = pt[j]->nat_h;
        natural1(pt[j]);
        kept[pt[j]->id].changed = tables->trial;
    }
    for (size_t j = 0; j < ns; j++) {
        *saved++ = ps[j]->nat_w;
        *saved++ = ps[j]->nat_h;
        natural1(ps[j]);
        kept[ps[j]->id].changed = tables->trial;
    }
}

/* The natural sizes natural_paths() found, once the exchange is undone. */
static void restore_paths(Tables *tables, BNode **ps, size_t ns, BNode **pt, size_t nt,
                          size_t common)
{
    const uint32_t *saved = tables->saved.data();
    for (size_t j = 0; j < nt - common; j++) {
        pt[j]->nat_w = *saved++;
        pt[j]->nat_h = *saved++;
    }
    for (size_t j = 0; j < ns; j++) {
        ps[j]->nat_w = *saved++;
        ps[j]->nat_h = *saved++;
    }
}

/* The paths to the root are taken once and serve the test for related nodes and the natural
** sizes after the exchange; undoing it puts the old ones back. A refused exchange changes
** nothing, so its score is the kept one. */
static void tryswap(BContext *S, BTree *btree, BNode *s, BNode *t, double *best)
{
    Tables *tables = S->tables;
    tables->trial++;
    if (s->type == BNODE_LEAF && t->type == BNODE_LEAF && s->img_w == t->img_w
        && s->img_h == t->img_h && tables->home.empty()) {
        /* Photos of one size trading places change no natural size, no rectangle and no score,
        ** and every kept score still holds; not so while refitting, where they go elsewhere. */
        double x = score(btree, tables, *best);
        if (!kept(S, x, *best))
            return;
        *best = x;
        keep(tables);
        if (s != t)
            relink(s, t);
        bnode_update_depth_up(s);
        bnode_update_depth_up(t);
        return;
    }
    BNode **ps = tables->path_s.data();
    BNode **pt = tables->path_t.data();
    size_t ns = ancestors(s, ps);
    size_t nt = ancestors(t, pt);
    size_t common = 0;
    while (common < ns && common < nt && ps[ns - 1 - common] == pt[nt - 1 - common])
        common++;
    int related = s == t || (common == ns && nt > ns && pt[nt - ns - 1] == s)
                  || (common == nt && ns > nt && ps[ns - nt - 1] == t);
    if (!related) {
        tables->kept[s->id].moved = tables->trial;
        tables->kept[t->id].moved = tables->trial;
        relink(s, t);
        natural_paths(tables, ps, ns, pt, nt, common);
    }
    double x = score(btree, tables, *best);
    if (!kept(S, x, *best)) {
        if (!related) {
            relink(s, t);
            restore_paths(tables, ps, ns, pt, nt, common);
        }
        return;
    }
    *best = x;
    keep(tables);
    bnode_update_depth_up(s);
    bnode_update_depth_up(t);
}

void btree_opt_swap_leaves(BContext *S, BTree *btree, double *best)
{
    Tables *tables = begin(S, btree);
    for (uint32_t k = 0, n = 3 * btree->count; k < n; k++) {
        unsigned r1 = (unsigned)btree_random(S);
        unsigned r2 = (unsigned)btree_random(S);
        BNode *s = tables->imgs[(r1 % btree->img) + 1];
        BNode *t = tables->imgs[(r2 % btree->img) + 1];
        tryswap(S, btree, s, t, best);
    }
    end(btree);
}

void btree_opt_swap_nodes(BContext *S, BTree *btree, double *best)
{
    Tables *tables = begin(S, btree);
    for (uint32_t k = 0, n = 3 * btree->count; k < n; k++) {
        unsigned r1 = (unsigned)btree_random(S);
        unsigned r2 = (unsigned)btree_random(S);
        BNode *s = tables->ids[(r1 % btree->count) + 1];
        BNode *t = tables->ids[(r2 % btree->count) + 1];
        uint32_t ds = s->depth_a + s->depth_b;
        uint32_t dt = t->depth_a + t->depth_b;
        if (ds > dt + 5 || dt > ds + 5)
            continue;
        tryswap(S, btree, s, t, best);
    }
    end(btree);
}

/* After a rotation the node handed in sits below the one returned; its natural size and those
** above it are recomputed. */
void btree_opt_rotate(BContext *S, BTree *btree, double *best)
{
    Tables *tables = begin(S, btree);
    for (uint32_t k = 0, n = btree->count / 2; k < n; k++) {
        unsigned r1 = (unsigned)btree_random(S);
        BNode *node = tables->ids[(r1 % btree->count) + 1];
        unsigned r2 = (unsigned)btree_random(S);
        int left = r2 % 2 == 0;
        BNode *m = left ? btree_rotate_left(btree, node) : btree_rotate_right(btree, node);
        if (m == node)
            continue;
        tables->trial++;
        natural_up(tables, node);
        double x = score(btree, tables, *best);
        if (x < *best) {
            *best = x;
            keep(tables);
            continue;
        }
        if (left)
            btree_rotate_right(btree, m);
        else
            btree_rotate_left(btree, m);
        natural_up(tables, m);
    }
    end(btree);
}

/* The five moves of a pass. Each leaves the tree fitted for the next, and each starts from the
** root as it then is: balancing and rotations replace it. */
static void moves(BContext *S, BTree *btree, double *best)
{
    btree_opt_flip_post(S, btree, btree->root, best);
    btree_opt_flip_pre(S, btree, btree->root, best);
    btree_opt_swap_leaves(S, btree, best);
    btree_opt_swap_nodes(S, btree, best);
    btree_opt_rotate(S, btree, best);
}

void btree_optimise_pass(BContext *S, BTree *btree, double *best, int k)
{
    int m = btree_min_size(btree);
    out(S, BTREE_OUT_DEBUG, "Min size: %d", m);
    *best = btree_objective(btree->root, m);
    if (k % 10 == 0) {
        out(S, BTREE_OUT_STDOUT, "%d\n", k);
        if (k <= 20) {
            btree_balance(btree, btree->root);
            btree_fit(btree->root, btree->width, btree->height);
            *best = btree_objective(btree->root, m);
            out(S, BTREE_OUT_DEBUG, "balance objective: %g %u %u", *best, btree->root->depth_a,
                btree->root->depth_b);
        }
    }
    moves(S, btree, best);
    out(S, BTREE_OUT_DEBUG, "%d obj: %g", k, *best);
}

/*
** The layout run
*/

/* initstate_r() reads the record it is given, so the record starts zeroed (calloc). A state of
** 128 bytes is the kind of generator rand() uses, and the first seed is srand()'s default, 1. */
BContext *btree_context_new(btree_sink_fn sink, void *user)
{
    BContext *S = (BContext *)calloc(1, sizeof(BContext));
    // clang-format off
    assert(S!=NULL);
    // clang-format on
    initstate_r(1, (char *)S->state, sizeof S->state, &S->random);
    btree_context_sink(S, sink, user);
    S->tables = new Tables();
    return S;
}

void btree_context_free(BContext *S)
{
    if (S == NULL)
        return;
    delete S->tables;
    free(S);
}

static void tintdraws(BContext *S, BNode *node)
{
    if (node->type == BNODE_LEAF) {
        (void)btree_random(S);
        (void)btree_random(S);
        (void)btree_random(S);
        return;
    }
    tintdraws(S, node->a);
    tintdraws(S, node->b);
}

void btree_layout(BContext *S, BTree *btree, const BSize *sizes, unsigned n, uint16_t width,
                  uint16_t height, unsigned seed, const BLayoutHooks *hooks)
{
    static const BLayoutHooks none = {NULL, NULL, NULL};
    if (hooks == NULL)
        hooks = &none;
    btree_seed(S, seed);
    out(S, BTREE_OUT_DEBUG, "SEED: %u", seed);
    btree_build(S, btree, sizes, n);
    if (btree->root == NULL)
        return;
    btree->width = width;
    btree->height = height;
    btree_fit(btree->root, width, height);
    btree_visit_post(btree->root, bnode_update_depth);
    out(S, BTREE_OUT_DEBUG, "nodes: %u img: %u", btree->count, btree->img);
    out(S, BTREE_OUT_DEBUG, "depth: %u %u", btree->root->depth_a, btree->root->depth_b);
    btree_balance(btree, btree->root);
    btree_fit(btree->root, width, height);
    btree_print(S, btree->root, 0);
    double best = 0.0;
    for (int k = 0; k <= 100; k++) {
        if (hooks->progress)
            hooks->progress(k, hooks->user);
        btree_optimise_pass(S, btree, &best, k);
        btree_fit(btree->root, width, height);
        if (k % 20 == 0) {
            btree_place(btree->root, 0, 0);
            if (hooks->picture)
                hooks->picture(S, btree, hooks->user);
            else
                tintdraws(S, btree->root);
        }
    }
    btree_fit(btree->root, width, height);
    if (hooks->progress)
        hooks->progress(0, hooks->user);
    btree_place(btree->root, 0, 0);
}

static void resize(BNode *node, const BSize *sizes)
{
    if (node->type != BNODE_LEAF) {
        resize(node->a, sizes);
        resize(node->b, sizes);
        return;
    }
    node->img_w = (uint16_t)sizes[node->img - 1].w;
    node->img_h = (uint16_t)sizes[node->img - 1].h;
}

/* Where each photo's centre is, as shares of the canvas's sides, as away() measures it. */
static void sethomes(std::vector<double> &home, const BNode *node, const BSize *sizes, double inv_w,
                     double inv_h, double weight)
{
    if (node->type != BNODE_LEAF) {
        sethomes(home, node->a, sizes, inv_w, inv_h, weight);
        sethomes(home, node->b, sizes, inv_w, inv_h, weight);
        return;
    }
    double *h = &home[3 * (size_t)node->img];
    const BSize *size = &sizes[node->img - 1];
    h[0] = ((double)node->x + (double)node->w / 2) * inv_w;
    h[1] = ((double)node->y + (double)node->h / 2) * inv_h;
    h[2] = size->w == node->img_w && size->h == node->img_h ? weight : 0.0;
}

/* No forced balancing and no random build: the tree the caller made is where the passes start,
** and only a change that improves the score is kept.
** The crop objective alone does not care where a photo goes, and the moves exchange photos and
** subtrees across the whole canvas: a refit to portrait left the collage as shuffled as a fresh
** layout, a photo swapped by hand to a corner ending in the opposite one. So when the canvas
** changes shape the score adds, for every photo, how far its cell's centre went from where the
** old tree, stretched to the new canvas, puts it (away()), in full from a change of shape of
** 2.25 (3:2 turned to 2:3) and in proportion to the logarithm below it. On a canvas of the
** same shape the refit serves a photo turned, emphasised or replaced, which gets its fit and
** its share by moving, so nothing is charged; nor is a photo of a new size anywhere. The homes
** are taken with the old photo sizes. The moves stay the fresh layout's: keeping only local
** ones (flips, rotations, exchanges within a grandparent's subtree) moved the photos as far, as
** flips and rotations high in the tree carry whole halves, and cut 1.6 to 3.4 times what a
** fresh layout cuts away.
** Idle passes end it early: after five passes that kept nothing, more passes find little; and
** it stops after 60 passes, which 100 photos turned to portrait reach (they would go on to 74
** on average, for 1% less cut away), so a refit takes well under a fresh layout's time. */
void btree_relayout(BContext *S, BTree *btree, const BSize *sizes, unsigned n, uint16_t width,
                    uint16_t height, unsigned seed, const BLayoutHooks *hooks)
{
    static const BLayoutHooks none = {NULL, NULL, NULL};
    // clang-format off
    assert(n==btree->img);
    // clang-format on
    if (hooks == NULL)
        hooks = &none;
    if (btree->root == NULL)
        return;
    btree_seed(S, seed);
    out(S, BTREE_OUT_DEBUG, "REFIT SEED: %u", seed);
    uint16_t from_w = btree->width;
    uint16_t from_h = btree->height;
    btree->width = width;
    btree->height = height;
    btree_visit_post(btree->root, bnode_update_depth);
    std::vector<double> &home = S->tables->home;
    double turn = 1; /* the change of shape, as a share of a turn from 3:2 to 2:3 */
    if (from_w != 0 && from_h != 0 && width != 0 && height != 0)
        turn = fabs(log(((double)width / height) / ((double)from_w / from_h))) / log(2.25);
    if (turn > 1)
        turn = 1;
    if (width != 0 && height != 0 && turn > 0) {
        btree_fit(btree->root, width, height);
        btree_place(btree->root, 0, 0);
        home.assign(3 * (size_t)btree->img + 3, 0.0);
        sethomes(home, btree->root, sizes, 1.0 / width, 1.0 / height, turn * displacement_weight);
    }
    resize(btree->root, sizes);
    btree_fit(btree->root, width, height);
    out(S, BTREE_OUT_DEBUG, "refit objective: %g",
        btree_objective(btree->root, btree_min_size(btree)));
    Tables *tables = begin(S, btree);
    double best = tables->kept[btree->root->id].score;
    out(S, BTREE_OUT_DEBUG, "refit score: %g", best);
    S->strict = 1;
    for (int k = 0, idle = 0; k < 60 && idle < 5; k++) {
        if (hooks->progress)
            hooks->progress(k, hooks->user);
        double before = best;
        moves(S, btree, &best);
        out(S, BTREE_OUT_DEBUG, "%d obj: %g", k, best);
        idle = best < before ? 0 : idle + 1;
    }
    S->strict = 0;
    home.clear();
    btree_fit(btree->root, width, height);
    if (hooks->progress)
        hooks->progress(0, hooks->user);
    btree_place(btree->root, 0, 0);
}

/* Left to themselves, a phone's photos beside a camera's come out a fraction of the size, as
** the cuts follow natural sizes. Areas are compared in 64 bits: two 16-bit sides pass 2^31.
** An emphasis of 1 multiplies by exactly 1, so without emphasis every size and trace line is
** the one the fairness rule alone gives. The largest area is the photos' own, not emphasised:
** the emphasis is a share against fair shares. */
void btree_fair_sizes(BContext *S, BSize *sizes, const double *emphasis, unsigned n)
{
    int64_t most = 0;
    for (unsigned k = 0; k < n; k++) {
        const BSize *s = &sizes[k];
        if (s->w >= 1 && s->w <= 65535 && s->h >= 1 && s->h <= 65535 && (int64_t)s->w * s->h > most)
            most = (int64_t)s->w * s->h;
    }
    for (unsigned k = 0; k < n; k++) {
        BSize *s = &sizes[k];
        if (s->w < 1 || s->w > 65535 || s->h < 1 || s->h > 65535)
            continue; /* not a size the engine takes; left for the caller to answer for */
        int64_t area = (int64_t)s->w * s->h;
        double f = 2 * area < most ? sqrt((double)most / (2.0 * (double)area)) : 1.0;
        /* NaN fails both comparisons */
        if (emphasis != NULL && emphasis[k] >= 1.0 / 16 && emphasis[k] <= 16)
            f *= sqrt(emphasis[k]);
        double cap = 65535.0 / (double)(s->w > s->h ? s->w : s->h);
        if (f > cap)
            f = cap;
        if (f == 1.0)
            continue;
        long w = lround(s->w * f);
        long h = lround(s->h * f);
        w = w < 1 ? 1 : w > 65535 ? 65535 : w;
        h = h < 1 ? 1 : h > 65535 ? 65535 : h;
        out(S, BTREE_OUT_DEBUG, "photo %u: %dx%d laid out as %ldx%ld", k + 1, s->w, s->h, w, h);
        s->w = (int)w;
        s->h = (int)h;
    }
}

/*
** Invariant walker (tests)
*/

struct CheckState
{
    std::vector<char> ids; /* seen flags, index = id */
    std::vector<char> imgs; /* seen flags, index = photo number */
    const char *why;
};

static int fail(CheckState *st, const char *why)
{
    if (st->why == NULL)
        st->why = why;
    return 1;
}

static int checknode(const BTree *btree, const BNode *node, CheckState *st)
{
    if (node->id < 1 || (uint32_t)node->id > btree->count)
        return fail(st, "id out of range");
    if (st->ids[node->id]++)
        return fail(st, "id given twice");
    if (node->type == BNODE_LEAF) {
        if (node->a || node->b)
            return fail(st, "leaf with a child");
        if (node->img < 1 || (uint32_t)node->img > btree->img)
            return fail(st, "photo number out of range");
        if (st->imgs[node->img]++)
            return fail(st, "photo number given twice");
        if (node->depth_a || node->depth_b)
            return fail(st, "leaf with a depth");
        return 0;
    }
    if (node->type != BNODE_STACK && node->type != BNODE_SIDE)
        return fail(st, "unknown node kind");
    if (!node->a || !node->b)
        return fail(st, "inner node without two children");
    if (node->img != -1)
        return fail(st, "inner node with a photo number");
    if (node->a->parent != node || node->b->parent != node)
        return fail(st, "parent link disagrees");
    if (checknode(btree, node->a, st) || checknode(btree, node->b, st))
        return 1;
    if (node->depth_a != depth(node->a) || node->depth_b != depth(node->b))
        return fail(st, "depth disagrees with the children");
    return 0;
}

/* Each number at most once is not enough: the header's counts must be met, too. */
static int allseen(const CheckState *st)
{
    for (size_t k = 1; k < st->ids.size(); k++)
        if (!st->ids[k])
            return 0;
    for (size_t k = 1; k < st->imgs.size(); k++)
        if (!st->imgs[k])
            return 0;
    return 1;
}

/* A child's rectangle must be its slot's part of the parent's; with no 1-pixel length cut,
** that makes the leaves tile the root. */
static int checkplace(const BNode *node, CheckState *st)
{
    if (node->type == BNODE_LEAF)
        return 0;
    const BNode *a = node->a;
    const BNode *b = node->b;
    if (a->x != node->x || a->y != node->y)
        return fail(st, "A child not at the parent's corner");
    if (node->type == BNODE_STACK) {
        if (node->h != 1
            && (a->w != node->w || b->w != node->w || a->h + b->h != node->h || b->x != node->x
                || b->y != node->y + a->h))
            return fail(st, "stacked children do not tile their parent");
    } else if (node->w != 1
               && (a->h != node->h || b->h != node->h || a->w + b->w != node->w || b->y != node->y
                   || b->x != node->x + a->w)) {
        return fail(st, "side-by-side children do not tile their parent");
    }
    return checkplace(a, st) || checkplace(b, st);
}

int btree_check(const BTree *btree, int placed, const char **why)
{
    CheckState st;
    st.why = NULL;
    const BNode *root = btree->root;
    if (root == NULL) {
        if (btree->count || btree->img)
            fail(&st, "numbers without a root");
    } else if (root->parent != NULL) {
        fail(&st, "root with a parent");
    } else if (btree->count != 2 * btree->img - 1) {
        fail(&st, "count is not 2 img - 1");
    } else {
        st.ids.assign(btree->count + 1, 0);
        st.imgs.assign(btree->img + 1, 0);
        if (!checknode(btree, root, &st) && !allseen(&st)) {
            fail(&st, "a number is missing");
        } else if (st.why == NULL && placed) {
            if (root->x != 0 || root->y != 0 || root->w != btree->width || root->h != btree->height)
                fail(&st, "root rectangle is not the canvas");
            else
                checkplace(root, &st);
        }
    }
    if (why)
        *why = st.why;
    return st.why != NULL;
}
