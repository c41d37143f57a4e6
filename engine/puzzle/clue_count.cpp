// A fast exact count of the solutions of a clue set: per-digit cell sets, singles, locked candidates.
#include "puzzle/clue_count.h"

#include <cstring>

namespace {

// One search state: where each digit can still go, where it stands, and the cells still open.
struct State {
    CellSet cand[9];
    CellSet open;
    uint32_t holding[9] = {};  // per digit, the houses (bit h) where it is placed
    // Per digit, the houses whose cells with the digit may have changed since the hidden-single
    // sweep last found nothing there: only those can hold something new for it.
    uint32_t dirty[9] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    uint32_t* placed = nullptr;  // when given, the digit bit (1 << digit) of each cell placed
};

void place(State& s, const ClueCounter& cc, int k, int d) {
    s.open.remove(k);
    const uint32_t here = cc.houses_of[k];
    const uint64_t keep = ~(uint64_t{1} << (k & 63));
    if (k < 64) {
        for (CellSet& c : s.cand) c.lo &= keep;
    } else {
        for (CellSet& c : s.cand) c.hi &= keep;
    }
    for (uint32_t& houses : s.dirty) houses |= here;
    s.cand[d] &= ~cc.peers[k];
    s.dirty[d] |= cc.peer_houses[k];
    s.holding[d] |= cc.houses_of[k];
    if (s.placed) s.placed[k] = 2u << d;
}

// Places naked and hidden singles until none is left; false on a contradiction. With `lock`, a
// digit whose places in one house all lie in a second house also leaves the rest of the second.
// With `seed`, the state where the naked singles first run out is left there for the solver, each
// placed cell holding its digit in `solution` (placed by sound steps on clues of that solution).
bool propagate(const ClueCounter& cc, State& s, bool lock, Puzzle::SinglesSeed* seed = nullptr,
               const CellSet* solution = nullptr) {
    for (;;) {
        CellSet one, two;
        for (const CellSet& c : s.cand) {
            two |= one & c;
            one |= c;
        }
        if (!(s.open & ~one).empty()) return false;  // an open cell lost every digit
        CellSet singles = s.open & one & ~two;
        if (singles.empty() && seed) {
            const CellSet placed = ~s.open;
            for (int d = 0; d < 9; ++d) {
                const CellSet c = s.cand[d] | (placed & solution[d]);
                seed->cand[d][0] = c.lo;
                seed->cand[d][1] = c.hi;
            }
            seed->valid = true;
            seed = nullptr;
        }
        if (!singles.empty()) {
            while (!singles.empty()) {
                const int k = singles.first();
                singles.remove(k);
                int d = 0;
                while (d < 9 && !s.cand[d].has(k)) ++d;
                if (d == 9) return false;  // an earlier single of this round took its last digit
                place(s, cc, k, d);
            }
            continue;
        }
        bool changed = false;
        const uint32_t all_houses = (1u << cc.n_houses) - 1;
        for (int d = 0; d < 9; ++d) {
            const uint32_t todo = all_houses & ~s.holding[d] & s.dirty[d];
            s.dirty[d] = 0;  // what changes from here on is marked again
            for (uint32_t open_houses = todo; open_houses; open_houses &= open_houses - 1) {
                const int h = __builtin_ctz(open_houses);
                if (s.holding[d] >> h & 1) continue;  // placed there earlier in this sweep
                const CellSet where = s.cand[d] & cc.house[h];
                // Mostly the house has two places or more, which one test on each word tells.
                const bool many = ((where.lo & (where.lo - 1)) | (where.hi & (where.hi - 1))) != 0 || (where.lo && where.hi);
                if (!many) {
                    if (where.empty()) return false;  // the house has no place left for d
                    place(s, cc, where.first(), d);
                    changed = true;
                } else if (lock) {
                    const int first = where.first();
                    for (uint32_t both = cc.houses_of[first] & cc.houses_of[where.last()] & ~(1u << h); both;
                         both &= both - 1) {
                        const CellSet& other = cc.house[__builtin_ctz(both)];
                        if (!(where & ~other).empty()) continue;
                        const CellSet gone = s.cand[d] & other & ~where;
                        if (gone.empty()) continue;
                        s.cand[d] &= ~gone;
                        for (CellSet rest = gone; !rest.empty();) {
                            const int k = rest.first();
                            rest.remove(k);
                            s.dirty[d] |= cc.houses_of[k];
                        }
                        changed = true;
                    }
                }
            }
        }
        if (!changed) return true;
    }
}

// An open cell with the fewest digits: one with two when there is one.
int branch_cell(const State& s) {
    CellSet one, two, three;
    for (const CellSet& c : s.cand) {
        three |= two & c;
        two |= one & c;
        one |= c;
    }
    const CellSet pairs = s.open & two & ~three;
    if (!pairs.empty()) return pairs.first();
    int k = -1, fewest = 10;
    for (CellSet rest = s.open; !rest.empty();) {
        const int c = rest.first();
        rest.remove(c);
        int n = 0;
        for (const CellSet& cd : s.cand) n += cd.has(c);
        if (n < fewest) fewest = n, k = c;
    }
    return k;
}

int search(const ClueCounter& cc, State& s, int limit, CellSet* differs = nullptr, const int* known = nullptr) {
    if (!propagate(cc, s, cc.lock)) return 0;
    if (s.open.empty()) {
        // The cells where this solution differs from the known one.
        if (differs && s.placed)
            for (int k = 0; k < N_CELLS; ++k)
                if (s.placed[k] != 2u << known[k]) differs->add(k);
        return 1;
    }
    const int k = branch_cell(s);
    int found = 0;
    // With a known solution, its digit is tried first: a second solution mostly differs from it in a
    // few cells, and following it elsewhere reaches one soonest. The count does not depend on the order.
    const int first = known ? known[k] : -1;
    for (int i = -1; i < 9 && found < limit; ++i) {
        const int d = i < 0 ? first : i;
        if (d < 0 || (i >= 0 && d == first) || !s.cand[d].has(k)) continue;
        State next = s;
        place(next, cc, k, d);
        found += search(cc, next, limit - found, found ? nullptr : differs, known);
    }
    return found;
}

// True when the clues admit a solution other than the known one, `known[k]` being cell k's digit
// index 0..8 in it. Branches that leave the known solution need only some solution, and are
// tried first; the known digit's branch goes on looking for a difference further down.
bool other_than_known(const ClueCounter& cc, State& s, const int* known) {
    if (!propagate(cc, s, cc.lock)) return false;
    if (s.open.empty()) return false;  // every choice so far followed the known solution
    const int k = branch_cell(s);
    for (int d = 0; d < 9; ++d) {
        if (d == known[k] || !s.cand[d].has(k)) continue;
        State next = s;
        place(next, cc, k, d);
        CellSet differs;
        if (search(cc, next, 1, &differs, known) > 0) {
            cc.remember(known, differs);
            return true;
        }
    }
    if (!s.cand[known[k]].has(k)) return false;
    place(s, cc, k, known[k]);
    return other_than_known(cc, s, known);
}

}  // namespace

