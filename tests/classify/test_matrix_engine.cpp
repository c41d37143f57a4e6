// The exact counter against the brute-force search and an independent one; budget and cache.
#include <gtest/gtest.h>

#include "classify/matrix_engine.h"
#include "maps/square_group_map.h"
#include "support/exact_search.h"
#include "support/grid_checks.h"
#include "support/puzzle_builder.h"
#include "support/random_grids.h"

namespace {

using namespace matrix_engine;

Vec fixed_from(const int* clues) {
    Vec f{};
    for (int k = 0; k < 81; ++k)
        if (clues[k] >= 1 && clues[k] <= 9) f.set(9 * k + clues[k] - 1);
    return f;
}

int count(const Ops& ops, const int* clues, int (*out)[81], long budget = 1L << 40) {
    return count_completions_collect(ops, full_vec(), fixed_from(clues), 2, out, 0, budget);
}

// True when `grid` is a valid completion of `clues` on the map.
bool completes(const int (&groups)[9][9], bool x, const int* clues, const int* grid) {
    TestPuzzle t;
    Matrix<int, 9> map{};
    std::memcpy(map.m, groups, sizeof map.m);
    lay_out(t.p, x, map);
    for (int k = 0; k < 81; ++k) {
        if (clues[k] && clues[k] != grid[k]) return false;
        t->cells[k].solution = grid[k];
    }
    return solution_errors(*t, x, false).empty();
}

int brute_force_count(const int (&groups)[9][9], bool x, const int* clues) {
    TestPuzzle t;
    Matrix<int, 9> map{};
    std::memcpy(map.m, groups, sizeof map.m);
    std::string s(81, '.');
    for (int k = 0; k < 81; ++k)
        if (clues[k]) s[k] = static_cast<char>('0' + clues[k]);
    load_clues(t.p, s, x, map);
    t->solve(METHOD_SUBSETS);  // the cell-order search wants narrowed candidates
    t->solve_by_brute_force(nullptr, 0);
    return t->n_solutions;
}

TEST(MatrixEngine, CountsAgreeWithTwoOtherSearchesOnEveryMapKind) {
    rand_seed_thread(701);
    int seen[3] = {};
    for (int jigsaw = 0; jigsaw < 2; ++jigsaw) {
        for (int x = 0; x < 2; ++x) {
            for (int round = 0; round < 9; ++round) {
                const SolvedGrid g = random_solved_grid(jigsaw, x);
                const Ops* ops = compile(x, g.groups);
                ASSERT_NE(ops, nullptr);
                // Sparse draws give several solutions, dense ones one; a changed clue often none.
                std::array<int, 81> clues = random_clues(g, round < 3 ? 22 : 40);
                if (round >= 6)
                    for (int k = 0; k < 81; ++k)
                        if (clues[k]) {
                            clues[k] = clues[k] % 9 + 1;
                            break;
                        }
                int out[2][81] = {};
                const int n = count(*ops, clues.data(), out);
                Matrix<int, 9> map{};
                std::memcpy(map.m, g.groups, sizeof map.m);
                ExactSearch exact;
                const int expected = exact.count_solutions(map, x, clues.data(), 2, 200000);
                if (!exact.capped()) {
                    EXPECT_EQ(n, expected) << jigsaw << x << round;
                }
                EXPECT_EQ(n, brute_force_count(g.groups, x, clues.data())) << jigsaw << x << round;
                for (int i = 0; i < n; ++i) EXPECT_TRUE(completes(g.groups, x, clues.data(), out[i]));
                if (n == 2) {
                    EXPECT_NE(std::memcmp(out[0], out[1], sizeof out[0]), 0);
                }
                ++seen[n];
            }
        }
    }
    for (int n = 0; n < 3; ++n) EXPECT_GT(seen[n], 0) << "no clue set with " << n << " solutions";
}

TEST(MatrixEngine, BudgetEndsTheSearch) {
    const Ops* ops = compile(false, square_group_map.m);
    int empty[81] = {};
    long budget = 1;
    EXPECT_EQ(count_completions_collect(*ops, full_vec(), fixed_from(empty), 2, nullptr, 0, budget), -1);

    int grid[81], out[2][81] = {};
    for (int k = 0; k < 81; ++k) grid[k] = kGrid[k] - '0';
    budget = 1;
    EXPECT_EQ(count_completions_collect(*ops, full_vec(), fixed_from(grid), 2, out, 0, budget), 1);
    EXPECT_EQ(std::memcmp(out[0], grid, sizeof grid), 0);
    budget = 0;
    EXPECT_EQ(count_completions_collect(*ops, full_vec(), fixed_from(grid), 2, out, 0, budget), -1);

    grid[1] = grid[0];  // the same digit twice in row 0
    budget = 1;
    EXPECT_EQ(count_completions_collect(*ops, full_vec(), fixed_from(grid), 2, out, 0, budget), 0);
}

TEST(MatrixEngine, EmptyGridCompletionsKeepTheDiagonalsOnlyWithX) {
    int empty[81] = {};
    for (int x = 0; x < 2; ++x) {
        int out[2][81] = {};
        ASSERT_EQ(count(*compile(x, square_group_map.m), empty, out), 2);
        for (int i = 0; i < 2; ++i) EXPECT_TRUE(completes(square_group_map.m, x, empty, out[i]));
        EXPECT_NE(std::memcmp(out[0], out[1], sizeof out[0]), 0);
        if (!x) {
            unsigned diag = 0;
            for (int r = 0; r < 9; ++r) diag |= 1u << out[0][10 * r];
            EXPECT_NE(diag, 0x3feu) << "the first completion repeats a digit on the diagonal";
        }
    }
}

TEST(MatrixEngine, CacheHoldsOneEntryPerMapAndAdjacency) {
    int groups[9][9];
    std::memcpy(groups, square_group_map.m, sizeof groups);
    const Ops* a = compile(false, groups);
    EXPECT_EQ(compile(false, groups), a);
    EXPECT_NE(compile(true, groups), a);
    EXPECT_EQ(compile(true, groups)->n_units, 29);
    EXPECT_EQ(a->n_units, 27);
    groups[0][0] = 9;
    EXPECT_EQ(compile(false, groups), nullptr);
    groups[0][0] = 1;  // ten cells in group 1
    EXPECT_EQ(compile(false, groups), nullptr);
}

}  // namespace
