// Almost-locked sets: pair locking, then single-link and double-link set reasoning.
#include <initializer_list>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"
#include "util/sudoku_combinations.h"

namespace {

inline bool unsolved(const PUZZLE_CELL* c) {
    return n_digits(c->elim_bits) != 1;
}

// Calls f(q) for every other cell of the house of `c` in dimension d, in ring order from `c`.
template <typename F>
void walk(PUZZLE_CELL* c, int d, F f) {
    if (c->next_in_house[d] == 0) return;
    for (PUZZLE_CELL* q = c->next(d); q != c; q = q->next(d)) f(q);
}

// True when every other cell of the house of `a` in dimension d that has a digit of `mask` lies in
// house number `house` of dimension `within`.
bool house_holds_mask_only_within(PUZZLE_CELL* a, int d, uint32_t mask, int within, int house) {
    bool only = true;
    walk(a, d, [&](PUZZLE_CELL* q) {
        if ((q->elim_bits & mask) && q->house(within) != house) only = false;
    });
    return only;
}

// Removes `mask` from the cells of b's house of dimension d (b excepted) that lie outside house
// number `keep` of dimension `keep_dim`; true when something was removed.
bool clear_house_outside(PUZZLE_CELL* b, int d, uint32_t mask, int keep_dim, int keep) {
    bool removed = false;
    walk(b, d, [&](PUZZLE_CELL* q) {
        if (q->house(keep_dim) == keep || !(q->elim_bits & mask)) return;
        q->elim_bits &= ~mask;
        removed = true;
    });
    return removed;
}

bool in_set(const PUZZLE_CELL* c, const ALMOST_LOCKED_SET& set) {
    for (int i = 0; i < set.n_cells; ++i)
        if (set.cells[i] == c) return true;
    return false;
}

// The cells of a candidate list that a combination picks, appended to the set after its first `base`
// cells; returns the union of their masks.
uint32_t take(ALMOST_LOCKED_SET& set, int base, PUZZLE_CELL* const* list, const int* comb, int k) {
    uint32_t digits = 0;
    for (int i = 0; i < k; ++i) {
        set.cells[base + i] = list[comb[i]];
        digits |= list[comb[i]]->elim_bits;
    }
    return digits;
}

}  // namespace

bool Puzzle::simplify_almost_locked_sets() {
    if (als3()) return true;

    for (PUZZLE_CELL& vc : cells) {
        PUZZLE_CELL* v = &vc;
        if (n_digits(v->elim_bits) != 2) continue;
        bool found = false;
        walk(v, DIM_GROUP, [&](PUZZLE_CELL* p) {
            if (found || n_digits(v->elim_bits & p->elim_bits) != 1) return;
            found = (p->row != v->row && do_ALS_in_dim_with_restricted_common_in_grp(DIM_ROW, v, p)) ||
                    (p->col != v->col && do_ALS_in_dim_with_restricted_common_in_grp(DIM_COL, v, p));
        });
        if (found) {
            ++technique_counts[SLOT_ALS_SINGLE_LINK];
            return true;
        }
    }

    for (PUZZLE_CELL& vc : cells) {
        PUZZLE_CELL* v = &vc;
        const int n = n_digits(v->elim_bits);
        if (n != 2 && n != 3) continue;
        if (v->next_in_house[DIM_GROUP] <= 0) continue;  // the group's walk wraps straight away
        for (PUZZLE_CELL* p = v->next(DIM_GROUP); p > v; p = p->next(DIM_GROUP)) {
            if (n_digits(v->elim_bits | p->elim_bits) != 3 || n_digits(v->elim_bits & p->elim_bits) != 1)
                continue;
            if (simplify_ALS_XZ(v, p)) {
                ++technique_counts[SLOT_ALS_DOUBLE_LINK];
                return true;
            }
        }
    }
    return false;
}

