// The Puzzle record: 81 cells with their house rings, the game record layout and the grid operations.
#pragma once

#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdio>

// A square matrix of N x N values, row-major; Matrix<int, 9> is a group map (group 0..8 per cell).
template <typename T, int N>
struct Matrix {
    T m[N][N];
    T* operator[](int row) { return m[row]; }
    const T* operator[](int row) const { return m[row]; }
};

enum DIMENSION : int32_t { DIM_GROUP = 0, DIM_ROW = 1, DIM_COL = 2, DIM_DIAG = 3, DIM_ANTI_DIAG = 4 };
constexpr int N_DIMENSIONS = 5;

enum MAP_TYPE : int32_t { MAP_SQUARE = 0, MAP_IRREGULAR = 1 };
enum ADJACENCY_TYPE : int32_t { ADJ_REGULAR = 0, ADJ_X = 1 };
enum UI_QUALITY : int32_t {};

// A technique; used as a solve level it names the hardest technique allowed.
enum METHOD_TYPE : int32_t {
    METHOD_NAKED_SINGLES = 0,
    METHOD_HIDDEN_SINGLES = 1,
    METHOD_LOCKED_CANDIDATES = 2,
    METHOD_SUBSETS = 3,
    METHOD_DOUBLE_RESTRICTION = 4,
    METHOD_ALS = 5,
    METHOD_X_WING = 7,
    METHOD_SWORDFISH = 8,
    METHOD_JELLYFISH = 9,
    METHOD_X_CHAIN = 10,
    METHOD_XY_CHAIN = 11,
    METHOD_XY_XYZ_WING = 12,
    METHOD_FRANKEN_FISH = 17,
    METHOD_FINNED_FISH = 18,
    METHOD_TURBOT = 25,
    METHOD_FORCING_NET = 26,
    METHOD_BRUTE_FORCE = 27,
    METHOD_W_WING = 51,
};

// Slots of technique_counts beyond the per-technique step counts (slot m counts technique m).
constexpr int N_TECHNIQUE_COUNTS = 54;
enum TECHNIQUE_SLOT : int {
    SLOT_XY_WING = 13,
    SLOT_XYZ_WING = 14,
    SLOT_FINNED_TWO_FINS = 19,
    SLOT_ALS_SINGLE_LINK = 20,
    SLOT_ALS_DOUBLE_LINK = 21,
    SLOT_ALS_BIVALUE_PAIR = 22,
    SLOT_ALS_TRIVALUE_PAIR = 23,
    SLOT_UNSOLVED = 28,
    SLOT_GIVENS = 29,
    ATOM_HIDDEN_SINGLE_GROUP = 32,
    ATOM_HIDDEN_SINGLE_LINE = 33,
    ATOM_POINTING = 34,
    ATOM_BOX_LINE = 35,
    ATOM_HIDDEN_PAIR = 39,
    ATOM_HIDDEN_TRIPLE = 40,
    ATOM_HIDDEN_QUAD = 41,
    ATOM_X_CHAIN_KIND_1 = 42,
    ATOM_X_CHAIN_KIND_2 = 43,
    ATOM_X_CHAIN_KIND_3 = 44,
    ATOM_W_WING = 51,
    ATOM_PEER_INTERSECTION = 53,
};

// A Franken fish shape: how many lines and groups make its base and its cover.
struct FRANKEN_PATTERN {
    int32_t base_lines;
    int32_t base_groups;
    int32_t cover_lines;
    int32_t cover_groups;
};

constexpr uint8_t PEERS_NONE = 0, PEERS_SOLVE = 1, PEERS_KEPT = 2;

// Results of Puzzle::solve.
enum SOLVE_RESULT : int { SOLVED = 0, NOT_SOLVED = 1, NOT_SOLVED_STUCK = 2, SOLVE_CANCELLED = 5 };

