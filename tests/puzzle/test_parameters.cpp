// The difficulty tables, the clue-target draw, the rating and the required-technique tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "puzzle/Puzzle.h"
#include "puzzle/Puzzle_parameters.h"
#include "support/puzzle_builder.h"
#include "util/rand_utils.h"

namespace {

struct Unseed {
    ~Unseed() { rand_unseed_thread(); }
};

// A bare puzzle that only knows its difficulty, map type and adjacency.
struct Bare : TestPuzzle {
    Bare(int quality, int map_type, int adjacency) {
        p->quality = static_cast<UI_QUALITY>(quality);
        p->map_type = static_cast<MAP_TYPE>(map_type);
        p->adjacency = static_cast<ADJACENCY_TYPE>(adjacency);
    }
};

// The difficulty table in its plain-text form: difficulty, map and adjacency | listed techniques |
// clue range | drawable counts (weight) | ruling technique | coefficient set | stop flag | tries.
const char* const kDifficultyTable = R"(
0 square regular | 0 | 34..38 | 34 (16), 35 (16) | 0 | 0 | 1 | 0 / 0 / 100
0 square x | 0 | 32..36 | 32 (3), 33 (4), 34 (4), 35 (4), 36 (3) | 0 | 0 | 1 | 0 / 0 / 100
0 irregular regular | 0 | 31..35 | 31 (3), 32 (4), 33 (4), 34 (4), 35 (4) | 0 | 0 | 1 | 0 / 0 / 100
0 irregular x | 0 | 28..32 | 28 (3), 29 (4), 30 (4), 31 (4), 32 (4) | 0 | 0 | 1 | 0 / 0 / 100
1 square regular | 0 | 29..33 | 29 (3), 30 (4), 31 (4), 32 (4), 33 (3) | 0 | 0 | 1 | 0 / 0 / 100
1 square x | 0 | 27..31 | 27 (3), 28 (4), 29 (4), 30 (4), 31 (3) | 0 | 0 | 1 | 0 / 0 / 100
1 irregular regular | 0 | 28..32 | 28 (3), 29 (4), 30 (4), 31 (4), 32 (4) | 0 | 0 | 1 | 0 / 0 / 100
1 irregular x | 0 | 25..29 | 25 (3), 26 (4), 27 (4), 28 (4), 29 (4) | 0 | 0 | 1 | 0 / 0 / 100
2 square regular | 1 | 28..31 | 28 (4), 29 (4), 30 (4), 31 (4) | 1 | 1 | 0 | 100 / 100 / 100
2 square x | 1 | 27..30 | 27 (4), 28 (4), 29 (4), 30 (4) | 1 | 1 | 0 | 100 / 100 / 100
2 irregular regular | 1 | 29..32 | 29 (4), 30 (4), 31 (4), 32 (4) | 1 | 1 | 0 | 100 / 100 / 100
2 irregular x | 1 | 28..31 | 28 (4), 29 (7), 30 (1), 31 (10) | 1 | 1 | 0 | 100 / 100 / 100
3 square regular | 2 | 27..30 | 27 (4), 28 (4), 29 (4), 30 (4) | 2 | 1 | 0 | 100 / 100 / 100
3 square x | 2 | 26..29 | 26 (4), 27 (4), 28 (4), 29 (4) | 2 | 1 | 0 | 100 / 100 / 100
3 irregular regular | 2 | 28..31 | 28 (4), 29 (4), 30 (4), 31 (4) | 2 | 1 | 0 | 100 / 100 / 100
3 irregular x | 2 | 27..30 | 27 (4), 28 (7), 29 (1), 30 (10) | 2 | 1 | 0 | 100 / 100 / 100
4 square regular | 3 | 23..26 | 23 (4), 24 (4), 25 (4), 26 (4) | 3 | 1 | 0 | 100 / 200 / 2000
4 square x | 3 | 23..26 | 23 (4), 24 (4), 25 (4), 26 (4) | 3 | 1 | 0 | 100 / 200 / 200
4 irregular regular | 3 | 23..26 | 23 (4), 24 (4), 25 (4), 26 (4) | 3 | 1 | 0 | 100 / 200 / 200
4 irregular x | 3 | 23..26 | 23 (4), 24 (4), 25 (4), 26 (4) | 3 | 1 | 0 | 100 / 200 / 200
5 square regular | 7 | 24..27 | 24 (4), 25 (4), 26 (4), 27 (4) | 7 | 1 | 0 | 100 / 200 / 2000
5 square x | 7 | 24..27 | 24 (4), 25 (4), 26 (4), 27 (4) | 7 | 1 | 0 | 100 / 200 / 200
5 irregular regular | 7 | 24..27 | 24 (4), 25 (4), 26 (4), 27 (4) | 7 | 1 | 0 | 100 / 200 / 200
5 irregular x | 7 | 24..27 | 24 (4), 25 (4), 26 (4), 27 (4) | 7 | 1 | 0 | 100 / 200 / 200
6 square regular | 3, 4, 7 | 21..33 | 21 (16), 22 (16), 23 (1), 24 (1), 25 (1) | 7 | 2 | 0 | 100 / 500 / 2000
6 square x | 3, 4, 7 | 20..23 | 20 (14), 21 (14), 22 (6) | 7 | 1 | 0 | 100 / 200 / 2000
6 irregular regular | 3, 4, 7 | 19..23 | 19 (14), 20 (14), 21 (6), 22 (6) | 7 | 3 | 0 | 100 / 200 / 2000
6 irregular x | 3, 4, 7 | 18..22 | 18 (14), 19 (14), 20 (7), 21 (6) | 7 | 4 | 0 | 100 / 200 / 2000
7 square regular | 3, 4, 7 | 22..34 | 22 (16), 23 (16), 24 (1), 25 (1), 26 (1) | 7 | 2 | 0 | 100 / 500 / 2000
7 square x | 3, 4, 7 | 21..24 | 21 (14), 22 (14), 23 (6) | 7 | 1 | 0 | 100 / 200 / 2000
7 irregular regular | 3, 4, 7 | 20..24 | 20 (14), 21 (14), 22 (6), 23 (6) | 7 | 3 | 0 | 100 / 200 / 2000
7 irregular x | 3, 4, 7 | 19..23 | 19 (14), 20 (14), 21 (7), 22 (6) | 7 | 4 | 0 | 100 / 200 / 2000
8 square regular | 12, 10, 11, 5, 5, 17, 18 | 20..26 | 20 (16), 21 (16), 22 (1), 23 (1), 24 (1) | 18 | 1 | 0 | 100 / 200 / 20000
8 square x | 12, 10, 11, 5, 5, 17, 18 | 18..24 | 18 (16), 19 (16), 20 (1), 21 (1), 22 (1) | 18 | 6 | 0 | 100 / 200 / 2000
8 irregular regular | 12, 10, 11, 5, 5, 17, 18 | 17..23 | 17 (16), 18 (16), 19 (1), 20 (1), 21 (1) | 18 | 7 | 0 | 100 / 200 / 2000
8 irregular x | 12, 10, 11, 5, 5, 17, 18 | 13..16 | 13 (16), 14 (16), 15 (1), 16 (1) | 18 | 5 | 0 | 100 / 200 / 2000
9 square regular | 12, 10, 11, 5, 5, 17, 26 | 18..24 | 18 (16), 19 (16), 20 (1), 21 (1), 22 (1) | 26 | 1 | 0 | 100 / 200 / 20000
9 square x | 12, 10, 11, 5, 5, 17, 26 | 16..22 | 16 (16), 17 (16), 18 (1), 19 (1), 20 (1) | 26 | 1 | 0 | 100 / 200 / 20000
9 irregular regular | 12, 10, 11, 5, 5, 17, 26 | 15..21 | 15 (16), 16 (16), 17 (1), 18 (1), 19 (1) | 26 | 7 | 0 | 100 / 200 / 20000
9 irregular x | 12, 10, 11, 5, 5, 17, 26 | 11..15 | 11 (16), 12 (16), 13 (1), 14 (1), 15 (1) | 26 | 5 | 0 | 100 / 200 / 20000
)";

