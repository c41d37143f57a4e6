// What each requested difficulty means to the generator: the clue-target, technique and budget
// records of clue_parameters, the weights of rating_coefficients, and named views over both.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "puzzle/Puzzle.h"

constexpr int N_QUALITIES = 10;
constexpr int N_PARAMETER_RECORDS = N_QUALITIES * 2 * 2;  // quality x map type x adjacency
constexpr int N_PARAMETER_ATOMS = 8;
constexpr int N_CLUES_CDF = 16;  // so a target range spans at most 15 counts above its minimum
constexpr int N_EFFORTS = 3;
constexpr int ATOM_INTS = 24;
constexpr int RECORD_INTS = 1 + N_PARAMETER_ATOMS + N_PARAMETER_ATOMS * ATOM_INTS;  // 201

constexpr int N_COEF_SETS = 8;
constexpr int N_RATED_SLOTS = 27;  // technique_counts slots 0..26 carry a weight
constexpr int N_RATING_COEFS = 1 + N_RATED_SLOTS;
constexpr int COEF_CLUE_DEFICIT = 0;  // weighs RATING_CLUE_BASE - givens
constexpr int RATING_CLUE_BASE = 40;
// Index of the coefficient that weighs technique_counts[slot].
constexpr int coef_for_slot(int slot) {
    return 1 + slot;
}

// One set of generation parameters. Only the ruling atom of a record is read in full; the other
// listed atoms contribute just their technique to the required-technique test.
struct ParameterAtom {
    int32_t min_n_clues;       // fewest clues the drawn target may have
    int32_t max_n_clues;       // most givens a finished puzzle may have; more rates 0
    int32_t technique;         // a METHOD_TYPE
    int32_t coef_set;          // row of rating_coefficients
    int32_t stop_at_target;    // clue removal may stop at the first improving attempt hitting n_clues
    int32_t tries[N_EFFORTS];  // attempt budgets of clue removal for effort 0, 1, 2
    // Cumulative weights of the targets min_n_clues + i, i = 0..span; the weight of entry i is
    // n_clues_cdf[i] - n_clues_cdf[i - 1], with -1 before entry 0. Later entries are not read.
    int32_t n_clues_cdf[N_CLUES_CDF];

    METHOD_TYPE method() const { return static_cast<METHOD_TYPE>(technique); }
    int span() const { return max_n_clues - min_n_clues; }
    // The weight with which target min_n_clues + i is drawn.
    int weight(int i) const { return n_clues_cdf[i] - (i == 0 ? -1 : n_clues_cdf[i - 1]); }
    // A clue target drawn from the weights, using the calling thread's random pool.
    int draw_n_clues() const;
};

// The record of one difficulty, map type and adjacency.
struct ClueParameters {
    int32_t n_atoms;                         // how many atoms are listed
    int32_t atom_order[N_PARAMETER_ATOMS];   // the listed atoms, in order; the last one rules
    ParameterAtom atoms[N_PARAMETER_ATOMS];  // atoms that are not listed are all zero

    const ParameterAtom& listed(int k) const { return atoms[atom_order[k]]; }
    // Its clue range, coefficients and budgets apply; its technique is the solver's ceiling.
    const ParameterAtom& ruling() const { return listed(n_atoms - 1); }
};

static_assert(sizeof(ParameterAtom) == ATOM_INTS * sizeof(int32_t));
static_assert(offsetof(ParameterAtom, tries) == 5 * sizeof(int32_t));
static_assert(offsetof(ParameterAtom, n_clues_cdf) == 8 * sizeof(int32_t));
static_assert(sizeof(ClueParameters) == RECORD_INTS * sizeof(int32_t));
static_assert(offsetof(ClueParameters, atoms) == 9 * sizeof(int32_t));

extern const std::array<ClueParameters, N_PARAMETER_RECORDS> clue_parameters;
// rating_coefficients[coef_set][c]: c = COEF_CLUE_DEFICIT or coef_for_slot(slot).
extern const std::array<std::array<int32_t, N_RATING_COEFS>, N_COEF_SETS> rating_coefficients;

static_assert(sizeof(clue_parameters) == N_PARAMETER_RECORDS * RECORD_INTS * sizeof(int32_t));
static_assert(sizeof(rating_coefficients) == N_COEF_SETS * N_RATING_COEFS * sizeof(int32_t));

constexpr int clue_parameters_index(int quality, int map_type, int adjacency) {
    return (quality * 2 + map_type) * 2 + adjacency;
}

inline const ClueParameters& clue_parameters_for(int quality, int map_type, int adjacency) {
    return clue_parameters[clue_parameters_index(quality, map_type, adjacency)];
}

// The record of the puzzle's own quality, map type and adjacency.
inline const ClueParameters& clue_parameters_of(const Puzzle& p) {
    return clue_parameters_for(p.quality, p.map_type, p.adjacency);
}

// The rating of solver counts under a record (see Puzzle::rate_puzzle).
int rate_counts(const ClueParameters& record, const int* counts);
// True when some listed technique of the record has a non-zero count.
bool uses_listed_technique(const ClueParameters& record, const int* counts);
