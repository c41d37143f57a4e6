// Random complete grids on every map kind, through the exported calls, and clue sets drawn from them.
#pragma once

#include <array>
#include <cstring>

#include "ffi/quorvel.h"
#include "puzzle/Puzzle.h"
#include "util/rand_utils.h"

struct SolvedGrid {
    int groups[9][9];
    int digits[81];
};

// A random solution on a square (jigsaw 0) or jigsaw map, with or without the x rule.
inline SolvedGrid random_solved_grid(int jigsaw, int x) {
    SolvedGrid g{};
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    SudokuHandle* h = sudoku_new();
    while (!sudoku_generate_solution(h, jigsaw, x)) {
    }
    for (int k = 0; k < 81; ++k) {
        g.groups[k / 9][k % 9] = h->cells[k].group;
        g.digits[k] = h->cells[k].solution;
    }
    sudoku_free(h);
    sudoku_set_group_maps_dir(nullptr);
    return g;
}

// About `n` clues of the grid at random cells (fewer when a cell is drawn twice).
inline std::array<int, 81> random_clues(const SolvedGrid& g, int n) {
    std::array<int, 81> clues{};
    for (int i = 0; i < n; ++i) {
        const int k = static_cast<int>(arc4random_uniform(81));
        clues[k] = g.digits[k];
    }
    return clues;
}
