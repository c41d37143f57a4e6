// The exported counting call: the exact solution counter on its own, without the technique ladder.
#include <cstring>

#include "classify/matrix_engine.h"
#include "classify/puzzle_classify.h"
#include "ffi/quorvel.h"

namespace {

constexpr long kUnbounded = 1L << 62;

}  // namespace

extern "C" int sudoku_count_solutions(const int* clues, const int* groups, int adjacency, int limit, long node_budget,
                                      int* solution) {
    if (!clues || !groups || limit < 1) return -2;
    int c[9][9], g[9][9];
    for (int k = 0; k < 81; ++k) {
        c[k / 9][k % 9] = clues[k];
        g[k / 9][k % 9] = groups[k];
    }
    if (!classify_input_is_valid(c, g)) return -2;
    const ADJACENCY_TYPE adj = adjacency == 1 ? ADJ_X : ADJ_REGULAR;
    if (!clues_are_consistent(adj, c, g)) return 0;
    const matrix_engine::Ops* ops = matrix_engine::compile(adj == ADJ_X, g);
    if (!ops) return -2;
    matrix_engine::Vec fixed{};
    for (int k = 0; k < 81; ++k)
        if (clues[k]) fixed.set(9 * k + clues[k] - 1);
    long budget = node_budget > 0 ? node_budget : kUnbounded;
    int found[2][81] = {};
    const int n = matrix_engine::count_completions_collect(*ops, matrix_engine::full_vec(), fixed, limit, found, 0,
                                                           budget);
    if (n > 0 && solution) std::memcpy(solution, found[0], sizeof found[0]);
    return n;
}
