// The generation calls end to end: solutions on every kind of map, puzzles, rebuilding and cancel.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "ffi/quorvel.h"
#include "maps/GroupMap.h"
#include "puzzle/Puzzle.h"
#include "puzzle/Puzzle_parameters.h"
#include "support/exact_search.h"
#include "support/grid_checks.h"
#include "util/rand_utils.h"

namespace {

struct Handle {
    Puzzle* h = sudoku_new();
    Handle() { sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR); }
    ~Handle() {
        sudoku_free(h);
        sudoku_set_group_maps_dir(nullptr);
    }
};

bool is_box_layout(const Puzzle* p) {
    GroupMap gm{};
    for (int k = 0; k < 81; ++k) gm.groupMatrix[k / 9][k % 9] = p->cells[k].group;
    return gm.mapIsSquareBoxes();
}

TEST(Generate, SolutionsOnEveryKindOfMap) {
    rand_seed_thread(77);
    Handle a;
    for (int jigsaw : {0, 1}) {
        for (int x : {0, 1}) {
            // Every request succeeds at once: jigsaw maps too, where a stalled search starts afresh.
            for (int run = 0; run < (jigsaw ? 25 : 10); ++run) {
                ASSERT_EQ(sudoku_generate_solution(a.h, jigsaw, x), 1);
                EXPECT_EQ(a.h->map_type, jigsaw);
                EXPECT_EQ(a.h->adjacency, x);
                EXPECT_EQ(is_box_layout(a.h), !jigsaw) << "a jigsaw request must not fall back";
                EXPECT_EQ(solution_errors(*a.h, x, false), "");
                for (int k = 0; k < 81; ++k) {
                    SudokuCellInfo c;
                    sudoku_get_cell(a.h, k, &c);
                    EXPECT_EQ(c.status, 0);
                    EXPECT_EQ(c.elim_bits, 0);
                    EXPECT_EQ(c.user_answer | c.small_mode | c.reserved, 0);
                }
                int colors[9];
                sudoku_get_color_map(a.h, colors);
                for (int c : colors) EXPECT_TRUE(c >= 0 && c < 4);
                EXPECT_EQ(sudoku_are_neighbors(a.h, 10, 70), x);
            }
        }
    }
    rand_unseed_thread();
}

TEST(Generate, CancelBetweenCallsIsForgotten) {
    Handle a;
    sudoku_cancel(a.h);
    EXPECT_EQ(sudoku_generate_solution(a.h, 0, 0), 1);
    EXPECT_EQ(a.h->cancelled, 0);
}

TEST(Generate, PuzzlesArePlayableAndUnique) {
    rand_seed_thread(78);
    Handle a;
    for (int round = 0; round < 5; ++round)
    for (int quality : {0, 1, 2}) {
        for (int jigsaw : {0, 1}) {
            for (int x : {0, 1}) {
                testing::internal::CaptureStderr();
                ASSERT_EQ(sudoku_generate(a.h, jigsaw, x, quality, 0), 1) << quality << jigsaw << x;
                testing::internal::GetCapturedStderr();
                EXPECT_EQ(a.h->quality, quality);
                int counts[10];
                EXPECT_EQ(sudoku_get_state(a.h, counts), 0);
                int clues = 0;
                for (int k = 0; k < 81; ++k) {
                    const PUZZLE_CELL& c = a.h->cells[k];
                    EXPECT_EQ(c.elim_bits, c.status ? 1u << c.solution : 0u);
                    clues += c.status != 0;
                }
                EXPECT_LE(clues, clue_parameters_of(*a.h).ruling().max_n_clues);
                EXPECT_GE(clues, clue_parameters_of(*a.h).ruling().min_n_clues);
                Matrix<int, 9> map{};
                int given[81];
                for (int k = 0; k < 81; ++k) {
                    map[k / 9][k % 9] = a.h->cells[k].group;
                    given[k] = a.h->cells[k].status ? a.h->cells[k].solution : 0;
                }
                ExactSearch search;
                EXPECT_EQ(search.count_solutions(map, x, given), 1) << "exactly one solution";
                EXPECT_EQ(solution_errors(*a.h, x, false), "");

                // Rebuilt from its clues in a fresh handle, the puzzle solves by its ceiling technique alone.
                int flags[81], digits[81], groups[81], colors[9];
                for (int k = 0; k < 81; ++k) {
                    flags[k] = a.h->cells[k].status != 0;
                    digits[k] = a.h->cells[k].solution;
                    groups[k] = a.h->cells[k].group;
                }
                sudoku_get_color_map(a.h, colors);
                Handle b;
                ASSERT_EQ(sudoku_build_from_clues(b.h, jigsaw, x, quality, flags, digits, groups, colors), 1);
                EXPECT_EQ(0, std::memcmp(a.h->cells, b.h->cells, 5184));
                for (PUZZLE_CELL& c : b.h->cells) {
                    c.elim_bits = c.status ? 1u << c.solution : ALL_DIGITS;
                    c.solution = 1 << c.solution;
                }
                EXPECT_EQ(b.h->solve(clue_parameters_of(*b.h).ruling().method()), SOLVED);
            }
        }
    }
    rand_unseed_thread();
}

