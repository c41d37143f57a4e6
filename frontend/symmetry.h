// The eight symmetries of the square and digit renamings, as front ends offer them on puzzles.
#pragma once

namespace frontend {

// In the engine's numbering (the type of sudoku_transform_puzzle): identity, mirror top to bottom,
// mirror left to right, half turn, mirror in the main diagonal, mirror in the anti-diagonal,
// quarter turn clockwise, quarter turn anticlockwise.
constexpr int kSymmetries = 8;
extern const char* const kSymmetryNames[kSymmetries];
// The symmetry that undoes each one: the quarter turns undo each other, the rest themselves.
constexpr int kInverseSymmetry[kSymmetries] = {0, 1, 2, 3, 4, 5, 7, 6};

// Where symmetry `s` moves the cell at row * 9 + column.
int symmetry_destination(int s, int cell);
// The one symmetry equal to applying `first` and then `second`.
int compose_symmetries(int first, int second);

// "0".."7" or a name of kSymmetryNames; -1 for anything else.
int parse_symmetry(const char* text);
// Nine digits forming a rearrangement of 123456789 into perm[0..8] (digit i + 1 becomes perm[i]);
// false (perm untouched) otherwise.
bool parse_renaming(const char* text, int perm[9]);
// The renaming that undoes perm.
void invert_renaming(const int perm[9], int undo[9]);

// The engine's transform call (sudoku_transform_puzzle), from the linked library or a loaded table.
using TransformCall = void (*)(void*, unsigned, const int*);
// Clues and groups turned by symmetry `s` with digit d renamed perm[d - 1], through the engine's
// own transform of stored cells, so the front ends turn grids exactly as stored games turn.
void transform_grid(TransformCall call, const int clues[81], const int groups[81], int s, const int perm[9],
                    int out_clues[81], int out_groups[81]);

}  // namespace frontend
