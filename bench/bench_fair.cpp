// The share of each photo its crop hides, for a set of small photos among phone photos: laid
// out as given, and with the fair shares the window and vellomir-collage use. Twenty seeds on
// the default 800x600 canvas.
#include "btree.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// 18 photos of 640x480 among 82 phone photos of 8 to 12 megapixels, in a fixed mixed order.
std::vector<BSize> mixedSet()
{
    const BSize phones[] = {{4000, 3000}, {3000, 4000}, {3264, 2448}, {2448, 3264},
                            {3840, 2160}, {2160, 3840}, {4032, 3024}, {3024, 4032}};
    std::vector<BSize> list;
    int phone = 0;
    int small = 0;
    for (int k = 0; k < 100; k++) {
        if (k % 5 == 2 && small < 18) {
            list.push_back(BSize {640, 480});
            small++;
        } else {
            list.push_back(phones[phone++ % 8]);
        }
    }
    return list;
}

void silent(int, const char *, void *) { }

// The hidden share of photo `shape` in a cell of `w` x `h`.
double hidden(const BSize &shape, int w, int h)
{
    const double rc = double(w) / h;
    const double rp = double(shape.w) / shape.h;
    return 1.0 - std::min(rc / rp, rp / rc);
}

double meanLoss(BContext *context, const std::vector<BSize> &photos,
                const std::vector<BSize> &laidOut, unsigned seed)
{
    BTree *tree = btree_new();
    btree_layout(context, tree, laidOut.data(), unsigned(laidOut.size()), 800, 600, seed, nullptr);
    double loss = 0;
    for (unsigned k = 0; k < photos.size(); k++) {
        const BNode *leaf = btree_find_img(tree->root, int(k) + 1);
        loss += hidden(photos[k], leaf->w, leaf->h);
    }
    btree_free(tree);
    return loss / double(photos.size());
}

} // namespace

int main()
{
    BContext *context = btree_context_new(silent, nullptr);
    const std::vector<BSize> photos = mixedSet();
    std::vector<BSize> fair = photos;
    btree_fair_sizes(context, fair.data(), nullptr, unsigned(fair.size()));
    int small = 0;
    for (const BSize &s : photos)
        small += s.w == 640;

    double sum[2] = {0, 0};
    double worst[2] = {0, 0};
    const unsigned seeds = 20;
    std::printf("%6s %12s %12s\n", "seed", "as_given", "fair");
    for (unsigned seed = 1; seed <= seeds; seed++) {
        const double loss[2]
            = {meanLoss(context, photos, photos, seed), meanLoss(context, photos, fair, seed)};
        for (int i = 0; i < 2; i++) {
            sum[i] += loss[i];
            worst[i] = std::max(worst[i], loss[i]);
        }
        std::printf("%6u %11.1f%% %11.1f%%\n", seed, 100 * loss[0], 100 * loss[1]);
    }
    std::printf("%d small photos among %zu; mean hidden share over %u seeds\n", small,
                photos.size(), seeds);
    std::printf("croploss_given=%.4f worst_given=%.4f croploss_fair=%.4f worst_fair=%.4f\n",
                sum[0] / seeds, worst[0], sum[1] / seeds, worst[1]);
    btree_context_free(context);
    return 0;
}
