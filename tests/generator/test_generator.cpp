// Harvests and targeted searches: every stored puzzle is unique, fits its solution and its bucket.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "classify/puzzle_classify.h"
#include "ffi/quorvel.h"
#include "generator/generator.h"
#include "support/exact_search.h"
#include "util/rand_utils.h"

namespace {

constexpr long kNodeLimit = 200000;

GenParams params_for(int jigsaw, int x, uint32_t seed) {
    GenParams p{};
    p.map_kind = jigsaw;
    p.adjacency = x;
    p.classify_node_limit = kNodeLimit;
    p.seed = seed;
    return p;
}

// Harvest on a reproducible solution: the thread's random pool is seeded first.
HarvestResult seeded_harvest(const GenParams& p, uint64_t pool_seed) {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    rand_seed_thread(pool_seed);
    const HarvestResult r = generate_harvest(p);
    rand_unseed_thread();
    sudoku_set_group_maps_dir(nullptr);
    return r;
}

// A stored puzzle must have exactly one solution (by an independent search), agree with the
// harvest's solution on every clue, and classify into the bucket it is stored under.
void expect_puzzle_fits(const int32_t* clues, int clue_count, int bucket, const int32_t* solution,
                        const int32_t* groups, int jigsaw, int x) {
    Matrix<int, 9> map{};
    int n = 0;
    for (int k = 0; k < 81; ++k) {
        map[k / 9][k % 9] = groups[k];
        if (clues[k]) {
            ++n;
            EXPECT_EQ(clues[k], solution[k]) << "cell " << k;
        }
    }
    EXPECT_EQ(n, clue_count);
    ExactSearch search;
    EXPECT_EQ(search.count_solutions(map, x == 1, clues), 1);
    int c[9][9], g[9][9];
    std::memcpy(c, clues, sizeof c);
    std::memcpy(g, groups, sizeof g);
    const ClassifyResult r = classify_puzzle(jigsaw, x, c, g, 0);
    EXPECT_TRUE(r.unique);
    EXPECT_EQ(gen_bucket_index(r.label), bucket);
}

bool boxes(const int32_t* groups) {
    for (int k = 0; k < 81; ++k)
        if (groups[k] != (k / 27) * 3 + (k % 9) / 3) return false;
    return true;
}

}  // namespace

TEST(DigOrder, IsAPermutationAndAdvancesTheStateOncePerSwap) {
    uint32_t x = kHarvestDefaultSeed, y = kHarvestDefaultSeed;
    int order[81];
    shuffle_dig_order(x, order);
    bool seen[81] = {};
    for (int k : order) {
        ASSERT_TRUE(k >= 0 && k < 81);
        EXPECT_FALSE(seen[k]);
        seen[k] = true;
    }
    for (int i = 0; i < 80; ++i) xorshift32(y);
    EXPECT_EQ(x, y);
    // The last entry is chosen first: the first step's state, taken mod 81.
    uint32_t z = kHarvestDefaultSeed;
    EXPECT_EQ(order[80], static_cast<int>(xorshift32(z) % 81));
}

TEST(Harvest, SeedZeroAndEqualSeedsDigAlike) {
    const HarvestResult zero = seeded_harvest(params_for(0, 0, 0), 11);
    const HarvestResult dflt = seeded_harvest(params_for(0, 0, kHarvestDefaultSeed), 11);
    ASSERT_TRUE(zero.ok);
    EXPECT_EQ(std::memcmp(zero.solution, dflt.solution, sizeof zero.solution), 0);
    EXPECT_EQ(std::memcmp(zero.bucket_clues, dflt.bucket_clues, sizeof zero.bucket_clues), 0);
    EXPECT_EQ(zero.classify_calls, dflt.classify_calls);

    const HarvestResult a = seeded_harvest(params_for(1, 0, 77), 12);
    const HarvestResult b = seeded_harvest(params_for(1, 0, 77), 12);
    const HarvestResult c = seeded_harvest(params_for(1, 0, 78), 12);
    EXPECT_EQ(std::memcmp(a.bucket_clues, b.bucket_clues, sizeof a.bucket_clues), 0);
    EXPECT_EQ(std::memcmp(a.bucket_filled, b.bucket_filled, sizeof a.bucket_filled), 0);
    EXPECT_EQ(std::memcmp(a.solution, c.solution, sizeof a.solution), 0);
    EXPECT_NE(std::memcmp(a.bucket_clues, c.bucket_clues, sizeof a.bucket_clues), 0);
}

TEST(Harvest, EveryStoredPuzzleOnEveryKindFitsItsBucket) {
    for (int jigsaw = 0; jigsaw < 2; ++jigsaw)
        for (int x = 0; x < 2; ++x) {
            SCOPED_TRACE(testing::Message() << "jigsaw " << jigsaw << " x " << x);
            const HarvestResult r = seeded_harvest(params_for(jigsaw, x, 0), 100 + 2 * jigsaw + x);
            ASSERT_TRUE(r.ok);
            EXPECT_EQ(boxes(r.groups), jigsaw == 0);
            EXPECT_GT(r.classify_calls, 0);
            EXPECT_LE(r.classify_calls, 81);
            int filled = 0;
            for (int b = 0; b < 10; ++b) {
                if (!r.bucket_filled[b]) continue;
                ++filled;
                expect_puzzle_fits(r.bucket_clues[b], r.bucket_clue_count[b], b, r.solution, r.groups, jigsaw, x);
            }
            EXPECT_GT(filled, 0);
        }
}

