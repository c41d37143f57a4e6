// Judging and building puzzles that come from outside the stock.
#include "imported.h"
#include "translate.h"

#include <sstream>

namespace game {

namespace {

// A small exact search over digit masks: enough to find the solution the game must carry and to
// tell one solution from several.
struct Search {
    int houses[29][9];
    int n_houses = 0;
    int cell_houses[81][5];  // row, column, group and, on the x rules, both diagonals for the centre
    int cell_n[81] = {};
    int grid[81];
    int first[81];
    int count = 0;
    long nodes_left = 0;  // the search gives up (count -1) when it runs out

    void add_house(const int* cells) {
        for (int i = 0; i < 9; ++i) {
            houses[n_houses][i] = cells[i];
            cell_houses[cells[i]][cell_n[cells[i]]++] = n_houses;
        }
        ++n_houses;
    }

    unsigned used(int cell) const {
        unsigned m = 0;
        for (int h = 0; h < cell_n[cell]; ++h)
            for (int i = 0; i < 9; ++i) m |= 1u << grid[houses[cell_houses[cell][h]][i]];
        return m;
    }

    void run() {
        if (count < 0 || --nodes_left < 0) {
            count = -1;
            return;
        }
        int best = -1;
        unsigned best_free = 0;
        int best_n = 10;
        for (int k = 0; k < 81; ++k) {
            if (grid[k]) continue;
            const unsigned free = ~used(k) & 0x3fe;
            const int n = __builtin_popcount(free);
            if (n < best_n) best = k, best_free = free, best_n = n;
            if (n == 0) return;
        }
        if (best < 0) {
            if (count >= 0 && count++ == 0) std::memcpy(first, grid, sizeof grid);
            return;
        }
        for (int d = 1; d <= 9 && count >= 0 && count < 2; ++d)
            if (best_free & (1u << d)) {
                grid[best] = d;
                run();
                grid[best] = 0;
            }
    }
};

}  // namespace

bool solve_clues(const int* clues, const int* groups, int adjacency, int* solution, int* count, long node_limit) {
    Search s;
    s.nodes_left = node_limit;
    int cells[9];
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) cells[c] = r * 9 + c;
        s.add_house(cells);
        for (int c = 0; c < 9; ++c) cells[c] = c * 9 + r;
        s.add_house(cells);
    }
    for (int g = 0; g < 9; ++g) {
        int n = 0;
        for (int k = 0; k < 81 && n < 9; ++k)
            if (groups[k] == g) cells[n++] = k;
        if (n != 9) return false;
        s.add_house(cells);
    }
    if (adjacency == 1) {
        for (int i = 0; i < 9; ++i) cells[i] = i * 10;
        s.add_house(cells);
        for (int i = 0; i < 9; ++i) cells[i] = i * 8 + 8;
        s.add_house(cells);
    }
    for (int k = 0; k < 81; ++k) {
        if (clues[k] < 0 || clues[k] > 9) return false;
        s.grid[k] = clues[k];
    }
    // The clues themselves must not repeat in a house.
    for (int k = 0; k < 81; ++k)
        if (clues[k]) {
            s.grid[k] = 0;
            const bool clash = s.used(k) & (1u << clues[k]);
            s.grid[k] = clues[k];
            if (clash) {
                *count = 0;
                return true;
            }
        }
    s.run();
    *count = s.count;
    if (s.count > 0) std::memcpy(solution, s.first, sizeof s.first);
    return true;
}

Import import_puzzle(const frontend::Engine& engine, const frontend::PuzzleLine& line, int adjacency) {
    Import out;
    int boxes[81];
    frontend::square_groups(boxes);
    const int map_kind = std::memcmp(boxes, line.groups, sizeof boxes) != 0 ? 1 : 0;
    int solution[81], count = 0;
    if (!solve_clues(line.clues, line.groups, adjacency, solution, &count)) {
        out.why = _("the group map is not nine groups of nine cells");
        return out;
    }
    if (count < 0) {
        out.why = _("it could not be settled in reasonable time (too few clues to tell)");
        return out;
    }
    if (count == 0) {
        out.verdict = Verdict::NoSolution;
        out.why = _("this puzzle has no solution");
        return out;
    }
    if (count > 1) {
        out.verdict = Verdict::Several;
        out.why = _("this puzzle has more than one solution");
        return out;
    }
    ClassifyInfo info{};
    if (engine.sudoku_classify_clues(line.clues, line.groups, map_kind, adjacency, &info) && info.bucket >= 0) {
        out.bucket = info.bucket;
        out.label = info.label;
        out.description = info.description;
    } else {
        out.bucket = 9;
        out.label = engine.gen_bucket_name(9);
    }
    int flags[81], colours[9];
    for (int k = 0; k < 81; ++k) flags[k] = line.clues[k] != 0;
    frontend::colour_groups(line.groups, colours);
    SudokuHandle* h = engine.sudoku_new();
    if (!engine.sudoku_build_from_clues(h, map_kind, adjacency, out.bucket, flags, solution, line.groups, colours)) {
        engine.sudoku_free(h);
        out.why = _("the puzzle engine could not set up this puzzle");
        return out;
    }
    engine.sudoku_get_puzzle_bytes(h, out.record.bytes);
    engine.sudoku_free(h);
    for (int g = 0; g < 9; ++g) out.record.set_word(kCellBytes + 4 * g, colours[g]);
    out.record.set_word(kCellBytes + 36, map_kind);
    out.record.set_word(kCellBytes + 40, adjacency);
    out.record.set_word(kCellBytes + 44, out.bucket);
    out.verdict = Verdict::Unique;
    return out;
}

bool first_puzzle_in_text(const std::string& text, frontend::PuzzleLine& out, std::string& why) {
    std::istringstream in(text);
    std::string line, first_why;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') continue;
        std::string reason;
        if (frontend::parse_puzzle_line(line, out, reason)) return true;
        if (first_why.empty()) first_why = _("line ") + std::to_string(number) + ": " + reason;
    }
    why = first_why.empty() ? _("there is no puzzle line in it") : first_why;
    return false;
}

}  // namespace game
