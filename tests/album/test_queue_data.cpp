// Album blobs: building and reading back, header and length refusals, damaged records, compressed files.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "album/queue_data.h"
#include "ffi/quorvel.h"
#include "support/map_files.h"
#include "util/rand_utils.h"

namespace {

// A real stored game: a random solution on the given kind, with a few answers and marks played.
PuzzleData played_game(int jigsaw, int x) {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    SudokuHandle* h = sudoku_new();
    while (!sudoku_generate_solution(h, jigsaw, x)) {
    }
    sudoku_set_group_maps_dir(nullptr);
    sudoku_set_user_answer(h, 10, 3, 0, 0);
    sudoku_toggle_small_mode(h, 20);
    sudoku_toggle_elim_bit(h, 20, 7);
    PuzzleData r;
    std::memcpy(&r, h, sizeof r);
    sudoku_free(h);
    return r;
}

Bytes blob_of(const queue_data& q) {
    size_t n = 0;
    const auto* p = static_cast<const unsigned char*>(q.as_data(n));
    return Bytes(p, p + n);
}

// Two games in an album with no solutions or puzzles: the 10544-byte blob.
Bytes two_game_blob() {
    queue_data q(0, 0, 2);
    q.set_game(played_game(0, 0), 0);
    q.set_game(played_game(1, 1), 1);
    return blob_of(q);
}

queue_data* load(const Bytes& b) { return queue_data::from_data(b.data(), b.size()); }

}  // namespace

TEST(QueueData, TwoGamesRoundTripThroughTheBlob) {
    const Bytes blob = two_game_blob();
    ASSERT_EQ(blob.size(), 10544u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(blob.data()), 20), "SQD0.002   0   0   2");
    for (size_t k = 20; k < 80; ++k) EXPECT_EQ(blob[k], 0) << k;

    queue_data* q = load(blob);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->num_solutions, 0u);
    EXPECT_EQ(q->num_puzzles, 0u);
    EXPECT_EQ(q->num_games, 2u);
    EXPECT_EQ(blob_of(*q), blob);
    void *s, *p, *g;
    size_t sn, pn, gn;
    q->get_data(s, sn, p, pn, g, gn);
    EXPECT_EQ(sn + pn, 0u);
    EXPECT_EQ(gn, 2u * GAME_RECORD_BYTES);
    EXPECT_EQ(g, q->data_array());
    EXPECT_EQ(q->game(2), nullptr);
    EXPECT_EQ(q->game(-1), nullptr);
    delete q;

    Bytes shorter(blob.begin(), blob.end() - 1), longer = blob;
    longer.push_back(0);
    EXPECT_EQ(load(shorter), nullptr);
    EXPECT_EQ(load(longer), nullptr);
}

TEST(QueueData, CountsSectionsAndIndexChecks) {
    queue_data q(1, 2, 3);
    EXPECT_EQ(q.total_length(), 31472u);
    EXPECT_EQ(q.data_length(), 31392u);
    unsigned s = 0, p = 0, g = 0;
    ASSERT_TRUE(queue_data::parse_header(q.buffer, s, p, g));
    EXPECT_EQ(s, 1u);
    EXPECT_EQ(p, 2u);
    EXPECT_EQ(g, 3u);
    EXPECT_EQ(q.buffer[20], 0);

    // Each record lands in its own section; a slot outside its section is refused, not written.
    const PuzzleData a = played_game(0, 1);
    EXPECT_TRUE(q.set_solution(a, 0));
    EXPECT_TRUE(q.set_puzzle(a, 1));
    EXPECT_TRUE(q.set_game(a, 2));
    EXPECT_FALSE(q.set_solution(a, 1));
    EXPECT_FALSE(q.set_puzzle(a, -1));
    EXPECT_FALSE(q.set_game(a, 3));
    EXPECT_EQ(static_cast<const void*>(q.solution(0)), q.data_array());
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(q.puzzle(1)), q.buffer + 80 + 2 * GAME_RECORD_BYTES);
    EXPECT_EQ(std::memcmp(q.game(2), &a, sizeof a), 0);

    // A count that would not fit its four-place field gives an empty album rather than a bad header.
    queue_data too_many(kAlbumMaxRecords + 1, 0, 0);
    size_t n = 1;
    EXPECT_EQ(too_many.as_data(n), nullptr);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(too_many.set_solution(a, 0));
}

TEST(QueueData, HeaderRefusals) {
    const Bytes good = two_game_blob();
    auto with = [&](size_t at, const char* text) {
        Bytes b = good;
        std::memcpy(b.data() + at, text, std::strlen(text));
        return b;
    };
    EXPECT_EQ(load(with(0, "SQD0.001")), nullptr);
    EXPECT_EQ(load(with(16, "   x")), nullptr);
    EXPECT_EQ(load(with(16, "2   ")), nullptr);  // digits then blanks: a stray byte, not right-aligned
    EXPECT_EQ(load(with(16, " 2 0")), nullptr);
    EXPECT_EQ(load(with(16, "  +2")), nullptr);
    Bytes nul = good;
    nul[17] = 0;
    EXPECT_EQ(load(nul), nullptr);
    queue_data* zeros = load(with(16, "0002"));  // leading zeros are digits
    EXPECT_NE(zeros, nullptr);
    delete zeros;

    // A field of four blanks is 0: the header alone is a valid empty album.
    Bytes empty(good.begin(), good.begin() + 80);
    std::memset(empty.data() + 8, ' ', 12);
    queue_data* q = load(empty);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->num_solutions + q->num_puzzles + q->num_games, 0u);
    delete q;

    // A forged header asking for the largest album is refused by its length alone.
    EXPECT_EQ(load(with(8, "999999999999")), nullptr);
    EXPECT_EQ(queue_data::from_data(good.data(), 79), nullptr);
    EXPECT_EQ(queue_data::from_data(nullptr, good.size()), nullptr);
}

