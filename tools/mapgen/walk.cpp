// Random symmetric boundary swaps.
#include "walk.h"

#include <array>

namespace mapgen {

bool try_swap(Map& m, Symmetry s, Rng& rng) {
  const int a = static_cast<int>(rng.below(kCells));
  const int across = neighbour(a, static_cast<int>(rng.below(4)));
  if (across < 0 || m[a] == m[across]) return false;
  const std::uint8_t ga = m[a], gb = m[across];

  // The cells of B on its boundary with A.
  std::array<int, kSide> touching{};
  int count = 0;
  for (int x = 0; x < kCells; ++x) {
    if (m[x] != gb) continue;
    for (int d = 0; d < 4; ++d) {
      const int n = neighbour(x, d);
      if (n >= 0 && m[n] == ga) {
        touching[count++] = x;
        break;
      }
    }
  }
  const int b = touching[rng.below(static_cast<std::uint32_t>(count))];

  Map next = m;
  next[a] = gb;
  next[b] = ga;
  // When a or b lies on the axis (the centre cell, or row 4 for the mirror) these writes land on
  // the same cell; the symmetry test below rejects the swaps that then disagree.
  next[partner_cell(s, a)] = static_cast<std::uint8_t>(partner_group(s, gb));
  next[partner_cell(s, b)] = static_cast<std::uint8_t>(partner_group(s, ga));
  if (!symmetric_by_table(next, s) || !groups_valid(next)) return false;
  m = next;
  return true;
}

Map random_walk(Symmetry s, int moves, Rng& rng) {
  Map m = box_map();
  long attempts = 0;
  const long max_attempts = 1000L * moves + 1000;
  for (int done = 0; done < moves && attempts < max_attempts; ++attempts)
    if (try_swap(m, s, rng)) ++done;
  return m;
}

}  // namespace mapgen
