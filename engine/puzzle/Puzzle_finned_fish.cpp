// Finned fish: a fish that holds once one or two fin cells are set aside, applied inside the fins' group.
#include <cstring>
#include <utility>

#include "puzzle/Puzzle.h"
#include "puzzle/Puzzle_fish_lines.h"
#include "util/sudoku_combinations.h"

namespace {

// Digits held by fewer unsolved cells are not searched for finned fish.
constexpr int MIN_FINNED_DIGIT_CELLS = 6;

// Swaps the house that the base must contain into the first place of the list, when it is there.
void move_required_house_to_0_position(int house, int n, int* list) {
    for (int i = 0; i < n; ++i) {
        if (list[i] == house) {
            std::swap(list[0], list[i]);
            return;
        }
    }
}

// Deletes a house from the list, keeping the others in their order.
void remove_disallowed_house(int house, int& n, int* list) {
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (list[i] != house) list[kept++] = list[i];
    n = kept;
}

// Brings the lines that meet the group to the front, so that the cover search can stop at the first
// cover that starts with a line missing the group.
void move_houses_intersecting_required_group_to_low_positions(const Puzzle& p, DIMENSION line_dim, int group,
                                                              int n, int* list) {
    const uint8_t* overlap = p.group_overlap[line_dim - 1];
    int front = 0;
    for (int i = 0; i < n; ++i)
        if (overlap[9 * list[i] + group]) std::swap(list[front++], list[i]);
}

bool meets_group(const Puzzle& p, DIMENSION line_dim, int line, int group) {
    return p.group_overlap[line_dim - 1][9 * line + group] != 0;
}

}  // namespace

void Puzzle::find_fin_candidates(int group, int* digits, int*& first, int*& last) {
    int counts[9];
    sort_unsolved_digits(digits, counts, group);
    int n = 0;
    while (digits[n] != 0) ++n;
    first = digits + n;
    last = digits + n;
    for (int i = n - 1; i >= 0; --i) {
        if (counts[i] >= 2) first = digits + i;
        if (counts[i] >= 3) last = digits + i;
    }
}

