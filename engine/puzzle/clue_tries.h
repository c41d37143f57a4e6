// The tries of clue removal run side by side: drawn in order, solved on spare threads, folded in order.
#pragma once

#include <functional>

#include "puzzle/Puzzle.h"

// Runs up to `tries` tries of p (a random clue set drawn on this thread, then solved, completed and
// thinned), on p's own thread and as many helper threads as the machine spares for the generations
// running at the moment. Before each outcome is handed to fold(rating), in try order, p's cells and
// technique counts are set to what that try left behind; fold returns false to stop. The outcomes do
// not depend on the number of threads.
void run_clue_tries(Puzzle& p, int tries, const std::function<bool(int)>& fold);

// Test and benchmark hook (not exported): at most n threads per generation from now on, in the
// whole process; 0 (the start) lets the machine decide.
void set_clue_try_threads(int n);
