// The classifier's verdicts: named cases, orientation independence, generated puzzles, threads, bad input.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "classify/canonical_form.h"
#include "classify/puzzle_classify.h"
#include "maps/square_group_map.h"
#include "support/puzzle_builder.h"
#include "support/random_grids.h"

namespace {

// Hardest-class puzzle with one solution: the ladder does not finish it.
const std::string kHard = "........8..3...4...9..2..6.....79.......612...6.5.2.7...8...5...1.....2.4.5.....3";

struct Grid {
    int clues[9][9] = {};
    int groups[9][9] = {};
};

Grid square(const std::string& s) {
    Grid g;
    std::memcpy(g.groups, square_group_map.m, sizeof g.groups);
    for (int k = 0; k < 81; ++k) g.clues[k / 9][k % 9] = s[k] >= '1' && s[k] <= '9' ? s[k] - '0' : 0;
    return g;
}

ClassifyResult classify(const Grid& g, int jigsaw = 0, int x = 0, long budget = 0) {
    return classify_puzzle(jigsaw, x, g.clues, g.groups, budget);
}

std::string with_open(std::string s, std::initializer_list<int> open) {
    for (int k : open) s[k] = '.';
    return s;
}

TEST(Classify, AllGivenAndNakedSinglesNamedByTheNumberOfGivens) {
    ClassifyResult r = classify(square(kGrid));
    EXPECT_EQ(r.level, -1);
    EXPECT_TRUE(r.solved && r.unique && r.solvable);
    EXPECT_STREQ(r.label, "quickie");
    EXPECT_STREQ(r.description, "Trivial (all given)");

    // A naked-singles puzzle of at most 33 givens, topped up from its solution to 33 and then 34:
    // more givens never stop naked singles.
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    rand_seed_thread(707);
    SudokuHandle* h = sudoku_new();
    testing::internal::CaptureStderr();
    ASSERT_EQ(sudoku_generate(h, 0, 0, 1, 0), 1);
    testing::internal::GetCapturedStderr();
    Grid g = square(std::string(81, '.'));
    int givens = 0;
    for (int k = 0; k < 81; ++k) {
        if (h->cells[k].status) g.clues[k / 9][k % 9] = h->cells[k].solution, ++givens;
    }
    ASSERT_LE(givens, 33);
    for (int k = 0; k < 81 && givens < 33; ++k) {
        if (!g.clues[k / 9][k % 9]) g.clues[k / 9][k % 9] = h->cells[k].solution, ++givens;
    }
    r = classify(g);
    EXPECT_EQ(r.level, 0);
    EXPECT_STREQ(r.label, "easy");
    EXPECT_STREQ(r.description, "Easy — Naked Singles only");
    for (int k = 0; k < 81; ++k) EXPECT_EQ(r.cell_digit[k], h->cells[k].solution);
    for (int k = 0; k < 81; ++k) {
        if (g.clues[k / 9][k % 9]) continue;
        g.clues[k / 9][k % 9] = h->cells[k].solution;
        break;
    }
    int count = 0;
    for (int k = 0; k < 81; ++k) count += g.clues[k / 9][k % 9] != 0;
    ASSERT_EQ(count, 34);
    r = classify(g);
    EXPECT_STREQ(r.label, "quickie");
    EXPECT_STREQ(r.description, "Quickie — Naked Singles only");
    sudoku_free(h);
    sudoku_set_group_maps_dir(nullptr);
}

TEST(Classify, ContradictionsAndSeveralSolutions) {
    std::string s = with_open(kHard, {1});
    s[1] = '8';  // 8 twice in row 0
    ClassifyResult r = classify(square(s));
    EXPECT_STREQ(r.label, "unsolvable");
    EXPECT_STREQ(r.description, "No solution — the given digits contradict");
    EXPECT_EQ(r.level, -1);
    EXPECT_FALSE(r.solved || r.solvable || r.unique || r.budget_exhausted);
    for (int m : r.cell_method) EXPECT_EQ(m, -2);
    EXPECT_EQ(r.clue_count, 23);

    // Equal digits on the anti-diagonal clash only under the x rule.
    Grid g = square(std::string(81, '.'));
    g.clues[0][8] = g.clues[8][0] = 5;
    EXPECT_STREQ(classify(g, 0, 1).description, "No solution — the given digits contradict");
    EXPECT_NE(std::string(classify(g, 0, 0).description), "No solution — the given digits contradict");

    // An open 6/7 rectangle has two solutions; naked singles still place the other open cell.
    r = classify(square(with_open(kGrid, {3, 4, 30, 31, 80})));
    EXPECT_STREQ(r.label, "unsolvable");
    EXPECT_TRUE(r.solvable);
    EXPECT_FALSE(r.unique);
    EXPECT_EQ(r.level, 0);
    EXPECT_STREQ(r.description, "Quickie — Naked Singles only");
    EXPECT_EQ(r.cell_method[80], 0);
}

TEST(Classify, SearchFinishesWhatTheLadderCannotUnlessTheBudgetEnds) {
    ClassifyResult r = classify(square(kHard));
    EXPECT_EQ(r.level, 16);
    EXPECT_STREQ(r.label, "beyond_hell");
    EXPECT_STREQ(r.description, "Beyond Hell — Brute Force");
    int searched = 0;
    for (int k = 0; k < 81; ++k) {
        searched += r.cell_method[k] == 27;
        if (kHard[k] == '.') continue;
        EXPECT_EQ(r.cell_digit[k], kHard[k] - '0');
    }
    EXPECT_GT(searched, 0);

    r = classify(square(kHard), 0, 0, 1);
    EXPECT_TRUE(r.budget_exhausted);
    EXPECT_FALSE(r.solvable || r.unique || r.solved);
    EXPECT_STREQ(r.label, "unsolvable");
}

TEST(Classify, MirrorImagesAgreeCellByCell) {
    rand_seed_thread(703);
    const SolvedGrid sg = random_solved_grid(1, 0);
    std::array<int, 81> clues = random_clues(sg, 40);
    Grid g, m;
    std::memcpy(g.clues, clues.data(), sizeof g.clues);
    std::memcpy(g.groups, sg.groups, sizeof g.groups);
    orient_grid(2, g.clues, m.clues);
    orient_grid(2, g.groups, m.groups);
    const ClassifyResult a = classify(g, 1), b = classify(m, 1);
    EXPECT_STREQ(a.label, b.label);
    EXPECT_STREQ(a.description, b.description);
    for (int k = 0; k < 81; ++k) {
        const int mk = k / 9 * 9 + 8 - k % 9;
        EXPECT_EQ(a.cell_method[k], b.cell_method[mk]);
        EXPECT_EQ(a.cell_digit[k], b.cell_digit[mk]);
    }
}

TEST(Classify, HiddenSingleCellsCarryTheAtomThatFoundThem) {
    // Opening a box and a row leaves cells whose digit is hidden only in their box or line.
    rand_seed_thread(704);
    bool seen32 = false;
    for (int round = 0; round < 40 && !seen32; ++round) {
        const SolvedGrid sg = random_solved_grid(0, 0);
        std::array<int, 81> clues = random_clues(sg, 30);
        Grid g;
        std::memcpy(g.clues, clues.data(), sizeof g.clues);
        std::memcpy(g.groups, sg.groups, sizeof g.groups);
        const ClassifyResult r = classify(g);
        bool has32 = false, has1 = false;
        for (int m : r.cell_method) has32 |= m == 32, has1 |= m == METHOD_HIDDEN_SINGLES;
        EXPECT_FALSE(has32 && has1) << "a single native atom renames every hidden-single cell";
        seen32 |= has32;
    }
    EXPECT_TRUE(seen32);
}

// The x kinds keep generation quick; difficulties 8 and 9 take minutes and are left to the benchmark.
TEST(Classify, EveryGeneratedPuzzleIsUniqueAndItsDigitsAreTheSolution) {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    rand_seed_thread(705);
    SudokuHandle* h = sudoku_new();
    for (int quality = 0; quality <= 7; ++quality) {
        const int jigsaw = quality % 2;
        testing::internal::CaptureStderr();
        const int ok = sudoku_generate(h, jigsaw, 1, quality, 0);
        testing::internal::GetCapturedStderr();
        if (!ok) continue;  // a failed draw is the generator's business
        ClassifyInfo info{};
        ASSERT_EQ(sudoku_classify_handle(h, h->map_type, 1, &info), 1);
        EXPECT_TRUE(info.unique) << "quality " << quality;
        EXPECT_GE(info.bucket, 0) << "quality " << quality;
        for (int k = 0; k < 81; ++k) EXPECT_EQ(info.cell_digit[k], h->cells[k].solution) << quality << " " << k;
    }
    sudoku_free(h);
    sudoku_set_group_maps_dir(nullptr);
}

TEST(Classify, ThreadsShareTheCacheSafely) {
    rand_seed_thread(706);
    std::vector<Grid> grids;
    for (int i = 0; i < 8; ++i) {
        const SolvedGrid sg = random_solved_grid(i % 2, i / 2 % 2);
        std::array<int, 81> clues = random_clues(sg, 30);
        Grid g;
        std::memcpy(g.clues, clues.data(), sizeof g.clues);
        std::memcpy(g.groups, sg.groups, sizeof g.groups);
        grids.push_back(g);
    }
    // The threads go first, so the rules of the new jigsaw maps are compiled while they race.
    std::vector<ClassifyResult> alone, together(grids.size());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (size_t i = t; i < grids.size(); i += 4) together[i] = classify(grids[i], i % 2, i / 2 % 2);
        });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < grids.size(); ++i) alone.push_back(classify(grids[i], i % 2, i / 2 % 2));
    for (size_t i = 0; i < grids.size(); ++i)
        EXPECT_EQ(std::memcmp(&alone[i], &together[i], sizeof alone[i]), 0) << i;
}

