// The cell forcing net: each candidate of each cell tried against naked and hidden singles.
#include <cstring>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

namespace {

// True when some cell has lost every candidate.
bool some_cell_is_empty(const Puzzle& p) {
    for (const PUZZLE_CELL& c : p.cells)
        if (c.elim_bits == 0) return true;
    return false;
}

}  // namespace

bool Puzzle::simplify_cell_forcing_net() {
    PUZZLE_CELL saved[N_CELLS];
    int32_t saved_counts[N_TECHNIQUE_COUNTS];
    std::memcpy(saved, cells, sizeof cells);
    std::memcpy(saved_counts, technique_counts, sizeof technique_counts);

    bool removed = false;
    for (int k = 0; k < N_CELLS; ++k) {
        const uint32_t mask = saved[k].elim_bits;
        if (n_digits(mask) < 2) continue;
        uint32_t impossible = 0;
        for (int d = 1; d <= 9; ++d) {
            const uint32_t bit = 1u << d;
            if (!(mask & bit)) continue;
            std::memcpy(cells, saved, sizeof cells);
            cells[k].elim_bits = bit;
            // Singles until neither kind finds anything more.
            for (;;) {
                bool changed = exhaustive_simple_elimination();
                for (PUZZLE_CELL& c : cells) {
                    if (n_digits(c.elim_bits) != 1 && simplify_cell_using_digits(&c)) {
                        changed = true;
                        break;
                    }
                }
                if (!changed) break;
            }
            if (some_cell_is_empty(*this) || some_digit_has_no_home()) impossible |= bit;
        }
        if (impossible) {
            saved[k].elim_bits &= ~impossible;
            removed = true;
        }
    }

    std::memcpy(cells, saved, sizeof cells);
    std::memcpy(technique_counts, saved_counts, sizeof technique_counts);
    return removed;
}
