/* libquorvel: the Quadrillo puzzle engine, as plain C functions over an opaque game handle.
 *
 * Conventions: cells are indexed row*9 + column (0..80); digit sets are masks with bit d for digit d.
 *
 * Threads. The library starts no thread of its own; every call runs on the caller's thread, and
 * calls may come from any number of threads at once under these rules:
 *  - A handle belongs to one thread at a time: every call that takes a SudokuHandle must not run
 *    while another call on the same handle runs, except sudoku_cancel, which any thread may call
 *    while a generation runs on the handle (it stops that generation; one made between two
 *    generations is forgotten). Different handles may be used on different threads at once.
 *  - An album may be read (sudoku_queue_game_count, sudoku_queue_get_game) from several threads at
 *    once; sudoku_queue_free must wait until every reader is done.
 *  - Every call that takes neither a handle nor an album is safe on any number of threads at once:
 *    classification and candidate states, sudoku_transform_puzzle (on bytes no other thread uses),
 *    sudoku_next_step, the picture calls, harvests, the name lookups and the tables.
 *  - Settings: sudoku_set_group_maps_dir may run while other threads generate; a generation that has
 *    already read the directory for a map file keeps that reading. sudoku_seed_thread,
 *    sudoku_set_classify_time_limit and the harvest result are per thread.
 *  - The tables are constant, except n_combs and combs_for_n_k, which are built once, under a
 *    once-flag, by the first sudoku_new or classification and never change afterwards.
 * Robustness: a null handle or a cell index outside 0..80 is a safe no-op; out-parameters then
 * receive zeros and functions with a result return 0. */
#ifndef QUORVEL_H
#define QUORVEL_H

#include <stddef.h>

#include "quorvel_records.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Puzzle SudokuHandle;
/* An album of stored games, made by sudoku_queue_load and released by sudoku_queue_free. */
typedef struct queue_data SudokuAlbum;

/* The record sudoku_get_cell fills: nine ints, in this order. */
typedef struct SudokuCellInfo {
    int solution;    /* solution digit 1..9 */
    int status;      /* non-zero: the cell is a clue */
    int elim_bits;   /* candidates / pencil marks, bit d = digit d */
    int user_answer; /* the player's digit, 0 = none */
    int small_mode;  /* 1 when the cell shows pencil marks */
    int reserved;
    int group;       /* 0..8 */
    int row;         /* 0..8 */
    int col;         /* 0..8 */
} SudokuCellInfo;

/* ---- Handle, cells and snapshots ---- */

/* A new, empty game handle; its cells are undefined until a generation call or a load. */
SudokuHandle* sudoku_new(void);
/* Releases a handle and its neighbour table; null is allowed and does nothing. */
void sudoku_free(SudokuHandle* h);
/* Asks a running generation on h to stop at its next check; safe from another thread. */
void sudoku_cancel(SudokuHandle* h);
/* ms > 0: solution construction on h stops once the steady clock passes now + ms; ms <= 0: no deadline. */
void sudoku_set_deadline_ms(SudokuHandle* h, int ms);
/* Fills *out from cell `cell`. Bad handle or index: *out is zeroed. */
void sudoku_get_cell(SudokuHandle* h, int cell, SudokuCellInfo* out);
/* Copies the nine group colours into out[0..8]. Null handle: out is zeroed. */
void sudoku_get_color_map(SudokuHandle* h, int* out);
/* 1 when the cell and the one to its right share a group; 0 in column 8 or for a bad index. */
int sudoku_same_group_right(SudokuHandle* h, int cell);
/* 1 when the cell and the one below it share a group; 0 in row 8 or for a bad index. */
int sudoku_same_group_below(SudokuHandle* h, int cell);
/* 1 when cells i and j see each other (1 for i == j). Needs a generated or loaded game: without a
 * neighbour table, or for a bad index, the answer is 0. */
