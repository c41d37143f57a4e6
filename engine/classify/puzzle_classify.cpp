// The classifier: consistency, canonical orientation, the technique ladder, the exact search.
#include "classify/puzzle_classify.h"
#include "ffi/quorvel.h"  // declares classify_puzzle, candidate_state_at_level, defined here

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "classify/canonical_form.h"
#include "classify/matrix_engine.h"
#include "ffi/techniques.h"
#include "puzzle/set_bit_array.h"
#include "util/utility.h"

namespace {

constexpr long kNoBudget = 1L << 62;

// Per thread, so that a caller that must stay responsive can bound its own classifications without
// touching those of other threads.
thread_local int t_time_limit_ms = 0;

bool past(int64_t deadline_ms) { return deadline_ms > 0 && steady_now_ms() >= deadline_ms; }

// A Puzzle on the heap for one classification, released with its neighbour table.
struct ScratchPuzzle {
    Puzzle* p = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
    ScratchPuzzle() {
        if (!p) std::abort();
    }
    ~ScratchPuzzle() {
        std::free(p->are_neighbors_array);
        std::free(p);
    }
    ScratchPuzzle(const ScratchPuzzle&) = delete;
    ScratchPuzzle& operator=(const ScratchPuzzle&) = delete;
};

int clue_at(const int clues[9][9], int k) {
    const int v = clues[k / 9][k % 9];
    return v >= 1 && v <= 9 ? v : 0;
}

// The given cells, their digits, no methods, and the clue count; every verdict starts here.
ClassifyResult fresh_result(const int clues[9][9]) {
    ClassifyResult r{};
    r.level = -1;
    for (int k = 0; k < N_CELLS; ++k) {
        const int v = clue_at(clues, k);
        r.cell_given[k] = v != 0;
        r.cell_digit[k] = v;
        r.cell_method[k] = -2;
        r.clue_count += v != 0;
    }
    return r;
}

// Whether a fine atom is a kind of the technique at ladder index li.
bool atom_native(int atom, int li) {
    switch (atom) {
        case 30:
        case 31: return li == 0;
        case 32:
        case 33: return li == 1;
        case 34:
        case 35:
        case 53: return li == 2;
        case 36: return li == 2 || li == 3;
        case 37:
        case 38:
        case 39:
        case 40:
        case 41: return li == 3;
        case 42:
        case 43:
        case 44:
        case 45: return li == 7;
        case 49:
        case 50: return li == 14;
        case 51: return li == 9;
        case 52: return li == 8;
        default: return false;
    }
}

// Gives the cells solved at this level the finer kind of step that solved them, when it is clear.
void refine_methods(ClassifyResult& r, const int* counts, int li, bool trace) {
    const int level = kSolveLevels[li];
    int fine_atoms = 0, first_native = -1, best_chain = -1;
    for (int a = 30; a < N_TECHNIQUE_COUNTS; ++a) {
        if (counts[a] <= 0 || !atom_native(a, li)) continue;
        ++fine_atoms;
        if (first_native < 0) first_native = a;
        if (a >= 42 && a <= 44 && (best_chain < 0 || counts[a] > counts[best_chain])) best_chain = a;
    }
    if (trace) {
        std::fprintf(stderr, "level li=%d L=%d fine_atoms=%d:", li, level, fine_atoms);
        for (int a = 30; a < N_TECHNIQUE_COUNTS; ++a)
            if (counts[a] > 0) std::fprintf(stderr, " atom%d(+%d)%s", a, counts[a], atom_native(a, li) ? "" : "[cascade]");
        std::fprintf(stderr, "\n");
    }
    int with = -1;
    if (fine_atoms == 1) {
        with = first_native;
    } else if (level == METHOD_TURBOT && best_chain >= 0) {
        with = best_chain;
    }
    if (with < 0) return;
    for (int& m : r.cell_method)
        if (m == level) m = with;
}

// Fills the cells no ladder level solved from a completion of the grid.
void fill_from_search(ClassifyResult& r, const int* grid) {
    for (int k = 0; k < N_CELLS; ++k) {
        if (r.cell_given[k] || r.cell_method[k] != -2) continue;
        r.cell_digit[k] = grid[k];
        r.cell_method[k] = METHOD_BRUTE_FORCE;
    }
    r.level = kNSolveLevels;
    r.solved = 1;
}

// The last resort when the exact search gives up unbounded: the cell-order search, whose printed
// solution is read back. Returns its solution count (0, 1 or 2).
int brute_force_fallback(MAP_TYPE map, ADJACENCY_TYPE adjacency, const int clues[9][9], const int groups[9][9],
                         int* grid) {
    ScratchPuzzle s;
    setup_for_classify(*s.p, map, adjacency, clues, groups);
    s.p->solve(METHOD_FRANKEN_FISH);
    char text[1024] = {};
    FILE* f = fmemopen(text, sizeof text - 1, "w");
    if (!f) return 2;
    s.p->solve_by_brute_force(f, 0);
    std::fclose(f);
    const int n = s.p->n_solutions;
    if (n != 1) return n;
    FILE* in = fmemopen(text, std::strlen(text), "r");
    if (!in) return 2;
    char line[64];
    bool ok = std::fgets(line, sizeof line, in) != nullptr;
    for (int k = 0; ok && k < N_CELLS; ++k) ok = std::fscanf(in, " %d", &grid[k]) == 1 && grid[k] >= 1 && grid[k] <= 9;
    std::fclose(in);
    return ok ? 1 : 2;
}

// Settles the count of a grid the ladder left unfinished.
void decide_by_search(ClassifyResult& r, MAP_TYPE map, ADJACENCY_TYPE adjacency, const int clues[9][9],
                      const int groups[9][9], long budget, int64_t deadline_ms) {
    const matrix_engine::Ops* ops = matrix_engine::compile(adjacency == ADJ_X, groups);
    matrix_engine::Vec fixed{};
    for (int k = 0; k < N_CELLS; ++k)
        if (r.cell_given[k]) fixed.set(9 * k + r.cell_digit[k] - 1);
    const bool bounded = budget > 0;
    long left = bounded ? budget : kNoBudget;
    int out[2][81] = {};  // the counter writes the first two completions it finds
    int count = ops ? matrix_engine::count_completions_until(*ops, matrix_engine::full_vec(), fixed, 2, out, left,
                                                             deadline_ms)
                    : -1;
    if (count < 0 && (bounded || deadline_ms > 0)) {
        r.budget_exhausted = 1;
        return;
    }
    if (count < 0) count = brute_force_fallback(map, adjacency, clues, groups, out[0]);
    r.solvable = count != 0;
    r.unique = count == 1;
    if (r.unique) fill_from_search(r, out[0]);
}

void name_verdict(ClassifyResult& r, MAP_TYPE map, ADJACENCY_TYPE adjacency) {
    const bool quickie = r.clue_count >= quickie_threshold(map, adjacency);
    if (r.solved && r.unique) {
        verdict_names(r.level, quickie, &r.label, &r.description);
        return;
    }
    r.label = "unsolvable";
    r.description = unsolved_description(r.level, quickie, r.solvable, r.budget_exhausted);
}

}  // namespace

