// The exported album calls: serving games into handles, bad indices and pointers, and damaged bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "album/queue_data.h"
#include "ffi/quorvel.h"
#include "util/rand_utils.h"

namespace {

using Bytes = std::vector<unsigned char>;

// An album of one solution, one puzzle and three games, made through the exported calls.
Bytes small_album() {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    rand_seed_thread(20261209);  // the same three games on every run
    queue_data q(1, 1, 3);
    const int kinds[3][2] = {{0, 0}, {1, 0}, {1, 1}};
    SudokuHandle* h = sudoku_new();
    for (int i = 0; i < 3; ++i) {
        while (!sudoku_generate_solution(h, kinds[i][0], kinds[i][1])) {
        }
        sudoku_set_user_answer(h, 40, 1 + i, 0, 0);
        PuzzleData r;
        std::memcpy(&r, h, sizeof r);
        r.quality = static_cast<UI_QUALITY>(i + 4);
        q.set_game(r, i);
        if (i == 0) q.set_solution(r, 0);
        if (i == 1) q.set_puzzle(r, 0);
    }
    sudoku_free(h);
    rand_unseed_thread();
    sudoku_set_group_maps_dir(nullptr);
    size_t n = 0;
    const auto* p = static_cast<const unsigned char*>(q.as_data(n));
    return Bytes(p, p + n);
}

struct GameOut {
    unsigned char cells[5184];
    int colors[9];
    int map_kind, adjacency, quality;
};

int get_game(const SudokuAlbum* a, int index, GameOut& g) {
    return sudoku_queue_get_game(a, index, g.cells, g.colors, &g.map_kind, &g.adjacency, &g.quality);
}

// Loads every game of an album into a handle and exercises the calls that walk the grid.
void play_every_game(const SudokuAlbum* a) {
    SudokuHandle* h = sudoku_new();
    for (int i = 0; i < sudoku_queue_game_count(a); ++i) {
        GameOut g;
        ASSERT_EQ(get_game(a, i, g), 1);
        sudoku_set_puzzle_bytes(h, g.cells);
        sudoku_setup_loaded(h, g.map_kind, g.adjacency);
        sudoku_digit_assistant_all(h);
        sudoku_set_user_answer(h, 0, 5, 0, 1);
        int counts[10];
        sudoku_get_state(h, counts);
        ClassifyInfo info;
        sudoku_classify_handle(h, g.map_kind, g.adjacency, &info);
        EXPECT_EQ(sudoku_are_neighbors(h, 0, 80), g.adjacency == 1);
    }
    sudoku_free(h);
}

}  // namespace

TEST(AlbumCalls, GamesComeOutAsStoredAndLoadIntoHandles) {
    Bytes blob = small_album();
    SudokuAlbum* a = sudoku_queue_load(blob.data(), blob.size());
    ASSERT_NE(a, nullptr);
    std::memset(blob.data(), 0, blob.size());  // the album keeps its own copy
    ASSERT_EQ(sudoku_queue_game_count(a), 3);
    const int kinds[3][2] = {{0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 3; ++i) {
        GameOut g;
        ASSERT_EQ(get_game(a, i, g), 1);
        EXPECT_EQ(g.map_kind, kinds[i][0]);
        EXPECT_EQ(g.adjacency, kinds[i][1]);
        EXPECT_EQ(g.quality, i + 4);
        SudokuHandle* h = sudoku_new();
        sudoku_set_puzzle_bytes(h, g.cells);
        sudoku_setup_loaded(h, g.map_kind, g.adjacency);
        SudokuCellInfo c;
        sudoku_get_cell(h, 40, &c);
        EXPECT_EQ(c.user_answer, 1 + i);
        EXPECT_EQ(sudoku_distance(h), 81 - (c.user_answer == c.solution));
        sudoku_free(h);
    }
    play_every_game(a);
    sudoku_queue_free(a);
}

TEST(AlbumCalls, BadIndicesAndPointersWriteNothing) {
    const Bytes blob = small_album();
    SudokuAlbum* a = sudoku_queue_load(blob.data(), blob.size());
    ASSERT_NE(a, nullptr);
    GameOut g;
    std::memset(&g, 0x5a, sizeof g);
    const GameOut before = g;
    EXPECT_EQ(get_game(a, 3, g), 0);
    EXPECT_EQ(get_game(a, -1, g), 0);
    EXPECT_EQ(get_game(nullptr, 0, g), 0);
    EXPECT_EQ(sudoku_queue_get_game(a, 0, nullptr, g.colors, &g.map_kind, &g.adjacency, &g.quality), 0);
    EXPECT_EQ(sudoku_queue_get_game(a, 0, g.cells, g.colors, &g.map_kind, nullptr, &g.quality), 0);
    EXPECT_EQ(std::memcmp(&g, &before, sizeof g), 0);
    EXPECT_EQ(sudoku_queue_game_count(nullptr), 0);
    EXPECT_EQ(sudoku_queue_load(nullptr, 80), nullptr);
    EXPECT_EQ(sudoku_queue_load(blob.data(), 19), nullptr);
    sudoku_queue_free(nullptr);
    sudoku_queue_free(a);
}

// Seeded damage to an album's bytes: flipped bytes anywhere, cut or padded tails. Whatever loads must
// serve every game safely into a handle; the sanitizer build watches for reads off the buffers.
TEST(AlbumCalls, DamagedBytesNeverReadOutOfBounds) {
    const Bytes good = small_album();
    rand_seed_thread(20261209);
    int loaded = 0;
    for (int round = 0; round < 150; ++round) {
        Bytes b = good;
        const int flips = 1 + static_cast<int>(arc4random_uniform(4));
        for (int f = 0; f < flips; ++f) {
            // Half the flips hit the header, where a single byte decides the counts.
            const size_t at = arc4random_uniform(2) ? arc4random_uniform(24) : arc4random_uniform(static_cast<uint32_t>(b.size()));
            b[at] = static_cast<unsigned char>(arc4random_uniform(256));
        }
        const uint32_t tail = arc4random_uniform(8);
        if (tail == 1) b.resize(arc4random_uniform(static_cast<uint32_t>(b.size())));
        if (tail == 2) b.resize(b.size() + GAME_RECORD_BYTES);
        // An exact-size copy, so any read past the end is a read off the allocation.
        std::vector<unsigned char>* exact = new std::vector<unsigned char>(b);
        SudokuAlbum* a = sudoku_queue_load(exact->data(), exact->size());
        delete exact;
        if (!a) continue;
        ++loaded;
        play_every_game(a);
        sudoku_queue_free(a);
    }
    rand_unseed_thread();
    EXPECT_GT(loaded, 0);  // some damage is harmless (a blank turned digit '0', a colour, a mark)
}
