// XY-, XYZ- and W-wings, X-chains and XY-chains on hand-built candidate grids.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "support/puzzle_builder.h"
#include "util/rand_utils.h"

namespace {

constexpr uint32_t D(int d) { return 1u << d; }
constexpr uint32_t FIVE = D(5);

int at(int r, int c) { return r * 9 + c; }

// Every cell unsolved with all nine digits; each test then shapes its pattern.
void blank(TestPuzzle& t, int adjacency = 0) {
    load_solver_form(t.p, kGrid, std::string(81, '.'), adjacency);
    for (PUZZLE_CELL& c : t->cells) c.elim_bits = ALL_DIGITS;
}

std::vector<uint32_t> masks(TestPuzzle& t) {
    std::vector<uint32_t> m;
    for (const PUZZLE_CELL& c : t->cells) m.push_back(c.elim_bits);
    return m;
}

// The digits each changed cell lost since `before`; a cell that gained a digit fails the test.
std::map<int, uint32_t> losses(TestPuzzle& t, const std::vector<uint32_t>& before) {
    std::map<int, uint32_t> lost;
    for (int k = 0; k < 81; ++k) {
        const uint32_t now = t->cells[k].elim_bits;
        if (now == before[k]) continue;
        EXPECT_EQ(now & ~before[k], 0u) << "cell " << k << " gained a digit";
        lost[k] = before[k] & ~now;
    }
    return lost;
}

void expect_chain_atoms(TestPuzzle& t, int same_lines, int row_and_column, int box_or_diagonal) {
    EXPECT_EQ(t->technique_counts[ATOM_X_CHAIN_KIND_1], same_lines);
    EXPECT_EQ(t->technique_counts[ATOM_X_CHAIN_KIND_2], row_and_column);
    EXPECT_EQ(t->technique_counts[ATOM_X_CHAIN_KIND_3], box_or_diagonal);
}

void expect_no_marks(TestPuzzle& t) {
    for (int k = 0; k < 81; ++k) EXPECT_EQ(t->cells[k].user_answer, 0) << "cell " << k << " still marked";
}

// Leaves digit 5 in row r only at the given columns (and likewise for a column).
void row_five_only_at(TestPuzzle& t, int r, std::initializer_list<int> cols) {
    for (int c = 0; c < 9; ++c) t->cells[at(r, c)].elim_bits &= ~FIVE;
    for (int c : cols) t->cells[at(r, c)].elim_bits |= FIVE;
}

void col_five_only_at(TestPuzzle& t, int c, std::initializer_list<int> rows) {
    for (int r = 0; r < 9; ++r) t->cells[at(r, c)].elim_bits &= ~FIVE;
    for (int r : rows) t->cells[at(r, c)].elim_bits |= FIVE;
}

// --- wings ---

// Pivot r1c1 {1,2}, wing r1c5 {1,3} in its row, wing r5c1 {2,3} in its column.
void xy_wing(TestPuzzle& t, uint32_t pivot) {
    blank(t);
    t->cells[at(1, 1)].elim_bits = pivot;
    t->cells[at(1, 5)].elim_bits = D(1) | D(3);
    t->cells[at(5, 1)].elim_bits = D(2) | D(3);
}

TEST(XyWing, RemovesTheSharedDigitWhereBothWingsAreSeen) {
    TestPuzzle t;
    xy_wing(t, D(1) | D(2));
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify(METHOD_XY_XYZ_WING));
    EXPECT_EQ(losses(t, before), (std::map<int, uint32_t>{{at(5, 5), D(3)}}));
    EXPECT_EQ(t->technique_counts[SLOT_XY_WING], 1);
    EXPECT_EQ(t->technique_counts[SLOT_XYZ_WING], 0);
}

TEST(XyWing, TrivalueCellIsNeverAnXyPivot) {
    // With {1,2,4} the pivot still shares one digit with each wing, but it is offered only the
    // XYZ-wing, whose wings must lie inside its three digits.
    TestPuzzle t;
    xy_wing(t, D(1) | D(2) | D(4));
    const auto before = masks(t);
    EXPECT_FALSE(t->simplify(METHOD_XY_XYZ_WING));
    EXPECT_EQ(masks(t), before);
}

TEST(XyWing, WingsInOneHouseOfThePivotAreNotFound) {
    TestPuzzle t;
    blank(t);
    t->cells[at(1, 1)].elim_bits = D(1) | D(2);
    t->cells[at(1, 4)].elim_bits = D(1) | D(3);  // both wings in row 1, in boxes 1 and 2
    t->cells[at(1, 7)].elim_bits = D(2) | D(3);
    const auto before = masks(t);
    EXPECT_FALSE(t->simplify_XY_wing(&t->cells[at(1, 1)]));
    EXPECT_FALSE(t->simplify(METHOD_XY_XYZ_WING));
    EXPECT_EQ(masks(t), before);
}