// The rating weights in plain-text form: coefficient, then sets 0..7. Unnamed coefficients are 0.
const char* const kCoefficientTable = R"(
0 | 100000 | 90000 | 100000 | 100000 | 100000 | 90000 | 90000 | 90000
2 | -1 | 1 | 1 | 1 | 1 | 1 | 1 | 1
3 | -10 | 10 | 10 | 10 | 10 | 10 | 10 | 10
4 | -10 | 500 | 100 | 100 | 100 | 500 | 500 | 500
5 | 0 | 500 | 10000 | 30 | 100 | 100 | 0 | 100
7 | 0 | 1000 | 0 | 0 | 0 | 1000 | 0 | 1000
8 | 0 | 4000 | 2000 | 200 | 200 | 50000 | 17000 | 15000
9 | 0 | 6000 | 0 | 0 | 0 | 80000 | 30000 | 25000
10 | 0 | 10000 | 0 | 0 | 0 | 150000 | 60000 | 50000
11 | 0 | 400 | 0 | 0 | 0 | 1000 | 0 | 400
12 | 0 | 50 | 0 | 0 | 0 | 10000 | 10 | 50
14 | 0 | 100 | 0 | 0 | 0 | 5000 | -400 | 500
15 | 0 | 50000 | 0 | 0 | 0 | 60000 | 10000 | 100000
16 | 0 | 300000 | 0 | 0 | 0 | 300000 | 300000 | 330000
18 | 0 | 330000 | 0 | 0 | 0 | 10 | 300000 | 10000
19 | 0 | -2500 | 0 | 0 | 0 | -40000 | -10000 | -30000
20 | 0 | 260000 | 0 | 0 | 0 | 150000 | 180000 | 200000
21 | 0 | 1800 | 0 | 0 | 0 | 40000 | 2500 | 1800
22 | 0 | 310000 | 0 | 0 | 0 | 310000 | 310000 | 310000
23 | 0 | 280000 | 0 | 0 | 0 | 300000 | 290000 | 280000
24 | 0 | 310000 | 0 | 0 | 0 | 310000 | 310000 | 310000
)";

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string item; std::getline(in, item, sep);) out.push_back(item);
    return out;
}

