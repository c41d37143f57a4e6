// Wing techniques: the XY-wing and XYZ-wing around a pivot cell, and the W-wing over equal bivalue pairs.
#include <initializer_list>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

namespace {

bool bivalue(const PUZZLE_CELL* c) { return n_digits(c->elim_bits) == 2; }

// Appends to `dims` the diagonals that `cell` lies on (only with the x flag) and returns the new count.
int add_diagonals(const Puzzle& p, const PUZZLE_CELL* cell, int* dims, int n) {
    if (!p.x_flag()) return n;
    if (cell->diag == 0) dims[n++] = DIM_DIAG;
    if (cell->anti_diag == 0) dims[n++] = DIM_ANTI_DIAG;
    return n;
}

// Calls f(cell) for every cell of the house in dimension d that starts at `first`, in walk order.
template <typename F>
void for_house(PUZZLE_CELL* first, int d, F f) {
    PUZZLE_CELL* c = first;
    do {
        f(c);
        c = c->next(d);
    } while (c != first);
}

}  // namespace

bool Puzzle::remove_from_elim_bits_in_neighbors(unsigned bit, PUZZLE_CELL* a, PUZZLE_CELL* b) {
    bool removed = false;
    if (peers_state != PEERS_NONE) {
        // The sweeps below reach exactly the cells that see both a and b: every such cell sees a
        // through one of a's houses. With the peer sets at hand they are one intersection.
        const int i = index_of(a), j = index_of(b);
        for (int w = 0; w < 2; ++w)
            for (uint64_t m = peer_set[i][w] & peer_set[j][w]; m; m &= m - 1) {
                PUZZLE_CELL& q = cells[64 * w + __builtin_ctzll(m)];
                if (&q == a || &q == b || !(q.elim_bits & bit)) continue;
                q.elim_bits &= ~bit;
                removed = true;
            }
        return removed;
    }
    // Walks the house of `from` in dimension d; cells there that see `other` lose the bit.
    auto sweep = [&](PUZZLE_CELL* from, int d, PUZZLE_CELL* other) {
        if (from->next_in_house[d] == 0) return;
        for (PUZZLE_CELL* q = from->next(d); q != from; q = q->next(d)) {
            if (q == a || q == b || !(q->elim_bits & bit) || !are_neighbors(q, other)) continue;
            q->elim_bits &= ~bit;
            removed = true;
        }
    };
    for (int d : {DIM_GROUP, DIM_ROW, DIM_COL}) sweep(a, d, b);
    if (x_flag()) {
        for (int d : {DIM_DIAG, DIM_ANTI_DIAG}) {
            if (a->house(d) == 0)
                sweep(a, d, b);
            else if (b->house(d) == 0)
                sweep(b, d, a);
        }
    }
    return removed;
}

bool Puzzle::remove_from_elim_bits_in_group_neighbors(unsigned bit, PUZZLE_CELL* start, PUZZLE_CELL* wing,
                                                      PUZZLE_CELL* pivot) {
    bool removed = false;
    if (start->next_in_house[DIM_GROUP] == 0) return false;
    for (PUZZLE_CELL* q = start->next(DIM_GROUP); q != start; q = q->next(DIM_GROUP)) {
        if (q == wing || q == pivot || !(q->elim_bits & bit) || !are_neighbors(q, wing)) continue;
        q->elim_bits &= ~bit;
        removed = true;
    }
    return removed;
}

bool Puzzle::simplify_XY_wing(PUZZLE_CELL* pivot) {
    int dims[N_DIMENSIONS] = {DIM_ROW, DIM_COL, DIM_GROUP};
    const int h = add_diagonals(*this, pivot, dims, 3);
    const uint32_t pm = pivot->elim_bits;
    // The two wings come from two different houses of the pivot and each shares one pivot digit,
    // a different one; their common digit z is then in one of the wings, whichever the pivot holds.
    for (int i = 0; i + 1 < h; ++i) {
        if (pivot->next_in_house[dims[i]] == 0) continue;
        for (PUZZLE_CELL* w1 = pivot->next(dims[i]); w1 != pivot; w1 = w1->next(dims[i])) {
            const uint32_t p1 = w1->elim_bits & pm;
            if (!bivalue(w1) || n_digits(p1) != 1) continue;
            for (int j = i + 1; j < h; ++j) {
                if (pivot->next_in_house[dims[j]] == 0) continue;
                for (PUZZLE_CELL* w2 = pivot->next(dims[j]); w2 != pivot; w2 = w2->next(dims[j])) {
                    const uint32_t p2 = w2->elim_bits & pm;
                    const uint32_t z = w1->elim_bits & w2->elim_bits;
                    if (!bivalue(w2) || n_digits(p2) != 1 || p2 == p1 || z == 0) continue;
                    if (remove_from_elim_bits_in_neighbors(z, w1, w2)) return true;
                }
            }
        }
    }
    return false;
}

