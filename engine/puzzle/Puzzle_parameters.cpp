// The difficulty tables, the clue-target draw, the rating of a solved puzzle and the tests of which
// techniques a puzzle needed.
#include "puzzle/Puzzle_parameters.h"

#include <initializer_list>
#include <iterator>

#include "util/rand_utils.h"

namespace {

// Stops the compile when a table line contradicts itself (a throw is not a constant expression).
constexpr void require(bool ok, const char* what) {
    if (!ok) throw what;
}

// A clue count that the target draw can produce, with its relative weight.
struct Drawn {
    int count;
    int weight;
};

struct TableLine {
    int index;
    ClueParameters record;
};

// One difficulty, map type and adjacency, written as a reader would state it. Every listed technique
// becomes an atom (atom k listed k-th); the last one rules and carries the clue range, the draw
// weights, the coefficient set, the stop flag and the budgets. The other atoms hold only their
// technique, which is all that is ever read of them.
constexpr TableLine line(int quality, MAP_TYPE map, ADJACENCY_TYPE adjacency,
                         std::initializer_list<int> listed, int min_n_clues, int max_n_clues,
                         std::initializer_list<Drawn> drawn, int ruling_technique, int coef_set,
                         int stop_at_target, std::array<int, N_EFFORTS> tries) {
    require(quality >= 0 && quality < N_QUALITIES, "quality out of range");
    require(listed.size() >= 1 && listed.size() <= N_PARAMETER_ATOMS, "bad number of listed techniques");
    require(*(listed.end() - 1) == ruling_technique, "the ruling technique must be listed last");
    require(min_n_clues <= max_n_clues && max_n_clues - min_n_clues < N_CLUES_CDF, "clue range too wide");
    require(coef_set >= 0 && coef_set < N_COEF_SETS, "coefficient set out of range");

    TableLine out{clue_parameters_index(quality, map, adjacency), {}};
    ClueParameters& r = out.record;
    r.n_atoms = static_cast<int32_t>(listed.size());
    int k = 0;
    for (int t : listed) {
        r.atom_order[k] = k;
        r.atoms[k].technique = t;
        ++k;
    }

    ParameterAtom& a = r.atoms[k - 1];
    a.min_n_clues = min_n_clues;
    a.max_n_clues = max_n_clues;
    a.coef_set = coef_set;
    a.stop_at_target = stop_at_target;
    for (int e = 0; e < N_EFFORTS; ++e) a.tries[e] = tries[e];

    // Accumulate the weights, starting below zero so that entry 0 of weight w holds w - 1.
    const int span = max_n_clues - min_n_clues;
    const Drawn* d = drawn.begin();
    int cumulative = -1;
    for (int i = 0; i < N_CLUES_CDF; ++i) {
        if (i <= span && d != drawn.end() && d->count == min_n_clues + i) {
            require(d->weight > 0, "a drawn count needs a positive weight");
            cumulative += d->weight;
            ++d;
        }
        a.n_clues_cdf[i] = cumulative;
    }
    require(d == drawn.end(), "drawn counts must ascend within the clue range");
    require(cumulative >= 0, "nothing to draw");
    return out;
}

constexpr auto SQ = MAP_SQUARE;
constexpr auto IRR = MAP_IRREGULAR;
constexpr auto REG = ADJ_REGULAR;
constexpr auto X = ADJ_X;

// Techniques by METHOD_TYPE number.
constexpr int NS = METHOD_NAKED_SINGLES;       // 0
constexpr int HS = METHOD_HIDDEN_SINGLES;      // 1
constexpr int LC = METHOD_LOCKED_CANDIDATES;   // 2
constexpr int SUB = METHOD_SUBSETS;            // 3
constexpr int DR = METHOD_DOUBLE_RESTRICTION;  // 4
constexpr int ALS = METHOD_ALS;                // 5
constexpr int XW = METHOD_X_WING;              // 7
constexpr int XC = METHOD_X_CHAIN;             // 10
constexpr int XYC = METHOD_XY_CHAIN;           // 11
constexpr int WING = METHOD_XY_XYZ_WING;       // 12
constexpr int FRANKEN = METHOD_FRANKEN_FISH;   // 17
constexpr int FINNED = METHOD_FINNED_FISH;     // 18
constexpr int NET = METHOD_FORCING_NET;        // 26

// clang-format off
constexpr TableLine kLines[] = {
//        quality map adj listed techniques                     min max  clue counts drawn {count, weight}                  ruling  set stop tries
    line(0, SQ,  REG, {NS},                                  34, 38, {{34, 16}, {35, 16}},                                  NS,     0, 1, {0, 0, 100}),
    line(0, SQ,  X,   {NS},                                  32, 36, {{32, 3}, {33, 4}, {34, 4}, {35, 4}, {36, 3}},         NS,     0, 1, {0, 0, 100}),
    line(0, IRR, REG, {NS},                                  31, 35, {{31, 3}, {32, 4}, {33, 4}, {34, 4}, {35, 4}},         NS,     0, 1, {0, 0, 100}),
    line(0, IRR, X,   {NS},                                  28, 32, {{28, 3}, {29, 4}, {30, 4}, {31, 4}, {32, 4}},         NS,     0, 1, {0, 0, 100}),
    line(1, SQ,  REG, {NS},                                  29, 33, {{29, 3}, {30, 4}, {31, 4}, {32, 4}, {33, 3}},         NS,     0, 1, {0, 0, 100}),
    line(1, SQ,  X,   {NS},                                  27, 31, {{27, 3}, {28, 4}, {29, 4}, {30, 4}, {31, 3}},         NS,     0, 1, {0, 0, 100}),
    line(1, IRR, REG, {NS},                                  28, 32, {{28, 3}, {29, 4}, {30, 4}, {31, 4}, {32, 4}},         NS,     0, 1, {0, 0, 100}),
    line(1, IRR, X,   {NS},                                  25, 29, {{25, 3}, {26, 4}, {27, 4}, {28, 4}, {29, 4}},         NS,     0, 1, {0, 0, 100}),
    line(2, SQ,  REG, {HS},                                  28, 31, {{28, 4}, {29, 4}, {30, 4}, {31, 4}},                  HS,     1, 0, {100, 100, 100}),
    line(2, SQ,  X,   {HS},                                  27, 30, {{27, 4}, {28, 4}, {29, 4}, {30, 4}},                  HS,     1, 0, {100, 100, 100}),
    line(2, IRR, REG, {HS},                                  29, 32, {{29, 4}, {30, 4}, {31, 4}, {32, 4}},                  HS,     1, 0, {100, 100, 100}),
    line(2, IRR, X,   {HS},                                  28, 31, {{28, 4}, {29, 7}, {30, 1}, {31, 10}},                 HS,     1, 0, {100, 100, 100}),
    line(3, SQ,  REG, {LC},                                  27, 30, {{27, 4}, {28, 4}, {29, 4}, {30, 4}},                  LC,     1, 0, {100, 100, 100}),
    line(3, SQ,  X,   {LC},                                  26, 29, {{26, 4}, {27, 4}, {28, 4}, {29, 4}},                  LC,     1, 0, {100, 100, 100}),
    line(3, IRR, REG, {LC},                                  28, 31, {{28, 4}, {29, 4}, {30, 4}, {31, 4}},                  LC,     1, 0, {100, 100, 100}),
    line(3, IRR, X,   {LC},                                  27, 30, {{27, 4}, {28, 7}, {29, 1}, {30, 10}},                 LC,     1, 0, {100, 100, 100}),
    line(4, SQ,  REG, {SUB},                                 23, 26, {{23, 4}, {24, 4}, {25, 4}, {26, 4}},                  SUB,    1, 0, {100, 200, 2000}),
    line(4, SQ,  X,   {SUB},                                 23, 26, {{23, 4}, {24, 4}, {25, 4}, {26, 4}},                  SUB,    1, 0, {100, 200, 200}),
    line(4, IRR, REG, {SUB},                                 23, 26, {{23, 4}, {24, 4}, {25, 4}, {26, 4}},                  SUB,    1, 0, {100, 200, 200}),
    line(4, IRR, X,   {SUB},                                 23, 26, {{23, 4}, {24, 4}, {25, 4}, {26, 4}},                  SUB,    1, 0, {100, 200, 200}),
    line(5, SQ,  REG, {XW},                                  24, 27, {{24, 4}, {25, 4}, {26, 4}, {27, 4}},                  XW,     1, 0, {100, 200, 2000}),
    line(5, SQ,  X,   {XW},                                  24, 27, {{24, 4}, {25, 4}, {26, 4}, {27, 4}},                  XW,     1, 0, {100, 200, 200}),
    line(5, IRR, REG, {XW},                                  24, 27, {{24, 4}, {25, 4}, {26, 4}, {27, 4}},                  XW,     1, 0, {100, 200, 200}),
    line(5, IRR, X,   {XW},                                  24, 27, {{24, 4}, {25, 4}, {26, 4}, {27, 4}},                  XW,     1, 0, {100, 200, 200}),
    line(6, SQ,  REG, {SUB, DR, XW},                         21, 33, {{21, 16}, {22, 16}, {23, 1}, {24, 1}, {25, 1}},       XW,     2, 0, {100, 500, 2000}),
    line(6, SQ,  X,   {SUB, DR, XW},                         20, 23, {{20, 14}, {21, 14}, {22, 6}},                         XW,     1, 0, {100, 200, 2000}),
    line(6, IRR, REG, {SUB, DR, XW},                         19, 23, {{19, 14}, {20, 14}, {21, 6}, {22, 6}},                XW,     3, 0, {100, 200, 2000}),
    line(6, IRR, X,   {SUB, DR, XW},                         18, 22, {{18, 14}, {19, 14}, {20, 7}, {21, 6}},                XW,     4, 0, {100, 200, 2000}),
    line(7, SQ,  REG, {SUB, DR, XW},                         22, 34, {{22, 16}, {23, 16}, {24, 1}, {25, 1}, {26, 1}},       XW,     2, 0, {100, 500, 2000}),
    line(7, SQ,  X,   {SUB, DR, XW},                         21, 24, {{21, 14}, {22, 14}, {23, 6}},                         XW,     1, 0, {100, 200, 2000}),
    line(7, IRR, REG, {SUB, DR, XW},                         20, 24, {{20, 14}, {21, 14}, {22, 6}, {23, 6}},                XW,     3, 0, {100, 200, 2000}),
    line(7, IRR, X,   {SUB, DR, XW},                         19, 23, {{19, 14}, {20, 14}, {21, 7}, {22, 6}},                XW,     4, 0, {100, 200, 2000}),
    line(8, SQ,  REG, {WING, XC, XYC, ALS, ALS, FRANKEN, FINNED}, 20, 26, {{20, 16}, {21, 16}, {22, 1}, {23, 1}, {24, 1}},  FINNED, 1, 0, {100, 200, 20000}),
    line(8, SQ,  X,   {WING, XC, XYC, ALS, ALS, FRANKEN, FINNED}, 18, 24, {{18, 16}, {19, 16}, {20, 1}, {21, 1}, {22, 1}},  FINNED, 6, 0, {100, 200, 2000}),
    line(8, IRR, REG, {WING, XC, XYC, ALS, ALS, FRANKEN, FINNED}, 17, 23, {{17, 16}, {18, 16}, {19, 1}, {20, 1}, {21, 1}},  FINNED, 7, 0, {100, 200, 2000}),
    line(8, IRR, X,   {WING, XC, XYC, ALS, ALS, FRANKEN, FINNED}, 13, 16, {{13, 16}, {14, 16}, {15, 1}, {16, 1}},           FINNED, 5, 0, {100, 200, 2000}),
    line(9, SQ,  REG, {WING, XC, XYC, ALS, ALS, FRANKEN, NET},    18, 24, {{18, 16}, {19, 16}, {20, 1}, {21, 1}, {22, 1}},  NET,    1, 0, {100, 200, 20000}),
    line(9, SQ,  X,   {WING, XC, XYC, ALS, ALS, FRANKEN, NET},    16, 22, {{16, 16}, {17, 16}, {18, 1}, {19, 1}, {20, 1}},  NET,    1, 0, {100, 200, 20000}),
    line(9, IRR, REG, {WING, XC, XYC, ALS, ALS, FRANKEN, NET},    15, 21, {{15, 16}, {16, 16}, {17, 1}, {18, 1}, {19, 1}},  NET,    7, 0, {100, 200, 20000}),
    line(9, IRR, X,   {WING, XC, XYC, ALS, ALS, FRANKEN, NET},    11, 15, {{11, 16}, {12, 16}, {13, 1}, {14, 1}, {15, 1}},  NET,    5, 0, {100, 200, 20000}),
};
// clang-format on

static_assert(std::size(kLines) == N_PARAMETER_RECORDS);

constexpr std::array<ClueParameters, N_PARAMETER_RECORDS> place_lines() {
    std::array<ClueParameters, N_PARAMETER_RECORDS> table{};
    std::array<bool, N_PARAMETER_RECORDS> placed{};
    for (const TableLine& l : kLines) {
        require(!placed[l.index], "two lines for one difficulty, map type and adjacency");
        placed[l.index] = true;
        table[l.index] = l.record;
    }
    return table;
}

// A weighted input of the rating: the clue deficit or one technique_counts slot, with its weight in
// each coefficient set 0..7. Inputs not named here weigh 0 in every set.
struct Weights {
    int coef;
    std::array<int32_t, N_COEF_SETS> per_set;
};

// clang-format off
constexpr Weights kWeights[] = {
//   input                                       set 0    set 1    set 2   set 3   set 4   set 5    set 6    set 7
    {COEF_CLUE_DEFICIT,                        {100000,  90000, 100000, 100000, 100000,  90000,   90000,   90000}},
    {coef_for_slot(METHOD_HIDDEN_SINGLES),     {    -1,      1,      1,      1,      1,      1,       1,       1}},
    {coef_for_slot(METHOD_LOCKED_CANDIDATES),  {   -10,     10,     10,     10,     10,     10,      10,      10}},
    {coef_for_slot(METHOD_SUBSETS),            {   -10,    500,    100,    100,    100,    500,     500,     500}},
    {coef_for_slot(METHOD_DOUBLE_RESTRICTION), {     0,    500,  10000,     30,    100,    100,       0,     100}},
    {coef_for_slot(6),                         {     0,   1000,      0,      0,      0,   1000,       0,    1000}},
    {coef_for_slot(METHOD_X_WING),             {     0,   4000,   2000,    200,    200,  50000,   17000,   15000}},
    {coef_for_slot(METHOD_SWORDFISH),          {     0,   6000,      0,      0,      0,  80000,   30000,   25000}},
    {coef_for_slot(METHOD_JELLYFISH),          {     0,  10000,      0,      0,      0, 150000,   60000,   50000}},
    {coef_for_slot(METHOD_X_CHAIN),            {     0,    400,      0,      0,      0,   1000,       0,     400}},
    {coef_for_slot(METHOD_XY_CHAIN),           {     0,     50,      0,      0,      0,  10000,      10,      50}},
    {coef_for_slot(SLOT_XY_WING),              {     0,    100,      0,      0,      0,   5000,    -400,     500}},
    {coef_for_slot(SLOT_XYZ_WING),             {     0,  50000,      0,      0,      0,  60000,   10000,  100000}},
    {coef_for_slot(15),                        {     0, 300000,      0,      0,      0, 300000,  300000,  330000}},
    {coef_for_slot(METHOD_FRANKEN_FISH),       {     0, 330000,      0,      0,      0,     10,  300000,   10000}},
    {coef_for_slot(METHOD_FINNED_FISH),        {     0,  -2500,      0,      0,      0, -40000,  -10000,  -30000}},
    {coef_for_slot(SLOT_FINNED_TWO_FINS),      {     0, 260000,      0,      0,      0, 150000,  180000,  200000}},
    {coef_for_slot(SLOT_ALS_SINGLE_LINK),      {     0,   1800,      0,      0,      0,  40000,    2500,    1800}},
    {coef_for_slot(SLOT_ALS_DOUBLE_LINK),      {     0, 310000,      0,      0,      0, 310000,  310000,  310000}},
    {coef_for_slot(SLOT_ALS_BIVALUE_PAIR),     {     0, 280000,      0,      0,      0, 300000,  290000,  280000}},
    {coef_for_slot(SLOT_ALS_TRIVALUE_PAIR),    {     0, 310000,      0,      0,      0, 310000,  310000,  310000}},
};
// clang-format on

constexpr std::array<std::array<int32_t, N_RATING_COEFS>, N_COEF_SETS> place_weights() {
    std::array<std::array<int32_t, N_RATING_COEFS>, N_COEF_SETS> sets{};
    std::array<bool, N_RATING_COEFS> placed{};
    for (const Weights& w : kWeights) {
        require(w.coef >= 0 && w.coef < N_RATING_COEFS && !placed[w.coef], "bad or repeated rating input");
        placed[w.coef] = true;
        for (int s = 0; s < N_COEF_SETS; ++s) sets[s][w.coef] = w.per_set[s];
    }
    return sets;
}

}  // namespace