int sudoku_are_neighbors(SudokuHandle* h, int i, int j);
/* Size of the puzzle bytes: 5184. */
int sudoku_puzzle_byte_size(void);
/* Copies the 5184 puzzle bytes (the 81 cells) to out. */
void sudoku_get_puzzle_bytes(SudokuHandle* h, void* out);
/* Copies 5184 bytes over the cells; follow with sudoku_setup_loaded. */
void sudoku_set_puzzle_bytes(SudokuHandle* h, const void* in);
/* Finishes a load: map kind 1 = irregular (else square), adjacency 1 = x (else regular); rebuilds
 * the neighbour table and the house pointers from the loaded cells. */
void sudoku_setup_loaded(SudokuHandle* h, int map_kind, int adjacency);
/* Back to the starting position: clues stay, every answer and pencil mark goes. */
void sudoku_restart(SudokuHandle* h);

/* ---- Generation ---- */

/* A random complete solution on a new game: map kind 1 = jigsaw (drawn from the map files, falling
 * back to the boxes when none can be read), adjacency 1 = x. Every cell gets its digit, none is a
 * clue. Returns 1, or 0 when cancelled, past the deadline, or without a handle. */
int sudoku_generate_solution(SudokuHandle* h, int map_kind, int adjacency);
/* A new puzzle of difficulty `quality` (0..9; anything else means 1) on a new game: map kind
 * 1 = jigsaw, adjacency 1 = x. On success (1) the clues, the solution and an empty playing state
 * are in the cells; 0 on failure or cancel. `request` is carried along and has no further effect. */
int sudoku_generate(SudokuHandle* h, int map_kind, int adjacency, int quality, int request);
/* A game from a caller's own puzzle: clue flags, solution digits, group of each cell (arrays of
 * 81, cell order) and nine group colours. The caller vouches that the solution is valid for the map
 * and the clues; groups outside 0..8, digits outside 1..9 or null arrays are refused with 0,
 * leaving the handle as it was. Otherwise 1. */
int sudoku_build_from_clues(SudokuHandle* h, int map_kind, int adjacency, int quality, const int* clues,
                            const int* solution, const int* groups, const int* colors);
/* The directory of the jigsaw map files for the whole process; null clears it (then the
 * environment variable SUDOKU_GROUP_MAPS_DIR is used). Safe while other threads generate. Only
 * regular files are read from it: a FIFO or a device under a map file's name counts as missing. */
void sudoku_set_group_maps_dir(const char* dir);
/* Makes the calling thread's random choices repeatable: from now on they follow a generator started
 * at `seed`, so the same calls with the same seed give the same games. 0 returns the thread to the
 * system's random source. Other threads are not affected. */
void sudoku_seed_thread(unsigned long long seed);

/* ---- Play assistance ----
 * A cell shows a clue (status non-zero), an answer (small_mode 0, user_answer 1..9), pencil marks
 * (small_mode 1, the digits of elim_bits) or nothing. Digits and answers are 0..9; a call with a
 * digit outside 0..9, like one with a null handle or a bad cell index, changes nothing. A game whose
 * stored house rings are broken gets no candidate upkeep: answers and marks are still stored. */

/* Stores `answer` (0 = none) in a non-clue cell. With propagate, the withdrawn `previous` answer
 * (as the caller knew it) goes back to the cell's and its open neighbours' marks where no house
 * shows it, and the new answer leaves every neighbour's marks. A clue cell takes no answer. */
void sudoku_set_user_answer(SudokuHandle* h, int cell, int answer, int previous, int propagate);
/* Flips the pencil mark of `digit` in the cell; digit 0 clears all its marks. */
void sudoku_toggle_elim_bit(SudokuHandle* h, int cell, int digit);
/* Switches the cell between showing its answer and showing its pencil marks. */
void sudoku_toggle_small_mode(SudokuHandle* h, int cell);
/* Fresh pencil marks everywhere: every open or pencil cell gets the digits its houses do not show. */
void sudoku_digit_assistant_all(SudokuHandle* h);
/* Refreshes the marks, keeping the player's own: shown digits leave their neighbours' marks, and an
 * open cell without marks first gets all nine. */
