// The difficulty classifier: ladder of sixteen solve levels, exact search, names of the verdicts.
#pragma once

#include "ffi/quorvel_records.h"
#include "puzzle/Puzzle.h"

constexpr int kNSolveLevels = 16;
extern const METHOD_TYPE kSolveLevels[kNSolveLevels];
extern const char* const kPoolBucketNames[10];
extern const char* const kMapNames[2];
extern const char* const kAdjNames[2];

// Clue values 0..9 and nine groups of nine cells numbered 0..8: what the classifier can work on.
bool classify_input_is_valid(const int clues[9][9], const int groups[9][9]);
// No digit twice in a row, column, group or (with x) long diagonal; values outside 1..9 are empty.
bool clues_are_consistent(ADJACENCY_TYPE adjacency, const int clues[9][9], const int groups[9][9]);
// A zeroed Puzzle with the map, the clues as solution bits and the starting candidates; the caller
// frees its neighbour table.
void setup_for_classify(Puzzle& p, MAP_TYPE map, ADJACENCY_TYPE adjacency, const int clues[9][9],
                        const int groups[9][9]);
// The classification of valid, consistent grids in the orientation they come in. With deadline_ms > 0
// it stops once the steady clock passes it, between ladder levels or in the search, and reports the
// grid undecided (budget_exhausted) like a search that ran out of nodes.
ClassifyResult classify_impl(MAP_TYPE map, ADJACENCY_TYPE adjacency, const int clues[9][9], const int groups[9][9],
                             long budget, int64_t deadline_ms = 0);
// classify_puzzle with a steady-clock deadline (0: none).
ClassifyResult classify_puzzle_until(int map_type, int adjacency, const int clues[9][9], const int groups[9][9],
                                     long budget, int64_t deadline_ms);

// The calling thread's time limit for each classification (ms <= 0: none), and the deadline it gives
// a classification that starts now (0 without a limit).
void set_classify_time_limit(int ms);
int64_t classify_deadline();

// The hardest technique with a positive count in counts (indexed by METHOD_TYPE, at least 52 entries).
METHOD_TYPE hardest_method_used(const int* counts);
// The difficulty bucket 0..9 of a technique (never 1).
int method_type_to_bucket(METHOD_TYPE m);
// The bucket word and description of a unique verdict at ladder index `level` (-1: all given).
void verdict_names(int level, bool quickie, const char** label, const char** description);
// The description of a grid that is not uniquely solved, by the last level that solved a cell.
const char* unsolved_description(int level, bool quickie, bool solvable, bool budget_exhausted);
// The number of givens at or above which a naked-singles puzzle is "quickie" rather than "easy".
int quickie_threshold(MAP_TYPE map, ADJACENCY_TYPE adjacency);