// Status bits of a cell.
constexpr uint32_t STATUS_CLUE = 1;
constexpr uint32_t STATUS_PROPAGATED = 2;

constexpr uint32_t ALL_DIGITS = 0x3fe;
constexpr int N_CELLS = 81;
constexpr int PUZZLE_BYTES = 5184;
constexpr int GAME_RECORD_BYTES = 5232;
constexpr int NEIGHBOR_TABLE_BYTES = N_CELLS * N_CELLS;

// A bivalue cell as a node of the XY-chain search, with its houses in search order; n_dims 0: no node.
struct CHAIN_NODE {
    int64_t cell_index;  // row * 9 + column
    int32_t n_dims;
    int32_t dims[N_DIMENSIONS];
};
static_assert(sizeof(CHAIN_NODE) == 32);

// One cell: sixteen little-endian 32-bit words. Words 0..9 say where the cell lies, 10..15 are play state.
struct PUZZLE_CELL {
    int32_t group;
    int32_t row;
    int32_t col;
    int32_t diag;                         // 0 on the main diagonal, else -1
    int32_t anti_diag;                    // 0 on the anti-diagonal, else -1
    int32_t next_in_house[N_DIMENSIONS];  // distance in cells to the next cell of the same house
    int32_t solution;                     // digit 1..9 in playing form, 1 << d while building
    uint32_t status;                      // bit 0: clue; bit 1: solver scratch
    uint32_t elim_bits;                   // candidates or pencil marks
    int32_t user_answer;                  // the player's digit, 0 = none
    uint8_t small_mode;                   // shows pencil marks
    uint8_t unused[3];
    int32_t reserved;

    // The house number of this cell in dimension d (-1 when it is on no such house).
    int house(int d) const {
        assert(d >= 0 && d < 5);
        return (&group)[d];
    }
    // A house ring's offsets stay inside the 81 cells: a wrong one would walk off the grid.
    PUZZLE_CELL* next(int d) {
        assert(d >= 0 && d < 5 && next_in_house[d] > -81 && next_in_house[d] < 81);
        return this + next_in_house[d];
    }
    const PUZZLE_CELL* next(int d) const {
        assert(d >= 0 && d < 5 && next_in_house[d] > -81 && next_in_house[d] < 81);
        return this + next_in_house[d];
    }
};

static_assert(sizeof(PUZZLE_CELL) == 64);
static_assert(offsetof(PUZZLE_CELL, group) == 0);
static_assert(offsetof(PUZZLE_CELL, row) == 4);
static_assert(offsetof(PUZZLE_CELL, col) == 8);
static_assert(offsetof(PUZZLE_CELL, diag) == 12);
static_assert(offsetof(PUZZLE_CELL, anti_diag) == 16);
static_assert(offsetof(PUZZLE_CELL, next_in_house) == 20);
static_assert(offsetof(PUZZLE_CELL, solution) == 40);
static_assert(offsetof(PUZZLE_CELL, status) == 44);
static_assert(offsetof(PUZZLE_CELL, elim_bits) == 48);
static_assert(offsetof(PUZZLE_CELL, user_answer) == 52);
static_assert(offsetof(PUZZLE_CELL, small_mode) == 56);
static_assert(offsetof(PUZZLE_CELL, reserved) == 60);

// An almost-locked set: n cells of one house whose candidates together hold n + 1 digits. Built in
// local storage during one search, never kept.
struct ALMOST_LOCKED_SET {
    uint32_t digits;  // union of the candidate masks of the cells
    int32_t n_cells;
    PUZZLE_CELL* cells[9];
};

