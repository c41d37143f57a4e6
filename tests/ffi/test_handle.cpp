// The exported handle calls: lifecycle, deadline, cell reads, snapshots, restart and bad input.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ffi/quorvel.h"
#include "maps/square_group_map.h"
#include "puzzle/Puzzle.h"
#include "util/utility.h"

namespace {

const char* kSolution =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

struct Handle {
    Puzzle* h = sudoku_new();
    ~Handle() { sudoku_free(h); }
};

// A square game in playing form: every third cell a clue, the player has been at work elsewhere.
void make_game(Puzzle* h, int adjacency) {
    h->setup(square_group_map);
    h->adjacency = adjacency ? ADJ_X : ADJ_REGULAR;
    h->define_are_neighbors_array();
    h->setup_ptrs_first_in_dims();
    for (int k = 0; k < N_CELLS; ++k) {
        PUZZLE_CELL& c = h->cells[k];
        c.solution = kSolution[k] - '0';
        c.status = k % 3 == 0;
        c.elim_bits = c.status ? 1u << c.solution : 0x3fe;
        c.user_answer = c.status ? 0 : (k % 5 == 0 ? c.solution : 0);
        c.small_mode = k % 7 == 1;
        c.reserved = k % 11 == 2 ? 9 : 0;
    }
}

TEST(Handle, NewIsClearedAndFreeAcceptsNull) {
    Handle a;
    ASSERT_NE(a.h, nullptr);
    EXPECT_EQ(a.h->are_neighbors_array, nullptr);
    EXPECT_EQ(a.h->deadline_ms, 0);
    EXPECT_EQ(a.h->fill_calls, 0);
    EXPECT_EQ(a.h->cancelled, 0);
    EXPECT_EQ(a.h->fill_stopped, 0);
    sudoku_cancel(a.h);
    EXPECT_EQ(a.h->cancelled, 1);
    EXPECT_EQ(a.h->fill_stopped, 1);
    sudoku_free(nullptr);
    EXPECT_EQ(sudoku_puzzle_byte_size(), 5184);
}

TEST(Handle, DeadlineSetAndCleared) {
    Handle a;
    int64_t before = steady_now_ms();
    sudoku_set_deadline_ms(a.h, 1500);
    int64_t after = steady_now_ms();
    EXPECT_GE(a.h->deadline_ms, before + 1500);
    EXPECT_LE(a.h->deadline_ms, after + 1500);
    sudoku_set_deadline_ms(a.h, 0);
    EXPECT_EQ(a.h->deadline_ms, 0);
    sudoku_set_deadline_ms(a.h, 10);
    sudoku_set_deadline_ms(a.h, -5);
    EXPECT_EQ(a.h->deadline_ms, 0);
}

TEST(Handle, GroupBordersOnTheSquareMap) {
    Handle a;
    make_game(a.h, 0);
    for (int k = 8; k < 81; k += 9) EXPECT_EQ(sudoku_same_group_right(a.h, k), 0);
    EXPECT_EQ(sudoku_same_group_right(a.h, 0), 1);
    EXPECT_EQ(sudoku_same_group_right(a.h, 2), 0);
    for (int k = 72; k < 81; ++k) EXPECT_EQ(sudoku_same_group_below(a.h, k), 0);
    EXPECT_EQ(sudoku_same_group_below(a.h, 18), 0);
    EXPECT_EQ(sudoku_same_group_below(a.h, 9), 1);
}

TEST(Handle, PuzzleBytesRoundTripIntoAFreshHandle) {
    for (int adjacency : {0, 1}) {
        Handle a, b;
        make_game(a.h, adjacency);
        std::vector<unsigned char> bytes(sudoku_puzzle_byte_size());
        sudoku_get_puzzle_bytes(a.h, bytes.data());
        sudoku_set_puzzle_bytes(b.h, bytes.data());
        sudoku_setup_loaded(b.h, 0, adjacency);
        EXPECT_EQ(b.h->adjacency, adjacency);
        for (int i = 0; i < 81; ++i) {
            SudokuCellInfo x, y;
            sudoku_get_cell(a.h, i, &x);
            sudoku_get_cell(b.h, i, &y);
            EXPECT_EQ(0, std::memcmp(&x, &y, sizeof x)) << "cell " << i;
            for (int j = 0; j < 81; ++j)
                ASSERT_EQ(sudoku_are_neighbors(a.h, i, j), sudoku_are_neighbors(b.h, i, j)) << i << " " << j;
        }
        EXPECT_EQ(sudoku_are_neighbors(b.h, 10, 70), adjacency);
        for (int d = 0; d < N_DIMENSIONS; ++d)
            for (int hs = 0; hs < 9; ++hs) {
                PUZZLE_CELL* fa = a.h->first_in_dim[d][hs];
                PUZZLE_CELL* fb = b.h->first_in_dim[d][hs];
                EXPECT_EQ(fa ? a.h->index_of(fa) : -1, fb ? b.h->index_of(fb) : -1) << d << " " << hs;
            }
    }
}

TEST(Handle, SetupLoadedTakesOnlyOneAsXAndOneAsIrregular) {
    Handle a;
    make_game(a.h, 1);
    sudoku_setup_loaded(a.h, 2, 2);
    EXPECT_EQ(a.h->map_type, MAP_SQUARE);
    EXPECT_EQ(a.h->adjacency, ADJ_REGULAR);
    EXPECT_EQ(sudoku_are_neighbors(a.h, 10, 70), 0);
    sudoku_setup_loaded(a.h, 1, 1);
    EXPECT_EQ(a.h->map_type, MAP_IRREGULAR);
    EXPECT_EQ(sudoku_are_neighbors(a.h, 10, 70), 1);
}

TEST(Handle, RestartLeavesOnlyTheClues) {
    Handle a;
    make_game(a.h, 0);
    sudoku_restart(a.h);
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo c;
        sudoku_get_cell(a.h, k, &c);
        EXPECT_EQ(c.solution, kSolution[k] - '0');
        EXPECT_EQ(c.elim_bits, c.status ? 1 << c.solution : 0) << k;
        EXPECT_EQ(c.user_answer, 0);
        EXPECT_EQ(c.small_mode, 0);
        EXPECT_EQ(c.reserved, 0);
        EXPECT_EQ(c.status != 0, k % 3 == 0);
    }
}

