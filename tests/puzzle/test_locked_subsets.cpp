// Locked candidates, peer intersection, subsets and double restriction on hand-built candidate grids,
// and the soundness of every technique step on many seeded puzzles.
#include <gtest/gtest.h>

#include <map>

#include "ffi/quorvel.h"
#include "support/puzzle_builder.h"
#include "util/rand_utils.h"

namespace {

constexpr uint32_t D(int d) { return 1u << d; }

// Every cell unsolved with all digits: a blank canvas for hand-built candidate patterns.
void blank(TestPuzzle& t, int adjacency = 0, const Matrix<int, 9>& map = square_group_map) {
    load_solver_form(t.p, kGrid, std::string(81, '.'), adjacency, map);
    t->build_group_overlap();
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = ALL_DIGITS;
}

TEST(LockedCandidates, BoxLineThenPointingForOneCell) {
    TestPuzzle t;
    blank(t);
    // Row 0 has 5 only in box 0 (cells 0, 1); box 0 also has 5 at cell 9 (row 1).
    for (int c = 2; c < 9; ++c) t->cells[c].elim_bits &= ~D(5);
    EXPECT_TRUE(t->restriction_for_cell_and_dim(&t->cells[0], DIM_ROW));
    EXPECT_EQ(t->technique_counts[ATOM_BOX_LINE], 1);
    EXPECT_EQ(t->technique_counts[ATOM_POINTING], 0) << "nothing outside the box on row 0 is left to remove";
    for (int k : {9, 10, 11, 18, 19, 20}) EXPECT_FALSE(t->cells[k].elim_bits & D(5)) << k;
    EXPECT_TRUE(t->cells[1].elim_bits & D(5));
    EXPECT_TRUE(t->cells[27].elim_bits & D(5)) << "outside the box nothing changes";

    // Pointing: box 4 keeps 7 on column 4 only, so column 4 outside the box loses it.
    TestPuzzle p;
    blank(p);
    for (int k : {30, 32, 39, 41, 48, 50}) p->cells[k].elim_bits &= ~D(7);
    EXPECT_TRUE(p->simplify_cell_by_restriction(&p->cells[31]));
    EXPECT_EQ(p->technique_counts[ATOM_POINTING], 1);
    for (int r : {0, 1, 2, 6, 7, 8}) EXPECT_FALSE(p->cells[r * 9 + 4].elim_bits & D(7)) << r;
    // Two digits in one call: both apply, each counted.
    TestPuzzle two;
    blank(two);
    for (int c = 3; c < 9; ++c) two->cells[c].elim_bits &= ~(D(2) | D(8));
    EXPECT_TRUE(two->restriction_for_cell_and_dim(&two->cells[0], DIM_ROW));
    EXPECT_EQ(two->technique_counts[ATOM_BOX_LINE], 2);
}

TEST(LockedCandidates, PeerIntersectionOnAJigsawGroup) {
    // Group 0 is an L: cells 0-5 of row 0 and 9, 10, 11 below; its 4s sit at 3 and 4 (row 0) only.
    Matrix<int, 9> m = square_group_map;
    m[0][3] = m[0][4] = m[0][5] = 0;
    m[1][0] = m[1][1] = m[1][2] = 1;
    TestPuzzle t;
    blank(t, 0, m);
    for (int k = 0; k < 81; ++k)
        if (t->cells[k].group == 0 && k != 3 && k != 4) t->cells[k].elim_bits &= ~D(4);
    // The per-cell search looks through each unsolved cell's lines first and takes this as box-line
    // reduction from cell 3; peer intersection gets its turn only when that finds nothing.
    EXPECT_TRUE(t->cell_form_restriction_once());
    EXPECT_EQ(t->technique_counts[ATOM_PEER_INTERSECTION], 1);
    for (int c = 6; c < 9; ++c) EXPECT_FALSE(t->cells[c].elim_bits & D(4)) << c;
    EXPECT_TRUE(t->cells[12].elim_bits & D(4)) << "cell 12 sees 3 but not 4";
}

TEST(Subsets, NakedPairIsFoundAsItsHiddenQuad) {
    TestPuzzle t;
    load_solver_form(t.p, kGrid, kGrid);  // everything solved but row 0, set below
    // Row 0: cells 0-2 solved (1, 2, 3); cells 3, 4 hold the naked pair {4, 5}; cells 5-8 hold 4-9.
    const uint32_t solved[3] = {D(1), D(2), D(3)};
    for (int c = 0; c < 3; ++c) t->cells[c].elim_bits = solved[c];
    t->cells[3].elim_bits = t->cells[4].elim_bits = D(4) | D(5);
    for (int c = 5; c < 9; ++c) t->cells[c].elim_bits = D(4) | D(5) | D(6) | D(7) | D(8) | D(9);
    // Boxes 1 and 2 see only three unsolved cells each, so the row is the first house searched.
    EXPECT_TRUE(t->simplify_once_over_dim(METHOD_SUBSETS));
    EXPECT_EQ(t->technique_counts[METHOD_SUBSETS], 1);
    EXPECT_EQ(t->technique_counts[ATOM_HIDDEN_QUAD], 1);
    for (int c = 5; c < 9; ++c) EXPECT_EQ(t->cells[c].elim_bits, D(6) | D(7) | D(8) | D(9)) << c;
    EXPECT_EQ(t->cells[3].elim_bits, D(4) | D(5));
}

TEST(Subsets, SmallOrUnbalancedHousesAreSkipped) {
    TestPuzzle t;
    load_solver_form(t.p, kGrid, kGrid);  // everything solved
    t->cells[0].elim_bits = t->cells[1].elim_bits = t->cells[2].elim_bits = D(5) | D(3) | D(4);
    EXPECT_FALSE(t->simplify_once_over_dim(METHOD_SUBSETS)) << "three unsolved cells are never searched";
}

TEST(DoubleRestriction, TwoRowsLockADigitIntoTwoBoxes) {
    TestPuzzle t;
    blank(t);
    // Rows 0 and 1 hold 6 only in boxes 0 and 1: the rest of boxes 0 and 1 (row 2) loses 6.
    for (int r : {0, 1})
        for (int c = 6; c < 9; ++c) t->cells[r * 9 + c].elim_bits &= ~D(6);
    EXPECT_TRUE(t->double_restriction());
    for (int c = 0; c < 6; ++c) EXPECT_FALSE(t->cells[18 + c].elim_bits & D(6)) << c;
    EXPECT_TRUE(t->cells[18 + 6].elim_bits & D(6));
}

// Levels added by the technique issues and the level each one's ladder exhausts first.
const std::map<int, int> kPrerequisite = {{2, 1}, {3, 2}, {4, 3}, {7, 4}, {8, 7}, {9, 51}, {17, 5}, {18, 17},
                                          {10, 9}, {11, 10}, {12, 25}, {25, 8}, {51, 12},
                                          {5, 11}, {26, 17}};

// Runs level m as the driver does and reports the first step that removed a solution digit.
std::string lost_digit_after_steps(Puzzle* p, METHOD_TYPE m) {
    auto check = [&](const char* when) -> std::string {
        for (int k = 0; k < 81; ++k)
            if (!(p->cells[k].elim_bits & static_cast<uint32_t>(p->cells[k].solution)))
                return std::string(when) + ": cell " + std::to_string(k) + " lost its digit";
        // Chain searches mark their cells in user_answer and must leave no mark behind.
        for (int k = 0; k < 81; ++k)
            if (p->cells[k].user_answer != 0)
                return std::string(when) + ": cell " + std::to_string(k) + " keeps a chain mark";
        return "";
    };
    std::memset(p->technique_counts, 0, sizeof p->technique_counts);
    for (int steps = 0; steps < 200; ++steps) {
        int r = p->solve_by_recursion(static_cast<METHOD_TYPE>(kPrerequisite.at(m)));
        if (auto e = check("ladder below"); !e.empty()) return e;
        if (r == SOLVED || !p->simplify(m)) return "";
        if (auto e = check("technique step"); !e.empty()) return e;
    }
    return "";
}

TEST(TechniqueSoundness, NoStepRemovesASolutionDigit) {
    rand_seed_thread(555);
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    Puzzle* h = sudoku_new();
    for (int round = 0; round < 8; ++round) {
        // Jigsaw maps are covered by the irregular-groups soundness test beside the wings and chains.
        for (int jigsaw : {0}) {
            for (int x : {0, 1}) {
                ASSERT_EQ(sudoku_generate_solution(h, jigsaw, x), 1);
                for (PUZZLE_CELL& c : h->cells) c.solution = 1 << c.solution;
                h->build_group_overlap();
                // 22 to 27 random clues: sparse enough that the harder levels have work to do.
                for (int levels = 0; levels < 3; ++levels) {
                    const int n = 22 + static_cast<int>(arc4random_uniform(6));
                    int order[81];
                    for (int k = 0; k < 81; ++k) order[k] = k;
                    for (int i = 0; i < 81; ++i) std::swap(order[i], order[i + arc4random_uniform(81 - i)]);
                    for (PUZZLE_CELL& c : h->cells) c.status = 0;
                    for (int i = 0; i < n; ++i) h->cells[order[i]].status = STATUS_CLUE;
                    for (const auto& [m, below] : kPrerequisite) {
                        h->apply_mask();
                        EXPECT_EQ(lost_digit_after_steps(h, static_cast<METHOD_TYPE>(m)), "")
                            << "level " << m << " jigsaw " << jigsaw << " x " << x;
                    }
                }
            }
        }
    }
    sudoku_free(h);
    sudoku_set_group_maps_dir(nullptr);
    rand_unseed_thread();
}

}  // namespace
