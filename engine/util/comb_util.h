// Stepping through k-subsets in lexicographic order, complements and random subsets.
#pragma once

#include "ffi/c_names.h"

void build_comb_tables();