TEST(XyzWing, RemovesTheCommonDigitFromTheGroupCellsSeeingTheLineWing) {
    TestPuzzle t;
    blank(t);
    t->cells[at(1, 1)].elim_bits = D(1) | D(2) | D(3);  // pivot
    t->cells[at(0, 0)].elim_bits = D(1) | D(3);         // wing in the pivot's group
    t->cells[at(1, 5)].elim_bits = D(2) | D(3);         // wing in the pivot's row
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify(METHOD_XY_XYZ_WING));
    EXPECT_EQ(losses(t, before), (std::map<int, uint32_t>{{at(1, 0), D(3)}, {at(1, 2), D(3)}}));
    EXPECT_EQ(t->technique_counts[SLOT_XYZ_WING], 1);
    EXPECT_EQ(t->technique_counts[SLOT_XY_WING], 0);
}

TEST(XyzWing, FirstWingOutsideThePivotsGroupIsNotFound) {
    TestPuzzle t;
    blank(t);
    t->cells[at(1, 1)].elim_bits = D(1) | D(2) | D(3);
    t->cells[at(1, 5)].elim_bits = D(1) | D(3);  // row
    t->cells[at(5, 1)].elim_bits = D(2) | D(3);  // column
    const auto before = masks(t);
    EXPECT_FALSE(t->simplify_XYZ_wing(&t->cells[at(1, 1)]));
    EXPECT_FALSE(t->simplify(METHOD_XY_XYZ_WING));
    EXPECT_EQ(masks(t), before);
}

// Pair {1,2} at r0c0 and r4c4; row 8 holds 1 only at c0 and c4, one under each pair cell.
void w_wing(TestPuzzle& t, int b_cell) {
    blank(t);
    t->cells[at(0, 0)].elim_bits = D(1) | D(2);
    t->cells[b_cell].elim_bits = D(1) | D(2);
    for (int c = 0; c < 9; ++c) t->cells[at(8, c)].elim_bits &= ~D(1);
    t->cells[at(8, 0)].elim_bits |= D(1);
    t->cells[at(8, 4)].elim_bits |= D(1);
}

TEST(WWing, LinkedPairRemovesItsOtherDigitFromCellsSeeingBoth) {
    TestPuzzle t;
    w_wing(t, at(4, 4));
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify(METHOD_W_WING));
    EXPECT_EQ(losses(t, before), (std::map<int, uint32_t>{{at(0, 4), D(2)}, {at(4, 0), D(2)}}));
}

TEST(WWing, LowerDigitIsTriedThroughAllHousesFirst) {
    // Row 7 links the pair on 2 and comes before row 8, which links it on 1; 1 wins, so 2 goes.
    TestPuzzle t;
    w_wing(t, at(4, 4));
    for (int c = 0; c < 9; ++c) t->cells[at(7, c)].elim_bits &= ~D(2);
    t->cells[at(7, 0)].elim_bits |= D(2);
    t->cells[at(7, 4)].elim_bits |= D(2);
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify_w_wing());
    EXPECT_EQ(losses(t, before), (std::map<int, uint32_t>{{at(0, 4), D(2)}, {at(4, 0), D(2)}}));
}

TEST(WWing, PairsThatSeeEachOtherOrHousesWithoutExactlyTwoGiveNothing) {
    TestPuzzle t;
    w_wing(t, at(0, 4));  // the pair shares row 0
    auto before = masks(t);
    EXPECT_FALSE(t->simplify_w_wing());
    EXPECT_EQ(masks(t), before);

    w_wing(t, at(4, 4));
    t->cells[at(8, 8)].elim_bits |= D(1);  // row 8 now holds 1 three times
    before = masks(t);
    EXPECT_FALSE(t->simplify_w_wing());
    EXPECT_EQ(masks(t), before);
}

// --- X-chains ---

TEST(XChain, TwoRowLinksCountAsTheSameKind) {
    // Row 1 has 5 at c1, c6; row 7 at c1, c7; the column-1 cells link them.
    TestPuzzle t;
    blank(t);
    row_five_only_at(t, 1, {1, 6});
    row_five_only_at(t, 7, {1, 7});
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify(METHOD_TURBOT));
    const std::map<int, uint32_t> lost = {
        {at(0, 7), FIVE}, {at(2, 7), FIVE}, {at(6, 6), FIVE}, {at(8, 6), FIVE}};
    EXPECT_EQ(losses(t, before), lost);
    expect_chain_atoms(t, 1, 0, 0);
    expect_no_marks(t);
}

