// Random solution construction: greedy cell order, then depth-first search with forward checking.
#include <cstdlib>
#include <cstring>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"
#include "util/comb_util.h"
#include "util/insertion_sort.h"
#include "util/rand_utils.h"
#include "util/utility.h"

namespace {

constexpr int kSearchCells = N_CELLS - 9;  // cells after the first group
constexpr int kFrameWords = kSearchCells;  // one saved mask per remaining cell

// The search with its fixed cell order is heavy-tailed on jigsaw maps: most starts finish within a
// few hundred steps, but an unlucky first-group permutation can cost millions before the search
// gives up on it. A search that has used its budget starts afresh from a new permutation, with a
// larger budget each time. The budgets grow without bound, so the search stays complete: only the
// stop flag or the deadline can end it without a solution. The box map never comes near the first
// budget, so its solutions are the same as those of a single search.
constexpr int kFirstFillBudget = 20000;

}  // namespace

// A group's restriction is the most cells it shares with one row, column or (with x) diagonal;
// the most restricted group is filled first.
void Puzzle::order_groups_by_restriction() {
    int shared[9][N_DIMENSIONS][9] = {};
    for (const PUZZLE_CELL& c : cells) {
        ++shared[c.group][DIM_ROW][c.row];
        ++shared[c.group][DIM_COL][c.col];
        if (c.diag == 0) ++shared[c.group][DIM_DIAG][0];
        if (c.anti_diag == 0) ++shared[c.group][DIM_ANTI_DIAG][0];
    }
    const int last_dim = adjacency == ADJ_X ? DIM_ANTI_DIAG : DIM_COL;
    int restriction[9];
    for (int g = 0; g < 9; ++g) {
        int best = 0;
        for (int d = DIM_ROW; d <= last_dim; ++d)
            for (int h = 0; h < 9; ++h)
                if (shared[g][d][h] > best) best = shared[g][d][h];
        restriction[g] = best;
    }
    void* order[9];
    for (int g = 0; g < 9; ++g) order[g] = first_in_dim[DIM_GROUP][g];
    sort_by_insertion(restriction, 9, order);
    for (int g = 0; g < 9; ++g) first_in_dim[DIM_GROUP][g] = static_cast<PUZZLE_CELL*>(order[g]);
}

void Puzzle::initialize_ordered_ptrs() {
    int n = 0;
    for (int g = 0; g < 9; ++g) {
        PUZZLE_CELL* c = first_in_dim[DIM_GROUP][g];
        for (int k = 0; k < 9; ++k, c = c->next(DIM_GROUP)) ordered_cells[n++] = c;
    }
    ordered_cells[N_CELLS] = nullptr;
}

void Puzzle::compare_to_first_group() {
    for (int i = 9; i < N_CELLS; ++i) {
        PUZZLE_CELL* c = ordered_cells[i];
        for (int k = 0; k < 9; ++k) c->status += are_neighbors(c, ordered_cells[k]);
    }
}

// Repeatedly brings the cell that sees the most placed cells forward (stable: ties keep order).
void Puzzle::sort_ordered_ptrs() {
    for (int i = 9; i < N_CELLS - 1; ++i) {
        for (int a = i + 1; a < N_CELLS; ++a) {
            PUZZLE_CELL* c = ordered_cells[a];
            int b = a - 1;
            for (; b >= i && ordered_cells[b]->status < c->status; --b) ordered_cells[b + 1] = ordered_cells[b];
            ordered_cells[b + 1] = c;
        }
        const PUZZLE_CELL* chosen = ordered_cells[i];
        for (int a = i + 1; a < N_CELLS; ++a)
            if (are_neighbors(chosen, ordered_cells[a])) ++ordered_cells[a]->status;
    }
    ordered_cells[N_CELLS] = nullptr;
}

