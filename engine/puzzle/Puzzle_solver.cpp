// The technique ladder driver, step dispatch, naked singles by propagation and hidden singles.
#include <array>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "ffi/techniques.h"
#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

namespace {

// The level a technique's ladder exhausts before the technique itself is tried, by technique
// number; -1 for none. From the technique table, plus fish sizes 1 and 4 and the two-fin finned
// fish, which run like their neighbours (no caller asks for them).
constexpr auto kPrerequisite = [] {
    std::array<int, 64> up{};
    up.fill(-1);
    for (const techniques::Technique& t : techniques::kTechniqueTable) up[t.number] = t.prerequisite;
    up[6] = up[15] = METHOD_DOUBLE_RESTRICTION;
    up[19] = METHOD_FRANKEN_FISH;
    return up;
}();

int prerequisite(int m) { return m >= 0 && m < 64 ? kPrerequisite[m] : -1; }

static_assert(kPrerequisite[METHOD_BRUTE_FORCE] == METHOD_FORCING_NET && kPrerequisite[METHOD_FINNED_FISH] == METHOD_FRANKEN_FISH &&
                  kPrerequisite[METHOD_HIDDEN_SINGLES] == METHOD_NAKED_SINGLES && kPrerequisite[METHOD_W_WING] == METHOD_XY_XYZ_WING,
              "the technique table's numbers are the solver's");

[[noreturn]] void unknown_technique(int m) {
    std::fprintf(stderr, "Puzzle::simplify: unknown technique %d\n", m);
    std::exit(5);
}

inline bool single(uint32_t mask) { return n_digits(mask) == 1; }

}  // namespace

bool Puzzle::all_cells_single() const {
    for (const PUZZLE_CELL& c : cells)
        if (!single(c.elim_bits)) return false;
    return true;
}

int Puzzle::solve(METHOD_TYPE level) {
    std::memset(technique_counts, 0, sizeof technique_counts);
    int givens = 0;
    for (const PUZZLE_CELL& c : cells) givens += (c.status & STATUS_CLUE) != 0;
    technique_counts[SLOT_GIVENS] = givens;
    if (peers_state != PEERS_KEPT) {
        if (!plain_paths) build_peer_sets();
        forget_failures();  // houses may differ from the last solve's
    }
    fresh_single = 0;
    singles_sets.valid = false;
    int r = solve_by_recursion(level);
    technique_counts[SLOT_UNSOLVED] = r != SOLVED;
    singles_seed = nullptr;  // for this solve only, taken or not
    for (PUZZLE_CELL& c : cells) c.status &= STATUS_CLUE;
    if (peers_state == PEERS_SOLVE) peers_state = PEERS_NONE;
    return r;
}

bool Puzzle::build_peer_sets() {
    peers_state = PEERS_NONE;
    rings_ascend = false;
    plain_boxes = false;
    const int dims = x_flag() ? N_DIMENSIONS : DIM_DIAG;
    std::memset(house_set, 0, sizeof house_set);
    for (int k = 0; k < N_CELLS; ++k)
        for (int d = 0; d < dims; ++d) {
            const int h = cells[k].house(d);
            if (h >= 0 && h < 9) house_set[d][h][k >> 6] |= uint64_t{1} << (k & 63);
        }
    // Whether each ring steps to the next cell of its house above, and from the last back to the first.
    bool ascend = true;
    for (int d = 0; d < dims; ++d)
        for (int h = 0; h < (d >= DIM_DIAG ? 1 : 9); ++h) {
            int members[N_CELLS], n = 0;
            for (int w = 0; w < 2; ++w)
                for (uint64_t m = house_set[d][h][w]; m; m &= m - 1) members[n++] = 64 * w + __builtin_ctzll(m);
            for (int i = 0; i < n; ++i)
                ascend = ascend && cells[members[i]].next_in_house[d] == members[(i + 1) % n] - members[i];
        }
    for (int k = 0; k < N_CELLS; ++k) {
        uint64_t seen[2] = {0, 0};
        for (int d = 0; d < dims; ++d) {
            if (d >= DIM_DIAG && cells[k].house(d) != 0) continue;
            // Each ring must hold the nine cells of the cell's house, so that counting candidates
            // by house number sees what walking the ring sees.
            int j = k, steps = 0;
            for (;;) {
                const int step = cells[j].next_in_house[d];
                if (step <= -N_CELLS || step >= N_CELLS || j + step < 0 || j + step >= N_CELLS || step == 0) return false;
                j += step;
                if (j == k) break;
                if (++steps > 8 || cells[j].house(d) != cells[k].house(d)) return false;
                seen[j >> 6] |= uint64_t{1} << (j & 63);
            }
            if (steps != 8) return false;
        }
        const PUZZLE_CELL& c = cells[k];
        if (c.group < 0 || c.group > 8 || c.row < 0 || c.row > 8 || c.col < 0 || c.col > 8) return false;
        peer_set[k][0] = seen[0];
        peer_set[k][1] = seen[1];
    }
    bool plain = !x_flag();
    for (int k = 0; k < N_CELLS && plain; ++k)
        plain = cells[k].row == k / 9 && cells[k].col == k % 9 && cells[k].group == k / 27 * 3 + k % 9 / 3;
    peers_state = PEERS_SOLVE;
    rings_ascend = ascend;
    plain_boxes = plain;
    return true;
}