// The integers of a table cell; separators and brackets are ignored.
std::vector<int> ints_of(std::string s) {
    for (char& c : s)
        if (std::strchr(",/.()|", c)) c = ' ';
    std::istringstream in(s);
    std::vector<int> out;
    for (int v; in >> v;) out.push_back(v);
    return out;
}

struct ExpectedRecord {
    std::string name;
    int quality, map_type, adjacency;
    std::vector<int> listed, range, tries;
    std::map<int, int> weights;  // drawable count -> weight
    int ruling, coef_set, stop;
};

std::vector<ExpectedRecord> expected_records() {
    std::vector<ExpectedRecord> out;
    for (const std::string& text : split(kDifficultyTable, '\n')) {
        auto f = split(text, '|');
        if (f.size() != 8) continue;
        ExpectedRecord e;
        e.name = f[0];
        std::istringstream head(f[0]);
        std::string map, adj;
        head >> e.quality >> map >> adj;
        e.map_type = map == "irregular";
        e.adjacency = adj == "x";
        e.listed = ints_of(f[1]);
        e.range = ints_of(f[2]);
        auto drawn = ints_of(f[3]);
        for (size_t i = 0; i + 1 < drawn.size(); i += 2) e.weights[drawn[i]] = drawn[i + 1];
        e.ruling = ints_of(f[4]).at(0);
        e.coef_set = ints_of(f[5]).at(0);
        e.stop = ints_of(f[6]).at(0);
        e.tries = ints_of(f[7]);
        out.push_back(e);
    }
    return out;
}