TEST(Classify, OutOfRangeGridsAreRefusedSafely) {
    Grid g = square(kHard);
    g.clues[0][0] = 12;
    int out[81];
    EXPECT_STREQ(classify(g).label, "unsolvable");
    EXPECT_EQ(candidate_state_at_level(0, 0, g.clues, g.groups, METHOD_X_WING, out), 0);
    g = square(kHard);
    g.groups[4][4] = 9;
    EXPECT_STREQ(classify(g).label, "unsolvable");
    g.groups[4][4] = 0;  // ten cells in group 0
    EXPECT_STREQ(classify(g).label, "unsolvable");
    EXPECT_EQ(candidate_state_at_level(0, 0, g.clues, g.groups, METHOD_X_WING, out), 0);
    EXPECT_EQ(candidate_state_at_level(0, 0, square(kHard).clues, square(kHard).groups, METHOD_X_WING, nullptr), 0);
}

TEST(Classify, CandidatesBeforeATechniqueAndTheNameTables) {
    const Grid g = square(kHard);
    int out[81];
    ASSERT_EQ(candidate_state_at_level(0, 0, g.clues, g.groups, METHOD_HIDDEN_SINGLES, out), 1);
    TestPuzzle t;
    load_clues(t.p, kHard);
    t->solve(METHOD_NAKED_SINGLES);
    for (int k = 0; k < 81; ++k) EXPECT_EQ(static_cast<uint32_t>(out[k]), t->cells[k].elim_bits);

    int counts[N_TECHNIQUE_COUNTS] = {};
    counts[METHOD_SUBSETS] = counts[METHOD_HIDDEN_SINGLES] = counts[SLOT_XY_WING] = 1;
    EXPECT_EQ(hardest_method_used(counts), METHOD_SUBSETS) << "sub-counts are not techniques";
    counts[METHOD_W_WING] = 1;
    EXPECT_EQ(hardest_method_used(counts), METHOD_W_WING);
    counts[METHOD_FORCING_NET] = 1;
    EXPECT_EQ(hardest_method_used(counts), METHOD_FORCING_NET);
    EXPECT_EQ(method_type_to_bucket(static_cast<METHOD_TYPE>(6)), 9);
    EXPECT_STREQ(gen_bucket_name(10), "");
    EXPECT_EQ(gen_bucket_index("unsolvable"), -1);
    EXPECT_EQ(gen_bucket_index(nullptr), -1);
    EXPECT_STREQ(gen_adj_name(-1), "");
}

}  // namespace

