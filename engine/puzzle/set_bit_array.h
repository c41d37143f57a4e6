// Digit-set tables: bit counts and single-bit decoding for masks of up to ten bits.
#pragma once

#include "ffi/c_names.h"

// Number of digits in a candidate mask (bits 1..9).
inline int n_digits(unsigned mask) { return set_bit_array[(mask >> 1) & 0x1ff]; }

// Number of houses in a set of house numbers (bits 0..8); a table read, not a library call.
inline int n_houses(unsigned set) { return set_bit_array[set & 0x1ff]; }