void sudoku_digit_assistant_update(SudokuHandle* h);
/* Hides the pencil marks of every open cell; the marks themselves are kept. */
void sudoku_digit_assistant_hide(SudokuHandle* h);
/* 1 when every cell is a clue or a right answer, 2 when every other cell holds a wrong answer,
 * else 0; counts[1..9] (may be null) get how often each digit is shown, counts[0] is 0. */
int sudoku_get_state(SudokuHandle* h, int* counts);
/* The number of cells not yet right (neither a clue nor a right answer showing). */
int sudoku_distance(SudokuHandle* h);
/* flags[d] (d = 1..9) = 1 when exactly nine cells show digit d, else 0; flags[0] = 0. */
void sudoku_maxed_digits(SudokuHandle* h, int* flags);

/* ---- Pictures ----
 * A picture is w x h pixels, row-major without gaps, bpp bytes per pixel (1 grey, 2 grey and one
 * ignored byte, 3 RGB, 4 RGB and one ignored byte). Every picture call returns 0 without reading a
 * pixel when pixels is null, w or h is below 27, w * h is above 100,000,000 (100 megapixels), bpp is
 * outside 1..4, or its output is null. */

/* Reads the puzzle in the picture: out[81] gets the digit 1..9 of every cell, row-major, 0 for an
 * empty or unreadable cell. When the first reading repeats a digit in a row, column or box, other
 * readings of the picture are weighed by its own rules (drawn regions, marked diagonals) and one
 * that repeats less without reading fewer digits replaces it. 1 for any valid picture, also when
 * no digit was read; the caller judges the reading by its content. */
int sudoku_ocr_recognize(const unsigned char* pixels, int w, int h, int bpp, int* out);

/* The grid's lattice box: out[0..3] = left, top, right, bottom, the pixel centres of the outer
 * lines, both inclusive. 1 when a grid was found; 0 leaves out untouched. */
int sudoku_ocr_locate(const unsigned char* pixels, int w, int h, int bpp, int* out);
/* The drawn regions of an irregular puzzle (thick walls or region colours): out[81] gets the region
 * 0..8 of every cell, row-major, numbered in the order of each region's first cell. 1 when nine
 * regions of nine cells were found; 0 with all 81 set to 0 otherwise. A plain puzzle gives its
 * 3x3 boxes. */
int sudoku_ocr_regions(const unsigned char* pixels, int w, int h, int bpp, int* out);

/* 1 when the picture's two long diagonals are marked (their cells shaded or tinted, or lines drawn
 * along them), else 0. */
int sudoku_ocr_detect_x(const unsigned char* pixels, int w, int h, int bpp);

/* ---- Classification and transforms ----
 * Grids are 9 x 9 ints, row-major: clues hold a digit 1..9 or 0, groups the group 0..8 of each cell and
 * must form nine groups of nine cells. Map kind 1 = irregular, adjacency 1 = x (else square, regular).
 * Clues outside 0..9 or a group array that is not such a map are refused: the sudoku_ calls return 0,
 * classify_puzzle reports "unsolvable" without looking further. Classification may run on several
 * threads at once. */


/* ClassifyResult, the verdict of classify_puzzle, is in quorvel_records.h. */

/* The record sudoku_classify_clues fills (1076 bytes). */
typedef struct ClassifyInfo {
    int bucket; /* 0..9 from the label, -1 for "unsolvable" or an unknown label */
    int level;
    int solvable;
    int unique;
    int solved;
    int clue_count;
    int cell_method[81];
    int cell_digit[81];
    int cell_given[81];
    char label[16];
    char description[64];
} ClassifyInfo;

/* Uniqueness and difficulty of a clue grid; budget > 0 bounds the exact search in nodes (0: none). */
ClassifyResult classify_puzzle(int map_type, int adjacency, const int clues[9][9], const int groups[9][9],
                               long budget);