ClueCounter::ClueCounter(const Puzzle& p) {
    n_houses = p.x_flag() ? 29 : 27;
    for (int k = 0; k < N_CELLS; ++k) {
        const PUZZLE_CELL& c = p.cells[k];
        house[k / 9].add(k);
        house[9 + k % 9].add(k);
        if (c.group >= 0 && c.group < 9) house[18 + c.group].add(k);
        if (n_houses == 29 && c.diag == 0) house[27].add(k);
        if (n_houses == 29 && c.anti_diag == 0) house[28].add(k);
    }
    // Locked candidates cut the search trees of jigsaw maps by half or more; on 3x3 boxes they cost
    // more time than they save.
    lock = false;
    for (int k = 0; k < N_CELLS; ++k) lock |= p.cells[k].group != k / 27 * 3 + k % 9 / 3;
    for (int k = 0; k < N_CELLS; ++k) {
        peers[k] = CellSet{};
        houses_of[k] = 0;
        for (int h = 0; h < n_houses; ++h)
            if (house[h].has(k)) peers[k] |= house[h], houses_of[k] |= 1u << h;
        peer_houses[k] = 0;
        for (int h = 0; h < n_houses; ++h)
            if (!(house[h] & peers[k]).empty()) peer_houses[k] |= 1u << h;
    }
}

namespace {

// Givens set out on the empty grid: placing them one by one leaves each digit everywhere but on
// the givens and the peers of its own givens, so those sets are gathered and made at once.
struct Givens {
    CellSet seen[9], cells;

    // False when the digit index d clashes with a given placed before it.
    bool add(const ClueCounter& cc, State& s, int k, int d) {
        if (seen[d].has(k)) return false;
        seen[d] |= cc.peers[k];
        s.holding[d] |= cc.houses_of[k];
        cells.add(k);
        if (s.placed) s.placed[k] = 2u << d;
        return true;
    }
    void finish(State& s) const {
        s.open = ~cells;
        for (int d = 0; d < 9; ++d) s.cand[d] = ~cells & ~seen[d];
    }
};

}  // namespace

// Starts from the empty grid and places the given digit index (0..8, -1 for none) of each cell;
// false when a digit clashes with one placed before it.
static bool place_givens(const ClueCounter& cc, State& s, const int* given) {
    Givens g;
    for (int k = 0; k < N_CELLS; ++k)
        if (given[k] >= 0 && !g.add(cc, s, k, given[k])) return false;
    g.finish(s);
    return true;
}

