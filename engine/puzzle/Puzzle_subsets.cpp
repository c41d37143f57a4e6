// Naked and hidden subsets, found as hidden subsets of size 2..n-2 among a house's unsolved cells.
#include <cstring>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

bool Puzzle::simplify_once_over_dim(METHOD_TYPE m) {
    // The memo of houses that found nothing is kept only while the houses cannot change.
    const bool memo = peers_state != PEERS_NONE;
    return any_house([&](int dim, int h, PUZZLE_CELL* first) {
        PUZZLE_CELL* unsolved[9];
        uint32_t masks[9], unsolved_masks[9];
        int n = 0, size = 0;
        uint32_t all = 0;
        PUZZLE_CELL* c = first;
        do {
            if (size < 9) masks[size] = c->elim_bits;
            ++size;
            if (n_digits(c->elim_bits) > 1) {
                unsolved_masks[n] = c->elim_bits;
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
        uint32_t places[9];  // per digit, the unsolved cells (by place in `unsolved`) that hold it
        uint32_t by_digit[10] = {};
        for (int j = 0; j < n; ++j)
            for (uint32_t m = unsolved_masks[j] & ALL_DIGITS; m; m &= m - 1) by_digit[__builtin_ctz(m)] |= 1u << j;
        int nd = 0;
        for (int d = 1; d <= 9; ++d) {
            if (!(all & (1u << d))) continue;
            digit_bits[nd] = 1u << d;
            places[nd++] = by_digit[d];
        }

        // The k-combinations of the digits in table order, walked depth first over rising places: k
        // digits whose cells number k are a subset; a partial choice already held by more than k
        // cells has none below it.
        for (int k = 2; k <= n - 2; ++k) {
            auto walk = [&](auto&& self, int from, int left, uint32_t chosen, uint32_t held) -> bool {
                if (n_houses(held) > k) return false;  // places 0..8: a table read
                if (left > 0) {
                    for (int i = from; i <= nd - left; ++i)
                        if (self(self, i + 1, left - 1, chosen | digit_bits[i], held | places[i])) return true;
                    return false;
                }
                if (n_houses(held) != k) return false;
                // These k digits live in these k cells only: nothing else may stay there.
                bool changed = false;
                for (int j = 0; j < n; ++j) {
                    uint32_t& mask = unsolved[j]->elim_bits;
                    if ((mask & chosen) && (mask & ~chosen)) {
                        mask &= chosen;
                        changed = true;
                    }
                }
                if (!changed) return false;
                ++technique_counts[m];
                if (k <= 4) ++technique_counts[ATOM_HIDDEN_PAIR + k - 2];
                return true;
            };
            if (walk(walk, 0, k, 0u, 0u)) return true;
        }
        if (remembered) {
            std::memcpy(subset_memo[dim][h], masks, sizeof masks);
            subset_memo_valid[dim] |= static_cast<uint16_t>(1u << h);
        }
        return false;
    });
}
