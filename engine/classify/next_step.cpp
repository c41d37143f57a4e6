// The next step: the solution is settled first (so a wrong digit is named and no step can remove a
// solution digit), then the ladder's techniques are tried from the easiest, one productive step each.
#include "classify/next_step.h"

#include <cstdio>
#include <cstring>

#include "classify/matrix_engine.h"
#include "classify/puzzle_classify.h"
#include "ffi/techniques.h"
#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

namespace {

constexpr long kDefaultBudget = 10'000'000;

// Name of the ladder's technique at a ladder index, for players.
const char* step_name(int li) { return techniques::technique_at(li)->title; }

struct Scratch {
    Puzzle* p = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
    Scratch() {
        if (!p) std::abort();
    }
    ~Scratch() {
        std::free(p->are_neighbors_array);
        std::free(p);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

// House numbers of a cell: row, column, group and, with x, the diagonals.
int houses_of(const Puzzle& p, int k, int* out) {
    int n = 0;
    out[n++] = k / 9;
    out[n++] = 9 + k % 9;
    out[n++] = 18 + p.cells[k].group;
    if (p.x_flag() && k / 9 == k % 9) out[n++] = 27;
    if (p.x_flag() && k / 9 + k % 9 == 8) out[n++] = 28;
    return n;
}

uint32_t house_bits(const Puzzle& p, int k) {
    int h[5];
    uint32_t bits = 0;
    for (int i = houses_of(p, k, h); i-- > 0;) bits |= 1u << h[i];
    return bits;
}

void set_name(SudokuStep* out, const char* name) { std::snprintf(out->name, sizeof out->name, "%s", name); }

// A naked single: an open cell with one candidate left.
bool find_naked_single(const Puzzle& p, const bool* open, SudokuStep* out) {
    for (int k = 0; k < N_CELLS; ++k) {
        if (!open[k] || n_digits(p.cells[k].elim_bits) != 1) continue;
        out->placed[k] = bit_2_digit_array[p.cells[k].elim_bits & 0x3ff];
        out->pattern[k] = 1;
        out->houses = house_bits(p, k);
        return true;
    }
    return false;
}

// A hidden single: a digit with one place left in a house, the house scanned in order.
bool find_hidden_single(const Puzzle& p, const bool* open, SudokuStep* out) {
    const int n_houses = p.x_flag() ? 29 : 27;
    for (int h = 0; h < n_houses; ++h) {
        for (int d = 1; d <= 9; ++d) {
            int where = -1, count = 0;
            bool shown = false;
            for (int k = 0; k < N_CELLS && !shown; ++k) {
                if (!(house_bits(p, k) & (1u << h))) continue;
                if (!open[k]) {
                    shown = p.cells[k].elim_bits == (1u << d);
                    continue;
                }
                if (p.cells[k].elim_bits & (1u << d)) where = k, ++count;
            }
            if (shown || count != 1) continue;
            out->placed[where] = d;
            out->pattern[where] = 1;
            out->houses = 1u << h;
            return true;
        }
    }
    return false;
}

// The cells that make an elimination: open cells outside the removals that held a removed digit
// and see every cell that loses it; the houses that hold all of them, or all of them and a removal.
void mark_pattern(const Puzzle& p, const uint32_t* before, SudokuStep* out) {
    for (int d = 1; d <= 9; ++d) {
        const uint32_t bit = 1u << d;
        uint32_t common_removed = ~0u;
        bool any = false;
        for (int r = 0; r < N_CELLS; ++r)
            if (out->removed[r] & bit) {
                any = true;
                common_removed &= house_bits(p, r);
            }
        if (!any) continue;
        uint32_t common_pattern = ~0u;
        int n_pattern = 0;
        for (int k = 0; k < N_CELLS; ++k) {
            if ((out->removed[k] & bit) || !(before[k] & bit) || n_digits(before[k]) == 1) continue;
            bool sees_all = true;
            for (int r = 0; r < N_CELLS && sees_all; ++r)
                if (out->removed[r] & bit) sees_all = p.are_neighbors_array[k * N_CELLS + r] != 0;
            if (!sees_all) continue;
            out->pattern[k] = 1;
            common_pattern &= house_bits(p, k);
            ++n_pattern;
        }
        if (n_pattern >= 2) out->houses |= common_pattern & ((1u << 29) - 1);
        if (n_pattern >= 1) out->houses |= common_pattern & common_removed & ((1u << 29) - 1);
    }
}

}  // namespace

void next_step(const int* givens, const int* answers, const int* candidates, const int* groups, int map_kind,
               int adjacency, long node_budget, SudokuStep* out) {
    if (!out) return;
    std::memset(out, 0, sizeof *out);
    out->status = -1;
    out->level = out->method = out->wrong_cell = -1;
    if (!givens || !groups) return;
    int clue_grid[9][9], group_grid[9][9], shown[9][9];
    for (int k = 0; k < N_CELLS; ++k) {
        const int a = answers ? answers[k] : 0;
        if (givens[k] < 0 || givens[k] > 9 || a < 0 || a > 9 || (candidates && (candidates[k] & ~0x3fe))) return;
        clue_grid[k / 9][k % 9] = givens[k];
        group_grid[k / 9][k % 9] = groups[k];
        shown[k / 9][k % 9] = givens[k] ? givens[k] : a;
    }
    if (!classify_input_is_valid(clue_grid, group_grid)) return;
    const ADJACENCY_TYPE adj = adjacency == 1 ? ADJ_X : ADJ_REGULAR;
    const MAP_TYPE map = map_kind == 1 ? MAP_IRREGULAR : MAP_SQUARE;
    if (!clues_are_consistent(adj, clue_grid, group_grid)) {
        out->status = -3;
        return;
    }

    // The solution of the givens decides what is wrong and keeps every step honest.
    const matrix_engine::Ops* ops = matrix_engine::compile(adj == ADJ_X, group_grid);
    if (!ops) return;
    matrix_engine::Vec fixed{};
    for (int k = 0; k < N_CELLS; ++k)
        if (givens[k]) fixed.set(9 * k + givens[k] - 1);
    long budget = node_budget > 0 ? node_budget : kDefaultBudget;
    int solutions[2][81] = {};
    const int count = matrix_engine::count_completions_collect(*ops, matrix_engine::full_vec(), fixed, 2, solutions, 0,
                                                               budget);
    if (count < 0) {
        out->status = -4;
        return;
    }
    if (count != 1) {
        out->status = -3;
        return;
    }
    const int* solution = solutions[0];
    for (int k = 0; k < N_CELLS; ++k)
        if (!givens[k] && answers && answers[k] && answers[k] != solution[k]) {
            out->status = -2;
            out->wrong_cell = k;
            return;
        }

    Scratch s;
    Puzzle& p = *s.p;
    setup_for_classify(p, map, adj, shown, group_grid);
    bool open[N_CELLS];
    int n_open = 0;
    for (int k = 0; k < N_CELLS; ++k) {
        open[k] = shown[k / 9][k % 9] == 0;
        n_open += open[k];
    }
    // Candidates: what the houses allow, narrowed by the player's marks, never without the solution digit.
    for (int k = 0; k < N_CELLS; ++k) {
        if (!open[k]) continue;
        uint32_t allowed = ALL_DIGITS;
        for (int j = 0; j < N_CELLS; ++j)
            if (!open[j] && p.are_neighbors_array[k * N_CELLS + j]) allowed &= ~p.cells[j].elim_bits;
        if (candidates && candidates[k]) allowed &= static_cast<uint32_t>(candidates[k]);
        p.cells[k].elim_bits = allowed | (1u << solution[k]);
    }
    if (n_open == 0) {
        out->status = 0;
        return;
    }
    const bool naked = find_naked_single(p, open, out);
    if (naked || find_hidden_single(p, open, out)) {
        out->level = naked ? 0 : 1;
        out->method = kSolveLevels[out->level];
        out->status = 1;
        set_name(out, step_name(out->level));
        return;
    }
    uint32_t before[N_CELLS];
    for (int li = 2; li < kNSolveLevels; ++li) {
        for (int k = 0; k < N_CELLS; ++k) before[k] = p.cells[k].elim_bits;
        std::memset(p.technique_counts, 0, sizeof p.technique_counts);
        const METHOD_TYPE m = kSolveLevels[li];
        const bool progress = p.simplify(m);
        bool sound = progress, changed = false;
        for (int k = 0; k < N_CELLS; ++k) {
            const uint32_t gone = before[k] & ~p.cells[k].elim_bits;
            if (gone & (1u << solution[k])) sound = false;
            changed = changed || gone;
        }
        if (!sound || !changed) {
            for (int k = 0; k < N_CELLS; ++k) p.cells[k].elim_bits = before[k];
            continue;
        }
        for (int k = 0; k < N_CELLS; ++k) {
            out->removed[k] = static_cast<int32_t>(before[k] & ~p.cells[k].elim_bits);
            if (open[k] && n_digits(before[k]) > 1 && n_digits(p.cells[k].elim_bits) == 1)
                out->placed[k] = bit_2_digit_array[p.cells[k].elim_bits & 0x3ff];
        }
        mark_pattern(p, before, out);
        out->status = 1;
        out->level = li;
        out->method = m;
        set_name(out, m == METHOD_XY_XYZ_WING && p.technique_counts[SLOT_XYZ_WING] ? techniques::technique_title(SLOT_XYZ_WING) : step_name(li));
        return;
    }
    // Past the forcing net only a search goes on: name the cell the solution fills next.
    for (int k = 0; k < N_CELLS; ++k)
        if (open[k]) {
            out->placed[k] = solution[k];
            out->pattern[k] = 1;
            out->houses = house_bits(p, k);
            break;
        }
    out->status = 1;
    out->level = kNSolveLevels;
    out->method = METHOD_BRUTE_FORCE;
    set_name(out, step_name(kNSolveLevels));
}
