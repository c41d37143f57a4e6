// The next-step call: followed step by step from the givens it solves what the ladder solves, every
// step sound and no harder than the puzzle's rating; bad positions get their own answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ffi/quorvel.h"

namespace {

void boxes(int* groups) {
    for (int k = 0; k < 81; ++k) groups[k] = (k / 27) * 3 + (k % 9) / 3;
}

bool read_line(const std::string& line, int* clues) {
    if (line.size() < 81) return false;
    for (int k = 0; k < 81; ++k) clues[k] = line[k] >= '1' && line[k] <= '9' ? line[k] - '0' : 0;
    return true;
}

struct Walk {
    int steps = 0;
    int hardest = -1;
    bool solved = false;
};

// Follows the hints from the givens: placements become answers, removals leave the candidates.
Walk follow(const int* givens, const int* groups, const int* solution, int adjacency, int map_kind) {
    Walk w;
    int answers[81] = {}, cand[81] = {};
    for (int guard = 0; guard < 400; ++guard) {
        SudokuStep s;
        const int found = sudoku_next_step(givens, answers, cand, groups, map_kind, adjacency, 0, &s);
        if (s.status == 0) {
            w.solved = true;
            return w;
        }
        EXPECT_EQ(found, 1);
        EXPECT_EQ(s.status, 1);
        if (s.status != 1) return w;
        ++w.steps;
        w.hardest = std::max(w.hardest, s.level);
        bool did = false;
        for (int k = 0; k < 81; ++k) {
            EXPECT_FALSE(s.removed[k] & (1 << solution[k])) << "step " << s.name << " removes the solution at " << k;
            if (s.placed[k]) {
                EXPECT_EQ(s.placed[k], solution[k]) << s.name << " at " << k;
                answers[k] = s.placed[k];
                did = true;
            }
            if (s.removed[k]) {
                if (!cand[k]) cand[k] = 0x3fe;
                cand[k] &= ~s.removed[k];
                did = true;
            }
        }
        EXPECT_TRUE(did) << "a step that does nothing: " << s.name;
        if (!did) return w;
    }
    return w;
}

}  // namespace

TEST(NextStep, FollowedFromTheGivensItSolvesTheRatedCorpusSoundlyAndNoHarderThanItsRating) {
    std::ifstream in(std::string(QUADRILLO_TEST_DATA) + "/se-rated-2593.txt");
    ASSERT_TRUE(in) << "the rated corpus";
    const char* stride_text = std::getenv("NEXT_STEP_STRIDE");
#if defined(__SANITIZE_ADDRESS__)
    const int default_stride = 41;  // the sanitizers slow the walk ten times over
#else
    const int default_stride = 7;
#endif
    const int stride = stride_text ? std::max(1, std::atoi(stride_text)) : default_stride;
    int groups[81];
    boxes(groups);
    std::string line;
    int n = 0, checked = 0;
    while (std::getline(in, line)) {
        if (n++ % stride) continue;
        int clues[81];
        ASSERT_TRUE(read_line(line, clues));
        ClassifyInfo info;
        ASSERT_TRUE(sudoku_classify_clues(clues, groups, 0, 0, &info));
        if (!info.solved || info.level > 15 || info.level < 0) continue;
        const Walk w = follow(clues, groups, info.cell_digit, 0, 0);
        EXPECT_TRUE(w.solved) << line;
        EXPECT_LE(w.hardest, info.level) << line;
        ++checked;
    }
    EXPECT_GT(checked, 2593 / stride / 2);
}

TEST(NextStep, NamesAWrongDigitAndRefusesBadPositions) {
    const char* line = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";
    int clues[81], groups[81], answers[81] = {};
    read_line(line, clues);
    boxes(groups);
    SudokuStep s;
    answers[2] = 1;  // the solution has 4 there
    EXPECT_EQ(sudoku_next_step(clues, answers, nullptr, groups, 0, 0, 0, &s), 0);
    EXPECT_EQ(s.status, -2);
    EXPECT_EQ(s.wrong_cell, 2);
    answers[2] = 4;
    EXPECT_EQ(sudoku_next_step(clues, answers, nullptr, groups, 0, 0, 0, &s), 1);
    EXPECT_EQ(s.level, 0);
    EXPECT_STRNE(s.name, "");

    EXPECT_EQ(sudoku_next_step(nullptr, answers, nullptr, groups, 0, 0, 0, &s), 0);
    EXPECT_EQ(s.status, -1);
    EXPECT_EQ(sudoku_next_step(clues, answers, nullptr, nullptr, 0, 0, 0, &s), 0);
    EXPECT_EQ(s.status, -1);
    EXPECT_EQ(sudoku_next_step(clues, answers, nullptr, groups, 0, 0, 0, nullptr), 0);
    int bad[81];
    std::copy(clues, clues + 81, bad);
    bad[3] = 12;
    EXPECT_EQ(sudoku_next_step(bad, nullptr, nullptr, groups, 0, 0, 0, &s), 0);
    EXPECT_EQ(s.status, -1);
    bad[3] = 5;  // the row has a 5 already
    EXPECT_EQ(sudoku_next_step(bad, nullptr, nullptr, groups, 0, 0, 0, &s), 0);
    EXPECT_EQ(s.status, -3);
    int few[81] = {};
    few[0] = 1;
    EXPECT_EQ(sudoku_next_step(few, nullptr, nullptr, groups, 0, 0, 0, &s), 0);
    EXPECT_EQ(s.status, -3) << "many solutions";
    int cand[81] = {};
    cand[5] = 1 << 12;
    EXPECT_EQ(sudoku_next_step(clues, nullptr, cand, groups, 0, 0, 0, &s), 0);
    EXPECT_EQ(s.status, -1);
}

TEST(NextStep, MarksThatDropTheSolutionDigitNeverMisleadTheHint) {
    const char* line = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";
    const char* solution_text = "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    int clues[81], groups[81], solution[81], cand[81];
    read_line(line, clues);
    read_line(solution_text, solution);
    boxes(groups);
    // The player struck out the right digit everywhere.
    for (int k = 0; k < 81; ++k) cand[k] = clues[k] ? 0 : (0x3fe & ~(1 << solution[k]));
    SudokuStep s;
    ASSERT_EQ(sudoku_next_step(clues, nullptr, cand, groups, 0, 0, 0, &s), 1);
    for (int k = 0; k < 81; ++k) {
        EXPECT_FALSE(s.removed[k] & (1 << solution[k]));
        if (s.placed[k]) {
            EXPECT_EQ(s.placed[k], solution[k]);
        }
    }
}