// One game. The first 5232 bytes are the game record that callers and albums store byte for byte;
// everything after it is working state of the algorithms that run on the game.
struct Puzzle {
    PUZZLE_CELL cells[N_CELLS];
    int32_t color_map[9];
    MAP_TYPE map_type;
    ADJACENCY_TYPE adjacency;
    UI_QUALITY quality;
    // --- end of the game record ---
    // Stop requests. sudoku_cancel may set them from another thread while a generation runs, so
    // outside single-threaded tests they are read and written only through the atomic helpers below.
    uint8_t cancelled;     // stops clue removal and the technique solver
    uint8_t fill_stopped;  // stops solution construction
    uint8_t spare_flags[2];
    int64_t deadline_ms;  // steady-clock deadline of solution construction, <= 0: none
    int32_t fill_calls;   // fill steps made while a deadline was set
    int32_t fill_budget;  // steps left before solution construction starts afresh

    // technique solver state
    uint8_t group_overlap[4][81];  // [row/col/diag/anti-diag table][9 * house + group]: house meets group
    int32_t technique_counts[N_TECHNIQUE_COUNTS];

    PUZZLE_CELL* ordered_cells[N_CELLS + 1];  // fill order of solution construction, null-terminated
    uint8_t* are_neighbors_array;             // 81 x 81 neighbour table, or null
    uint64_t neighbor_bits[N_CELLS][2];       // the same table as cell sets (bit k: cell k), built with it
    // The cells the house rings reach from each cell, as cell sets, for the solver's quick routes.
    // PEERS_NONE: not built (the solver walks the rings); PEERS_SOLVE: built by solve for its own
    // run; PEERS_KEPT: built once by a generation, whose houses do not change while it runs.
    uint8_t peers_state;
    uint64_t peer_set[N_CELLS][2];
    uint64_t house_set[N_DIMENSIONS][9][2];  // each house's cells (diagonals at index 0), made with peer_set
    bool rings_ascend;  // every ring visits its house in increasing cell order, from its last cell to its first
    // Rows, columns and 3x3 boxes in their usual places, without diagonals (set with the peer sets):
    // a cell outside a house then sees two or more of its cells only inside one box-line crossing.
    bool plain_boxes;
    // The plain routes (tests compare the two): solve walks the rings cell by cell, as for broken
    // rings, and clue removal runs the solver from the clues on every clue set it keeps.
    bool plain_paths;
    // The candidates as per-digit cell sets, as the last propagation left them, with the cells it
    // had flagged and the candidate words it saw; valid only within one solve.
    struct SinglesSets {
        uint64_t cand[9][2];
        uint64_t prop[2];
        uint16_t shadow[N_CELLS];
        bool valid;
    } singles_sets;
    // Of per-digit cell sets: the cells holding one digit or more (`one`) and two or more (`two`).
    static void held_counts(const uint64_t (&cand)[9][2], uint64_t one[2], uint64_t two[2]) {
        one[0] = one[1] = two[0] = two[1] = 0;
        for (int d = 0; d < 9; ++d)
            for (int w = 0; w < 2; ++w) {
                two[w] |= one[w] & cand[d][w];
                one[w] |= cand[d][w];
            }
    }
    // One more than the cell a hidden single has just decided, when nothing else changed since the
    // last propagation ran to its end; 0: unknown, the propagation looks at every cell.
    uint8_t fresh_single;
    const struct ClueCounter* kept_counter;  // the clue counter of these houses while a generation runs, or null
    // Fish searches that found nothing, per digit: the digit's state then (the cells holding it, and
    // those of them with no other candidate) and, by bit, the searches that failed in it. A search
    // reads nothing else that changes while the houses stay, so in the same state it fails again.
    // Slot 0: Franken fish; 1: finned fish (bit g: fins in group g); 2 + k - 2: basic fish of size k;
    // 5: X-chains; 6: turbot fish (chains read only where the digit is, and the chain marks);
    // 7: peer intersections; 8: double restriction (both read only where the digit is).
    struct FishMemo {
        uint64_t state[9][4];
        uint16_t failed[9];
    } fish_memo[9];
    // Houses in which the subset search found nothing, by dimension and house: the candidates of
    // the house's cells then, in ring order. The search reads nothing else, so while they are the
    // same it finds nothing again. Kept while the houses cannot change.
    uint32_t subset_memo[N_DIMENSIONS][9][9];
    uint16_t subset_memo_valid[N_DIMENSIONS];  // bit h: house h's entry holds a failure
    const uint8_t* cancel_also;  // a helper's copy also stops when this flag of the puzzle it helps is set
    // The naked-single closure of the clues, already made elsewhere for the next solve (the clue
    // counter makes it on its way): per digit, the cells that can still hold it, each placed cell
    // holding its own digit only. The solve's first propagation takes it instead of making it again.
    // Null: none; the propagation that takes it sets it back to null.
    struct SinglesSeed {
        uint64_t cand[9][2];
        bool valid;
    };
    const SinglesSeed* singles_seed;

