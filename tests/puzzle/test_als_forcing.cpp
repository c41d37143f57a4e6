// Almost-locked sets and the cell forcing net on hand-built candidate grids.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <map>
#include <vector>

#include "support/candidate_masks.h"
#include "support/puzzle_builder.h"
#include "support/random_grids.h"
#include "puzzle/set_bit_array.h"

namespace {

uint32_t digits(std::initializer_list<int> ds) {
    uint32_t m = 0;
    for (int d : ds) m |= 1u << d;
    return m;
}

int at(int r, int c) {
    return r * 9 + c;
}

// Every cell unsolved with all nine digits; each test then shapes the cells it needs.
void blank(TestPuzzle& t) {
    load_solver_form(t.p, kGrid, std::string(81, '.'));
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = ALL_DIGITS;
    std::memset(t->technique_counts, 0, sizeof t->technique_counts);
}

// The ALS counters and the rest of the array: only `slot` may have moved, by one.
void expect_only_slot(TestPuzzle& t, int slot) {
    for (int s = 0; s < N_TECHNIQUE_COUNTS; ++s) EXPECT_EQ(t->technique_counts[s], s == slot ? 1 : 0) << s;
}

TEST(AlsPairLocking, BivaluePairLocksThroughARowIntoTheOtherGroup) {
    TestPuzzle t;
    blank(t);
    const uint32_t m = digits({1, 2});
    // Row 0 can hold 1 and 2 only at (0,0) and in group 1; (1,4) holds the same pair and does not see (0,0).
    for (int c = 0; c < 9; ++c)
        if (c < 3 || c > 5) t->cells[at(0, c)].elim_bits &= ~m;
    t->cells[at(0, 0)].elim_bits = m;
    t->cells[at(1, 4)].elim_bits = m;
    const auto before = masks(t);

    ASSERT_TRUE(t->simplify(METHOD_ALS));
    std::map<int, uint32_t> expected;
    for (int k : {at(1, 3), at(1, 5), at(2, 3), at(2, 4), at(2, 5)}) expected[k] = m;
    EXPECT_EQ(losses(t, before), expected);
    expect_only_slot(t, SLOT_ALS_BIVALUE_PAIR);
}

TEST(AlsPairLocking, TrivaluePairLocksThroughAColumnIntoTheOtherGroup) {
    TestPuzzle t;
    blank(t);
    const uint32_t m = digits({1, 2, 3});
    // Column 0 can hold 1, 2 and 3 only at (0,0) and in group 3, where (4,1) holds the same three.
    for (int r = 1; r < 9; ++r)
        if (r < 3 || r > 5) t->cells[at(r, 0)].elim_bits &= ~m;
    t->cells[at(0, 0)].elim_bits = m;
    t->cells[at(4, 1)].elim_bits = m;
    const auto before = masks(t);

    ASSERT_TRUE(t->simplify(METHOD_ALS));
    std::map<int, uint32_t> expected;
    for (int k : {at(3, 1), at(3, 2), at(4, 2), at(5, 1), at(5, 2)}) expected[k] = m;
    EXPECT_EQ(losses(t, before), expected);
    expect_only_slot(t, SLOT_ALS_TRIVALUE_PAIR);
}

TEST(AlsPairLocking, CellsThatSeeEachOtherAreNeverPaired) {
    TestPuzzle t;
    blank(t);
    const uint32_t m = digits({1, 2});
    // As in the column case, but (4,0) shares column 0 with (0,0).
    for (int r = 1; r < 9; ++r)
        if (r < 3 || r > 5) t->cells[at(r, 0)].elim_bits &= ~m;
    t->cells[at(0, 0)].elim_bits = m;
    t->cells[at(4, 0)].elim_bits = m;
    const auto before = masks(t);

    EXPECT_FALSE(t->als3());
    EXPECT_EQ(masks(t), before);
}

TEST(AlsSingleLink, BivalueCellAndARowSetShareOneLinkingDigit) {
    TestPuzzle t;
    blank(t);
    // v = (0,0) {1,2}; p = (1,1) {1,3} shares only 1 with it. On row 1, (1,5) {2,3} lacks 1, so
    // {p, (1,5)} holds three digits in two cells: either v is 2 or (1,5) is.
    t->cells[at(0, 0)].elim_bits = digits({1, 2});
    t->cells[at(1, 1)].elim_bits = digits({1, 3});
    t->cells[at(1, 5)].elim_bits = digits({2, 3});
    const auto before = masks(t);

    ASSERT_TRUE(t->simplify(METHOD_ALS));
    // 2 leaves the cells of v's houses that also see (1,5).
    std::map<int, uint32_t> expected;
    for (int k : {at(1, 0), at(1, 2), at(0, 3), at(0, 4), at(0, 5)}) expected[k] = digits({2});
    EXPECT_EQ(losses(t, before), expected);
    expect_only_slot(t, SLOT_ALS_SINGLE_LINK);
}

TEST(AlsSingleLink, EliminationSparesCellsThatMissASetCandidate) {
    TestPuzzle t;
    blank(t);
    ALMOST_LOCKED_SET set{};
    set.n_cells = 2;
    set.cells[0] = &t->cells[at(1, 1)];
    set.cells[1] = &t->cells[at(1, 5)];
    t->cells[at(1, 1)].elim_bits = digits({1, 3});
    t->cells[at(1, 5)].elim_bits = digits({2, 3});
    const uint32_t two = digits({2});
    EXPECT_FALSE(t->cell_sees_all_z_candidates(two, set.cells[1], set));  // a member of the set
    EXPECT_TRUE(t->cell_sees_all_z_candidates(two, &t->cells[at(0, 4)], set));
    EXPECT_FALSE(t->cell_sees_all_z_candidates(two, &t->cells[at(0, 7)], set));  // misses (1,5)
    // Any cell sees a set whose members lack the digit.
    EXPECT_TRUE(t->cell_sees_all_z_candidates(digits({7}), &t->cells[at(8, 8)], set));
}

TEST(AlsDoubleLink, PairInAGroupAndARowSetLinkedByTwoDigits) {
    TestPuzzle t;
    blank(t);
    // {v (0,0) {1,2}, p (0,1) {1,3}}: two cells, three digits, 1 in common; 2 and 3 also sit in
    // (1,0) {2,3,4} and (1,2) {2,3,5} of the group, which with (1,5) {4,5} lock 2..5 into four cells
    // of row 1. Both 2 and 3 are restricted commons, so 1 stays with v and p.
    t->cells[at(0, 0)].elim_bits = digits({1, 2});
    t->cells[at(0, 1)].elim_bits = digits({1, 3});
    t->cells[at(1, 0)].elim_bits = digits({2, 3, 4});
    t->cells[at(1, 2)].elim_bits = digits({2, 3, 5});
    t->cells[at(1, 5)].elim_bits = digits({4, 5});
    const auto before = masks(t);

    ASSERT_TRUE(t->simplify(METHOD_ALS));
    std::map<int, uint32_t> expected;
    // The rest of the group loses 1, 2 and 3; the rest of row 1 loses the set's own digits 4 and 5.
    for (int k : {at(0, 2), at(2, 0), at(2, 1), at(2, 2)}) expected[k] = digits({1, 2, 3});
    expected[at(1, 1)] = digits({1, 2, 3, 4, 5});
    for (int k : {at(1, 3), at(1, 4), at(1, 6), at(1, 7), at(1, 8)}) expected[k] = digits({4, 5});
    EXPECT_EQ(losses(t, before), expected);
    expect_only_slot(t, SLOT_ALS_DOUBLE_LINK);
}

TEST(AlsStep, NothingToFindLeavesTheGridAlone) {
    TestPuzzle t;
    blank(t);
    const auto before = masks(t);
    EXPECT_FALSE(t->simplify(METHOD_ALS));
    EXPECT_EQ(masks(t), before);
    expect_only_slot(t, -1);
}

// The solution grid with every cell solved, except the given cells, which get the given masks.
void solved_except(TestPuzzle& t, const std::map<int, uint32_t>& open) {
    load_solver_form(t.p, kGrid, std::string(81, '.'));
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = static_cast<uint32_t>(c.solution);
    for (const auto& [k, m] : open) t->cells[k].elim_bits = m;
    for (int s = 0; s < N_TECHNIQUE_COUNTS; ++s) t->technique_counts[s] = 100 + s;
}

void expect_counts_untouched(TestPuzzle& t) {
    for (int s = 0; s < N_TECHNIQUE_COUNTS; ++s) EXPECT_EQ(t->technique_counts[s], 100 + s) << s;
}

TEST(ForcingNet, WrongDigitsFailAndLaterCellsSeeTheReducedGrid) {
    TestPuzzle t;
    // Row 0 starts 5 3 4; those three cells each hold {3,4,5}. A wrong digit in (0,0) leaves column 0
    // without its 5. Trials need hidden singles too, whose counts must not survive the step.
    const uint32_t m = digits({3, 4, 5});
    solved_except(t, {{at(0, 0), m}, {at(0, 1), m}, {at(0, 2), m}});
    std::vector<uint32_t> status;
    for (const PUZZLE_CELL& c : t->cells) status.push_back(c.status);

    ASSERT_TRUE(t->simplify(METHOD_FORCING_NET));
    EXPECT_EQ(t->cells[at(0, 0)].elim_bits, digits({5}));
    EXPECT_EQ(t->cells[at(0, 1)].elim_bits, digits({3}));
    EXPECT_EQ(t->cells[at(0, 2)].elim_bits, digits({4}));
    for (int k = 0; k < 81; ++k) {
        EXPECT_EQ(t->cells[k].elim_bits, static_cast<uint32_t>(t->cells[k].solution)) << k;
        EXPECT_EQ(t->cells[k].status, status[k]) << k;  // trial propagation marks are undone
    }
    expect_counts_untouched(t);
}

TEST(ForcingNet, CellWhoseEveryDigitFailsIsLeftEmpty) {
    TestPuzzle t;
    // (0,0) must be 5 but only holds 1 and 2, each already placed elsewhere in row 0.
    solved_except(t, {{at(0, 0), digits({1, 2})}});
    ASSERT_TRUE(t->simplify(METHOD_FORCING_NET));
    EXPECT_EQ(t->cells[at(0, 0)].elim_bits, 0u);
    for (int k = 1; k < 81; ++k)
        EXPECT_EQ(t->cells[k].elim_bits, static_cast<uint32_t>(t->cells[k].solution));
    expect_counts_untouched(t);
}

TEST(ForcingNet, TrialsWithoutContradictionRemoveNothing) {
    TestPuzzle t;
    blank(t);
    for (int s = 0; s < N_TECHNIQUE_COUNTS; ++s) t->technique_counts[s] = 100 + s;
    const auto before = masks(t);
    EXPECT_FALSE(t->simplify(METHOD_FORCING_NET));
    EXPECT_EQ(masks(t), before);
    expect_counts_untouched(t);
}

// The trials replayed one by one on the live cells, each singles pass after pass as the solver takes
// them, then checked for an empty cell or a homeless digit: the step must remove exactly the digits
// whose replay fails, on grids of every kind left part-way by the solver.
uint32_t replay_impossible(Puzzle& p, int k, std::vector<PUZZLE_CELL>& saved) {
    uint32_t impossible = 0;
    for (int d = 1; d <= 9; ++d) {
        const uint32_t bit = 1u << d;
        if (!(saved[k].elim_bits & bit)) continue;
        std::memcpy(p.cells, saved.data(), sizeof p.cells);
        p.cells[k].elim_bits = bit;
        for (;;) {
            bool changed = p.exhaustive_simple_elimination();
            for (PUZZLE_CELL& c : p.cells) {
                if (n_digits(c.elim_bits) != 1 && p.simplify_cell_using_digits(&c)) {
                    changed = true;
                    break;
                }
            }
            if (!changed) break;
        }
        bool empty = false;
        for (const PUZZLE_CELL& c : p.cells) empty |= c.elim_bits == 0;
        if (empty || p.some_digit_has_no_home()) impossible |= bit;
    }
    return impossible;
}

TEST(ForcingNet, RemovesWhatReplayedTrialsRefuteOnEveryKind) {
    rand_seed_thread(515);
    int steps_removing = 0;
    for (int jigsaw = 0; jigsaw < 2; ++jigsaw) {
        for (int x = 0; x < 2; ++x) {
            for (int round = 0; round < 6; ++round) {
                const SolvedGrid g = random_solved_grid(jigsaw, x);
                const std::array<int, 81> clues = random_clues(g, 20 + 2 * round);
                TestPuzzle t;
                Matrix<int, 9> map{};
                std::string solution, pattern;
                for (int k = 0; k < 81; ++k) {
                    map[k / 9][k % 9] = g.groups[k / 9][k % 9];
                    solution += static_cast<char>('0' + g.digits[k]);
                    pattern += clues[k] ? 'x' : '.';
                }
                load_solver_form(t.p, solution, pattern, x, map);
                t->build_group_overlap();
                t->solve(METHOD_FRANKEN_FISH);  // leaves a part-solved grid when the clues are too few

                std::vector<PUZZLE_CELL> saved(t->cells, t->cells + 81);
                std::vector<uint32_t> expected;
                for (int k = 0; k < 81; ++k) {
                    uint32_t out = saved[k].elim_bits;
                    if (n_digits(out) >= 2) {
                        const uint32_t gone = replay_impossible(*t, k, saved);
                        saved[k].elim_bits &= ~gone;
                        out &= ~gone;
                    }
                    expected.push_back(out);
                }
                // The same grid again, as the solver left it, and the real step.
                TestPuzzle u;
                load_solver_form(u.p, solution, pattern, x, map);
                u->build_group_overlap();
                u->solve(METHOD_FRANKEN_FISH);
                const bool removed = u->simplify(METHOD_FORCING_NET);
                for (int k = 0; k < 81; ++k) ASSERT_EQ(u->cells[k].elim_bits, expected[k]) << "cell " << k;
                steps_removing += removed;
            }
        }
    }
    EXPECT_GT(steps_removing, 3) << "the sample should include productive steps";
}

}  // namespace
