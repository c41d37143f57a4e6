// The square's symmetries: names, destinations, composition, and grids turned through the engine.
#include "symmetry.h"

#include <cstring>
#include <vector>

namespace frontend {

const char* const kSymmetryNames[kSymmetries] = {"identity",  "flip-rows",      "flip-columns", "half-turn",
                                                 "transpose", "anti-transpose", "rotate-cw",    "rotate-ccw"};

int symmetry_destination(int s, int cell) {
    const int i = cell / 9, j = cell % 9;
    switch (s) {
        case 1: return (8 - i) * 9 + j;
        case 2: return i * 9 + 8 - j;
        case 3: return (8 - i) * 9 + 8 - j;
        case 4: return j * 9 + i;
        case 5: return (8 - j) * 9 + 8 - i;
        case 6: return j * 9 + 8 - i;
        case 7: return (8 - j) * 9 + i;
        default: return cell;
    }
}

int compose_symmetries(int first, int second) {
    for (int s = 0; s < kSymmetries; ++s) {
        bool same = true;
        for (int k = 0; k < 81 && same; ++k)
            same = symmetry_destination(second, symmetry_destination(first, k)) == symmetry_destination(s, k);
        if (same) return s;
    }
    return -1;  // not reached: the eight form a group
}

int parse_symmetry(const char* text) {
    for (int i = 0; i < kSymmetries; ++i)
        if (!std::strcmp(text, kSymmetryNames[i]) || (text[0] == '0' + i && text[1] == 0)) return i;
    return -1;
}

bool parse_renaming(const char* text, int perm[9]) {
    bool seen[10] = {};
    int read[9];
    if (std::strlen(text) != 9) return false;
    for (int i = 0; i < 9; ++i) {
        const int d = text[i] - '0';
        if (d < 1 || d > 9 || seen[d]) return false;
        seen[d] = true;
        read[i] = d;
    }
    std::memcpy(perm, read, sizeof read);
    return true;
}

void invert_renaming(const int perm[9], int undo[9]) {
    for (int i = 0; i < 9; ++i) undo[perm[i] - 1] = i + 1;
}

namespace {

// The stored cell form: 64 bytes per cell, sixteen 32-bit words of which these are used here.
constexpr int kCellWords = 16;
constexpr int kWordGroup = 0, kWordRow = 1, kWordCol = 2, kWordSolution = 10, kWordStatus = 11, kWordMarks = 12;
static_assert(81 * kCellWords * 4 == 5184, "the stored cells are 5184 bytes");

}  // namespace

void transform_grid(TransformCall call, const int clues[81], const int groups[81], int s, const int perm[9],
                    int out_clues[81], int out_groups[81]) {
    static_assert(sizeof(int) == 4);
    std::vector<int> words(81 * kCellWords, 0);
    for (int k = 0; k < 81; ++k) {
        int* w = &words[k * kCellWords];
        w[kWordGroup] = groups[k];
        w[kWordRow] = k / 9;
        w[kWordCol] = k % 9;
        w[kWordSolution] = clues[k];
        w[kWordStatus] = clues[k] != 0;
        w[kWordMarks] = clues[k] ? 1 << clues[k] : 0;
    }
    call(words.data(), static_cast<unsigned>(s), perm);
    for (int k = 0; k < 81; ++k) {
        const int* w = &words[k * kCellWords];
        out_groups[k] = w[kWordGroup];
        out_clues[k] = w[kWordStatus] ? w[kWordSolution] : 0;
    }
}

}  // namespace frontend
