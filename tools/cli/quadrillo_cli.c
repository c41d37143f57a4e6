/* quadrillo-cli: a small command-line window onto the engine. */
#include <stdio.h>
#include <string.h>

#include "ffi/quorvel.h"

static void usage(void) {
    printf("usage: quadrillo-cli info\n"
           "  info   load a stored game and show its grid and neighbourhoods\n");
}

/* A finished square game in the engine's own storage form, built cell by cell. */
static void show_demo(void) {
    static const char solution[] =
        "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    SudokuHandle* h = sudoku_new();
    unsigned char bytes[5184];
    memset(bytes, 0, sizeof bytes);
    for (int k = 0; k < 81; ++k) {
        int words[16] = {0};
        int r = k / 9, c = k % 9;
        words[0] = 3 * (r / 3) + c / 3;
        words[1] = r;
        words[2] = c;
        words[3] = r == c ? 0 : -1;
        words[4] = r + c == 8 ? 0 : -1;
        words[10] = solution[k] - '0';
        words[11] = (k * 7) % 3 == 0;
        words[12] = words[11] ? 1 << words[10] : 0;
        memcpy(bytes + 64 * k, words, sizeof words);
    }
    sudoku_set_puzzle_bytes(h, bytes);
    sudoku_setup_loaded(h, 0, 1);
    printf("Quadrillo engine: a stored x game, clues shown, '.' to fill\n\n");
    for (int r = 0; r < 9; ++r) {
        if (r % 3 == 0) printf("+-------+-------+-------+\n");
        for (int c = 0; c < 9; ++c) {
            SudokuCellInfo info;
            sudoku_get_cell(h, r * 9 + c, &info);
            printf("%s%c", c % 3 == 0 ? "| " : "", info.status ? '0' + info.solution : '.');
            printf(" ");
        }
        printf("|\n");
    }
    printf("+-------+-------+-------+\n\n");
    int seen = 0;
    for (int j = 0; j < 81; ++j) seen += j != 40 && sudoku_are_neighbors(h, 40, j);
    printf("the centre cell sees %d cells (rows, columns, boxes and both diagonals)\n", seen);
    sudoku_free(h);
}

int main(int argc, char** argv) {
    if (argc < 2 || strcmp(argv[1], "info") == 0) {
        show_demo();
        return 0;
    }
    usage();
    return 2;
}