bool Puzzle::simplify_fins_rows_cols() {
    int digits[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    int counts[9];
    sort_unsolved_digits(digits, counts, -1);
    int retained[10];
    int n_retained = 0;
    for (int i = 0; i < 9; ++i)
        if (counts[i] >= MIN_FINNED_DIGIT_CELLS) retained[n_retained++] = digits[i];
    retained[n_retained] = 0;
    if (n_retained == 0) return false;
    const bool memo = peers_state != PEERS_NONE;
    uint64_t states[9][4];
    if (memo) digit_states(states);

    for (int g = 0; g < 9; ++g) {
        PUZZLE_CELL* start = first_in_dim[DIM_GROUP][g];
        if (!start) continue;
        int candidates[10];
        std::memcpy(candidates, retained, sizeof candidates);
        int* first;
        int* last;
        find_fin_candidates(g, candidates, first, last);

        for (int* d = first; *d != 0; ++d) {
            const unsigned bit = 1u << *d;
            if (memo && fish_failed_before(1, *d, states[*d - 1], g)) continue;
            PUZZLE_CELL* f[9];
            int n = 0;
            PUZZLE_CELL* c = start;
            do {
                if ((c->elim_bits & bit) && n < 9) f[n++] = c;
                c = c->next(DIM_GROUP);
            } while (c != start);

            // Some cell of F other than the two lies off the given rows and columns.
            auto third_cell_off = [&](PUZZLE_CELL* c1, PUZZLE_CELL* c2) {
                for (int i = 0; i < n; ++i) {
                    const PUZZLE_CELL* t = f[i];
                    if (t == c1 || t == c2) continue;
                    if (t->row != c1->row && t->row != c2->row && t->col != c1->col && t->col != c2->col)
                        return true;
                }
                return false;
            };

            for (int i = 0; i < n; ++i) {
                PUZZLE_CELL* c1 = f[i];
                bool single_fins_tried = false;
                for (int j = 0; j < n; ++j) {
                    PUZZLE_CELL* c2 = f[j];
                    if (c2 == c1) continue;
                    const bool two_fins = n >= 3 && c2 > c1 && third_cell_off(c1, c2);
                    if (c2->row == c1->row) {
                        if (two_fins && fins_rows_cols(DIM_ROW, bit, c1, c2)) return true;
                    } else if (c2->col == c1->col || single_fins_tried) {
                        if (two_fins && fins_rows_cols(DIM_COL, bit, c1, c2)) return true;
                    } else {
                        if (fins_rows_cols(DIM_ROW, bit, c1, nullptr)) return true;
                        if (fins_rows_cols(DIM_COL, bit, c1, nullptr)) return true;
                        single_fins_tried = true;
                    }
                }
            }
            if (memo) note_fish_failure(1, *d, states[*d - 1], g);
        }
    }
    return false;
}

bool Puzzle::fins_rows_cols(DIMENSION dim, unsigned bit, PUZZLE_CELL* fin, PUZZLE_CELL* second_fin) {
    // The trial runs on this puzzle's own cells with the fins' digit taken away, and every candidate
    // mask is put back afterwards: the search reads and changes nothing but the masks, so this is the
    // same as working on a full copy, without making one.
    uint32_t real[81];
    for (int k = 0; k < 81; ++k) real[k] = cells[k].elim_bits;
    fin->elim_bits &= ~bit;
    if (second_fin) second_fin->elim_bits &= ~bit;

    const DIMENSION cover_dim = fish::crossing(dim);
    int base[9], cover[9];
    const int n_base = determine_unsolved_houses_for_digit(dim, base, bit);
    move_required_house_to_0_position(fin->house(dim), n_base, base);
    int n_cover = determine_unsolved_houses_for_digit(cover_dim, cover, bit);
    remove_disallowed_house(fin->house(cover_dim), n_cover, cover);
    if (second_fin) remove_disallowed_house(second_fin->house(cover_dim), n_cover, cover);
    move_houses_intersecting_required_group_to_low_positions(*this, cover_dim, fin->group, n_cover, cover);

    const bool found =
        rows_and_cols_with_fins_for_digit(bit, dim, n_base, base, cover_dim, n_cover, cover, fin->group);
    uint32_t trial[81];
    for (int k = 0; k < 81; ++k) {
        trial[k] = cells[k].elim_bits;
        cells[k].elim_bits = real[k];
    }
    if (!found) return false;

    // Either a fin holds the digit, and the rest of its group sees that fin, or the trial's fish holds:
    // the trial's eliminations are sound inside the fins' group only.
    bool changed = false;
    PUZZLE_CELL* start = first_in_dim[DIM_GROUP][fin->group];
    PUZZLE_CELL* c = start;
    int n_members = 0;
    do {
        if (c != fin && c != second_fin) {
            changed |= c->elim_bits != trial[index_of(c)];
            c->elim_bits = trial[index_of(c)];
        }
        ++n_members;
        c = c->next(DIM_GROUP);
    } while (c != start && n_members < 9);
    if (changed && second_fin) ++technique_counts[SLOT_FINNED_TWO_FINS];
    return changed;
}

bool Puzzle::rows_and_cols_with_fins_for_digit(unsigned bit, DIMENSION base_dim, int n_base, int* base_houses,
                                               DIMENSION cover_dim, int n_cover, int* cover_houses,
                                               int fin_group) {
    int largest = n_base < n_cover ? n_base : n_cover;
    if (largest > 5) largest = 5;
    // A finned X-wing is left alone: the sizes are 3, 4 and 5.
    if (largest < 3) return false;

    const fish::DigitLines at(*this, bit);
    const unsigned required = 1u << base_houses[0];
    unsigned listed_cover = 0;
    for (int i = 0; i < n_cover; ++i) listed_cover |= 1u << cover_houses[i];
    for (int k = 3; k <= largest; ++k) {
        const int n_base_sets = n_combinations(n_base - 1, k - 1);
        int n_cover_sets = n_combinations(n_cover, k);
        // The covers in scan order, up to the first that starts with a line missing the fin's group:
        // the lines meeting it come first, so no later cover starts with one.
        unsigned covers[126];  // C(9, 4), the most there can be
        for (int j = 0; j < n_cover_sets; ++j) {
            const int* comb = comb_at(n_cover, k, j);
            if (!meets_group(*this, cover_dim, cover_houses[comb[0]], fin_group)) {
                n_cover_sets = j;
                break;
            }
            covers[j] = fish::picked(cover_houses, comb, k);
        }
        for (int i = 0; i < n_base_sets; ++i) {
            const unsigned base =
                required |
                fish::picked(base_houses + 1, comb_at(n_base - 1, k - 1, i), k - 1);
            // The cover must hold every crossing line on which the base has the digit; when k listed
            // lines cannot, no cover of this base passes and the scan below would find nothing.
            unsigned needed = 0;
            fish::for_each_member(base, [&](int line) { needed |= at.of(base_dim, line); });
            if ((needed & ~listed_cover) || n_houses(needed) > k) continue;
            for (int j = 0; j < n_cover_sets; ++j)
                if (!(needed & ~covers[j]) && fish::lines_fish(*this, bit, at, base_dim, base, covers[j]))
                    return true;
        }
    }
    return false;
}