    // clue removal state
    int32_t symmetry;  // clue pattern: 0 mirror about column 4, 1 half turn, 2 none
    int32_t n_clues;   // target number of clues
    int32_t sym_pool[40];
    int32_t sym_pool_count;
    PUZZLE_CELL* clue_order[N_CELLS];
    PUZZLE_CELL** clue_order_start;
    PUZZLE_CELL** next_added_clue;
    int32_t n_picks;

    // brute-force solver state
    int32_t n_solutions;
    int64_t node_limit;
    int64_t node_count;
    uint8_t node_limit_hit;
    uint32_t first_solution[N_CELLS];  // candidate masks of the first solution the last search found

    // first cell of each house, row-major; dimensions 3 and 4 use entry 0 only
    PUZZLE_CELL* first_in_dim[N_DIMENSIONS][9];

    int index_of(const PUZZLE_CELL* c) const { return static_cast<int>(c - cells); }

    void setup(const Matrix<int, 9>& groups);
    // Random complete solution (set form 1 << d in `solution`); false when stopped or stuck.
    bool construct_solution();
    void order_groups_by_restriction();
    void initialize_ordered_ptrs();
    void compare_to_first_group();
    void sort_ordered_ptrs();
    void initialize_first_group();
    bool initialize_rest_of_array();
    bool recursively_fill_cells(PUZZLE_CELL** list, unsigned* save);
    bool groups_are_boxes() const;
    bool fill_tightest_first(unsigned* save);  // Puzzle_fill_jigsaw.cpp
    bool fill_step_allowed();
    bool set_value(PUZZLE_CELL* cell);
    bool exclude_value_from_future_cell(const PUZZLE_CELL* placed, PUZZLE_CELL* later);
    bool exclude_value_from_future_cells(const PUZZLE_CELL* placed, PUZZLE_CELL** later);
    // Turns set-form solutions into digits and every cell into its starting play state.
    void convert_to_playing_form();

    // --- technique solver driver and singles (Puzzle_solver.cpp) ---
    bool x_flag() const { return adjacency == ADJ_X; }
    // Calls f(other) for every other cell of each house of `cell`, houses in the order group, row,
    // column, then (with x) the diagonals the cell lies on.
    template <typename F>
    void for_each_peer(PUZZLE_CELL* cell, F f);
    // Calls f(dim, house, first cell) for the houses in the order groups, rows, columns, then (with x)
    // the diagonal and the anti-diagonal, until f returns true; tells whether one did.
    template <typename F>
    bool any_house(F f);
    int solve(METHOD_TYPE level);

