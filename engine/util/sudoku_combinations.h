// Tables of every k-subset of {0..n-1} for n <= 9, built once per process.
#pragma once

#include "ffi/c_names.h"

// The i-th k-subset of 0..n-1 straight from the table, without the exported call's indirections,
// for the searches' inner loops: only after n_combinations (or initialize_comb_routine) has run.
inline const int* comb_at(int n, int k, int i) { return combs_for_n_k[n][k][i]; }
