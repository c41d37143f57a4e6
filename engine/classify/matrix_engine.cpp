// The exact solution counter: compiling a map's rules into bit masks, the shared cache, singles and search.
#include "classify/matrix_engine.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>

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

    for (int u = 0; u < n_units; ++u) {
        int lo = kWords, hi = 0;
        for (int d = 0; d < 9; ++d)
            for (int k : unit_cells[u]) {
                const int b = 9 * k + d;
                ops->unit_digit[9 * u + d].set(b);
                if ((b >> 6) < lo) lo = b >> 6;
                if ((b >> 6) > hi) hi = b >> 6;
            }
        ops->unit_words[u][0] = static_cast<uint8_t>(lo);
        ops->unit_words[u][1] = static_cast<uint8_t>(hi);
    }
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

inline void or_into(Vec& a, const Vec& b) {
    for (int i = 0; i < kWords; ++i) a.w[i] |= b.w[i];
}

// How many bits of unit-digit mask m lie in v (0, 1 or 2 for "more"), and the lowest one.
inline int meets(const Vec& m, const Vec& v, int lo, int hi, int* bit) {
    int n = 0;
    for (int i = lo; i <= hi; ++i) {
        const uint64_t x = m.w[i] & v.w[i];
        if (!x) continue;
        if (n == 0) *bit = 64 * i + __builtin_ctzll(x);
        n += __builtin_popcountll(x);
        if (n > 1) return 2;
    }
    return n;
}

inline bool meets_any(const Vec& m, const Vec& v, int lo, int hi) {
    for (int i = lo; i <= hi; ++i)
        if (m.w[i] & v.w[i]) return true;
    return false;
}

}  // namespace

Vec full_vec() {
    Vec v{};
    for (int b = 0; b < kBits; ++b) v.set(b);
    return v;
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

void singles_fix(const Ops& ops, Vec& cand, Vec& fixed, bool hidden) {
    Vec e{};
    for (int i = 0; i < kWords; ++i)
        for (uint64_t m = fixed.w[i]; m; m &= m - 1) or_into(e, ops.elim[64 * i + __builtin_ctzll(m)]);
    for (;;) {
        for (int i = 0; i < kWords; ++i) cand.w[i] = (cand.w[i] & ~e.w[i]) | fixed.w[i];
        int list[81];
        int n = 0;
        for (int k = 0; k < 81; ++k) {
            if (fixed.cell(k)) continue;
            const unsigned c = cand.cell(k);
            if (c && !(c & (c - 1))) list[n++] = 9 * k + __builtin_ctz(c);
        }
        if (hidden) {
            for (int u = 0; u < ops.n_units && n < 81; ++u) {
                const int lo = ops.unit_words[u][0], hi = ops.unit_words[u][1];
                for (int d = 0; d < 9 && n < 81; ++d) {
                    const Vec& m = ops.unit_digit[9 * u + d];
                    int b = 0;
                    if (meets_any(m, fixed, lo, hi) || meets(m, cand, lo, hi, &b) != 1) continue;
                    if (!fixed.test(b)) list[n++] = b;
                }
            }
        }
        if (n == 0) return;
        bool added = false;
        for (int i = 0; i < n; ++i) {
            const int b = list[i];
            if (fixed.test(b)) continue;
            if (e.test(b)) {
                cand = Vec{};
                return;
            }
            fixed.set(b);
            or_into(e, ops.elim[b]);
            added = true;
        }
        if (!added) return;
    }
}

bool contradiction(const Ops& ops, const Vec& cand, const Vec&) {
    for (int k = 0; k < 81; ++k)
        if (!cand.cell(k)) return true;
    for (int u = 0; u < ops.n_units; ++u) {
        const int lo = ops.unit_words[u][0], hi = ops.unit_words[u][1];
        for (int d = 0; d < 9; ++d)
            if (!meets_any(ops.unit_digit[9 * u + d], cand, lo, hi)) return true;
    }
    return false;
}

int count_completions_collect(const Ops& ops, Vec cand, Vec fixed, int limit, int (*out)[81], int n_collected,
                              long& budget) {
    if (budget-- <= 0) return -1;
    singles_fix(ops, cand, fixed, true);
    if (contradiction(ops, cand, fixed)) return 0;
    int best = -1, best_n = 10;
    unsigned best_mask = 0;
    for (int k = 0; k < 81; ++k) {
        if (fixed.cell(k)) continue;
        const unsigned c = cand.cell(k);
        const int n = __builtin_popcount(c);
        if (n < best_n) best = k, best_n = n, best_mask = c;
    }
    if (best < 0) {
        if (out && (n_collected == 0 || n_collected == 1))
            for (int k = 0; k < 81; ++k) out[n_collected][k] = __builtin_ctz(fixed.cell(k)) + 1;
        return 1;
    }
    int found = 0;
    for (int d = 0; d < 9 && found < limit; ++d) {
        if (!(best_mask >> d & 1)) continue;
        Vec f = fixed;
        f.set(9 * best + d);
        const int r = count_completions_collect(ops, cand, f, limit - found, out, n_collected + found, budget);
        if (r < 0) return -1;
        found += r;
    }
    return found;
}

}  // namespace matrix_engine
