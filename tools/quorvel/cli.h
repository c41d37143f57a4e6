// Shared pieces of the quorvel command-line tool: puzzle lines, input sources, options and output helpers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ffi/quorvel.h"

namespace cli {

// Exit statuses: success, failed work or bad data, bad usage.
constexpr int kExitOk = 0;
constexpr int kExitFail = 1;
constexpr int kExitUsage = 2;

// The ladder's techniques in order of difficulty, as technique numbers; index 16 would be search.
constexpr int kLadder[16] = {0, 1, 2, 3, 4, 7, 8, 25, 12, 51, 9, 10, 11, 5, 17, 26};
// Short names of the ladder's techniques, for --before and the legends.
extern const char* const kLadderNames[16];

// One puzzle as the tool handles it: clues 0..9 and groups 0..8 in cell order (row * 9 + column).
struct Grid {
    int clues[81];
    int groups[81];
    int map_kind;   // 1 when the groups are not the 3x3 boxes
    int adjacency;  // 1 for x (both long diagonals are houses)
};

// Where a puzzle line came from, for messages: "<stdin>:3", "file.txt:12", "--puzzle 2".
struct Line {
    std::string where;
    std::string text;
};

// The command being run and where its messages go (the real standard error, even while the
// engine's own chatter is silenced).
struct Context {
    const char* command = "";
    FILE* err = stderr;
};

extern Context g_ctx;

// Writes "quorvel <command>: <message>\n" on the error stream.
void complain(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

void square_groups(int* groups);
// Parses one line (whitespace ignored): 81 clue characters ('1'..'9', '.' or '0' for a blank), then
// optionally 81 group digits '0'..'8'. Rejects stray characters, maps that are not nine groups of
// nine cells, and clues that repeat a digit in a house. On failure `why` says what is wrong.
bool parse_puzzle(const std::string& text, int adjacency, Grid& out, std::string& why);
// Blank lines and lines starting with '#' carry no puzzle.
bool is_blank_or_comment(const std::string& text);

std::string digits_string(const int* digits);  // '.' for 0
std::string groups_string(const int* groups);
// The 81 clue characters, followed by a space and the group map for a jigsaw puzzle.
std::string puzzle_line(const int* clues, const int* groups, int map_kind);
// A 9 x 9 drawing: '.' for 0, '|' and '-' between cells of different groups, '*' marks on x games.
std::string draw_grid(const int* digits, const int* groups, int adjacency);
// The candidate sets drawn as 3 x 3 blocks per cell.
std::string draw_candidates(const int* masks, const int* groups);

// JSON text helpers.
std::string json_string(const char* text);
std::string json_int_array(const int* values, int n);

// ---- Options ----

// Walks argv of one command. `--name value` and `--name=value` are both accepted.
struct Args {
    int argc;
    char** argv;
    int i = 0;
    const char* value = nullptr;  // the value of the last matched option
    bool bad = false;              // an error was reported

    bool done() const { return i >= argc; }
    const char* current() const { return argv[i]; }
    // True when the current argument is the flag `name` (advances past it).
    bool flag(const char* name, const char* alias = nullptr);
    // True when the current argument is option `name` with a value (advances; sets value).
    bool option(const char* name, const char* alias = nullptr);
    // Reports an unknown option or a stray argument and marks the parse bad.
    void unknown();
};

// The options every command that reads puzzles shares: --puzzle LINE, --adjacency, -x,
// --skip-bad, --json and file names.
struct InputOptions {
    std::vector<std::string> inline_puzzles;
    std::vector<std::string> files;
    int adjacency = 0;
    bool skip_bad = false;
    bool json = false;
    // Takes the current argument when it is one of these; false leaves it to the command.
    bool take(Args& args);
    // Reads and parses the puzzles; false (after complaining) on an unreadable file or a bad line.
    bool load(std::vector<Grid>& grids, std::vector<std::string>& where) const;
};
extern const char kInputHelp[];

// The options of the commands that make puzzles in batches: which grid, how many, on how many
// threads and from which seed.
struct BatchOptions {
    int map = 0, adjacency = 0;
    long long count = 1, jobs = 1, seed = -1;
    // Takes the current argument when it is one of these (a bad value marks the parse bad); false
    // leaves it to the command.
    bool take(Args& args);
};

// Reads a whole number in lo..hi; otherwise complains naming the option and returns false.
bool parse_long(const char* option, const char* text, long long lo, long long hi, long long& out);
// "square"/"jigsaw" (also "irregular") -> 0/1, "regular"/"x" -> 0/1; complains on anything else.
bool parse_map(const char* text, int& out);
bool parse_adjacency(const char* text, int& out);

// The lines of the puzzles named by --puzzle values and files ('-' or none: standard input).
// Returns false (after complaining) when a file cannot be read.
bool read_lines(const std::vector<std::string>& inline_puzzles, const std::vector<std::string>& files,
                std::vector<Line>& out);

// Parses the lines into grids. A bad line is reported with its place; with skip_bad the line is
// left out, otherwise parsing stops and false is returned.
bool parse_lines(const std::vector<Line>& lines, int adjacency, bool skip_bad, std::vector<Grid>& out,
                 std::vector<std::string>* where = nullptr);

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
// "label", "level", "unique", ... of a classification, as JSON members (no braces).
std::string classification_json(const ClassifyInfo& info);

// The commands.
int cmd_generate(Args& args);
int cmd_classify(Args& args);
int cmd_solve(Args& args);
int cmd_hint(Args& args);
int cmd_transform(Args& args);
int cmd_bench(Args& args);
int cmd_ocr(Args& args);
int cmd_harvest(Args& args);
int cmd_album(Args& args);

// Monotonic milliseconds.
double now_ms();

}  // namespace cli
