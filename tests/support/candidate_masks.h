// Snapshots of the candidate masks of a test game and what a technique step took from them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "support/puzzle_builder.h"

inline std::vector<uint32_t> masks(TestPuzzle& t) {
    std::vector<uint32_t> m;
    for (const PUZZLE_CELL& c : t->cells) m.push_back(c.elim_bits);
    return m;
}

// The digits each changed cell lost since `before`, by cell index; a cell that gained a digit fails.
inline std::map<int, uint32_t> losses(TestPuzzle& t, const std::vector<uint32_t>& before) {
    std::map<int, uint32_t> lost;
    for (int k = 0; k < N_CELLS; ++k) {
        EXPECT_EQ(t->cells[k].elim_bits & ~before[k], 0u) << "cell " << k << " gained a digit";
        if (t->cells[k].elim_bits != before[k]) lost[k] = before[k] & ~t->cells[k].elim_bits;
    }
    return lost;
}
