// The random pool, its seeding hook, random subsets, the stable sorts and the bit pickers.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "util/comb_util.h"
#include "util/insertion_sort.h"
#include "util/rand_utils.h"
#include "util/utility.h"

namespace {

struct Unseed {
    ~Unseed() { rand_unseed_thread(); }
};

std::vector<uint32_t> draws(int n) {
    std::vector<uint32_t> v;
    for (int i = 0; i < n; ++i) v.push_back(arc4random());
    return v;
}

TEST(Random, UniformBoundsAndRoughUniformity) {
    Unseed u;
    rand_seed_thread(12345);
    EXPECT_EQ(arc4random_uniform(0), 0u);
    EXPECT_EQ(arc4random_uniform(1), 0u);
    rand_unseed_thread();
    for (uint32_t upper : {2u, 3u, 9u, 81u, 1000u, 0x80000001u}) {
        for (int i = 0; i < 2000; ++i) ASSERT_LT(arc4random_uniform(upper), upper);
    }
    // 9 buckets, 90,000 draws: each near 10,000; a chi-square over 8 degrees of freedom < 40.
    std::vector<int> counts(9);
    for (int i = 0; i < 90000; ++i) ++counts[arc4random_uniform(9)];
    double chi = 0;
    for (int c : counts) chi += (c - 10000.0) * (c - 10000.0) / 10000.0;
    EXPECT_LT(chi, 40.0);
}

TEST(Random, BoundZeroAndOneLeaveThePoolAlone) {
    Unseed u;
    rand_seed_thread(7);
    auto expected = draws(5);
    rand_seed_thread(7);
    (void)arc4random_uniform(0);
    (void)arc4random_uniform(1);
    EXPECT_EQ(draws(5), expected);
}

TEST(Random, SeedingReproducesAndIsPerThread) {
    Unseed u;
    rand_seed_thread(42);
    auto a = draws(200);  // crosses several refills
    rand_seed_thread(42);
    auto b = draws(200);
    EXPECT_EQ(a, b);
    rand_seed_thread(43);
    EXPECT_NE(draws(200), a);
    // Another thread still draws from the kernel: its words differ from the seeded sequence.
    rand_seed_thread(42);
    std::vector<uint32_t> other;
    std::thread t([&] { other = draws(200); });
    t.join();
    EXPECT_NE(other, a);
    EXPECT_EQ(draws(200), a);
    rand_unseed_thread();
    EXPECT_NE(draws(200), a);
}

TEST(Random, RandomCombination) {
    Unseed u;
    rand_seed_thread(1);
    int v[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(random_combination(9, 9, v), v);
    std::vector<int> sorted(v, v + 9);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // Draws of 3 from 0..8: every value chosen about a third of the time.
    std::vector<int> hits(9);
    for (int i = 0; i < 9000; ++i) {
        int w[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
        int* chosen = random_combination(3, 9, w);
        EXPECT_EQ(chosen, w + 6);
        for (int j = 0; j < 3; ++j) ++hits[chosen[j]];
    }
    for (int h : hits) EXPECT_NEAR(h, 3000, 300);
}

TEST(Sorts, StableInBothDirections) {
    int keys[] = {3, 1, 3, 2};
    int a = 0, b = 1, c = 2, d = 3;
    void* items[] = {&a, &b, &c, &d};
    sort_by_insertion(keys, 4, items);
    EXPECT_EQ(std::vector<int>(keys, keys + 4), (std::vector<int>{3, 3, 2, 1}));
    EXPECT_EQ(items[0], &a);
    EXPECT_EQ(items[1], &c);
    EXPECT_EQ(items[2], &d);
    EXPECT_EQ(items[3], &b);

    int up[] = {5, 2, 5, 1, 2, 0};
    int tags[] = {0, 1, 2, 3, 4, 5};
    sort_by_insertion_ascending(up, 6, tags);
    EXPECT_EQ(std::vector<int>(up, up + 6), (std::vector<int>{0, 1, 2, 2, 5, 5}));
    EXPECT_EQ(std::vector<int>(tags, tags + 6), (std::vector<int>{5, 3, 1, 4, 0, 2}));
    int plain[] = {4, -1, 7, 0};
    sort_by_insertion_ascending(plain, 4);
    EXPECT_EQ(std::vector<int>(plain, plain + 4), (std::vector<int>{-1, 0, 4, 7}));
    sort_by_insertion_ascending(plain, 0);
}

TEST(Bits, Pickers) {
    EXPECT_EQ(get_nth_nonzero_bit(0x0a4, 2), 0x20u);
    EXPECT_EQ(find_nth_nonzero_bit(0x0a4, 2), 5);
    EXPECT_EQ(get_nth_nonzero_bit(0x0a4, 0), 1u);
    EXPECT_EQ(find_nth_nonzero_bit(0x0a4, -3), 0);
    EXPECT_EQ(find_nth_nonzero_bit(0x0a5, 1), 2) << "bit 0 is not a digit";
    EXPECT_EQ(find_nth_nonzero_bit(0x0a4, 4), 0) << "fewer set bits than asked";

    int mask = 0x0a4;  // digits 2, 5, 7; clear: 1, 3, 4, 6, 8, 9...
    EXPECT_EQ(set_nth_zero_bit_to_one(&mask, 3), 4);
    EXPECT_EQ(mask, 0x0b4);
    EXPECT_EQ(set_nth_zero_bit_to_one(&mask, 0), 0);
    EXPECT_EQ(set_nth_zero_bit_to_one(nullptr, 1), 0);
    int full = -2;  // bits 1..31 set
    EXPECT_EQ(set_nth_zero_bit_to_one(&full, 1), 0);
    EXPECT_EQ(full, -2);
}

}  // namespace