TEST(ParamTable, EveryRecordMatchesTheDifficultyTable) {
    auto expected = expected_records();
    ASSERT_EQ(expected.size(), static_cast<size_t>(N_PARAMETER_RECORDS));
    for (const ExpectedRecord& e : expected) {
        SCOPED_TRACE(e.name);
        const ClueParameters& r = clue_parameters_for(e.quality, e.map_type, e.adjacency);
        ASSERT_EQ(r.n_atoms, static_cast<int>(e.listed.size()));
        for (int k = 0; k < r.n_atoms; ++k) EXPECT_EQ(r.listed(k).technique, e.listed[k]) << "listed " << k;
        const ParameterAtom& a = r.ruling();
        EXPECT_EQ(a.technique, e.ruling);
        EXPECT_EQ(std::vector<int>({a.min_n_clues, a.max_n_clues}), e.range);
        EXPECT_EQ(a.coef_set, e.coef_set);
        EXPECT_EQ(a.stop_at_target, e.stop);
        EXPECT_EQ(std::vector<int>(a.tries, a.tries + N_EFFORTS), e.tries);
        // Weights read back from the cumulative column: exactly the drawable counts, zero elsewhere;
        // past the used range the column repeats its last used entry.
        ASSERT_LT(a.span(), N_CLUES_CDF);
        std::map<int, int> weights;
        for (int i = 0; i <= a.span(); ++i) {
            int w = a.n_clues_cdf[i] - (i ? a.n_clues_cdf[i - 1] : -1);
            EXPECT_EQ(a.weight(i), w);
            if (w) weights[a.min_n_clues + i] = w;
        }
        EXPECT_EQ(weights, e.weights);
        for (int i = a.span() + 1; i < N_CLUES_CDF; ++i) EXPECT_EQ(a.n_clues_cdf[i], a.n_clues_cdf[a.span()]);
    }
}

TEST(ParamTable, StoredLayout) {
    for (int i = 0; i < N_PARAMETER_RECORDS; ++i) {
        const int q = i / 4;
        const ClueParameters& r = clue_parameters[i];
        EXPECT_EQ(&r, &clue_parameters_for(q, (i / 2) % 2, i % 2));
        EXPECT_EQ(r.n_atoms, q <= 5 ? 1 : q <= 7 ? 3 : 7) << "record " << i;
        const ParameterAtom zero{};
        for (int k = 0; k < N_PARAMETER_ATOMS; ++k) {
            EXPECT_EQ(r.atom_order[k], k < r.n_atoms ? k : 0) << "record " << i << " atom_order " << k;
            if (k >= r.n_atoms) {
                EXPECT_EQ(std::memcmp(&r.atoms[k], &zero, sizeof zero), 0) << "record " << i;
            }
        }
    }
    // Records as raw ints: the first, and quality 8 square regular whose ruling atom 6 is at int 153.
    int32_t raw[RECORD_INTS];
    std::memcpy(raw, &clue_parameters[0], sizeof raw);
    const int32_t head[] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 34, 38, 0, 0, 1, 0, 0, 100, 15, 31, 31, 31, 31};
    EXPECT_TRUE(std::equal(head, head + std::size(head), raw));
    std::memcpy(raw, &clue_parameters_for(8, MAP_SQUARE, ADJ_REGULAR), sizeof raw);
    EXPECT_EQ(raw[0], 7);
    EXPECT_EQ(raw[7], 6);
    EXPECT_EQ(raw[9 + 24 * 3 + 2], METHOD_ALS);
    const int32_t ruling[] = {20, 26, METHOD_FINNED_FISH, 1, 0, 100, 200, 20000, 15, 31, 32, 33, 34};
    EXPECT_TRUE(std::equal(ruling, ruling + std::size(ruling), raw + 9 + 24 * 6));
}

TEST(ParamTable, RatingCoefficientsMatchTheWeightTable) {
    int32_t want[N_COEF_SETS][N_RATING_COEFS] = {};
    int rows = 0;
    for (const std::string& text : split(kCoefficientTable, '\n')) {
        auto v = ints_of(text);
        if (v.empty()) continue;
        ASSERT_EQ(v.size(), 9u) << text;
        for (int s = 0; s < N_COEF_SETS; ++s) want[s][v[0]] = v[1 + s];
        ++rows;
    }
    EXPECT_EQ(rows, 21);
    for (int s = 0; s < N_COEF_SETS; ++s)
        for (int c = 0; c < N_RATING_COEFS; ++c)
            EXPECT_EQ(rating_coefficients[s][c], want[s][c]) << "set " << s << " coefficient " << c;
}

// Draws n targets from one record's ruling atom and counts each outcome.
std::map<int, int> tally_draws(const ParameterAtom& a, int n) {
    std::map<int, int> seen;
    for (int i = 0; i < n; ++i) ++seen[a.draw_n_clues()];
    return seen;
}

