// Tables of every k-subset of {0..n-1} for n <= 9, built once per process.
#pragma once

#include "ffi/c_names.h"