TEST(Targeted, AttemptCountsAndClosestPuzzle) {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    GenParams p = params_for(0, 0, 0);
    p.target_bucket = 3;
    p.max_attempts = -1;
    TargetedResult none = generate_targeted(p);
    EXPECT_EQ(none.ok, 0);
    EXPECT_EQ(none.bucket, -1);
    EXPECT_EQ(none.classify_calls, 0);

    // One attempt only: at most 81 dig classifications and the final one.
    p.max_attempts = 0;
    rand_seed_thread(5);
    const TargetedResult one = generate_targeted(p);
    EXPECT_EQ(one.attempt, 0);
    EXPECT_LE(one.classify_calls, 82);
    ASSERT_GE(one.bucket, 0);
    expect_puzzle_fits(one.clues, one.clue_count, one.bucket, one.solution, one.groups, 0, 0);
    EXPECT_LE(one.bucket, 3);
    EXPECT_EQ(one.ok, one.bucket == 3);

    // Bucket 1 ("easy") is reached within a few attempts; the puzzle is exactly that bucket.
    p.target_bucket = 1;
    p.max_attempts = 20;
    const TargetedResult easy = generate_targeted(p);
    ASSERT_EQ(easy.ok, 1);
    expect_puzzle_fits(easy.clues, easy.clue_count, 1, easy.solution, easy.groups, 0, 0);

    // A bucket outside the ladder is never reached: every attempt is made and the closest kept.
    p.target_bucket = 12;
    p.max_attempts = 2;
    const TargetedResult never = generate_targeted(p);
    rand_unseed_thread();
    sudoku_set_group_maps_dir(nullptr);
    EXPECT_EQ(never.ok, 0);
    EXPECT_EQ(never.attempt, 2);
    ASSERT_GE(never.bucket, 0);
    expect_puzzle_fits(never.clues, never.clue_count, never.bucket, never.solution, never.groups, 0, 0);
}

TEST(Targeted, FailingSolutionsStillEndTheSearch) {
    // A 1 ms deadline makes many jigsaw x solutions fail; failed attempts count, so the search for an
    // unreachable bucket ends after exactly max_attempts + 1 attempts however many of them failed.
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    GenParams p = params_for(1, 1, 0);
    p.solution_deadline_ms = 1;
    p.target_bucket = 12;
    p.max_attempts = 2;
    const TargetedResult r = generate_targeted(p);
    sudoku_set_group_maps_dir(nullptr);
    EXPECT_EQ(r.attempt, 2);
    EXPECT_EQ(r.ok, 0);
}

TEST(HarvestCalls, ResultsStayWithTheirThread) {
    // This thread never harvests: zeros and no buckets.
    int out[81];
    std::memset(out, 0x33, sizeof out);
    sudoku_harvest_solution(out);
    for (int v : out) EXPECT_EQ(v, 0);
    for (int b = -1; b <= 10; ++b) EXPECT_EQ(sudoku_harvest_clues(b, out), -1);

    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    struct Seen {
        int mask = 0;
        int solution[81], groups[81], colors[9];
        int clues[10][81], counts[10];
    };
    Seen seen[2];
    auto harvest = [&](int jigsaw, Seen& s) {
        s.mask = sudoku_generate_harvest(nullptr, jigsaw, jigsaw, 0, 0, 1234 + jigsaw);
        sudoku_harvest_solution(s.solution);
        sudoku_harvest_groupmap(s.groups);
        sudoku_harvest_colormap(s.colors);
        for (int b = 0; b < 10; ++b) s.counts[b] = sudoku_harvest_clues(b, s.clues[b]);
    };
    std::thread square(harvest, 0, std::ref(seen[0]));
    std::thread jigsaw(harvest, 1, std::ref(seen[1]));
    square.join();
    jigsaw.join();
    sudoku_set_group_maps_dir(nullptr);

    for (int t = 0; t < 2; ++t) {
        SCOPED_TRACE(t);
        const Seen& s = seen[t];
        ASSERT_NE(s.mask, 0);
        EXPECT_EQ(boxes(s.groups), t == 0);
        for (int b = 0; b < 10; ++b) {
            EXPECT_EQ(s.counts[b] >= 0, ((s.mask >> b) & 1) == 1);
            if (s.counts[b] >= 0) expect_puzzle_fits(s.clues[b], s.counts[b], b, s.solution, s.groups, t, t);
        }
    }
    EXPECT_EQ(sudoku_harvest_clues(0, out), -1);  // still nothing on this thread
    EXPECT_EQ(sudoku_harvest_clues(0, nullptr), -1);
}
