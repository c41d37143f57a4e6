// Album files as the front ends write and read them: the blob of stored records behind its text
// header, zlib-compressed on disk.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "ffi/quorvel.h"

namespace frontend {

// The blob: an 80-byte header ("SQD0.002" and three right-aligned four-place counts), then the
// records of three sections in file order: solutions, puzzles, games.
constexpr size_t kAlbumHeaderBytes = 80;
constexpr size_t kCellBytes = 5184;    // the 81 cells, as sudoku_get_puzzle_bytes gives them
constexpr size_t kRecordBytes = 5232;  // cells, nine int32 colours, map kind, adjacency, quality
static_assert(kCellBytes + 9 * 4 + 3 * 4 == kRecordBytes, "cells, colours and three words fill a record");
// What the engine inflates at most from an album file, and so how many records one file may hold.
constexpr size_t kAlbumInflatedLimit = 2097152;
constexpr size_t kAlbumMaxRecords = (kAlbumInflatedLimit - kAlbumHeaderBytes) / kRecordBytes;
static_assert(kAlbumMaxRecords <= 9999, "every count fits its four-place header field");

// The records of each section, each pointing at kRecordBytes bytes.
using AlbumSections = std::array<std::vector<const unsigned char*>, 3>;

// The uncompressed blob of the sections; false (out untouched) when together they hold more than
// kAlbumMaxRecords records.
bool album_blob(const AlbumSections& sections, std::vector<unsigned char>& out);
// The three counts of a blob's header; false for a short blob, a wrong magic or a count field that is
// not blanks and digits. The length is not checked.
bool album_counts(const std::vector<unsigned char>& blob, unsigned counts[3]);

// The engine's album calls the readers and writers check a blob with (taken from the linked library
// or from a loaded Engine table).
struct AlbumCalls {
    SudokuAlbum* (*load)(const void*, size_t);
    void (*release)(SudokuAlbum*);
};

// The blob compressed at zlib `level` (1 fastest .. 9 smallest); false when zlib fails.
bool compress_album(const std::vector<unsigned char>& blob, int level, std::vector<unsigned char>& packed);
// Compresses the blob at zlib `level` and writes it to `path` through a temporary file beside it, so
// a failed write leaves an existing album whole. The engine must take the blob back first: a
// refusal is the writer's fault, and nothing is written. False with a sentence naming the file.
bool write_album_file(const std::string& path, const std::vector<unsigned char>& blob, int level,
                      const AlbumCalls& engine, std::string& why);

// What reading an album file found besides its blob.
struct AlbumFile {
    std::vector<unsigned char> blob;
    unsigned counts[3] = {};
    bool trailing = false;  // bytes followed the compressed stream (the engine ignores them)
};
// Reads and inflates `path` as the engine's album reader does (one zlib stream of at most
// kAlbumInflatedLimit bytes) and has the engine check the blob. False with a sentence naming the
// file when it is missing, unreadable, not compressed or not an album.
bool read_album_file(const std::string& path, const AlbumCalls& engine, AlbumFile& out, std::string& why);

// Record i of a blob's records (all sections in file order); the caller keeps i below their sum.
inline const unsigned char* album_record(const std::vector<unsigned char>& blob, size_t i) {
    return blob.data() + kAlbumHeaderBytes + i * kRecordBytes;
}

}  // namespace frontend
