// Locked candidates: box-line reduction and pointing per cell, and peer-intersection elimination.
#include <cstring>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

namespace {

// Removes `bit` from the cell and tells whether it was there.
inline bool take_out(PUZZLE_CELL* c, uint32_t bit) {
    if (!(c->elim_bits & bit)) return false;
    c->elim_bits &= ~bit;
    return true;
}

}  // namespace

bool Puzzle::restriction_for_cell_and_dim(PUZZLE_CELL* cell, int dim) {
    const uint32_t mask = cell->elim_bits;
    const int line = cell->house(dim);
    const int group = cell->group;
    bool any = false;
    for (int d = 1; d <= 9; ++d) {
        const uint32_t bit = 1u << d;
        if (!(mask & bit)) continue;

        // Box-line reduction: the line keeps d inside the cell's group, so the rest of the group loses it.
        bool outside_group = false;
        PUZZLE_CELL* p = cell;
        do {
            if (p->group != group && (p->elim_bits & bit)) outside_group = true;
            p = p->next(dim);
        } while (p != cell && !outside_group);
        if (!outside_group) {
            bool removed = false;
            p = cell;
            do {
                if (p->house(dim) != line) removed |= take_out(p, bit);
                p = p->next(DIM_GROUP);
            } while (p != cell);
            if (removed) ++technique_counts[ATOM_BOX_LINE], any = true;
        }

        // Pointing: the group keeps d on the cell's line, so the rest of the line loses it.
        bool off_line = false;
        p = cell;
        do {
            if (p->house(dim) != line && (p->elim_bits & bit)) off_line = true;
            p = p->next(DIM_GROUP);
        } while (p != cell && !off_line);
        if (!off_line) {
            bool removed = false;
            p = cell;
            do {
                if (p->group != group) removed |= take_out(p, bit);
                p = p->next(dim);
            } while (p != cell);
            if (removed) ++technique_counts[ATOM_POINTING], any = true;
        }
    }
    return any;
}

bool Puzzle::simplify_cell_by_restriction(PUZZLE_CELL* cell) {
    if (restriction_for_cell_and_dim(cell, DIM_ROW)) return true;
    if (restriction_for_cell_and_dim(cell, DIM_COL)) return true;
    if (!x_flag()) return false;
    if (cell->diag == 0 && restriction_for_cell_and_dim(cell, DIM_DIAG)) return true;
    if (cell->anti_diag == 0 && restriction_for_cell_and_dim(cell, DIM_ANTI_DIAG)) return true;
    return false;
}

bool Puzzle::cell_form_restriction_once() {
    if (!are_neighbors_array) define_are_neighbors_array();
    // Cells, as 128-bit sets, that may lose each digit: unsolved and holding it.
    uint64_t open[10][2] = {};
    for (int k = 0; k < N_CELLS; ++k) {
        const uint32_t m = cells[k].elim_bits;
        if (n_digits(m) <= 1) continue;
        for (int d = 1; d <= 9; ++d)
            if (m & (1u << d)) open[d][k >> 6] |= uint64_t{1} << (k & 63);
    }
    return any_house([&](int dim, int h, PUZZLE_CELL* first) {
        // One walk gathers, per digit, how many cells of the house hold it and which cells
        // outside see all of those.
        uint64_t in_house[2] = {0, 0};
        uint64_t seen_by_all[10][2];
        int holders[10] = {};
        for (int d = 1; d <= 9; ++d) seen_by_all[d][0] = seen_by_all[d][1] = ~uint64_t{0};
        PUZZLE_CELL* c = first;
        do {
            const int k = index_of(c);
            in_house[k >> 6] |= uint64_t{1} << (k & 63);
            const int q = c->row * 9 + c->col;
            for (uint32_t m = c->elim_bits & ALL_DIGITS; m; m &= m - 1) {
                const int d = __builtin_ctz(m);
                seen_by_all[d][0] &= neighbor_bits[q][0];
                seen_by_all[d][1] &= neighbor_bits[q][1];
                ++holders[d];
            }
            c = c->next(dim);
        } while (c != first);
        for (int d = 1; d <= 9; ++d) {
            if (holders[d] < 2) continue;
            const uint32_t bit = 1u << d;
            bool removed = false;
            for (int w = 0; w < 2; ++w) {
                uint64_t targets = seen_by_all[d][w] & open[d][w] & ~in_house[w];
                for (; targets; targets &= targets - 1) {
                    const int k = 64 * w + __builtin_ctzll(targets);
                    if (cells[k].house(dim) == h) continue;
                    removed |= take_out(&cells[k], bit);
                }
            }
            if (removed) {
                ++technique_counts[ATOM_PEER_INTERSECTION];
                return true;
            }
        }
        return false;
    });
}