// The technique levels' difficulties: unique, in range, and needing a listed technique. The x kinds
// keep this quick (their budgets are small); the benchmark covers every kind.
TEST(Generate, HarderDifficultiesOnXMaps) {
    rand_seed_thread(79);
    Handle a;
    for (int quality = 3; quality <= 7; ++quality) {
        for (int jigsaw : {0, 1}) {
            // Most quality-5 attempts on x jigsaw maps end without a puzzle that needs its X-wing
            // (the attempt loop gives up, as it should); a caller simply asks again.
            int ok = 0;
            for (int attempt = 0; attempt < 40 && !ok; ++attempt) {
                testing::internal::CaptureStderr();
                ok = sudoku_generate(a.h, jigsaw, 1, quality, 0);
                testing::internal::GetCapturedStderr();
            }
            ASSERT_EQ(ok, 1) << "quality " << quality << " jigsaw " << jigsaw;
            const ParameterAtom& atom = clue_parameters_of(*a.h).ruling();
            Matrix<int, 9> map{};
            int given[81], clues = 0;
            for (int k = 0; k < 81; ++k) {
                map[k / 9][k % 9] = a.h->cells[k].group;
                given[k] = a.h->cells[k].status ? a.h->cells[k].solution : 0;
                clues += given[k] != 0;
            }
            EXPECT_LE(clues, atom.max_n_clues) << quality;
            EXPECT_GE(clues, atom.min_n_clues) << quality;
            ExactSearch search;
            EXPECT_EQ(search.count_solutions(map, true, given), 1) << quality;
            for (PUZZLE_CELL& c : a.h->cells) {
                c.elim_bits = c.status ? 1u << c.solution : ALL_DIGITS;
                c.solution = 1 << c.solution;
            }
            a.h->build_group_overlap();
            EXPECT_EQ(a.h->solve(atom.method()), SOLVED) << quality;
            EXPECT_TRUE(a.h->at_least_one_technique_for_difficulty(a.h->technique_counts)) << quality;
        }
    }
    rand_unseed_thread();
}

// The exported generation with the smallest attempt budget (effort 0, 100 attempts) instead of the
// full one, so that the two hardest difficulties finish quickly: the same solution, clue target,
// symmetry and attempt loop. Returns the puzzle's clue count, or 0 when no attempt succeeded.
int generate_hardest(Puzzle* h, int jigsaw, int x, int quality) {
    if (!sudoku_generate_solution(h, jigsaw, x)) return 0;
    h->quality = static_cast<UI_QUALITY>(quality);
    for (PUZZLE_CELL& c : h->cells) c.solution = 1 << c.solution;
    h->set_n_clues(static_cast<UI_QUALITY>(2));
    h->set_symmetry();
    if (h->symmetry != 2) h->build_sym_pool();
    h->build_group_overlap();
    testing::internal::CaptureStderr();
    const int r = h->make_puzzle(static_cast<UI_QUALITY>(0));
    testing::internal::GetCapturedStderr();
    return r > 0 ? h->count_mask() : 0;
}

