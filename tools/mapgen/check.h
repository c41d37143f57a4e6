// Re-reading shipped map files and verifying every record the way the reader will use it.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "families.h"
#include "grid.h"
#include "solver.h"

namespace mapgen {

// True when the digits 1..9 of `grid` fill every row, column and group of `groups` once each,
// and both long diagonals too when `x_diagonals` is set.
bool grid_is_solution(const Map& groups, const Grid& grid, bool x_diagonals);

// Verifies one packed record of family f as check_files does (the map is added to `seen`);
// returns nullptr when it is fine, else a short reason.
const char* record_problem(const Family& f, const std::uint8_t* record, std::set<Map>& seen);

// Checks the fifteen files in `dir`: each inflates below the reader's limit, has a header the
// reader accepts and exactly the records it announces; every record uses group numbers 1..9 and
// the numbering rules of its kind, completes (as the reader completes it, in every orientation
// the reader may pick) to nine connected groups of nine cells that are not the box layout and
// keep their symmetry, lies in its family's band, passes the quick-fill test and has a verified
// solution with and without the diagonals; no map occurs twice in all the files. Prints a line per
// file and each problem found; returns the number of problems.
int check_files(const std::string& dir);

}  // namespace mapgen
