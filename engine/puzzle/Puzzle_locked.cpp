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

// Box-line reduction and pointing for the cell's line in dimension `dim` and its group, digit by
// digit in ascending order. Each walk only ever removes the digit at hand, so the digits the line
// holds outside the group, and the group off the line, can be gathered once for all digits. When the
// line keeps a digit inside the group, the box-line step clears the rest of the group of it, and
// pointing for that digit can then find nothing to remove.
bool Puzzle::restriction_for_cell_and_dim(PUZZLE_CELL* cell, int dim) {
    const uint32_t mask = cell->elim_bits;
    const int line = cell->house(dim);
    const int group = cell->group;
    uint32_t line_outside_group = 0, group_off_line = 0;
    PUZZLE_CELL* p = cell;
    do {
        if (p->group != group) line_outside_group |= p->elim_bits;
        p = p->next(dim);
    } while (p != cell);
    p = cell;
    do {
        if (p->house(dim) != line) group_off_line |= p->elim_bits;
        p = p->next(DIM_GROUP);
    } while (p != cell);

    bool any = false;
    for (int d = 1; d <= 9; ++d) {
        const uint32_t bit = 1u << d;
        if (!(mask & bit)) continue;

        // Box-line reduction: the line keeps d inside the cell's group, so the rest of the group loses it.
        if (!(line_outside_group & bit)) {
            bool removed = false;
            p = cell;
            do {
                if (p->house(dim) != line) removed |= take_out(p, bit);
                p = p->next(DIM_GROUP);
            } while (p != cell);
            if (removed) ++technique_counts[ATOM_BOX_LINE], any = true;
            continue;
        }

        // Pointing: the group keeps d on the cell's line, so the rest of the line loses it.
        if (!(group_off_line & bit)) {
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

// The first cell and dimension at which the cell-by-cell scan below (simplify_cell_by_restriction
// over the unsolved cells, rows before columns before diagonals) removes something, as cell * 8 +
// dim; -1 when it removes nothing. For an unsolved cell of line L and group G holding digit d,
// box-line reduction removes d when the line holds it only inside the group and the group holds it
// off the line; pointing removes it in the opposite case: the scan removes d exactly when one of
// "the line holds d outside G" and "G holds d off the line" is true and the other false. Per
// line-and-group unions answer that for every cell at once. The houses must match the rings.
int Puzzle::restriction_first() const {
    const int dims = x_flag() ? N_DIMENSIONS : DIM_DIAG;
    // removes[dim][l][g]: the digits an unsolved cell of line l and group g would lose in dimension dim.
    uint32_t removes[N_DIMENSIONS][9][9];
    uint32_t any = 0;
    // by_line[dim][l][g]: the candidates of the cells of line l (9: on no such line) in group g;
    // open_by_line: the same over unsolved cells. One pass over the cells for every dimension.
    uint32_t by_line[N_DIMENSIONS][10][9] = {}, open_by_line[N_DIMENSIONS][10][9] = {};
    for (const PUZZLE_CELL& c : cells) {
        const uint32_t e = c.elim_bits;
        const bool open = n_digits(e) > 1;
        for (int dim = DIM_ROW; dim < dims; ++dim) {
            const int h = c.house(dim);
            const int l = h >= 0 && h < 9 ? h : 9;
            by_line[dim][l][c.group] |= e;
            if (open) open_by_line[dim][l][c.group] |= e;
        }
    }
    for (int dim = DIM_ROW; dim < dims; ++dim) {
        const uint32_t(&all)[10][9] = by_line[dim];
        const uint32_t(&open)[10][9] = open_by_line[dim];
        const int lines = dim >= DIM_DIAG ? 1 : 9;
        // The union over the other groups of a line, and over the other lines (and off-line cells)
        // of a group, from unions before and after each place.
        uint32_t group_off_line[10][9];
        for (int g = 0; g < 9; ++g) {
            uint32_t before = 0;
            for (int l = 0; l < 10; ++l) group_off_line[l][g] = before, before |= all[l][g];
            uint32_t after = 0;
            for (int l = 9; l >= 0; --l) group_off_line[l][g] |= after, after |= all[l][g];
        }
        for (int l = 0; l < lines; ++l) {
            uint32_t line_outside[9], before = 0, after = 0;
            for (int g = 0; g < 9; ++g) line_outside[g] = before, before |= all[l][g];
            for (int g = 8; g >= 0; --g) line_outside[g] |= after, after |= all[l][g];
            for (int g = 0; g < 9; ++g) {
                removes[dim][l][g] = (line_outside[g] ^ group_off_line[l][g]) & ALL_DIGITS;
                any |= open[l][g] & removes[dim][l][g];
            }
        }
    }
    if (!any) return -1;
    for (int k = 0; k < N_CELLS; ++k) {
        const PUZZLE_CELL& c = cells[k];
        if (n_digits(c.elim_bits) == 1) continue;
        for (int dim = DIM_ROW; dim < dims; ++dim) {
            const int h = c.house(dim);
            if (dim >= DIM_DIAG && h != 0) continue;
            if (c.elim_bits & removes[dim][h][c.group]) return k * 8 + dim;
        }
    }
    return -1;
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
    // Each digit's search reads only where the digit is: digits whose search found nothing in their
    // present state are passed over.
    uint64_t states[9][4];
    const uint32_t check = digits_to_search(7, states);
    if (!check) return false;
    const bool sets = peers_state != PEERS_NONE;  // the house sets and the digits' states are at hand
    // Cells, as 128-bit sets, that may lose each digit: unsolved and holding it.
    uint64_t open[10][2] = {};
    for (int k = 0; k < N_CELLS && !sets; ++k) {
        const uint32_t m = cells[k].elim_bits;
        if (n_digits(m) <= 1) continue;
        for (int d = 1; d <= 9; ++d)
            if (m & (1u << d)) open[d][k >> 6] |= uint64_t{1} << (k & 63);
    }
    const bool found = any_house([&](int dim, int h, PUZZLE_CELL* first) {
        if (sets) {
            // The same search from the digits' cell sets: the house's cells holding each digit, and
            // the cells outside that see all of them.
            const uint64_t* in = house_set[dim][h];
            for (uint32_t m = check & ALL_DIGITS; m; m &= m - 1) {
                const int d = __builtin_ctz(m);
                const uint64_t* st = states[d - 1];
                const uint64_t held[2] = {st[0] & in[0], st[1] & in[1]};
                if (!held[1] ? (held[0] & (held[0] - 1)) == 0 : !held[0] && (held[1] & (held[1] - 1)) == 0) continue;
                uint64_t seen[2] = {~uint64_t{0}, ~uint64_t{0}};
                for (int w = 0; w < 2; ++w)
                    for (uint64_t b = held[w]; b; b &= b - 1) {
                        const PUZZLE_CELL& c = cells[64 * w + __builtin_ctzll(b)];
                        const int q = c.row * 9 + c.col;
                        seen[0] &= neighbor_bits[q][0];
                        seen[1] &= neighbor_bits[q][1];
                    }
                bool removed = false;
                for (int w = 0; w < 2; ++w)
                    for (uint64_t targets = seen[w] & st[w] & ~st[2 + w] & ~in[w]; targets; targets &= targets - 1) {
                        const int k = 64 * w + __builtin_ctzll(targets);
                        if (cells[k].house(dim) == h) continue;
                        removed |= take_out(&cells[k], 1u << d);
                    }
                if (removed) {
                    ++technique_counts[ATOM_PEER_INTERSECTION];
                    return true;
                }
            }
            return false;
        }
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
            for (uint32_t m = c->elim_bits & check; m; m &= m - 1) {
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
    if (!found) note_failures(7, check, states);
    return found;
}
