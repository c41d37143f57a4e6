// Exact search for one filled grid on a group map, used to keep only maps that fill quickly.
#pragma once

#include "grid.h"
#include "rng.h"

namespace mapgen {

struct SearchResult {
  bool solved = false;
  bool capped = false;  // gave up after node_cap placements; nothing is known about solvability
  long nodes = 0;       // digit placements tried
};

using Grid = std::array<int, kCells>;

// Depth-first search from the empty grid that always branches on the tightest choice: a cell with
// a single candidate at once, else the empty cell with the fewest candidates or, when some digit
// has even fewer places left in one house, the places of that digit (the first such choice in
// scan order on ties). Houses are the rows, the columns and the groups of `groups` (labels 0..8),
// plus both long diagonals when `x_diagonals` is set. With `order` the alternatives of a branch
// are tried in random order, as a random fill would; without it, in scan order. When a solution
// is found and `solution` is given, it receives the digits 1..9.
SearchResult find_solution(const Map& groups, bool x_diagonals, long node_cap, Rng* order,
                           Grid* solution = nullptr);

}  // namespace mapgen
