/* quadrillo-cli: a small command-line window onto the engine. */
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "ffi/quorvel.h"

static void usage(void) {
    printf("usage: quadrillo-cli [info | solution [square|jigsaw] [regular|x]\n"
           "                     | generate [square|jigsaw] [regular|x] [quality 0..9]]\n"
           "  info       load a stored game and show its grid and neighbourhoods\n"
           "  solution   build a random complete solution and print it with its regions\n"
           "  generate   make a puzzle of the given difficulty and print it, then its solution\n");
}

/* The map files lie in lib/group_maps beside the bin directory of this program. */
static void point_at_maps(void) {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    exe[n] = 0;
    char* slash = strrchr(exe, '/');
    if (!slash) return;
    *slash = 0;
    char dir[PATH_MAX + 32];
    snprintf(dir, sizeof dir, "%s/../lib/group_maps", exe);
    if (access(dir, R_OK) == 0) sudoku_set_group_maps_dir(dir);
}

static void print_grid(SudokuHandle* h, int clues_only) {
    int colors[9];
    sudoku_get_color_map(h, colors);
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            SudokuCellInfo info;
            sudoku_get_cell(h, r * 9 + c, &info);
            int shown = !clues_only || info.status;
            printf("%c%c", shown ? '0' + info.solution : '.',
                   c == 8 ? ' ' : (sudoku_same_group_right(h, r * 9 + c) ? ' ' : '|'));
        }
        printf("   ");
        for (int c = 0; c < 9; ++c) {
            SudokuCellInfo info;
            sudoku_get_cell(h, r * 9 + c, &info);
            printf("%c", "ABCD"[colors[info.group] & 3]);
        }
        printf("\n");
    }
}

static int show_puzzle(int jigsaw, int x, int quality) {
    point_at_maps();
    SudokuHandle* h = sudoku_new();
    int ok = sudoku_generate(h, jigsaw, x, quality, 0);
    if (ok) {
        int clues = 0;
        for (int k = 0; k < 81; ++k) {
            SudokuCellInfo info;
            sudoku_get_cell(h, k, &info);
            clues += info.status != 0;
        }
        printf("a %s %s puzzle of difficulty %d with %d clues\n\n", jigsaw ? "jigsaw" : "square",
               x ? "x" : "regular", quality, clues);
        print_grid(h, 1);
        printf("\nsolution:\n");
        print_grid(h, 0);
    } else {
        printf("no puzzle of difficulty %d could be made\n", quality);
    }
    sudoku_free(h);
    return ok ? 0 : 1;
}

static int show_solution(int jigsaw, int x) {
    point_at_maps();
    SudokuHandle* h = sudoku_new();
    int ok = sudoku_generate_solution(h, jigsaw, x);
    if (ok) {
        printf("a random %s %s solution ('|' marks a region border; right: region colours)\n\n",
               jigsaw ? "jigsaw" : "square", x ? "x" : "regular");
        print_grid(h, 0);
    }
    sudoku_free(h);
    return ok ? 0 : 1;
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
    if (strcmp(argv[1], "generate") == 0) {
        int jigsaw = argc > 2 && strcmp(argv[2], "jigsaw") == 0;
        int x = argc > 3 && strcmp(argv[3], "x") == 0;
        int quality = argc > 4 ? atoi(argv[4]) : 1;
        return show_puzzle(jigsaw, x, quality);
    }
    if (strcmp(argv[1], "solution") == 0) {
        int jigsaw = argc > 2 && strcmp(argv[2], "jigsaw") == 0;
        int x = argc > 3 && strcmp(argv[3], "x") == 0;
        return show_solution(jigsaw, x);
    }
    usage();
    return 2;
}