int ClueCounter::count(const int digits[N_CELLS], int limit) const {
    int given[N_CELLS];
    for (int k = 0; k < N_CELLS; ++k) given[k] = digits[k] >= 1 && digits[k] <= 9 ? digits[k] - 1 : -1;
    State s;
    if (!place_givens(*this, s, given)) return 0;
    return limit > 0 ? search(*this, s, limit) : 0;
}

// Reads the known solution's digit index (0..8) of every cell into the counter, unless its cells'
// solution words are those read last time, as they are for a whole generation; false when the
// cells hold no valid solution.
static bool read_solution(const ClueCounter& cc, const Puzzle& p) {
    if (cc.read_valid) {
        int k = 0;
        while (k < N_CELLS && p.cells[k].solution == cc.read_words[k]) ++k;
        if (k == N_CELLS) return true;
    }
    cc.read_valid = false;
    for (int k = 0; k < N_CELLS; ++k) {
        const unsigned digit = static_cast<unsigned>(p.cells[k].solution);
        if (digit <= 1 || (digit & (digit - 1)) != 0 || digit > ALL_DIGITS) return false;
        cc.read_words[k] = p.cells[k].solution;
        cc.read_digits[k] = __builtin_ctz(digit) - 1;
    }
    for (CellSet& c : cc.read_cells) c = CellSet{};
    for (int k = 0; k < N_CELLS; ++k) cc.read_cells[cc.read_digits[k]].add(k);
    cc.read_valid = true;
    return true;
}

// Sets out the clue cells `clues` with the known solution's digits; false when two clash.
static bool set_out(const ClueCounter& cc, State& s, CellSet clues, const int* known) {
    Givens g;
    for (CellSet rest = clues; !rest.empty();) {
        const int k = rest.first();
        rest.remove(k);
        if (!g.add(cc, s, k, known[k])) return false;
    }
    g.finish(s);
    return true;
}

// The state of the puzzle's clues, and the known solution's digit index (0..8) of every cell; false
// when the cells hold no valid solution or the clues break the rules.
static bool load_clues(const ClueCounter& cc, const Puzzle& p, State& s, int* known) {
    if (cc.read_valid) {
        // The usual case, in one pass over the cells: the solution read last time, checked as the
        // givens are set out.
        Givens g;
        bool clash = false;
        int k = 0;
        for (; k < N_CELLS; ++k) {
            const PUZZLE_CELL& c = p.cells[k];
            if (c.solution != cc.read_words[k]) break;
            if ((c.status & STATUS_CLUE) && !clash) clash = !g.add(cc, s, k, cc.read_digits[k]);
        }
        if (k == N_CELLS) {
            if (clash) return false;
            std::memcpy(known, cc.read_digits, sizeof cc.read_digits);
            g.finish(s);
            return true;
        }
        for (uint32_t& houses : s.holding) houses = 0;  // set out again below
    }
    if (!read_solution(cc, p)) return false;
    std::memcpy(known, cc.read_digits, sizeof cc.read_digits);
    CellSet clues;
    for (int k = 0; k < N_CELLS; ++k)
        if (p.cells[k].status & STATUS_CLUE) clues.add(k);
    return set_out(cc, s, clues, known);
}

bool ClueCounter::second_solution(const Puzzle& p) const {
    State s;
    int known[N_CELLS];
    uint32_t placed[N_CELLS];
    s.placed = placed;  // every cell is placed again on the way to a solution, so it ends up whole
    if (!load_clues(*this, p, s, known)) return false;
    if (knows_other(known, ~s.open, CellSet{})) return true;
    return other_than_known(*this, s, known);
}

bool ClueCounter::other_digit_at(const Puzzle& p, int a, int b) const { return other_digit_at(p, a, b, nullptr); }

bool ClueCounter::check_solution(const Puzzle& p) const {
    read_valid = false;
    return read_solution(*this, p);
}

