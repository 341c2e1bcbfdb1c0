#ifndef BTREE_H
#define BTREE_H

/*
** Layout engine: a binary tree over the photos of a collage.
**
** Every leaf shows one photo; every inner node cuts its rectangle in two, stacked (A above B)
** or side by side (A left of B). btree_fit() gives each node its size for a canvas,
** btree_place() its position, and the optimisation changes the tree in place by flips,
** exchanges and rotations, keeping a change only when the balance objective does not get
** worse.
**
** Contract: plain records and free functions, no exceptions, no locking; a tree is used by one
** thread at a time. Broken invariants and exhausted memory stop the program through assert().
** All the engine's own state lives in a context (BContext), which every call that draws a
** random number or writes anything takes first, as Lua's calls take their lua_State: the
** random generator, the output sink and the optimiser's scratch. Nothing is shared between
** contexts, so layouts on separate contexts and trees may run at once on separate threads; a
** context, like a tree, is used by one thread at a time. The generator gives, for a seed,
** exactly the numbers glibc's rand() gives after srand() with that seed, drawn in a fixed
** order, so a seed and a photo list decide the layout. Everything the engine writes goes to
** its context's output sink.
*/

#include <stdint.h>

enum { BNODE_LEAF = 0, BNODE_STACK = 1, BNODE_SIDE = 2 };
enum { BNODE_A = 0, BNODE_B = 1 };

typedef struct BNode
{
    struct BNode *a; /* child in slot A: upper part of a stack, left of a side; null in a leaf */
    struct BNode *b; /* child in slot B: lower part, or right part; null in a leaf */
    struct BNode *parent; /* parent node; null for the root */
    uint32_t type; /* BNODE_LEAF, BNODE_STACK or BNODE_SIDE */
    int32_t id; /* node number 1..count; -1 until attached */
    int32_t img; /* photo number 1..img of a leaf; -1 in inner nodes */
    uint16_t img_w; /* natural photo width in pixels; 0 in inner nodes */
    uint16_t img_h; /* natural photo height in pixels; 0 in inner nodes */
    uint16_t w; /* rectangle width in pixels */
    uint16_t h; /* rectangle height in pixels */
    int32_t x; /* left edge in canvas pixels */
    int32_t y; /* top edge in canvas pixels */
    uint32_t depth_a; /* depth of subtree A: 1 + max of its depths; 0 in leaves */
    uint32_t depth_b; /* depth of subtree B, likewise */
    uint32_t nat_w; /* natural width while fitting; 32 bits so that sums never wrap */
    uint32_t nat_h; /* natural height while fitting */
} BNode;

typedef struct BTree
{
    uint32_t count; /* number of nodes; also the highest id given out */
    uint32_t img; /* number of leaves; also the highest photo number given out */
    uint16_t width; /* canvas width in pixels */
    uint16_t height; /* canvas height in pixels */
    BNode *root; /* root node; null for an empty tree */
} BTree;

typedef struct BSize
{
    int w; /* photo width in pixels, 1..65535 */
    int h; /* photo height in pixels, 1..65535 */
} BSize;

typedef void (*bnode_visit_fn)(BNode *node);

/* Output sink. Channel BTREE_OUT_STDOUT carries the bracket print and the tenth pass numbers
** (text without added line ends); BTREE_OUT_DEBUG carries one trace line per call, without a
** line end. The default sink writes the first to stdout and the second, with a line end, to
** stderr. */
enum { BTREE_OUT_STDOUT = 0, BTREE_OUT_DEBUG = 1 };
typedef void (*btree_sink_fn)(int channel, const char *text, void *user);
void btree_sink_default(int channel, const char *text, void *user);

/* Context. A new context writes to `sink` with `user` (a null sink: the default one) and has
** its generator seeded with 1, as rand() is before any srand(). btree_context_sink() changes
** the sink likewise; btree_context_free() takes any context (or null) back. btree_seed() and
** btree_random() are srand() and rand() on the context's own generator: callers whose draws
** are part of a layout's sequence (the progress pictures' tints) draw through them. */
typedef struct BContext BContext;
BContext *btree_context_new(btree_sink_fn sink, void *user);
void btree_context_sink(BContext *S, btree_sink_fn sink, void *user);
void btree_context_free(BContext *S);
void btree_seed(BContext *S, unsigned seed);
int btree_random(BContext *S);

/* Tree data model */
BTree *btree_new(void);
void btree_clear(BTree *btree);
BNode *bnode_new(uint32_t type);
BNode *bnode_new_leaf(int width, int height);
void btree_attach(BTree *btree, BNode *parent, BNode *node, int ab);
BNode *btree_find(BNode *node, int id);
BNode *btree_find_img(BNode *node, int img);
void btree_visit_pre(BNode *node, bnode_visit_fn fn);
void btree_visit_post(BNode *node, bnode_visit_fn fn);
void bnode_update_depth(BNode *node);
void bnode_update_depth_up(BNode *node);
void btree_print(BContext *S, BNode *node, int depth);

