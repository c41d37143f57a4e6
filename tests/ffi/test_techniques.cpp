// The technique table against what the library says: the classifier's words and descriptions, the
// hint names and the candidate states all follow the one table.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "ffi/quorvel.h"
#include "ffi/techniques.h"

namespace {

using techniques::technique_at;

void box_rows(int groups[9][9]) {
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) groups[r][c] = (r / 3) * 3 + c / 3;
}

// Every 29th puzzle of the rated corpus, as clue rows.
template <class F>
void for_rated_sample(F f) {
    std::ifstream in(std::string(QUADRILLO_TEST_DATA) + "/se-rated-2593.txt");
    ASSERT_TRUE(in) << "missing rated corpus";
    std::string line;
    for (int n = 0; std::getline(in, line); ++n) {
        if (n % 29 || line.size() < 81) continue;
        int clues[9][9];
        for (int k = 0; k < 81; ++k) clues[k / 9][k % 9] = line[k] >= '1' && line[k] <= '9' ? line[k] - '0' : 0;
        f(clues);
    }
}

}  // namespace

TEST(TechniqueTable, VerdictsAndHintNamesAreTheTablesAtEveryLevelMet) {
    int groups[9][9];
    box_rows(groups);
    bool met[techniques::kLadderLevels + 1] = {};
    for_rated_sample([&](const int clues[9][9]) {
        const ClassifyResult r = classify_puzzle(0, 0, clues, groups, 0);
        ASSERT_TRUE(r.unique);
        ASSERT_GE(r.level, 0);
        ASSERT_LE(r.level, techniques::kLadderLevels);
        met[r.level] = true;
        const techniques::Technique& t = *technique_at(r.level);
        if (r.level > 0) {
            EXPECT_STREQ(r.description, t.description);
            EXPECT_STREQ(r.label, gen_bucket_name(t.bucket));
        }
        for (int k = 0; k < 81; ++k)
            if (r.cell_method[k] >= 0) {
                EXPECT_NE(techniques::find_technique(r.cell_method[k]), nullptr) << r.cell_method[k];
            }

        // The first hint from the givens names its technique by the table's title.
        int givens[81], flat_groups[81];
        for (int k = 0; k < 81; ++k) givens[k] = clues[k / 9][k % 9], flat_groups[k] = groups[k / 9][k % 9];
        SudokuStep s;
        ASSERT_EQ(sudoku_next_step(givens, nullptr, nullptr, flat_groups, 0, 0, 0, &s), 1);
        const bool xyz = s.level == technique_at(8)->ladder && !std::strcmp(s.name, techniques::technique_title(14));
        if (!xyz) {
            EXPECT_STREQ(s.name, technique_at(s.level)->title);
        }
        EXPECT_EQ(s.method, technique_at(s.level)->number);
    });
    int levels = 0;
    for (bool m : met) levels += m;
    EXPECT_GE(levels, 8) << "the sample should reach well up the ladder";
}

TEST(TechniqueTable, CandidateStatesNarrowUpTheLadderAndAreSolvedAboveTheRating) {
    int groups[9][9];
    box_rows(groups);
    int checked = 0;
    for_rated_sample([&](const int clues[9][9]) {
        if (++checked > 12) return;
        const ClassifyResult r = classify_puzzle(0, 0, clues, groups, 0);
        int before[81] = {}, now[81];
        for (int li = 1; li <= techniques::kLadderLevels; ++li) {
            ASSERT_EQ(candidate_state_at_level(0, 0, clues, groups, technique_at(li)->number, now), 1);
            for (int k = 0; k < 81 && li > 1; ++k) {
                ASSERT_EQ(now[k] & ~before[k], 0) << "a candidate came back at ladder place " << li;
            }
            // Just before the technique one place above the rating every cell is settled.
            for (int k = 0; k < 81 && li == r.level + 1; ++k) {
                EXPECT_EQ(__builtin_popcount(now[k]), 1) << "cell " << k;
            }
            std::memcpy(before, now, sizeof now);
        }
    });
}
