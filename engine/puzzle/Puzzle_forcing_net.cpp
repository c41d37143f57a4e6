// The cell forcing net: each candidate of each cell tried against naked and hidden singles.
#include "puzzle/Puzzle.h"
#include "puzzle/clue_count.h"
#include "puzzle/set_bit_array.h"

bool Puzzle::simplify_cell_forcing_net() {
    // Each trial asks whether singles alone, from the saved candidates with one cell decided, reach
    // a cell without a digit or a house without a place for some digit. The answer does not depend on
    // the order in which the singles are taken, so the trials run on compact per-digit cell sets
    // instead of replaying the solver's passes over the cells; the live cells are never touched.
    std::unique_ptr<ClueCounter> own_counter;
    const ClueCounter& houses = counter_for(*this, own_counter);
    uint32_t saved[N_CELLS];
    for (int k = 0; k < N_CELLS; ++k) saved[k] = cells[k].elim_bits;

    // A trial that ends without a contradiction shows the same for every digit its singles placed:
    // starting from that digit, the singles reach at least the same state, which holds together.
    // Such trials are passed over until the saved candidates change.
    uint32_t holds[N_CELLS] = {};
    uint32_t placed[N_CELLS];

    ClueCounter::DigitCells where;
    ClueCounter::digits_of(saved, where);
    bool removed = false;
    for (int k = 0; k < N_CELLS; ++k) {
        const uint32_t mask = saved[k];
        if (n_digits(mask) < 2) continue;
        uint32_t impossible = 0;
        for (int d = 1; d <= 9; ++d) {
            const uint32_t bit = 1u << d;
            if (!(mask & bit) || (holds[k] & bit)) continue;
            if (houses.singles_fail(where, k, bit, placed)) {
                impossible |= bit;
            } else {
                for (int c = 0; c < N_CELLS; ++c) holds[c] |= placed[c];
            }
        }
        if (impossible) {
            saved[k] &= ~impossible;
            for (uint32_t m = impossible & ALL_DIGITS; m; m &= m - 1) where.of[__builtin_ctz(m) - 1].remove(k);
            removed = true;
            for (uint32_t& h : holds) h = 0;
        }
    }
    for (int k = 0; k < N_CELLS; ++k) cells[k].elim_bits = saved[k];
    return removed;
}