// Qualities 8 and 9 on every kind: one solution (independent search), clues in range, solved by the
// ceiling technique with a listed technique needed. Clue removal skips the solver for clue sets with a
// second solution; a fault there would show as a puzzle with two.
TEST(Generate, HardestDifficultiesOnEveryKind) {
    rand_seed_thread(80);
    Handle a;
    for (int quality : {8, 9}) {
        for (int jigsaw : {0, 1}) {
            for (int x : {0, 1}) {
                int clues = 0;
                for (int attempt = 0; attempt < 10 && !clues; ++attempt) clues = generate_hardest(a.h, jigsaw, x, quality);
                ASSERT_GT(clues, 0) << "quality " << quality << " jigsaw " << jigsaw << " x " << x;
                const ParameterAtom& atom = clue_parameters_of(*a.h).ruling();
                EXPECT_LE(clues, atom.max_n_clues) << quality;
                EXPECT_GE(clues, atom.min_n_clues) << quality;
                Matrix<int, 9> map{};
                int given[81];
                for (int k = 0; k < 81; ++k) {
                    map[k / 9][k % 9] = a.h->cells[k].group;
                    given[k] = a.h->cells[k].status & STATUS_CLUE ? __builtin_ctz(a.h->cells[k].solution) : 0;
                }
                ExactSearch search;
                EXPECT_EQ(search.count_solutions(map, x, given), 1) << quality << jigsaw << x;
                a.h->apply_mask();
                EXPECT_EQ(a.h->solve(atom.method()), SOLVED) << quality << jigsaw << x;
                EXPECT_TRUE(a.h->at_least_one_technique_for_difficulty(a.h->technique_counts));
            }
        }
    }
    rand_unseed_thread();
}

TEST(Generate, ArgumentsOutsideTheirRange) {
    Handle a;
    testing::internal::CaptureStderr();
    EXPECT_EQ(sudoku_generate(a.h, 2, 7, 12, 0), 1);
    EXPECT_EQ(a.h->quality, 1);
    EXPECT_EQ(a.h->map_type, MAP_SQUARE);
    EXPECT_EQ(a.h->adjacency, ADJ_REGULAR);
    EXPECT_EQ(sudoku_generate(a.h, 0, 0, -1, 0), 1);
    EXPECT_EQ(a.h->quality, 1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(sudoku_generate(nullptr, 0, 0, 1, 0), 0);
    EXPECT_EQ(sudoku_generate_solution(nullptr, 0, 0), 0);

    int flags[81] = {}, digits[81], groups[81], colors[9] = {};
    for (int k = 0; k < 81; ++k) digits[k] = 1 + (k * 4 + k / 9) % 9, groups[k] = k / 9;
    groups[5] = 9;
    Handle b;
    EXPECT_EQ(sudoku_build_from_clues(b.h, 0, 0, 1, flags, digits, groups, colors), 0);
    groups[5] = 1;  // ten cells in group 1, eight in group 0
    EXPECT_EQ(sudoku_build_from_clues(b.h, 0, 0, 1, flags, digits, groups, colors), 0);
    groups[5] = 0;
    digits[3] = 10;
    EXPECT_EQ(sudoku_build_from_clues(b.h, 0, 0, 1, flags, digits, groups, colors), 0);
    EXPECT_EQ(sudoku_build_from_clues(b.h, 0, 0, 1, nullptr, digits, groups, colors), 0);
}

TEST(Generate, CancelFromAnotherThreadStopsAGeneration) {
    Handle a;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        sudoku_cancel(a.h);
    });
    testing::internal::CaptureStderr();
    // Difficulty 9 on x jigsaw maps has a budget of 20000 attempts: far more than 30 ms.
    int ok = sudoku_generate(a.h, 1, 1, 9, 0);
    std::string err = testing::internal::GetCapturedStderr();
    canceller.join();
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(err.find("itries=20000/20000"), std::string::npos) << err;
}

}  // namespace
