// Group-map geometry: symmetries, connectivity, canonical forms and box shares.
#include "grid.h"

#include <algorithm>

namespace mapgen {

int partner_cell(Symmetry s, int cell) {
  if (s == Symmetry::HalfTurn) return kCells - 1 - cell;
  return (kSide - 1 - cell / kSide) * kSide + cell % kSide;
}

int partner_group(Symmetry s, int group) {
  if (s == Symmetry::HalfTurn) return kGroups - 1 - group;
  return (2 - group / 3) * 3 + group % 3;
}

int neighbour(int cell, int direction) {
  const int r = cell / kSide, c = cell % kSide;
  switch (direction) {
    case 0: return r > 0 ? cell - kSide : -1;
    case 1: return c < kSide - 1 ? cell + 1 : -1;
    case 2: return r < kSide - 1 ? cell + kSide : -1;
    default: return c > 0 ? cell - 1 : -1;
  }
}

Map box_map() {
  Map m{};
  for (int i = 0; i < kCells; ++i) m[i] = static_cast<std::uint8_t>(3 * (i / kSide / 3) + (i % kSide) / 3);
  return m;
}

bool groups_valid(const Map& m) {
  std::array<int, kGroups> count{};
  for (auto g : m) {
    if (g >= kGroups) return false;
    ++count[g];
  }
  for (int n : count)
    if (n != kSide) return false;
  std::array<bool, kCells> seen{};
  std::array<int, kCells> stack{};
  for (int start = 0; start < kCells; ++start) {
    if (seen[start]) continue;
    // The first unseen cell of a group starts its flood; the flood must reach all nine cells.
    int top = 0, reached = 0;
    stack[top++] = start;
    seen[start] = true;
    while (top > 0) {
      const int cell = stack[--top];
      ++reached;
      for (int d = 0; d < 4; ++d) {
        const int n = neighbour(cell, d);
        if (n >= 0 && !seen[n] && m[n] == m[start]) {
          seen[n] = true;
          stack[top++] = n;
        }
      }
    }
    if (reached != kSide) return false;
  }
  return true;
}

bool symmetric_by_table(const Map& m, Symmetry s) {
  for (int x = 0; x < kCells; ++x)
    if (m[partner_cell(s, x)] != partner_group(s, m[x])) return false;
  return true;
}

Map renumber(const Map& m) {
  std::array<int, 256> number;
  number.fill(-1);
  int next = 0;
  Map out{};
  for (int i = 0; i < kCells; ++i) {
    if (number[m[i]] < 0) number[m[i]] = next++;
    out[i] = static_cast<std::uint8_t>(number[m[i]]);
  }
  return out;
}

bool is_box_partition(const Map& m) { return renumber(m) == box_map(); }

Map dihedral(const Map& m, int t) {
  Map out{};
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      int sr = r, sc = c;
      if (t >= 4) sc = kSide - 1 - sc;
      for (int q = 0; q < t % 4; ++q) {  // one clockwise quarter turn: new(r, c) = old(8 - c, r)
        const int nr = kSide - 1 - sc, nc = sr;
        sr = nr;
        sc = nc;
      }
      out[r * kSide + c] = m[sr * kSide + sc];
    }
  return out;
}

Map canonical(const Map& m) {
  Map best = renumber(m);
  for (int t = 1; t < 8; ++t) best = std::min(best, renumber(dihedral(m, t)));
  return best;
}

bool partition_symmetric(const Map& m, Symmetry s) {
  Map image{};
  for (int x = 0; x < kCells; ++x) image[x] = m[partner_cell(s, x)];
  return renumber(image) == renumber(m);
}

bool partition_symmetric_about_column4(const Map& m) {
  Map image{};
  for (int x = 0; x < kCells; ++x) image[x] = m[x - x % kSide + (kSide - 1 - x % kSide)];
  return renumber(image) == renumber(m);
}

std::array<int, kGroups> box_shares(const Map& m) {
  std::array<std::array<int, kGroups>, kGroups> overlap{};
  for (int i = 0; i < kCells; ++i) ++overlap[m[i] % kGroups][3 * (i / kSide / 3) + (i % kSide) / 3];
  std::array<int, kGroups> share{};
  for (int g = 0; g < kGroups; ++g) share[g] = *std::max_element(overlap[g].begin(), overlap[g].end());
  return share;
}

}  // namespace mapgen
