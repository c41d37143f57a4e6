// The ladder driver, naked and hidden singles, counters, cancellation and house coverage.
#include <gtest/gtest.h>

#include "support/puzzle_builder.h"

namespace {

std::string clues_except(const std::string& grid, std::initializer_list<int> open) {
    std::string c = grid;
    for (int k : open) c[k] = '.';
    return c;
}

TEST(Solver, FullGridGivesTwoAtEveryLevel) {
    for (METHOD_TYPE level : {METHOD_NAKED_SINGLES, METHOD_HIDDEN_SINGLES, METHOD_FORCING_NET}) {
        TestPuzzle t;
        load_solver_form(t.p, kGrid, kGrid);
        t->cells[5].status |= STATUS_PROPAGATED;
        EXPECT_EQ(t->solve(level), NOT_SOLVED_STUCK) << level;
        EXPECT_EQ(t->technique_counts[SLOT_UNSOLVED], 1);
        EXPECT_EQ(t->technique_counts[SLOT_GIVENS], 81);
        EXPECT_EQ(t->cells[5].status, STATUS_CLUE) << "scratch bits are cleared";
    }
}

TEST(Solver, NakedSinglesFinishInOnePropagation) {
    TestPuzzle t;
    load_solver_form(t.p, kGrid, clues_except(kGrid, {0, 10, 20, 40, 80, 44}));
    EXPECT_EQ(t->solve(METHOD_NAKED_SINGLES), SOLVED);
    EXPECT_EQ(t->technique_counts[METHOD_NAKED_SINGLES], 1);
    EXPECT_EQ(t->technique_counts[SLOT_UNSOLVED], 0);
    EXPECT_EQ(t->technique_counts[SLOT_GIVENS], 75);
    for (const PUZZLE_CELL& c : t->cells) EXPECT_EQ(c.elim_bits, static_cast<uint32_t>(c.solution));
}

TEST(Solver, CancelledBeforeSolving) {
    TestPuzzle t;
    load_solver_form(t.p, kGrid, clues_except(kGrid, {0, 1, 2}));
    t->technique_counts[7] = 99;
    t->cancelled = 1;
    EXPECT_EQ(t->solve(METHOD_HIDDEN_SINGLES), SOLVE_CANCELLED);
    for (int s = 0; s < N_TECHNIQUE_COUNTS; ++s) {
        if (s == SLOT_UNSOLVED) {
            EXPECT_EQ(t->technique_counts[s], 1);
        } else if (s == SLOT_GIVENS) {
            EXPECT_EQ(t->technique_counts[s], 78);
        } else {
            EXPECT_EQ(t->technique_counts[s], 0) << s;
        }
    }
}

TEST(Solver, HiddenSinglesCountWhereTheyWereFound) {
    // Only cell 0's candidates matter: every other cell of its box and row lacks 5 and 3.
    TestPuzzle t;
    load_solver_form(t.p, kGrid, std::string(81, '.'));
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = ALL_DIGITS;
    auto drop = [&](int k, uint32_t bits) { t->cells[k].elim_bits &= ~bits; };
    for (int k : {1, 2, 9, 10, 11, 18, 19, 20}) drop(k, 1u << 5);            // 5 hidden in box 0...
    for (int k = 1; k < 9; ++k) drop(k, 1u << 5);                           // ...and in row 0
    EXPECT_TRUE(t->simplify_cell_using_digits(&t->cells[0]));
    EXPECT_EQ(t->cells[0].elim_bits, 1u << 5);
    EXPECT_EQ(t->technique_counts[ATOM_HIDDEN_SINGLE_GROUP], 1);
    EXPECT_EQ(t->technique_counts[ATOM_HIDDEN_SINGLE_LINE], 0);

    // Column only: atom 33.
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = ALL_DIGITS;
    for (int k = 9; k < 81; k += 9) drop(k, 1u << 2);
    EXPECT_TRUE(t->simplify_cell_using_digits(&t->cells[0]));
    EXPECT_EQ(t->cells[0].elim_bits, 1u << 2);
    EXPECT_EQ(t->technique_counts[ATOM_HIDDEN_SINGLE_LINE], 1);

    // With x: digit 1 hidden only on the diagonal loses to digit 7 hidden in the column.
    t->adjacency = ADJ_X;
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = ALL_DIGITS;
    for (int k = 10; k < 81; k += 10) drop(k, 1u << 1);
    for (int k = 9; k < 81; k += 9) drop(k, 1u << 7);
    EXPECT_TRUE(t->simplify_cell_using_digits(&t->cells[0]));
    EXPECT_EQ(t->cells[0].elim_bits, 1u << 7);
    // Without x the diagonal is never looked at.
    t->adjacency = ADJ_REGULAR;
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = ALL_DIGITS;
    for (int k = 10; k < 81; k += 10) drop(k, 1u << 1);
    EXPECT_FALSE(t->simplify_cell_using_digits(&t->cells[0]));
}

TEST(Solver, HiddenSinglesLevelSolvesWhatSinglesCannot) {
    // A well-known puzzle solvable with singles only.
    const std::string clues = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";
    TestPuzzle t;
    load_solver_form(t.p, kGrid, clues);
    EXPECT_EQ(t->solve(METHOD_HIDDEN_SINGLES), SOLVED);
    for (const PUZZLE_CELL& c : t->cells) EXPECT_EQ(c.elim_bits, static_cast<uint32_t>(c.solution));
    int steps = t->technique_counts[METHOD_HIDDEN_SINGLES];
    EXPECT_EQ(steps, t->technique_counts[ATOM_HIDDEN_SINGLE_GROUP] + t->technique_counts[ATOM_HIDDEN_SINGLE_LINE]);
    // Every hidden-single step is followed by a fresh propagation.
    EXPECT_GE(t->technique_counts[METHOD_NAKED_SINGLES], steps);
}

TEST(Solver, ContradictoryGivensNeverCountAsSolved) {
    std::string bad = kGrid;
    bad[1] = bad[0];  // two 5s in row 0 and box 0
    TestPuzzle t;
    load_solver_form(t.p, bad, clues_except(bad, {2, 3}));
    for (METHOD_TYPE level : {METHOD_NAKED_SINGLES, METHOD_HIDDEN_SINGLES, METHOD_X_WING}) {
        t->apply_mask();
        int r = t->solve(level);
        EXPECT_TRUE(r == NOT_SOLVED || r == NOT_SOLVED_STUCK) << r;
    }
    EXPECT_EQ(t->cells[1].elim_bits, 0u) << "the later given loses its candidate";
}

TEST(Solver, HouseCoverageSeesMissingDigits) {
    TestPuzzle t;
    load_solver_form(t.p, kXGrid, kXGrid, 1);
    EXPECT_FALSE(t->some_digit_has_no_home());
    t->cells[1].elim_bits = t->cells[0].elim_bits;  // row 0 now lacks cell 1's digit
    EXPECT_TRUE(t->some_digit_has_no_home());

    // Digit 5 gone from the main diagonal only: a hole for x games, none for regular ones.
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = ALL_DIGITS;
    for (int k = 0; k < 81; k += 10) t->cells[k].elim_bits &= ~(1u << 5);
    EXPECT_TRUE(t->some_digit_has_no_home());
    t->adjacency = ADJ_REGULAR;
    EXPECT_FALSE(t->some_digit_has_no_home());
}

TEST(SolverDeathTest, UnknownTechniqueEndsTheProcess) {
    TestPuzzle t;
    load_solver_form(t.p, kGrid, clues_except(kGrid, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EXIT(t->simplify(static_cast<METHOD_TYPE>(13)), testing::ExitedWithCode(5), "unknown technique");
    EXPECT_EXIT(t->simplify(METHOD_NAKED_SINGLES), testing::ExitedWithCode(5), "");
}

}  // namespace
