// The exported classification calls and the puzzle-bytes transform: results, round trips, bad input.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ffi/quorvel.h"
#include "maps/square_group_map.h"
#include "puzzle/Puzzle.h"
#include "util/rand_utils.h"

namespace {

using Bytes = std::vector<unsigned char>;

const char* kHard = "........8..3...4...9..2..6.....79.......612...6.5.2.7...8...5...1.....2.4.5.....3";

struct Flat {
    int clues[81];
    int groups[81];
};

Flat square_flat(const char* s) {
    Flat f{};
    for (int k = 0; k < 81; ++k) {
        f.clues[k] = s[k] >= '1' && s[k] <= '9' ? s[k] - '0' : 0;
        f.groups[k] = square_group_map[k / 9][k % 9];
    }
    return f;
}

// A jigsaw game in playing form with clues, answers and marks, as stored bytes.
Bytes make_jigsaw_game_bytes() {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    rand_seed_thread(721);
    SudokuHandle* h = sudoku_new();
    while (!sudoku_generate_solution(h, 1, 0)) {
    }
    for (int k = 0; k < 81; ++k) {
        PUZZLE_CELL& c = h->cells[k];
        c.status = k % 4 == 0;
        c.user_answer = k % 4 == 1 ? c.solution : 0;
        c.elim_bits = k % 4 == 2 ? 0x3fe & ~(1u << c.solution) : 1u << c.solution;
        c.small_mode = k % 4 == 2;
    }
    Bytes b(PUZZLE_BYTES);
    sudoku_get_puzzle_bytes(h, b.data());
    sudoku_free(h);
    sudoku_set_group_maps_dir(nullptr);
    return b;
}

// Jigsaw solutions can take a while to build: one game serves every test.
Bytes jigsaw_game_bytes() {
    static const Bytes game = make_jigsaw_game_bytes();
    return game;
}

const PUZZLE_CELL* cells(const Bytes& b) { return reinterpret_cast<const PUZZLE_CELL*>(b.data()); }

const int kIdentity[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};

TEST(ClassifyCalls, ClassifyCluesFillsTheRecord) {
    Flat f = square_flat(kHard);
    ClassifyInfo info;
    std::memset(&info, 0x55, sizeof info);
    ASSERT_EQ(sudoku_classify_clues(f.clues, f.groups, 0, 0, &info), 1);
    EXPECT_EQ(info.bucket, 9);
    EXPECT_EQ(info.level, 16);
    EXPECT_EQ(info.solvable, 1);
    EXPECT_EQ(info.unique, 1);
    EXPECT_EQ(info.solved, 1);
    EXPECT_EQ(info.clue_count, 22);
    EXPECT_STREQ(info.label, "beyond_hell");
    EXPECT_STREQ(info.description, "Beyond Hell — Brute Force");
    for (int k = 0; k < 81; ++k) {
        EXPECT_EQ(info.cell_given[k], f.clues[k] ? 1 : 0);
        EXPECT_GE(info.cell_digit[k], 1);
    }

    f.clues[1] = 8;  // 8 twice in row 0
    ASSERT_EQ(sudoku_classify_clues(f.clues, f.groups, 0, 0, &info), 1);
    EXPECT_EQ(info.bucket, -1);
    EXPECT_STREQ(info.label, "unsolvable");
}

TEST(ClassifyCalls, BadGridsAndPointersAreRefused) {
    ClassifyInfo info;
    int out[81];
    Flat f = square_flat(kHard);
    EXPECT_EQ(sudoku_classify_clues(nullptr, f.groups, 0, 0, &info), 0);
    EXPECT_EQ(sudoku_classify_clues(f.clues, nullptr, 0, 0, &info), 0);
    EXPECT_EQ(sudoku_classify_clues(f.clues, f.groups, 0, 0, nullptr), 0);
    EXPECT_EQ(sudoku_classify_handle(nullptr, 0, 0, &info), 0);
    EXPECT_EQ(sudoku_candidate_state_handle(nullptr, 0, 0, 7, out), 0);
    for (int bad : {-1, 10}) {
        Flat g = f;
        g.clues[40] = bad;
        EXPECT_EQ(sudoku_classify_clues(g.clues, g.groups, 0, 0, &info), 0) << bad;
    }
    for (int bad : {-1, 9}) {
        Flat g = f;
        g.groups[40] = bad;
        EXPECT_EQ(sudoku_classify_clues(g.clues, g.groups, 0, 0, &info), 0) << bad;
    }
    Flat g = f;
    g.groups[0] = 1;  // group 1 gets ten cells, group 0 eight
    EXPECT_EQ(sudoku_classify_clues(g.clues, g.groups, 1, 0, &info), 0);

    // A handle whose stored group words are broken is refused the same way.
    SudokuHandle* h = sudoku_new();
    Bytes b = jigsaw_game_bytes();
    reinterpret_cast<PUZZLE_CELL*>(b.data())[17].group = 1000;
    sudoku_set_puzzle_bytes(h, b.data());
    EXPECT_EQ(sudoku_classify_handle(h, 1, 0, &info), 0);
    EXPECT_EQ(sudoku_candidate_state_handle(h, 1, 0, 7, out), 0);
    sudoku_free(h);
}

TEST(ClassifyCalls, HandleCallsSeeOnlyTheClues) {
    SudokuHandle* h = sudoku_new();
    const Bytes b = jigsaw_game_bytes();
    sudoku_set_puzzle_bytes(h, b.data());
    ClassifyInfo info{};
    ASSERT_EQ(sudoku_classify_handle(h, 1, 0, &info), 1);
    int clues[81], groups[81];
    for (int k = 0; k < 81; ++k) {
        clues[k] = h->cells[k].status == 1 ? h->cells[k].solution : 0;
        groups[k] = h->cells[k].group;
    }
    ClassifyInfo direct{};
    ASSERT_EQ(sudoku_classify_clues(clues, groups, 1, 0, &direct), 1);
    EXPECT_EQ(std::memcmp(&info, &direct, sizeof info), 0);
    EXPECT_EQ(info.clue_count, 21);
    int out[81];
    ASSERT_EQ(sudoku_candidate_state_handle(h, 1, 0, METHOD_HIDDEN_SINGLES, out), 1);
    for (int k = 0; k < 81; ++k) EXPECT_TRUE(out[k] & (1 << h->cells[k].solution)) << k;
    sudoku_free(h);
}

TEST(ClassifyCalls, TransformRoundTrips) {
    const Bytes start = jigsaw_game_bytes();
    Bytes b = start;
    sudoku_transform_puzzle(b.data(), 0, kIdentity);
    EXPECT_EQ(b, start);
    for (int i = 0; i < 2; ++i) sudoku_transform_puzzle(b.data(), 3, kIdentity);
    EXPECT_EQ(b, start);
    for (int i = 0; i < 4; ++i) sudoku_transform_puzzle(b.data(), 6, kIdentity);
    EXPECT_EQ(b, start);
    // Each mirror undoes itself; each quarter turn is undone by the other.
    for (unsigned t : {1u, 2u, 4u, 5u}) {
        sudoku_transform_puzzle(b.data(), t, kIdentity);
        EXPECT_NE(b, start) << t;
        sudoku_transform_puzzle(b.data(), t, kIdentity);
        EXPECT_EQ(b, start) << t;
    }
    sudoku_transform_puzzle(b.data(), 6, kIdentity);
    sudoku_transform_puzzle(b.data(), 7, kIdentity);
    EXPECT_EQ(b, start);
}

TEST(ClassifyCalls, TransposeMovesCellsAndKeepsRingsClosed) {
    const Bytes start = jigsaw_game_bytes();
    Bytes b = start;
    sudoku_transform_puzzle(b.data(), 4, kIdentity);
    const PUZZLE_CELL* before = cells(start);
    const PUZZLE_CELL* after = cells(b);
    EXPECT_EQ(after[0].group, before[0].group);
    EXPECT_EQ(after[72].solution, before[8].solution);
    EXPECT_EQ(after[72].group, before[8].group);
    EXPECT_EQ(after[72].row, 8);
    EXPECT_EQ(after[72].col, 0);
    for (int k = 0; k < 81; ++k)
        for (int d = 0; d < 3; ++d) {
            int steps = 0;
            int p = k;
            do {
                p += after[p].next_in_house[d];
                ASSERT_TRUE(p >= 0 && p < 81);
                ++steps;
            } while (p != k && steps < 20);
            EXPECT_EQ(steps, 9) << "cell " << k << " dimension " << d;
        }
}

TEST(ClassifyCalls, PermutationRenamesDigitsAnswersAndMarks) {
    Bytes b = jigsaw_game_bytes();
    PUZZLE_CELL* c = reinterpret_cast<PUZZLE_CELL*>(b.data());
    c[3].elim_bits = (1u << 1) | (1u << 3);
    c[5].user_answer = 2;
    c[6].user_answer = 0;
    const Bytes start = b;
    const int swap12[9] = {2, 1, 3, 4, 5, 6, 7, 8, 9};
    sudoku_transform_puzzle(b.data(), 0, swap12);
    c = reinterpret_cast<PUZZLE_CELL*>(b.data());
    EXPECT_EQ(c[3].elim_bits, (1u << 2) | (1u << 3));
    EXPECT_EQ(c[5].user_answer, 1);
    EXPECT_EQ(c[6].user_answer, 0);
    for (int k = 0; k < 81; ++k) EXPECT_EQ(c[k].solution, swap12[cells(start)[k].solution - 1]);
    sudoku_transform_puzzle(b.data(), 0, swap12);
    EXPECT_EQ(b, start);
}

TEST(ClassifyCalls, InvalidTransformsLeaveTheBytesAlone) {
    const Bytes start = jigsaw_game_bytes();
    Bytes b = start;
    const int twice[9] = {1, 1, 3, 4, 5, 6, 7, 8, 9};
    const int zero[9] = {0, 2, 3, 4, 5, 6, 7, 8, 9};
    const int ten[9] = {10, 2, 3, 4, 5, 6, 7, 8, 9};
    sudoku_transform_puzzle(b.data(), 8, kIdentity);
    sudoku_transform_puzzle(b.data(), 3, twice);
    sudoku_transform_puzzle(b.data(), 3, zero);
    sudoku_transform_puzzle(b.data(), 3, ten);
    sudoku_transform_puzzle(b.data(), 3, nullptr);
    sudoku_transform_puzzle(nullptr, 3, kIdentity);
    EXPECT_EQ(b, start);
    reinterpret_cast<PUZZLE_CELL*>(b.data())[40].group = -7;
    const Bytes broken = b;
    sudoku_transform_puzzle(b.data(), 3, kIdentity);
    EXPECT_EQ(b, broken);
}

}  // namespace
