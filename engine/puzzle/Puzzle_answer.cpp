// Candidate upkeep on the player's side: what a cell and its peers may hold again once the player
// takes an answer back. The candidates kept here are the digits no peer shows as an answer or a
// clue; eliminations made by the technique solver play no part in them.
#include "puzzle/Puzzle.h"

namespace {

// The mask of a stored digit; empty for anything outside 1..9, since stored bytes come from outside.
uint32_t digit_mask(int32_t d) { return d >= 1 && d <= 9 ? 1u << d : 0u; }

}  // namespace

void Puzzle::reverse_elimination_for_cell_and_digit(PUZZLE_CELL* cell, unsigned bit) {
    // The cell starts over from every digit and loses those its houses show; an empty or pencil
    // peer may take the withdrawn digit back if nothing it sees still shows it.
    cell->elim_bits = ALL_DIGITS;
    for_each_peer(cell, [&](PUZZLE_CELL* p) {
        if (p->user_answer != 0)
            cell->elim_bits &= ~digit_mask(p->user_answer);
        else if (p->status != 0)
            cell->elim_bits &= ~digit_mask(p->solution);
        else
            alt_eliminate_in_cell_for_digit(p, bit);
    });
}

void Puzzle::alt_eliminate_in_cell_for_digit(PUZZLE_CELL* cell, unsigned bit) {
    bool shown_nearby = false;
    for_each_peer(cell, [&](PUZZLE_CELL* q) {
        if ((digit_mask(q->user_answer) & bit) || (q->status != 0 && (digit_mask(q->solution) & bit)))
            shown_nearby = true;
    });
    if (!shown_nearby) cell->elim_bits |= bit;
}