void Puzzle::initialize_first_group() {
    int digits[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    random_combination(9, 9, digits);
    for (int k = 0; k < 9; ++k) {
        PUZZLE_CELL* c = ordered_cells[k];
        c->solution = 1 << digits[k];
        c->elim_bits = 1u << digits[k];
        c->status = 0;
    }
}

bool Puzzle::initialize_rest_of_array() {
    for (int i = 9; i < N_CELLS; ++i) {
        PUZZLE_CELL* c = ordered_cells[i];
        c->solution = 0;
        c->status = 0;
        uint32_t mask = ALL_DIGITS;
        for (int k = 0; k < 9; ++k)
            if (are_neighbors(c, ordered_cells[k])) mask &= ~static_cast<uint32_t>(ordered_cells[k]->solution);
        c->elim_bits = mask;
        if (!mask) return false;
    }
    return true;
}

bool Puzzle::set_value(PUZZLE_CELL* cell) {
    int n = n_digits(cell->elim_bits);
    if (n == 0) return false;
    int r = static_cast<int>(arc4random_uniform(static_cast<uint32_t>(n)));
    cell->solution = static_cast<int32_t>(get_nth_nonzero_bit(cell->elim_bits, r + 1));
    return true;
}

bool Puzzle::exclude_value_from_future_cell(const PUZZLE_CELL* placed, PUZZLE_CELL* later) {
    if (!are_neighbors(placed, later)) return true;
    later->elim_bits &= ~static_cast<uint32_t>(placed->solution);
    return later->elim_bits != 0;
}

bool Puzzle::exclude_value_from_future_cells(const PUZZLE_CELL* placed, PUZZLE_CELL** later) {
    for (; *later; ++later)
        if (!exclude_value_from_future_cell(placed, *later)) return false;
    return true;
}

// One search step's checks: the stop flag, the deadline (read every 1024 steps) and the budget.
bool Puzzle::fill_step_allowed() {
    if (fill_stop_requested()) return false;
    if (deadline_ms > 0) {
        fill_calls = static_cast<int32_t>(static_cast<uint32_t>(fill_calls) + 1);
        if (fill_calls % 1024 == 0 && steady_now_ms() >= deadline_ms) {
            stop_fill();
            return false;
        }
    }
    return --fill_budget >= 0;
}

bool Puzzle::recursively_fill_cells(PUZZLE_CELL** list, unsigned* save) {
    if (!fill_step_allowed()) return false;
    PUZZLE_CELL* x = list[0];
    if (!x) return false;
    int n = 0;
    for (PUZZLE_CELL** p = list; *p; ++p) save[n++] = (*p)->elim_bits;
    PUZZLE_CELL** rest = list + 1;
    if (!*rest) {
        x->solution = static_cast<int32_t>(x->elim_bits);
        return true;
    }
    while (set_value(x)) {
        if (exclude_value_from_future_cells(x, rest) && recursively_fill_cells(rest, save + kFrameWords))
            return true;
        x->elim_bits &= ~static_cast<uint32_t>(x->solution);
        for (int i = 1; i < n; ++i) rest[i - 1]->elim_bits = save[i];
    }
    return false;
}

// True when every 3x3 box is one group: the layout the fixed greedy order was made for.
bool Puzzle::groups_are_boxes() const {
    for (const PUZZLE_CELL& c : cells)
        if (c.group != cells[(c.row / 3 * 3) * 9 + c.col / 3 * 3].group) return false;
    return true;
}

bool Puzzle::construct_solution() {
    order_groups_by_restriction();
    initialize_ordered_ptrs();
    compare_to_first_group();
    sort_ordered_ptrs();
    bool ok = false;
    auto* save = static_cast<unsigned*>(std::calloc(kSearchCells * kFrameWords, sizeof(unsigned)));
    if (!save) std::abort();
    const bool boxes = groups_are_boxes();
    int budget = kFirstFillBudget;
    while (!ok && !fill_stop_requested()) {
        initialize_first_group();
        fill_budget = budget;
        // A cell that sees every digit of the first group sees nine distinct digits whatever their
        // order, so no other start can do better.
        if (!initialize_rest_of_array()) break;
        ok = boxes ? recursively_fill_cells(&ordered_cells[9], save) : fill_tightest_first(save);
        if (!ok && fill_budget >= 0) break;  // the search ran out of choices: this map has no solution here
        budget = budget > INT32_MAX - kFirstFillBudget ? INT32_MAX : budget + kFirstFillBudget;
    }
    std::free(save);
    // The group pointers were reordered by restriction; give them back their row-major order.
    setup_ptrs_first_in_dims();
    return ok;
}

void Puzzle::convert_to_playing_form() {
    for (PUZZLE_CELL& c : cells) {
        auto set = static_cast<uint32_t>(c.solution);
        int digit = set < 1050 ? bit_2_digit_array[set] : 0;
        c.elim_bits = c.status ? 1u << digit : 0u;
        c.user_answer = 0;
        c.small_mode = 0;
        c.reserved = 0;
        c.solution = digit;
    }
}
