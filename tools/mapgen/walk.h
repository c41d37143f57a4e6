// Growing irregular symmetric maps from the box layout by random boundary swaps.
#pragma once

#include "grid.h"
#include "rng.h"

namespace mapgen {

// Tries one symmetric boundary swap between two touching groups A and B: a random cell a of A
// that touches B goes to B, and a random cell b of B that touches A goes to A; the symmetry
// partners of a and b trade the partner groups likewise. a and b need not touch each other:
// swapping the two cells of one shared edge can never keep both groups connected when the
// boundary is a straight line (each cell loses its only contact with its new group), so the box
// layout would admit no first move. The map changes only when the result still has nine
// connected groups of nine cells and is still symmetric.
bool try_swap(Map& m, Symmetry s, Rng& rng);

// Starts from the box layout and makes `moves` accepted swaps (fewer if the attempts run out).
Map random_walk(Symmetry s, int moves, Rng& rng);

}  // namespace mapgen
