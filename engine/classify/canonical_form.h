// The eight orientations of the grid and the canonical form that classification works on.
#pragma once

// Where orientation t (0..7) moves the cell in row r, column c.
struct GridPos {
    int row;
    int col;
};
GridPos orient_pos(int t, int r, int c);

// out[orient_pos(t, r, c)] = in[r][c] for every cell.
void orient_grid(int t, const int in[9][9], int out[9][9]);

struct CanonicalLabels {
    int orientation;       // the orientation the canonical grids were taken in
    int inverse_digit[10]; // entry L: the input digit that received label L; entry 0 is 0
};

// Of the eight orientations, each with its groups and digits renumbered by first appearance, the one
// whose clue-then-group text is smallest (the lowest orientation on a tie). Clue values outside 1..9
// count as empty, group values outside 0..15 as 0.
CanonicalLabels canonicalize(const int clues[9][9], const int groups[9][9], int out_clues[9][9],
                             int out_groups[9][9]);