bool ClueCounter::other_digit_at(const Puzzle& p, int a, int b, const CellSet* clues, Puzzle::SinglesSeed* seed,
                                 bool* singles_alone) const {
    if (seed) seed->valid = false;
    if (singles_alone) *singles_alone = false;
    State s;
    int loaded[N_CELLS];
    const int* known = loaded;
    uint32_t placed[N_CELLS];
    s.placed = placed;
    CellSet at;
    if (a >= 0 && a < N_CELLS) at.add(a);
    if (b >= 0 && b < N_CELLS) at.add(b);
    if (clues) {
        // The clue cells named by the caller, on the solution check_solution read; a second
        // solution remembered answers before they are set out.
        if (!read_valid) return false;
        known = read_digits;
        if (knows_other(known, *clues, at)) return true;
        if (!set_out(*this, s, *clues, known)) return false;
    } else {
        if (!load_clues(*this, p, s, loaded)) return false;
        if (knows_other(known, ~s.open, at)) return true;
    }
    // The singles first, then (on maps that use them) locked candidates: propagation ends in one
    // place whatever the order, and the singles' end answers `singles_alone`. The seed's placed
    // cells take their digits from the solution read (`known` is it).
    if (!propagate(*this, s, false, read_valid ? seed : nullptr, read_cells)) return false;
    if (s.open.empty()) {
        if (singles_alone) *singles_alone = true;
        return false;  // the clues' one solution
    }
    if (lock && !propagate(*this, s, true)) return false;
    // Solutions that differ at a, then those that agree at a and differ at b: one search each, with
    // the known digit taken out, so the search branches where the grid is tightest.
    const int n = b == a ? 1 : 2;
    for (int i = 0; i < n; ++i) {
        const int cell = i == 0 ? a : b;
        if (cell < 0 || cell >= N_CELLS || !s.open.has(cell)) continue;  // a placed cell has one digit
        State next = s;
        next.cand[known[cell]].remove(cell);
        next.dirty[known[cell]] |= houses_of[cell];
        CellSet differs;
        if (search(*this, next, 1, &differs, known) > 0) {
            remember(known, differs);
            return true;
        }
        if (!s.cand[known[cell]].has(cell)) return false;  // no solution at all then
        place(s, *this, cell, known[cell]);
    }
    return false;
}

void ClueCounter::follow(const int* known) const {
    if (known_solution_valid && std::memcmp(known, solution, sizeof solution) == 0) return;
    std::memcpy(solution, known, sizeof solution);
    known_solution_valid = true;
    n_other = 0;
    std::memset(n_by_cell, 0, sizeof n_by_cell);
}

void ClueCounter::remember(const int* known, CellSet differs) const {
    follow(known);
    if (differs.empty()) return;
    const int i = n_other < kMaxOthers ? n_other++ : static_cast<int>(next_other++ % kMaxOthers);
    other_lo[i] = differs.lo;
    other_hi[i] = differs.hi;
    for (CellSet rest = differs; !rest.empty();) {
        const int k = rest.first();
        rest.remove(k);
        const int at = n_by_cell[k] < kPerCell ? n_by_cell[k]++ : next_by_cell[k]++ % kPerCell;
        by_cell[k][at] = static_cast<uint16_t>(i);
    }
}

bool ClueCounter::knows_other(const int* known, CellSet clues, CellSet at) const {
    follow(known);
    const bool anywhere = at.empty();
    auto fits = [&](int i) { return !((other_lo[i] & clues.lo) | (other_hi[i] & clues.hi)); };
    if (anywhere) {
        for (int i = 0; i < n_other; ++i)
            if (fits(i)) return true;
        return false;
    }
    // Only differences holding a cell of `at` can answer: those the cells' rings name.
    for (CellSet rest = at; !rest.empty();) {
        const int k = rest.first();
        rest.remove(k);
        for (int j = 0; j < n_by_cell[k]; ++j) {
            const int i = by_cell[k][j];
            const uint64_t holds = (k < 64 ? other_lo[i] : other_hi[i]) >> (k & 63) & 1;
            if (holds && fits(i)) return true;
        }
    }
    return false;
}

void ClueCounter::digits_of(const uint32_t masks[N_CELLS], DigitCells& where) {
    for (CellSet& c : where.of) c = CellSet{};
    for (int k = 0; k < N_CELLS; ++k)
        for (uint32_t m = masks[k] & ALL_DIGITS; m; m &= m - 1) where.of[__builtin_ctz(m) - 1].add(k);
}

bool ClueCounter::singles_fail(const uint32_t masks[N_CELLS], int cell, uint32_t bit, uint32_t* placed) const {
    DigitCells where;
    digits_of(masks, where);
    return singles_fail(where, cell, bit, placed);
}

bool ClueCounter::singles_fail(const DigitCells& where, int cell, uint32_t bit, uint32_t* placed) const {
    State s;
    s.open = ~CellSet{};
    for (int d = 0; d < 9; ++d) {
        s.cand[d] = where.of[d];
        if (cell >= 0 && cell < N_CELLS) {
            s.cand[d].remove(cell);
            if (bit >> (d + 1) & 1) s.cand[d].add(cell);
        }
    }
    if (placed) {
        for (int k = 0; k < N_CELLS; ++k) placed[k] = 0;
        s.placed = placed;
    }
    return !propagate(*this, s, false);
}
