// Basic fish over rows and columns (X-wing, swordfish, jellyfish), with the digit order and house lists.
#include <cstring>

#include "puzzle/Puzzle.h"
#include "puzzle/Puzzle_fish_lines.h"
#include "util/insertion_sort.h"
#include "util/sudoku_combinations.h"

namespace {

// Counts, for each of the n digits, the unsolved cells having it (in one group, or anywhere for -1),
// and sorts digits and counts by ascending count; the sort is stable, so ties keep their order.
void count_and_sort(const Puzzle& p, int n, int* digits, int* counts, int group) {
    for (int i = 0; i < n; ++i) {
        const unsigned bit = 1u << digits[i];
        int count = 0;
        for (const PUZZLE_CELL& c : p.cells)
            if ((group < 0 || c.group == group) && (c.elim_bits & bit) && fish::unsolved(c)) ++count;
        counts[i] = count;
    }
    sort_by_insertion_ascending(counts, n, digits);
}

// Set bits of a word by halving sums: the generic build has no bit-count instruction, and the
// library call costs more than this.
inline int bits_in(uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

}  // namespace

int Puzzle::determine_unsolved_houses_for_digit(DIMENSION dim, int* houses, unsigned bit) {
    unsigned present = 0;
    for (const PUZZLE_CELL& c : cells) {
        const int h = c.house(dim);
        if ((c.elim_bits & bit) && fish::unsolved(c) && h >= 0 && h < 9) present |= 1u << h;
    }
    int n = 0;
    fish::for_each_member(present, [&](int h) { houses[n++] = h; });
    return n;
}

int Puzzle::houses_holding(DIMENSION dim, int* houses, const uint64_t set[2]) const {
    int n = 0;
    for (int h = 0; h < 9; ++h)
        if ((set[0] & house_set[dim][h][0]) | (set[1] & house_set[dim][h][1])) houses[n++] = h;
    return n;
}

void Puzzle::sort_unsolved_digits(int* digits, int* counts) {
    count_and_sort(*this, 9, digits, counts, -1);
}

void Puzzle::sort_unsolved_digits(int* digits, int* counts, int group, const uint64_t (*states)[4]) {
    int n = 0;
    while (digits[n] != 0) ++n;
    if (!states) return count_and_sort(*this, n, digits, counts, group);
    // The unsolved cells holding each digit, from its cell sets (held minus solved).
    const uint64_t all[2] = {~uint64_t{0}, ~uint64_t{0}};
    const uint64_t* in = group < 0 ? all : house_set[DIM_GROUP][group];
    for (int i = 0; i < n; ++i) {
        const uint64_t* st = states[digits[i] - 1];
        counts[i] = bits_in(st[0] & ~st[2] & in[0]) + bits_in(st[1] & ~st[3] & in[1]);
    }
    sort_by_insertion_ascending(counts, n, digits);
}

void Puzzle::digit_states(uint64_t states[9][4]) const {
    // The last propagation's cell sets, while no candidate has changed since: a solve's searches
    // mostly run right after one (the steps below them change nothing when they fail).
    const SinglesSets& z = singles_sets;
    if (z.valid && peers_state != PEERS_NONE) {
        bool same = true;
        for (int k = 0; k < N_CELLS; ++k) same &= z.shadow[k] == cells[k].elim_bits;
        if (same) {
            uint64_t one[2], two[2];
            held_counts(z.cand, one, two);
            for (int d = 0; d < 9; ++d)
                for (int w = 0; w < 2; ++w) {
                    states[d][w] = z.cand[d][w];
                    states[d][2 + w] = z.cand[d][w] & ~two[w];
                }
            return;
        }
    }
    std::memset(states, 0, sizeof(uint64_t) * 9 * 4);
    for (int k = 0; k < N_CELLS; ++k) {
        const uint32_t e = cells[k].elim_bits;
        const uint64_t m = uint64_t{1} << (k & 63);
        const int w = k >> 6;
        const bool solved = n_digits(e) == 1;
        for (uint32_t b = e & ALL_DIGITS; b; b &= b - 1) {
            uint64_t* s = states[__builtin_ctz(b) - 1];
            s[w] |= m;
            if (solved) s[2 + w] |= m;
        }
    }
}

bool Puzzle::fish_failed_before(int slot, int digit, const uint64_t* state, int search) const {
    const FishMemo& memo = fish_memo[slot];
    return (memo.failed[digit - 1] >> search & 1) && std::memcmp(memo.state[digit - 1], state, 4 * sizeof(uint64_t)) == 0;
}

void Puzzle::note_fish_failure(int slot, int digit, const uint64_t* state, int search) {
    FishMemo& memo = fish_memo[slot];
    if (std::memcmp(memo.state[digit - 1], state, 4 * sizeof(uint64_t)) != 0) {
        std::memcpy(memo.state[digit - 1], state, 4 * sizeof(uint64_t));
        memo.failed[digit - 1] = 0;
    }
    memo.failed[digit - 1] |= static_cast<uint16_t>(1u << search);
}

uint32_t Puzzle::digits_not_failed(int slot, const uint64_t states[9][4]) const {
    uint32_t open = 0;
    for (int d = 1; d <= 9; ++d)
        if (!fish_failed_before(slot, d, states[d - 1], 0)) open |= 1u << d;
    return open;
}

uint32_t Puzzle::digits_to_search(int slot, uint64_t states[9][4]) const {
    if (peers_state == PEERS_NONE) return ALL_DIGITS;
    digit_states(states);
    return digits_not_failed(slot, states);
}

void Puzzle::note_failures(int slot, uint32_t digits, const uint64_t states[9][4]) {
    if (peers_state == PEERS_NONE) return;
    for (uint32_t m = digits & ALL_DIGITS; m; m &= m - 1) {
        const int d = __builtin_ctz(m);
        note_fish_failure(slot, d, states[d - 1], 0);
    }
}

void Puzzle::forget_failures() {
    std::memset(fish_memo, 0, sizeof fish_memo);
    std::memset(subset_memo_valid, 0, sizeof subset_memo_valid);
}

bool Puzzle::simplify_once_fish_methods(METHOD_TYPE m) {
    int digits[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};  // ended by 0
    int counts[9];
    // The memo of failed searches is kept only while the houses cannot change (a solve, a generation).
    const bool memo = peers_state != PEERS_NONE;
    const int slot = m == METHOD_FRANKEN_FISH ? 0 : m == METHOD_SWORDFISH ? 3 : m == METHOD_JELLYFISH ? 4 : 2;
    uint64_t states[9][4];
    if (memo) digit_states(states);
    sort_unsolved_digits(digits, counts, -1, memo ? states : nullptr);
    // Digits held by four unsolved cells or fewer are left to the simpler techniques.
    int i0 = 0;
    while (i0 < 9 && counts[i0] <= 4) ++i0;

    for (int i = i0; i < 9; ++i) {
        const unsigned bit = 1u << digits[i];
        const uint64_t* state = states[digits[i] - 1];
        if (memo && fish_failed_before(slot, digits[i], state, 0)) continue;
        int houses[3][9];
        const uint64_t open[2] = {state[0] & ~state[2], state[1] & ~state[3]};
        auto houses_of = [&](DIMENSION dim) {
            return memo ? houses_holding(dim, houses[dim], open) : determine_unsolved_houses_for_digit(dim, houses[dim], bit);
        };
        const int n_rows = houses_of(DIM_ROW);
        const int n_cols = houses_of(DIM_COL);
        if (m == METHOD_FRANKEN_FISH) {
            if (counts[i] < 9) continue;
            const int n_groups = houses_of(DIM_GROUP);
            if (simplify_once_franken_fish_for_digit(bit, n_rows, n_groups, houses)) return true;
        } else if (simplify_once_rows_and_cols_for_digit(m, bit, n_rows, n_cols, houses[DIM_ROW],
                                                         houses[DIM_COL])) {
            return true;
        }
        if (memo) note_fish_failure(slot, digits[i], state, 0);
    }
    return false;
}

bool Puzzle::simplify_once_rows_and_cols_for_digit(METHOD_TYPE m, unsigned bit, int n_rows, int n_cols,
                                                   int* rows, int* cols) {
    // Sizes 2, 3 and 4; the unnamed fish levels run as X-wings.
    const int k = m == METHOD_SWORDFISH ? 3 : m == METHOD_JELLYFISH ? 4 : 2;
    if (k == 2 && n_rows < 3) return false;
    const bool columns_as_base = m != METHOD_JELLYFISH;

    const int n_row_sets = n_combinations(n_rows, k);
    const int n_col_sets = n_combinations(n_cols, k);
    const fish::DigitLines at(*this, bit);
    // Each set of lines with the positions its lines hold the digit at: a base passes only when
    // those all lie on the cover, so most pairs are told apart by one test before the full one.
    unsigned col_sets[126], col_spans[126];  // C(9, 4), the most there can be
    for (int j = 0; j < n_col_sets; ++j) {
        col_sets[j] = fish::picked(cols, comb_at(n_cols, k, j), k);
        col_spans[j] = 0;
        fish::for_each_member(col_sets[j], [&](int col) { col_spans[j] |= at.of(DIM_COL, col); });
    }
    // Which column sets can pass for a row set, from the sets holding each listed column: a fish
    // with the rows as base needs a cover holding every column where they have the digit, and
    // removes something when one of its columns has the digit off the rows; one with the columns
    // as base needs columns that have the digit on the rows only, and removes something when the
    // rows have it off the columns. Only those sets are asked, in scan order, both ways as before.
    const fish::SubsetIndex& index = fish::subset_index();
    const uint64_t(*with)[2] = index.with[n_cols][k];
    int place_of[9] = {};
    unsigned listed = 0;
    for (int c = 0; c < n_cols; ++c) place_of[cols[c]] = c, listed |= 1u << cols[c];
    const uint64_t all[2] = {n_col_sets >= 64 ? ~uint64_t{0} : (uint64_t{1} << n_col_sets) - 1,
                             n_col_sets <= 64 ? 0 : (uint64_t{1} << (n_col_sets - 64)) - 1};
    for (int i = 0; i < n_row_sets; ++i) {
        const unsigned row_set = fish::picked(rows, comb_at(n_rows, k, i), k);
        unsigned row_span = 0;
        fish::for_each_member(row_set, [&](int row) { row_span |= at.of(DIM_ROW, row); });
        uint64_t covers[2] = {0, 0};  // the sets holding every column where the rows have the digit
        if (!(row_span & ~listed)) {
            covers[0] = all[0], covers[1] = all[1];
            fish::for_each_member(row_span, [&](int col) {
                covers[0] &= with[place_of[col]][0];
                covers[1] &= with[place_of[col]][1];
            });
        }
        uint64_t off_rows[2] = {0, 0};  // the sets holding a column with the digit off the rows
        for (int c = 0; c < n_cols; ++c)
            if (at.of(DIM_COL, cols[c]) & ~row_set) off_rows[0] |= with[c][0], off_rows[1] |= with[c][1];
        uint64_t ask[2];
        for (int w = 0; w < 2; ++w)
            ask[w] = (covers[w] & off_rows[w]) | (columns_as_base ? all[w] & ~off_rows[w] & ~covers[w] : 0);
        for (int w = 0; w < 2; ++w)
            for (uint64_t m = ask[w]; m; m &= m - 1) {
                const int j = 64 * w + __builtin_ctzll(m);
                if (!(row_span & ~col_sets[j]) && fish::lines_fish(*this, bit, at, DIM_ROW, row_set, col_sets[j]))
                    return true;
                if (columns_as_base && !(col_spans[j] & ~row_set) &&
                    fish::lines_fish(*this, bit, at, DIM_COL, col_sets[j], row_set))
                    return true;
            }
    }
    return false;
}