TEST(ParamDraw, EveryRecordDrawsItsCountsInProportion) {
    Unseed u;
    rand_seed_thread(20240611);
    const int n = 6000;
    for (const ExpectedRecord& e : expected_records()) {
        SCOPED_TRACE(e.name);
        auto seen = tally_draws(clue_parameters_for(e.quality, e.map_type, e.adjacency).ruling(), n);
        int total = 0;
        for (const auto& [count, w] : e.weights) total += w;
        for (const auto& [count, times] : seen) EXPECT_TRUE(e.weights.count(count)) << "drew " << count;
        for (const auto& [count, w] : e.weights) {
            double p = double(w) / total, sigma = std::sqrt(n * p * (1 - p));
            EXPECT_NEAR(seen[count], n * p, 5 * sigma + 1) << "count " << count;
        }
    }
}

TEST(ParamDraw, UnevenWeightsOfTwoRecords) {
    Unseed u;
    rand_seed_thread(3);
    // The easiest square regular record allows up to 38 givens but draws only 34 or 35.
    auto easy = tally_draws(clue_parameters_for(0, MAP_SQUARE, ADJ_REGULAR).ruling(), 20000);
    EXPECT_EQ(easy.size(), 2u);
    EXPECT_NEAR(easy[34], 10000, 300);
    EXPECT_NEAR(easy[35], 10000, 300);
    // Quality 2 irregular x: 31 with chance 10/22, 30 with 1/22.
    auto odd = tally_draws(clue_parameters_for(2, MAP_IRREGULAR, ADJ_X).ruling(), 22000);
    EXPECT_NEAR(odd[31], 10000, 300);
    EXPECT_NEAR(odd[30], 1000, 130);
    EXPECT_NEAR(odd[29], 7000, 280);
    EXPECT_NEAR(odd[28], 4000, 230);
}

UI_QUALITY mode(int m) {
    return static_cast<UI_QUALITY>(m);
}

TEST(ClueTarget, ModeZeroTakesTheMaximumWithoutDrawingFromQuality4) {
    Unseed u;
    for (int i = 0; i < N_PARAMETER_RECORDS; ++i) {
        const int q = i / 4;
        SCOPED_TRACE(::testing::Message() << "record " << i);
        rand_seed_thread(99);
        const uint32_t first = arc4random();
        rand_seed_thread(99);
        Bare p(q, (i / 2) % 2, i % 2);
        const ParameterAtom& a = clue_parameters_of(*p.p).ruling();
        p->set_n_clues(mode(0));
        if (q >= 4) {
            EXPECT_EQ(p->n_clues, a.max_n_clues);
            if (q == 5) {
                EXPECT_EQ(p->n_clues, 27);
            }
            EXPECT_EQ(arc4random(), first) << "a random word was drawn";
        } else {
            EXPECT_GE(p->n_clues, a.min_n_clues);
            EXPECT_NE(arc4random(), first) << "no random word was drawn";
        }
    }
}

TEST(ClueTarget, ModeOneLiftsTheTwoLowestTargetsFromQuality4) {
    Unseed u;
    rand_seed_thread(5);
    Bare q4(4, MAP_SQUARE, ADJ_REGULAR);
    std::map<int, int> seen;
    for (int i = 0; i < 8000; ++i) {
        q4->set_n_clues(mode(1));
        ++seen[q4->n_clues];
    }
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen[25], 4000, 250);
    EXPECT_NEAR(seen[26], 4000, 250);

    // The lift never leaves a record's range; below quality 4, and in other modes, the draw is plain.
    for (int m : {1, 2}) {
        for (int i = 0; i < N_PARAMETER_RECORDS; ++i) {
            const int q = i / 4;
            Bare p(q, (i / 2) % 2, i % 2);
            const ParameterAtom& a = clue_parameters_of(*p.p).ruling();
            int lowest = INT_MAX, highest = INT_MIN;
            for (int k = 0; k < 600; ++k) {
                p->set_n_clues(mode(m));
                lowest = std::min(lowest, p->n_clues);
                highest = std::max(highest, p->n_clues);
            }
            EXPECT_LE(highest, a.max_n_clues) << "mode " << m << " record " << i;
            EXPECT_EQ(lowest, m == 1 && q >= 4 ? a.min_n_clues + 2 : a.min_n_clues)
                << "mode " << m << " record " << i;
        }
    }
}

