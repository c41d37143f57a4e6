// The exported handle calls: create, cancel, bound in time, read cells, save and restore a game.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ffi/quorvel.h"
#include "maps/Filenames_cli.h"
#include "maps/GroupMap.h"
#include "puzzle/Puzzle.h"
#include "util/sudoku_combinations.h"
#include "util/rand_utils.h"
#include "util/utility.h"

static_assert(sizeof(SudokuCellInfo) == 9 * sizeof(int));

namespace {

bool valid_cell(int cell) { return cell >= 0 && cell < N_CELLS; }
bool valid_rc(const PUZZLE_CELL& c) { return c.row >= 0 && c.row < 9 && c.col >= 0 && c.col < 9; }

// The common start of every generation call: fresh flags, a map, an empty grid on it and a
// random solution. Returns false (after saying so as `caller`) when the solution could not be built.
bool start_generation(Puzzle* h, int map_kind, int adjacency, int quality, const char* caller) {
    h->set_stop_flags(false);
    GroupMap map{};
    map.mapType = map_kind == 1 ? MAP_IRREGULAR : MAP_SQUARE;
    map.fellBackToSquare = false;
    map.initMap();
    // A game built on the fall-back boxes is a square game and is labelled as one.
    h->map_type = map.mapType == MAP_IRREGULAR && !map.fellBackToSquare ? MAP_IRREGULAR : MAP_SQUARE;
    h->adjacency = adjacency == 1 ? ADJ_X : ADJ_REGULAR;
    h->quality = static_cast<UI_QUALITY>(static_cast<unsigned>(quality) <= 9 ? quality : 1);
    h->setup(map.groupMatrix);
    std::memcpy(h->color_map, map.colorMap, sizeof h->color_map);
    h->define_are_neighbors_array();
    h->setup_ptrs_first_in_dims();
    if (!h->construct_solution()) {
        std::fprintf(stderr, "%s: construct_solution failed\n", caller);
        return false;
    }
    return !h->cancel_requested() && !h->fill_stop_requested();
}

}  // namespace

