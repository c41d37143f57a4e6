// Record packing and numbering rules, file header, zlib I/O and the reader-side completion.
#include "mapfile.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace mapgen {

const char* kind_tag(Kind k) { return k == Kind::Mirror ? "MIR" : "ROT"; }
int record_size(Kind k) { return k == Kind::Mirror ? 22 : 20; }
Symmetry symmetry_of(Kind k) { return k == Kind::Mirror ? Symmetry::Mirror : Symmetry::HalfTurn; }

Record encode_record(const Map& groups, Kind k) {
  const Symmetry s = symmetry_of(k);
  std::array<int, kGroups> image{};
  for (int x = 0; x < kCells; ++x) image[groups[x]] = groups[partner_cell(s, x)];

  std::array<int, kGroups> label{};
  int next = 1;
  // ROT names every group, taking a pair member absent from cells 0-40 with its image; MIR scans
  // rows 0-4, which hold every self-image group (each crosses row 4) and the upper group of each
  // pair.
  const int scanned = k == Kind::HalfTurn ? kCells : 5 * kSide;
  for (int cell = 0; cell < scanned; ++cell) {
    const int g = groups[cell];
    if (label[g]) continue;
    if (image[g] == g) {
      label[g] = k == Kind::HalfTurn ? 9 : next++;
    } else {
      label[g] = next++;
      label[image[g]] = next++;
    }
  }
  const int size = record_size(k);
  Record record(static_cast<std::size_t>(size));
  for (int i = 0; i < size; ++i)
    record[i] = static_cast<std::uint8_t>(label[groups[2 * i + 1]] << 4 | label[groups[2 * i + 2]]);
  return record;
}

Map unpack_record(const std::uint8_t* record, int size) {
  Map m{};
  m[0] = 1;
  for (int i = 0; i < size; ++i) {
    m[2 * i + 1] = record[i] >> 4;
    m[2 * i + 2] = record[i] & 0x0F;
  }
  return m;
}

Map complete_half(Map m, Kind k) {
  if (k == Kind::HalfTurn) {
    // Pairs are (odd, odd + 1); 9 is its own image.
    for (int a = 2 * record_size(k) + 1; a < kCells; ++a) {
      const int v = m[kCells - 1 - a];
      m[a] = static_cast<std::uint8_t>(v == 9 ? 9 : (v % 2 ? v + 1 : v - 1));
    }
    return m;
  }
  std::array<bool, 10> on_axis{};
  for (int c = 0; c < kSide; ++c)
    if (m[4 * kSide + c] < 10) on_axis[m[4 * kSide + c]] = true;
  for (int r = 5; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      const int g = m[(kSide - 1 - r) * kSide + c];
      m[r * kSide + c] = static_cast<std::uint8_t>(g < 10 && on_axis[g] ? g : g + 1);
    }
  return m;
}

int orientation_count(Kind k) { return k == Kind::Mirror ? 2 : 4; }

Map orient(const Map& m, Kind k, int t) {
  Map out{};
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      int sr = r, sc = c;
      if (k == Kind::Mirror) {
        if (t == 0) sr = kSide - 1 - c, sc = r;      // quarter turn clockwise
        else sr = c, sc = kSide - 1 - r;             // quarter turn counter-clockwise
      } else if (t == 1) {
        sr = kSide - 1 - c, sc = r;
      } else if (t == 2) {
        sr = c, sc = r;
      } else if (t == 3) {
        sc = kSide - 1 - c;
      }
      out[r * kSide + c] = m[sr * kSide + sc];
    }
  return out;
}

std::string file_content(Kind k, const std::vector<Record>& records) {
  char fields[32];
  std::snprintf(fields, sizeof fields, "%2d%10d", record_size(k), static_cast<int>(records.size()));
  std::string content = std::string("SGM0.001") + kind_tag(k) + fields;
  content.resize(kHeaderSize, ' ');
  for (const auto& r : records) content.append(r.begin(), r.end());
  return content;
}

std::optional<Header> parse_header(const std::string& content) {
  if (content.size() < kHeaderSize || content.compare(0, 8, "SGM0.001") != 0) return std::nullopt;
  Header h;
  const std::string kind = content.substr(8, 3);
  if (kind == "MIR") h.kind = Kind::Mirror;
  else if (kind == "ROT") h.kind = Kind::HalfTurn;
  else return std::nullopt;
  // Copy each field alone so that the scan cannot run into the records that follow.
  const std::string size_field = content.substr(11, 2), count_field = content.substr(13, 10);
  if (std::sscanf(size_field.c_str(), "%2d", &h.record_size) != 1) h.record_size = 0;
  if (std::sscanf(count_field.c_str(), "%10d", &h.count) != 1) h.count = 0;
  return h;
}

bool write_compressed(const std::string& path, const std::string& content) {
  uLongf size = compressBound(static_cast<uLong>(content.size()));
  std::vector<Bytef> out(size);
  if (compress2(out.data(), &size, reinterpret_cast<const Bytef*>(content.data()),
                static_cast<uLong>(content.size()), Z_BEST_COMPRESSION) != Z_OK)
    return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(size));
  return static_cast<bool>(file.flush());
}

std::optional<std::string> read_compressed(const std::string& path, std::size_t limit) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string packed((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (packed.empty()) return std::nullopt;
  std::string out(limit, '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(packed.data());
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(limit);
  const int status = inflate(&z, Z_FINISH);
  const std::size_t length = z.total_out;
  const bool all_used = z.avail_in == 0;
  inflateEnd(&z);
  if (status != Z_STREAM_END || !all_used) return std::nullopt;
  out.resize(length);
  return out;
}

}  // namespace mapgen
