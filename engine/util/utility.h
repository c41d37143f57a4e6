// Bit pickers over digit sets and the steady clock in milliseconds.
#pragma once

#include <cstdint>

extern "C" {
// The set form 1 << d of the n-th set bit of mask, counting from bit 1 upward; 1 when n <= 0,
// 0 when mask has fewer than n set bits above bit 0.
unsigned get_nth_nonzero_bit(unsigned mask, int n);
// The position d of that bit; 0 when n <= 0 or mask has fewer than n set bits above bit 0.
int find_nth_nonzero_bit(unsigned mask, int n);
// Sets the n-th clear bit of *mask to one, counting clear bits from bit 1 upward within bits 1..31,
// and returns its position; returns 0 and leaves *mask alone when mask is null, n <= 0, or there are
// fewer than n clear bits there.
int set_nth_zero_bit_to_one(int* mask, int n);
}

// Steady-clock reading in whole milliseconds.
int64_t steady_now_ms();