int Puzzle::solve_by_recursion(METHOD_TYPE m) {
    if (cancel_requested()) return SOLVE_CANCELLED;
    if (m == METHOD_NAKED_SINGLES) {
        if (!exhaustive_simple_elimination()) return NOT_SOLVED_STUCK;
        ++technique_counts[METHOD_NAKED_SINGLES];
        return all_cells_single() ? SOLVED : NOT_SOLVED;
    }
    const int below = prerequisite(m);
    if (below < 0) unknown_technique(m);
    for (;;) {
        int r = solve_by_recursion(static_cast<METHOD_TYPE>(below));
        if (r == SOLVED || r == SOLVE_CANCELLED) return r;
        if (!simplify(m)) return r;
        ++technique_counts[m];
        if (all_cells_single()) return SOLVED;
    }
}

bool Puzzle::simplify(METHOD_TYPE m) {
    switch (static_cast<int>(m)) {
        case METHOD_HIDDEN_SINGLES:
            if (peers_state != PEERS_NONE) return hidden_single_by_counts();
            for (PUZZLE_CELL& c : cells)
                if (!single(c.elim_bits) && simplify_cell_using_digits(&c)) return true;
            return false;
        case METHOD_LOCKED_CANDIDATES:
            if (peers_state != PEERS_NONE) {
                // The scan's first find, made by the same walk; the unions answer where it lies.
                const int at = restriction_first();
                if (at >= 0 && restriction_for_cell_and_dim(&cells[at / 8], at % 8)) return true;
                // With plain boxes, every cell that sees all of a house's places for a digit from
                // outside it lies in their box-line crossing: box-line reduction or pointing, which
                // have just found nothing, would remove it there. The peer intersections cannot.
                if (plain_boxes) return false;
            } else {
                for (PUZZLE_CELL& c : cells)
                    if (!single(c.elim_bits) && simplify_cell_by_restriction(&c)) return true;
            }
            return cell_form_restriction_once();
        case METHOD_SUBSETS:
            return simplify_once_over_dim(METHOD_SUBSETS);
        case METHOD_DOUBLE_RESTRICTION:
            return double_restriction();
        case 6:
        case METHOD_X_WING:
        case METHOD_SWORDFISH:
        case METHOD_JELLYFISH:
        case 15:
        case METHOD_FRANKEN_FISH:
            return simplify_once_fish_methods(m);
        case METHOD_FINNED_FISH:
        case 19:
            return simplify_fins_rows_cols();
        case METHOD_ALS:
            return simplify_almost_locked_sets();
        case METHOD_FORCING_NET:
            return simplify_cell_forcing_net();
        case METHOD_X_CHAIN:
            return simplify_x_chain_zorvat(-1);
        case METHOD_TURBOT:
            return simplify_x_chain_zorvat(4);
        case METHOD_XY_CHAIN:
            return simplify_x_xy_chain(METHOD_XY_CHAIN);
        case METHOD_W_WING:
            return simplify_w_wing();
        case METHOD_XY_XYZ_WING:
            // Each cell is offered the wing of its own kind; the first wing found ends the step.
            for (PUZZLE_CELL& c : cells) {
                const int n = n_digits(c.elim_bits);
                if (n == 3 && simplify_XYZ_wing(&c)) {
                    ++technique_counts[SLOT_XYZ_WING];
                    return true;
                }
                if (n == 2 && simplify_XY_wing(&c)) {
                    ++technique_counts[SLOT_XY_WING];
                    return true;
                }
            }
            return false;
        // The count itself leaves the grid as it was; a unique solution is then written into the
        // candidates, so the step is productive once and the driver finds the grid solved.
        case METHOD_BRUTE_FORCE:
            if (!solve_by_brute_force(nullptr, 0)) return false;
            for (int k = 0; k < N_CELLS; ++k) cells[k].elim_bits = first_solution[k];
            return true;
        default:
            unknown_technique(m);
    }
}

