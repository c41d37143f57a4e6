// Pool generation: digging one random solution down into puzzles of every difficulty bucket it passes.
#pragma once

#include <cstdint>

#include "ffi/quorvel_pool.h"  // the records and the two exported entry points

constexpr uint32_t kHarvestDefaultSeed = 0x85EBCA6B;
constexpr uint32_t kTargetedDefaultSeed = 0x9E3779B9;

// One xorshift step of the dig order's generator.
inline uint32_t xorshift32(uint32_t& x) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

// The 81 cell indexes shuffled by Fisher-Yates from the top, advancing x once per swap.
void shuffle_dig_order(uint32_t& x, int order[81]);

