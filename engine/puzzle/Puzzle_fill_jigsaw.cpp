// Random solution construction on jigsaw maps: always decide the tightest choice first.
#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"
#include "util/rand_utils.h"
#include "util/utility.h"

// On a jigsaw map the fixed greedy cell order meets its contradictions many levels after their
// cause (a group that straddles rows can be starved of a digit long before any single cell loses
// its last candidate), and a search can run for minutes. This search decides, at every step, the
// tightest choice: an open cell with the fewest candidates, or, when fewer, a digit of a house
// with the fewest open places left. Candidates are tried in random order without repeats, with
// the same forward check as the fixed-order search, so each complete grid stays reachable.
namespace {

constexpr int kSearched = N_CELLS - 9;
constexpr int kMaxHouses = 29;

struct TightestFill {
    Puzzle& p;
    int n_houses = 0;
    PUZZLE_CELL* houses[kMaxHouses][9] = {};
    uint64_t searched[2] = {0, 0};  // the cells the search decides

    explicit TightestFill(Puzzle& puzzle) : p(puzzle) {
        p.any_house([&](int dim, int, PUZZLE_CELL* first) {
            PUZZLE_CELL* c = first;
            for (int k = 0; k < 9; ++k, c = c->next(dim)) houses[n_houses][k] = c;
            ++n_houses;
            return n_houses == kMaxHouses;
        });
        for (int i = 0; i < kSearched; ++i) {
            const int k = static_cast<int>(p.ordered_cells[9 + i] - p.cells);
            searched[k >> 6] |= uint64_t{1} << (k & 63);
        }
    }

    // Takes the digit out of the open searched cells that see x; false when one runs dry. Which
    // cell is met first does not matter: after a failure every mask is put back.
    bool place(PUZZLE_CELL* x, uint32_t digit) {
        x->solution = static_cast<int32_t>(digit);
        const uint64_t* seen = p.neighbor_bits[x - p.cells];
        for (int w = 0; w < 2; ++w)
            for (uint64_t m = seen[w] & searched[w]; m; m &= m - 1) {
                PUZZLE_CELL* y = &p.cells[64 * w + __builtin_ctzll(m)];
                if (y->solution) continue;
                y->elim_bits &= ~digit;
                if (!y->elim_bits) return false;
            }
        return true;
    }

    // Tries every (cell, digit) of `choice` in random order; `save` holds the masks to restore.
    bool branch(PUZZLE_CELL** cells_of, uint32_t* digit_of, int n, int placed, unsigned* save) {
        while (n > 0) {
            const int r = static_cast<int>(arc4random_uniform(static_cast<uint32_t>(n)));
            PUZZLE_CELL* x = cells_of[r];
            const uint32_t digit = digit_of[r];
            cells_of[r] = cells_of[--n];
            digit_of[r] = digit_of[n];
            if (place(x, digit) && search(placed + 1, save + kSearched)) return true;
            for (int i = 0; i < kSearched; ++i) p.ordered_cells[9 + i]->elim_bits = save[i];
            x->solution = 0;
        }
        return false;
    }

    bool search(int placed, unsigned* save) {
        if (!p.fill_step_allowed()) return false;
        if (placed == kSearched) return true;
        PUZZLE_CELL* tightest = nullptr;
        int fewest = 10;
        for (int i = 0; i < kSearched && fewest > 1; ++i) {
            PUZZLE_CELL* c = p.ordered_cells[9 + i];
            if (c->solution) continue;
            const int n = n_digits(c->elim_bits);
            if (n < fewest) fewest = n, tightest = c;
        }
        if (fewest == 0) return false;
        PUZZLE_CELL* cells_of[9];
        uint32_t digit_of[9];
        int n = 0;
        if (fewest > 1) {
            // A house digit with fewer places than the tightest cell has candidates is tighter: the
            // first in house and digit order with the fewest.
            int best = fewest, best_house = -1, best_digit = 0;
            for (int h = 0; h < n_houses; ++h) {
                // Per digit, how many open cells of the house can take it: a four-bit counter
                // across the digit bits of four words.
                uint32_t placed_digits = 0, c0 = 0, c1 = 0, c2 = 0, c3 = 0;
                for (PUZZLE_CELL* c : houses[h]) {
                    if (c->solution) {
                        placed_digits |= static_cast<uint32_t>(c->solution);
                        continue;
                    }
                    const uint32_t m = c->elim_bits, carry1 = c0 & m, carry2 = c1 & carry1;
                    c0 ^= m;
                    c1 ^= carry1;
                    c3 |= c2 & carry2;
                    c2 ^= carry2;
                }
                const uint32_t open = ~placed_digits & 0x3feu;
                if (open & ~(c0 | c1 | c2 | c3)) return false;  // the house can no longer hold a digit
                // The open digits that may have fewer than `best` places (at most 3 when best is 4
                // or less: the counter's two high bits clear), each then checked.
                uint32_t fewer = open;
                if (best <= 4) {
                    fewer &= ~c2 & ~c3;
                    if (best == 3) fewer &= ~(c0 & c1);
                    if (best == 2) fewer &= ~c1;
                    if (best == 1) fewer = 0;
                }
                for (; fewer; fewer &= fewer - 1) {
                    const int d = __builtin_ctz(fewer);
                    const int places = (c0 >> d & 1) | (c1 >> d & 1) << 1 | (c2 >> d & 1) << 2 | (c3 >> d & 1) << 3;
                    if (places >= best) continue;
                    best = places, best_house = h, best_digit = d;
                }
            }
            if (best_house >= 0)
                for (PUZZLE_CELL* c : houses[best_house])
                    if (!c->solution && (c->elim_bits & (1u << best_digit))) cells_of[n] = c, digit_of[n++] = 1u << best_digit;
        }
        if (n == 0) {
            for (uint32_t m = tightest->elim_bits; m; m &= m - 1) cells_of[n] = tightest, digit_of[n++] = m & -m;
        }
        for (int i = 0; i < kSearched; ++i) save[i] = p.ordered_cells[9 + i]->elim_bits;
        return branch(cells_of, digit_of, n, placed, save);
    }
};

}  // namespace

bool Puzzle::fill_tightest_first(unsigned* save) {
    TightestFill fill(*this);
    return fill.search(0, save);
}
