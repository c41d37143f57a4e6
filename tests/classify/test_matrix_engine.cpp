// The exact counter against the brute-force search and an independent one; budget and cache.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

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

// Count, node count and the two collected solutions of one search.
struct Trace {
    int n;
    long nodes;
    int out[2][81];
    bool operator==(const Trace& o) const {
        return n == o.n && nodes == o.nodes && std::memcmp(out, o.out, sizeof out) == 0;
    }
};

Trace trace(const Ops& ops, const int* clues) {
    Trace t{};
    long budget = 1L << 40;
    t.n = count_completions_collect(ops, full_vec(), fixed_from(clues), 2, t.out, 0, budget);
    t.nodes = (1L << 40) - budget;
    return t;
}

// Restores the search chosen at start when a test ends.
struct PathGuard {
    SearchPath saved = search_path();
    ~PathGuard() { set_search_path(saved); }
};

// Node counts of the counter's search tree on hard corpus puzzles, recorded from the first version of
// the counter: a faster node must not change which nodes are searched.
TEST(MatrixEngine, SearchTreeKeepsItsRecordedNodeCounts) {
    struct Recorded {
        const char* clues;
        int x, n;
        long nodes;
    } const recorded[] = {
        {"........8..3...4...9..2..6.....79.......612...6.5.2.7...8...5...1.....2.4.5.....3", 0, 1, 1016},
        {"........2..8.1.9..5....3.4....1.93...6..3..8...37......4......53.1.7.8..2........", 0, 1, 842},
        {"..2...7...1.....6.5......18....37.......49.....41.23....3.2.9...8.....5.6.......2", 0, 1, 348},
        {"7.8...3.....2.1...5.........4.....263...8.......1...9..9.6....4....7.5...........", 0, 1, 336},
        {"8.........95.......76.........426798...571243...893165......916....3.487....1.532", 0, 2, 8},
        {".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...", 0, 1, 127},
        {".3......4.4....6...7...6...9...4..23.5...24.........8..2....9.....7.........1...2", 1, 1, 87},
        {"...7.8.9...9..41........3......2.....1....6....7.....4.....1.......6.7.226.......", 1, 1, 51},
    };
    PathGuard guard;
    for (SearchPath path : {SearchPath::portable, SearchPath::avx2}) {
        if (!set_search_path(path)) continue;
        for (const Recorded& r : recorded) {
            int clues[81];
            for (int k = 0; k < 81; ++k) clues[k] = r.clues[k] == '.' ? 0 : r.clues[k] - '0';
            const Trace t = trace(*compile(r.x, square_group_map.m), clues);
            EXPECT_EQ(t.n, r.n) << r.clues;
            EXPECT_EQ(t.nodes, r.nodes) << r.clues << " path " << static_cast<int>(path);
            for (int i = 0; i < t.n; ++i) EXPECT_TRUE(completes(square_group_map.m, r.x, clues, t.out[i])) << r.clues;
        }
    }
}

// The AVX2 search against the portable one: the same counts, nodes and solutions on a rated corpus
// and on sparse, dense and broken clue sets of every map kind.
TEST(MatrixEngine, BothSearchPathsAgree) {
    if (!search_path_available(SearchPath::avx2)) GTEST_SKIP() << "this machine has no AVX2";
    PathGuard guard;
    std::vector<std::array<int, 81>> sets;
    std::vector<const Ops*> maps;
    std::ifstream in(std::string(QUADRILLO_TEST_DATA) + "/se-rated-2593.txt");
    std::string line;
    for (int i = 0; i < 400 && std::getline(in, line); ++i) {
        std::array<int, 81> clues{};
        for (int k = 0; k < 81; ++k) clues[k] = line[k] >= '1' && line[k] <= '9' ? line[k] - '0' : 0;
        sets.push_back(clues);
        maps.push_back(compile(false, square_group_map.m));
    }
    ASSERT_EQ(sets.size(), 400u);
    rand_seed_thread(977);
    for (int kind = 0; kind < 4; ++kind)
        for (int round = 0; round < 12; ++round) {
            const SolvedGrid g = random_solved_grid(kind >> 1, kind & 1);
            std::array<int, 81> clues = random_clues(g, round < 4 ? 20 : 32);
            if (round >= 8) clues[40] = clues[40] % 9 + 1;
            sets.push_back(clues);
            maps.push_back(compile(kind & 1, g.groups));
        }
    for (size_t i = 0; i < sets.size(); ++i) {
        set_search_path(SearchPath::portable);
        const Trace portable = trace(*maps[i], sets[i].data());
        set_search_path(SearchPath::avx2);
        EXPECT_TRUE(trace(*maps[i], sets[i].data()) == portable) << "clue set " << i;
    }
}

}  // namespace
