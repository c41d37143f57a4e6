// A fast exact count of the solutions of a clue set, up to a limit, on any map with or without x.
#pragma once

#include <cstdint>
#include <memory>

#include "puzzle/Puzzle.h"

// A set of cells, bit k for cell k (81 bits in two words).
struct CellSet {
    uint64_t lo = 0, hi = 0;

    void add(int k) { (k < 64 ? lo : hi) |= uint64_t{1} << (k & 63); }
    void remove(int k) { (k < 64 ? lo : hi) &= ~(uint64_t{1} << (k & 63)); }
    bool has(int k) const { return ((k < 64 ? lo : hi) >> (k & 63)) & 1; }
    bool empty() const { return (lo | hi) == 0; }
    // Exactly one cell.
    bool single() const { return lo ? (lo & (lo - 1)) == 0 && hi == 0 : hi && (hi & (hi - 1)) == 0; }
    int first() const { return lo ? __builtin_ctzll(lo) : 64 + __builtin_ctzll(hi); }
    int last() const { return hi ? 127 - __builtin_clzll(hi) : 63 - __builtin_clzll(lo); }
    CellSet operator&(CellSet o) const { return {lo & o.lo, hi & o.hi}; }
    CellSet operator|(CellSet o) const { return {lo | o.lo, hi | o.hi}; }
    CellSet operator~() const { return {~lo, ~hi & ((uint64_t{1} << 17) - 1)}; }
    CellSet& operator&=(CellSet o) { return lo &= o.lo, hi &= o.hi, *this; }
    CellSet& operator|=(CellSet o) { return lo |= o.lo, hi |= o.hi, *this; }
};

// The houses of one grid layout, and a depth-first search over per-digit cell sets with naked and
// hidden singles and locked candidates. Clue removal asks it whether a thinned clue set still has
// one solution before running the technique solver, which can never finish a grid that has two.
struct ClueCounter {
    static constexpr int kMaxHouses = 29;  // 9 rows, 9 columns, 9 groups, 2 diagonals
    CellSet house[kMaxHouses];
    CellSet peers[N_CELLS];
    uint32_t houses_of[N_CELLS];  // bit h for each house h of the cell
    uint32_t peer_houses[N_CELLS];  // bit h for each house h holding the cell or one of its peers
    int n_houses = 0;
    bool lock = false;  // whether the search also uses locked candidates (jigsaw maps)

    // Takes the houses from the puzzle's cells: rows, columns, groups and, with x, the diagonals.
    explicit ClueCounter(const Puzzle& p);
    ClueCounter() = default;  // no houses: a placeholder never asked anything

    // Solutions of the given digits (0 = empty, 1..9), counted up to `limit`; 0 when clues clash.
    int count(const int digits[N_CELLS], int limit) const;

    // Whether the puzzle's clues have a solution other than the one its cells hold (`solution` in
    // set form in every cell); false when the cells hold no valid solution.
    bool second_solution(const Puzzle& p) const;

    // Whether the puzzle's clues have a solution that differs from the one its cells hold at cell a
    // or at cell b. When the clues had one solution before a and b stopped being clues, this is
    // exactly whether they now have two; otherwise a false answer proves nothing.
    bool other_digit_at(const Puzzle& p, int a, int b) const;
    // The same for the clue cells `clues` (when given, they stand for the cells' clue flags), on the
    // solution that check_solution read last: a caller that keeps the clue set and the solution as
    // they are between questions saves reading the cells each time. check_solution is false when
    // the cells hold no valid solution; then every such question is answered false.
    bool check_solution(const Puzzle& p) const;
    // With `seed`, the naked-single closure of the clues is left there on the way (valid when the
    // search got that far without a contradiction), for the solve that follows a false answer.
    // With `singles_alone`, it is set when naked and hidden singles alone place every digit: then
    // the clues have that one solution (the answer is false), and the solver's singles solve them
    // too (they reach the same place in any order).
    bool other_digit_at(const Puzzle& p, int a, int b, const CellSet* clues, Puzzle::SinglesSeed* seed = nullptr,
                        bool* singles_alone = nullptr) const;
    // Whether naked and hidden singles alone, run to the end from the candidate masks (digit d at bit d)
    // with `cell` reduced to `bit`, leave a cell without a digit or a house without a place for one.
    // When `placed` is given it receives, per cell, the digit bit the singles placed there (0: none).
    // Second solutions found earlier, as the cells where each differs from the known solution: a
    // clue set that holds none of those cells has that solution too, without a search. Kept for one
    // known solution at a time. The answers are the same with or without them.
    static constexpr int kMaxOthers = 1024;
    mutable uint64_t other_lo[kMaxOthers];  // cells 0..63 of each remembered difference
    mutable uint64_t other_hi[kMaxOthers];  // cells 64..80
    mutable int n_other = 0;
    mutable unsigned next_other = 0;
    // Per cell, the latest remembered differences that hold it (a ring of slot numbers; a slot
    // reused since may no longer hold the cell, which the lookup checks).
    static constexpr int kPerCell = 64;
    mutable uint16_t by_cell[N_CELLS][kPerCell];
    mutable uint8_t n_by_cell[N_CELLS] = {};
    mutable uint8_t next_by_cell[N_CELLS] = {};
    // The puzzle's solution as last read: its cells' words and their digit indexes 0..8.
    mutable int32_t read_words[N_CELLS] = {};
    mutable int read_digits[N_CELLS] = {};
    mutable CellSet read_cells[9];  // the cells of each digit index in it
    mutable bool read_valid = false;
    mutable int solution[N_CELLS] = {};
    mutable bool known_solution_valid = false;
    // Forgets the remembered differences when `known` is not the solution they were found for.
    void follow(const int* known) const;
    void remember(const int* known, CellSet differs) const;
    // Whether a remembered solution also fits `clues` and (when `at` is not empty) differs from the
    // known one in a cell of `at`.
    bool knows_other(const int* known, CellSet clues, CellSet at) const;

    bool singles_fail(const uint32_t masks[N_CELLS], int cell, uint32_t bit, uint32_t* placed = nullptr) const;
    // The same, from the masks made into per-digit cell sets once (`where`, by digits_of) for all the
    // trials on one set of masks.
    struct DigitCells {
        CellSet of[9];
    };
    static void digits_of(const uint32_t masks[N_CELLS], DigitCells& where);
    bool singles_fail(const DigitCells& where, int cell, uint32_t bit, uint32_t* placed = nullptr) const;
};

// The clue counter a generation keeps for the puzzle, or else one made for its houses and held in
// `own` (made only then: a counter is large, and even an empty one would be cleared on every call).
inline const ClueCounter& counter_for(const Puzzle& p, std::unique_ptr<ClueCounter>& own) {
    if (p.kept_counter) return *p.kept_counter;
    own = std::make_unique<ClueCounter>(p);
    return *own;
}
