// quorvel classify, solve and hint: what the engine says about puzzles the user brings.
#include <cstring>

#include "cli.h"
#include "labels.h"

namespace cli {

namespace {

using Clues9 = const int (*)[9];
Clues9 rows(const int* cells) { return reinterpret_cast<Clues9>(cells); }

ClassifyInfo classify(const int* clues, const Grid& g) {
    ClassifyInfo info;
    std::memset(&info, 0, sizeof info);
    sudoku_classify_clues(clues, g.groups, g.map_kind, g.adjacency, &info);
    return info;
}

// Runs `each` over the puzzles of the input options; the usual exit status.
template <typename Each>
int for_each_puzzle(const InputOptions& in, Each each) {
    std::vector<Grid> grids;
    std::vector<std::string> where;
    const bool ok = in.load(grids, where);
    if (!ok && grids.empty()) return kExitFail;
    for (size_t i = 0; i < grids.size(); ++i) {
        each(grids[i], where[i]);
        std::fflush(stdout);
    }
    return ok ? kExitOk : kExitFail;
}

const char kClassifyHelp[] =
    "usage: quorvel classify [options] [FILE...]\n"
    "Rates each puzzle: difficulty word, ladder level, number of solutions, clue count and a\n"
    "readable description, tab-separated on one line. The level is the ladder index of the\n"
    "hardest technique needed (0 naked singles .. 15 forcing nets, 16 search, -1 all given).\n"
    "      --cells           also draw, per cell, the technique number that placed it\n"
    "                        (g: given, ?: not placed)\n"
    "      --time-limit MS   give each puzzle at most MS milliseconds; one not settled by then is\n"
    "                        reported 'undecided' (in both the first and third column), exit status 1\n";

const char kSolveHelp[] =
    "usage: quorvel solve [options] [FILE...]\n"
    "Counts each puzzle's solutions (0, 1 or 'many') and prints the count and a solution:\n"
    "the solution for a unique puzzle, one of them for a puzzle with several.\n"
    "      --grid            draw the solution instead of printing its 81 digits\n"
    "      --time-limit MS   give each puzzle at most MS milliseconds; one not settled by then is\n"
    "                        reported 'undecided' instead of a count, exit status 1\n";

const char kHintHelp[] =
    "usage: quorvel hint [options] [FILE...]\n"
    "Draws the candidates a player would have just before a technique is needed: everything\n"
    "easier has been applied. By default that technique is the hardest the puzzle needs.\n"
    "  -b, --before T        a technique: its number or one of naked-single, hidden-single,\n"
    "                        locked-candidates, subsets, double-restriction, x-wing, swordfish,\n"
    "                        turbot, xy-wing, w-wing, jellyfish, x-chain, xy-chain, als,\n"
    "                        franken-fish, forcing-net\n";

// The options of classify and solve: the input's, --time-limit MS (which bounds every
// classification this thread makes from then on) and one flag of the command's own. -1 when the
// command is to run, else its exit status.
int parse_rating_options(int argc, char** argv, const char* help, const char* flag, bool& flag_on,
                         InputOptions& in) {
    Options options(help, kInputHelp);
    options.value("--time-limit", [](const std::string& v) {
        long long ms = 0;
        if (!parse_long("--time-limit", v.c_str(), 1, INT32_MAX, ms)) return false;
        sudoku_set_classify_time_limit(static_cast<int>(ms));
        return true;
    });
    options.flag(flag, flag_on);
    in.add_to(options);
    return options.parse(argc, argv);
}

bool undecided(const ClassifyInfo& info) { return info.bucket < 0 && !std::strcmp(info.label, "undecided"); }

// One solution of a solvable puzzle with several: settle one open cell at a time with a digit
// that keeps the puzzle solvable, until the classification finds the rest unique.
bool find_one_solution(const Grid& g, const ClassifyInfo& first, int* out) {
    int cur[81];
    ClassifyInfo info = first;
    std::memcpy(cur, g.clues, sizeof cur);
    for (int step = 0; step < 81; ++step) {
        if (info.unique) {
            std::memcpy(out, info.cell_digit, sizeof cur);
            return true;
        }
        if (!info.solvable) return false;
        // Cells the ladder placed hold in every solution.
        for (int k = 0; k < 81; ++k)
            if (!cur[k] && info.cell_digit[k] >= 1 && info.cell_digit[k] <= 9) cur[k] = info.cell_digit[k];
        int masks[81];
        if (!candidate_state_at_level(g.map_kind, g.adjacency, rows(cur), rows(g.groups), 0, masks)) return false;
        int cell = -1;
        for (int k = 0; k < 81; ++k)
            if (!cur[k] && (cell < 0 || __builtin_popcount(masks[k]) < __builtin_popcount(masks[cell]))) cell = k;
        if (cell < 0) return false;
        bool moved = false;
        for (int d = 1; d <= 9 && !moved; ++d) {
            if (!((masks[cell] >> d) & 1)) continue;
            cur[cell] = d;
            info = classify(cur, g);
            moved = info.solvable;
        }
        if (!moved) return false;
    }
    return false;
}

}  // namespace

int cmd_classify(int argc, char** argv) {
    InputOptions in;
    bool cells = false;
    bool any_undecided = false;
    if (const int status = parse_rating_options(argc, argv, kClassifyHelp, "--cells", cells, in); status >= 0)
        return status;
    const int status = for_each_puzzle(in, [&](const Grid& g, const std::string& where) {
        const ClassifyInfo info = classify(g.clues, g);
        any_undecided = any_undecided || undecided(info);
        const char* count = undecided(info) ? "undecided" : info.unique ? "unique" : info.solvable ? "multiple" : "none";
        if (in.json) {
            Json j;
            j["where"] = where;
            j["puzzle"] = puzzle_line(g.clues, g.groups, g.map_kind);
            add_classification(j, info);
            if (cells) {
                j["cell_method"] = info.cell_method;
                j["cell_digit"] = info.cell_digit;
            }
            print_json(j);
            return;
        }
        std::printf("%s\t%d\t%s\t%d\t%s\n", info.label, info.level, count, info.clue_count, info.description);
        if (!cells) return;
        for (int r = 0; r < 9; ++r) {
            for (int c = 0; c < 9; ++c) {
                const int k = r * 9 + c;
                if (info.cell_given[k])
                    std::printf("%3s", "g");
                else if (info.cell_method[k] < 0)
                    std::printf("%3s", "?");
                else
                    std::printf("%3d", info.cell_method[k]);
            }
            std::printf("\n");
        }
    });
    return status == kExitOk && any_undecided ? kExitFail : status;
}

// Search steps the counter may take before solve leaves a puzzle to the classification.
constexpr long kSolveCountBudget = 20'000'000;

int cmd_solve(int argc, char** argv) {
    InputOptions in;
    bool grid = false;
    bool any_undecided = false;
    if (const int status = parse_rating_options(argc, argv, kSolveHelp, "--grid", grid, in); status >= 0)
        return status;
    const int status = for_each_puzzle(in, [&](const Grid& g, const std::string& where) {
        // The exact counter settles most puzzles at once; only a grid with several solutions (whose
        // printed solution comes from the classification's walk) or one the counter's budget cannot
        // settle goes the long way.
        ClassifyInfo info;
        std::memset(&info, 0, sizeof info);
        int counted[81];
        const int n = sudoku_count_solutions(g.clues, g.groups, g.adjacency, 2, kSolveCountBudget, counted);
        if (n == 0 || n == 1) {
            info.solvable = n;
            info.unique = n;
            if (n) std::memcpy(info.cell_digit, counted, sizeof counted);
        } else {
            info = classify(g.clues, g);
        }
        if (undecided(info)) {
            any_undecided = true;
            if (in.json)
                print_json(Json{{"where", where}, {"solutions", nullptr}, {"count_text", "undecided"}, {"solution", nullptr}});
            else
                std::printf("undecided\n");
            return;
        }
        int solution[81] = {};
        bool have = info.unique ? (std::memcpy(solution, info.cell_digit, sizeof solution), true)
                                : info.solvable && find_one_solution(g, info, solution);
        const char* count = info.unique ? "1" : info.solvable ? "many" : "0";
        if (in.json) {
            print_json(Json{{"where", where},
                            {"solutions", info.unique ? 1 : info.solvable ? 2 : 0},
                            {"count_text", info.unique ? "1" : info.solvable ? "more than one" : "0"},
                            {"solution", have ? Json(digits_string(solution)) : Json(nullptr)}});
        } else if (grid) {
            std::printf("%s solution%s\n%s", count, info.unique ? "" : "s", have ? draw_grid(solution, g.groups, g.adjacency).c_str() : "");
        } else {
            std::printf("%s%s%s\n", count, have ? " " : "", have ? digits_string(solution).c_str() : "");
        }
    });
    return status == kExitOk && any_undecided ? kExitFail : status;
}

int cmd_hint(int argc, char** argv) {
    InputOptions in;
    int before = -1;
    Options options(kHintHelp, kInputHelp);
    options.value("-b,--before", [&](const std::string& v) {
        before = frontend::parse_technique(v.c_str());
        if (before < 0) complain("--before: '%s' is not a technique name or number 0..27", v.c_str());
        return before >= 0;
    });
    in.add_to(options);
    if (const int status = options.parse(argc, argv); status >= 0) return status;
    return for_each_puzzle(in, [&](const Grid& g, const std::string& where) {
        int method = before;
        if (method < 0) {
            const ClassifyInfo info = classify(g.clues, g);
            method = frontend::ladder_method(info.level);
        }
        int masks[81] = {};
        candidate_state_at_level(g.map_kind, g.adjacency, rows(g.clues), rows(g.groups), method, masks);
        if (in.json) {
            print_json(Json{{"where", where}, {"before", method}, {"technique", frontend::technique_name(method)},
                            {"candidates", masks}});
            return;
        }
        std::printf("# %s: candidates before %s (%d)\n%s", where.c_str(), frontend::technique_name(method), method,
                    draw_candidates(masks, g.groups).c_str());
    });
}

}  // namespace cli