TEST(XChain, RowAndColumnLinksJoinedInAGroup) {
    TestPuzzle t;
    blank(t);
    row_five_only_at(t, 1, {1, 6});
    col_five_only_at(t, 7, {2, 6});
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify(METHOD_TURBOT));
    EXPECT_EQ(losses(t, before), (std::map<int, uint32_t>{{at(6, 1), FIVE}}));
    expect_chain_atoms(t, 0, 1, 0);
    expect_no_marks(t);
}

TEST(XChain, GroupLinkCountsAsTheThirdKindAlsoAtLevelTen) {
    // Box 0 has 5 only at r0c0 and r1c1; column 6 only at r1 and r5.
    TestPuzzle t;
    blank(t);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) t->cells[at(r, c)].elim_bits &= ~FIVE;
    t->cells[at(0, 0)].elim_bits |= FIVE;
    t->cells[at(1, 1)].elim_bits |= FIVE;
    col_five_only_at(t, 6, {1, 5});
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify(METHOD_X_CHAIN));
    EXPECT_EQ(losses(t, before), (std::map<int, uint32_t>{{at(5, 0), FIVE}}));
    expect_chain_atoms(t, 0, 0, 1);
    expect_no_marks(t);
}

TEST(XChain, DiagonalLinkWithTheXFlagCountsAsTheThirdKind) {
    // The main diagonal holds 5 only at r0c0 and r4c4; row 7 only at c4 and c8; column 4 joins them.
    TestPuzzle t;
    blank(t, 1);
    for (int k = 0; k < 9; ++k) t->cells[at(k, k)].elim_bits &= ~FIVE;
    t->cells[at(0, 0)].elim_bits |= FIVE;
    t->cells[at(4, 4)].elim_bits |= FIVE;
    row_five_only_at(t, 7, {4, 8});
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify(METHOD_TURBOT));
    // r0c0 or r7c8 holds 5; of the two cells seeing both, r7c0 has no 5 left.
    EXPECT_EQ(losses(t, before), (std::map<int, uint32_t>{{at(0, 8), FIVE}}));
    expect_chain_atoms(t, 0, 0, 1);
    expect_no_marks(t);
}

// Rows 1, 5 and 8 hold 5 only twice, joined by column 4 and column 8: a chain of five links.
void five_links(TestPuzzle& t) {
    blank(t);
    row_five_only_at(t, 1, {0, 4});
    row_five_only_at(t, 5, {4, 8});
    row_five_only_at(t, 8, {2, 8});
}

TEST(XChain, FiveLinksAreFoundByLevelTenButNotByTheThreeLinkLevel) {
    TestPuzzle t;
    five_links(t);
    const auto before = masks(t);
    EXPECT_FALSE(t->simplify(METHOD_TURBOT));
    EXPECT_EQ(masks(t), before);
    expect_no_marks(t);

    EXPECT_TRUE(t->simplify(METHOD_X_CHAIN));
    const std::map<int, uint32_t> lost = {
        {at(0, 2), FIVE}, {at(2, 2), FIVE}, {at(6, 0), FIVE}, {at(7, 0), FIVE}};
    EXPECT_EQ(losses(t, before), lost);
    expect_chain_atoms(t, 0, 0, 0);  // only three-link chains count as atoms
    expect_no_marks(t);
}

TEST(XChain, ChainsEndingOnAWeakLinkNeverEliminate) {
    // Row 1 alone is strong: strong-weak chains from it would clear much of box 0 if they were tested.
    TestPuzzle t;
    blank(t);
    row_five_only_at(t, 1, {0, 4});
    auto before = masks(t);
    EXPECT_FALSE(t->simplify(METHOD_X_CHAIN));
    EXPECT_EQ(masks(t), before);
    expect_no_marks(t);

    // With row 5 the three-link chain r1c0-r1c4-r5c4-r5c8 has no cell seeing both ends; its
    // four-link extensions (r5c8 to r0c8, say) would clear r0c0-r0c2.
    row_five_only_at(t, 5, {4, 8});
    before = masks(t);
    EXPECT_FALSE(t->simplify(METHOD_X_CHAIN));
    EXPECT_EQ(masks(t), before);
    expect_no_marks(t);
}

// --- XY-chains ---