namespace {

TEST(ClassifyVariants, BestOrientationIsNeverHarderAndMapsCellsBack) {
    const Grid hard = square(kHard);
    int t = -1;
    const ClassifyResult plain = classify(hard);
    const ClassifyResult best = classify_puzzle_best_orientation(0, 0, hard.clues, hard.groups, 0, &t);
    ASSERT_TRUE(t >= 0 && t < 8);
    EXPECT_TRUE(best.unique);
    EXPECT_LE(gen_bucket_index(best.label), gen_bucket_index(plain.label));
    for (int k = 0; k < 81; ++k) EXPECT_EQ(best.cell_digit[k], plain.cell_digit[k]) << k;

    // Every orientation of a full grid gives the same verdict: the first one stays.
    const Grid full = square(kGrid);
    classify_puzzle_best_orientation(0, 0, full.clues, full.groups, 0, &t);
    EXPECT_EQ(t, 0);
}

TEST(ClassifyVariants, NoUniqueVerdictFallsBackToThePlainOne) {
    const Grid two = square(with_open(kGrid, {3, 4, 30, 31}));
    int t = -1;
    const ClassifyResult r = classify_puzzle_best_orientation(0, 0, two.clues, two.groups, 0, &t);
    const ClassifyResult plain = classify(two);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(std::memcmp(&r, &plain, sizeof r), 0);
    EXPECT_STREQ(classify_puzzle_for_pool(0, 0, two.clues, two.groups, 0), "unsolvable");

    Grid clash = square(kHard);
    clash.clues[0][0] = 8;
    t = -1;
    EXPECT_STREQ(classify_puzzle_best_orientation(0, 0, clash.clues, clash.groups, 0, &t).description,
                 "No solution — the given digits contradict");
    EXPECT_EQ(t, 0);
    EXPECT_STREQ(classify_puzzle_for_pool(0, 0, clash.clues, clash.groups, 0), "unsolvable");
    const Grid hard = square(kHard);
    EXPECT_STREQ(classify_puzzle_for_pool(0, 0, hard.clues, hard.groups, 0), "beyond_hell");
}

}  // namespace
