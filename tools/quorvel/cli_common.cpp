// Puzzle lines, drawings, option parsing and input reading shared by the quorvel commands.
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include "cli.h"
#include "install_dirs.h"
#include "puzzle_line.h"

namespace cli {

const char* const kLadderNames[16] = {"naked-single", "hidden-single", "locked-candidates", "subsets",
                                      "double-restriction", "x-wing", "swordfish", "turbot",
                                      "xy-wing", "w-wing", "jellyfish", "x-chain",
                                      "xy-chain", "als", "franken-fish", "forcing-net"};

Context g_ctx;

void complain(const char* fmt, ...) {
    std::fprintf(g_ctx.err, "quorvel%s%s: ", *g_ctx.command ? " " : "", g_ctx.command);
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(g_ctx.err, fmt, ap);
    va_end(ap);
    std::fputc('\n', g_ctx.err);
    std::fflush(g_ctx.err);
}

void square_groups(int* groups) {
    for (int k = 0; k < 81; ++k) groups[k] = (k / 27) * 3 + (k % 9) / 3;
}

bool is_blank_or_comment(const std::string& text) {
    for (char c : text) {
        if (c == '#') return true;
        if (!std::isspace(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

namespace {

const char* const kHouseNames[3] = {"row", "column", "group"};

// The house of kind `kind` (row, column, group, diagonal, anti-diagonal) cell k lies in, or -1.
int house_of(int kind, int k, const int* groups) {
    const int r = k / 9, c = k % 9;
    switch (kind) {
        case 0: return r;
        case 1: return c;
        case 2: return groups[k];
        case 3: return r == c ? 0 : -1;
        default: return r + c == 8 ? 0 : -1;
    }
}

}  // namespace

bool parse_puzzle(const std::string& text, int adjacency, Grid& out, std::string& why) {
    std::string s;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) s += c;
    char buf[160];
    if (s.size() != 81 && s.size() != 162) {
        std::snprintf(buf, sizeof buf, "%zu characters, expected 81 (clues) or 162 (clues and group map)", s.size());
        why = buf;
        return false;
    }
    for (int k = 0; k < 81; ++k) {
        const char c = s[k];
        if (c == '.' || c == '0')
            out.clues[k] = 0;
        else if (c >= '1' && c <= '9')
            out.clues[k] = c - '0';
        else {
            std::snprintf(buf, sizeof buf, "stray character '%c' at clue %d (use 1-9, '.' or '0')", c, k + 1);
            why = buf;
            return false;
        }
    }
    square_groups(out.groups);
    out.map_kind = 0;
    if (s.size() == 162) {
        int sizes[9] = {};
        for (int k = 0; k < 81; ++k) {
            const char c = s[81 + k];
            if (c < '0' || c > '8') {
                std::snprintf(buf, sizeof buf, "stray character '%c' at group %d of the map (use 0-8)", c, k + 1);
                why = buf;
                return false;
            }
            out.groups[k] = c - '0';
            ++sizes[c - '0'];
        }
        for (int g = 0; g < 9; ++g) {
            if (sizes[g] != 9) {
                std::snprintf(buf, sizeof buf, "invalid group map: group %d has %d cells, not 9", g, sizes[g]);
                why = buf;
                return false;
            }
        }
        if (const int g = frontend::disconnected_group(out.groups); g >= 0) {
            std::snprintf(buf, sizeof buf, "invalid group map: group %d is not one connected piece", g);
            why = buf;
            return false;
        }
        int boxes[81];
        square_groups(boxes);
        out.map_kind = std::memcmp(boxes, out.groups, sizeof boxes) != 0;
    }
    out.adjacency = adjacency;
    // A digit twice in one house: name the house and both cells.
    const int kinds = adjacency ? 5 : 3;
    for (int kind = 0; kind < kinds; ++kind) {
        for (int a = 0; a < 81; ++a) {
            const int ha = house_of(kind, a, out.groups);
            if (ha < 0 || !out.clues[a]) continue;
            for (int b = a + 1; b < 81; ++b) {
                if (out.clues[b] != out.clues[a] || house_of(kind, b, out.groups) != ha) continue;
                char house[32];
                if (kind < 3)
                    std::snprintf(house, sizeof house, "%s %d", kHouseNames[kind], kind == 2 ? ha : ha + 1);
                else
                    std::snprintf(house, sizeof house, "%sdiagonal", kind == 4 ? "anti-" : "");
                std::snprintf(buf, sizeof buf, "contradicting clues: digit %d twice in %s (r%dc%d and r%dc%d)",
                              out.clues[a], house, a / 9 + 1, a % 9 + 1, b / 9 + 1, b % 9 + 1);
                why = buf;
                return false;
            }
        }
    }
    return true;
}

std::string digits_string(const int* digits) {
    std::string s(81, '.');
    for (int k = 0; k < 81; ++k)
        if (digits[k] >= 1 && digits[k] <= 9) s[k] = static_cast<char>('0' + digits[k]);
    return s;
}

std::string groups_string(const int* groups) {
    std::string s(81, '0');
    for (int k = 0; k < 81; ++k) s[k] = static_cast<char>('0' + (groups[k] >= 0 && groups[k] <= 8 ? groups[k] : 0));
    return s;
}

std::string puzzle_line(const int* clues, const int* groups, int map_kind) {
    std::string s = digits_string(clues);
    if (map_kind == 1) {
        s += ' ';
        s += groups_string(groups);
    }
    return s;
}

namespace {

// A drawing of the 9 x 9 cells, each w x h characters, with group walls between them.
template <typename Fill>
std::string draw_cells(const int* groups, int w, int h, Fill fill) {
    const int W = 9 * (w + 1) + 1, H = 9 * (h + 1) + 1;
    std::vector<std::string> canvas(H, std::string(W, ' '));
    auto wall_right = [&](int r, int c) { return c == 8 || groups[r * 9 + c] != groups[r * 9 + c + 1]; };
    auto wall_below = [&](int r, int c) { return r == 8 || groups[r * 9 + c] != groups[(r + 1) * 9 + c]; };
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const int x0 = c * (w + 1) + 1, y0 = r * (h + 1) + 1;
            for (int dy = 0; dy < h; ++dy)
                for (int dx = 0; dx < w; ++dx) canvas[y0 + dy][x0 + dx] = fill(r * 9 + c, dx, dy);
            if (c == 0)
                for (int dy = 0; dy < h; ++dy) canvas[y0 + dy][0] = '|';
            if (r == 0)
                for (int dx = 0; dx < w; ++dx) canvas[0][x0 + dx] = '-';
            if (wall_right(r, c))
                for (int dy = 0; dy < h; ++dy) canvas[y0 + dy][x0 + w] = '|';
            if (wall_below(r, c))
                for (int dx = 0; dx < w; ++dx) canvas[y0 + h][x0 + dx] = '-';
        }
    }
    // A lattice point is a corner when a wall leaves it in any direction.
    for (int y = 0; y < H; y += h + 1) {
        for (int x = 0; x < W; x += w + 1) {
            const bool wall = (x > 0 && canvas[y][x - 1] == '-') || (x + 1 < W && canvas[y][x + 1] == '-') ||
                              (y > 0 && canvas[y - 1][x] == '|') || (y + 1 < H && canvas[y + 1][x] == '|');
            if (wall) canvas[y][x] = '+';
        }
    }
    std::string out;
    for (auto& line : canvas) {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

}  // namespace

std::string draw_grid(const int* digits, const int* groups, int adjacency) {
    return draw_cells(groups, 3, 1, [&](int k, int dx, int) -> char {
        if (dx == 1) return digits[k] >= 1 && digits[k] <= 9 ? static_cast<char>('0' + digits[k]) : '.';
        if (adjacency != 1 || dx != 0) return ' ';
        // On x games the cells of the two long diagonals carry a slant mark.
        return k / 9 == k % 9 ? '\\' : k / 9 + k % 9 == 8 ? '/' : ' ';
    });
}

std::string draw_candidates(const int* masks, const int* groups) {
    return draw_cells(groups, 3, 3, [&](int k, int dx, int dy) -> char {
        const int d = dy * 3 + dx + 1;
        return (masks[k] >> d) & 1 ? static_cast<char>('0' + d) : '.';
    });
}

std::string json_string(const char* text) {
    std::string s = "\"";
    for (const char* p = text ? text : ""; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            s += buf;
        } else {
            s += static_cast<char>(c);
        }
    }
    return s + "\"";
}

std::string json_int_array(const int* values, int n) {
    std::string s = "[";
    for (int i = 0; i < n; ++i) {
        if (i) s += ",";
        s += std::to_string(values[i]);
    }
    return s + "]";
}

// ---- Options ----

namespace {

// Matches `--name`, or `--name=value` when with_value; returns the length matched or 0.
bool matches(const char* arg, const char* name, bool with_value, const char** inline_value) {
    const size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0) return false;
    if (arg[n] == 0) return true;
    if (with_value && arg[n] == '=') {
        *inline_value = arg + n + 1;
        return true;
    }
    return false;
}

}  // namespace

bool Args::flag(const char* name, const char* alias) {
    if (done()) return false;
    if (std::strcmp(argv[i], name) == 0 || (alias && std::strcmp(argv[i], alias) == 0)) {
        ++i;
        return true;
    }
    return false;
}

bool Args::option(const char* name, const char* alias) {
    if (done()) return false;
    const char* inline_value = nullptr;
    const bool hit = matches(argv[i], name, true, &inline_value) || (alias && std::strcmp(argv[i], alias) == 0);
    if (!hit) return false;
    const char* opt = argv[i];
    ++i;
    if (inline_value) {
        value = inline_value;
        return true;
    }
    if (done()) {
        complain("option %s needs a value", opt);
        bad = true;
        value = nullptr;
        return false;
    }
    value = argv[i++];
    return true;
}

void Args::unknown() {
    if (argv[i][0] == '-' && argv[i][1] != 0)
        complain("unknown option '%s' (see --help)", argv[i]);
    else
        complain("unexpected argument '%s' (see --help)", argv[i]);
    bad = true;
    ++i;
}

bool parse_long(const char* option, const char* text, long long lo, long long hi, long long& out) {
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || v < lo || v > hi) {
        complain("%s: '%s' is not a whole number in %lld..%lld", option, text, lo, hi);
        return false;
    }
    out = v;
    return true;
}

bool parse_map(const char* text, int& out) {
    if (!std::strcmp(text, "square")) return out = 0, true;
    if (!std::strcmp(text, "jigsaw") || !std::strcmp(text, "irregular")) return out = 1, true;
    complain("--map: '%s' is not square or jigsaw", text);
    return false;
}

bool parse_adjacency(const char* text, int& out) {
    if (!std::strcmp(text, "regular")) return out = 0, true;
    if (!std::strcmp(text, "x")) return out = 1, true;
    complain("--adjacency: '%s' is not regular or x", text);
    return false;
}

const char kInputHelp[] =
    "Puzzles come from the FILEs ('-' or none: standard input) and --puzzle, one per line: 81\n"
    "characters for the clues ('1'-'9', '.' or '0' for a blank), followed for a jigsaw by the 81\n"
    "digits '0'-'8' of the group map; whitespace is ignored, blank lines and '#' lines skipped.\n"
    "  -p, --puzzle LINE     a puzzle given on the command line (repeatable)\n"
    "  -a, --adjacency ADJ   regular (default) or x: the puzzles' diagonals are houses too\n"
    "  -x                    the same as --adjacency x\n"
    "      --skip-bad        report bad lines and go on (default: stop at the first, exit 1)\n"
    "      --json            one JSON object per puzzle and line\n"
    "  -h, --help            this text\n";

bool InputOptions::take(Args& args) {
    if (args.option("--puzzle", "-p")) {
        inline_puzzles.push_back(args.value);
    } else if (args.option("--adjacency", "-a")) {
        if (!parse_adjacency(args.value, adjacency)) args.bad = true;
    } else if (args.flag("-x")) {
        adjacency = 1;
    } else if (args.flag("--skip-bad")) {
        skip_bad = true;
    } else if (args.flag("--json")) {
        json = true;
    } else if (!args.done() && (args.current()[0] != '-' || !std::strcmp(args.current(), "-"))) {
        files.push_back(args.current());
        ++args.i;
    } else {
        return false;
    }
    return true;
}

bool BatchOptions::take(Args& args) {
    bool ok = true;
    if (args.option("--map", "-m")) {
        ok = parse_map(args.value, map);
    } else if (args.option("--adjacency", "-a")) {
        ok = parse_adjacency(args.value, adjacency);
    } else if (args.flag("-x")) {
        adjacency = 1;
    } else if (args.option("--count", "-n")) {
        ok = parse_long("--count", args.value, 1, 1000000, count);
    } else if (args.option("--jobs", "-j")) {
        ok = parse_long("--jobs", args.value, 1, 256, jobs);
    } else if (args.option("--seed", "-s")) {
        ok = parse_long("--seed", args.value, 0, INT64_MAX, seed);
    } else {
        return false;
    }
    if (!ok) args.bad = true;
    return true;
}

bool InputOptions::load(std::vector<Grid>& grids, std::vector<std::string>& where) const {
    std::vector<Line> lines;
    return read_lines(inline_puzzles, files, lines) && parse_lines(lines, adjacency, skip_bad, grids, &where);
}

bool read_lines(const std::vector<std::string>& inline_puzzles, const std::vector<std::string>& files,
                std::vector<Line>& out) {
    for (size_t i = 0; i < inline_puzzles.size(); ++i)
        out.push_back({"--puzzle " + std::to_string(i + 1), inline_puzzles[i]});
    auto take = [&](std::istream& in, const std::string& name) {
        std::string text;
        for (int n = 1; std::getline(in, text); ++n) out.push_back({name + ":" + std::to_string(n), text});
    };
    if (files.empty() && inline_puzzles.empty()) take(std::cin, "<stdin>");
    for (const auto& f : files) {
        if (f == "-") {
            take(std::cin, "<stdin>");
            continue;
        }
        std::ifstream in(f);
        if (!in) {
            complain("%s: %s", f.c_str(), std::strerror(errno));
            return false;
        }
        take(in, f);
    }
    return true;
}

bool parse_lines(const std::vector<Line>& lines, int adjacency, bool skip_bad, std::vector<Grid>& out,
                 std::vector<std::string>* where) {
    for (const auto& line : lines) {
        if (is_blank_or_comment(line.text)) continue;
        Grid g;
        std::string why;
        if (!parse_puzzle(line.text, adjacency, g, why)) {
            complain("%s: %s%s", line.where.c_str(), why.c_str(), skip_bad ? " (skipped)" : "");
            if (!skip_bad) return false;
            continue;
        }
        out.push_back(g);
        if (where) where->push_back(line.where);
    }
    return true;
}

uint64_t derive_seed(uint64_t base, uint64_t index, uint64_t attempt) {
    uint64_t z = base * 0x9e3779b97f4a7c15ULL + index * 0xd1b54a32d192ed03ULL + attempt * 0x8cb92ba72f3d8dd7ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return z ? z : 1;
}

uint64_t fnv1a(uint64_t hash, const void* data, size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * 0x100000001b3ULL;
    return hash;
}

void locate_group_maps() {
    const char* env = std::getenv("SUDOKU_GROUP_MAPS_DIR");
    if (env && *env) return;
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    exe[n] = 0;
    char* slash = std::strrchr(exe, '/');
    if (!slash) return;
    *slash = 0;
    std::string dir = std::string(exe) + "/../lib/group_maps";
    if (access(dir.c_str(), R_OK) != 0) dir = frontend::installed_data_dir() + "/group_maps";
    if (access(dir.c_str(), R_OK) == 0) sudoku_set_group_maps_dir(dir.c_str());
}

void silence_engine_stderr() {
    if (g_ctx.err != stderr) return;
    const int saved = dup(2);
    const int null_fd = open("/dev/null", O_WRONLY);
    if (saved < 0 || null_fd < 0) return;
    FILE* err = fdopen(saved, "w");
    if (!err) return;
    std::fflush(stderr);
    dup2(null_fd, 2);
    close(null_fd);
    g_ctx.err = err;
}

void read_game(SudokuHandle* h, int adjacency, Made& out) {
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo cell;
        sudoku_get_cell(h, k, &cell);
        out.solution[k] = cell.solution;
        out.clues[k] = cell.status ? cell.solution : 0;
        out.groups[k] = cell.group;
    }
    int boxes[81];
    square_groups(boxes);
    out.map_kind = std::memcmp(boxes, out.groups, sizeof boxes) != 0;
    out.adjacency = adjacency;
}

std::string classification_json(const ClassifyInfo& info) {
    const char* uniqueness = info.unique ? "unique" : info.solvable ? "multiple" : "none";
    return "\"label\":" + json_string(info.label) + ",\"bucket\":" + std::to_string(info.bucket) +
           ",\"level\":" + std::to_string(info.level) + ",\"description\":" + json_string(info.description) +
           ",\"solutions\":" + json_string(uniqueness) + ",\"clue_count\":" + std::to_string(info.clue_count);
}

double now_ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace cli
