// The exported play calls: the player's answers and pencil marks, the digit assistant that fills
// and refreshes the marks, and the progress reads (state, distance, digits placed nine times).
//
// Bad input: a null handle, a cell index outside 0..80 or a digit outside 0..9 makes a call a safe
// no-op (out-parameters that were given are zero-filled, int results are 0). Cell words loaded
// from stored bytes are not trusted either: a stored digit outside 1..9 stands for no digit, and a
// game whose house rings leave the board or do not close gets no candidate upkeep at all.
#include <cstdint>
#include <cstring>

#include "ffi/quorvel.h"
#include "puzzle/Puzzle.h"

namespace {

bool valid_cell(int cell) { return cell >= 0 && cell < N_CELLS; }
bool valid_digit(int d) { return d >= 0 && d <= 9; }

// The mask of a stored digit; empty for anything outside 1..9.
uint32_t digit_mask(int32_t d) { return d >= 1 && d <= 9 ? 1u << d : 0u; }

bool is_clue(const PUZZLE_CELL& c) { return c.status != 0; }
bool answered(const PUZZLE_CELL& c) { return c.user_answer != 0; }
bool in_pencil_mode(const PUZZLE_CELL& c) { return c.small_mode != 0; }

// Counts a shown digit into n[1..9]; anything else names no digit and is not counted.
void tally(int* n, int32_t d) {
    if (d >= 1 && d <= 9) ++n[d];
}

// True when every house ring the peer walk can follow stays on the board and comes back to its
// starting cell. Rings come with the puzzle bytes a caller loads, so they are checked before any
// call walks them; a broken one would send the walk off the grid or round forever.
bool rings_sound(const Puzzle& h) {
    const int dims = h.x_flag() ? N_DIMENSIONS : DIM_DIAG;
    for (int k = 0; k < N_CELLS; ++k) {
        for (int d = 0; d < dims; ++d) {
            if (d >= DIM_DIAG && h.cells[k].house(d) != 0) continue;
            if (h.cells[k].next_in_house[d] == 0) continue;
            int64_t at = k;
            for (int steps = 0;; ++steps) {
                at += h.cells[at].next_in_house[d];
                if (at < 0 || at >= N_CELLS || steps >= N_CELLS) return false;
                if (at == k) break;
            }
        }
    }
    return true;
}

// Gives every clue and every answered cell the mask of the digit it shows and removes that digit
// from its peers, in cell order.
void eliminate_shown_digits(Puzzle* h, bool mark_the_rest) {
    for (PUZZLE_CELL& c : h->cells) {
        if (is_clue(c)) {
            c.elim_bits = digit_mask(c.solution);
            h->simplify_by_elimination_using_cell(&c);
        } else if (answered(c)) {
            c.elim_bits = digit_mask(c.user_answer);
            h->simplify_by_elimination_using_cell(&c);
        } else if (mark_the_rest) {
            c.small_mode = 1;
        }
    }
}

}  // namespace

extern "C" {

void sudoku_set_user_answer(Puzzle* h, int cell, int answer, int previous, int propagate) {
    if (!h || !valid_cell(cell) || !valid_digit(answer) || !valid_digit(previous)) return;
    PUZZLE_CELL* c = &h->cells[cell];
    // A clue's digit is fixed: an answer stored on it would be taken for a shown digit by the
    // candidate upkeep of every peer.
    if (is_clue(*c)) return;
    c->user_answer = answer;
    if (!propagate || !rings_sound(*h)) return;
    // The caller says what the old answer was; the stored one has just been replaced.
    if (previous != 0) h->reverse_elimination_for_cell_and_digit(c, 1u << previous);
    if (answer != 0) {
        c->elim_bits = 1u << answer;
        h->simplify_by_elimination_using_cell(c);
    }
}

void sudoku_toggle_elim_bit(Puzzle* h, int cell, int digit) {
    if (!h || !valid_cell(cell) || !valid_digit(digit)) return;
    PUZZLE_CELL& c = h->cells[cell];
    if (digit == 0)
        c.elim_bits = 0;
    else
        c.elim_bits ^= 1u << digit;
}

void sudoku_toggle_small_mode(Puzzle* h, int cell) {
    if (!h || !valid_cell(cell)) return;
    h->cells[cell].small_mode ^= 1;
}

void sudoku_digit_assistant_all(Puzzle* h) {
    if (!h || !rings_sound(*h)) return;
    // Every cell without a clue or an answer, and every pencil cell, starts again from all digits.
    for (PUZZLE_CELL& c : h->cells) {
        if (in_pencil_mode(c) || (!is_clue(c) && !answered(c))) {
            c.small_mode = 1;
            c.elim_bits = ALL_DIGITS;
            c.user_answer = 0;
        }
    }
    eliminate_shown_digits(h, true);
}

void sudoku_digit_assistant_update(Puzzle* h) {
    if (!h || !rings_sound(*h)) return;
    // The player's own marks stay; only a hidden empty set of marks is refilled.
    for (PUZZLE_CELL& c : h->cells) {
        if (is_clue(c) || answered(c)) continue;
        if (!in_pencil_mode(c) && c.elim_bits == 0) c.elim_bits = ALL_DIGITS;
        c.small_mode = 1;
    }
    eliminate_shown_digits(h, false);
}

void sudoku_digit_assistant_hide(Puzzle* h) {
    if (!h) return;
    for (PUZZLE_CELL& c : h->cells)
        if (!is_clue(c) && !answered(c)) c.small_mode = 0;
}

int sudoku_get_state(Puzzle* h, int* counts) {
    int local[10];
    int* n = counts ? counts : local;
    std::memset(n, 0, 10 * sizeof(int));
    if (!h) return 0;
    int open = N_CELLS;
    int wrong = 0;
    for (const PUZZLE_CELL& c : h->cells) {
        if (is_clue(c)) {
            tally(n, c.solution);
            --open;
        } else if (!in_pencil_mode(c) && answered(c)) {
            tally(n, c.user_answer);
            if (c.user_answer == c.solution)
                --open;
            else
                ++wrong;
        }
    }
    if (open == 0) return 1;
    return open == wrong ? 2 : 0;
}

int sudoku_distance(Puzzle* h) {
    if (!h) return 0;
    int right = 0;
    for (const PUZZLE_CELL& c : h->cells)
        right += is_clue(c) || (!in_pencil_mode(c) && answered(c) && c.user_answer == c.solution);
    return N_CELLS - right;
}

void sudoku_maxed_digits(Puzzle* h, int* flags) {
    if (!flags) return;
    std::memset(flags, 0, 10 * sizeof(int));
    if (!h) return;
    int n[10] = {};
    for (const PUZZLE_CELL& c : h->cells) {
        if (is_clue(c))
            tally(n, c.solution);
        else if (!in_pencil_mode(c))
            tally(n, c.user_answer);
    }
    for (int d = 1; d <= 9; ++d) flags[d] = n[d] == 9;
}

}  // extern "C"
