// The exact counter's search on per-digit cell sets, compiled once portably and once for AVX2.
//
// Included by exactly two files, each of which builds it with its own instruction set; everything
// here has internal linkage so the two builds never mix. The search tree is the one described in
// matrix_engine.h: propagation reaches the same closure of naked and hidden singles whatever order
// it places them in (or finds the same contradiction), so the node count, the counts and the two
// collected solutions do not depend on how the closure is computed.
#pragma once

#include <cstdint>

#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include "classify/matrix_engine.h"
#include "util/utility.h"

namespace matrix_engine {
namespace {

constexpr uint64_t kHighCells = (uint64_t{1} << 17) - 1;  // cells 64..80 in the second word

// One search state: for each digit the cells that may still hold it (cells 0..63 in the first
// word, 64..80 in the second), the cells already fixed, and per digit the units where it is fixed.
// A fixed cell keeps exactly its fixed digit among its candidates.
struct Board {
    uint64_t cand[9][2];
    uint64_t fixed[2];
    uint32_t placed[9];
    uint32_t dirty_units[9];  // per digit the units whose cells for it changed since their last scan
    uint32_t dirty;           // the digits with dirty units
};

inline bool has(const uint64_t* set, int k) { return set[k >> 6] >> (k & 63) & 1; }

// Fixes digit d in cell k; false when an earlier placement already ruled it out.
inline bool place(const Ops& ops, Board& s, int k, int d) {
    const int w = k >> 6;
    const uint64_t m = uint64_t{1} << (k & 63);
    if (!(s.cand[d][w] & m)) return false;
    if (s.fixed[w] & m) return true;
    s.fixed[w] |= m;
    const uint32_t units = ops.cell_units[k];
    s.placed[d] |= units;
    uint32_t touched = 0;
    for (int j = 0; j < 9; ++j) {
        if (j == d || !(s.cand[j][w] & m)) continue;
        touched |= 1u << j;
        s.dirty_units[j] |= units;
        s.cand[j][w] &= ~m;
    }
    // The peers that lose d are spread over most units: all of them are scanned again for d.
    const uint64_t lost = (s.cand[d][0] & ops.peer_mask[k][0]) | (s.cand[d][1] & ops.peer_mask[k][1]);
    s.cand[d][0] &= ~ops.peer_mask[k][0];
    s.cand[d][1] &= ~ops.peer_mask[k][1];
    if (lost) {
        s.dirty_units[d] = ops.all_units;
        touched |= 1u << d;
    }
    s.dirty |= touched;
    return true;
}

// The state that (cand, fixed) describe: every placed digit removed from its peers and from the
// other digits of its cell, the placed bits themselves kept.
inline void load(const Ops& ops, const Vec& cand, const Vec& fixed, Board& s) {
    s = Board{};
    const uint64_t top = (uint64_t{1} << (kBits - 64 * (kWords - 1))) - 1;  // bits 704..728
    int missing = 0;
    for (int i = 0; i < kWords; ++i) missing += __builtin_popcountll(~cand.w[i] & (i == kWords - 1 ? top : ~uint64_t{0}));
    if (2 * missing < kBits) {
        // Most callers start from every digit everywhere, or nearly: take out what is missing.
        for (int d = 0; d < 9; ++d) s.cand[d][0] = ~uint64_t{0}, s.cand[d][1] = kHighCells;
        for (int i = 0; i < kWords; ++i)
            for (uint64_t m = ~cand.w[i] & (i == kWords - 1 ? top : ~uint64_t{0}); m; m &= m - 1) {
                const int b = 64 * i + __builtin_ctzll(m), k = b / 9;
                s.cand[b % 9][k >> 6] &= ~(uint64_t{1} << (k & 63));
            }
    } else {
        for (int k = 0; k < 81; ++k)
            for (unsigned m = cand.cell(k); m; m &= m - 1)
                s.cand[__builtin_ctz(m)][k >> 6] |= uint64_t{1} << (k & 63);
    }
    uint64_t keep[9][2] = {};
    for (int i = 0; i < kWords; ++i)
        for (uint64_t f = fixed.w[i]; f; f &= f - 1) {
            const int b = 64 * i + __builtin_ctzll(f), k = b / 9, d = b % 9;
            const int w = k >> 6;
            const uint64_t m = uint64_t{1} << (k & 63);
            s.fixed[w] |= m;
            keep[d][w] |= m;
            s.placed[d] |= ops.cell_units[k];
            for (int j = 0; j < 9; ++j)
                if (j != d) s.cand[j][w] &= ~m;
            s.cand[d][0] &= ~ops.peer_mask[k][0];
            s.cand[d][1] &= ~ops.peer_mask[k][1];
        }
    for (int d = 0; d < 9; ++d) {
        s.cand[d][0] |= keep[d][0];
        s.cand[d][1] |= keep[d][1];
    }
    for (int d = 0; d < 9; ++d) s.dirty_units[d] = ops.all_units;
    s.dirty = 0x1ff;
}

inline void store(const Board& s, Vec& cand, Vec& fixed) {
    cand = Vec{};
    fixed = Vec{};
    for (int d = 0; d < 9; ++d)
        for (int w = 0; w < 2; ++w)
            for (uint64_t m = s.cand[d][w]; m; m &= m - 1) {
                const int k = 64 * w + __builtin_ctzll(m);
                cand.set(9 * k + d);
                if (has(s.fixed, k)) fixed.set(9 * k + d);
            }
}

// Hidden singles of digit d over its changed units where d is not yet fixed; false on a unit with
// no place left for d or on a clash.
inline bool hidden_singles(const Ops& ops, Board& s, int d) {
    uint32_t open = s.dirty_units[d] & ~s.placed[d];
    s.dirty_units[d] = 0;
#if defined(__AVX2__)
    // Four units a step: a unit's share of d's cells is empty, or has exactly one cell, when both
    // words are empty, or one is empty and the other has one bit.
    while (open) {
        const int base = __builtin_ctz(open) & ~3;
        const __m256i lo = _mm256_and_si256(_mm256_set1_epi64x(static_cast<long long>(s.cand[d][0])),
                                            _mm256_load_si256(reinterpret_cast<const __m256i*>(ops.unit_lo + base)));
        const __m256i hi = _mm256_and_si256(_mm256_set1_epi64x(static_cast<long long>(s.cand[d][1])),
                                            _mm256_load_si256(reinterpret_cast<const __m256i*>(ops.unit_hi + base)));
        const __m256i zero = _mm256_setzero_si256(), one = _mm256_set1_epi64x(1);
        const __m256i lo0 = _mm256_cmpeq_epi64(lo, zero), hi0 = _mm256_cmpeq_epi64(hi, zero);
        const __m256i lo_le1 = _mm256_cmpeq_epi64(_mm256_and_si256(lo, _mm256_sub_epi64(lo, one)), zero);
        const __m256i hi_le1 = _mm256_cmpeq_epi64(_mm256_and_si256(hi, _mm256_sub_epi64(hi, one)), zero);
        const unsigned empty =
            static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(_mm256_and_si256(lo0, hi0))));
        const unsigned le1 = static_cast<unsigned>(_mm256_movemask_pd(
            _mm256_castsi256_pd(_mm256_or_si256(_mm256_and_si256(lo0, hi_le1), _mm256_and_si256(hi0, lo_le1)))));
        const unsigned lanes = (open >> base) & 0xf;
        if (empty & lanes) return false;
        for (unsigned single = le1 & lanes; single; single &= single - 1) {
            const int u = base + __builtin_ctz(single);
            if (s.placed[d] >> u & 1) continue;  // fixed meanwhile by an earlier single of this scan
            const uint64_t l = s.cand[d][0] & ops.unit_lo[u], h = s.cand[d][1] & ops.unit_hi[u];
            if (!(l | h)) return false;
            const int k = l ? __builtin_ctzll(l) : 64 + __builtin_ctzll(h);
            if (!place(ops, s, k, d)) return false;
        }
        open &= ~(0xfu << base);
    }
#else
    for (; open; open &= open - 1) {
        const int u = __builtin_ctz(open);
        if (s.placed[d] >> u & 1) continue;
        const uint64_t l = s.cand[d][0] & ops.unit_lo[u], h = s.cand[d][1] & ops.unit_hi[u];
        if (!(l | h)) return false;
        if ((l & (l - 1)) | (h & (h - 1)) || (l && h)) continue;
        if (!place(ops, s, l ? __builtin_ctzll(l) : 64 + __builtin_ctzll(h), d)) return false;
    }
#endif
    return true;
}

