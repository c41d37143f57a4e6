// quorvel transform: a puzzle turned or mirrored by one of the square's eight symmetries, digits renamed.
#include <cstring>

#include "cli.h"

namespace cli {

namespace {

const char* const kSymmetryNames[8] = {"identity", "flip-rows", "flip-columns", "half-turn",
                                       "transpose", "anti-transpose", "rotate-cw", "rotate-ccw"};
// The symmetry that undoes each one: the quarter turns undo each other, the rest themselves.
constexpr int kInverseSymmetry[8] = {0, 1, 2, 3, 4, 5, 7, 6};

// The stored game form: 64 bytes per cell, sixteen 32-bit words of which these are used here.
constexpr int kCellWords = 16;
constexpr int kWordGroup = 0, kWordRow = 1, kWordCol = 2, kWordSolution = 10, kWordStatus = 11, kWordMarks = 12;
static_assert(81 * kCellWords * 4 == 5184, "the stored cells are 5184 bytes");

const char kTransformHelp[] =
    "usage: quorvel transform [options] [FILE...]\n"
    "Turns or mirrors each puzzle (with its group map) and renames its digits.\n"
    "  -t, --symmetry S      0..7 or identity, flip-rows (top to bottom), flip-columns (left to\n"
    "                        right), half-turn, transpose (main diagonal), anti-transpose,\n"
    "                        rotate-cw, rotate-ccw (quarter turns); default identity\n"
    "  -d, --digits P        nine digits, a rearrangement of 123456789: digit i becomes the\n"
    "                        i-th of P; default 123456789\n"
    "      --inverse         apply the inverse instead (undoes the same options)\n"
    "      --all             print all eight symmetries of each puzzle, in the order above\n";

bool parse_symmetry(const char* text, int& out) {
    for (int i = 0; i < 8; ++i)
        if (!std::strcmp(text, kSymmetryNames[i]) || (text[0] == '0' + i && text[1] == 0)) return out = i, true;
    complain("--symmetry: '%s' is not 0..7 or a symmetry name (see --help)", text);
    return false;
}

bool parse_digits(const char* text, int* perm) {
    bool seen[10] = {};
    bool ok = std::strlen(text) == 9;
    for (int i = 0; ok && i < 9; ++i) {
        const int d = text[i] - '0';
        ok = d >= 1 && d <= 9 && !seen[d];
        if (ok) seen[d] = true, perm[i] = d;
    }
    if (!ok) complain("--digits: '%s' is not a rearrangement of 123456789", text);
    return ok;
}

// The puzzle turned by `symmetry` with digit d renamed perm[d - 1], through the engine's transform.
Grid transformed(const Grid& g, int symmetry, const int* perm) {
    static_assert(sizeof(int) == 4);
    std::vector<int> words(81 * kCellWords, 0);
    for (int k = 0; k < 81; ++k) {
        int* w = &words[k * kCellWords];
        w[kWordGroup] = g.groups[k];
        w[kWordRow] = k / 9;
        w[kWordCol] = k % 9;
        w[kWordSolution] = g.clues[k];
        w[kWordStatus] = g.clues[k] != 0;
        w[kWordMarks] = g.clues[k] ? 1 << g.clues[k] : 0;
    }
    sudoku_transform_puzzle(words.data(), static_cast<unsigned>(symmetry), perm);
    Grid out = g;
    for (int k = 0; k < 81; ++k) {
        const int* w = &words[k * kCellWords];
        out.groups[k] = w[kWordGroup];
        out.clues[k] = w[kWordStatus] ? w[kWordSolution] : 0;
    }
    return out;
}

}  // namespace

int cmd_transform(Args& args) {
    InputOptions in;
    int symmetry = 0;
    int perm[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    bool inverse = false, all = false, bad_value = false;
    while (!args.done() && !args.bad) {
        if (args.flag("--help", "-h")) {
            std::fputs(kTransformHelp, stdout);
            std::fputs(kInputHelp, stdout);
            return kExitOk;
        } else if (args.option("--symmetry", "-t")) {
            bad_value |= !parse_symmetry(args.value, symmetry);
        } else if (args.option("--digits", "-d")) {
            bad_value |= !parse_digits(args.value, perm);
        } else if (args.flag("--inverse")) {
            inverse = true;
        } else if (args.flag("--all")) {
            all = true;
        } else if (!in.take(args) && !args.bad) {
            args.unknown();
        }
        if (bad_value) return kExitUsage;
    }
    if (args.bad) return kExitUsage;
    if (inverse) {
        int undo[9];
        for (int i = 0; i < 9; ++i) undo[perm[i] - 1] = i + 1;
        std::memcpy(perm, undo, sizeof perm);
        symmetry = kInverseSymmetry[symmetry];
    }
    std::vector<Grid> grids;
    std::vector<std::string> where;
    const bool ok = in.load(grids, where);
    for (size_t i = 0; i < grids.size(); ++i) {
        for (int t = all ? 0 : symmetry; t <= (all ? 7 : symmetry); ++t) {
            const Grid out = transformed(grids[i], t, perm);
            const std::string line = puzzle_line(out.clues, out.groups, out.map_kind);
            if (in.json)
                std::printf("{\"where\":%s,\"symmetry\":%s,\"puzzle\":%s}\n", json_string(where[i].c_str()).c_str(),
                            json_string(kSymmetryNames[t]).c_str(), json_string(line.c_str()).c_str());
            else
                std::printf("%s\n", line.c_str());
        }
    }
    return ok ? kExitOk : kExitFail;
}

}  // namespace cli
