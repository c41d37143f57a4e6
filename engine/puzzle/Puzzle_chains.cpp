// Chain techniques: single-digit X-chains (the three-link turbot kinds among them) and XY-chains.
#include <cstring>
#include <initializer_list>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

namespace {

// While a chain is built its cells carry this mark in `user_answer`; every search clears it again.
bool marked(const PUZZLE_CELL* c) { return c->user_answer != 0; }
void mark(PUZZLE_CELL* c) { c->user_answer = 1; }
void unmark(PUZZLE_CELL* c) { c->user_answer = 0; }

bool bivalue(const PUZZLE_CELL* c) { return n_digits(c->elim_bits) == 2; }

// The houses of `cell` in search order: group, row, column, then (x flag) the diagonals it lies on.
int search_houses(const Puzzle& p, const PUZZLE_CELL* cell, int* dims) {
    int n = 0;
    dims[n++] = DIM_GROUP;
    dims[n++] = DIM_ROW;
    dims[n++] = DIM_COL;
    if (p.x_flag()) {
        if (cell->diag == 0) dims[n++] = DIM_DIAG;
        if (cell->anti_diag == 0) dims[n++] = DIM_ANTI_DIAG;
    }
    return n;
}

// Counts a three-link chain by the houses of its two strong links: kind 3 when either is a group
// or a diagonal, kind 1 when both are lines of one dimension, kind 2 for a row and a column.
void count_turbot_kind(Puzzle& p, int first_dim, int last_dim) {
    auto box_or_diagonal = [](int dim) { return dim == DIM_GROUP || dim >= DIM_DIAG; };
    if (box_or_diagonal(first_dim) || box_or_diagonal(last_dim))
        ++p.technique_counts[ATOM_X_CHAIN_KIND_3];
    else if (first_dim == last_dim)
        ++p.technique_counts[ATOM_X_CHAIN_KIND_1];
    else
        ++p.technique_counts[ATOM_X_CHAIN_KIND_2];
}

// The X-chain search on cell sets, for grids whose rings visit their houses in increasing order
// and where no cell is marked beforehand: the same houses and cells in the same order as the
// search over the rings, with the chain's marks kept as a set instead of in the cells.
struct ChainSearch {
    Puzzle& p;
    unsigned bit;
    int limit;
    DIMENSION first_dim;
    PUZZLE_CELL* start;
    uint64_t holders[2];  // the cells with the digit
    uint64_t marks[2];    // the chain's cells

    static bool has(const uint64_t* set, int k) { return set[k >> 6] >> (k & 63) & 1; }
    static void flip(uint64_t* set, int k) { set[k >> 6] ^= uint64_t{1} << (k & 63); }

    // Calls f(q) for the cells of `set` in ring order from `last`: those above it, then those below.
    template <typename F>
    static bool around(const uint64_t* set, int last, F f) {
        uint64_t above[2] = {set[0], set[1]}, below[2] = {set[0], set[1]};
        for (int w = 0; w < 2; ++w) {
            const int lo = last + 1 - 64 * w;  // first bit of word w above `last`
            const uint64_t keep = lo >= 64 ? 0 : lo <= 0 ? ~uint64_t{0} : ~uint64_t{0} << lo;
            above[w] &= keep;
            below[w] &= ~keep;
        }
        for (const uint64_t* part : {above, below})
            for (int w = 0; w < 2; ++w)
                for (uint64_t m = part[w]; m; m &= m - 1)
                    if (f(64 * w + __builtin_ctzll(m))) return true;
        return false;
    }

    bool extend(int length, int last, bool weak_next) {
        const int max_length = limit > 0 ? limit : 10;
        if (length >= max_length) return false;
        int dims[N_DIMENSIONS];
        const int h = search_houses(p, &p.cells[last], dims);
        uint64_t tried[2] = {0, 0};
        for (int i = 0; i < h; ++i) {
            const int d = dims[i];
            const uint64_t* house = p.house_set[d][p.cells[last].house(d)];
            if (weak_next) {
                const uint64_t open[2] = {holders[0] & house[0] & ~marks[0], holders[1] & house[1] & ~marks[1]};
                const bool ok = around(open, last, [&](int q) {
                    if (has(tried, q)) return false;
                    flip(tried, q);
                    flip(marks, q);
                    const bool found = extend(length + 1, q, false);
                    flip(marks, q);
                    return found;
                });
                if (ok) return true;
                continue;
            }
            uint64_t others[2] = {holders[0] & house[0], holders[1] & house[1]};
            flip(others, last);
            if (!(others[0] ? (others[0] & (others[0] - 1)) == 0 && !others[1] : others[1] && (others[1] & (others[1] - 1)) == 0))
                continue;  // not exactly one
            const int q = others[0] ? __builtin_ctzll(others[0]) : 64 + __builtin_ctzll(others[1]);
            if (has(marks, q) || has(tried, q)) continue;
            flip(tried, q);
            if (p.remove_from_elim_bits_in_neighbors(bit, start, &p.cells[q])) {
                if (length == 3) count_turbot_kind(p, first_dim, d);
                return true;
            }
            flip(marks, q);
            const bool found = extend(length + 1, q, true);
            flip(marks, q);
            if (found) return true;
        }
        return false;
    }
};

}  // namespace

