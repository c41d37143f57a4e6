// Group-map geometry: cells and boxes, the two symmetries, group checks, wildness and canonical forms.
#pragma once

#include <array>
#include <cstdint>

namespace mapgen {

constexpr int kSide = 9;
constexpr int kCells = 81;
constexpr int kGroups = 9;

// Group (or stored label) of each cell, row-major.
using Map = std::array<std::uint8_t, kCells>;

// Mirror is the reflection about row 4; HalfTurn is the rotation by 180 degrees about the centre cell.
enum class Symmetry { Mirror, HalfTurn };

// Image of a cell under the symmetry.
int partner_cell(Symmetry s, int cell);

// Image of a group under the symmetry, for groups numbered as the boxes they grew from
// (box 3*(r/3) + c/3). Growth moves keep this table fixed, so it holds for every generated map.
int partner_group(Symmetry s, int group);

// The cell next to `cell` in direction 0..3 (up, right, down, left), or -1 off the grid.
int neighbour(int cell, int direction);

Map box_map();

// True when the labels are 0..8, each used by nine cells forming one 4-connected piece.
bool groups_valid(const Map& m);

// True when m[partner_cell(x)] == partner_group(m[x]) for every cell.
bool symmetric_by_table(const Map& m, Symmetry s);

// Renumbers groups 0, 1, 2, ... in order of first appearance in row-major order.
Map renumber(const Map& m);

// True when m groups the cells exactly as the 3x3 boxes do, whatever its numbering.
bool is_box_partition(const Map& m);

// One of the eight symmetries of the square applied to the grid: t = 0..3 turns by t quarter
// turns clockwise, t = 4..7 does the same after a left-right mirror.
Map dihedral(const Map& m, int t);

// Representative of the map's partition up to the eight symmetries of the square, so that maps
// which can be oriented into each other compare equal.
Map canonical(const Map& m);

// True when the partition of m is unchanged by the cell permutation of the symmetry.
bool partition_symmetric(const Map& m, Symmetry s);

// Partition symmetric about column 4 (a mirror map after the reader turns it a quarter).
bool partition_symmetric_about_column4(const Map& m);

// How much of a box each group still holds: for every group, the largest number of its cells
// that lie in any single 3x3 box. 9 everywhere for the box layout.
std::array<int, kGroups> box_shares(const Map& m);

}  // namespace mapgen