// Places naked and hidden singles until none is left. False when the state cannot be completed:
// a cell without candidates, a unit without a place for some digit, or a clash between singles.
inline bool propagate(const Ops& ops, Board& s, bool hidden) {
    for (;;) {
        uint64_t ones[2] = {}, twos[2] = {};
        for (int d = 0; d < 9; ++d)
            for (int w = 0; w < 2; ++w) {
                twos[w] |= ones[w] & s.cand[d][w];
                ones[w] |= s.cand[d][w];
            }
        if (~ones[0] | (~ones[1] & kHighCells)) return false;
        const uint64_t single[2] = {ones[0] & ~twos[0] & ~s.fixed[0], ones[1] & ~twos[1] & ~s.fixed[1]};
        if (single[0] | single[1]) {
            for (int d = 0; d < 9; ++d)
                for (int w = 0; w < 2; ++w)
                    for (uint64_t m = single[w] & s.cand[d][w]; m; m &= m - 1)
                        if (!place(ops, s, 64 * w + __builtin_ctzll(m), d)) return false;
            continue;
        }
        if (!hidden || !s.dirty) return true;
        while (s.dirty) {
            const int d = __builtin_ctz(s.dirty);
            s.dirty &= s.dirty - 1;
            if (!hidden_singles(ops, s, d)) return false;
        }
    }
}

