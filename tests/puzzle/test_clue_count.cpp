// The fast clue counter agrees with an independent exact search on every map kind.
#include <gtest/gtest.h>

#include "puzzle/clue_count.h"
#include "support/exact_search.h"
#include "support/puzzle_builder.h"
#include "support/random_grids.h"

namespace {

// A laid-out puzzle of the grid's map holding its solution, with the given cells as clues.
void load(TestPuzzle& p, const SolvedGrid& g, int x, const int* clues) {
    Matrix<int, 9> map{};
    for (int k = 0; k < 81; ++k) map[k / 9][k % 9] = g.groups[k / 9][k % 9];
    lay_out(p.p, x, map);
    for (int k = 0; k < 81; ++k) {
        p->cells[k].solution = 1 << g.digits[k];
        p->cells[k].status = clues[k] ? STATUS_CLUE : 0;
    }
}

int fast_count(const SolvedGrid& g, int x, const int* clues, int limit) {
    TestPuzzle p;
    load(p, g, x, clues);
    return ClueCounter(*p).count(clues, limit);
}

}  // namespace

// Random clue sets from 18 to 40 clues span many-solution, one-solution and (with a wrong digit)
// no-solution grids; the counter must agree with the slow search on each, up to the limit of 2.
TEST(ClueCounter, AgreesWithExactSearchOnAllKinds) {
    rand_seed_thread(4242);
    int seen[3] = {}, seen_removals = 0;
    for (int jigsaw = 0; jigsaw < 2; ++jigsaw) {
        for (int x = 0; x < 2; ++x) {
            const SolvedGrid g = random_solved_grid(jigsaw, x);
            Matrix<int, 9> map{};
            for (int k = 0; k < 81; ++k) map[k / 9][k % 9] = g.groups[k / 9][k % 9];
            for (int t = 0; t < 60; ++t) {
                std::array<int, 81> clues = random_clues(g, 18 + t % 23);
                if (t % 10 == 9) {  // a wrong digit somewhere empty: usually no solution at all
                    int k = 0;
                    while (clues[k]) ++k;
                    clues[k] = g.digits[k] % 9 + 1;
                }
                ExactSearch search;
                const int expected = search.count_solutions(map, x, clues.data());
                ASSERT_FALSE(search.capped());
                const int got = fast_count(g, x, clues.data(), 2);
                ASSERT_EQ(got, expected) << "jigsaw " << jigsaw << " x " << x << " try " << t;
                if (t % 10 != 9) {  // clues of the grid: is there a solution besides the grid itself?
                    TestPuzzle p;
                    load(p, g, x, clues.data());
                    const ClueCounter counter(*p);
                    ASSERT_EQ(counter.second_solution(*p), expected == 2) << "try " << t;
                    // Taking out one clue of a one-solution set, or two on odd tries: a second
                    // solution must differ at one of them.
                    int k = 0, k2 = 80;
                    while (k < 81 && !clues[k]) ++k;
                    while (k2 > k && !clues[k2]) --k2;
                    if (t % 2 == 0) k2 = k;
                    if (expected == 1 && k < 81) {
                        p->cells[k].status = p->cells[k2].status = 0;
                        clues[k] = clues[k2] = 0;
                        ExactSearch again;
                        ASSERT_EQ(counter.other_digit_at(*p, k, k2), again.count_solutions(map, x, clues.data()) == 2)
                            << "try " << t;
                        ++seen_removals;
                    }
                }
                ++seen[expected];
            }
        }
    }
    // The sample covers all three answers.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[2], 0);
    EXPECT_GT(seen_removals, 0);
}

TEST(ClueCounter, ClashingCluesAndFullGrids) {
    rand_seed_thread(77);
    const SolvedGrid g = random_solved_grid(1, 1);
    EXPECT_EQ(fast_count(g, 1, g.digits, 2), 1);
    int clash[81] = {};
    clash[0] = 5;
    clash[1] = 5;  // same row
    EXPECT_EQ(fast_count(g, 1, clash, 2), 0);
    const int empty[81] = {};
    EXPECT_EQ(fast_count(g, 1, empty, 2), 2);
    EXPECT_EQ(fast_count(g, 1, empty, 5), 5);
}
