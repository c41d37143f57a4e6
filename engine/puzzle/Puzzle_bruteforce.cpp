// The brute-force solution count: a depth-first search in cell order that stops at two solutions.
#include <cstring>
#include <ctime>

#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

namespace {

constexpr long kWallClockSeconds = 20;

void print_solution(const Puzzle& p, FILE* out) {
    std::fputs("solved puzzle:\n", out);
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) std::fprintf(out, "%3d ", bit_2_digit_array[p.cells[r * 9 + c].elim_bits & 0x3ff]);
        std::fputs("\n", out);
    }
    std::fflush(out);
}

}  // namespace

bool Puzzle::solve_by_brute_force(FILE* out, long limit) {
    n_solutions = 0;
    node_count = 0;
    node_limit = limit;
    node_limit_hit = 0;
    if (!are_neighbors_array) define_are_neighbors_array();
    // A cell left without candidates (a clue emptied by a clashing clue included) admits no solution;
    // the search itself would only notice it at an open cell.
    for (const PUZZLE_CELL& c : cells)
        if ((c.elim_bits & ALL_DIGITS) == 0) return false;
    brute_force(cells, static_cast<long>(std::time(nullptr)) + kWallClockSeconds, out);
    if (n_solutions != 1) return false;
    technique_counts[SLOT_UNSOLVED] = 0;
    return true;
}

void Puzzle::brute_force(PUZZLE_CELL* from, long deadline, FILE* out) {
    if (n_solutions > 1) return;
    if (node_limit > 0) {
        const int64_t k = node_count++;
        if (k >= node_limit) {
            node_limit_hit = 1;
            n_solutions = 2;
            return;
        }
    }
    PUZZLE_CELL* const end = cells + N_CELLS;
    PUZZLE_CELL* x = from;
    while (x < end && (x->status & STATUS_CLUE)) ++x;
    if (x == end) {
        if (++n_solutions == 1)
            for (int k = 0; k < N_CELLS; ++k) first_solution[k] = cells[k].elim_bits;
        if (out) print_solution(*this, out);
        return;
    }
    // A time-out counts as a solution, so the count soon reaches two and the search unwinds.
    if (static_cast<long>(std::time(nullptr)) > deadline) {
        ++n_solutions;
        return;
    }
    const uint32_t m = x->elim_bits;
    const int xi = index_of(x);
    const uint8_t* seen = are_neighbors_array + xi * N_CELLS;
    PUZZLE_CELL saved[N_CELLS];
    for (int d = 1; d <= 9 && n_solutions <= 1; ++d) {
        const uint32_t bit = 1u << d;
        if (!(m & bit)) continue;
        x->elim_bits = bit;
        std::memcpy(saved, cells, sizeof cells);
        bool open = true;
        for (int y = xi + 1; y < N_CELLS && open; ++y) {
            if (!seen[y]) continue;
            cells[y].elim_bits &= ~bit;
            open = cells[y].elim_bits != 0;
        }
        if (open) brute_force(x + 1, deadline, out);
        std::memcpy(cells, saved, sizeof cells);
    }
    x->elim_bits = m;
}

bool Puzzle::disallow_in_future_neighbors(PUZZLE_CELL* cell) {
    const int ci = index_of(cell);
    const uint8_t* seen = are_neighbors_array + ci * N_CELLS;
    for (int y = ci + 1; y < N_CELLS; ++y) {
        if (!seen[y]) continue;
        cells[y].elim_bits &= ~cell->elim_bits;
        if (cells[y].elim_bits == 0) return false;
    }
    return true;
}

uint32_t Puzzle::add_elim_bits() const {
    uint32_t sum = 0;
    for (const PUZZLE_CELL& c : cells) sum += c.elim_bits;
    return sum;
}
