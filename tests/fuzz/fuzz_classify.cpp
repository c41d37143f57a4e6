// Clue arrays and group maps through every classification call. Groups come either as raw bytes
// (mostly refused: not nine of nine) or as the boxes with cells traded between groups, which stays
// a map of nine groups of nine and so reaches the ladder and the exact search.
#include <cstdlib>

#include "ffi/quorvel.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Classifications that would run for seconds come back undecided after 100 ms.
    static const bool bounded = (sudoku_set_classify_time_limit(100), true);
    (void)bounded;
    FuzzInput in{data, size};
    const int mode = in.byte();
    const int map_kind = mode & 1, adjacency = (mode >> 1) & 1;
    int clues[81], groups[81];
    for (int& c : clues) c = static_cast<int8_t>(in.byte()) % 12;  // mostly 0..9, a few out of range
    if (mode & 4) {
        for (int& g : groups) g = in.pick(10);
    } else {
        for (int k = 0; k < 81; ++k) groups[k] = (k / 27) * 3 + (k % 9) / 3;
        for (int swaps = in.pick(40); swaps > 0; --swaps) std::swap(groups[in.pick(81)], groups[in.pick(81)]);
    }
    ClassifyInfo info;
    if (sudoku_classify_clues(clues, groups, map_kind, adjacency, &info) == 1 && info.unique) {
        for (int k = 0; k < 81; ++k)
            if (info.cell_digit[k] < 1 || info.cell_digit[k] > 9) std::abort();  // a unique verdict names every digit
    }
    const auto c9 = reinterpret_cast<const int(*)[9]>(clues);
    const auto g9 = reinterpret_cast<const int(*)[9]>(groups);
    int masks[81], orientation;
    candidate_state_at_level(map_kind, adjacency, c9, g9, in.pick(30) - 1, masks);
    const long budget = 1 + in.pick(64) * 500;
    classify_puzzle(map_kind, adjacency, c9, g9, budget);
    classify_puzzle_for_pool(map_kind, adjacency, c9, g9, budget);
    if (mode & 8) classify_puzzle_best_orientation(map_kind, adjacency, c9, g9, budget, &orientation);
    return 0;
}
