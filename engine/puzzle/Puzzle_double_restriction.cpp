// Double restriction: two lines whose copies of a digit lie in two groups, or two groups on two lines.
#include <initializer_list>

#include "puzzle/Puzzle.h"

namespace {

// Where each digit sits, for one line dimension: per line the groups holding it, per group the
// lines holding it (bit sets of house numbers), read once from the candidate masks.
struct DigitPlaces {
    uint16_t groups_on_line[9][10];
    uint16_t lines_in_group[9][10];
    uint16_t digits_at[9][9];  // per line and group, the digits (bit d) their common cells hold

    // Only the digits of `digits` (bit d) are read; the others stay empty.
    void read(const PUZZLE_CELL* cells, int dim, uint32_t digits = ALL_DIGITS) {
        for (int h = 0; h < 9; ++h) {
            for (int d = 0; d < 10; ++d) groups_on_line[h][d] = lines_in_group[h][d] = 0;
            for (int g = 0; g < 9; ++g) digits_at[h][g] = 0;
        }
        for (int k = 0; k < N_CELLS; ++k) {
            const PUZZLE_CELL& c = cells[k];
            const int line = c.house(dim);
            digits_at[line][c.group] |= static_cast<uint16_t>(c.elim_bits & digits & ALL_DIGITS);
            for (uint32_t m = c.elim_bits & digits & ALL_DIGITS; m; m &= m - 1) {
                const int d = __builtin_ctz(m);
                groups_on_line[line][d] |= static_cast<uint16_t>(1u << c.group);
                lines_in_group[c.group][d] |= static_cast<uint16_t>(1u << line);
            }
        }
    }
};

// 0 when the digit misses one of the two chosen houses, 1 when it is only in them, 2 when it is
// elsewhere too.
int presence(uint16_t places, int first, int second) {
    const uint16_t chosen = static_cast<uint16_t>((1u << first) | (1u << second));
    if (!(places >> first & 1) || !(places >> second & 1)) return 0;
    return places & ~chosen ? 2 : 1;
}

}  // namespace

// Removes the digit where the two-by-two lock allows it; true when something went.
// Only the digits of `digits` (bit d) are looked at.
static bool apply_double_restriction(Puzzle& p, const DigitPlaces& places, int dim, int line1, int line2,
                                     int group1, int group2, uint32_t digits = ALL_DIGITS) {
    PUZZLE_CELL* lines[2] = {p.first_in_dim[dim][line1], p.first_in_dim[dim][line2]};
    PUZZLE_CELL* groups[2] = {p.first_in_dim[DIM_GROUP][group1], p.first_in_dim[DIM_GROUP][group2]};
    // Either lock needs the digit in all four crossings of the two lines and two groups.
    const uint32_t crossing = places.digits_at[line1][group1] & places.digits_at[line1][group2] &
                              places.digits_at[line2][group1] & places.digits_at[line2][group2];
    for (uint32_t m = digits & crossing & ALL_DIGITS; m; m &= m - 1) {
        const int d = __builtin_ctz(m);
        const uint32_t bit = 1u << d;
        const int line_state[2] = {presence(places.groups_on_line[line1][d], group1, group2),
                                   presence(places.groups_on_line[line2][d], group1, group2)};
        const int group_state[2] = {presence(places.lines_in_group[group1][d], line1, line2),
                                    presence(places.lines_in_group[group2][d], line1, line2)};
        bool removed = false;
        if (line_state[0] == 1 && line_state[1] == 1) {
            // Both lines spend their d inside the two groups: the groups have none left elsewhere.
            for (int i = 0; i < 2; ++i) {
                if (group_state[i] != 2) continue;
                PUZZLE_CELL* c = groups[i];
                do {
                    const int line = c->house(dim);
                    if (line != line1 && line != line2 && (c->elim_bits & bit)) c->elim_bits &= ~bit, removed = true;
                    c = c->next(DIM_GROUP);
                } while (c != groups[i]);
            }
            if (removed) return true;
        } else if (group_state[0] == 1 && group_state[1] == 1) {
            // Both groups spend their d on the two lines: the lines have none left elsewhere.
            for (int i = 0; i < 2; ++i) {
                if (line_state[i] != 2) continue;
                PUZZLE_CELL* c = lines[i];
                do {
                    if (c->group != group1 && c->group != group2 && (c->elim_bits & bit))
                        c->elim_bits &= ~bit, removed = true;
                    c = c->next(dim);
                } while (c != lines[i]);
            }
            if (removed) return true;
        }
    }
    return false;
}

bool Puzzle::double_restriction_for_lines_and_groups(int dim, int line1, int line2, int group1, int group2) {
    DigitPlaces places;
    places.read(cells, dim);
    return apply_double_restriction(*this, places, dim, line1, line2, group1, group2);
}

bool Puzzle::double_restriction() {
    // Each digit's search reads only where the digit is: digits whose search found nothing in their
    // present state are passed over.
    uint64_t states[9][4];
    const uint32_t check = digits_to_search(8, states);
    if (!check) return false;
    DigitPlaces places;
    for (int dim : {DIM_ROW, DIM_COL}) {
        places.read(cells, dim, check);
        const uint8_t* overlap = group_overlap[dim - 1];
        auto meets = [overlap](int line, int group) { return overlap[9 * line + group] != 0; };
        for (int line1 = 0; line1 <= 7; ++line1)
            for (int group1 = 0; group1 <= 7; ++group1) {
                if (!meets(line1, group1)) continue;
                for (int line2 = line1 + 1; line2 <= 8; ++line2) {
                    if (!meets(line2, group1)) continue;
                    for (int group2 = group1 + 1; group2 <= 8; ++group2)
                        if (meets(line1, group2) && meets(line2, group2) &&
                            apply_double_restriction(*this, places, dim, line1, line2, group1, group2, check))
                            return true;
                }
            }
    }
    note_failures(8, check, states);
    return false;
}