constinit const std::array<ClueParameters, N_PARAMETER_RECORDS> clue_parameters = place_lines();
constinit const std::array<std::array<int32_t, N_RATING_COEFS>, N_COEF_SETS> rating_coefficients =
    place_weights();

int ParameterAtom::draw_n_clues() const {
    const int last = span();
    const uint32_t total = static_cast<uint32_t>(n_clues_cdf[last]) + 1;
    const int32_t c = static_cast<int32_t>(arc4random_uniform(total));
    int i = 0;
    while (i < last && n_clues_cdf[i] < c) ++i;
    return min_n_clues + i;
}

// The weighted sum can leave the 32-bit range only for counts no solve produces, but the counts may
// be any saved copy; summing in 64 bits and wrapping once keeps the result defined for all of them.
int rate_counts(const ClueParameters& record, const int* counts) {
    const ParameterAtom& a = record.ruling();
    const int givens = counts[SLOT_GIVENS];
    if (givens > a.max_n_clues) return 0;
    const std::array<int32_t, N_RATING_COEFS>& k = rating_coefficients[a.coef_set];
    int64_t rating = int64_t{k[COEF_CLUE_DEFICIT]} * (RATING_CLUE_BASE - int64_t{givens});
    for (int s = 0; s < N_RATED_SLOTS; ++s) rating += int64_t{k[coef_for_slot(s)]} * counts[s];
    return static_cast<int32_t>(rating);
}