TEST(QueueData, DamagedRecordsAreRefused) {
    const Bytes good = two_game_blob();
    constexpr size_t second = 80 + GAME_RECORD_BYTES;
    struct Damage {
        const char* what;
        size_t offset;  // within the second record
        int32_t value;
    };
    const Damage damages[] = {
        {"group out of range", 40 * 64 + 0, 9},
        {"negative group", 7 * 64 + 0, -1},
        {"row word", 12 * 64 + 4, 2},
        {"column word", 80 * 64 + 8, 9},
        {"diagonal word", 11 * 64 + 12, 0},
        {"ring step off the grid", 80 * 64 + 20 + 4 * DIM_ROW, 1},
        {"ring step into another house", 3 * 64 + 20 + 4 * DIM_GROUP, 1 << 20},
        {"solution digit", 5 * 64 + 40, 10},
        {"answer", 6 * 64 + 52, -1},
        {"mark beyond digit 9", 7 * 64 + 48, 0x400},
        {"map kind", 5184 + 36, 2},
        {"adjacency", 5184 + 40, -1},
        {"quality", 5184 + 44, 10},
    };
    for (const Damage& d : damages) {
        Bytes b = good;
        std::memcpy(b.data() + second + d.offset, &d.value, 4);
        EXPECT_EQ(load(b), nullptr) << d.what;
    }
    // Two groups swapping one cell each still leave nine groups of nine, but not the rings stored.
    Bytes b = good;
    int32_t g0, g1;
    std::memcpy(&g0, b.data() + second, 4);
    int other = 1;
    for (;; ++other) {
        std::memcpy(&g1, b.data() + second + other * 64, 4);
        if (g1 != g0) break;
    }
    std::memcpy(b.data() + second, &g1, 4);
    std::memcpy(b.data() + second + other * 64, &g0, 4);
    EXPECT_EQ(load(b), nullptr);
}

TEST(QueueData, CompressedAlbumFiles) {
    TempDir dir;
    const Bytes blob = two_game_blob();
    write_file(dir.str() + "/stock.z", zlib_compress(blob));
    write_file(dir.str() + "/raw.z", blob);
    // Over the inflation limit: more records than 2 MiB holds, all zeros after a valid header.
    Bytes big(80 + 401 * size_t{GAME_RECORD_BYTES}, 0);
    std::memcpy(big.data(), "SQD0.002   0   0 401", 20);
    write_file(dir.str() + "/big.z", zlib_compress(big));
    const Bytes packed = zlib_compress(blob);
    write_file(dir.str() + "/cut.z", Bytes(packed.begin(), packed.begin() + 100));

    sudoku_set_group_maps_dir(dir.str().c_str());
    queue_data* q = queue_data_from_zipped_file("stock");
    EXPECT_EQ(queue_data_from_zipped_file("raw"), nullptr);
    EXPECT_EQ(queue_data_from_zipped_file("big"), nullptr);
    EXPECT_EQ(queue_data_from_zipped_file("cut"), nullptr);
    EXPECT_EQ(queue_data_from_zipped_file("missing"), nullptr);
    EXPECT_EQ(queue_data_from_zipped_file(nullptr), nullptr);
    sudoku_set_group_maps_dir(nullptr);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(blob_of(*q), blob);
    delete q;
}

TEST(QueueData, TablesOfDesiredDepths) {
    EXPECT_EQ(desiredSolutionQueueSize[0][1], 2);
    EXPECT_EQ(desiredSolutionQueueSize[1][0], 12);
    EXPECT_EQ(desiredPuzzleQueueSize[0][1][9], 11);
    EXPECT_EQ(desiredPuzzleQueueSize[1][0][5], 6);
    EXPECT_EQ(desiredGameAlbumSize[1][1][9], 2);
    EXPECT_EQ(sudoku_desired_queue_depth(1, 1, 9), 12);
    EXPECT_EQ(sudoku_desired_queue_depth(0, 0, 0), 3);
    EXPECT_EQ(sudoku_desired_queue_depth(0, 0, 8), 9);
    EXPECT_EQ(sudoku_desired_queue_depth(2, 0, 0), 3);
    EXPECT_EQ(sudoku_desired_queue_depth(0, -1, 9), 3);
    EXPECT_EQ(sudoku_desired_queue_depth(1, 0, 10), 3);
}

TEST(QueueData, ShippedStarterAlbumHoldsEveryKind) {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    queue_data* q = queue_data_from_zipped_file("starter");
    sudoku_set_group_maps_dir(nullptr);
    ASSERT_NE(q, nullptr);
    EXPECT_GT(q->num_solutions, 0u);
    EXPECT_GT(q->num_puzzles, 0u);
    bool kinds[2][2] = {};
    for (unsigned i = 0; i < q->num_games; ++i) {
        const PuzzleData& g = *q->game(static_cast<int>(i));
        kinds[g.map_type][g.adjacency] = true;
    }
    EXPECT_TRUE(kinds[0][0] && kinds[0][1] && kinds[1][0] && kinds[1][1]);
    delete q;
}
