// Building the combination tables under a process-wide once-flag.
#include "util/sudoku_combinations.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "util/comb_util.h"

int n_combs[10][10];
int** combs_for_n_k[10][10];

namespace {

int* new_ints(int n) {
    auto* p = static_cast<int*>(std::calloc(n, sizeof(int)));
    if (!p) std::abort();
    return p;
}

int** new_ptrs(int n) {
    auto* p = static_cast<int**>(std::calloc(n, sizeof(int*)));
    if (!p) std::abort();
    return p;
}

}  // namespace

// The tables live until the process ends; they are never freed.
void build_comb_tables() {
    for (int n = 0; n <= 9; ++n) {
        n_combs[n][0] = 1;
        combs_for_n_k[n][0] = new_ptrs(1);
        combs_for_n_k[n][0][0] = new_ints(1);
    }
    for (int n = 1; n <= 9; ++n) {
        for (int k = 1; k <= n; ++k) {
            long count = 1;
            for (int i = 0; i < k; ++i) count = count * (n - i) / (i + 1);
            n_combs[n][k] = static_cast<int>(count);
            int** entries = new_ptrs(static_cast<int>(count));
            if (k == 1) {
                for (int l = 0; l < count; ++l) {
                    entries[l] = new_ints(1);
                    entries[l][0] = l;
                }
            } else {
                int state[9] = {};
                for (int l = 0; generate_combination(k, n, state); ++l) {
                    entries[l] = new_ints(k);
                    for (int i = 0; i < k; ++i) entries[l][i] = state[i];
                }
            }
            combs_for_n_k[n][k] = entries;
        }
    }
}

void initialize_comb_routine(void) {
    // The lookups below sit in the fish searches' inner loops: once the tables are built, a
    // single acquire load stands in for the once-flag.
    static std::atomic<bool> built{false};
    if (built.load(std::memory_order_acquire)) return;
    static std::once_flag once;
    std::call_once(once, build_comb_tables);
    built.store(true, std::memory_order_release);
}

int n_combinations(int n, int k) {
    initialize_comb_routine();
    return n_combs[n][k];
}

int* combination_for_combnumber(int n, int k, int i) {
    initialize_comb_routine();
    return combs_for_n_k[n][k][i];
}