bool Puzzle::simplify_XYZ_wing(PUZZLE_CELL* pivot) {
    const uint32_t pm = pivot->elim_bits;
    auto fits = [pm](const PUZZLE_CELL* w) { return bivalue(w) && (w->elim_bits & ~pm) == 0; };
    int dims[N_DIMENSIONS] = {DIM_ROW, DIM_COL};
    const int h = add_diagonals(*this, pivot, dims, 2);
    if (pivot->next_in_house[DIM_GROUP] == 0) return false;
    // One wing in the pivot's group, the other in one of its lines: the digit both wings share is
    // in the pivot or a wing, so it leaves the cells of the group that also see the second wing.
    for (PUZZLE_CELL* w1 = pivot->next(DIM_GROUP); w1 != pivot; w1 = w1->next(DIM_GROUP)) {
        if (!fits(w1)) continue;
        for (int j = 0; j < h; ++j) {
            if (pivot->next_in_house[dims[j]] == 0) continue;
            for (PUZZLE_CELL* w2 = pivot->next(dims[j]); w2 != pivot; w2 = w2->next(dims[j])) {
                if (!fits(w2) || w2->elim_bits == w1->elim_bits) continue;
                const uint32_t z = w1->elim_bits & w2->elim_bits;
                if (remove_from_elim_bits_in_group_neighbors(z, w1, w2, pivot)) return true;
            }
        }
    }
    return false;
}

bool Puzzle::simplify_w_wing() {
    PUZZLE_CELL* w[N_CELLS];
    int n = 0;
    for (PUZZLE_CELL& c : cells)
        if (bivalue(&c)) w[n++] = &c;

    // The houses in dimension order, each by its first cell.
    PUZZLE_CELL* houses[29];
    int house_dim[29];
    int n_houses = 0;
    for (int d : {DIM_GROUP, DIM_ROW, DIM_COL})
        for (int h = 0; h < 9; ++h)
            if (first_in_dim[d][h]) {
                houses[n_houses] = first_in_dim[d][h];
                house_dim[n_houses++] = d;
            }
    if (x_flag()) {
        for (int d : {DIM_DIAG, DIM_ANTI_DIAG}) {
            houses[n_houses] = first_in_dim[d][0];
            house_dim[n_houses++] = d;
        }
    }

    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            PUZZLE_CELL* a = w[i];
            PUZZLE_CELL* b = w[j];
            if (a->elim_bits != b->elim_bits || are_neighbors(a, b)) continue;
            const uint32_t low = a->elim_bits & (0u - a->elim_bits);
            const uint32_t high = a->elim_bits & ~low;
            for (uint32_t x : {low, high}) {
                const uint32_t y = a->elim_bits & ~x;
                for (int k = 0; k < n_houses; ++k) {
                    PUZZLE_CELL* pq[2];
                    int found = 0;
                    for_house(houses[k], house_dim[k], [&](PUZZLE_CELL* c) {
                        if (c != a && c != b && (c->elim_bits & x)) {
                            if (found < 2) pq[found] = c;
                            ++found;
                        }
                    });
                    if (found != 2) continue;
                    // x is in P or Q; linking them to different pair cells leaves y in A or B.
                    const bool pa = are_neighbors(pq[0], a), pb = are_neighbors(pq[0], b);
                    const bool qa = are_neighbors(pq[1], a), qb = are_neighbors(pq[1], b);
                    if (!((pa && qb && !pb && !qa) || (pb && qa && !pa && !qb))) continue;
                    if (remove_from_elim_bits_in_neighbors(y, a, b)) return true;
                }
            }
        }
    }
    return false;
}
