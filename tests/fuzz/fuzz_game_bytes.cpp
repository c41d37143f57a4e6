// Stored game bytes, as a damaged save or album could hand them over: loaded into a handle, then
// played, read, classified and turned. Nothing may read or write outside the record.
#include "ffi/quorvel.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool bounded = (sudoku_set_classify_time_limit(200), true);
    (void)bounded;
    FuzzInput in{data, size};
    const std::vector<uint8_t> cells = in.bytes(5184);
    const int map_kind = in.pick(3), adjacency = in.pick(3);
    SudokuHandle* h = sudoku_new();
    sudoku_set_puzzle_bytes(h, cells.data());
    sudoku_setup_loaded(h, map_kind, adjacency);
    int counts[10], flags[10], masks[81];
    SudokuCellInfo info;
    while (in.left()) {
        const int cell = in.pick(83) - 1, digit = in.pick(11) - 1;
        switch (in.pick(12)) {
            case 0: sudoku_set_user_answer(h, cell, digit, in.pick(10), in.pick(2)); break;
            case 1: sudoku_toggle_elim_bit(h, cell, digit); break;
            case 2: sudoku_toggle_small_mode(h, cell); break;
            case 3: sudoku_digit_assistant_all(h); break;
            case 4: sudoku_digit_assistant_update(h); break;
            case 5: sudoku_digit_assistant_hide(h); break;
            case 6: sudoku_get_state(h, counts), sudoku_distance(h), sudoku_maxed_digits(h, flags); break;
            case 7: sudoku_get_cell(h, cell, &info), sudoku_are_neighbors(h, cell, in.pick(81)); break;
            case 8: sudoku_same_group_right(h, cell), sudoku_same_group_below(h, cell); break;
            case 9: {
                ClassifyInfo ci;
                sudoku_classify_handle(h, map_kind, adjacency, &ci);
                break;
            }
            case 10: sudoku_candidate_state_handle(h, map_kind, adjacency, in.pick(6), masks); break;
            default: {
                std::vector<uint8_t> turned(5184);
                sudoku_get_puzzle_bytes(h, turned.data());
                int perm[9];
                for (int i = 0; i < 9; ++i) perm[i] = in.pick(2) ? 9 - i : i + 1;
                sudoku_transform_puzzle(turned.data(), static_cast<unsigned>(in.pick(9)), perm);
                sudoku_set_puzzle_bytes(h, turned.data());
                sudoku_setup_loaded(h, map_kind, adjacency);
            }
        }
    }
    sudoku_restart(h);
    sudoku_free(h);
    return 0;
}
