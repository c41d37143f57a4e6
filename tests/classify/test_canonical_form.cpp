// The canonical form: the same for every orientation, digit renaming and group renumbering.
#include <gtest/gtest.h>

#include <cstring>

#include "classify/canonical_form.h"
#include "maps/square_group_map.h"
#include "support/random_grids.h"

namespace {

struct Grids {
    int clues[9][9];
    int groups[9][9];
};

Grids canonical(const Grids& in, int* t = nullptr, int* digit_map = nullptr) {
    Grids out{};
    canonical_form(in.clues, in.groups, out.clues, out.groups, t, digit_map);
    return out;
}

TEST(CanonicalForm, SameForEveryOrientationRenamingAndRenumbering) {
    rand_seed_thread(702);
    for (int jigsaw = 0; jigsaw < 2; ++jigsaw) {
        const SolvedGrid g = random_solved_grid(jigsaw, 0);
        const std::array<int, 81> clues = random_clues(g, 26);
        Grids base{};
        std::memcpy(base.clues, clues.data(), sizeof base.clues);
        std::memcpy(base.groups, g.groups, sizeof base.groups);
        const Grids want = canonical(base);
        for (int t = 0; t < 8; ++t) {
            int digit[10], group[9];
            for (int i = 0; i < 10; ++i) digit[i] = i;
            for (int i = 0; i < 9; ++i) group[i] = 8 - i;
            for (int i = 9; i > 1; --i) std::swap(digit[i], digit[1 + arc4random_uniform(i)]);
            Grids renamed{}, turned{};
            for (int k = 0; k < 81; ++k) {
                renamed.clues[k / 9][k % 9] = digit[base.clues[k / 9][k % 9]];
                renamed.groups[k / 9][k % 9] = group[base.groups[k / 9][k % 9]];
            }
            orient_grid(t, renamed.clues, turned.clues);
            orient_grid(t, renamed.groups, turned.groups);
            const Grids got = canonical(turned);
            EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "orientation " << t;
        }
    }
}

TEST(CanonicalForm, EmptySquareGridAndALoneDigit) {
    Grids g{};
    std::memcpy(g.groups, square_group_map.m, sizeof g.groups);
    int t = -1, digit_map[10];
    Grids out = canonical(g, &t, digit_map);
    EXPECT_EQ(t, 0) << "every orientation ties on the boxes";
    for (int d = 0; d <= 9; ++d) EXPECT_EQ(digit_map[d], d);
    for (int k = 0; k < 81; ++k) EXPECT_EQ(out.clues[k / 9][k % 9], 0);
    EXPECT_EQ(std::memcmp(out.groups, square_group_map.m, sizeof out.groups), 0);

    g.clues[0][0] = 7;
    const CanonicalLabels labels = canonicalize(g.clues, g.groups, out.clues, out.groups);
    EXPECT_EQ(labels.inverse_digit[1], 7);
    int ones = 0;
    for (int k = 0; k < 81; ++k) ones += out.clues[k / 9][k % 9] == 1;
    EXPECT_EQ(ones, 1);

    // Values outside the ranges are read as empty clues and group 0, never as table indexes.
    g.clues[4][4] = 42;
    g.groups[8][8] = -3;
    canonical(g, &t, digit_map);
}

}  // namespace