void Puzzle::simplify_by_elimination_using_cell(PUZZLE_CELL* cell) {
    const uint32_t bits = cell->elim_bits;
    for_each_peer(cell, [bits](PUZZLE_CELL* p) { p->elim_bits &= ~bits; });
}

// Naked singles by propagation: every single not yet propagated is taken out of its peers, pass
// after pass until a pass changes no candidate; true when the first pass changed one. The
// propagated flag alone is not a change.
bool Puzzle::exhaustive_simple_elimination() {
    return peers_state == PEERS_NONE ? eliminate_by_passes() : eliminate_by_sets();
}

// The same closure, reached on per-digit cell sets. Unless a cell loses its last candidate on the
// way, propagation reaches one closure whatever order it takes the singles in, with the same cells
// flagged, and the first pass changes a candidate exactly when some single not yet propagated
// still has its digit in a peer. When a cell does run dry, the order decides which cell that is,
// so the cells are left as they were and the passes are replayed.
bool Puzzle::eliminate_by_sets() {
    SinglesSets& z = singles_sets;
    const auto bit_of = [](int k) { return uint64_t{1} << (k & 63); };
    // Bring the sets up to the cells: rebuilt when unknown, else only the cells that changed since
    // the last call. After a propagation every single is flagged, so a hidden single found since
    // then is the only cell that can have changed.
    auto refresh = [&](int k) {
        const uint32_t e = cells[k].elim_bits;
        if (e == z.shadow[k]) return true;
        if (e & ~ALL_DIGITS) return false;
        const int w = k >> 6;
        for (uint32_t b = (z.shadow[k] ^ e) & ALL_DIGITS; b; b &= b - 1) z.cand[__builtin_ctz(b) - 1][w] ^= bit_of(k);
        z.shadow[k] = static_cast<uint16_t>(e);
        return true;
    };
    if (!z.valid && singles_seed) {
        const SinglesSeed* seed = singles_seed;
        singles_seed = nullptr;
        bool changes = false;
        if (seed->valid && fresh_single == 0 && take_singles_seed(*seed, changes)) return changes;
    }
    bool sound = true;
    const bool rebuilt = !z.valid;
    if (!z.valid) {
        // A solve starts with open cells holding every digit: those go into all nine sets at once.
        uint64_t cand[9][2] = {}, full[2] = {0, 0}, prop[2] = {0, 0};
        for (int k = 0; k < N_CELLS; ++k) {
            const uint32_t e = cells[k].elim_bits;
            const int w = k >> 6;
            z.shadow[k] = static_cast<uint16_t>(e);
            if (cells[k].status & STATUS_PROPAGATED) prop[w] |= bit_of(k);
            if (e == ALL_DIGITS) {
                full[w] |= bit_of(k);
                continue;
            }
            sound &= (e & ~ALL_DIGITS) == 0;
            for (uint32_t b = e & ALL_DIGITS; b; b &= b - 1) cand[__builtin_ctz(b) - 1][w] |= bit_of(k);
        }
        for (int d = 0; d < 9; ++d) z.cand[d][0] = cand[d][0] | full[0], z.cand[d][1] = cand[d][1] | full[1];
        z.prop[0] = prop[0];
        z.prop[1] = prop[1];
    } else if (fresh_single > 0) {
        sound = refresh(fresh_single - 1);
    } else {
        for (int k = 0; k < N_CELLS; ++k) sound &= refresh(k);
    }
    fresh_single = 0;
    z.valid = sound;
    if (!sound) return eliminate_by_passes();  // words that are not candidate sets: the plain passes

    uint64_t one[2], two[2];
    auto count = [&] { held_counts(z.cand, one, two); };
    count();
    const uint64_t live[2] = {one[0], one[1]};  // cells with a candidate: none of them may run dry
    uint64_t fresh[2] = {one[0] & ~two[0] & ~z.prop[0], one[1] & ~two[1] & ~z.prop[1]};
    // The first pass changes a candidate exactly when a single not yet propagated has its digit in a peer.
    bool changes = false;
    for (int d = 0; d < 9 && !changes; ++d)
        for (int w = 0; w < 2 && !changes; ++w)
            for (uint64_t m = fresh[w] & z.cand[d][w]; m && !changes; m &= m - 1) {
                const int k = 64 * w + __builtin_ctzll(m);
                changes = ((z.cand[d][0] & peer_set[k][0]) | (z.cand[d][1] & peer_set[k][1])) != 0;
            }
    const uint64_t prop_before[2] = {z.prop[0], z.prop[1]};
    if (changes) {
        // The closure: each round takes the digit of every new single out of all its peers at
        // once. Nothing is written to the cells until it is known that no cell ran dry.
        uint64_t before[9][2];
        std::memcpy(before, z.cand, sizeof before);
        while (fresh[0] | fresh[1]) {
            for (int d = 0; d < 9; ++d)
                for (int w = 0; w < 2; ++w)
                    for (uint64_t m = fresh[w] & z.cand[d][w]; m; m &= m - 1) {
                        const int k = 64 * w + __builtin_ctzll(m);
                        z.cand[d][0] &= ~peer_set[k][0];
                        z.cand[d][1] &= ~peer_set[k][1];
                    }
            z.prop[0] |= fresh[0];
            z.prop[1] |= fresh[1];
            count();
            if ((live[0] & ~one[0]) | (live[1] & ~one[1])) {
                z.valid = false;  // a cell ran dry: the cells are as they were; replay the passes
                return eliminate_by_passes();
            }
            fresh[0] = one[0] & ~two[0] & ~z.prop[0];
            fresh[1] = one[1] & ~two[1] & ~z.prop[1];
        }
        if (rebuilt) {
            // The first propagation of a solve takes most digits out of most cells: the masks are
            // made afresh from the digits that stay (every word was a candidate set, so nothing else
            // is in them).
            uint32_t masks[N_CELLS] = {};
            for (int d = 0; d < 9; ++d)
                for (int w = 0; w < 2; ++w)
                    for (uint64_t m = z.cand[d][w]; m; m &= m - 1) masks[64 * w + __builtin_ctzll(m)] |= 2u << d;
            for (int k = 0; k < N_CELLS; ++k) {
                cells[k].elim_bits = masks[k];
                z.shadow[k] = static_cast<uint16_t>(masks[k]);
            }
        } else {
            for (int d = 0; d < 9; ++d)
                for (int w = 0; w < 2; ++w)
                    for (uint64_t m = before[d][w] & ~z.cand[d][w]; m; m &= m - 1) {
                        const int k = 64 * w + __builtin_ctzll(m);
                        cells[k].elim_bits &= ~(2u << d);
                        z.shadow[k] = static_cast<uint16_t>(cells[k].elim_bits);
                    }
        }
    } else {
        z.prop[0] |= fresh[0];
        z.prop[1] |= fresh[1];
    }
    for (int w = 0; w < 2; ++w)
        for (uint64_t m = z.prop[w] & ~prop_before[w]; m; m &= m - 1) cells[64 * w + __builtin_ctzll(m)].status |= STATUS_PROPAGATED;
    return changes;
}

