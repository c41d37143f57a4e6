// Naked and hidden subsets, found as hidden subsets of size 2..n-2 among a house's unsolved cells.
#include <cstring>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"
#include "util/sudoku_combinations.h"

bool Puzzle::simplify_once_over_dim(METHOD_TYPE m) {
    // The memo of houses that found nothing is kept only while the houses cannot change.
    const bool memo = peers_state != PEERS_NONE;
    return any_house([&](int dim, int h, PUZZLE_CELL* first) {
        PUZZLE_CELL* unsolved[9];
        uint32_t masks[9];
        int n = 0, size = 0;
        uint32_t all = 0;
        PUZZLE_CELL* c = first;
        do {
            if (size < 9) masks[size] = c->elim_bits;
            ++size;
            if (n_digits(c->elim_bits) > 1) {
                unsolved[n++] = c;
                all |= c->elim_bits;
            }
            c = c->next(dim);
        } while (c != first && n < 9);
        if (n < 4 || n_digits(all) != n) return false;
        const bool remembered = memo && size == 9;
        if (remembered && (subset_memo_valid[dim] >> h & 1) &&
            std::memcmp(subset_memo[dim][h], masks, sizeof masks) == 0)
            return false;
        uint32_t digit_bits[9];
        int nd = 0;
        for (int d = 1; d <= 9; ++d)
            if (all & (1u << d)) digit_bits[nd++] = 1u << d;

        for (int k = 2; k <= n - 2; ++k) {
            const int count = n_combinations(n, k);
            for (int i = 0; i < count; ++i) {
                const int* comb = comb_at(n, k, i);
                uint32_t chosen = 0;
                for (int j = 0; j < k; ++j) chosen |= digit_bits[comb[j]];
                int holders = 0;
                for (int j = 0; j < n; ++j) holders += (unsolved[j]->elim_bits & chosen) != 0;
                if (holders != k) continue;
                // These k digits live in these k cells only: nothing else may stay there.
                bool changed = false;
                for (int j = 0; j < n; ++j) {
                    uint32_t& mask = unsolved[j]->elim_bits;
                    if ((mask & chosen) && (mask & ~chosen)) {
                        mask &= chosen;
                        changed = true;
                    }
                }
                if (!changed) continue;
                ++technique_counts[m];
                if (k <= 4) ++technique_counts[ATOM_HIDDEN_PAIR + k - 2];
                return true;
            }
        }
        if (remembered) {
            std::memcpy(subset_memo[dim][h], masks, sizeof masks);
            subset_memo_valid[dim] |= static_cast<uint16_t>(1u << h);
        }
        return false;
    });
}
