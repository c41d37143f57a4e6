// Basic fish over rows and columns (X-wing, swordfish, jellyfish), with the digit order and house lists.
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

void Puzzle::sort_unsolved_digits(int* digits, int* counts) {
    count_and_sort(*this, 9, digits, counts, -1);
}

void Puzzle::sort_unsolved_digits(int* digits, int* counts, int group) {
    int n = 0;
    while (digits[n] != 0) ++n;
    count_and_sort(*this, n, digits, counts, group);
}

bool Puzzle::simplify_once_fish_methods(METHOD_TYPE m) {
    int digits[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    int counts[9];
    sort_unsolved_digits(digits, counts);
    // Digits held by four unsolved cells or fewer are left to the simpler techniques.
    int i0 = 0;
    while (i0 < 9 && counts[i0] <= 4) ++i0;

    for (int i = i0; i < 9; ++i) {
        const unsigned bit = 1u << digits[i];
        int houses[3][9];
        const int n_rows = determine_unsolved_houses_for_digit(DIM_ROW, houses[DIM_ROW], bit);
        const int n_cols = determine_unsolved_houses_for_digit(DIM_COL, houses[DIM_COL], bit);
        if (m == METHOD_FRANKEN_FISH) {
            if (counts[i] < 9) continue;
            const int n_groups = determine_unsolved_houses_for_digit(DIM_GROUP, houses[DIM_GROUP], bit);
            if (simplify_once_franken_fish_for_digit(bit, n_rows, n_groups, houses)) return true;
        } else if (simplify_once_rows_and_cols_for_digit(m, bit, n_rows, n_cols, houses[DIM_ROW],
                                                         houses[DIM_COL])) {
            return true;
        }
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
        col_sets[j] = fish::picked(cols, combination_for_combnumber(n_cols, k, j), k);
        col_spans[j] = 0;
        fish::for_each_member(col_sets[j], [&](int col) { col_spans[j] |= at.of(DIM_COL, col); });
    }
    for (int i = 0; i < n_row_sets; ++i) {
        const unsigned row_set = fish::picked(rows, combination_for_combnumber(n_rows, k, i), k);
        unsigned row_span = 0;
        fish::for_each_member(row_set, [&](int row) { row_span |= at.of(DIM_ROW, row); });
        for (int j = 0; j < n_col_sets; ++j) {
            if (!(row_span & ~col_sets[j]) && fish::lines_fish(*this, bit, at, DIM_ROW, row_set, col_sets[j]))
                return true;
            if (columns_as_base && !(col_spans[j] & ~row_set) &&
                fish::lines_fish(*this, bit, at, DIM_COL, col_sets[j], row_set))
                return true;
        }
    }
    return false;
}
