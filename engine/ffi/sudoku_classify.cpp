// The exported classification calls and the transform of stored puzzle bytes.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "classify/canonical_form.h"
#include "classify/puzzle_classify.h"
#include "ffi/quorvel.h"
#include "puzzle/Puzzle.h"
#include "util/sudoku_combinations.h"

static_assert(sizeof(ClassifyInfo) == 1076);
static_assert(offsetof(ClassifyInfo, cell_method) == 24);
static_assert(offsetof(ClassifyInfo, cell_digit) == 348);
static_assert(offsetof(ClassifyInfo, cell_given) == 672);
static_assert(offsetof(ClassifyInfo, label) == 996);
static_assert(offsetof(ClassifyInfo, description) == 1012);
static_assert(offsetof(ClassifyResult, level) == 16);
static_assert(offsetof(ClassifyResult, cell_method) == 24);
static_assert(offsetof(ClassifyResult, cell_given) == 672);
static_assert(offsetof(ClassifyResult, clue_count) == 756);

namespace {

// Labels the caller may meet, older names included, and their buckets; compared in this order.
struct LabelBucket {
    const char* label;
    int bucket;
};
const LabelBucket kLabelBuckets[] = {
    {"quickie", 0},  {"easy", 1},     {"medium", 3},          {"hard", 5},     {"expert", 7},
    {"ultimate", 8}, {"bruteforce", 9}, {"moderately_easy", 2}, {"moderate", 3}, {"moderately_hard", 4},
    {"vicious", 6},  {"fiendish", 7}, {"hell", 8},            {"beyond_hell", 9},
};

int bucket_of(const char* label) {
    if (!label) return -1;
    for (const LabelBucket& lb : kLabelBuckets)
        if (std::strcmp(label, lb.label) == 0) return lb.bucket;
    return -1;
}

void copy_text(char* to, size_t size, const char* from) {
    std::memset(to, 0, size);
    if (from) std::strncpy(to, from, size - 1);
}

// The clue and group grids of a game: the digit of every cell whose status is exactly 1.
void grids_of(const Puzzle* h, int clues[9][9], int groups[9][9]) {
    for (int k = 0; k < N_CELLS; ++k) {
        const PUZZLE_CELL& c = h->cells[k];
        clues[k / 9][k % 9] = c.status == 1 ? c.solution : 0;
        groups[k / 9][k % 9] = c.group;
    }
}

bool is_permutation(const int* permutation) {
    unsigned seen = 0;
    for (int i = 0; i < 9; ++i) {
        const int d = permutation[i];
        if (d < 1 || d > 9 || (seen & (1u << d))) return false;
        seen |= 1u << d;
    }
    return true;
}

}  // namespace

extern "C" {

int sudoku_classify_clues(const int* clues, const int* groups, int map_kind, int adjacency, ClassifyInfo* out) {
    if (!clues || !groups || !out) return 0;
    int c[9][9], g[9][9];
    std::memcpy(c, clues, sizeof c);
    std::memcpy(g, groups, sizeof g);
    if (!classify_input_is_valid(c, g)) return 0;
    initialize_comb_routine();
    const ClassifyResult r = classify_puzzle(map_kind == 1, adjacency == 1, c, g, 0);
    // Only the thread's time limit (sudoku_set_classify_time_limit) can leave a grid undecided here.
    const bool undecided = r.budget_exhausted;
    out->bucket = undecided ? -1 : bucket_of(r.label);
    out->level = r.level;
    out->solvable = r.solvable;
    out->unique = r.unique;
    out->solved = r.solved;
    out->clue_count = r.clue_count;
    for (int k = 0; k < N_CELLS; ++k) {
        out->cell_method[k] = r.cell_method[k];
        out->cell_digit[k] = r.cell_digit[k];
        out->cell_given[k] = r.cell_given[k];
    }
    copy_text(out->label, sizeof out->label, undecided ? "undecided" : r.label);
    copy_text(out->description, sizeof out->description,
              undecided ? "Undecided — the time limit ran out" : r.description);
    return undecided ? 2 : 1;
}

void sudoku_set_classify_time_limit(int ms) { set_classify_time_limit(ms); }

int sudoku_classify_handle(SudokuHandle* h, int map_kind, int adjacency, ClassifyInfo* out) {
    if (!h || !out) return 0;
    int clues[9][9], groups[9][9];
    grids_of(h, clues, groups);
    return sudoku_classify_clues(&clues[0][0], &groups[0][0], map_kind, adjacency, out);
}

int sudoku_candidate_state_handle(SudokuHandle* h, int map_kind, int adjacency, int level, int* out) {
    if (!h || !out) return 0;
    int clues[9][9], groups[9][9];
    grids_of(h, clues, groups);
    initialize_comb_routine();
    return candidate_state_at_level(map_kind == 1, adjacency == 1, clues, groups, level, out);
}

void sudoku_transform_puzzle(void* bytes, unsigned type, const int* permutation) {
    if (type > 7 || !bytes || !permutation || !is_permutation(permutation)) return;
    PUZZLE_CELL src[N_CELLS];
    std::memcpy(src, bytes, sizeof src);
    // Group words out of range would leave the turned grid with broken house rings.
    int size[9] = {};
    for (const PUZZLE_CELL& c : src)
        if (c.group < 0 || c.group > 8 || ++size[c.group] > 9) return;
    auto* p = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
    if (!p) return;
    for (int k = 0; k < N_CELLS; ++k) {
        const GridPos to = orient_pos(static_cast<int>(type), k / 9, k % 9);
        PUZZLE_CELL c = src[k];
        for (int32_t& n : c.next_in_house) n = 0;
        if (c.solution >= 1 && c.solution <= 9) c.solution = permutation[c.solution - 1];
        if (c.user_answer >= 1 && c.user_answer <= 9) c.user_answer = permutation[c.user_answer - 1];
        uint32_t bits = 0;
        for (int d = 1; d <= 9; ++d)
            if (c.elim_bits & (1u << d)) bits |= 1u << permutation[d - 1];
        c.elim_bits = bits;
        p->cells[to.row * 9 + to.col] = c;
    }
    p->setup_with_grp_set();
    std::memcpy(bytes, p->cells, PUZZLE_BYTES);
    std::free(p->are_neighbors_array);
    std::free(p);
}

}  // extern "C"
