// Where one digit sits on the rows and columns, and the fish test and elimination over lines.
#pragma once

#include <cstdint>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"
#include "util/sudoku_combinations.h"

namespace fish {

// A cell is unsolved while it has more than one candidate.
inline bool unsolved(const PUZZLE_CELL& c) {
    return n_digits(c.elim_bits) > 1;
}

// Rows are crossed by columns and columns by rows.
inline DIMENSION crossing(DIMENSION line_dim) {
    return line_dim == DIM_ROW ? DIM_COL : DIM_ROW;
}

// The cell at position `pos` of a row or column: a row's positions are its columns, a column's its
// rows, which is the order in which the house rings visit them.
inline PUZZLE_CELL& on_line(Puzzle& p, DIMENSION line_dim, int line, int pos) {
    return line_dim == DIM_ROW ? p.cells[line * 9 + pos] : p.cells[pos * 9 + line];
}

// Calls f(n) for each set bit n of a set of house numbers.
template <typename F>
inline void for_each_member(unsigned set, F f) {
    for (; set; set &= set - 1) f(__builtin_ctz(set));
}

// The set of houses that a combination picks out of a house list.
inline unsigned picked(const int* houses, const int* comb, int k) {
    unsigned set = 0;
    for (int i = 0; i < k; ++i) set |= 1u << houses[comb[i]];
    return set;
}

// For every row and column, the positions of the cells that have one digit (solved cells count).
struct DigitLines {
    uint16_t at[2][9] = {};

    DigitLines(const Puzzle& p, unsigned bit) {
        for (const PUZZLE_CELL& c : p.cells) {
            if (!(c.elim_bits & bit)) continue;
            at[0][c.row] |= static_cast<uint16_t>(1u << c.col);
            at[1][c.col] |= static_cast<uint16_t>(1u << c.row);
        }
    }
    unsigned of(DIMENSION line_dim, int line) const { return at[line_dim == DIM_ROW ? 0 : 1][line]; }
};

// The fish whose base is the set `base` of lines of base_dim and whose cover is the set `cover` of
// crossing lines: when every base line has the digit only where it crosses a cover line, each cover
// line's copy of the digit lies on a base line, so the digit leaves the cover lines' other cells.
// True when that removed something; `at` must describe the grid as it is.
inline bool lines_fish(Puzzle& p, unsigned bit, const DigitLines& at, DIMENSION base_dim, unsigned base,
                       unsigned cover) {
    for (unsigned s = base; s; s &= s - 1)
        if (at.of(base_dim, __builtin_ctz(s)) & ~cover) return false;
    const DIMENSION cover_dim = crossing(base_dim);
    bool removed = false;
    for_each_member(cover, [&](int line) {
        for_each_member(at.of(cover_dim, line) & ~base, [&](int pos) {
            on_line(p, cover_dim, line, pos).elim_bits &= ~bit;
            removed = true;
        });
    });
    return removed;
}

// The groups that each row (index 0) and column (index 1) meets, as sets, from the puzzle's overlap table.
struct LineGroups {
    uint16_t meets[2][9] = {};

    explicit LineGroups(const Puzzle& p) {
        for (int t = 0; t < 2; ++t)
            for (int line = 0; line < 9; ++line)
                for (int g = 0; g < 9; ++g)
                    if (p.group_overlap[t][9 * line + g]) meets[t][line] |= static_cast<uint16_t>(1u << g);
    }
    unsigned of(DIMENSION line_dim, unsigned lines) const {
        unsigned groups = 0;
        for_each_member(lines, [&](int line) { groups |= meets[line_dim == DIM_ROW ? 0 : 1][line]; });
        return groups;
    }
};

// For the k-subsets of 0..n-1 (k = 1..5) in table order: which of them hold each index i (bit j for
// subset j), and how many come before the first whose smallest index is m or more. A scan over
// subsets that asks only for those holding some indexes, or some of others, finds them at once.
struct SubsetIndex {
    uint64_t with[10][6][9][2] = {};
    int before[10][6][10] = {};

    SubsetIndex() {
        for (int n = 1; n <= 9; ++n)
            for (int k = 1; k <= 5 && k <= n; ++k) {
                const int count = n_combinations(n, k);
                for (int m = 0; m <= 9; ++m) before[n][k][m] = count;
                for (int j = count - 1; j >= 0; --j) {
                    const int* comb = comb_at(n, k, j);
                    for (int t = 0; t < k; ++t) with[n][k][comb[t]][j >> 6] |= uint64_t{1} << (j & 63);
                    for (int m = 0; m <= comb[0]; ++m) before[n][k][m] = j;
                }
            }
    }
};

inline const SubsetIndex& subset_index() {
    static const SubsetIndex index;
    return index;
}

}  // namespace fish