TEST(Handle, ColorMapIsCopied) {
    Handle a;
    for (int g = 0; g < 9; ++g) a.h->color_map[g] = g % 4;
    int out[9];
    sudoku_get_color_map(a.h, out);
    for (int g = 0; g < 9; ++g) EXPECT_EQ(out[g], g % 4);
}

TEST(Handle, BadHandlesAndIndicesAreSafeNoOps) {
    SudokuCellInfo info;
    std::memset(&info, 0x5a, sizeof info);
    sudoku_get_cell(nullptr, 0, &info);
    EXPECT_EQ(info.solution | info.group | info.col, 0);
    int colors[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
    sudoku_get_color_map(nullptr, colors);
    EXPECT_EQ(colors[8], 0);
    sudoku_cancel(nullptr);
    sudoku_set_deadline_ms(nullptr, 5);
    sudoku_restart(nullptr);
    sudoku_setup_loaded(nullptr, 0, 0);
    sudoku_get_puzzle_bytes(nullptr, colors);
    sudoku_set_puzzle_bytes(nullptr, colors);
    EXPECT_EQ(sudoku_same_group_right(nullptr, 0), 0);
    EXPECT_EQ(sudoku_are_neighbors(nullptr, 0, 0), 0);

    Handle a;
    EXPECT_EQ(sudoku_are_neighbors(a.h, 0, 0), 0) << "no neighbour table before a game exists";
    make_game(a.h, 0);
    for (int bad : {-1, 81, 1 << 30, -2147483647 - 1}) {
        std::memset(&info, 0x5a, sizeof info);
        sudoku_get_cell(a.h, bad, &info);
        EXPECT_EQ(info.solution | info.row, 0);
        EXPECT_EQ(sudoku_same_group_right(a.h, bad), 0);
        EXPECT_EQ(sudoku_same_group_below(a.h, bad), 0);
        EXPECT_EQ(sudoku_are_neighbors(a.h, bad, 0), 0);
        EXPECT_EQ(sudoku_are_neighbors(a.h, 0, bad), 0);
    }
    sudoku_get_cell(a.h, 0, nullptr);

    // Stored bytes with nonsense position and group words: lookups stay inside the table.
    std::vector<unsigned char> junk(5184, 0xff);
    sudoku_set_puzzle_bytes(a.h, junk.data());
    sudoku_setup_loaded(a.h, 1, 1);
    EXPECT_EQ(sudoku_are_neighbors(a.h, 3, 4), 0);
    EXPECT_EQ(sudoku_are_neighbors(a.h, 4, 4), 1);
    sudoku_restart(a.h);
}

}  // namespace