bool classify_input_is_valid(const int clues[9][9], const int groups[9][9]) {
    if (!clues || !groups) return false;
    int size[9] = {};
    for (int k = 0; k < N_CELLS; ++k) {
        const int v = clues[k / 9][k % 9], g = groups[k / 9][k % 9];
        if (v < 0 || v > 9 || g < 0 || g > 8 || ++size[g] > 9) return false;
    }
    return true;
}

bool clues_are_consistent(ADJACENCY_TYPE adjacency, const int clues[9][9], const int groups[9][9]) {
    unsigned row[9] = {}, col[9] = {}, group[9] = {}, diag = 0, anti = 0;
    auto take = [](unsigned& seen, unsigned bit) {
        if (seen & bit) return false;
        seen |= bit;
        return true;
    };
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            const int v = clues[r][c];
            if (v < 1 || v > 9) continue;
            const unsigned bit = 1u << v;
            if (!take(row[r], bit) || !take(col[c], bit)) return false;
            const int g = groups[r][c];
            if (g >= 0 && g <= 8 && !take(group[g], bit)) return false;
            if (adjacency == ADJ_X && r == c && !take(diag, bit)) return false;
            if (adjacency == ADJ_X && r + c == 8 && !take(anti, bit)) return false;
        }
    return true;
}

void setup_for_classify(Puzzle& p, MAP_TYPE map, ADJACENCY_TYPE adjacency, const int clues[9][9],
                        const int groups[9][9]) {
    std::memset(&p, 0, sizeof p);
    p.map_type = map;
    p.adjacency = adjacency;
    p.quality = static_cast<UI_QUALITY>(7);
    Matrix<int, 9> g{};
    std::memcpy(g.m, groups, sizeof g.m);
    p.setup(g);
    for (int k = 0; k < N_CELLS; ++k) {
        const int v = clue_at(clues, k);
        if (!v) continue;
        p.cells[k].status = STATUS_CLUE;
        p.cells[k].solution = 1 << v;
    }
    p.apply_mask();
    p.define_are_neighbors_array();
    p.build_group_overlap();
}

void set_classify_time_limit(int ms) { t_time_limit_ms = ms > 0 ? ms : 0; }

int64_t classify_deadline() { return t_time_limit_ms > 0 ? steady_now_ms() + t_time_limit_ms : 0; }

