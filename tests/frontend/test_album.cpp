// Album files written by the front ends' library and read back by the engine's own readers.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "album.h"
#include "album/queue_data.h"
#include "ffi/quorvel.h"

namespace {

constexpr frontend::AlbumCalls kEngine = {sudoku_queue_load, sudoku_queue_free};

// The record of a new game, its quality word set to `tag` (0..9) to tell records apart.
std::vector<unsigned char> make_record(SudokuHandle* h, int quality, int tag) {
    std::vector<unsigned char> r(frontend::kRecordBytes, 0);
    EXPECT_EQ(sudoku_generate(h, 0, 0, quality, 0), 1);
    sudoku_get_puzzle_bytes(h, r.data());
    int32_t words[12] = {};
    sudoku_get_color_map(h, words);
    words[11] = tag;
    std::memcpy(r.data() + frontend::kCellBytes, words, sizeof words);
    return r;
}

std::string temp_path(const char* name) { return testing::TempDir() + name; }

TEST(AlbumFiles, TheRecordLimitIsTheEnginesOwn) {
    // What the engine inflates at most from a file bounds the records; every count fits its field.
    EXPECT_EQ(frontend::kAlbumInflatedLimit, static_cast<size_t>(kAlbumFileLimit));
    EXPECT_EQ(frontend::kAlbumHeaderBytes, kAlbumHeaderBytes);
    EXPECT_EQ(frontend::kRecordBytes, sizeof(PuzzleData));
    EXPECT_LE(frontend::kAlbumMaxRecords, kAlbumMaxRecords);
    EXPECT_LE(frontend::kAlbumHeaderBytes + frontend::kAlbumMaxRecords * frontend::kRecordBytes,
              frontend::kAlbumInflatedLimit);
    EXPECT_GT(frontend::kAlbumHeaderBytes + (frontend::kAlbumMaxRecords + 1) * frontend::kRecordBytes,
              frontend::kAlbumInflatedLimit);

    const std::vector<unsigned char> record(frontend::kRecordBytes, 0);
    frontend::AlbumSections sections;
    sections[1].assign(frontend::kAlbumMaxRecords, record.data());
    std::vector<unsigned char> blob;
    EXPECT_TRUE(frontend::album_blob(sections, blob));
    sections[2].push_back(record.data());
    std::vector<unsigned char> untouched = {1, 2, 3};
    EXPECT_FALSE(frontend::album_blob(sections, untouched));
    EXPECT_EQ(untouched.size(), 3u);
}

TEST(AlbumFiles, WrittenFilesReadBackThroughTheEnginesReaders) {
    SudokuHandle* h = sudoku_new();
    sudoku_seed_thread(11);
    std::vector<std::vector<unsigned char>> records;
    for (int i = 0; i < 6; ++i) records.push_back(make_record(h, i % 3, i));
    sudoku_seed_thread(0);
    // One solution, two puzzles, three games.
    frontend::AlbumSections sections;
    for (int i = 0; i < 6; ++i) sections[i == 0 ? 0 : i < 3 ? 1 : 2].push_back(records[i].data());
    std::vector<unsigned char> blob;
    ASSERT_TRUE(frontend::album_blob(sections, blob));
    EXPECT_EQ(std::string(blob.begin(), blob.begin() + 21), std::string("SQD0.002   1   2   3\0", 21));
    EXPECT_EQ(blob.size(), frontend::kAlbumHeaderBytes + 6 * frontend::kRecordBytes);

    const std::string dir = testing::TempDir();
    const std::string path = temp_path("frontend_album.z");
    std::string why;
    ASSERT_TRUE(frontend::write_album_file(path, blob, 9, kEngine, why)) << why;
    EXPECT_FALSE(std::ifstream(path + ".tmp").good());  // the temporary file is gone

    // The engine's own file reader (the one that reads albums beside the map files) takes it whole.
    sudoku_set_group_maps_dir(dir.c_str());
    std::unique_ptr<queue_data> engine_read(queue_data_from_zipped_file("frontend_album"));
    ASSERT_NE(engine_read, nullptr);
    EXPECT_EQ(engine_read->num_solutions, 1u);
    EXPECT_EQ(engine_read->num_puzzles, 2u);
    EXPECT_EQ(engine_read->num_games, 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::memcmp(engine_read->game(i), records[3 + i].data(), frontend::kRecordBytes), 0) << i;

    // And the library reads back the same blob, counts and records in file order.
    frontend::AlbumFile file;
    ASSERT_TRUE(frontend::read_album_file(path, kEngine, file, why)) << why;
    EXPECT_EQ(file.blob, blob);
    EXPECT_EQ(file.counts[0], 1u);
    EXPECT_EQ(file.counts[1], 2u);
    EXPECT_EQ(file.counts[2], 3u);
    EXPECT_FALSE(file.trailing);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(std::memcmp(frontend::album_record(file.blob, i), records[i].data(), frontend::kRecordBytes), 0);

    // The games come back through the exported calls with their words.
    SudokuAlbum* album = sudoku_queue_load(file.blob.data(), file.blob.size());
    ASSERT_NE(album, nullptr);
    ASSERT_EQ(sudoku_queue_game_count(album), 3);
    unsigned char cells[frontend::kCellBytes];
    int colors[9], map = -1, adjacency = -1, quality = -1;
    ASSERT_EQ(sudoku_queue_get_game(album, 2, cells, colors, &map, &adjacency, &quality), 1);
    EXPECT_EQ(quality, 5);
    EXPECT_EQ(std::memcmp(cells, records[5].data(), sizeof cells), 0);
    sudoku_queue_free(album);
    sudoku_free(h);
}

TEST(AlbumFiles, WhatIsNoAlbumIsRefusedWithTheFileNamed) {
    const std::string path = temp_path("frontend_not_album.z");
    frontend::AlbumFile file;
    std::string why;
    EXPECT_FALSE(frontend::read_album_file(path + ".missing", kEngine, file, why));
    EXPECT_EQ(why, path + ".missing: No such file or directory");

    auto write_raw = [&](const std::vector<unsigned char>& bytes) {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    auto deflated = [](std::vector<unsigned char> plain) {
        std::vector<unsigned char> packed;
        EXPECT_TRUE(frontend::compress_album(plain, 6, packed));
        return packed;
    };
    write_raw({'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'});
    EXPECT_FALSE(frontend::read_album_file(path, kEngine, file, why));
    EXPECT_NE(why.find("not a zlib-compressed album"), std::string::npos) << why;

    // A header whose counts promise a record that is not there.
    std::vector<unsigned char> blob(frontend::kAlbumHeaderBytes, 0);
    std::memcpy(blob.data(), "SQD0.002   0   1   0", 20);
    write_raw(deflated(blob));
    EXPECT_FALSE(frontend::read_album_file(path, kEngine, file, why));
    EXPECT_EQ(why, path + ": not an album: wrong header, a length that does not match its counts, or damaged records");

    // An empty album is an album; bytes after its stream are reported, as the engine ignores them.
    std::memcpy(blob.data(), "SQD0.002   0   0   0", 20);
    std::vector<unsigned char> packed = deflated(blob);
    packed.push_back(0x55);
    write_raw(packed);
    ASSERT_TRUE(frontend::read_album_file(path, kEngine, file, why)) << why;
    EXPECT_TRUE(file.trailing);

    // More than the engine inflates from a file.
    write_raw(deflated(std::vector<unsigned char>(frontend::kAlbumInflatedLimit + 1, 0)));
    EXPECT_FALSE(frontend::read_album_file(path, kEngine, file, why));
    EXPECT_NE(why.find("too large"), std::string::npos) << why;
}

TEST(AlbumFiles, AFailedWriteLeavesTheOldFileWhole) {
    const std::string path = temp_path("frontend_kept.z");
    std::vector<unsigned char> empty;
    ASSERT_TRUE(frontend::album_blob({}, empty));
    std::string why;
    ASSERT_TRUE(frontend::write_album_file(path, empty, 9, kEngine, why)) << why;
    // A blob the engine refuses (a count with no records behind it) is never written.
    std::vector<unsigned char> broken = empty;
    broken[19] = '4';
    EXPECT_FALSE(frontend::write_album_file(path, broken, 9, kEngine, why));
    EXPECT_NE(why.find("nothing written"), std::string::npos) << why;
    frontend::AlbumFile file;
    ASSERT_TRUE(frontend::read_album_file(path, kEngine, file, why)) << why;
    EXPECT_EQ(file.blob, empty);
    // A folder that does not exist names the temporary file.
    EXPECT_FALSE(frontend::write_album_file("/nonexistent/dir/a.z", empty, 9, kEngine, why));
    EXPECT_EQ(why, "/nonexistent/dir/a.z.tmp: No such file or directory");
}

TEST(AlbumFiles, HeaderCountsAreBlanksThenDigits) {
    std::vector<unsigned char> blob(frontend::kAlbumHeaderBytes, 0);
    unsigned counts[3];
    std::memcpy(blob.data(), "SQD0.002  12   0 400", 20);
    ASSERT_TRUE(frontend::album_counts(blob, counts));
    EXPECT_EQ(counts[0], 12u);
    EXPECT_EQ(counts[2], 400u);
    std::memcpy(blob.data(), "SQD0.002  1x   0   0", 20);
    EXPECT_FALSE(frontend::album_counts(blob, counts));
    std::memcpy(blob.data(), "SQD0.002 1 2   0   0", 20);  // a blank after a digit
    EXPECT_FALSE(frontend::album_counts(blob, counts));
    std::memcpy(blob.data(), "SQD0.003   0   0   0", 20);
    EXPECT_FALSE(frontend::album_counts(blob, counts));
}

}  // namespace
