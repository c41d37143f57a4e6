// The exported next-step call for hints.
#include <cstddef>

#include "classify/next_step.h"
#include "ffi/quorvel.h"

static_assert(sizeof(SudokuStep) == 800);
static_assert(offsetof(SudokuStep, name) == 16);
static_assert(offsetof(SudokuStep, pattern) == 64);
static_assert(offsetof(SudokuStep, houses) == 148);
static_assert(offsetof(SudokuStep, placed) == 152);
static_assert(offsetof(SudokuStep, removed) == 476);

extern "C" int sudoku_next_step(const int* givens, const int* answers, const int* candidates, const int* groups,
                                int map_kind, int adjacency, long node_budget, SudokuStep* out) {
    if (!out) return 0;
    next_step(givens, answers, candidates, groups, map_kind, adjacency, node_budget, out);
    return out->status == 1;
}
