// Finned fish: a fish that holds once one or two fin cells are set aside, applied inside the fins' group.
#include <cstring>
#include <optional>
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

// The scan of finned fish of sizes 3 to 5 for one digit, `at` being where it lies: `on_fish(base,
// cover)` is asked in scan order and the scan stops at the first true answer. It is asked only
// where a fish removes something: the cover holds every crossing line on which the base has the
// digit, and one of its lines has the digit off the base.
template <typename OnFish>
bool scan_finned(const Puzzle& p, const fish::DigitLines& at, DIMENSION base_dim, int n_base, const int* base_houses,
                 DIMENSION cover_dim, int n_cover, const int* cover_houses, int fin_group, OnFish on_fish) {
    int largest = n_base < n_cover ? n_base : n_cover;
    if (largest > 5) largest = 5;
    // A finned X-wing is left alone: the sizes are 3, 4 and 5.
    if (largest < 3) return false;
    const fish::SubsetIndex& index = fish::subset_index();

    const unsigned required = 1u << base_houses[0];
    unsigned listed_cover = 0;
    int place_of[9] = {};  // each listed line's place in the cover list
    for (int i = 0; i < n_cover; ++i) listed_cover |= 1u << cover_houses[i], place_of[cover_houses[i]] = i;
    // The lines meeting the fin's group come first: covers are taken up to the first that starts
    // with one that does not.
    int meeting = 0;
    while (meeting < n_cover && meets_group(p, cover_dim, cover_houses[meeting], fin_group)) ++meeting;
    for (int k = 3; k <= largest; ++k) {
        const int n_cover_sets = index.before[n_cover][k][meeting];
        const uint64_t(*with)[2] = index.with[n_cover][k];
        const uint64_t in_scan[2] = {n_cover_sets >= 64 ? ~uint64_t{0} : (uint64_t{1} << n_cover_sets) - 1,
                                     n_cover_sets <= 64 ? 0 : (uint64_t{1} << (n_cover_sets - 64)) - 1};
        // The bases in scan order (the required line and k - 1 of the others, in the table order of
        // the others' places, which a depth-first walk over rising places keeps). The cover must
        // hold every crossing line on which the base has the digit: a partial base whose lines need
        // more than k listed lines has no base below it that passes.
        auto walk = [&](auto&& self, int from, int left, unsigned base, unsigned needed) -> bool {
            if ((needed & ~listed_cover) || n_houses(needed) > k) return false;
            if (left > 0) {
                for (int t = from; t <= n_base - 1 - left; ++t) {
                    const int line = base_houses[1 + t];
                    if (self(self, t + 1, left - 1, base | 1u << line, needed | at.of(base_dim, line))) return true;
                }
                return false;
            }
            uint64_t fits[2] = {in_scan[0], in_scan[1]}, removes[2] = {0, 0};
            fish::for_each_member(needed, [&](int line) {
                fits[0] &= with[place_of[line]][0];
                fits[1] &= with[place_of[line]][1];
            });
            for (int c = 0; c < n_cover; ++c)
                if (at.of(cover_dim, cover_houses[c]) & ~base) removes[0] |= with[c][0], removes[1] |= with[c][1];
            for (int w = 0; w < 2; ++w)
                for (uint64_t m = fits[w] & removes[w]; m; m &= m - 1) {
                    const int j = 64 * w + __builtin_ctzll(m);
                    if (on_fish(base, fish::picked(cover_houses, comb_at(n_cover, k, j), k))) return true;
                }
            return false;
        };
        if (walk(walk, 0, k - 1, required, at.of(base_dim, base_houses[0]))) return true;
    }
    return false;
}

// Writes a trial's masks (`trial_mask(cell)`) into the fins' group, the fins left out; true when one
// changed. Either a fin holds the digit, and the rest of its group sees that fin, or the trial's fish
// holds: the trial's eliminations are sound inside the fins' group only.
template <typename TrialMask>
bool keep_inside_group(Puzzle& p, PUZZLE_CELL* fin, PUZZLE_CELL* second_fin, TrialMask trial_mask) {
    bool changed = false;
    PUZZLE_CELL* start = p.first_in_dim[DIM_GROUP][fin->group];
    PUZZLE_CELL* c = start;
    int n_members = 0;
    do {
        if (c != fin && c != second_fin) {
            const uint32_t mask = trial_mask(c);
            changed |= c->elim_bits != mask;
            c->elim_bits = mask;
        }
        ++n_members;
        c = c->next(DIM_GROUP);
    } while (c != start && n_members < 9);
    if (changed && second_fin) ++p.technique_counts[SLOT_FINNED_TWO_FINS];
    return changed;
}

}  // namespace

// Where one digit lies on the rows and columns: held (solved cells count) and held unsolved.
struct FinnedDigit {
    fish::DigitLines at;
    uint16_t open[2][9] = {};

    FinnedDigit(const Puzzle& p, unsigned bit) : at(p, bit) {
        for (const PUZZLE_CELL& c : p.cells) {
            if (!(c.elim_bits & bit) || !fish::unsolved(c)) continue;
            open[0][c.row] |= static_cast<uint16_t>(1u << c.col);
            open[1][c.col] |= static_cast<uint16_t>(1u << c.row);
        }
    }
};