/* The easiest verdict over the eight orientations; *orientation (may be null) gets the one used. */
ClassifyResult classify_puzzle_best_orientation(int map_type, int adjacency, const int clues[9][9],
                                                const int groups[9][9], long budget, int* orientation);
/* Only the label of classify_puzzle. */
const char* classify_puzzle_for_pool(int map_type, int adjacency, const int clues[9][9], const int groups[9][9],
                                     long budget);
/* The 81 candidate masks just before technique `method` would be needed; 1, or 0 for a null out or
 * refused grids. */
int candidate_state_at_level(int map_type, int adjacency, const int clues[9][9], const int groups[9][9], int method,
                             int* out);
/* The canonical clues and groups; *orientation gets the orientation 0..7, digit_map[d] the label of d. */
void canonical_form(const int clues[9][9], const int groups[9][9], int out_clues[9][9], int out_groups[9][9],
                    int* orientation, int* digit_map);
/* Names: bucket words by index 0..9 and back (-1 when unknown), "square"/"irregular", "regular"/"x";
 * an index out of range gives the empty string. */
int gen_bucket_index(const char* name);
const char* gen_bucket_name(int index);
const char* gen_map_name(int map_type);
const char* gen_adj_name(int adjacency);

/* Classifies clues[81] on groups[81] into *out; 1, or 0 for a null pointer or refused grids. With a
 * time limit set on the thread (below), 2 when it ran out first: out->label is "undecided", bucket -1,
 * solvable and unique 0, and the cells hold what the ladder found by then. */
int sudoku_classify_clues(const int* clues, const int* groups, int map_kind, int adjacency, ClassifyInfo* out);
/* The same for the clues and groups of a game; 0 for a null handle or out, or broken stored cells. */
int sudoku_classify_handle(SudokuHandle* h, int map_kind, int adjacency, ClassifyInfo* out);
/* Extension: bounds every later classification on the calling thread (sudoku_classify_clues,
 * sudoku_classify_handle, classify_puzzle and its variants, harvests) to ms milliseconds of the
 * steady clock each; ms <= 0 removes the bound (the default). A grid whose exact search would run
 * for seconds (few clues, or a map that allows no solution) then comes back undecided instead of
 * holding the thread; one decided within the limit gets the same verdict as without it. For
 * classify_puzzle an undecided grid is "unsolvable" with budget_exhausted 1. Other threads keep
 * their own setting. */
void sudoku_set_classify_time_limit(int ms);
/* Extension: the number of solutions of clues[81] (0..9) on groups[81] (0..8, nine cells each; x
 * adjacency 1 adds both long diagonals), counted by the exact search and stopped at `limit` (>= 1).
 * solution (may be null) gets the first solution found, row-major. node_budget > 0 bounds the search
 * (<= 0: none). Returns the count 0..limit, -1 when the budget ran out first, -2 for refused input
 * (null pointers, values out of range, groups that are not nine of nine). Much faster than a
 * classification when only the count is wanted; safe on several threads at once. */
int sudoku_count_solutions(const int* clues, const int* groups, int adjacency, int limit, long node_budget,
                           int* solution);
/* The candidates of the game's clue grid just before technique `level` would be needed, into out[81]. */
int sudoku_candidate_state_handle(SudokuHandle* h, int map_kind, int adjacency, int level, int* out);
/* Turns 5184 puzzle bytes in place by symmetry `type` (0..7) and renames the digits: permutation[i] is
 * the new digit for digit i + 1. Any invalid request leaves the bytes unchanged. */
void sudoku_transform_puzzle(void* bytes, unsigned type, const int* permutation);

/* ---- The next step (an extension beyond the original set of calls) ----
 * For hints: the easiest technique of the ladder that makes progress in a position, the cells and
 * houses that make it and what it does. It reuses the technique solver's own steps and settles the
 * solution of the givens first, so it never reports a step that removes a solution digit. */


/* SudokuStep, what sudoku_next_step fills (800 bytes), is in quorvel_records.h. */

