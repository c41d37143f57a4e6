// The 81 x 81 neighbour table: which cells see each other under the game's adjacency.
#include <cstdlib>

#include "puzzle/Puzzle.h"

void Puzzle::define_are_neighbors_array() {
    if (!are_neighbors_array) {
        are_neighbors_array = static_cast<uint8_t*>(std::malloc(NEIGHBOR_TABLE_BYTES));
        if (!are_neighbors_array) std::abort();
    }
    const bool x = adjacency == ADJ_X;
    for (int p = 0; p < N_CELLS; ++p) {
        const PUZZLE_CELL& a = cells[p];
        for (int q = 0; q < N_CELLS; ++q) {
            const PUZZLE_CELL& b = cells[q];
            bool see = a.row == b.row || a.col == b.col || a.group == b.group;
            if (!see && x) see = (a.diag == 0 && b.diag == 0) || (a.anti_diag == 0 && b.anti_diag == 0);
            are_neighbors_array[p * N_CELLS + q] = see;
        }
    }
    for (int p = 0; p < N_CELLS; ++p) {
        neighbor_bits[p][0] = neighbor_bits[p][1] = 0;
        for (int q = 0; q < N_CELLS; ++q)
            if (are_neighbors_array[p * N_CELLS + q]) neighbor_bits[p][q >> 6] |= uint64_t{1} << (q & 63);
    }
}
