// Names and tables of the classifier: ladder levels, bucket words, descriptions, hardest technique.
#include <cstring>

#include "classify/puzzle_classify.h"

const METHOD_TYPE kSolveLevels[kNSolveLevels] = {
    METHOD_NAKED_SINGLES, METHOD_HIDDEN_SINGLES, METHOD_LOCKED_CANDIDATES, METHOD_SUBSETS,
    METHOD_DOUBLE_RESTRICTION, METHOD_X_WING, METHOD_SWORDFISH, METHOD_TURBOT,
    METHOD_XY_XYZ_WING, METHOD_W_WING, METHOD_JELLYFISH, METHOD_X_CHAIN,
    METHOD_XY_CHAIN, METHOD_ALS, METHOD_FRANKEN_FISH, METHOD_FORCING_NET,
};

const char* const kPoolBucketNames[10] = {"quickie", "easy",    "moderately_easy", "moderate",
                                          "moderately_hard", "hard", "vicious", "fiendish",
                                          "hell", "beyond_hell"};
const char* const kMapNames[2] = {"square", "irregular"};
const char* const kAdjNames[2] = {"regular", "x"};

namespace {

struct LevelName {
    const char* label;
    const char* description;
};

// By ladder index 1..16; index 0 is named by the number of givens.
const LevelName kLevelNames[17] = {
    {"easy", "Easy — Naked Singles only"},
    {"moderately_easy", "Moderately Easy — Hidden Singles"},
    {"moderate", "Moderate — Locked Candidates / Naked Pair"},
    {"moderately_hard", "Moderately Hard — Hidden/Naked Triple-Quad"},
    {"hard", "Hard — Double Restriction"},
    {"hard", "Hard — X-Wing"},
    {"vicious", "Vicious — Swordfish"},
    {"vicious", "Vicious — Turbot family"},
    {"fiendish", "Fiendish — XY-Wing / XYZ-Wing"},
    {"fiendish", "Fiendish — W-Wing"},
    {"fiendish", "Fiendish — Jellyfish"},
    {"fiendish", "Fiendish — X-Chain"},
    {"hell", "Hell — XY-Chain"},
    {"hell", "Hell — ALS"},
    {"hell", "Hell — Franken Fish"},
    {"beyond_hell", "Beyond Hell — Forcing Net"},
    {"beyond_hell", "Beyond Hell — Brute Force"},
};
const LevelName kQuickie = {"quickie", "Quickie — Naked Singles only"};

// Ladder index of a technique for ordering; 16 for techniques off the ladder. W-wing is handled apart.
int order_of(int m) {
    for (int li = 0; li < kNSolveLevels; ++li)
        if (kSolveLevels[li] == m && m != METHOD_W_WING) return li;
    return 16;
}

}  // namespace

int quickie_threshold(MAP_TYPE map, ADJACENCY_TYPE adjacency) {
    static const int threshold[2][2] = {{34, 32}, {31, 28}};
    return threshold[map == MAP_IRREGULAR][adjacency == ADJ_X];
}

void verdict_names(int level, bool quickie, const char** label, const char** description) {
    if (level < 0) {
        *label = quickie ? kQuickie.label : kLevelNames[0].label;
        *description = "Trivial (all given)";
        return;
    }
    const LevelName& n = level == 0 && quickie ? kQuickie : kLevelNames[level > 16 ? 16 : level];
    *label = n.label;
    *description = n.description;
}

const char* unsolved_description(int level, bool quickie, bool solvable, bool budget_exhausted) {
    if (level >= 0) {
        const char* label;
        const char* description;
        verdict_names(level, quickie, &label, &description);
        return description;
    }
    // No ladder level placed a digit: say what the search found instead.
    if (budget_exhausted) return "Undecided — search budget exhausted";
    return solvable ? "More than one solution" : "No solution";
}

METHOD_TYPE hardest_method_used(const int* counts) {
    // The techniques themselves; slots 13, 14 and 19..23 are sub-counts of other techniques.
    static const int kMethods[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 17, 18, 25, 26, 27};
    int best = METHOD_NAKED_SINGLES, best_order = -1;
    for (int m : kMethods) {
        if (counts[m] <= 0) continue;
        const int order = order_of(m);
        if (order > best_order) best = m, best_order = order;
    }
    if (best_order < 9 && counts[METHOD_W_WING] > 0) best = METHOD_W_WING;
    return static_cast<METHOD_TYPE>(best);
}

int method_type_to_bucket(METHOD_TYPE m) {
    switch (static_cast<int>(m)) {
        case 0: return 0;
        case 1: return 2;
        case 2: return 3;
        case 3: return 4;
        case 4:
        case 7: return 5;
        case 8:
        case 25: return 6;
        case 9:
        case 10:
        case 12:
        case 51: return 7;
        case 5:
        case 11:
        case 17: return 8;
        default: return 9;
    }
}

extern "C" {

int gen_bucket_index(const char* name) {
    if (!name) return -1;
    for (int i = 0; i < 10; ++i)
        if (std::strcmp(name, kPoolBucketNames[i]) == 0) return i;
    return -1;
}

const char* gen_bucket_name(int index) { return index >= 0 && index < 10 ? kPoolBucketNames[index] : ""; }
const char* gen_map_name(int map_type) { return map_type == 0 || map_type == 1 ? kMapNames[map_type] : ""; }
const char* gen_adj_name(int adjacency) { return adjacency == 0 || adjacency == 1 ? kAdjNames[adjacency] : ""; }

}  // extern "C"
