// Tables of every k-subset of {0..n-1} for n <= 9, built once per process.
#pragma once

extern "C" {
// n_combs[n][k]: C(n, k), 0 for k > n.
extern int n_combs[10][10];
// combs_for_n_k[n][k][i]: the i-th k-subset in lexicographic order, ascending; null for k > n.
extern int** combs_for_n_k[10][10];

void initialize_comb_routine(void);
int n_combinations(int n, int k);
int* combination_for_combnumber(int n, int k, int i);
}