void Puzzle::find_fin_candidates(int group, int* digits, int*& first, int*& last, const uint64_t (*states)[4]) {
    int counts[9];
    sort_unsolved_digits(digits, counts, group, states);
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
    // The memo of failed searches, the counts from cell sets and the trials on the digit's positions
    // are used while the houses cannot change.
    const bool memo = peers_state != PEERS_NONE;
    uint64_t states[9][4];
    if (memo) digit_states(states);
    int digits[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    int counts[9];
    sort_unsolved_digits(digits, counts, -1, memo ? states : nullptr);
    int retained[10];
    int n_retained = 0;
    for (int i = 0; i < 9; ++i)
        if (counts[i] >= MIN_FINNED_DIGIT_CELLS) retained[n_retained++] = digits[i];
    retained[n_retained] = 0;
    if (n_retained == 0) return false;
    // Where each digit lies, made when its first trial runs; the grid stays as it is until a find.
    std::optional<FinnedDigit> known[10];
    auto positions = [&](int d) -> const FinnedDigit* {
        if (!memo) return nullptr;
        if (!known[d]) known[d].emplace(*this, 1u << d);
        return &*known[d];
    };

    for (int g = 0; g < 9; ++g) {
        PUZZLE_CELL* start = first_in_dim[DIM_GROUP][g];
        if (!start) continue;
        int candidates[10];
        std::memcpy(candidates, retained, sizeof candidates);
        int* first;
        int* last;
        find_fin_candidates(g, candidates, first, last, memo ? states : nullptr);

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
                        if (two_fins && fins_rows_cols(DIM_ROW, bit, c1, c2, positions(*d))) return true;
                    } else if (c2->col == c1->col || single_fins_tried) {
                        if (two_fins && fins_rows_cols(DIM_COL, bit, c1, c2, positions(*d))) return true;
                    } else {
                        if (fins_rows_cols(DIM_ROW, bit, c1, nullptr, positions(*d))) return true;
                        if (fins_rows_cols(DIM_COL, bit, c1, nullptr, positions(*d))) return true;
                        single_fins_tried = true;
                    }
                }
            }
            if (memo) note_fish_failure(1, *d, states[*d - 1], g);
        }
    }
    return false;
}

bool Puzzle::fins_rows_cols(DIMENSION dim, unsigned bit, PUZZLE_CELL* fin, PUZZLE_CELL* second_fin,
                            const FinnedDigit* known) {
    const DIMENSION cover_dim = fish::crossing(dim);
    if (known) {
        // The trial below reads nothing but where the digit lies, with the fins' copies taken away,
        // and its fish removes the digit from the cover lines' cells off the base: that set, cut to
        // the fins' group, is what it writes back.
        fish::DigitLines at = known->at;
        uint16_t open[2][9];
        std::memcpy(open, known->open, sizeof open);
        for (const PUZZLE_CELL* f : {fin, second_fin}) {
            if (!f) continue;
            at.at[0][f->row] &= static_cast<uint16_t>(~(1u << f->col));
            at.at[1][f->col] &= static_cast<uint16_t>(~(1u << f->row));
            open[0][f->row] &= static_cast<uint16_t>(~(1u << f->col));
            open[1][f->col] &= static_cast<uint16_t>(~(1u << f->row));
        }
        auto listed = [&](DIMENSION d, int* houses) {
            int n = 0;
            for (int h = 0; h < 9; ++h)
                if (open[d == DIM_ROW ? 0 : 1][h]) houses[n++] = h;
            return n;
        };
        int base[9], cover[9];
        const int n_base = listed(dim, base);
        move_required_house_to_0_position(fin->house(dim), n_base, base);
        int n_cover = listed(cover_dim, cover);
        remove_disallowed_house(fin->house(cover_dim), n_cover, cover);
        if (second_fin) remove_disallowed_house(second_fin->house(cover_dim), n_cover, cover);
        move_houses_intersecting_required_group_to_low_positions(*this, cover_dim, fin->group, n_cover, cover);
        uint64_t gone[2] = {0, 0};
        const bool found = scan_finned(*this, at, dim, n_base, base, cover_dim, n_cover, cover, fin->group,
                                       [&](unsigned base_lines, unsigned cover_lines) {
                                           for (unsigned s = base_lines; s; s &= s - 1)
                                               if (at.of(dim, __builtin_ctz(s)) & ~cover_lines) return false;
                                           fish::for_each_member(cover_lines, [&](int line) {
                                               fish::for_each_member(at.of(cover_dim, line) & ~base_lines, [&](int pos) {
                                                   const int k = index_of(&fish::on_line(*this, cover_dim, line, pos));
                                                   gone[k >> 6] |= uint64_t{1} << (k & 63);
                                               });
                                           });
                                           return (gone[0] | gone[1]) != 0;
                                       });
        if (!found) return false;
        return keep_inside_group(*this, fin, second_fin, [&](const PUZZLE_CELL* c) {
            const int k = index_of(c);
            return gone[k >> 6] >> (k & 63) & 1 ? c->elim_bits & ~bit : c->elim_bits;
        });
    }

    // The trial runs on this puzzle's own cells with the fins' digit taken away, and every candidate
    // mask is put back afterwards: the search reads and changes nothing but the masks, so this is the
    // same as working on a full copy, without making one.
    uint32_t real[81];
    for (int k = 0; k < 81; ++k) real[k] = cells[k].elim_bits;
    fin->elim_bits &= ~bit;
    if (second_fin) second_fin->elim_bits &= ~bit;

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

    return keep_inside_group(*this, fin, second_fin, [&](const PUZZLE_CELL* c) { return trial[index_of(c)]; });
}

bool Puzzle::rows_and_cols_with_fins_for_digit(unsigned bit, DIMENSION base_dim, int n_base, int* base_houses,
                                               DIMENSION cover_dim, int n_cover, int* cover_houses,
                                               int fin_group) {
    const fish::DigitLines at(*this, bit);
    return scan_finned(*this, at, base_dim, n_base, base_houses, cover_dim, n_cover, cover_houses, fin_group,
                       [&](unsigned base, unsigned cover) { return fish::lines_fish(*this, bit, at, base_dim, base, cover); });
}