/* The next step for givens[81] (0..9), the player's answers[81] (0..9, may be null) and candidates[81]
 * (masks of bits 1..9, may be null; 0 in a cell means no marks there, so all its houses allow) on
 * groups[81] (0..8). Candidates are narrowed to what the houses allow and never lose the solution digit.
 * node_budget bounds the search that settles the solution (<= 0: ten million nodes). Returns 1 when
 * out->status is 1, else 0 (and 0 for a null out). Safe on several threads at once. */
int sudoku_next_step(const int* givens, const int* answers, const int* candidates, const int* groups, int map_kind,
                     int adjacency, long node_budget, SudokuStep* out);

/* ---- Harvests and stock depths ----
 * A harvest makes one random solution (map kind 1 = jigsaw, adjacency 1 = x) and digs it down one clue
 * at a time, keeping the last puzzle it met in each difficulty bucket 0..9. The result is kept per
 * thread: read it with the getters on the thread that harvested. */

/* Runs a harvest. `unused` is not read; node_limit > 0 bounds each classification's exact search,
 * deadline_ms > 0 bounds making the solution, seed picks the dig order (0: a fixed default). Returns 0
 * when no solution could be made, else bit b set for each bucket b that received a puzzle. */
int sudoku_generate_harvest(void* unused, int map_kind, int adjacency, int node_limit, int deadline_ms, int seed);
/* The last harvest's solution digits, groups (out[81]) and group colours (out[9]); zeros on a thread
 * that never harvested. A null out does nothing. */
void sudoku_harvest_solution(int* out);
void sudoku_harvest_groupmap(int* out);
void sudoku_harvest_colormap(int* out);
/* The clues (digit or 0) of the last harvest's puzzle in `bucket` into out[81] and its clue count;
 * -1 with out untouched for a bucket outside 0..9, one the harvest did not fill, or a null out. */
int sudoku_harvest_clues(int bucket, int* out);
/* How many puzzles of a kind and bucket to keep in stock; 3 for arguments outside the tables. */
int sudoku_desired_queue_depth(int map_kind, int adjacency, int bucket);

/* Stock depths by [map kind][adjacency] and [map kind][adjacency][bucket]. */
extern const int desiredSolutionQueueSize[2][2];
extern const int desiredPuzzleQueueSize[2][2][10];
extern const int desiredGameAlbumSize[2][2][10];

/* ---- Albums ----
 * An album blob: the header "SQD0.002" and three right-aligned four-place counts (solutions, puzzles,
 * games), zeros up to byte 80, then that many 5232-byte game records. */

/* A new album holding its own copy of the bytes; null when bytes is null, the header is wrong, the
 * length does not match the counts, or any record's cells are damaged. */
SudokuAlbum* sudoku_queue_load(const void* bytes, size_t length);
/* Releases an album; null does nothing. No other thread may still be reading it. */
void sudoku_queue_free(SudokuAlbum* album);
/* The number of games in an album (0 for null). */
int sudoku_queue_game_count(const SudokuAlbum* album);
/* Game `index`: its 5184 puzzle bytes to cells, its nine colours, map kind, adjacency and quality.
 * 1, or 0 (nothing written) for a null album or pointer or an index outside 0..count-1. Load the cells
 * with sudoku_set_puzzle_bytes and sudoku_setup_loaded. */
int sudoku_queue_get_game(const SudokuAlbum* album, int index, void* cells, int* colors, int* map_kind,
                          int* adjacency, int* quality);

/* ---- Digit-set and combination tables ---- */

extern const int set_bit_array[1024];     /* number of set bits of i */
extern const int bit_2_digit_array[1050]; /* d for i = 1 << d (d = 1..10), else 0 */
extern const int bits2digit_array[1050];  /* position of the highest set bit of i; 0 for 0 and 1 */
extern int n_combs[10][10];               /* C(n, k); valid after sudoku_new */
extern int** combs_for_n_k[10][10];       /* the k-subsets of 0..n-1, lexicographic */

#ifdef __cplusplus
}
#endif

#endif