    // The stop flags as atomics over the plain bytes of the record (the layout stays as stored).
    bool cancel_requested() const { return load_flag(cancelled) || (cancel_also && load_flag(*cancel_also)); }
    bool fill_stop_requested() const { return load_flag(fill_stopped); }
    void stop_fill() { store_flag(fill_stopped, 1); }
    // Sets (cancel) or clears (start of a generation) both flags.
    void set_stop_flags(bool stop) {
        store_flag(cancelled, stop);
        store_flag(fill_stopped, stop);
    }
    static uint8_t load_flag(const uint8_t& flag) {
        return std::atomic_ref<uint8_t>(const_cast<uint8_t&>(flag)).load(std::memory_order_relaxed);
    }
    static void store_flag(uint8_t& flag, bool value) {
        std::atomic_ref<uint8_t>(flag).store(value ? 1 : 0, std::memory_order_relaxed);
    }
    int solve_by_recursion(METHOD_TYPE level);
    bool simplify(METHOD_TYPE m);
    bool exhaustive_simple_elimination();
    bool eliminate_by_passes();
    bool eliminate_by_sets();
    // A solve's first propagation from singles_seed: false, leaving everything as it was, when the
    // seed does not fit the cells (a candidate they lack, or a cell left without one).
    bool take_singles_seed(const SinglesSeed& seed, bool& changes);
    // Fills peer_set and house_set from the house rings; false (and PEERS_NONE) when a ring is broken.
    bool build_peer_sets();
    void simplify_by_elimination_using_cell(PUZZLE_CELL* cell);
    bool simplify_cell_using_digits(PUZZLE_CELL* cell);
    bool hidden_single_by_counts();
    bool some_digit_has_no_home();
    bool all_cells_single() const;

    // --- locked candidates, subsets, double restriction (Puzzle_locked.cpp, Puzzle_subsets.cpp) ---
    bool simplify_cell_by_restriction(PUZZLE_CELL* cell);
    int restriction_first() const;
    bool restriction_for_cell_and_dim(PUZZLE_CELL* cell, int dim);
    bool cell_form_restriction_once();
    bool simplify_once_over_dim(METHOD_TYPE m);
    bool double_restriction();
    bool double_restriction_for_lines_and_groups(int dim, int line1, int line2, int group1, int group2);

    // --- fish (Puzzle_fish.cpp, Puzzle_franken_fish.cpp, Puzzle_finned_fish.cpp) ---
    bool simplify_once_fish_methods(METHOD_TYPE m);
    // Each digit's state as fish searches read it (four words per digit), for the memo above.
    void digit_states(uint64_t states[9][4]) const;
    bool fish_failed_before(int slot, int digit, const uint64_t* state, int search) const;
    void note_fish_failure(int slot, int digit, const uint64_t* state, int search);
    // The digits (bit d) whose search in the slot has not failed in their present state.
    uint32_t digits_not_failed(int slot, const uint64_t states[9][4]) const;
    // For a search made digit by digit that reads only where each digit is: the digits it must look
    // at (every one while the houses may change, when no memo is kept; `states` is filled otherwise),
    // and the note that it found nothing for them.
    uint32_t digits_to_search(int slot, uint64_t states[9][4]) const;
    void note_failures(int slot, uint32_t digits, const uint64_t states[9][4]);
    void forget_failures();  // the houses may change: every memo of failed searches goes
    int determine_unsolved_houses_for_digit(DIMENSION dim, int* houses, unsigned bit);
    // The same from a set of cells (the houses' sets made by build_peer_sets): the houses holding one.
    int houses_holding(DIMENSION dim, int* houses, const uint64_t set[2]) const;
    void sort_unsolved_digits(int* digits, int* counts);
    // With `states` (digit_states; the houses checked by build_peer_sets), counts from the cell sets.
    void sort_unsolved_digits(int* digits, int* counts, int group, const uint64_t (*states)[4] = nullptr);
    bool simplify_once_rows_and_cols_for_digit(METHOD_TYPE m, unsigned bit, int n_rows, int n_cols, int* rows,
                                               int* cols);
    bool simplify_once_franken_fish_for_digit(unsigned bit, int n_rows, int n_groups, int houses[3][9]);
    // `lists`: the digit's house combinations shared by all shapes (made here when null).
    bool simplify_franken_defining_lines_only(unsigned bit, int n_rows, int n_groups, int houses[3][9],
                                              FRANKEN_PATTERN p, DIMENSION base_dim, struct FrankenLists* lists = nullptr);
    bool simplify_franken_secondary_lines_only(unsigned bit, int n_rows, int n_groups, int houses[3][9],
                                               FRANKEN_PATTERN p, DIMENSION base_dim, struct FrankenLists* lists = nullptr);
    bool simplify_fins_rows_cols();
    void find_fin_candidates(int group, int* digits, int*& first, int*& last, const uint64_t (*states)[4] = nullptr);
    // With `known` (where the digit lies, made once for all of its trials) the trial runs on those
    // positions alone and only its finds inside the fins' group are written to the cells.
    bool fins_rows_cols(DIMENSION dim, unsigned bit, PUZZLE_CELL* fin, PUZZLE_CELL* second_fin,
                        const struct FinnedDigit* known = nullptr);
    bool rows_and_cols_with_fins_for_digit(unsigned bit, DIMENSION base_dim, int n_base, int* base_houses,
                                           DIMENSION cover_dim, int n_cover, int* cover_houses, int fin_group);