// The closure is the same whichever way it is reached (the cells start as clues and open cells, and
// no cell runs dry on the way), so the sets the seed holds are what the propagation would make. The
// first pass changes a candidate exactly when the closure differs from the start: an open cell that
// sees a clue loses its digit at once, and with no such cell nothing ever changes.
bool Puzzle::take_singles_seed(const SinglesSeed& seed, bool& changes) {
    SinglesSets& z = singles_sets;
    uint32_t masks[N_CELLS] = {};
    for (int d = 0; d < 9; ++d)
        for (int w = 0; w < 2; ++w)
            for (uint64_t m = seed.cand[d][w]; m; m &= m - 1) masks[64 * w + __builtin_ctzll(m)] |= 2u << d;
    bool changed = false;
    for (int k = 0; k < N_CELLS; ++k) {
        const uint32_t e = cells[k].elim_bits;
        if (!masks[k] || (masks[k] & ~e) || (e != ALL_DIGITS && !single(e)) || (cells[k].status & STATUS_PROPAGATED))
            return false;
        changed |= masks[k] != e;
    }
    std::memcpy(z.cand, seed.cand, sizeof z.cand);
    uint64_t one[2], two[2];
    held_counts(z.cand, one, two);
    // Every single of the closure has been propagated.
    z.prop[0] = one[0] & ~two[0];
    z.prop[1] = one[1] & ~two[1];
    for (int k = 0; k < N_CELLS; ++k) {
        cells[k].elim_bits = masks[k];
        z.shadow[k] = static_cast<uint16_t>(masks[k]);
    }
    for (int w = 0; w < 2; ++w)
        for (uint64_t m = z.prop[w]; m; m &= m - 1) cells[64 * w + __builtin_ctzll(m)].status |= STATUS_PROPAGATED;
    z.valid = true;
    fresh_single = 0;
    changes = changed;
    return true;
}

