// The exact solution counter: compiling a map's rules into bit masks, the shared cache, singles and search.
#include "classify/matrix_engine.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>

#include "util/utility.h"

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

// The nine-bit digit sets of every cell, read out of the bit sets once per propagation pass: the
// unit scans then work on small masks instead of 729-bit ones.
struct CellMasks {
    uint16_t cand[81];
    uint16_t fixed[81];
};

inline void read_cells(const Vec& cand, const Vec& fixed, CellMasks& m) {
    for (int k = 0; k < 81; ++k) {
        m.cand[k] = static_cast<uint16_t>(cand.cell(k));
        m.fixed[k] = static_cast<uint16_t>(fixed.cell(k));
    }
}

// For unit u: the digits held by exactly one cell's candidates, by at least one, and already placed.
inline void unit_digits(const Ops& ops, const CellMasks& m, int u, unsigned* once, unsigned* twice, unsigned* placed) {
    unsigned o = 0, t = 0, p = 0;
    for (int i = 0; i < 9; ++i) {
        const int k = ops.unit_cells[u][i];
        t |= o & m.cand[k];
        o |= m.cand[k];
        p |= m.fixed[k];
    }
    *once = o & ~t;
    *twice = o;
    *placed = p;
}

// Propagation to the closure of naked and hidden singles; false when a placement clashes (cand is
// then empty). On true, `m` holds the cells of the final state.
bool propagate(const Ops& ops, Vec& cand, Vec& fixed, bool hidden, CellMasks& m) {
    Vec e{};
    for (int i = 0; i < kWords; ++i)
        for (uint64_t f = fixed.w[i]; f; f &= f - 1) or_into(e, ops.elim[64 * i + __builtin_ctzll(f)]);
    for (;;) {
        for (int i = 0; i < kWords; ++i) cand.w[i] = (cand.w[i] & ~e.w[i]) | fixed.w[i];
        read_cells(cand, fixed, m);
        int list[81];
        int n = 0;
        for (int k = 0; k < 81; ++k) {
            const unsigned c = m.cand[k];
            if (!m.fixed[k] && c && !(c & (c - 1))) list[n++] = 9 * k + __builtin_ctz(c);
        }
        for (int u = 0; hidden && u < ops.n_units && n < 81; ++u) {
            unsigned once, any, placed;
            unit_digits(ops, m, u, &once, &any, &placed);
            for (unsigned single = once & ~placed; single && n < 81; single &= single - 1) {
                const int d = __builtin_ctz(single);
                for (int i = 0; i < 9; ++i) {
                    const int k = ops.unit_cells[u][i];
                    if (m.cand[k] >> d & 1) {
                        list[n++] = 9 * k + d;
                        break;
                    }
                }
            }
        }
        bool added = false;
        for (int i = 0; i < n; ++i) {
            const int b = list[i];
            if (fixed.test(b)) continue;
            if (e.test(b)) {
                cand = Vec{};
                return false;
            }
            fixed.set(b);
            or_into(e, ops.elim[b]);
            added = true;
        }
        if (!added) return true;
    }
}

bool contradiction(const Ops& ops, const CellMasks& m) {
    for (int k = 0; k < 81; ++k)
        if (!m.cand[k]) return true;
    for (int u = 0; u < ops.n_units; ++u) {
        unsigned once, any, placed;
        unit_digits(ops, m, u, &once, &any, &placed);
        if (any != 0x1ff) return true;
    }
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
    CellMasks m;
    propagate(ops, cand, fixed, hidden, m);
}

bool contradiction(const Ops& ops, const Vec& cand, const Vec& fixed) {
    CellMasks m;
    read_cells(cand, fixed, m);
    return contradiction(ops, m);
}

namespace {

// The search under both bounds: the node budget, and a steady-clock deadline (0: none) read every
// 1024 nodes, which ends the search by emptying the budget.
int count_until(const Ops& ops, Vec cand, Vec fixed, int limit, int (*out)[81], int n_collected, long& budget,
                int64_t deadline_ms) {
    if (budget-- <= 0) return -1;
    if (deadline_ms > 0 && (budget & 1023) == 0 && steady_now_ms() >= deadline_ms) {
        budget = 0;
        return -1;
    }
    CellMasks m;
    if (!propagate(ops, cand, fixed, true, m) || contradiction(ops, m)) return 0;
    int best = -1, best_n = 10;
    unsigned best_mask = 0;
    for (int k = 0; k < 81; ++k) {
        if (m.fixed[k]) continue;
        const unsigned c = m.cand[k];
        const int n = __builtin_popcount(c);
        if (n < best_n) best = k, best_n = n, best_mask = c;
    }
    if (best < 0) {
        if (out && (n_collected == 0 || n_collected == 1))
            for (int k = 0; k < 81; ++k) out[n_collected][k] = __builtin_ctz(m.fixed[k]) + 1;
        return 1;
    }
    int found = 0;
    for (int d = 0; d < 9 && found < limit; ++d) {
        if (!(best_mask >> d & 1)) continue;
        Vec f = fixed;
        f.set(9 * best + d);
        const int r = count_until(ops, cand, f, limit - found, out, n_collected + found, budget, deadline_ms);
        if (r < 0) return -1;
        found += r;
    }
    return found;
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