/* A deep copy, allocated like btree_new(): the same numbers, kinds, sizes, positions, depths and
** natural sizes, and the same canvas, sharing no node with the original, so that an undo can
** keep one. btree_free() takes any tree (or null) back; btree_equal() is 1 when the canvas, the
** counts and every node's kind, numbers, photo size and rectangle agree, else 0. */
BTree *btree_copy(const BTree *btree);
void btree_free(BTree *btree);
int btree_equal(const BTree *a, const BTree *b);

/* Editing */
/* Takes `leaf` out of the tree: its sibling takes the parent's place, and the leaf and its
** parent are freed. The numbers stay dense: ids above the two removed ones and photo numbers
** above the leaf's move down, in their old order, so a caller's 0-based photo list stays in
** step by dropping entry img - 1. The last leaf leaves an empty tree with its canvas size.
** Depths are brought up to date; sizes are not: the caller refits. */
void btree_remove_leaf(BTree *btree, BNode *leaf);
/* Two leaves trade photos (number and sizes); the shape, the ids and the rectangles stay until
** the caller refits. Doing it twice restores the tree. */
void btree_swap_photos(BNode *s, BNode *t);

/* Geometry */
void btree_fit(BNode *root, uint16_t width, uint16_t height);
void btree_place(BNode *parent, int32_t x, int32_t y);

/* Fits the tree to its canvas and places it at 0,0: what an edit is followed by. An empty tree
** is left alone. */
void btree_refit(BTree *btree);

/* The whole layout run: seed, build, fit, depths, balance, 101 passes, place. `progress`
** receives 0..100 and then 0; `picture` is called after passes 0, 20, .., 100 with the tree
** placed, and must draw three btree_random() numbers per leaf in pre-order (the progress
** pictures' tints), which are part of the sequence. A null `picture` makes those draws itself.
** The leaves carry the sizes the layout ran with. */
typedef struct BLayoutHooks
{
    void (*progress)(int value, void *user); /* may be null */
    void (*picture)(BContext *S, BTree *btree, void *user); /* may be null */
    void *user; /* handed to both */
} BLayoutHooks;
void btree_layout(BContext *S, BTree *btree, const BSize *sizes, unsigned n, uint16_t width,
                  uint16_t height, unsigned seed, const BLayoutHooks *hooks);

/* The passes again, from the tree as it stands: photo k takes sizes[k - 1] (n is the tree's
** photo count), the tree takes the canvas, and the optimisation runs from there on the
** generator seeded with `seed`, keeping a change only when it improves the score, until five
** passes in a row keep nothing or 60 passes have run. When the canvas changes shape, the score
** is the objective plus, for each photo whose size stays, the squared distance its cell's
** centre moved, in shares of the canvas's sides, from where the tree as it stands, stretched
** to the new canvas, puts it, weighted by how far the shape changed: photos keep their places
** and their neighbours where the objective allows. What the score does not ask to change
** stays: the places, the kinds and the shape. `progress` receives the pass numbers and then 0;
** `picture` is not called. The tree comes back fitted and placed; an empty tree is left alone.
** The same tree, sizes, canvas and seed give the same result. */
void btree_relayout(BContext *S, BTree *btree, const BSize *sizes, unsigned n, uint16_t width,
                    uint16_t height, unsigned seed, const BLayoutHooks *hooks);

/* Fair shares for photos of mixed resolution, in place. With A the largest area among the
** photos, each photo of less than A/2 is sized like a photo of area A/2 of its own shape (its
** sides times sqrt(A / 2wh)); a photo that would not grow keeps its size. Then photo k's area
** is multiplied by its emphasis emphasis[k] (its sides by the square root), the share of the
** canvas the layout aims to give it against the others: 0.5, 1, 2 or 4 in the window, any
** value from 1/16 to 16 here; others, and a null `emphasis`, count as 1. Sides are held to
** 65535 (the longer one, keeping the shape) and rounded, each at least 1; a photo outside
** 1..65535 stays as it is. Photos of one camera without emphasis are left alone. Callers apply
** it to the sizes they hand to btree_layout() and btree_relayout(); the trace names each photo
** resized. */
void btree_fair_sizes(BContext *S, BSize *sizes, const double *emphasis, unsigned n);

/* Invariant walker, for the tests and for trees read from files: 0 when every invariant holds
** (ids, photo numbers, links, depths and, when `placed`, the tiling of the root's rectangle),
** otherwise a short reason in `why`. */
int btree_check(const BTree *btree, int placed, const char **why);

#endif /* BTREE_H */
