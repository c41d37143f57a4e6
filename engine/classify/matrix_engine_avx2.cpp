// The exact counter's search built for AVX2; matrix_engine.cpp calls it only on machines that have it.
#include "classify/matrix_engine_search.h"

namespace matrix_engine {

int count_avx2(const Ops& ops, const Vec& cand, const Vec& fixed, int limit, int (*out)[81], int n_collected,
               long& budget, int64_t deadline_ms) {
    return search_from(ops, cand, fixed, limit, out, n_collected, budget, deadline_ms);
}

bool singles_fix_avx2(const Ops& ops, Vec& cand, Vec& fixed, bool hidden) {
    return singles_from(ops, cand, fixed, hidden);
}

}  // namespace matrix_engine
