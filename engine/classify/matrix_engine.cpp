// The exact solution counter: compiling a map's rules into bit masks, the shared cache, singles and search.
#include "classify/matrix_engine.h"

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "classify/matrix_engine_search.h"

namespace matrix_engine {

namespace {

using Key = std::array<int, 82>;

std::map<Key, std::unique_ptr<Ops>> cache;
std::mutex cache_mutex;

bool is_map(const int groups[9][9]) {
    int size[9] = {};
    for (int k = 0; k < 81; ++k) {
        const int g = groups[k / 9][k % 9];
        if (g < 0 || g > 8 || ++size[g] > 9) return false;
    }
    return true;
}

std::unique_ptr<Ops> build(bool x, const int groups[9][9]) {
    auto ops = std::make_unique<Ops>();  // zeroed
    int unit_cells[kMaxUnits][9];
    int n_units = 0;
    for (int r = 0; r < 9; ++r, ++n_units)
        for (int i = 0; i < 9; ++i) unit_cells[n_units][i] = 9 * r + i;
    for (int c = 0; c < 9; ++c, ++n_units)
        for (int i = 0; i < 9; ++i) unit_cells[n_units][i] = c + 9 * i;
    for (int g = 0; g < 9; ++g, ++n_units)
        for (int k = 0, i = 0; k < 81; ++k)
            if (groups[k / 9][k % 9] == g) unit_cells[n_units][i++] = k;
    if (x) {
        for (int i = 0; i < 9; ++i) unit_cells[n_units][i] = 10 * i;
        for (int i = 0; i < 9; ++i) unit_cells[n_units + 1][i] = 8 + 8 * i;
        n_units += 2;
    }
    ops->n_units = n_units;

    bool peer[81][81] = {};
    for (int u = 0; u < n_units; ++u)
        for (int a : unit_cells[u])
            for (int b : unit_cells[u]) peer[a][b] = a != b;

    for (int u = 0; u < n_units; ++u)
        for (int i = 0; i < 9; ++i) {
            const int k = unit_cells[u][i];
            ops->unit_cells[u][i] = static_cast<uint8_t>(k);
            for (int d = 0; d < 9; ++d) ops->unit_digit[9 * u + d].set(9 * k + d);
        }
    for (int u = 0; u < n_units; ++u) {
        ops->all_units |= 1u << u;
        for (int k : unit_cells[u]) {
            (k < 64 ? ops->unit_lo[u] : ops->unit_hi[u]) |= uint64_t{1} << (k & 63);
            ops->cell_units[k] |= 1u << u;
        }
    }
    for (int k = 0; k < 81; ++k)
        for (int p = 0; p < 81; ++p)
            if (peer[k][p]) ops->peer_mask[k][p >> 6] |= uint64_t{1} << (p & 63);
    for (int k = 0; k < 81; ++k)
        for (int d = 0; d < 9; ++d) {
            Vec& e = ops->elim[9 * k + d];
            for (int j = 0; j < 9; ++j)
                if (j != d) e.set(9 * k + j);
            for (int p = 0; p < 81; ++p)
                if (peer[k][p]) e.set(9 * p + d);
        }
    return ops;
}

}  // namespace

Vec full_vec() {
    static const Vec full = [] {
        Vec v{};
        for (int b = 0; b < kBits; ++b) v.set(b);
        return v;
    }();
    return full;
}

const Ops* compile(bool x, const int groups[9][9]) {
    if (!groups || !is_map(groups)) return nullptr;
    Key key;
    key[0] = x ? 1 : 0;
    for (int k = 0; k < 81; ++k) key[k + 1] = groups[k / 9][k % 9];
    std::lock_guard<std::mutex> lock(cache_mutex);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second.get();
    const Ops* ops = (cache[key] = build(x, groups)).get();
    return ops;
}

namespace {

#if defined(__x86_64__)
bool machine_has_avx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
}
#else
bool machine_has_avx2() { return false; }
#endif

const bool has_avx2 = machine_has_avx2();
std::atomic<bool> use_avx2{has_avx2};

}  // namespace

bool search_path_available(SearchPath path) { return path == SearchPath::portable || has_avx2; }

bool set_search_path(SearchPath path) {
    if (!search_path_available(path)) return false;
    use_avx2.store(path == SearchPath::avx2, std::memory_order_relaxed);
    return true;
}

SearchPath search_path() {
    return use_avx2.load(std::memory_order_relaxed) ? SearchPath::avx2 : SearchPath::portable;
}

void singles_fix(const Ops& ops, Vec& cand, Vec& fixed, bool hidden) {
    const bool ok = search_path() == SearchPath::avx2 ? singles_fix_avx2(ops, cand, fixed, hidden)
                                                      : singles_from(ops, cand, fixed, hidden);
    if (!ok) cand = Vec{};
}

bool contradiction(const Ops& ops, const Vec& cand, const Vec& /*fixed*/) {
    for (int k = 0; k < 81; ++k)
        if (!cand.cell(k)) return true;
    for (int i = 0; i < 9 * ops.n_units; ++i) {
        uint64_t meet = 0;
        for (int w = 0; w < kWords; ++w) meet |= cand.w[w] & ops.unit_digit[i].w[w];
        if (!meet) return true;
    }
    return false;
}

namespace {

// The search under both bounds: the node budget, and a steady-clock deadline (0: none) read every
// 1024 nodes, which ends the search by emptying the budget.
int count_until(const Ops& ops, const Vec& cand, const Vec& fixed, int limit, int (*out)[81], int n_collected,
                long& budget, int64_t deadline_ms) {
    if (search_path() == SearchPath::avx2)
        return count_avx2(ops, cand, fixed, limit, out, n_collected, budget, deadline_ms);
    return search_from(ops, cand, fixed, limit, out, n_collected, budget, deadline_ms);
}

}  // namespace

int count_completions_collect(const Ops& ops, Vec cand, Vec fixed, int limit, int (*out)[81], int n_collected,
                              long& budget) {
    return count_until(ops, cand, fixed, limit, out, n_collected, budget, 0);
}

int count_completions_until(const Ops& ops, Vec cand, Vec fixed, int limit, int (*out)[81], long& budget,
                            int64_t deadline_ms) {
    return count_until(ops, cand, fixed, limit, out, 0, budget, deadline_ms);
}

}  // namespace matrix_engine
