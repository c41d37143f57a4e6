// The exact solution counter: cell-digit bit sets, map rules compiled once and cached, and a search.
#pragma once

#include <cstdint>

namespace matrix_engine {

// Bit 9 * cell + digit - 1 for every cell-digit pair: 729 bits in twelve words (the top 39 stay 0).
constexpr int kWords = 12;
constexpr int kBits = 729;

struct Vec {
    uint64_t w[kWords];

    bool test(int b) const { return (w[b >> 6] >> (b & 63)) & 1; }
    void set(int b) { w[b >> 6] |= uint64_t{1} << (b & 63); }
    // The nine digit bits of cell k (bit d - 1 for digit d).
    unsigned cell(int k) const {
        const int b = 9 * k, i = b >> 6, s = b & 63;
        uint64_t v = w[i] >> s;
        if (s > 55) v |= w[i + 1] << (64 - s);
        return static_cast<unsigned>(v & 0x1ff);
    }
};
static_assert(sizeof(Vec) == 96);

// All 729 bits set.
Vec full_vec();

constexpr int kMaxUnits = 29;

// The compiled rules of one map and adjacency. Units are the rows, the columns, the groups and,
// with x, the main diagonal and the anti-diagonal.
struct Ops {
    Vec elim[kBits];                  // what placing the digit of bit b removes: its cell's other digits, its peers' same digit
    Vec unit_digit[kMaxUnits * 9];    // entry 9 * unit + digit - 1: the bits of that digit over the unit's cells
    int32_t n_units;                  // 27, or 29 with x
    uint8_t unit_cells[kMaxUnits][9]; // the cells of each unit, in increasing order

    // The same rules on cell sets (cells 0..63 in the first word, 64..80 in the second), for the search.
    alignas(32) uint64_t unit_lo[32]; // the cells of each unit, first word; 0 past n_units
    alignas(32) uint64_t unit_hi[32]; // second word
    uint64_t peer_mask[81][2];        // the peers of each cell, the cell itself excluded
    uint32_t cell_units[81];          // the units holding each cell, bit u for unit u
    uint32_t all_units;               // bits 0..n_units - 1
};

// The rules of this map, built on first use and kept, shared by every thread, until the process
// ends. Null when the map is not nine groups of nine cells numbered 0..8.
const Ops* compile(bool x, const int groups[9][9]);

// Places naked singles and, with `hidden`, hidden singles until none is left. A placement that a
// placed digit already rules out empties cand.
void singles_fix(const Ops& ops, Vec& cand, Vec& fixed, bool hidden);

// True when some cell has no candidate left, or some unit has no place left for some digit.
bool contradiction(const Ops& ops, const Vec& cand, const Vec& fixed);

// Completions of the state counted up to `limit`; -1 once the budget runs out (one unit per call).
// The first two completions found go to out[0] and out[1] (when out is not null).
int count_completions_collect(const Ops& ops, Vec cand, Vec fixed, int limit, int (*out)[81], int n_collected,
                              long& budget);

// The same count from the top, also ending (with -1, the budget then emptied) once the steady clock
// passes deadline_ms; 0 or less means no deadline.
int count_completions_until(const Ops& ops, Vec cand, Vec fixed, int limit, int (*out)[81], long& budget,
                            int64_t deadline_ms);

// The search exists twice: portable, and built for AVX2 where the machine has it (chosen at start).
// Both give the same results; choosing one is for tests and benchmarks that compare them.
enum class SearchPath { portable, avx2 };
bool search_path_available(SearchPath path);
// False (nothing changed) when the machine cannot run that path.
bool set_search_path(SearchPath path);
SearchPath search_path();

}  // namespace matrix_engine
