// Times the layout worker's whole sequence (without painting the progress pictures) for 10, 50
// and 100 photos of mixed shapes on a 1200x800 canvas, and reports the resulting quality; then
// the refit of that layout to an 800x1200 canvas, which must take less time than a fresh one.
#include "btree_internal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

const BSize shapes[] = {{4000, 3000}, {3000, 4000}, {1920, 1080}, {2000, 2000},
                        {3000, 2000}, {4000, 1000}, {2400, 3600}, {1600, 1200}};

std::vector<BSize> photos(int n)
{
    std::vector<BSize> list;
    for (int k = 0; k < n; k++)
        list.push_back(shapes[(k * 5 + k / 8) % 8]);
    return list;
}

void silent(int, const char *, void *) { }

void collect(const BNode *node, double &loss)
{
    if (node->type != BNODE_LEAF) {
        collect(node->a, loss);
        collect(node->b, loss);
        return;
    }
    double rc = double(node->w) / node->h;
    double rp = double(node->img_w) / node->img_h;
    loss += 1.0 - std::min(rc / rp, rp / rc);
}

struct Result
{
    double ms;
    double refit_ms; /* the finished layout refitted to portrait */
    double objective;
    double croploss;
};

Result measure(BContext *context, int n, int runs)
{
    // Laid out as the window and vellomir-collage lay out: on fair sizes.
    std::vector<BSize> list = photos(n);
    btree_fair_sizes(context, list.data(), nullptr, unsigned(n));
    std::vector<double> times;
    Result result {0, 0, 0, 0};
    BTree *tree = btree_new();
    for (int run = 0; run < runs; run++) {
        btree_clear(tree);
        auto start = std::chrono::steady_clock::now();
        btree_layout(context, tree, list.data(), unsigned(n), 1200, 800, 4242, nullptr);
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    result.ms = times[times.size() / 2];
    std::vector<double> refits;
    for (int run = 0; run < runs; run++) {
        BTree *copy = btree_copy(tree);
        auto start = std::chrono::steady_clock::now();
        btree_relayout(context, copy, list.data(), unsigned(n), 800, 1200, 4242, nullptr);
        auto end = std::chrono::steady_clock::now();
        refits.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        btree_free(copy);
    }
    std::sort(refits.begin(), refits.end());
    result.refit_ms = refits[refits.size() / 2];
    result.objective = btree_objective(tree->root, btree_min_size(tree));
    double loss = 0;
    collect(tree->root, loss);
    result.croploss = loss / n;
    btree_clear(tree);
    free(tree);
    return result;
}

} // namespace

int main()
{
    BContext *context = btree_context_new(silent, nullptr);
    const int runs = 9;
    std::printf("%8s %12s %12s %14s %10s\n", "photos", "median_ms", "refit_ms", "objective",
                "croploss");
    Result last {0, 0, 0, 0};
    for (int n : {10, 50, 100}) {
        last = measure(context, n, runs);
        std::printf("%8d %12.2f %12.2f %14.6f %10.4f\n", n, last.ms, last.refit_ms, last.objective,
                    last.croploss);
    }
    std::printf("layout100_ms=%.1f refit100_ms=%.1f objective100=%.6f croploss100=%.4f\n", last.ms,
                last.refit_ms, last.objective, last.croploss);
    btree_context_free(context);
    return 0;
}
