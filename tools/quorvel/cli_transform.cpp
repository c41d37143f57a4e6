// quorvel transform: a puzzle turned or mirrored by one of the square's eight symmetries, digits renamed.
#include <cstring>

#include "cli.h"
#include "symmetry.h"

namespace cli {

namespace {

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

}  // namespace

int cmd_transform(int argc, char** argv) {
    InputOptions in;
    int symmetry = 0;
    int perm[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    bool inverse = false, all = false;
    Options options(kTransformHelp, kInputHelp);
    options.value("-t,--symmetry", [&](const std::string& v) {
        const int s = frontend::parse_symmetry(v.c_str());
        if (s < 0) complain("--symmetry: '%s' is not 0..7 or a symmetry name (see --help)", v.c_str());
        return s >= 0 && (symmetry = s, true);
    });
    options.value("-d,--digits", [&](const std::string& v) {
        if (frontend::parse_renaming(v.c_str(), perm)) return true;
        complain("--digits: '%s' is not a rearrangement of 123456789", v.c_str());
        return false;
    });
    options.flag("--inverse", inverse);
    options.flag("--all", all);
    in.add_to(options);
    if (const int status = options.parse(argc, argv); status >= 0) return status;
    if (inverse) {
        int undo[9];
        frontend::invert_renaming(perm, undo);
        std::memcpy(perm, undo, sizeof perm);
        symmetry = frontend::kInverseSymmetry[symmetry];
    }
    std::vector<Grid> grids;
    std::vector<std::string> where;
    const bool ok = in.load(grids, where);
    for (size_t i = 0; i < grids.size(); ++i) {
        for (int t = all ? 0 : symmetry; t <= (all ? 7 : symmetry); ++t) {
            Grid out = grids[i];
            frontend::transform_grid(sudoku_transform_puzzle, grids[i].clues, grids[i].groups, t, perm, out.clues,
                                     out.groups);
            const std::string line = puzzle_line(out.clues, out.groups, out.map_kind);
            if (in.json)
                print_json(Json{{"where", where[i]}, {"symmetry", frontend::kSymmetryNames[t]}, {"puzzle", line}});
            else
                std::printf("%s\n", line.c_str());
        }
    }
    return ok ? kExitOk : kExitFail;
}

}  // namespace cli
