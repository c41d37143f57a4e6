// Double restriction: two lines whose copies of a digit lie in two groups, or two groups on two lines.
#include <initializer_list>

#include "puzzle/Puzzle.h"

namespace {

// Where a digit sits in a walked house, relative to two chosen houses of the other kind:
// 0 when it misses one of them, 1 when it is only in the two, 2 when it is elsewhere too.
struct Presence {
    bool in_first = false, in_second = false, elsewhere = false;
    int state() const { return !in_first || !in_second ? 0 : (elsewhere ? 2 : 1); }
};

}  // namespace

bool Puzzle::double_restriction_for_lines_and_groups(int dim, int line1, int line2, int group1, int group2) {
    PUZZLE_CELL* lines[2] = {first_in_dim[dim][line1], first_in_dim[dim][line2]};
    PUZZLE_CELL* groups[2] = {first_in_dim[DIM_GROUP][group1], first_in_dim[DIM_GROUP][group2]};
    for (int d = 1; d <= 9; ++d) {
        const uint32_t bit = 1u << d;
        Presence line_state[2], group_state[2];
        for (int i = 0; i < 2; ++i) {
            PUZZLE_CELL* c = lines[i];
            do {
                if (c->elim_bits & bit) {
                    if (c->group == group1)
                        line_state[i].in_first = true;
                    else if (c->group == group2)
                        line_state[i].in_second = true;
                    else
                        line_state[i].elsewhere = true;
                }
                c = c->next(dim);
            } while (c != lines[i]);
            c = groups[i];
            do {
                if (c->elim_bits & bit) {
                    const int line = c->house(dim);
                    if (line == line1)
                        group_state[i].in_first = true;
                    else if (line == line2)
                        group_state[i].in_second = true;
                    else
                        group_state[i].elsewhere = true;
                }
                c = c->next(DIM_GROUP);
            } while (c != groups[i]);
        }
        bool removed = false;
        if (line_state[0].state() == 1 && line_state[1].state() == 1) {
            // Both lines spend their d inside the two groups: the groups have none left elsewhere.
            for (int i = 0; i < 2; ++i) {
                if (group_state[i].state() != 2) continue;
                PUZZLE_CELL* c = groups[i];
                do {
                    const int line = c->house(dim);
                    if (line != line1 && line != line2 && (c->elim_bits & bit)) c->elim_bits &= ~bit, removed = true;
                    c = c->next(DIM_GROUP);
                } while (c != groups[i]);
            }
            if (removed) return true;
        } else if (group_state[0].state() == 1 && group_state[1].state() == 1) {
            // Both groups spend their d on the two lines: the lines have none left elsewhere.
            for (int i = 0; i < 2; ++i) {
                if (line_state[i].state() != 2) continue;
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

bool Puzzle::double_restriction() {
    for (int dim : {DIM_ROW, DIM_COL}) {
        const uint8_t* overlap = group_overlap[dim - 1];
        auto meets = [overlap](int line, int group) { return overlap[9 * line + group] != 0; };
        for (int line1 = 0; line1 <= 7; ++line1)
            for (int group1 = 0; group1 <= 7; ++group1) {
                if (!meets(line1, group1)) continue;
                for (int line2 = line1 + 1; line2 <= 8; ++line2) {
                    if (!meets(line2, group1)) continue;
                    for (int group2 = group1 + 1; group2 <= 8; ++group2)
                        if (meets(line1, group2) && meets(line2, group2) &&
                            double_restriction_for_lines_and_groups(dim, line1, line2, group1, group2))
                            return true;
                }
            }
    }
    return false;
}
