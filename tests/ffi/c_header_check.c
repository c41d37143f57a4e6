/* Built as C against the shared library: the public header is plain C and the names resolve. */
#include <stdio.h>

#include "ffi/quorvel.h"

int main(void) {
    SudokuHandle* h = sudoku_new();
    if (!h || sudoku_puzzle_byte_size() != 5184 || set_bit_array[0x1ff] != 9 || n_combs[9][4] != 126 ||
        sudoku_desired_queue_depth(1, 1, 9) != desiredPuzzleQueueSize[1][1][9] || sudoku_queue_load(NULL, 0) != NULL) {
        fprintf(stderr, "c_header_check: unexpected answer from libquorvel\n");
        return 1;
    }
    sudoku_free(h);
    return 0;
}
