// The counting call: the exact counter's verdicts and first solution, and its refusals.
#include <gtest/gtest.h>

#include <cstring>

#include "ffi/quorvel.h"

namespace {

void boxes(int* g) {
    for (int k = 0; k < 81; ++k) g[k] = (k / 27) * 3 + (k % 9) / 3;
}

void read(const char* line, int* out) {
    for (int k = 0; k < 81; ++k) out[k] = line[k] >= '1' && line[k] <= '9' ? line[k] - '0' : 0;
}

}  // namespace

TEST(CountSolutions, OneSeveralNoneAndTheFirstSolution) {
    int clues[81], groups[81], solution[81] = {}, expected[81];
    boxes(groups);
    read("53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79", clues);
    read("534678912672195348198342567859761423426853791713924856961537284287419635345286179", expected);
    EXPECT_EQ(sudoku_count_solutions(clues, groups, 0, 2, 0, solution), 1);
    EXPECT_EQ(0, std::memcmp(solution, expected, sizeof expected));
    EXPECT_EQ(sudoku_count_solutions(clues, groups, 0, 1, 0, nullptr), 1);
    int empty[81] = {};
    EXPECT_EQ(sudoku_count_solutions(empty, groups, 0, 2, 0, nullptr), 2);
    EXPECT_EQ(sudoku_count_solutions(empty, groups, 0, 5, 0, nullptr), 5) << "stops at the limit";
    EXPECT_EQ(sudoku_count_solutions(empty, groups, 1, 2, 0, solution), 2);
    for (int i = 0; i < 9; ++i) EXPECT_NE(solution[i * 10], solution[(i + 1) % 9 * 10]) << "x rules hold on the diagonal";
    clues[2] = 5;  // a second 5 in the first row
    EXPECT_EQ(sudoku_count_solutions(clues, groups, 0, 2, 0, nullptr), 0);
    // On the x rules the counter and the classification agree on the same clues.
    clues[2] = 0;
    ClassifyInfo info;
    ASSERT_TRUE(sudoku_classify_clues(clues, groups, 0, 1, &info));
    EXPECT_EQ(sudoku_count_solutions(clues, groups, 1, 2, 0, nullptr), info.unique ? 1 : info.solvable ? 2 : 0);
}

TEST(CountSolutions, RefusesBadInputAndHonoursItsBudget) {
    int clues[81] = {}, groups[81];
    boxes(groups);
    EXPECT_EQ(sudoku_count_solutions(nullptr, groups, 0, 2, 0, nullptr), -2);
    EXPECT_EQ(sudoku_count_solutions(clues, nullptr, 0, 2, 0, nullptr), -2);
    EXPECT_EQ(sudoku_count_solutions(clues, groups, 0, 0, 0, nullptr), -2);
    clues[4] = 10;
    EXPECT_EQ(sudoku_count_solutions(clues, groups, 0, 2, 0, nullptr), -2);
    clues[4] = 0;
    groups[0] = 1;  // group 1 with ten cells
    EXPECT_EQ(sudoku_count_solutions(clues, groups, 0, 2, 0, nullptr), -2);
    boxes(groups);
    EXPECT_EQ(sudoku_count_solutions(clues, groups, 0, 1000000, 5, nullptr), -1) << "five steps settle nothing";
}
