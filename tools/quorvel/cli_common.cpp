// Drawings, option values, input loading and output helpers shared by the quorvel commands.
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "cli.h"
#include "install_dirs.h"
#include "puzzle_line.h"

namespace cli {

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

void InputOptions::add_to(Options& options) {
    options.value("-p,--puzzle", [this](const std::string& v) { return inline_puzzles.push_back(v), true; });
    options.value("-a,--adjacency", [this](const std::string& v) { return parse_adjacency(v.c_str(), adjacency); });
    options.flag("-x", [this] { adjacency = 1; });
    options.flag("--skip-bad", skip_bad);
    options.flag("--json", json);
    options.positionals(files);
}

void BatchOptions::add_to(Options& options) {
    options.value("-m,--map", [this](const std::string& v) { return parse_map(v.c_str(), map); });
    options.value("-a,--adjacency", [this](const std::string& v) { return parse_adjacency(v.c_str(), adjacency); });
    options.flag("-x", [this] { adjacency = 1; });
    options.number("-n,--count", "--count", 1, 1000000, count);
    options.number("-j,--jobs", "--jobs", 1, 256, jobs);
    options.number("-s,--seed", "--seed", 0, INT64_MAX, seed);
}

bool InputOptions::load(std::vector<Grid>& grids, std::vector<std::string>& where) const {
    std::vector<frontend::SourceLine> lines;
    std::string why;
    if (!frontend::read_puzzle_sources(inline_puzzles, files, lines, why)) {
        complain("%s", why.c_str());
        return false;
    }
    return frontend::parse_puzzle_sources(lines, adjacency, skip_bad, grids, &where,
                                          [](const std::string& message) { complain("%s", message.c_str()); });
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
    out.map_kind = frontend::map_kind_of(out.groups);
    out.adjacency = adjacency;
}

void add_classification(Json& out, const ClassifyInfo& info) {
    out["label"] = info.label;
    out["bucket"] = info.bucket;
    out["level"] = info.level;
    out["description"] = info.description;
    out["solutions"] = info.unique ? "unique" : info.solvable ? "multiple" : "none";
    out["clue_count"] = info.clue_count;
}

void print_json(const Json& object) {
    // Text that is not UTF-8 (a file name, say) loses its stray bytes rather than stopping the tool.
    const std::string line = object.dump(-1, ' ', false, nlohmann::json::error_handler_t::ignore);
    std::printf("%s\n", line.c_str());
}

double now_ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace cli
