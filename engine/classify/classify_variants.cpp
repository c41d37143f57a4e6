// Classification variants: the easiest verdict over the eight orientations, and the label alone.
#include "classify/canonical_form.h"
#include "classify/puzzle_classify.h"
#include "ffi/quorvel.h"  // declares the two variants, defined here

ClassifyResult classify_puzzle_best_orientation(int map_type, int adjacency, const int clues[9][9],
                                                const int groups[9][9], long budget, int* orientation) {
    const MAP_TYPE map = map_type == MAP_IRREGULAR ? MAP_IRREGULAR : MAP_SQUARE;
    const ADJACENCY_TYPE adj = adjacency == ADJ_X ? ADJ_X : ADJ_REGULAR;
    if (orientation) *orientation = 0;
    const int64_t deadline_ms = classify_deadline();  // one for all eight orientations
    if (!classify_input_is_valid(clues, groups) || !clues_are_consistent(adj, clues, groups))
        return classify_puzzle_until(map_type, adjacency, clues, groups, budget, deadline_ms);
    ClassifyResult best{};
    int best_t = -1, best_bucket = 0;
    for (int t = 0; t < 8; ++t) {
        int c[9][9], g[9][9];
        orient_grid(t, clues, c);
        orient_grid(t, groups, g);
        const ClassifyResult r = classify_impl(map, adj, c, g, budget, deadline_ms);
        if (!r.solvable || !r.unique || r.budget_exhausted) continue;
        const int bucket = gen_bucket_index(r.label);
        if (best_t >= 0 && !(bucket < best_bucket || (bucket == best_bucket && r.level < best.level))) continue;
        best = r;
        best_t = t;
        best_bucket = bucket;
    }
    if (best_t < 0) return classify_puzzle_until(map_type, adjacency, clues, groups, budget, deadline_ms);
    ClassifyResult out = best;
    for (int row = 0; row < 9; ++row)
        for (int col = 0; col < 9; ++col) {
            const GridPos p = orient_pos(best_t, row, col);
            const int from = p.row * 9 + p.col, to = row * 9 + col;
            out.cell_method[to] = best.cell_method[from];
            out.cell_digit[to] = best.cell_digit[from];
            out.cell_given[to] = best.cell_given[from];
        }
    if (orientation) *orientation = best_t;
    return out;
}

const char* classify_puzzle_for_pool(int map_type, int adjacency, const int clues[9][9], const int groups[9][9],
                                     long budget) {
    return classify_puzzle(map_type, adjacency, clues, groups, budget).label;
}

