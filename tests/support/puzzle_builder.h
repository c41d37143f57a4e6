// Test games built from strings: a solution grid, a clue pattern, a map and an adjacency.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

#include "maps/square_group_map.h"
#include "puzzle/Puzzle.h"

// A Puzzle on the heap with its neighbour table, freed with the object.
struct TestPuzzle {
    Puzzle* p = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
    ~TestPuzzle() {
        std::free(p->are_neighbors_array);
        std::free(p);
    }
    Puzzle* operator->() { return p; }
    Puzzle& operator*() { return *p; }
};

// The empty grid of `map` with its neighbour table and house pointers.
inline void lay_out(Puzzle* p, int adjacency, const Matrix<int, 9>& map) {
    p->adjacency = adjacency ? ADJ_X : ADJ_REGULAR;
    p->setup(map);
    p->define_are_neighbors_array();
    p->setup_ptrs_first_in_dims();
}

// Lays out `map` with the given adjacency, the solution digits of `solution` in set form, and
// clues where `clues` has a digit (any char other than '.' or '0'); candidates as apply_mask makes them.
inline void load_solver_form(Puzzle* p, const std::string& solution, const std::string& clues, int adjacency = 0,
                             const Matrix<int, 9>& map = square_group_map) {
    lay_out(p, adjacency, map);
    for (int k = 0; k < N_CELLS; ++k) {
        p->cells[k].solution = 1 << (solution[k] - '0');
        p->cells[k].status = clues[k] != '.' && clues[k] != '0' ? STATUS_CLUE : 0;
    }
    p->apply_mask();
}

// Lays out `map` with only the clues of `clues` known ('1'..'9' a clue, anything else open): each
// clue holds its digit as its one candidate, every other cell all nine.
inline void load_clues(Puzzle* p, const std::string& clues, int adjacency = 0,
                       const Matrix<int, 9>& map = square_group_map) {
    lay_out(p, adjacency, map);
    for (int k = 0; k < N_CELLS; ++k) {
        const bool clue = clues[k] >= '1' && clues[k] <= '9';
        p->cells[k].solution = clue ? 1 << (clues[k] - '0') : 0;
        p->cells[k].status = clue ? STATUS_CLUE : 0;
    }
    p->apply_mask();
}

// The classic example grid and its transposes are valid on the box map.
inline const std::string kGrid =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

// A grid valid with x adjacency on the box map (both diagonals hold 1..9).
inline const std::string kXGrid =
    "365781429941326875728549613279658134536914287814237956693872541152463798487195362";