bool Puzzle::simplify_x_chain_zorvat(int limit) {
    const int n = x_flag() ? N_DIMENSIONS : DIM_DIAG;
    // A digit whose chains found nothing is passed over while its cells stay as they were; cells
    // marked before the search (a player's answers) would change what it finds, so then no memo.
    bool memo = peers_state != PEERS_NONE;
    for (const PUZZLE_CELL& c : cells) memo = memo && !marked(&c);
    const int slot = limit > 0 ? 6 : 5;
    uint64_t states[9][4];
    if (memo) digit_states(states);
    for (int d = 1; d <= 9; ++d) {
        const unsigned bit = 1u << d;
        if (memo && fish_failed_before(slot, d, states[d - 1], 0)) continue;
        // A pair that is the strong link of two houses (a group and a line) starts the same search
        // twice; the house only names the kind of a chain that is found, so a pair that found
        // nothing from one house finds nothing from the other.
        uint64_t tried[N_CELLS][2] = {};
        for (int dim = DIM_GROUP; dim < n; ++dim) {
            const int n_houses = dim >= DIM_DIAG ? 1 : 9;
            for (int h = 0; h < n_houses; ++h) {
                PUZZLE_CELL* first = first_in_dim[dim][h];
                if (!first) continue;
                // A strong link: the house has the digit in exactly two cells.
                PUZZLE_CELL* ends[2] = {nullptr, nullptr};
                int found = 0;
                PUZZLE_CELL* c = first;
                do {
                    if (c->elim_bits & bit) {
                        if (found < 2) ends[found] = c;
                        ++found;
                    }
                    c = c->next(dim);
                } while (c != first);
                if (found != 2) continue;
                for (int k = 0; k < 2; ++k) {
                    PUZZLE_CELL* start = ends[k];
                    PUZZLE_CELL* last = ends[1 - k];
                    const int si = index_of(start), li = index_of(last);
                    if (tried[si][li >> 6] >> (li & 63) & 1) continue;
                    tried[si][li >> 6] |= uint64_t{1} << (li & 63);
                    if (memo && rings_ascend) {
                        ChainSearch search{*this, bit, limit, static_cast<DIMENSION>(dim), start, {}, {}};
                        std::memcpy(search.holders, states[d - 1], sizeof search.holders);
                        search.marks[si >> 6] |= uint64_t{1} << (si & 63);
                        search.marks[li >> 6] |= uint64_t{1} << (li & 63);
                        if (search.extend(2, li, true)) return true;
                        continue;
                    }
                    mark(start);
                    mark(last);
                    const bool ok =
                        x_chain_extend(bit, n, 2, start, last, true, limit, static_cast<DIMENSION>(dim));
                    unmark(start);
                    unmark(last);
                    if (ok) return true;
                }
            }
        }
        if (memo) note_fish_failure(slot, d, states[d - 1], 0);
    }
    return false;
}

bool Puzzle::x_chain_extend(unsigned bit, int n_dims, int length, PUZZLE_CELL* start, PUZZLE_CELL* last,
                            bool weak_next, int limit, DIMENSION first_dim) {
    const int max_length = limit > 0 ? limit : 10;
    if (length >= max_length) return false;
    int dims[N_DIMENSIONS];
    const int h = search_houses(*this, last, dims);
    // A cell that shares two houses with the last one is met twice. A search that fails leaves
    // the marks and candidates as it found them, so the second search from it would fail again.
    uint64_t tried[2] = {0, 0};
    auto first_time = [&tried](int k) {
        const bool fresh = !(tried[k >> 6] >> (k & 63) & 1);
        tried[k >> 6] |= uint64_t{1} << (k & 63);
        return fresh;
    };

    if (weak_next) {
        // Any other holder of the digit that sees the last cell: if the last cell is the digit, it is not.
        for (int i = 0; i < h; ++i) {
            const int d = dims[i];
            if (last->next_in_house[d] == 0) continue;
            for (PUZZLE_CELL* q = last->next(d); q != last; q = q->next(d)) {
                if (marked(q) || !(q->elim_bits & bit) || !first_time(index_of(q))) continue;
                mark(q);
                const bool ok = x_chain_extend(bit, n_dims, length + 1, start, q, false, limit, first_dim);
                unmark(q);
                if (ok) return true;
            }
        }
        return false;
    }

    // A strong link out of the last cell: its house holds the digit only there and in p.
    for (int i = 0; i < h; ++i) {
        const int d = dims[i];
        if (last->next_in_house[d] == 0) continue;
        PUZZLE_CELL* p = nullptr;
        int others = 0;
        for (PUZZLE_CELL* q = last->next(d); q != last; q = q->next(d))
            if (q->elim_bits & bit) {
                p = q;
                ++others;
            }
        if (others != 1 || marked(p) || !first_time(index_of(p))) continue;

        // The chain now begins and ends with a strong link, so start or p holds the digit.
        if (remove_from_elim_bits_in_neighbors(bit, start, p)) {
            if (length == 3) count_turbot_kind(*this, first_dim, d);
            return true;
        }
        mark(p);
        const bool ok = x_chain_extend(bit, n_dims, length + 1, start, p, true, limit, first_dim);
        unmark(p);
        if (ok) return true;
    }
    return false;
}