extern "C" {

Puzzle* sudoku_new(void) {
    initialize_comb_routine();
    // Zeroing the whole record also clears the flags, the deadline and the neighbour-table pointer.
    auto* p = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
    if (!p) return nullptr;
    p->are_neighbors_array = nullptr;
    p->deadline_ms = 0;
    p->fill_calls = 0;
    return p;
}

void sudoku_free(Puzzle* h) {
    if (!h) return;
    std::free(h->are_neighbors_array);
    std::free(h);
}

void sudoku_cancel(Puzzle* h) {
    if (!h) return;
    h->set_stop_flags(true);
}

void sudoku_set_deadline_ms(Puzzle* h, int ms) {
    if (!h) return;
    h->deadline_ms = ms > 0 ? steady_now_ms() + ms : 0;
}

void sudoku_get_cell(Puzzle* h, int cell, SudokuCellInfo* out) {
    if (!out) return;
    if (!h || !valid_cell(cell)) {
        std::memset(out, 0, sizeof *out);
        return;
    }
    const PUZZLE_CELL& c = h->cells[cell];
    out->solution = c.solution;
    out->status = static_cast<int>(c.status);
    out->elim_bits = static_cast<int>(c.elim_bits);
    out->user_answer = c.user_answer;
    out->small_mode = c.small_mode ? 1 : 0;
    out->reserved = c.reserved;
    out->group = c.group;
    out->row = c.row;
    out->col = c.col;
}

void sudoku_get_color_map(Puzzle* h, int* out) {
    if (!out) return;
    if (!h) {
        std::memset(out, 0, 9 * sizeof(int));
        return;
    }
    std::memcpy(out, h->color_map, sizeof h->color_map);
}

int sudoku_same_group_right(Puzzle* h, int cell) {
    if (!h || !valid_cell(cell) || cell % 9 == 8) return 0;
    return h->cells[cell].group == h->cells[cell + 1].group;
}

int sudoku_same_group_below(Puzzle* h, int cell) {
    if (!h || !valid_cell(cell) || cell > 71) return 0;
    return h->cells[cell].group == h->cells[cell + 9].group;
}

int sudoku_are_neighbors(Puzzle* h, int i, int j) {
    if (!h || !valid_cell(i) || !valid_cell(j) || !h->are_neighbors_array) return 0;
    if (i == j) return 1;
    const PUZZLE_CELL& a = h->cells[i];
    const PUZZLE_CELL& b = h->cells[j];
    // The table is indexed by the cells' own position words, which came from stored bytes.
    if (!valid_rc(a) || !valid_rc(b)) return 0;
    return h->are_neighbors(&a, &b);
}

int sudoku_puzzle_byte_size(void) { return PUZZLE_BYTES; }

void sudoku_get_puzzle_bytes(Puzzle* h, void* out) {
    if (!h || !out) return;
    std::memcpy(out, h->cells, PUZZLE_BYTES);
}

void sudoku_set_puzzle_bytes(Puzzle* h, const void* in) {
    if (!h || !in) return;
    std::memcpy(h->cells, in, PUZZLE_BYTES);
}

void sudoku_setup_loaded(Puzzle* h, int map_kind, int adjacency) {
    if (!h) return;
    h->map_type = map_kind == 1 ? MAP_IRREGULAR : MAP_SQUARE;
    h->adjacency = adjacency == 1 ? ADJ_X : ADJ_REGULAR;
    h->define_are_neighbors_array();
    h->setup_ptrs_first_in_dims();
}

void sudoku_restart(Puzzle* h) {
    if (!h) return;
    for (PUZZLE_CELL& c : h->cells) {
        c.elim_bits = c.status ? 1u << (c.solution & 31) : 0u;
        c.user_answer = 0;
        c.small_mode = 0;
        c.reserved = 0;
    }
}

int sudoku_generate(Puzzle* h, int map_kind, int adjacency, int quality, int request) {
    if (!h) return 0;
    if (!start_generation(h, map_kind, adjacency, quality, "sudoku_generate")) return 0;
    // The request travels along; the difficulty comes from the quality stored on the handle.
    if (h->construct_puzzle(static_cast<UI_QUALITY>(request), h->map_type) <= 0) {
        std::fprintf(stderr, "sudoku_generate: construct_puzzle failed\n");
        return 0;
    }
    if (h->cancel_requested()) return 0;
    h->convert_to_playing_form();
    h->define_are_neighbors_array();
    return 1;
}

int sudoku_build_from_clues(Puzzle* h, int map_kind, int adjacency, int quality, const int* clues,
                            const int* solution, const int* groups, const int* colors) {
    if (!h || !clues || !solution || !groups || !colors) return 0;
    // A map that is not nine groups of nine cells numbered 0..8, or a digit outside 1..9, would make
    // the house rings and tables run past the grid: refuse it and leave the handle as it was.
    Matrix<int, 9> map{};
    int group_size[9] = {};
    for (int k = 0; k < N_CELLS; ++k) {
        if (groups[k] < 0 || groups[k] > 8 || ++group_size[groups[k]] > 9) return 0;
        if (solution[k] < 1 || solution[k] > 9) return 0;
        map[k / 9][k % 9] = groups[k];
    }
    h->map_type = map_kind == 1 ? MAP_IRREGULAR : MAP_SQUARE;
    h->adjacency = adjacency == 1 ? ADJ_X : ADJ_REGULAR;
    h->quality = static_cast<UI_QUALITY>(static_cast<unsigned>(quality) <= 9 ? quality : 1);
    h->setup(map);
    std::memcpy(h->color_map, colors, sizeof h->color_map);
    for (int k = 0; k < N_CELLS; ++k) {
        h->cells[k].solution = 1 << solution[k];
        h->cells[k].status = clues[k] ? STATUS_CLUE : 0;
    }
    h->apply_mask();
    h->define_are_neighbors_array();
    h->setup_ptrs_first_in_dims();
    h->convert_to_playing_form();
    h->define_are_neighbors_array();
    return 1;
}

int sudoku_generate_solution(Puzzle* h, int map_kind, int adjacency) {
    if (!h) return 0;
    if (!start_generation(h, map_kind, adjacency, 1, "sudoku_generate_solution")) return 0;
    h->convert_to_playing_form();
    h->define_are_neighbors_array();
    return 1;
}

void sudoku_set_group_maps_dir(const char* dir) { set_group_maps_dir(dir); }

void sudoku_seed_thread(unsigned long long seed) {
    if (seed == 0)
        rand_unseed_thread();
    else
        rand_seed_thread(seed);
}

}  // extern "C"
