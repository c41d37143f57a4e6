// The brute-force count: solutions up to two, the node limit, the printed solution, level 27.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/grid_checks.h"
#include "support/puzzle_builder.h"

namespace {

// Hardest-class puzzle with one solution: the technique ladder alone cannot finish it.
const std::string kHard = "........8..3...4...9..2..6.....79.......612...6.5.2.7...8...5...1.....2.4.5.....3";

std::string printed(Puzzle* p, long limit, bool* unique) {
    char buf[4096] = {};
    FILE* f = fmemopen(buf, sizeof buf - 1, "w");
    *unique = p->solve_by_brute_force(f, limit);
    std::fclose(f);
    return buf;
}

TEST(BruteForce, SolvedGridPrintsItsOneSolutionAndKeepsTheGrid) {
    TestPuzzle t;
    load_solver_form(t.p, kGrid, std::string(81, '.'));
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = static_cast<uint32_t>(c.solution);
    const uint32_t before = t->add_elim_bits();
    bool unique = false;
    const std::string text = printed(t.p, 0, &unique);
    EXPECT_TRUE(unique);
    EXPECT_EQ(t->n_solutions, 1);
    ASSERT_EQ(text.size(), 348u);
    EXPECT_EQ(text.substr(0, 15), "solved puzzle:\n");
    EXPECT_EQ(text.substr(15, 37), "  5   3   4   6   7   8   9   1   2 \n");
    EXPECT_EQ(t->add_elim_bits(), before);
    EXPECT_EQ(t->node_count, 0) << "no limit, no counting";
}

TEST(BruteForce, CountsStopAtTwoAndAtTheNodeLimit) {
    TestPuzzle t;
    load_solver_form(t.p, kGrid, kGrid);
    t->cells[80].status = 0;
    t->cells[80].elim_bits |= 1u << 1;  // the last cell has no later neighbour to refute a wrong digit
    bool unique = true;
    EXPECT_EQ(printed(t.p, 0, &unique).size(), 2 * 348u);
    EXPECT_FALSE(unique);
    EXPECT_EQ(t->n_solutions, 2);
    EXPECT_FALSE(t->node_limit_hit);

    unique = true;
    EXPECT_EQ(printed(t.p, 1, &unique), "");
    EXPECT_FALSE(unique);
    EXPECT_TRUE(t->node_limit_hit);
    EXPECT_EQ(t->n_solutions, 2);
}

TEST(BruteForce, HardPuzzleIsUniqueClashingCluesHaveNone) {
    TestPuzzle t;
    load_clues(t.p, kHard);
    t->solve(METHOD_NAKED_SINGLES);  // the search expects the clues' digits gone from their peers
    std::vector<uint32_t> before;
    for (const PUZZLE_CELL& c : t->cells) before.push_back(c.elim_bits);
    EXPECT_TRUE(t->solve_by_brute_force(nullptr, 0));
    for (int k = 0; k < N_CELLS; ++k) EXPECT_EQ(t->cells[k].elim_bits, before[k]);

    std::string clash = kHard;
    clash[0] = '8';  // 8 twice in row 0
    load_clues(t.p, clash);
    t->solve(METHOD_NAKED_SINGLES);  // propagation empties the later clue
    EXPECT_FALSE(t->solve_by_brute_force(nullptr, 0));
    EXPECT_EQ(t->n_solutions, 0);
}

TEST(BruteForce, LevelTwentySevenWritesTheUniqueSolution) {
    TestPuzzle t;
    load_clues(t.p, kHard);
    t->solve(METHOD_NAKED_SINGLES);
    EXPECT_TRUE(t->simplify(METHOD_BRUTE_FORCE));
    EXPECT_TRUE(t->all_cells_single());
    for (PUZZLE_CELL& c : t->cells) c.solution = static_cast<int>(c.elim_bits);
    EXPECT_EQ(solution_errors(*t, false, true), "");
    for (int k = 0; k < N_CELLS; ++k) {
        if (kHard[k] == '.') continue;
        EXPECT_EQ(t->cells[k].elim_bits, 1u << (kHard[k] - '0'));
    }

    // Two solutions: the step is never productive and the level ends unsolved.
    load_solver_form(t.p, kGrid, kGrid);
    for (int k : {3, 4, 30, 31}) t->cells[k].status = 0, t->cells[k].elim_bits = ALL_DIGITS;  // 6/7 rectangle
    EXPECT_NE(t->solve(METHOD_BRUTE_FORCE), SOLVED);
    EXPECT_EQ(t->technique_counts[METHOD_BRUTE_FORCE], 0);
}

}  // namespace
