// Shared pieces of the quorvel command-line tool: puzzle lines, input sources, options and output helpers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ffi/quorvel.h"
#include "puzzle_line.h"

namespace cli {

// JSON objects keep their members in the order they were added.
using Json = nlohmann::ordered_json;

// Exit statuses: success, failed work or bad data, bad usage.
constexpr int kExitOk = 0;
constexpr int kExitFail = 1;
constexpr int kExitUsage = 2;

// One puzzle as the tool handles it: clues 0..9 and groups 0..8 in cell order (row * 9 + column),
// map kind (1 when the groups are not the 3x3 boxes) and adjacency (1 for x).
using Grid = frontend::PuzzleLine;

// The command being run and where its messages go (the real standard error, even while the
// engine's own chatter is silenced).
struct Context {
    const char* command = "";
    FILE* err = stderr;
};

extern Context g_ctx;

// Writes "quorvel <command>: <message>\n" on the error stream.
void complain(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

using frontend::digits_string;
using frontend::groups_string;
using frontend::square_groups;
// The 81 clue characters, followed by a space and the group map for a jigsaw puzzle.
inline std::string puzzle_line(const int* clues, const int* groups, int map_kind) {
    return frontend::format_puzzle_line(clues, groups, map_kind == 1);
}
// A 9 x 9 drawing: '.' for 0, '|' and '-' between cells of different groups, '*' marks on x games.
std::string draw_grid(const int* digits, const int* groups, int adjacency);
// The candidate sets drawn as 3 x 3 blocks per cell.
std::string draw_candidates(const int* masks, const int* groups);


// ---- Options ----

// One command's options, read with CLI11 in the order given and reported in the tool's own words:
// "option --jobs needs a value", "unknown option '--x' (see --help)", "unexpected argument 'x'
// (see --help)", and a bad value named by its option. `--name value` and `--name=value` both work.
class Options {
  public:
    // -h and --help print `help` (then `more`, when given) and end the command with status 0.
    explicit Options(const char* help, const char* more = nullptr);
    ~Options();
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;
    // An option with a value (names as "-q,--quality" or "--retries"): `take` gets each value as it
    // is read and returns false, after complaining, for a bad one, which ends with status 2.
    void value(const char* names, std::function<bool(const std::string&)> take);
    // A whole number in lo..hi; `option` names it in the complaint.
    void number(const char* names, const char* option, long long lo, long long hi, long long& out);
    // A flag; `on` runs when it is met.
    void flag(const char* names, std::function<void()> on);
    void flag(const char* names, bool& out);
    // The arguments that are no options (a lone '-' among them), into `out`; without this call
    // they are refused.
    void positionals(std::vector<std::string>& out);
    // Reads the arguments. -1 when the command is to run, else its exit status.
    int parse(int argc, char** argv);

  private:
    struct Parser;
    std::unique_ptr<Parser> p_;
};

// The options every command that reads puzzles shares: --puzzle LINE, --adjacency, -x,
// --skip-bad, --json and file names.
struct InputOptions {
    std::vector<std::string> inline_puzzles;
    std::vector<std::string> files;
    int adjacency = 0;
    bool skip_bad = false;
    bool json = false;
    void add_to(Options& options);
    // Reads and parses the puzzles; false (after complaining) on an unreadable file or a bad line.
    bool load(std::vector<Grid>& grids, std::vector<std::string>& where) const;
};
extern const char kInputHelp[];

// The options of the commands that make puzzles in batches: which grid, how many, on how many
// threads and from which seed.
struct BatchOptions {
    int map = 0, adjacency = 0;
    long long count = 1, jobs = 1, seed = -1;
    void add_to(Options& options);
};

// Reads a whole number in lo..hi; otherwise complains naming the option and returns false.
bool parse_long(const char* option, const char* text, long long lo, long long hi, long long& out);
// "square"/"jigsaw" (also "irregular") -> 0/1, "regular"/"x" -> 0/1; complains on anything else.
bool parse_map(const char* text, int& out);
bool parse_adjacency(const char* text, int& out);

// Seeds: a well-mixed, non-zero seed for job `index` (and retry `attempt`) of a run seeded with `base`.
uint64_t derive_seed(uint64_t base, uint64_t index, uint64_t attempt);
uint64_t fnv1a(uint64_t hash, const void* data, size_t n);

// Points the engine at the jigsaw map files beside this program (lib/group_maps next to bin/),
// unless SUDOKU_GROUP_MAPS_DIR already says where they are.
void locate_group_maps();
// Silences the engine's own reports on standard error (generation writes one line per puzzle);
// the tool's messages keep going to the real error stream through g_ctx.err.
void silence_engine_stderr();

// A game read back from a handle after a generation call.
struct Made {
    int clues[81];
    int solution[81];
    int groups[81];
    int map_kind;  // from the groups: a jigsaw request can fall back to the boxes
    int adjacency;
};
void read_game(SudokuHandle* h, int adjacency, Made& out);
// "label", "bucket", "level", ... of a classification, added to a JSON object.
void add_classification(Json& out, const ClassifyInfo& info);
// One JSON object on a line of its own, to standard output.
void print_json(const Json& object);

// The commands.
// The commands, each given the arguments after its name.
int cmd_generate(int argc, char** argv);
int cmd_classify(int argc, char** argv);
int cmd_solve(int argc, char** argv);
int cmd_hint(int argc, char** argv);
int cmd_transform(int argc, char** argv);
int cmd_bench(int argc, char** argv);
int cmd_ocr(int argc, char** argv);
int cmd_harvest(int argc, char** argv);
int cmd_album(int argc, char** argv);

// Monotonic milliseconds.
double now_ms();

}  // namespace cli
