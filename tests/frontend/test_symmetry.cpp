// The square's eight symmetries and digit renamings as the front ends apply them through the engine.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ffi/quorvel.h"
#include "puzzle_line.h"
#include "symmetry.h"

namespace {

const std::string kJigsaw =
    ".....19.339.4.681.....35...6.3.......6..5.....1.5...364.9..8...2.4..9.57..582.76. "
    "000111222300111224300111224330052244355555554336657744336687744666888777668888877";
constexpr int kIdentity[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};

struct Turned {
    int clues[81], groups[81];
    bool operator==(const Turned& o) const {
        return std::equal(clues, clues + 81, o.clues) && std::equal(groups, groups + 81, o.groups);
    }
};

Turned turn(const Turned& g, int s, const int* perm = kIdentity) {
    Turned out;
    frontend::transform_grid(sudoku_transform_puzzle, g.clues, g.groups, s, perm, out.clues, out.groups);
    return out;
}

Turned jigsaw() {
    frontend::PuzzleLine line;
    std::string why;
    EXPECT_TRUE(frontend::parse_puzzle_line(kJigsaw, line, why)) << why;
    Turned g;
    std::copy(line.clues, line.clues + 81, g.clues);
    std::copy(line.groups, line.groups + 81, g.groups);
    return g;
}

TEST(Symmetries, TheEngineMovesEveryCellWhereTheTableSays) {
    // Cell k holds digit k % 9 + 1 and group k / 9: after a turn each cell's content names its source.
    Turned marked;
    for (int k = 0; k < 81; ++k) marked.clues[k] = k % 9 + 1, marked.groups[k] = k / 9;
    for (int s = 0; s < frontend::kSymmetries; ++s) {
        const Turned t = turn(marked, s);
        for (int k = 0; k < 81; ++k) {
            const int to = frontend::symmetry_destination(s, k);
            EXPECT_EQ(t.clues[to], k % 9 + 1) << frontend::kSymmetryNames[s] << " cell " << k;
            EXPECT_EQ(t.groups[to], k / 9) << frontend::kSymmetryNames[s] << " cell " << k;
        }
    }
}

TEST(Symmetries, ComposeAsAGroupAndTheInversesUndo) {
    const Turned g = jigsaw();
    std::set<std::string> seen;
    for (int a = 0; a < frontend::kSymmetries; ++a) {
        const Turned once = turn(g, a);
        seen.insert(frontend::format_puzzle_line(once.clues, once.groups, true));
        EXPECT_TRUE(turn(once, frontend::kInverseSymmetry[a]) == g) << frontend::kSymmetryNames[a];
        EXPECT_EQ(frontend::compose_symmetries(a, frontend::kInverseSymmetry[a]), 0);
        for (int b = 0; b < frontend::kSymmetries; ++b) {
            const int ab = frontend::compose_symmetries(a, b);
            ASSERT_GE(ab, 0);
            EXPECT_TRUE(turn(once, b) == turn(g, ab)) << frontend::kSymmetryNames[a] << " then " << frontend::kSymmetryNames[b];
        }
    }
    EXPECT_EQ(seen.size(), 8u);  // this jigsaw has no symmetry of its own
    EXPECT_EQ(frontend::compose_symmetries(6, 6), 3);  // two quarter turns make a half turn
    EXPECT_EQ(frontend::compose_symmetries(1, 2), 3);  // both mirrors make one too
}

TEST(Symmetries, DigitsAreRenamedAndTheRenamingUndone) {
    const Turned g = jigsaw();
    int perm[9];
    ASSERT_TRUE(frontend::parse_renaming("918273645", perm));
    const Turned renamed = turn(g, 0, perm);
    for (int k = 0; k < 81; ++k)
        EXPECT_EQ(renamed.clues[k], g.clues[k] ? perm[g.clues[k] - 1] : 0);
    int undo[9];
    frontend::invert_renaming(perm, undo);
    EXPECT_TRUE(turn(turn(g, 6, perm), 7, undo) == g);
    for (const char* bad : {"112345678", "12345678", "1234567890", "023456789", "12345678x"})
        EXPECT_FALSE(frontend::parse_renaming(bad, perm)) << bad;
}

TEST(Symmetries, NamesAndNumbersAreRead) {
    for (int s = 0; s < frontend::kSymmetries; ++s) {
        EXPECT_EQ(frontend::parse_symmetry(frontend::kSymmetryNames[s]), s);
        EXPECT_EQ(frontend::parse_symmetry(std::to_string(s).c_str()), s);
    }
    for (const char* bad : {"8", "-1", "07", "", "rotate"}) EXPECT_EQ(frontend::parse_symmetry(bad), -1) << bad;
}

}  // namespace