bool Puzzle::eliminate_by_passes() {
    auto pass = [&] {
        bool changed = false;
        for (PUZZLE_CELL& c : cells) {
            if ((c.status & STATUS_PROPAGATED) || !single(c.elim_bits)) continue;
            const uint32_t bits = c.elim_bits;
            for_each_peer(&c, [&](PUZZLE_CELL* p) {
                if (p->elim_bits & bits) p->elim_bits &= ~bits, changed = true;
            });
            c.status |= STATUS_PROPAGATED;
        }
        return changed;
    };
    if (!pass()) return false;
    while (pass()) {
    }
    return true;
}

namespace {

// The candidates of the other cells of the cell's house in dimension d (none without a ring).
uint32_t others_in_house(const PUZZLE_CELL* cell, int d) {
    uint32_t seen = 0;
    if (cell->next_in_house[d] == 0) return 0;
    for (const PUZZLE_CELL* p = cell->next(d); p != cell; p = p->next(d)) seen |= p->elim_bits;
    return seen;
}

}  // namespace

// Hidden single: a digit of the cell that no other cell of one of its houses can take. Each house
// is walked once; the digits are then tested in ascending order, group before lines.
bool Puzzle::simplify_cell_using_digits(PUZZLE_CELL* cell) {
    const uint32_t mask = cell->elim_bits;
    const uint32_t in_group = others_in_house(cell, DIM_GROUP);
    const uint32_t in_lines = others_in_house(cell, DIM_ROW) & others_in_house(cell, DIM_COL);
    for (int d = 1; d <= 9; ++d) {
        const uint32_t bit = 1u << d;
        if (!(mask & bit)) continue;
        if (!(in_group & bit)) {
            cell->elim_bits = bit;
            ++technique_counts[ATOM_HIDDEN_SINGLE_GROUP];
            return true;
        }
        if (!(in_lines & bit)) {
            cell->elim_bits = bit;
            ++technique_counts[ATOM_HIDDEN_SINGLE_LINE];
            return true;
        }
    }
    if (!x_flag()) return false;
    for (int dim : {DIM_DIAG, DIM_ANTI_DIAG}) {
        if (cell->house(dim) != 0) continue;
        const uint32_t on_diagonal = others_in_house(cell, dim);
        for (int d = 1; d <= 9; ++d) {
            const uint32_t bit = 1u << d;
            if ((mask & bit) && !(on_diagonal & bit)) {
                cell->elim_bits = bit;
                ++technique_counts[ATOM_HIDDEN_SINGLE_LINE];
                return true;
            }
        }
    }
    return false;
}

