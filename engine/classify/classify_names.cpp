// Names and tables of the classifier: ladder levels, bucket words, descriptions, hardest technique.
#include <cstring>

#include "classify/puzzle_classify.h"
#include "ffi/quorvel.h"  // declares the name lookups, defined here
#include "ffi/techniques.h"

namespace {

using techniques::technique_at;

constexpr METHOD_TYPE level_method(int li) { return static_cast<METHOD_TYPE>(technique_at(li)->number); }

}  // namespace

const METHOD_TYPE kSolveLevels[kNSolveLevels] = {
    level_method(0),  level_method(1),  level_method(2),  level_method(3),  level_method(4),  level_method(5),
    level_method(6),  level_method(7),  level_method(8),  level_method(9),  level_method(10), level_method(11),
    level_method(12), level_method(13), level_method(14), level_method(15),
};
static_assert(kNSolveLevels == techniques::kLadderLevels);

const char* const kPoolBucketNames[10] = {"quickie", "easy",    "moderately_easy", "moderate",
                                          "moderately_hard", "hard", "vicious", "fiendish",
                                          "hell", "beyond_hell"};
const char* const kMapNames[2] = {"square", "irregular"};
const char* const kAdjNames[2] = {"regular", "x"};

namespace {

// Naked singles alone: "quickie" with many givens, "easy" with fewer.
constexpr const char* kQuickieDescription = "Quickie — Naked Singles only";
constexpr int kEasyBucket = 1;

// Ladder index of a technique for ordering; 16 for techniques off the ladder. W-wing is handled apart.
int order_of(int m) {
    if (m == METHOD_W_WING) return 16;
    const techniques::Technique* t = techniques::find_technique(m);
    return t && t->number == m && t->ladder >= 0 && t->ladder < kNSolveLevels ? t->ladder : 16;
}

}  // namespace

int quickie_threshold(MAP_TYPE map, ADJACENCY_TYPE adjacency) {
    static const int threshold[2][2] = {{34, 32}, {31, 28}};
    return threshold[map == MAP_IRREGULAR][adjacency == ADJ_X];
}

void verdict_names(int level, bool quickie, const char** label, const char** description) {
    if (level < 0) {
        *label = kPoolBucketNames[quickie ? 0 : kEasyBucket];
        *description = "Trivial (all given)";
        return;
    }
    const techniques::Technique& t = *technique_at(level > kNSolveLevels ? kNSolveLevels : level);
    const bool easy = level == 0 && !quickie;
    *label = kPoolBucketNames[easy ? kEasyBucket : t.bucket];
    *description = level == 0 && quickie ? kQuickieDescription : t.description;
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
    // The techniques themselves by ascending number (the first of equal order wins); sub-counts and
    // atoms count for other techniques. W-wing is weighed apart below.
    int best = METHOD_NAKED_SINGLES, best_order = -1;
    for (int m = 0; m < METHOD_W_WING; ++m) {
        const techniques::Technique* t = techniques::find_technique(m);
        if (!t || t->number != m || counts[m] <= 0) continue;
        const int order = order_of(m);
        if (order > best_order) best = m, best_order = order;
    }
    if (best_order < 9 && counts[METHOD_W_WING] > 0) best = METHOD_W_WING;
    return static_cast<METHOD_TYPE>(best);
}

int method_type_to_bucket(METHOD_TYPE m) {
    // Finer kinds and unknown numbers count as the hardest bucket, as the search does.
    const techniques::Technique* t = techniques::find_technique(m);
    return t && t->number == m ? t->bucket : 9;
}

int gen_bucket_index(const char* name) {
    if (!name) return -1;
    for (int i = 0; i < 10; ++i)
        if (std::strcmp(name, kPoolBucketNames[i]) == 0) return i;
    return -1;
}

const char* gen_bucket_name(int index) { return index >= 0 && index < 10 ? kPoolBucketNames[index] : ""; }
const char* gen_map_name(int map_type) { return map_type == 0 || map_type == 1 ? kMapNames[map_type] : ""; }
const char* gen_adj_name(int adjacency) { return adjacency == 0 || adjacency == 1 ? kAdjNames[adjacency] : ""; }

