// The eight orientations of the grid and the canonical form: smallest relabelled text over them.
#include "classify/canonical_form.h"
#include "ffi/quorvel.h"  // declares canonical_form, the exported form of canonicalize

#include <cstring>

GridPos orient_pos(int t, int r, int c) {
    switch (t & 7) {
        case 0: return {r, c};
        case 1: return {8 - r, c};
        case 2: return {r, 8 - c};
        case 3: return {8 - r, 8 - c};
        case 4: return {c, r};
        case 5: return {8 - c, 8 - r};
        case 6: return {c, 8 - r};
        default: return {8 - c, r};
    }
}

void orient_grid(int t, const int in[9][9], int out[9][9]) {
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            const GridPos p = orient_pos(t, r, c);
            out[p.row][p.col] = in[r][c];
        }
}

namespace {

struct Oriented {
    int clues[9][9];
    int groups[9][9];
    int inverse_digit[10];
    char key[163];
};

// Orients by t and renumbers groups and digits in order of first appearance.
void relabel(int t, const int clues[9][9], const int groups[9][9], Oriented& o) {
    orient_grid(t, clues, o.clues);
    orient_grid(t, groups, o.groups);
    int group_label[16], digit_label[10];
    for (int& g : group_label) g = -1;
    for (int& d : digit_label) d = 0;
    int next_group = 0, next_digit = 1;
    for (int k = 0; k < 81; ++k) {
        int& g = o.groups[k / 9][k % 9];
        if (g < 0 || g > 15) g = 0;
        if (group_label[g] < 0) group_label[g] = next_group++;
        g = group_label[g];
        int& v = o.clues[k / 9][k % 9];
        if (v < 1 || v > 9) v = 0;
        if (v && !digit_label[v]) digit_label[v] = next_digit++;
    }
    for (int d = 1; d <= 9; ++d)
        if (!digit_label[d]) digit_label[d] = next_digit++;
    o.inverse_digit[0] = 0;
    for (int d = 1; d <= 9; ++d) o.inverse_digit[digit_label[d]] = d;
    for (int k = 0; k < 81; ++k) {
        int& v = o.clues[k / 9][k % 9];
        v = digit_label[v];
        o.key[k] = static_cast<char>('0' + v);
        o.key[81 + k] = static_cast<char>('0' + o.groups[k / 9][k % 9]);
    }
    o.key[162] = 0;
}

}  // namespace

CanonicalLabels canonicalize(const int clues[9][9], const int groups[9][9], int out_clues[9][9],
                             int out_groups[9][9]) {
    Oriented best, trial;
    int best_t = 0;
    relabel(0, clues, groups, best);
    for (int t = 1; t < 8; ++t) {
        relabel(t, clues, groups, trial);
        if (std::memcmp(trial.key, best.key, 162) < 0) {
            best = trial;
            best_t = t;
        }
    }
    std::memcpy(out_clues, best.clues, sizeof best.clues);
    std::memcpy(out_groups, best.groups, sizeof best.groups);
    CanonicalLabels labels{};
    labels.orientation = best_t;
    std::memcpy(labels.inverse_digit, best.inverse_digit, sizeof labels.inverse_digit);
    return labels;
}

void canonical_form(const int clues[9][9], const int groups[9][9], int out_clues[9][9],
                               int out_groups[9][9], int* orientation, int* digit_map) {
    if (!clues || !groups || !out_clues || !out_groups) return;
    const CanonicalLabels labels = canonicalize(clues, groups, out_clues, out_groups);
    if (orientation) *orientation = labels.orientation;
    if (digit_map) {
        digit_map[0] = 0;
        for (int label = 1; label <= 9; ++label) digit_map[labels.inverse_digit[label]] = label;
    }
}