// The first hidden single in cell order, as simplify_cell_using_digits finds it cell by cell, from
// the digits held at least twice in each house: a digit of a cell is hidden in a house exactly when
// the house holds it only once. The houses match the rings (checked when the peer lists were made).
bool Puzzle::hidden_single_by_counts() {
    uint32_t once[N_DIMENSIONS][9] = {}, twice[N_DIMENSIONS][9] = {};
    const bool x = x_flag();
    // Neighbouring cells mostly share their row and often their group: each run of them is gathered
    // in registers and merged into its house's words when it ends (held twice: twice in either part,
    // or once in both), rather than read back and written for every cell.
    struct Run {
        int dim, h = -1;
        uint32_t once = 0, twice = 0;
    };
    Run runs[2] = {{DIM_ROW}, {DIM_GROUP}};
    auto flush = [&](Run& r) {
        if (r.h < 0) return;
        twice[r.dim][r.h] |= r.twice | (once[r.dim][r.h] & r.once);
        once[r.dim][r.h] |= r.once;
    };
    for (const PUZZLE_CELL& c : cells) {
        const uint32_t e = c.elim_bits;
        for (Run& r : runs) {
            const int h = c.house(r.dim);
            if (h != r.h) {
                flush(r);
                r.h = h, r.once = 0, r.twice = 0;
            }
            r.twice |= r.once & e;
            r.once |= e;
        }
        const int col = c.col;
        twice[DIM_COL][col] |= once[DIM_COL][col] & e;
        once[DIM_COL][col] |= e;
    }
    for (Run& r : runs) flush(r);
    if (x) {
        // The diagonals from their cell sets, in registers.
        for (int d : {DIM_DIAG, DIM_ANTI_DIAG}) {
            uint32_t one = 0, two = 0;
            for (int w = 0; w < 2; ++w)
                for (uint64_t m = house_set[d][0][w]; m; m &= m - 1) {
                    const uint32_t e = cells[64 * w + __builtin_ctzll(m)].elim_bits;
                    two |= one & e;
                    one |= e;
                }
            once[d][0] = one;
            twice[d][0] = two;
        }
    }
    for (PUZZLE_CELL& c : cells) {
        if (single(c.elim_bits)) continue;
        const uint32_t mask = c.elim_bits & ALL_DIGITS;
        const uint32_t in_group = mask & ~twice[DIM_GROUP][c.group];
        const uint32_t in_line = mask & ~(twice[DIM_ROW][c.row] & twice[DIM_COL][c.col]);
        if (in_group | in_line) {
            const uint32_t bit = (in_group | in_line) & (0u - (in_group | in_line));
            c.elim_bits = bit;
            fresh_single = static_cast<uint8_t>(index_of(&c) + 1);
            ++technique_counts[in_group & bit ? ATOM_HIDDEN_SINGLE_GROUP : ATOM_HIDDEN_SINGLE_LINE];
            return true;
        }
        if (!x) continue;
        for (int d : {DIM_DIAG, DIM_ANTI_DIAG}) {
            if (c.house(d) != 0) continue;
            const uint32_t hidden = mask & ~twice[d][0];
            if (hidden) {
                c.elim_bits = hidden & (0u - hidden);
                fresh_single = static_cast<uint8_t>(index_of(&c) + 1);
                ++technique_counts[ATOM_HIDDEN_SINGLE_LINE];
                return true;
            }
        }
    }
    return false;
}

bool Puzzle::some_digit_has_no_home() {
    uint32_t unions[N_DIMENSIONS][9] = {};
    for (const PUZZLE_CELL& c : cells) {
        assert(c.group >= 0 && c.group < 9 && c.row >= 0 && c.row < 9 && c.col >= 0 && c.col < 9);
        unions[DIM_GROUP][c.group] |= c.elim_bits;
        unions[DIM_ROW][c.row] |= c.elim_bits;
        unions[DIM_COL][c.col] |= c.elim_bits;
        if (c.diag == 0) unions[DIM_DIAG][0] |= c.elim_bits;
        if (c.anti_diag == 0) unions[DIM_ANTI_DIAG][0] |= c.elim_bits;
    }
    for (int d = DIM_GROUP; d <= DIM_COL; ++d)
        for (int h = 0; h < 9; ++h)
            if ((unions[d][h] & ALL_DIGITS) != ALL_DIGITS) return true;
    if (x_flag()) {
        if ((unions[DIM_DIAG][0] & ALL_DIGITS) != ALL_DIGITS) return true;
        if ((unions[DIM_ANTI_DIAG][0] & ALL_DIGITS) != ALL_DIGITS) return true;
    }
    return false;
}
