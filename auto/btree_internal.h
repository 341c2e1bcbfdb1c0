#ifndef BTREE_INTERNAL_H
#define BTREE_INTERNAL_H

/*
** Layout engine internals: the steps a layout run is made of, for the engine itself, its tests
** and its benchmarks. Callers that make collages use btree.h only. Everything here keeps the
** contract of btree.h; the calls that draw random numbers or write take the context first.
*/

#include "btree.h"

/* Construction and editing */
void btree_build(BContext *S, BTree *btree, const BSize *sizes, unsigned n);
void btree_insert(BTree *btree, BNode *leaf, uint32_t id, uint32_t type, int ab);
BNode *btree_rotate_left(BTree *btree, BNode *node);
BNode *btree_rotate_right(BTree *btree, BNode *node);
void btree_rebalance(BTree *btree, BNode *node);
void btree_rebalance_up(BTree *btree, BNode *node);
void btree_balance(BTree *btree, BNode *node);
void btree_swap(BNode *root, BNode *s, BNode *t);
void bnode_flip(BNode *node);

/* Geometry: the cut of one length in proportion to two others. */
void btree_split(uint16_t total, uint16_t *a, uint16_t *b);

/* Objective and optimisation. Each move tries its changes one by one and keeps a change when
** the objective of the changed tree, cut to the canvas, is not worse than *best (a rotation:
** better), which it then becomes. A move works out the natural sizes afresh, keeps the depths
** current and leaves the tree fitted to its canvas, not placed. */
int btree_min_size(const BTree *btree);
double btree_objective(const BNode *root, int min_size);
void btree_opt_flip_post(BContext *S, BTree *btree, BNode *node, double *best);
void btree_opt_flip_pre(BContext *S, BTree *btree, BNode *node, double *best);
void btree_opt_swap_leaves(BContext *S, BTree *btree, double *best);
void btree_opt_swap_nodes(BContext *S, BTree *btree, double *best);
void btree_opt_rotate(BContext *S, BTree *btree, double *best);
void btree_optimise_pass(BContext *S, BTree *btree, double *best, int k);

#endif /* BTREE_INTERNAL_H */