TEST(RatingFormula, Set0RewardsFewerCluesAndSlightlyPenalisesEasyTechniques) {
    Bare p(0, MAP_SQUARE, ADJ_REGULAR);
    int counts[N_TECHNIQUE_COUNTS] = {};
    counts[SLOT_GIVENS] = 35;
    counts[METHOD_NAKED_SINGLES] = 3;  // naked singles weigh nothing
    EXPECT_EQ(p->rate_puzzle(counts), 500000);
    counts[METHOD_HIDDEN_SINGLES] = 7;
    EXPECT_EQ(p->rate_puzzle(counts), 500000 - 7);
    counts[METHOD_LOCKED_CANDIDATES] = 1;
    counts[METHOD_SUBSETS] = 2;
    counts[SLOT_GIVENS] = 34;
    EXPECT_EQ(p->rate_puzzle(counts), 600000 - 7 - 10 - 20);
    // The puzzle's own counters give the same figure as a saved copy of them.
    std::memcpy(p->technique_counts, counts, sizeof counts);
    EXPECT_EQ(p->rate_puzzle(), 600000 - 37);
}

TEST(RatingFormula, OneGivenOverTheMaximumRatesZero) {
    for (const ExpectedRecord& e : expected_records()) {
        SCOPED_TRACE(e.name);
        Bare p(e.quality, e.map_type, e.adjacency);
        int counts[N_TECHNIQUE_COUNTS] = {};
        for (int s = 0; s < N_RATED_SLOTS; ++s) counts[s] = 3;
        counts[SLOT_GIVENS] = e.range[1] + 1;
        EXPECT_EQ(p->rate_puzzle(counts), 0);
        counts[SLOT_GIVENS] = e.range[1];
        int64_t want = int64_t{rating_coefficients[e.coef_set][0]} * (40 - e.range[1]);
        for (int s = 0; s < N_RATED_SLOTS; ++s) want += 3 * int64_t{rating_coefficients[e.coef_set][1 + s]};
        EXPECT_EQ(p->rate_puzzle(counts), want);
        EXPECT_GT(want, 0);
    }
}

TEST(RatingFormula, SlotsAreWeighedByTheirOwnCoefficients) {
    int counts[N_TECHNIQUE_COUNTS] = {};
    Bare p(8, MAP_IRREGULAR, ADJ_X);  // set 5
    counts[SLOT_GIVENS] = 16;
    counts[METHOD_FRANKEN_FISH] = 2;
    counts[SLOT_XY_WING] = 1;
    counts[SLOT_ALS_TRIVALUE_PAIR] = 1;
    const int rating = 90000 * 24 + 2 * 10 + 5000 + 310000;
    EXPECT_EQ(p->rate_puzzle(counts), rating);
    // Slots past 26 (the unsolved flag, the givens themselves, the atoms) carry no weight.
    counts[SLOT_UNSOLVED] = 1;
    counts[ATOM_HIDDEN_SINGLE_GROUP] = 40;
    counts[METHOD_W_WING] = 9;
    EXPECT_EQ(p->rate_puzzle(counts), rating);
    // A negative weight can take the rating below zero; it is returned as it is.
    counts[METHOD_FINNED_FISH] = 80;
    EXPECT_EQ(p->rate_puzzle(counts), rating - 80 * 40000);
    EXPECT_LT(p->rate_puzzle(counts), 0);
}

TEST(RatingFormula, OutlandishCountsWrapToThirtyTwoBitsWithoutFault) {
    Bare p(2, MAP_SQUARE, ADJ_REGULAR);  // set 1
    int counts[N_TECHNIQUE_COUNTS] = {};
    counts[SLOT_GIVENS] = INT_MIN;
    counts[METHOD_FRANKEN_FISH] = INT_MAX;
    const uint64_t exact = uint64_t(int64_t{90000} * (40 - int64_t{INT_MIN}) + int64_t{330000} * INT_MAX);
    EXPECT_EQ(p->rate_puzzle(counts), static_cast<int32_t>(static_cast<uint32_t>(exact)));
}