    // --- wings and chains (Puzzle_wings.cpp, Puzzle_chains.cpp); chain cells are marked in user_answer ---
    bool simplify_XY_wing(PUZZLE_CELL* pivot);
    bool simplify_XYZ_wing(PUZZLE_CELL* pivot);
    bool remove_from_elim_bits_in_neighbors(unsigned bit, PUZZLE_CELL* a, PUZZLE_CELL* b);
    bool remove_from_elim_bits_in_group_neighbors(unsigned bit, PUZZLE_CELL* start, PUZZLE_CELL* wing,
                                                  PUZZLE_CELL* pivot);
    bool simplify_w_wing();
    bool simplify_x_chain_zorvat(int limit);
    bool x_chain_extend(unsigned bit, int n_dims, int length, PUZZLE_CELL* start, PUZZLE_CELL* last,
                        bool weak_next, int limit, DIMENSION first_dim);
    bool simplify_x_xy_chain(METHOD_TYPE m);
    void find_possible_nodes(CHAIN_NODE* nodes);
    bool do_xy_chain(const CHAIN_NODE& first, const CHAIN_NODE& second);
    bool do_next_xy_chain_link(int depth, bool first_link, bool parity, unsigned start_bit,
                               const CHAIN_NODE& start, unsigned link_bit, const CHAIN_NODE& last);

    // --- almost-locked sets and forcing net (Puzzle_als.cpp, Puzzle_forcing_net.cpp) ---
    bool simplify_almost_locked_sets();
    bool als3();
    bool als3(PUZZLE_CELL* a, PUZZLE_CELL* b);
    bool do_ALS_in_dim_with_restricted_common_in_grp(DIMENSION dim, PUZZLE_CELL* cell, PUZZLE_CELL* mate);
    bool remove_from_elim_bits_in_neighbors(unsigned bit, PUZZLE_CELL* cell, ALMOST_LOCKED_SET& set);
    bool cell_sees_all_z_candidates(unsigned bit, PUZZLE_CELL* cell, ALMOST_LOCKED_SET& set);
    bool simplify_ALS_XZ(PUZZLE_CELL* cell, PUZZLE_CELL* mate);
    bool do_ALS_in_dim_with_restricted_common_in_grp(DIMENSION dim, PUZZLE_CELL* cell, PUZZLE_CELL* mate,
                                                     ALMOST_LOCKED_SET& set);
    bool remove_from_elim_bits_in_neighbors(DIMENSION dim, PUZZLE_CELL* cell, PUZZLE_CELL* mate,
                                            ALMOST_LOCKED_SET& set);
    bool simplify_cell_forcing_net();

    // --- player-side candidate upkeep (Puzzle_answer.cpp) ---
    void reverse_elimination_for_cell_and_digit(PUZZLE_CELL* cell, unsigned bit);
    void alt_eliminate_in_cell_for_digit(PUZZLE_CELL* cell, unsigned bit);

