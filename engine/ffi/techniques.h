// The technique table: every solver technique with its ladder place, prerequisite, bucket and names.
//
// The one home of these facts. The solver's ladder driver, the classifier's levels, words and
// descriptions, the hint step names and the front ends' technique names are all derived from it,
// and the checks at the end of this file hold it to the ladder's shape at compile time. The header
// is self-contained (no engine types), so front ends may include it beside quorvel.h.
#pragma once

namespace techniques {

struct Technique {
    int number;               // the solver's technique number (its counter slot)
    int ladder;               // index on the 16-level ladder; 16 for the search; -1 off the ladder
    int prerequisite;         // the technique the driver exhausts before trying this one; -1 for none
    int bucket;               // difficulty bucket (0 quickie .. 9 beyond_hell) of a grid this is hardest for
    const char* name;         // short name for command lines and legends
    const char* title;        // name shown to players
    const char* description;  // classifier description of a grid solved up to this ladder place
};

// In ladder order; the two techniques off the main ladder come last. Naked singles are bucket 0
// ("quickie"); the classifier says "easy" instead when the givens are below the map's threshold.
inline constexpr Technique kTechniqueTable[] = {
    {0, 0, -1, 0, "naked-single", "Naked single", "Easy — Naked Singles only"},
    {1, 1, 0, 2, "hidden-single", "Hidden single", "Moderately Easy — Hidden Singles"},
    {2, 2, 1, 3, "locked-candidates", "Locked candidates", "Moderate — Locked Candidates / Naked Pair"},
    {3, 3, 2, 4, "subsets", "Naked or hidden subset", "Moderately Hard — Hidden/Naked Triple-Quad"},
    {4, 4, 3, 5, "double-restriction", "Double restriction", "Hard — Double Restriction"},
    {7, 5, 4, 5, "x-wing", "X-wing", "Hard — X-Wing"},
    {8, 6, 7, 6, "swordfish", "Swordfish", "Vicious — Swordfish"},
    {25, 7, 8, 6, "turbot", "Turbot fish", "Vicious — Turbot family"},
    {12, 8, 25, 7, "xy-wing", "XY-wing", "Fiendish — XY-Wing / XYZ-Wing"},
    {51, 9, 12, 7, "w-wing", "W-wing", "Fiendish — W-Wing"},
    {9, 10, 51, 7, "jellyfish", "Jellyfish", "Fiendish — Jellyfish"},
    {10, 11, 9, 7, "x-chain", "X-chain", "Fiendish — X-Chain"},
    {11, 12, 10, 8, "xy-chain", "XY-chain", "Hell — XY-Chain"},
    {5, 13, 11, 8, "als", "Almost locked sets", "Hell — ALS"},
    {17, 14, 5, 8, "franken-fish", "Franken fish", "Hell — Franken Fish"},
    {26, 15, 17, 9, "forcing-net", "Forcing net", "Beyond Hell — Forcing Net"},
    {27, 16, 26, 9, "search", "Trial and error", "Beyond Hell — Brute Force"},
    {18, -1, 17, 9, "finned-fish", "Finned fish", ""},
};

inline constexpr int kTechniqueCount = sizeof kTechniqueTable / sizeof kTechniqueTable[0];
inline constexpr int kLadderLevels = 16;  // ladder places 0..15; place 16 is the search
inline constexpr int kCounterSlots = 54;  // the solver's technique counters

// The technique a counter slot counts for: the technique's own slot, or the technique whose finer
// kinds (sub-counts and atoms) the slot counts. -1 for slots that count no technique.
constexpr int technique_of_slot(int slot) {
    switch (slot) {
    case 6: case 15: case 49: case 50: return 17;
    case 13: case 14: case 52: return 12;
    case 19: return 18;
    case 20: case 21: case 22: case 23: return 5;
    case 30: case 31: return 0;
    case 32: case 33: return 1;
    case 34: case 35: case 53: return 2;
    case 36: case 37: case 38: case 39: case 40: case 41: return 3;
    case 42: case 43: case 44: case 45: return 25;
    default: break;
    }
    for (const Technique& t : kTechniqueTable)
        if (t.number == slot) return slot;
    return -1;
}

// The table row of a technique number (or of a counter slot counting for one); null when none.
constexpr const Technique* find_technique(int number_or_slot) {
    const int number = technique_of_slot(number_or_slot);
    for (const Technique& t : kTechniqueTable)
        if (t.number == number) return &t;
    return nullptr;
}

// The row at a ladder place 0..16; null outside.
constexpr const Technique* technique_at(int ladder) {
    for (const Technique& t : kTechniqueTable)
        if (t.ladder == ladder && ladder >= 0) return &t;
    return nullptr;
}

// The row whose short name is `name`; null when none.
constexpr const Technique* technique_named(const char* name) {
    for (const Technique& t : kTechniqueTable) {
        const char *a = t.name, *b = name;
        while (*a && *a == *b) ++a, ++b;
        if (*a == *b) return &t;
    }
    return nullptr;
}

// Title of a technique number or counter slot, for players; "" when the number names nothing.
constexpr const char* technique_title(int number_or_slot) {
    if (number_or_slot == 14) return "XYZ-wing";  // the XYZ-wing half of the wings technique
    const Technique* t = find_technique(number_or_slot);
    return t ? t->title : "";
}

namespace detail {

// Indexes rather than pointers: the checks below run at compile time, also in sanitizer builds,
// where comparing a table pointer with null is not a constant expression.
constexpr int row_at(int ladder) {
    for (int i = 0; i < kTechniqueCount; ++i)
        if (kTechniqueTable[i].ladder == ladder) return i;
    return -1;
}

constexpr int row_of(int number) {
    for (int i = 0; i < kTechniqueCount; ++i)
        if (kTechniqueTable[i].number == number) return i;
    return -1;
}

constexpr bool same_text(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

constexpr bool ladder_is_a_chain() {
    for (int li = 0; li <= kLadderLevels; ++li) {
        const int i = row_at(li);
        if (i < 0) return false;
        const Technique& t = kTechniqueTable[i];
        if (li == 0 ? t.prerequisite != -1 : t.prerequisite != kTechniqueTable[row_at(li - 1)].number) return false;
        if (li > 0 && t.bucket < kTechniqueTable[row_at(li - 1)].bucket) return false;
        int places = 0;
        for (const Technique& u : kTechniqueTable) places += u.ladder == li;
        if (places != 1) return false;
    }
    return true;
}

constexpr bool numbers_and_names_unique() {
    for (int i = 0; i < kTechniqueCount; ++i)
        for (int j = 0; j < i; ++j)
            if (kTechniqueTable[i].number == kTechniqueTable[j].number ||
                same_text(kTechniqueTable[i].name, kTechniqueTable[j].name))
                return false;
    return true;
}

constexpr bool rows_are_sound() {
    for (const Technique& t : kTechniqueTable) {
        if (t.number < 0 || t.number >= kCounterSlots || t.bucket < 0 || t.bucket > 9) return false;
        if (t.prerequisite >= 0 && row_of(t.prerequisite) < 0) return false;
        if (t.ladder >= 0 && !*t.description) return false;
    }
    return true;
}

}  // namespace detail

static_assert(detail::ladder_is_a_chain(), "each ladder place is held once, leads on from the one below, never easier");
static_assert(detail::numbers_and_names_unique(), "technique numbers and short names are unique");
static_assert(detail::rows_are_sound(), "rows name real slots, buckets 0..9 and known prerequisites");
static_assert(kTechniqueTable[detail::row_at(kLadderLevels)].number == 27, "the search closes the ladder");

}  // namespace techniques
