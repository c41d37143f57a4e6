// The classic map: nine 3x3 boxes, group 3*(row/3) + col/3.
#pragma once

#include "puzzle/Puzzle.h"

constexpr Matrix<int, 9> make_square_group_map() {
    Matrix<int, 9> m{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) m.m[r][c] = 3 * (r / 3) + c / 3;
    return m;
}

inline constexpr Matrix<int, 9> square_group_map = make_square_group_map();
