// The next step a player can take in a position: the easiest technique of the ladder that makes
// progress there, where it applies and what it does.
#pragma once

#include "ffi/quorvel_records.h"  // SudokuStep

// The step for givens (0..9), the player's answers (0..9, may be null) and candidates (masks of
// bits 1..9, may be null: 0 in a cell means "no marks", so all that the houses allow) on groups
// (0..8, nine cells each), map kind and adjacency as elsewhere. `node_budget` bounds the search
// that confirms the solution (<= 0: a default of ten million nodes). Never removes a solution digit.
void next_step(const int* givens, const int* answers, const int* candidates, const int* groups, int map_kind,
               int adjacency, long node_budget, SudokuStep* out);
