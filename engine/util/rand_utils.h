// The per-thread random pool over the kernel's random source, with a deterministic seeding hook.
#pragma once

#include <cstdint>

#include "ffi/c_names.h"

// Test and benchmark hook (not exported): from now on the calling thread's pool is refilled from a
// deterministic generator started at seed, so every later random choice on this thread repeats.
void rand_seed_thread(uint64_t seed);
// Returns the calling thread to the kernel's random source.
void rand_unseed_thread();
