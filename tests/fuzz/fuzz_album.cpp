// Album blobs: the header and length checks, then every game read out and loaded into a handle.
#include "ffi/quorvel.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SudokuAlbum* album = sudoku_queue_load(data, size);
    if (!album) return 0;
    const int n = sudoku_queue_game_count(album);
    std::vector<uint8_t> cells(5184);
    int colours[9], map_kind, adjacency, quality, counts[10];
    for (int i = -1; i <= n && i < 64; ++i) {
        if (!sudoku_queue_get_game(album, i, cells.data(), colours, &map_kind, &adjacency, &quality)) continue;
        SudokuHandle* h = sudoku_new();
        sudoku_set_puzzle_bytes(h, cells.data());
        sudoku_setup_loaded(h, map_kind, adjacency);
        sudoku_get_state(h, counts);
        sudoku_digit_assistant_all(h);
        sudoku_free(h);
    }
    sudoku_queue_free(album);
    return 0;
}