ClassifyResult classify_impl(MAP_TYPE map, ADJACENCY_TYPE adjacency, const int clues[9][9], const int groups[9][9],
                             long budget, int64_t deadline_ms) {
    ClassifyResult r = fresh_result(clues);
    bool out_of_time = false;
    bool solved_before[N_CELLS];
    for (int k = 0; k < N_CELLS; ++k) solved_before[k] = r.cell_given[k];
    {
        ScratchPuzzle s;
        Puzzle& p = *s.p;
        setup_for_classify(p, map, adjacency, clues, groups);
        for (int li = 0; li < kNSolveLevels; ++li) {
            const METHOD_TYPE level = kSolveLevels[li];
            p.solve(level);
            bool all = true;
            for (int k = 0; k < N_CELLS; ++k) {
                const uint32_t m = p.cells[k].elim_bits;
                const bool now = r.cell_given[k] || n_digits(m) == 1;
                all = all && now;
                if (now && !solved_before[k] && r.cell_method[k] == -2) {
                    r.cell_method[k] = level;
                    r.cell_digit[k] = bit_2_digit_array[m & 0x3ff];
                    r.level = li;
                }
                solved_before[k] = now;
            }
            refine_methods(r, p.technique_counts, li, std::getenv("SUDOKU_CLASSIFY_DEBUG") != nullptr);
            if (all) {
                r.solved = 1;
                break;
            }
            if (past(deadline_ms)) {
                out_of_time = true;
                break;
            }
        }
    }
    if (r.solved) {
        r.solvable = r.unique = 1;
    } else if (out_of_time) {
        r.budget_exhausted = 1;
    } else {
        decide_by_search(r, map, adjacency, clues, groups, budget, deadline_ms);
    }
    name_verdict(r, map, adjacency);
    return r;
}

namespace {

// The verdict for grids that cannot be classified: out-of-range values or clashing clues.
ClassifyResult refused(const int clues[9][9], const char* description) {
    ClassifyResult r = fresh_result(clues);
    r.label = "unsolvable";
    r.description = description;
    return r;
}

}  // namespace

ClassifyResult classify_puzzle(int map_type, int adjacency, const int clues[9][9], const int groups[9][9],
                               long budget) {
    return classify_puzzle_until(map_type, adjacency, clues, groups, budget, classify_deadline());
}


ClassifyResult classify_puzzle_until(int map_type, int adjacency, const int clues[9][9], const int groups[9][9],
                                     long budget, int64_t deadline_ms) {
    const MAP_TYPE map = map_type == MAP_IRREGULAR ? MAP_IRREGULAR : MAP_SQUARE;
    const ADJACENCY_TYPE adj = adjacency == ADJ_X ? ADJ_X : ADJ_REGULAR;
    if (!classify_input_is_valid(clues, groups)) {
        static const int kNone[9][9] = {};
        return refused(clues ? clues : kNone, "Invalid grid — values out of range");
    }
    if (!clues_are_consistent(adj, clues, groups)) return refused(clues, "No solution — the given digits contradict");
    int canon_clues[9][9], canon_groups[9][9];
    const CanonicalLabels labels = canonicalize(clues, groups, canon_clues, canon_groups);
    const ClassifyResult c = classify_impl(map, adj, canon_clues, canon_groups, budget, deadline_ms);
    ClassifyResult r = c;
    for (int row = 0; row < 9; ++row)
        for (int col = 0; col < 9; ++col) {
            const GridPos p = orient_pos(labels.orientation, row, col);
            const int from = p.row * 9 + p.col, to = row * 9 + col;
            r.cell_method[to] = c.cell_method[from];
            r.cell_given[to] = c.cell_given[from];
            const int d = c.cell_digit[from];
            r.cell_digit[to] = d >= 1 && d <= 9 ? labels.inverse_digit[d] : 0;
        }
    return r;
}

int candidate_state_at_level(int map_type, int adjacency, const int clues[9][9], const int groups[9][9], int method,
                             int* out) {
    if (!out || !classify_input_is_valid(clues, groups)) return 0;
    // The technique's prerequisite on the ladder; below the ladder naked singles, above it (or off
    // it) the forcing net.
    const techniques::Technique* t = techniques::find_technique(method);
    const int below = t && t->number == method && t->ladder > 0 ? t->prerequisite
                      : method <= 0                             ? METHOD_NAKED_SINGLES
                                                                : METHOD_FORCING_NET;
    ScratchPuzzle s;
    setup_for_classify(*s.p, map_type == MAP_IRREGULAR ? MAP_IRREGULAR : MAP_SQUARE,
                       adjacency == ADJ_X ? ADJ_X : ADJ_REGULAR, clues, groups);
    s.p->solve(static_cast<METHOD_TYPE>(below));
    for (int k = 0; k < N_CELLS; ++k) out[k] = static_cast<int>(s.p->cells[k].elim_bits);
    return 1;
}

