// The engine's names with C linkage beyond the flat calls: the support routines the library exports
// beside quorvel.h, and the C library's random words that the engine's per-thread pool replaces.
// Subsystem headers include this rather than spelling linkage themselves; their definitions take the
// linkage from these declarations, so the C boundary is written down in this folder only.
#pragma once

#include <cstdint>

extern "C" {

// Random words, declared exactly as the C library declares them, so our definitions take their
// place; and the routine that readies the calling thread's pool.
uint32_t arc4random(void) noexcept;
uint32_t arc4random_uniform(uint32_t upper) noexcept;
void initialize_rand(void);

// Stepping through k-subsets in lexicographic order, complements and random subsets.
void initialize_comb(int k, int* values);
// Steps values to its lexicographic successor; an array whose last entry is 0 is taken as not
// started and set to the first subset. Not for k = 1.
bool generate_combination(int k, int n, int* values);
bool generate_combination1(int k, int n, int* values);
bool generate_combination_kequals1(int n, int* value);
// Writes the numbers of 0..n-1 not in the ascending subset comb; comb must be ended by a value
// outside 0..n-1 (or hold n entries).
void inverse_combination(int n, const int* comb, int* out);
// Draws k of the n values by a partial Fisher-Yates shuffle from the end; returns values + n - k.
int* random_combination(int k, int n, int* values);

// The exported tables, as quorvel.h declares them (the compiler holds the two to each other in the
// files that see both): digit-set decoding, and the k-subsets of 0..n-1 for n <= 9.
extern const int set_bit_array[1024];
extern const int bit_2_digit_array[1050];
extern const int bits2digit_array[1050];
// n_combs[n][k]: C(n, k), 0 for k > n; combs_for_n_k[n][k][i]: the i-th k-subset in lexicographic
// order, ascending; null for k > n. Built once by initialize_comb_routine.
extern int n_combs[10][10];
extern int** combs_for_n_k[10][10];
void initialize_comb_routine(void);
int n_combinations(int n, int k);
int* combination_for_combnumber(int n, int k, int i);

// The set form 1 << d of the n-th set bit of mask, counting from bit 1 upward; 1 when n <= 0,
// 0 when mask has fewer than n set bits above bit 0.
unsigned get_nth_nonzero_bit(unsigned mask, int n);
// The position d of that bit; 0 when n <= 0 or mask has fewer than n set bits above bit 0.
int find_nth_nonzero_bit(unsigned mask, int n);
// Sets the n-th clear bit of *mask to one, counting clear bits from bit 1 upward within bits 1..31,
// and returns its position; returns 0 and leaves *mask alone when mask is null, n <= 0, or there are
// fewer than n clear bits there.
int set_nth_zero_bit_to_one(int* mask, int n);

}  // extern "C"
