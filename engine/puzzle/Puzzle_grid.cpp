// Building a grid: positional words, the circular house rings and the first cell of every house.
#include <cstring>

#include "puzzle/Puzzle.h"

void Puzzle::setup(const Matrix<int, 9>& groups) {
    std::memset(cells, 0, sizeof cells);
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 9; ++j) cells[i * 9 + j].group = groups[i][j];
    build_positions_and_rings();
}

void Puzzle::setup_with_grp_set() { build_positions_and_rings(); }

void Puzzle::build_positions_and_rings() {
    for (int k = 0; k < N_CELLS; ++k) {
        PUZZLE_CELL& c = cells[k];
        c.row = k / 9;
        c.col = k % 9;
        c.diag = c.row == c.col ? 0 : -1;
        c.anti_diag = c.row + c.col == 8 ? 0 : -1;
    }
    setup_ptrs_first_in_dims();

    for (int k = 0; k < N_CELLS; ++k) {
        cells[k].next_in_house[DIM_ROW] = k % 9 == 8 ? -8 : 1;
        cells[k].next_in_house[DIM_COL] = k >= 72 ? -72 : 9;
    }

    // Each group links to its next cell in row-major order; the last closes the ring.
    for (int g = 0; g < 9; ++g) {
        PUZZLE_CELL* first = first_in_dim[DIM_GROUP][g];
        if (!first) continue;
        int p = index_of(first);
        for (int q = p + 1; q < N_CELLS; ++q) {
            if (cells[q].group == g) {
                cells[p].next_in_house[DIM_GROUP] = q - p;
                p = q;
            }
        }
        cells[p].next_in_house[DIM_GROUP] = index_of(first) - p;
    }

    for (int k = 0; k < 80; k += 10) cells[k].next_in_house[DIM_DIAG] = 10;
    cells[80].next_in_house[DIM_DIAG] = -80;
    for (int k = 8; k < 72; k += 8) cells[k].next_in_house[DIM_ANTI_DIAG] = 8;
    cells[72].next_in_house[DIM_ANTI_DIAG] = -64;
}

void Puzzle::setup_ptrs_first_in_dims() {
    for (int i = 0; i < 9; ++i) {
        first_in_dim[DIM_ROW][i] = &cells[i * 9];
        first_in_dim[DIM_COL][i] = &cells[i];
        first_in_dim[DIM_GROUP][i] = nullptr;
        first_in_dim[DIM_DIAG][i] = nullptr;
        first_in_dim[DIM_ANTI_DIAG][i] = nullptr;
    }
    for (int k = 0; k < N_CELLS; ++k) {
        int g = cells[k].group;
        // Stored cells come from outside; a group number out of range names no house.
        if (g >= 0 && g < 9 && !first_in_dim[DIM_GROUP][g]) first_in_dim[DIM_GROUP][g] = &cells[k];
    }
    first_in_dim[DIM_DIAG][0] = &cells[0];
    first_in_dim[DIM_ANTI_DIAG][0] = &cells[8];
    // The fish and locked-candidate steps read which lines meet which groups; a table left over
    // from another map would let them pair overlapping houses and remove solution digits.
    build_group_overlap();
}