    // --- clue parameters and rating (Puzzle_parameters.cpp) ---
    void set_n_clues(UI_QUALITY mode);
    int rate_puzzle();
    int rate_puzzle(const int* counts);
    bool at_least_one_technique_for_difficulty(const int* counts);
    bool try_all_parameter_atoms();

    // --- clue removal (Puzzle_clues.cpp) ---
    int construct_puzzle(UI_QUALITY quality_arg, MAP_TYPE map_arg);
    int make_puzzle(UI_QUALITY effort);
    void make_solvable_puzzle();  // set_initial_clues, then solve_drawn_clues
    int initial_clue_count() const;
    // Solves the drawn clues up to the difficulty's ceiling, adding clues back while they fall short.
    void solve_drawn_clues();
    void set_initial_clues(int count);
    int remove_clues_returning_rating(long deadline, int passes);
    void set_symmetry();
    void build_sym_pool();
    void set_center();
    void init_mask();
    bool long_run_of_clues();
    void add_a_clue_or_two();
    void apply_mask();
    int count_mask() const;
    bool puzzle_is_solved() const;
    void destroy_solution_if_no_mask();
    void build_group_overlap();

    // --- brute-force solution count (Puzzle_bruteforce.cpp) ---
    // True when exactly one solution exists (counting stops at two); prints each one found to `out`.
    bool solve_by_brute_force(FILE* out, long limit);
    void brute_force(PUZZLE_CELL* from, long deadline, FILE* out);
    bool disallow_in_future_neighbors(PUZZLE_CELL* cell);
    uint32_t add_elim_bits() const;

    void setup_with_grp_set();
    void setup_ptrs_first_in_dims();
    void define_are_neighbors_array();
    bool are_neighbors(const PUZZLE_CELL* a, const PUZZLE_CELL* b) const {
        return are_neighbors_array[(a->row * 9 + a->col) * N_CELLS + b->row * 9 + b->col] != 0;
    }

private:
    void build_positions_and_rings();
};

template <typename F>
bool Puzzle::any_house(F f) {
    const int dims = x_flag() ? N_DIMENSIONS : DIM_DIAG;
    for (int dim = 0; dim < dims; ++dim) {
        const int houses = dim >= DIM_DIAG ? 1 : 9;
        for (int h = 0; h < houses; ++h)
            if (first_in_dim[dim][h] && f(dim, h, first_in_dim[dim][h])) return true;
    }
    return false;
}

template <typename F>
void Puzzle::for_each_peer(PUZZLE_CELL* cell, F f) {
    const int dims = x_flag() ? N_DIMENSIONS : DIM_DIAG;
    for (int d = 0; d < dims; ++d) {
        if (d >= DIM_DIAG && cell->house(d) != 0) continue;
        if (cell->next_in_house[d] == 0) continue;
        for (PUZZLE_CELL* p = cell->next(d); p != cell; p = p->next(d)) f(p);
    }
}

static_assert(offsetof(Puzzle, cells) == 0);
static_assert(offsetof(Puzzle, color_map) == PUZZLE_BYTES);
static_assert(offsetof(Puzzle, map_type) == 5220);
static_assert(offsetof(Puzzle, adjacency) == 5224);
static_assert(offsetof(Puzzle, quality) == 5228);
static_assert(offsetof(Puzzle, cancelled) == GAME_RECORD_BYTES);
static_assert(offsetof(Puzzle, fill_stopped) == GAME_RECORD_BYTES + 1);
static_assert(std::atomic_ref<uint8_t>::required_alignment == 1 && std::atomic_ref<uint8_t>::is_always_lock_free);
static_assert(sizeof(MAP_TYPE) == 4 && sizeof(ADJACENCY_TYPE) == 4 && sizeof(UI_QUALITY) == 4);