bool Puzzle::als3() {
    for (int i = 0; i < N_CELLS; ++i) {
        PUZZLE_CELL* a = &cells[i];
        const int n = n_digits(a->elim_bits);
        if (n != 2 && n != 3) continue;
        for (int j = i + 1; j < N_CELLS; ++j) {
            PUZZLE_CELL* b = &cells[j];
            if (b->elim_bits != a->elim_bits || are_neighbors(a, b)) continue;
            if (als3(a, b) || als3(b, a)) {
                ++technique_counts[n == 2 ? SLOT_ALS_BIVALUE_PAIR : SLOT_ALS_TRIVALUE_PAIR];
                return true;
            }
        }
    }
    return false;
}

// a and b hold the same two or three digits M and do not see each other. When a's line (or group)
// can place the rest of M only inside b's group (or line), b must take a's digit there and that
// house has M in those places alone.
bool Puzzle::als3(PUZZLE_CELL* a, PUZZLE_CELL* b) {
    // (house of a that must place M, house of b it places it in): row into group, group into row,
    // column into group, group into column.
    static constexpr int kTests[4][2] = {
        {DIM_ROW, DIM_GROUP}, {DIM_GROUP, DIM_ROW}, {DIM_COL, DIM_GROUP}, {DIM_GROUP, DIM_COL}};
    const uint32_t m = a->elim_bits;
    for (const auto& [from, into] : kTests)
        if (house_holds_mask_only_within(a, from, m, into, b->house(into)) &&
            clear_house_outside(b, into, m, from, a->house(from)))
            return true;
    return false;
}

// v is bivalue and shares exactly one digit x with `mate` in its group; z is v's other digit. Sets
// are `mate` plus cells of mate's line whose x lies in the group, so x links the set to v and one of
// the two holds z.
bool Puzzle::do_ALS_in_dim_with_restricted_common_in_grp(DIMENSION dim, PUZZLE_CELL* v, PUZZLE_CELL* mate) {
    const uint32_t x = v->elim_bits & mate->elim_bits;
    const uint32_t z = v->elim_bits & ~x;
    PUZZLE_CELL* list[9];
    int n = 0;
    walk(mate, dim, [&](PUZZLE_CELL* q) {
        if (unsolved(q) && (q->group == mate->group || !(q->elim_bits & x))) list[n++] = q;
    });
    ALMOST_LOCKED_SET set;
    set.cells[0] = mate;
    for (int k = 1; k <= n; ++k) {
        const int count = n_combinations(n, k);
        for (int i = 0; i < count; ++i) {
            set.digits = mate->elim_bits | take(set, 1, list, comb_at(n, k, i), k);
            set.n_cells = k + 1;
            if ((set.digits & z) && n_digits(set.digits) == k + 2 &&
                remove_from_elim_bits_in_neighbors(z, v, set))
                return true;
        }
    }
    return false;
}

bool Puzzle::remove_from_elim_bits_in_neighbors(unsigned bit, PUZZLE_CELL* v, ALMOST_LOCKED_SET& set) {
    bool removed = false;
    for (int d : {DIM_GROUP, DIM_ROW, DIM_COL}) {
        walk(v, d, [&](PUZZLE_CELL* q) {
            if ((q->elim_bits & bit) && cell_sees_all_z_candidates(bit, q, set)) {
                q->elim_bits &= ~bit;
                removed = true;
            }
        });
    }
    return removed;
}

bool Puzzle::cell_sees_all_z_candidates(unsigned bit, PUZZLE_CELL* cell, ALMOST_LOCKED_SET& set) {
    if (in_set(cell, set)) return false;
    for (int i = 0; i < set.n_cells; ++i)
        if ((set.cells[i]->elim_bits & bit) && !are_neighbors(set.cells[i], cell)) return false;
    return true;
}

