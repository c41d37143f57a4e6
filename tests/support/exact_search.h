// An independent exact search for the tests: does a group map (with or without x) admit a solution?
#pragma once

#include <cstdint>

#include "puzzle/Puzzle.h"

struct ExactSearch {
    int house_of[N_CELLS][5];  // the houses of each cell, -1 for none
    uint16_t used[32];         // digits placed per house (bits 0..8)
    int8_t grid[N_CELLS];
    long nodes = 0;
    long node_cap = 0;

    // True when some solution exists; false when none does or the cap was reached (see capped()).
    bool solvable(const Matrix<int, 9>& groups, bool x, long cap = 2000000) {
        layout(groups, x);
        nodes = 0;
        node_cap = cap;
        found = 0;
        found_limit = 1;
        count();
        return found > 0;
    }

    // Empty grid with the houses of the map.
    void layout(const Matrix<int, 9>& groups, bool x) {
        for (int k = 0; k < N_CELLS; ++k) {
            const int r = k / 9, c = k % 9;
            house_of[k][0] = groups[r][c];
            house_of[k][1] = 9 + r;
            house_of[k][2] = 18 + c;
            house_of[k][3] = x && r == c ? 27 : -1;
            house_of[k][4] = x && r + c == 8 ? 28 : -1;
            grid[k] = 0;
        }
        for (uint16_t& u : used) u = 0;
    }
    bool capped() const { return nodes >= node_cap; }

    // Number of solutions of the clues (digits 1..9, 0 for empty) on the map, counting up to `limit`.
    int count_solutions(const Matrix<int, 9>& groups, bool x, const int* clues, int limit = 2,
                        long cap = 5000000) {
        layout(groups, x);
        nodes = 0;
        node_cap = cap;
        for (int k = 0; k < N_CELLS; ++k) {
            if (!clues[k]) continue;
            const int d = clues[k] - 1;
            if (!(free_digits(k) >> d & 1)) return 0;  // clashing clues
            grid[k] = static_cast<int8_t>(clues[k]);
            mark(k, d, true);
        }
        found = 0;
        found_limit = limit;
        count();
        return found;
    }

private:
    int found = 0, found_limit = 2;

    void count() {
        if (found >= found_limit || ++nodes >= node_cap) return;
        int best = -1, best_n = 10;
        uint16_t best_mask = 0;
        for (int k = 0; k < N_CELLS; ++k) {
            if (grid[k]) continue;
            uint16_t m = free_digits(k);
            int n = __builtin_popcount(m);
            if (n < best_n) best = k, best_n = n, best_mask = m;
            if (n == 0) return;
        }
        if (best < 0) {
            ++found;
            return;
        }
        for (int d = 0; d < 9 && found < found_limit; ++d) {
            if (!(best_mask >> d & 1)) continue;
            grid[best] = static_cast<int8_t>(d + 1);
            mark(best, d, true);
            count();
            mark(best, d, false);
            grid[best] = 0;
        }
    }

    uint16_t free_digits(int k) const {
        uint16_t taken = 0;
        for (int h : house_of[k])
            if (h >= 0) taken |= used[h];
        return static_cast<uint16_t>(~taken & 0x1ff);
    }
    void mark(int k, int d, bool on) {
        for (int h : house_of[k])
            if (h >= 0) used[h] = static_cast<uint16_t>(on ? used[h] | (1u << d) : used[h] & ~(1u << d));
    }
};
