// Harvests and targeted searches: a random solution dug down one clue at a time, every grid classified.
#include "generator/generator.h"

#include <cstdlib>
#include <cstring>

#include "classify/puzzle_classify.h"
#include "ffi/quorvel.h"
#include "util/utility.h"

namespace {

using Grid = int[9][9];

int& at(Grid g, int cell) { return g[cell / 9][cell % 9]; }

struct Clock {
    int64_t start;
    int64_t budget_ms;
    bool exceeded() const { return budget_ms > 0 && steady_now_ms() - start > budget_ms; }
    int64_t elapsed() const { return steady_now_ms() - start; }
};

// A random solution made through the exported calls: its digits, groups and (when asked) colours.
bool make_solution(const GenParams& params, Grid solution, Grid groups, int32_t* colors) {
    SudokuHandle* h = sudoku_new();
    if (!h) return false;
    if (params.solution_deadline_ms > 0) sudoku_set_deadline_ms(h, params.solution_deadline_ms);
    const bool made = sudoku_generate_solution(h, params.map_kind == 1 ? 1 : 0, params.adjacency == 1 ? 1 : 0) == 1;
    if (made) {
        for (int k = 0; k < 81; ++k) {
            SudokuCellInfo info;
            sudoku_get_cell(h, k, &info);
            at(solution, k) = info.solution;
            at(groups, k) = info.group;
        }
        if (colors) sudoku_get_color_map(h, colors);
    }
    sudoku_free(h);
    return made;
}

// The bucket of a grid the technique ladder alone solves uniquely; -1 for any other grid.
int qualifying_bucket(const GenParams& params, const Grid grid, const Grid groups, long budget) {
    const ClassifyResult r = classify_puzzle(params.map_kind, params.adjacency, grid, groups, budget);
    if (!r.unique || r.level >= kNSolveLevels) return -1;
    return gen_bucket_index(r.label);
}

int count_clues(const Grid grid) {
    int n = 0;
    for (int k = 0; k < 81; ++k) n += grid[k / 9][k % 9] != 0;
    return n;
}

void copy_grid(int32_t* to, const Grid from) { std::memcpy(to, from, sizeof(Grid)); }

// Visits the cells in a fresh dig order while the clock allows: each clue still there is taken out
// and the grid classified; keep(bucket) decides whether the removal stays (bucket -1: the grid does
// not qualify), else the clue goes back.
template <typename Keep>
void dig(const GenParams& params, const Clock& clock, uint32_t& x, Grid grid, const Grid groups, int64_t& calls,
         Keep keep) {
    int order[81];
    shuffle_dig_order(x, order);
    for (int cell : order) {
        if (clock.exceeded()) return;
        const int digit = at(grid, cell);
        if (!digit) continue;
        at(grid, cell) = 0;
        ++calls;
        if (!keep(qualifying_bucket(params, grid, groups, static_cast<long>(params.classify_node_limit))))
            at(grid, cell) = digit;
    }
}

}  // namespace

void shuffle_dig_order(uint32_t& x, int order[81]) {
    for (int i = 0; i < 81; ++i) order[i] = i;
    for (int i = 80; i >= 1; --i) {
        const uint32_t j = xorshift32(x) % static_cast<uint32_t>(i + 1);
        const int t = order[i];
        order[i] = order[j];
        order[j] = t;
    }
}

HarvestResult generate_harvest(const GenParams& params) {
    HarvestResult r;
    std::memset(&r, 0, sizeof r);
    const Clock clock{steady_now_ms(), params.time_budget_ms};
    Grid grid, groups;
    if (!make_solution(params, grid, groups, r.color_map)) {
        r.elapsed_ms = clock.elapsed();
        return r;
    }
    r.ok = 1;
    copy_grid(r.solution, grid);
    copy_grid(r.groups, groups);

    uint32_t x = params.seed ? params.seed : kHarvestDefaultSeed;
    dig(params, clock, x, grid, groups, r.classify_calls, [&](int b) {
        if (b < 0) return false;
        copy_grid(r.bucket_clues[b], grid);
        r.bucket_filled[b] = 1;
        r.bucket_clue_count[b] = count_clues(grid);
        return true;
    });
    r.elapsed_ms = clock.elapsed();
    return r;
}

TargetedResult generate_targeted(const GenParams& params) {
    TargetedResult r;
    std::memset(&r, 0, sizeof r);
    r.bucket = -1;
    const Clock clock{steady_now_ms(), params.time_budget_ms};
    if (params.max_attempts < 0) {
        r.elapsed_ms = clock.elapsed();
        return r;
    }
    const int target = params.target_bucket;
    uint32_t x = params.seed ? params.seed : kTargetedDefaultSeed;
    int64_t best_distance = int64_t{1} << 30;
    for (int a = 0;; ++a) {
        if (clock.exceeded()) break;
        r.attempt = a;
        Grid grid, groups, snapshot;
        // A failed solution still uses up its attempt, so a search whose solutions keep failing ends.
        if (make_solution(params, grid, groups, nullptr)) {
            Grid solution;
            std::memcpy(solution, grid, sizeof solution);
            bool snapped = false;
            dig(params, clock, x, grid, groups, r.classify_calls, [&](int b) {
                if (b < 0 || b > target) return false;
                if (b == target) {
                    std::memcpy(snapshot, grid, sizeof snapshot);
                    snapped = true;
                }
                return true;
            });
            if (snapped) std::memcpy(grid, snapshot, sizeof grid);
            ++r.classify_calls;
            const int h = qualifying_bucket(params, grid, groups, 0);
            const int64_t distance = std::abs(int64_t{h} - target);
            if (h >= 0 && (h == target || distance < best_distance)) {
                best_distance = distance;
                r.bucket = h;
                r.clue_count = count_clues(grid);
                copy_grid(r.clues, grid);
                copy_grid(r.solution, solution);
                copy_grid(r.groups, groups);
                r.elapsed_ms = clock.elapsed();
                if (h == target) {
                    r.ok = 1;
                    return r;
                }
            }
        }
        if (a >= params.max_attempts) break;
    }
    r.elapsed_ms = clock.elapsed();
    return r;
}
