// Combination tables and stepping against a brute-force enumeration of subsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "util/comb_util.h"
#include "util/sudoku_combinations.h"

namespace {

// All k-subsets of 0..n-1 in lexicographic order, by enumerating bit masks and sorting.
std::vector<std::vector<int>> brute_subsets(int n, int k) {
    std::vector<std::vector<int>> out;
    for (int mask = 0; mask < (1 << n); ++mask) {
        if (__builtin_popcount(mask) != k) continue;
        std::vector<int> s;
        for (int i = 0; i < n; ++i)
            if (mask >> i & 1) s.push_back(i);
        out.push_back(s);
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(Combinations, TablesMatchBruteForce) {
    initialize_comb_routine();
    for (int n = 0; n <= 9; ++n) {
        for (int k = 0; k <= 9; ++k) {
            if (k > n) {
                EXPECT_EQ(n_combinations(n, k), 0);
                continue;
            }
            auto expected = brute_subsets(n, k);
            ASSERT_EQ(n_combinations(n, k), static_cast<int>(expected.size())) << n << " " << k;
            for (size_t i = 0; i < expected.size(); ++i) {
                const int* got = combination_for_combnumber(n, k, static_cast<int>(i));
                for (int j = 0; j < k; ++j) EXPECT_EQ(got[j], expected[i][j]) << n << " " << k << " " << i;
            }
        }
        EXPECT_EQ(combs_for_n_k[n][0][0][0], 0);
    }
    EXPECT_EQ(n_combinations(9, 4), 126);
    const int* last = combination_for_combnumber(5, 3, 9);
    EXPECT_EQ(std::vector<int>(last, last + 3), (std::vector<int>{2, 3, 4}));
}

TEST(Combinations, Stepping) {
    int done[3] = {2, 3, 4};
    EXPECT_FALSE(generate_combination(3, 5, done));
    int mid[3] = {0, 3, 4};
    EXPECT_TRUE(generate_combination(3, 5, mid));
    EXPECT_EQ(std::vector<int>(mid, mid + 3), (std::vector<int>{1, 2, 3}));
    int fresh[3] = {0, 0, 0};
    EXPECT_TRUE(generate_combination(3, 5, fresh));
    EXPECT_EQ(std::vector<int>(fresh, fresh + 3), (std::vector<int>{0, 1, 2}));
    // generate_combination1 has no start rule: stepping from the first subset walks them all.
    int v[4];
    initialize_comb(4, v);
    int count = 1;
    while (generate_combination1(4, 7, v)) ++count;
    EXPECT_EQ(count, 35);
    int one = 0;
    count = 1;
    while (generate_combination_kequals1(6, &one)) ++count;
    EXPECT_EQ(count, 6);
    EXPECT_EQ(one, 5);
}

TEST(Combinations, InverseIsTheComplement) {
    for (int k = 0; k <= 9; ++k) {
        for (int i = 0; i < n_combinations(9, k); ++i) {
            int comb[10];
            const int* c = combination_for_combnumber(9, k, i);
            std::copy(c, c + k, comb);
            comb[k] = -1;
            int out[9];
            inverse_combination(9, comb, out);
            std::vector<int> all(comb, comb + k);
            all.insert(all.end(), out, out + 9 - k);
            std::sort(all.begin(), all.end());
            for (int j = 0; j < 9; ++j) ASSERT_EQ(all[j], j);
            EXPECT_TRUE(std::is_sorted(out, out + 9 - k));
        }
    }
}

}  // namespace