// r0c0 {1,2} - r0c4 {2,3} - r4c4 {3,4} - r4c7 {4,1}; column 4 holds 3 only in the chain.
void xy_chain(TestPuzzle& t) {
    blank(t);
    t->cells[at(0, 0)].elim_bits = D(1) | D(2);
    t->cells[at(0, 4)].elim_bits = D(2) | D(3);
    t->cells[at(4, 4)].elim_bits = D(3) | D(4);
    t->cells[at(4, 7)].elim_bits = D(4) | D(1);
    for (int r = 0; r < 9; ++r)
        if (r != 0 && r != 4) t->cells[at(r, 4)].elim_bits &= ~D(3);
}

TEST(XyChain, FourCellsRemoveTheEndDigitWhereBothEndsAreSeen) {
    TestPuzzle t;
    xy_chain(t);
    const auto before = masks(t);
    EXPECT_TRUE(t->simplify(METHOD_XY_CHAIN));
    EXPECT_EQ(losses(t, before), (std::map<int, uint32_t>{{at(0, 7), D(1)}, {at(4, 0), D(1)}}));
    expect_no_marks(t);
}

TEST(XyChain, SecondLinkMustBeStrong) {
    TestPuzzle t;
    xy_chain(t);
    t->cells[at(7, 4)].elim_bits |= D(3);  // column 4 no longer links r0c4 and r4c4 strongly on 3
    const auto before = masks(t);
    EXPECT_FALSE(t->simplify(METHOD_XY_CHAIN));
    EXPECT_EQ(masks(t), before);
    expect_no_marks(t);
}

TEST(XyChain, ThreeCellsAreLeftToTheWings) {
    TestPuzzle t;
    xy_wing(t, D(1) | D(2));
    const auto before = masks(t);
    EXPECT_FALSE(t->simplify(METHOD_XY_CHAIN));
    EXPECT_EQ(masks(t), before);
    expect_no_marks(t);
}

// --- soundness of the wing, chain, ALS and forcing-net levels on irregular groups ---

// The box map with one cell of box 0 and one of box 1 that hold the same digit in `grid` traded
// between the two groups, so `grid` is still a solution of the irregular map.
Matrix<int, 9> traded_map(const std::string& grid) {
    Matrix<int, 9> m = square_group_map;
    for (int a = 0; a < 81; ++a) {
        for (int b = 0; b < 81; ++b) {
            if (m[a / 9][a % 9] == 0 && m[b / 9][b % 9] == 1 && grid[a] == grid[b] && a / 9 != b / 9) {
                std::swap(m[a / 9][a % 9], m[b / 9][b % 9]);
                return m;
            }
        }
    }
    return m;
}

TEST(TechniqueSoundness, IrregularGroupsKeepEverySolutionDigitAndNoMark) {
    rand_seed_thread(4242);
    const METHOD_TYPE levels[] = {METHOD_TURBOT,  METHOD_XY_XYZ_WING, METHOD_W_WING,      METHOD_X_CHAIN,
                                  METHOD_XY_CHAIN, METHOD_ALS,        METHOD_FORCING_NET};
    std::map<int, int> productive;
    for (int x : {0, 1}) {
        const std::string base = x ? kXGrid : kGrid;
        const Matrix<int, 9> map = traded_map(base);
        ASSERT_NE(std::memcmp(&map, &square_group_map, sizeof map), 0);
        for (int round = 0; round < 60; ++round) {
            // Relabelling the digits keeps the grid a solution of the same map.
            std::string digits = "123456789";
            for (int i = 0; i < 9; ++i) std::swap(digits[i], digits[i + arc4random_uniform(9 - i)]);
            std::string grid = base;
            for (char& ch : grid) ch = digits[ch - '1'];
            std::string clues(81, '.');
            const int n = 22 + static_cast<int>(arc4random_uniform(6));
            for (int i = 0; i < n; ++i) {
                const int k = static_cast<int>(arc4random_uniform(81));
                clues[k] = grid[k];
            }
            TestPuzzle t;
            load_solver_form(t.p, grid, clues, x, map);
            t->build_group_overlap();
            for (METHOD_TYPE level : levels) {
                t->apply_mask();
                t->solve(level);
                productive[level] += t->technique_counts[level];
                for (int k = 0; k < 81; ++k) {
                    ASSERT_TRUE(t->cells[k].elim_bits & static_cast<uint32_t>(t->cells[k].solution))
                        << "level " << level << " x " << x << " round " << round << " cell " << k;
                    ASSERT_EQ(t->cells[k].user_answer, 0) << "level " << level << " cell " << k;
                }
            }
        }
    }
    for (const auto& [level, count] : productive) EXPECT_GT(count, 0) << "level " << level << " never ran";
    rand_unseed_thread();
}

}  // namespace
