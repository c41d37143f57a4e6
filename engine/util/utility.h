// Bit pickers over digit sets and the steady clock in milliseconds.
#pragma once

#include <cstdint>

#include "ffi/c_names.h"

// Steady-clock reading in whole milliseconds.
int64_t steady_now_ms();
