// Shared checks for the tests: is a filled grid a valid solution of its map and adjacency?
#pragma once

#include <string>

#include "puzzle/Puzzle.h"

// Digit of a cell whose solution is in set form (1 << d) while a grid is built, or a digit after.
inline int digit_of(const PUZZLE_CELL& c, bool set_form) {
    if (!set_form) return c.solution;
    int s = c.solution, d = 0;
    if (s <= 0 || (s & (s - 1))) return 0;
    while (s > 1) s >>= 1, ++d;
    return d;
}

// Empty when every house of the grid holds each digit once; else what is wrong.
inline std::string solution_errors(const Puzzle& p, bool x, bool set_form) {
    unsigned seen[N_DIMENSIONS][9] = {};
    std::string errors;
    for (int k = 0; k < N_CELLS; ++k) {
        const PUZZLE_CELL& c = p.cells[k];
        int d = digit_of(c, set_form);
        if (d < 1 || d > 9) return "cell " + std::to_string(k) + " has no digit";
        for (int dim = 0; dim < N_DIMENSIONS; ++dim) {
            if (dim >= DIM_DIAG && !x) continue;
            int h = c.house(dim);
            if (h < 0) continue;
            if (seen[dim][h] & (1u << d)) errors += "digit " + std::to_string(d) + " twice in dim " +
                                                    std::to_string(dim) + " house " + std::to_string(h) + "; ";
            seen[dim][h] |= 1u << d;
        }
    }
    return errors;
}