bool Puzzle::simplify_x_xy_chain(METHOD_TYPE) {
    CHAIN_NODE nodes[N_CELLS];
    std::memset(nodes, 0, sizeof nodes);
    find_possible_nodes(nodes);
    for (int i = 0; i < N_CELLS - 1; ++i) {
        if (nodes[i].n_dims == 0) continue;
        mark(&cells[i]);
        for (int j = i + 1; j < N_CELLS; ++j) {
            if (nodes[j].n_dims == 0) continue;
            if (!are_neighbors(&cells[i], &cells[j]) || !(cells[i].elim_bits & cells[j].elim_bits)) continue;
            mark(&cells[j]);
            const bool ok = do_xy_chain(nodes[i], nodes[j]) || do_xy_chain(nodes[j], nodes[i]);
            unmark(&cells[j]);
            if (ok) {
                unmark(&cells[i]);
                return true;
            }
        }
        unmark(&cells[i]);
    }
    return false;
}

void Puzzle::find_possible_nodes(CHAIN_NODE* nodes) {
    for (int k = 0; k < N_CELLS; ++k) {
        if (!bivalue(&cells[k])) continue;
        nodes[k].cell_index = k;
        nodes[k].n_dims = search_houses(*this, &cells[k], nodes[k].dims);
    }
}

bool Puzzle::do_xy_chain(const CHAIN_NODE& first, const CHAIN_NODE& second) {
    const uint32_t a_bits = cells[first.cell_index].elim_bits;
    const uint32_t b_bits = cells[second.cell_index].elim_bits;
    const uint32_t common = a_bits & b_bits;
    // If the first cell is not its other digit it is x, so the second, which sees it, is its other one.
    for (int d = 1; d <= 9; ++d) {
        const uint32_t x = 1u << d;
        if (!(common & x)) continue;
        if (do_next_xy_chain_link(2, true, false, a_bits & ~x, first, b_bits & ~x, second)) return true;
    }
    return false;
}

bool Puzzle::do_next_xy_chain_link(int depth, bool first_link, bool parity, unsigned start_bit,
                                   const CHAIN_NODE& start, unsigned link_bit, const CHAIN_NODE& last) {
    if (depth > 8 || last.n_dims == 0) return false;
    PUZZLE_CELL* const s = &cells[start.cell_index];
    PUZZLE_CELL* const l = &cells[last.cell_index];
    uint64_t tried[2] = {0, 0};
    for (int i = 0; i < last.n_dims; ++i) {
        const int d = last.dims[i];
        if (l->next_in_house[d] == 0) continue;
        for (PUZZLE_CELL* q = l->next(d); q != l; q = q->next(d)) {
            if (marked(q) || !(q->elim_bits & link_bit) || !bivalue(q)) continue;
            // Met again through a second house shared with the last cell: its search failed already.
            const int qk = index_of(q);
            if (tried[qk >> 6] >> (qk & 63) & 1) continue;
            tried[qk >> 6] |= uint64_t{1} << (qk & 63);
            if (!parity) {
                // Every other link must be strong: judged in the first house of the last cell holding q.
                int k = 0;
                while (k < last.n_dims && l->house(last.dims[k]) != q->house(last.dims[k])) ++k;
                const int sd = last.dims[k];
                bool only_pair = true;
                for (PUZZLE_CELL* r = l->next(sd); r != l; r = r->next(sd))
                    if (r != q && (r->elim_bits & link_bit)) only_pair = false;
                if (!only_pair) continue;
            }
            const uint32_t e = q->elim_bits & ~link_bit;
            if (!first_link && parity && e == start_bit) {
                // The chain ends on the start's other digit: a cell seeing both ends cannot hold it.
                bool removed = false;
                int dims[N_DIMENSIONS];
                const int h = search_houses(*this, q, dims);
                for (int j = 0; j < h; ++j) {
                    const int qd = dims[j];
                    if (q->next_in_house[qd] == 0) continue;
                    for (PUZZLE_CELL* c = q->next(qd); c != q; c = c->next(qd)) {
                        if (c == s || !(c->elim_bits & start_bit) || !are_neighbors(c, s)) continue;
                        c->elim_bits &= ~start_bit;
                        removed = true;
                    }
                }
                if (removed) return true;
            }
            const int qi = index_of(q);
            CHAIN_NODE next{};
            next.cell_index = qi;
            next.n_dims = search_houses(*this, q, next.dims);
            mark(q);
            const bool ok = do_next_xy_chain_link(depth + 1, false, !parity, start_bit, start, e, next);
            unmark(q);
            if (ok) return true;
        }
    }
    return false;
}
