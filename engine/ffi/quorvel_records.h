/* The plain records that cross the engine's boundary and that its subsystems fill themselves: the
 * classifier's verdict and the next step. Part of the public surface (quorvel.h includes it) and the
 * one home of these types inside the engine, so the subsystems need not include the calls. */
#ifndef QUORVEL_RECORDS_H
#define QUORVEL_RECORDS_H

/* The verdict of classify_puzzle. The strings are constants of the library. */
typedef struct ClassifyResult {
    const char* label;       /* bucket word ("quickie" .. "beyond_hell") or "unsolvable" */
    const char* description; /* readable difficulty */
    int level;               /* ladder index 0..15 of the last level that solved a cell, 16: search, -1: none */
    unsigned char solved;    /* every cell is known */
    unsigned char solvable;  /* at least one solution */
    unsigned char unique;    /* exactly one solution */
    unsigned char budget_exhausted; /* the search gave up before it knew the count */
    int cell_method[81];     /* technique (or finer kind 30..53, 27 for search) that solved each cell; -2: given or unsolved */
    int cell_digit[81];      /* given or found digit, 0 when unknown */
    unsigned char cell_given[81];
    int clue_count;
} ClassifyResult;

/* What sudoku_next_step fills (800 bytes). */
typedef struct SudokuStep {
    int status;             /* 1 a step; 0 none left (every cell shown); -1 bad input (null givens or groups,
                               values out of range, groups not nine of nine); -2 a shown digit is wrong;
                               -3 the givens do not have exactly one solution; -4 undecided (search budget) */
    int level;              /* ladder index 0..15 (0 naked single .. 15 forcing net), 16 trial and error, else -1 */
    int method;             /* the solver's technique number, -1 without a step */
    int wrong_cell;         /* status -2: the first cell, row-major, whose answer differs from the solution; else -1 */
    char name[48];          /* the technique's name for people ("Hidden single"), "" without a step */
    unsigned char pattern[81]; /* 1 for the cells that make the step: a single's cell, or the open cells that hold
                                  a removed digit and see every cell losing it */
    unsigned char reserved[3];
    unsigned int houses;    /* bit h for house h: 0..8 rows, 9..17 columns, 18..26 groups, 27 diagonal, 28 anti-diagonal */
    int placed[81];         /* the digit the step places in each cell, 0 elsewhere */
    int removed[81];        /* the candidates it removes from each cell, bit d for digit d */
} SudokuStep;

#endif
