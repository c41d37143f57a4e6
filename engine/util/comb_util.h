// Stepping through k-subsets in lexicographic order, complements and random subsets.
#pragma once

extern "C" {
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
}

void build_comb_tables();