TEST(ClueRequiredTechnique, NeedsANonZeroCountOfSomeListedTechnique) {
    // Quality 8: X-wings and swordfish alone are below what it asks for; any listed one will do.
    Bare q8(8, MAP_SQUARE, ADJ_REGULAR);
    int counts[N_TECHNIQUE_COUNTS] = {};
    counts[METHOD_NAKED_SINGLES] = 1;
    counts[METHOD_HIDDEN_SINGLES] = 20;
    counts[METHOD_X_WING] = 3;
    counts[METHOD_SWORDFISH] = 1;
    counts[SLOT_XY_WING] = 2;  // a sub-technique slot does not stand in for its technique
    EXPECT_FALSE(q8->at_least_one_technique_for_difficulty(counts));
    for (int t : {METHOD_XY_XYZ_WING, METHOD_X_CHAIN, METHOD_XY_CHAIN, METHOD_ALS, METHOD_FRANKEN_FISH,
                  METHOD_FINNED_FISH}) {
        int with[N_TECHNIQUE_COUNTS];
        std::memcpy(with, counts, sizeof with);
        with[t] = 1;
        EXPECT_TRUE(q8->at_least_one_technique_for_difficulty(with)) << "technique " << t;
    }
    // Qualities 6 and 7 accept subsets without double restriction or X-wing.
    for (int i = 24; i < 32; ++i) {
        Bare p(i / 4, (i / 2) % 2, i % 2);
        int c[N_TECHNIQUE_COUNTS] = {};
        c[METHOD_HIDDEN_SINGLES] = 5;
        c[METHOD_LOCKED_CANDIDATES] = 2;
        EXPECT_FALSE(p->at_least_one_technique_for_difficulty(c)) << "record " << i;
        c[METHOD_SUBSETS] = 2;
        EXPECT_TRUE(p->at_least_one_technique_for_difficulty(c)) << "record " << i;
    }
    int none[N_TECHNIQUE_COUNTS] = {};
    none[SLOT_GIVENS] = 30;
    for (const ClueParameters& r : clue_parameters) EXPECT_FALSE(uses_listed_technique(r, none));
}

// Thins the full grid to clues that hidden singles still solve, in a fixed shuffled order.
void dig_for_hidden_singles(Puzzle& p) {
    load_solver_form(&p, kGrid, kGrid);
    int order[N_CELLS];
    for (int k = 0; k < N_CELLS; ++k) order[k] = k;
    std::shuffle(order, order + N_CELLS, std::mt19937(2024));
    for (int k : order) {
        p.cells[k].status = 0;
        p.apply_mask();
        if (p.solve(METHOD_HIDDEN_SINGLES) != SOLVED) p.cells[k].status = STATUS_CLUE;
    }
    p.apply_mask();
}

void set_difficulty(Puzzle& p, int quality) {
    p.quality = static_cast<UI_QUALITY>(quality);
}

TEST(ClueRequiredTechnique, TryAllAtomsAsksForASolveThatUsesTheAtomsOwnTechnique) {
    // Four open cells: naked singles finish it, and nothing harder ever gets a turn.
    TestPuzzle easy;
    std::string clues = kGrid;
    for (int k : {0, 20, 40, 80}) clues[k] = '.';
    load_solver_form(easy.p, kGrid, clues);
    set_difficulty(*easy, 0);
    EXPECT_TRUE(easy->try_all_parameter_atoms());
    for (int q : {2, 6, 8}) {
        set_difficulty(*easy, q);
        EXPECT_FALSE(easy->try_all_parameter_atoms()) << "quality " << q;
        // Each atom started again from the clues, so the last solve still finished the grid.
        EXPECT_EQ(easy->technique_counts[SLOT_UNSOLVED], 0) << "quality " << q;
        EXPECT_EQ(easy->technique_counts[SLOT_GIVENS], 77) << "quality " << q;
    }

    // Thinned until hidden singles are needed: the lowest difficulty cannot solve it by its own
    // technique, the next one up can.
    TestPuzzle hard;
    dig_for_hidden_singles(*hard);
    ASSERT_NE(hard->solve(METHOD_NAKED_SINGLES), SOLVED);  // leaves the grid part-solved
    set_difficulty(*hard, 2);
    EXPECT_TRUE(hard->try_all_parameter_atoms());
    EXPECT_GT(hard->technique_counts[METHOD_HIDDEN_SINGLES], 0);
    set_difficulty(*hard, 0);
    EXPECT_FALSE(hard->try_all_parameter_atoms());
    EXPECT_EQ(hard->technique_counts[SLOT_UNSOLVED], 1);
}

}  // namespace