bool uses_listed_technique(const ClueParameters& record, const int* counts) {
    for (int k = 0; k < record.n_atoms; ++k)
        if (counts[record.listed(k).technique] != 0) return true;
    return false;
}

void Puzzle::set_n_clues(UI_QUALITY mode) {
    const ParameterAtom& a = clue_parameters_of(*this).ruling();
    // From difficulty 4 up, mode 0 asks for the most clues the difficulty allows, without a draw.
    if (mode == 0 && quality >= 4) {
        n_clues = a.max_n_clues;
        return;
    }
    n_clues = a.draw_n_clues();
    // Mode 1 lifts the two lowest targets of the harder difficulties by two.
    if (mode == 1 && quality >= 4 && n_clues <= a.min_n_clues + 1) n_clues += 2;
}

int Puzzle::rate_puzzle() {
    return rate_counts(clue_parameters_of(*this), technique_counts);
}

int Puzzle::rate_puzzle(const int* counts) {
    return rate_counts(clue_parameters_of(*this), counts);
}

bool Puzzle::at_least_one_technique_for_difficulty(const int* counts) {
    return uses_listed_technique(clue_parameters_of(*this), counts);
}

bool Puzzle::try_all_parameter_atoms() {
    const ClueParameters& record = clue_parameters_of(*this);
    for (int k = 0; k < record.n_atoms; ++k) {
        const METHOD_TYPE t = record.listed(k).method();
        apply_mask();
        solve(t);
        if (technique_counts[SLOT_UNSOLVED] == 0 && technique_counts[t] != 0) return true;
    }
    return false;
}
