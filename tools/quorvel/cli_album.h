// Album files for the quorvel commands: game records built from the exported calls, and the
// compressed album blob written and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli.h"

namespace cli {

// The album layout: an 80-byte text header, then 5232-byte game records in three sections.
constexpr size_t kAlbumHeaderSize = 80;
constexpr size_t kCellBytes = 5184;  // the 81 cells, as sudoku_get_puzzle_bytes gives them
constexpr size_t kRecordSize = 5232;
// What the engine accepts from an album file once inflated, and so how many records one may hold.
constexpr size_t kAlbumInflatedLimit = 2097152;
constexpr size_t kAlbumMaxRecords = (kAlbumInflatedLimit - kAlbumHeaderSize) / kRecordSize;

// One game record: the cells, nine colours, then map kind, adjacency and quality as 32-bit words.
struct Record {
    unsigned char bytes[kRecordSize];
};
static_assert(kCellBytes + 9 * 4 + 3 * 4 == kRecordSize, "cells, colours and three words fill a record");
static_assert(sizeof(Record) == kRecordSize);

// The record of the game now on h, with the given kind words (map kind taken from the groups, since
// a jigsaw request falls back to the boxes when no map file can be read).
Record record_of(SudokuHandle* h, int adjacency, int quality);

// The three sections of an album, in file order.
struct Album {
    std::vector<Record> solutions, puzzles, games;
};

// The uncompressed album blob: header "SQD0.002" with three four-place counts, zeros to byte 80,
// then the records. Each section must hold at most 9999 records.
std::vector<unsigned char> album_blob(const Album& album);
// Compresses the blob into `path` (through a temporary file beside it, so a failed write leaves an
// existing album whole). False, after complaining with the file named, on any failure.
bool write_album_file(const char* path, const std::vector<unsigned char>& blob);
// Reads and inflates `path` as the engine's album reader would (one zlib stream of at most
// kAlbumInflatedLimit bytes) and checks it through sudoku_queue_load. False, after complaining with
// the file named, when it is missing, unreadable, not compressed or not an album.
bool read_album_file(const char* path, std::vector<unsigned char>& blob, unsigned counts[3]);

// The dig-order seed handed to sudoku_generate_harvest: derived from `seed` when the run is seeded,
// else drawn at random (the engine's 0 would give every harvest the same dig order).
int harvest_dig_seed(bool seeded, uint64_t seed);

}  // namespace cli
