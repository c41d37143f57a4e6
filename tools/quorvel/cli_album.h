// Album files for the quorvel commands: game records built from the exported calls, and the
// compressed album blob written and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "album.h"
#include "cli.h"

namespace cli {

using frontend::kAlbumHeaderBytes;
using frontend::kAlbumInflatedLimit;
using frontend::kAlbumMaxRecords;
using frontend::kCellBytes;
using frontend::kRecordBytes;

// One game record: the cells, nine colours, then map kind, adjacency and quality as 32-bit words.
struct Record {
    unsigned char bytes[kRecordBytes];
};
static_assert(sizeof(Record) == kRecordBytes);

// The record of the game now on h, with the given kind words (map kind taken from the groups, since
// a jigsaw request falls back to the boxes when no map file can be read).
Record record_of(SudokuHandle* h, int adjacency, int quality);

// The three sections of an album, in file order.
struct Album {
    std::vector<Record> solutions, puzzles, games;
};

// The uncompressed album blob; empty when the album holds more than kAlbumMaxRecords records (the
// commands keep their requests within that before making anything).
std::vector<unsigned char> album_blob(const Album& album);
// Compresses the blob into `path` through a temporary file beside it. False, after complaining with
// the file named, on any failure.
bool write_album_file(const char* path, const std::vector<unsigned char>& blob);
// Reads `path` as the engine's album reader would and checks it with the engine. False, after
// complaining with the file named, when it is missing, unreadable, not compressed or not an album.
bool read_album_file(const char* path, std::vector<unsigned char>& blob, unsigned counts[3]);

// The dig-order seed handed to sudoku_generate_harvest: derived from `seed` when the run is seeded,
// else drawn at random (the engine's 0 would give every harvest the same dig order).
int harvest_dig_seed(bool seeded, uint64_t seed);

}  // namespace cli