// v and `mate` share one group and hold three digits together, x in common and a, b apart. A set on
// a line through two more cells of the group that hold both a and b is linked to them by a and b.
bool Puzzle::simplify_ALS_XZ(PUZZLE_CELL* v, PUZZLE_CELL* mate) {
    const uint32_t x = v->elim_bits & mate->elim_bits;
    const uint32_t u = (v->elim_bits | mate->elim_bits) & ~x;
    bool found = false;
    walk(v, DIM_GROUP, [&](PUZZLE_CELL* q1) {
        if (found || q1 == mate || !(q1->elim_bits & u)) return;
        for (PUZZLE_CELL* q2 = q1->next(DIM_GROUP); q2 != v && !found; q2 = q2->next(DIM_GROUP)) {
            if (q2 == mate || (q1->elim_bits & u) != u || (q2->elim_bits & u) != u) continue;
            DIMENSION dim;
            if (q1->row == q2->row)
                dim = DIM_ROW;
            else if (q1->col == q2->col)
                dim = DIM_COL;
            else
                continue;
            ALMOST_LOCKED_SET set;
            set.cells[0] = q1;
            set.cells[1] = q2;
            set.n_cells = 2;
            set.digits = q1->elim_bits | q2->elim_bits;
            found = do_ALS_in_dim_with_restricted_common_in_grp(dim, v, mate, set);
        }
    });
    return found;
}

bool Puzzle::do_ALS_in_dim_with_restricted_common_in_grp(DIMENSION dim, PUZZLE_CELL* v, PUZZLE_CELL* mate,
                                                         ALMOST_LOCKED_SET& set) {
    const uint32_t x = v->elim_bits & mate->elim_bits;
    const uint32_t u = (v->elim_bits | mate->elim_bits) & ~x;
    PUZZLE_CELL* q1 = set.cells[0];
    PUZZLE_CELL* q2 = set.cells[1];
    const uint32_t pair_digits = q1->elim_bits | q2->elim_bits;
    PUZZLE_CELL* list[9];
    int n = 0;
    walk(q1, dim, [&](PUZZLE_CELL* q) {
        if (!unsolved(q) || q == v || q == mate || q == q2) return;
        if (q->group == v->group || !(q->elim_bits & u)) list[n++] = q;
    });
    for (int k = 1; k <= n; ++k) {
        const int count = n_combinations(n, k);
        for (int i = 0; i < count; ++i) {
            const uint32_t digits = pair_digits | take(set, 2, list, comb_at(n, k, i), k);
            if (n_digits(digits) != k + 3) continue;
            set.digits = digits;
            set.n_cells = k + 2;
            if (remove_from_elim_bits_in_neighbors(dim, v, mate, set)) return true;
        }
    }
    return false;
}

bool Puzzle::remove_from_elim_bits_in_neighbors(DIMENSION dim, PUZZLE_CELL* v, PUZZLE_CELL* mate,
                                                ALMOST_LOCKED_SET& set) {
    const uint32_t x = v->elim_bits & mate->elim_bits;
    const uint32_t u = (v->elim_bits | mate->elim_bits) & ~x;
    bool removed = false;
    auto clear = [&](PUZZLE_CELL* q, uint32_t bits) {
        if (!unsolved(q) || !(q->elim_bits & bits)) return;
        q->elim_bits &= ~bits;
        removed = true;
    };
    // {v, mate} keeps x, and a and b each lie in the group, in {v, mate} or in the set.
    walk(v, DIM_GROUP, [&](PUZZLE_CELL* q) {
        if (q != mate && !in_set(q, set)) clear(q, x | u);
    });
    // x also leaves a line that v and mate share.
    const DIMENSION other = dim == DIM_ROW ? DIM_COL : DIM_ROW;
    if (v->house(other) == mate->house(other))
        walk(v, other, [&](PUZZLE_CELL* q) {
            if (q != mate) clear(q, x);
        });
    // The set keeps its digits other than a and b on its line.
    walk(set.cells[0], dim, [&](PUZZLE_CELL* q) {
        if (!in_set(q, set)) clear(q, set.digits & ~u);
    });
    return removed;
}