// The open cell with the fewest candidates, the first in cell order; -1 when every cell is fixed.
// Counts are summed bit-sliced over the nine digit sets, so every cell is counted at once.
inline int tightest_cell(const Board& s) {
    uint64_t b0[2] = {}, b1[2] = {}, b2[2] = {}, b3[2] = {};
    for (int d = 0; d < 9; ++d)
        for (int w = 0; w < 2; ++w) {
            const uint64_t c = s.cand[d][w];
            const uint64_t c0 = b0[w] & c;
            b0[w] ^= c;
            const uint64_t c1 = b1[w] & c0;
            b1[w] ^= c0;
            const uint64_t c2 = b2[w] & c1;
            b2[w] ^= c1;
            b3[w] |= c2;
        }
    const uint64_t open[2] = {~s.fixed[0], ~s.fixed[1] & kHighCells};
    if (!(open[0] | open[1])) return -1;
    for (int n = 1; n <= 9; ++n) {
        uint64_t hit[2];
        for (int w = 0; w < 2; ++w)
            hit[w] = open[w] & (n & 1 ? b0[w] : ~b0[w]) & (n & 2 ? b1[w] : ~b1[w]) & (n & 4 ? b2[w] : ~b2[w]) &
                     (n & 8 ? b3[w] : ~b3[w]);
        if (hit[0]) return __builtin_ctzll(hit[0]);
        if (hit[1]) return 64 + __builtin_ctzll(hit[1]);
    }
    return -1;  // not reached: an open cell has 1 to 9 candidates after propagation
}

struct Search {
    const Ops& ops;
    int (*out)[81];
    long& budget;
    int64_t deadline_ms;

    int count(Board& s, int limit, int n_collected) {
        if (budget-- <= 0) return -1;
        if (deadline_ms > 0 && (budget & 1023) == 0 && steady_now_ms() >= deadline_ms) {
            budget = 0;
            return -1;
        }
        if (!propagate(ops, s, true)) return 0;
        const int k = tightest_cell(s);
        if (k < 0) {
            if (out && (n_collected == 0 || n_collected == 1))
                for (int d = 8; d >= 0; --d)  // the lowest fixed digit wins
                    for (int w = 0; w < 2; ++w)
                        for (uint64_t m = s.cand[d][w]; m; m &= m - 1)
                            out[n_collected][64 * w + __builtin_ctzll(m)] = d + 1;
            return 1;
        }
        int found = 0;
        for (int d = 0; d < 9 && found < limit; ++d) {
            if (!has(s.cand[d], k)) continue;
            Board child = s;
            place(ops, child, k, d);
            const int r = count(child, limit - found, n_collected + found);
            if (r < 0) return -1;
            found += r;
        }
        return found;
    }
};

inline int search_from(const Ops& ops, const Vec& cand, const Vec& fixed, int limit, int (*out)[81],
                       int n_collected, long& budget, int64_t deadline_ms) {
    Board s;
    load(ops, cand, fixed, s);
    Search search{ops, out, budget, deadline_ms};
    return search.count(s, limit, n_collected);
}

inline bool singles_from(const Ops& ops, Vec& cand, Vec& fixed, bool hidden) {
    Board s;
    load(ops, cand, fixed, s);
    const bool ok = propagate(ops, s, hidden);
    store(s, cand, fixed);
    return ok;
}

}  // namespace

// The AVX2 build of the two entry points above (matrix_engine_avx2.cpp); only called when the
// machine has AVX2.
int count_avx2(const Ops& ops, const Vec& cand, const Vec& fixed, int limit, int (*out)[81], int n_collected,
               long& budget, int64_t deadline_ms);
bool singles_fix_avx2(const Ops& ops, Vec& cand, Vec& fixed, bool hidden);

}  // namespace matrix_engine
