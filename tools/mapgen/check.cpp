// The --check mode: reads the files back through the reader's rules and verifies each record.
#include "check.h"

#include <cstdio>
#include <set>

#include "mapfile.h"

namespace mapgen {

bool grid_is_solution(const Map& groups, const Grid& grid, bool x_diagonals) {
  std::array<unsigned, 29> seen{};
  for (int cell = 0; cell < kCells; ++cell) {
    const int v = grid[cell];
    if (v < 1 || v > 9) return false;
    const unsigned bit = 1u << v;
    const int r = cell / kSide, c = cell % kSide;
    int houses[5] = {r, kSide + c, 2 * kSide + groups[cell], -1, -1};
    if (x_diagonals && r == c) houses[3] = 27;
    if (x_diagonals && r + c == kSide - 1) houses[4] = 28;
    for (int h : houses) {
      if (h < 0) continue;
      if (seen[h] & bit) return false;
      seen[h] |= bit;
    }
  }
  return true;
}

// Random-order searches (kFillCap each) tried for a solution to verify; the quick-fill test has
// already seen most of eight such searches succeed, so a few attempts suffice.
constexpr int kProofAttempts = 32;

namespace {

bool record_ok(const Family& f, const std::uint8_t* rec, std::set<Map>& seen, const char*& what) {
  const int size = record_size(f.kind);
  for (int i = 0; i < size; ++i)
    for (int nibble : {rec[i] >> 4, rec[i] & 0x0F})
      if (nibble < 1 || nibble > 9) return what = "group number outside 1..9", false;

  const Map completed = complete_half(unpack_record(rec, size), f.kind);
  Map groups{};
  for (int i = 0; i < kCells; ++i) groups[i] = static_cast<std::uint8_t>(completed[i] - 1);
  if (!groups_valid(groups)) return what = "completion is not nine connected groups of nine", false;
  if (f.kind == Kind::HalfTurn && completed[kCells / 2] != 9) return what = "centre cell not in group 9", false;
  if (!partition_symmetric(groups, symmetry_of(f.kind))) return what = "completion not symmetric", false;
  const Record again = encode_record(groups, f.kind);
  if (!std::equal(again.begin(), again.end(), rec)) return what = "numbering rules not followed", false;

  for (int t = 0; t < orientation_count(f.kind); ++t) {
    const Map o = renumber(orient(groups, f.kind, t));
    if (!groups_valid(o) || o[0] != 0) return what = "oriented map broken", false;
    if (is_box_partition(o)) return what = "box layout", false;
    const bool symmetric = f.kind == Kind::HalfTurn ? partition_symmetric(o, Symmetry::HalfTurn)
                                                    : partition_symmetric_about_column4(o);
    if (!symmetric) return what = "oriented map lost its symmetry", false;
  }

  if (!f.accepts(wildness(groups))) return what = "outside the family's band", false;
  if (!quick_fill(groups).passed) return what = "fails the quick-fill test", false;
  for (bool x : {false, true}) {
    bool proved = false;
    Rng order(x ? 2 : 1);
    for (int attempt = 0; attempt < kProofAttempts && !proved; ++attempt) {
      const Map turned = dihedral(groups, attempt % 8);
      Grid grid{};
      proved = find_solution(turned, x, kFillCap, &order, &grid).solved && grid_is_solution(turned, grid, x);
    }
    if (!proved) return what = "no verified solution", false;
  }
  if (!seen.insert(canonical(groups)).second) return what = "duplicate map", false;
  return true;
}

}  // namespace

const char* record_problem(const Family& f, const std::uint8_t* record, std::set<Map>& seen) {
  const char* what = nullptr;
  return record_ok(f, record, seen, what) ? nullptr : what;
}

int check_files(const std::string& dir) {
  int problems = 0;
  std::set<Map> seen;
  for (const Family& f : families()) {
    const std::string path = dir + "/" + f.name + ".z";
    const auto content = read_compressed(path, kInflatedLimit);
    if (!content) {
      std::printf("%s: cannot read or inflate below %zu bytes\n", path.c_str(), kInflatedLimit);
      ++problems;
      continue;
    }
    const auto header = parse_header(*content);
    const int size = record_size(f.kind);
    if (!header || header->kind != f.kind || header->record_size != size || header->count < 1 ||
        content->size() != kHeaderSize + static_cast<std::size_t>(header->count) * size) {
      std::printf("%s: bad header or length (%zu bytes inflated)\n", path.c_str(), content->size());
      ++problems;
      continue;
    }
    int bad = 0;
    for (int k = 0; k < header->count; ++k) {
      const auto* rec = reinterpret_cast<const std::uint8_t*>(content->data()) + kHeaderSize + k * size;
      if (const char* what = record_problem(f, rec, seen)) {
        std::printf("%s: record %d: %s\n", path.c_str(), k, what);
        ++bad;
      }
    }
    std::printf("%-10s %s %d records, %zu bytes inflated, %d bad\n", f.name, kind_tag(f.kind),
                header->count, content->size(), bad);
    problems += bad;
  }
  return problems;
}

}  // namespace mapgen
