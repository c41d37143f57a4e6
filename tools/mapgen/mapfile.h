// The compressed group-map file: record packing, numbering rules, header, zlib I/O and the
// reader's completion and orientation of a stored half.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "grid.h"

namespace mapgen {

// MIR stores rows 0-4 and is completed by the mirror about row 4; ROT stores cells 0-40 and is
// completed by the half turn.
enum class Kind { Mirror, HalfTurn };

constexpr int kHeaderSize = 80;
constexpr std::size_t kInflatedLimit = 230000;  // the reader's buffer; content must stay below

const char* kind_tag(Kind k);     // "MIR" / "ROT"
int record_size(Kind k);          // 22 / 20
Symmetry symmetry_of(Kind k);

using Record = std::vector<std::uint8_t>;

// Packs a map (groups 0..8, symmetric under the kind's symmetry) into a record, numbering the
// groups by the kind's rules; each group's image is read off the geometry:
//  ROT: cell 0's group is 1 and its image 2; further pairs take 3-4, 5-6, 7-8 in order of first
//       appearance (the group met first takes the odd number); the centre group is 9.
//  MIR: groups are numbered by first appearance in rows 0-4; a group that is its own image takes
//       the next number n, a group that is not takes n and leaves n + 1 for its image below.
Record encode_record(const Map& groups, Kind k);

// Unpacks a record as the reader does: cell 0 is 1, byte i gives cells 2i+1 (high nibble) and
// 2i+2 (low nibble); later cells are 0.
Map unpack_record(const std::uint8_t* record, int size);

// The reader's completion of the unpacked half, before orientation (labels stay 1-based).
Map complete_half(Map half, Kind k);

// Number of orientations the reader picks from, and orientation t of a completed map:
// ROT 0 as is, 1 quarter turn clockwise, 2 transpose, 3 left-right mirror;
// MIR 0 quarter turn clockwise, 1 quarter turn counter-clockwise.
int orientation_count(Kind k);
Map orient(const Map& completed, Kind k, int t);

// Inflated file content: magic, kind, record size ("%2d"), record count ("%10d"), blank padding
// to offset 80, then the records.
std::string file_content(Kind k, const std::vector<Record>& records);

struct Header {
  Kind kind = Kind::Mirror;
  int record_size = 0;
  int count = 0;
};

// Reads the header the way the reader does (sscanf "%2d" and "%10d"); nullopt on a bad magic or
// kind.
std::optional<Header> parse_header(const std::string& content);

// Writes content as one zlib stream (zlib wrapper, best compression). False on any I/O error.
bool write_compressed(const std::string& path, const std::string& content);

// Inflates a file into at most `limit` bytes; nullopt when unreadable, not one complete stream,
// or longer than the limit.
std::optional<std::string> read_compressed(const std::string& path, std::size_t limit);

}  // namespace mapgen
