// Franken fish: single-digit fish whose base or cover mixes rows or columns with groups.
#include <iterator>
#include <memory>

#include "puzzle/Puzzle.h"
#include "puzzle/Puzzle_fish_lines.h"
#include "util/sudoku_combinations.h"

namespace {

// The shapes searched, in this order. A shape without base groups has lines only in its base (the
// defining lines) and is searched with its cover mixed; the others have lines only in their cover.
constexpr FRANKEN_PATTERN franken_patterns[] = {
    {3, 0, 1, 2}, {3, 0, 2, 1}, {2, 1, 3, 0}, {1, 2, 3, 0}, {4, 0, 1, 3}, {4, 0, 2, 2}, {4, 0, 3, 1},
    {3, 1, 4, 0}, {2, 2, 4, 0}, {1, 3, 4, 0}, {3, 0, 0, 3}, {0, 3, 3, 0}, {4, 0, 0, 4}, {0, 4, 4, 0},
};
static_assert(std::size(franken_patterns) == 14);

constexpr int MAX_SETS = 126;  // C(9, 4): the most combinations any shape draws from one list

// Every k-combination of a house list, as sets of house numbers, in combination-number order.
int all_sets(const int* houses, int n, int k, unsigned* sets) {
    const int count = n_combinations(n, k);
    for (int i = 0; i < count; ++i) sets[i] = fish::picked(houses, comb_at(n, k, i), k);
    return count;
}

// For each group, the crossing lines (of the dimension given) on which its cells with the digit lie.
void group_lines(Puzzle& p, unsigned bit, DIMENSION line_dim, unsigned* lines) {
    for (int g = 0; g < 9; ++g) lines[g] = 0;
    for (const PUZZLE_CELL& c : p.cells)
        if ((c.elim_bits & bit) && c.group >= 0 && c.group < 9) lines[c.group] |= 1u << c.house(line_dim);
}

// The length of a line dimension's unsolved-house list: the caller's row count, or the columns
// counted afresh, since a grid that has lost a digit from a line can hold it in more rows than columns.
int line_count(Puzzle& p, unsigned bit, DIMENSION line_dim, int n_rows) {
    if (line_dim == DIM_ROW) return n_rows;
    int scratch[9];
    return p.determine_unsolved_houses_for_digit(line_dim, scratch, bit);
}

// Removes the digit from the cells of the given groups that satisfy `off_base`; true when any went.
template <typename OffBase>
bool clear_in_groups(Puzzle& p, unsigned bit, unsigned groups, OffBase off_base) {
    bool removed = false;
    fish::for_each_member(groups, [&](int g) {
        PUZZLE_CELL* first = p.first_in_dim[DIM_GROUP][g];
        if (!first) return;
        PUZZLE_CELL* c = first;
        do {
            if ((c->elim_bits & bit) && off_base(*c)) {
                c->elim_bits &= ~bit;
                removed = true;
            }
            c = c->next(DIM_GROUP);
        } while (c != first);
    });
    return removed;
}

}  // namespace

// What every shape of one digit draws its houses from: where the digit lies on the lines, which
// groups each line meets, and every combination of each house list by size (made when first asked),
// as sets in combination-number order. The same for all fourteen shapes and both base dimensions.
struct FrankenLists {
    fish::DigitLines at;
    fish::LineGroups meets;
    int n_listed[3];  // house-list lengths: rows (the caller's count), columns (counted afresh), groups
    int (*houses)[9];
    unsigned sets[3][5][MAX_SETS];
    int n_sets[3][5];
    bool made[3][5] = {};

    FrankenLists(Puzzle& p, unsigned bit, int n_rows, int n_groups, int listed[3][9])
        : at(p, bit), meets(p), houses(listed) {
        n_listed[DIM_ROW] = line_count(p, bit, DIM_ROW, n_rows);
        n_listed[DIM_COL] = line_count(p, bit, DIM_COL, n_rows);
        n_listed[DIM_GROUP] = n_groups;
    }
    // The k-combinations of dimension dim's list, and how many there are.
    const unsigned* of(int dim, int k, int& n) {
        if (!made[dim][k]) {
            n_sets[dim][k] = all_sets(houses[dim], n_listed[dim], k, sets[dim][k]);
            made[dim][k] = true;
        }
        n = n_sets[dim][k];
        return sets[dim][k];
    }

    // What a base of k lines of one dimension (the k-combinations above, in order) offers the shapes
    // whose base is lines only: the crossing positions where it has the digit, the groups of its
    // cells at each position, the groups holding the digit off it, and by number of cover groups the
    // most base positions that many groups can hold (`spare`).
    struct Base {
        uint16_t positions, groups_off_base;
        uint8_t spare[5];
        uint16_t groups_at[9];
    };
    Base bases[2][5][MAX_SETS];
    bool bases_made[2][5] = {};

    const Base* bases_of(Puzzle& p, DIMENSION base_dim, int k) {
        const int t = base_dim == DIM_ROW ? 0 : 1;
        if (bases_made[t][k]) return bases[t][k];
        bases_made[t][k] = true;
        // Per line: the groups holding the digit on it, the group of its cell with the digit at each
        // crossing position, and the positions where each group holds the digit.
        unsigned groups_on_line[9] = {};
        uint16_t group_at[9][9] = {}, positions_of[9][9] = {};
        for (int line = 0; line < 9; ++line) {
            fish::for_each_member(at.of(base_dim, line), [&](int pos) {
                const int g = fish::on_line(p, base_dim, line, pos).group;
                if (g < 0 || g > 8) return;
                groups_on_line[line] |= 1u << g;
                group_at[line][pos] = static_cast<uint16_t>(1u << g);
                positions_of[line][g] |= static_cast<uint16_t>(1u << pos);
            });
        }
        int n = 0;
        const unsigned* lines = of(base_dim, k, n);
        for (int b = 0; b < n; ++b) {
            Base& f = bases[t][k][b];
            unsigned group_positions[9] = {}, positions = 0, off_base = 0;
            for (int i = 0; i < 9; ++i) f.groups_at[i] = 0;
            fish::for_each_member(lines[b], [&](int line) {
                positions |= at.of(base_dim, line);
                for (int i = 0; i < 9; ++i) {
                    f.groups_at[i] |= group_at[line][i];
                    group_positions[i] |= positions_of[line][i];
                }
            });
            fish::for_each_member(0x1ffu & ~lines[b], [&](int line) { off_base |= groups_on_line[line]; });
            f.positions = static_cast<uint16_t>(positions);
            f.groups_off_base = static_cast<uint16_t>(off_base);
            // The positions each group meets, largest first: the sum of the first c is the spare of c groups.
            int count_of[10] = {};
            for (int g = 0; g < 9; ++g) ++count_of[n_houses(group_positions[g])];
            int c = 0, sum = 0, v = 9;
            f.spare[0] = 0;
            while (c < 4) {
                while (v > 0 && count_of[v] == 0) --v;
                if (v > 0) --count_of[v];
                sum += v;
                f.spare[++c] = static_cast<uint8_t>(sum);
            }
        }
        return bases[t][k];
    }
};

namespace {

// What one shape draws its houses from, for one digit and base dimension.
struct Choices {
    DIMENSION cross;
    const unsigned *base_lines, *cross_lines, *groups;
    int n_base_lines, n_cross_lines, n_groups;
    const fish::DigitLines& at;
    const fish::LineGroups& meets;

    Choices(FrankenLists& lists, DIMENSION base, int k_base_lines, int k_cross_lines, int k_groups)
        : cross(fish::crossing(base)), at(lists.at), meets(lists.meets) {
        base_lines = lists.of(base, k_base_lines, n_base_lines);
        cross_lines = lists.of(cross, k_cross_lines, n_cross_lines);
        groups = lists.of(DIM_GROUP, k_groups, n_groups);
    }
};

}  // namespace

bool Puzzle::simplify_once_franken_fish_for_digit(unsigned bit, int n_rows, int n_groups, int houses[3][9]) {
    FrankenLists lists(*this, bit, n_rows, n_groups, houses);
    const int n_cols = lists.n_listed[DIM_COL];
    for (const FRANKEN_PATTERN& p : franken_patterns) {
        if (p.base_groups > n_groups || p.cover_groups > n_groups) continue;
        const bool defining_lines_only = p.base_groups == 0;
        for (DIMENSION base_dim : {DIM_ROW, DIM_COL}) {
            const int n_base = base_dim == DIM_ROW ? n_rows : n_cols;
            const int n_cross = base_dim == DIM_ROW ? n_cols : n_rows;
            if (p.base_lines > n_base || p.cover_lines > n_cross) continue;
            const bool found =
                defining_lines_only
                    ? simplify_franken_defining_lines_only(bit, n_rows, n_groups, houses, p, base_dim, &lists)
                    : simplify_franken_secondary_lines_only(bit, n_rows, n_groups, houses, p, base_dim, &lists);
            if (found) return true;
        }
    }
    return false;
}

bool Puzzle::simplify_franken_defining_lines_only(unsigned bit, int n_rows, int n_groups, int houses[3][9],
                                                  FRANKEN_PATTERN p, DIMENSION base_dim, FrankenLists* shared) {
    // A shape asked on its own makes the lists itself (on the heap: they are large, and an empty
    // optional of them would be cleared byte by byte on every call).
    std::unique_ptr<FrankenLists> own;
    if (!shared) own = std::make_unique<FrankenLists>(*this, bit, n_rows, n_groups, houses);
    FrankenLists& lists = shared ? *shared : *own;
    const Choices ch(lists, base_dim, p.base_lines, p.cover_lines, p.cover_groups);
    const DIMENSION cross = ch.cross;
    const fish::DigitLines& at = ch.at;
    const bool disjoint_cover = p.cover_lines && p.cover_groups;

    // Per choice of crossing lines: where the digit lies on them, and the groups they meet.
    unsigned cross_digits[MAX_SETS], cross_meets[MAX_SETS];
    for (int l = 0; l < ch.n_cross_lines; ++l) {
        cross_digits[l] = 0;
        fish::for_each_member(ch.cross_lines[l], [&](int line) { cross_digits[l] |= at.of(cross, line); });
        cross_meets[l] = ch.meets.of(cross, ch.cross_lines[l]);
    }
    unsigned listed_groups = 0;
    for (int i = 0; i < n_groups; ++i) listed_groups |= 1u << houses[DIM_GROUP][i];
    const FrankenLists::Base* facts = lists.bases_of(*this, base_dim, p.base_lines);

    for (int b = 0; b < ch.n_base_lines; ++b) {
        const unsigned base = ch.base_lines[b];
        const FrankenLists::Base& f = facts[b];
        const unsigned base_positions = f.positions;
        const uint16_t* groups_at = f.groups_at;
        const unsigned groups_off_base = f.groups_off_base;
        // Every base position off the cover lines needs a cover group holding a base cell there, so
        // the cover groups can excuse at most `spare` positions: the most that any choice of them meets.
        const int spare = f.spare[p.cover_groups];
        if (n_houses(base_positions) - p.cover_lines > spare) continue;

        for (int l = 0; l < ch.n_cross_lines; ++l) {
            const unsigned cover_lines = ch.cross_lines[l];
            if (n_houses(base_positions & ~cover_lines) > spare) continue;
            // The base cells off the cover lines must all fall in cover groups.
            unsigned needed_groups = 0;
            fish::for_each_member(base_positions & ~cover_lines, [&](int pos) { needed_groups |= groups_at[pos]; });
            if (n_houses(needed_groups) > p.cover_groups) continue;
            const unsigned groups_met = cross_meets[l];
            // Pass over the group choices at once when none of them can both hold and remove something:
            // the first that can is the one the scan below meets first.
            const unsigned usable = listed_groups & ~(disjoint_cover ? groups_met : 0u);
            if ((needed_groups & ~usable) || n_houses(usable) < p.cover_groups) continue;
            const bool lines_remove = (cross_digits[l] & ~base) != 0;
            if (!lines_remove) {
                const bool group_can_remove =
                    (needed_groups & groups_off_base) ||
                    (n_houses(needed_groups) < p.cover_groups && (usable & groups_off_base & ~needed_groups));
                if (!group_can_remove) continue;
            }
            for (int g = 0; g < ch.n_groups; ++g) {
                const unsigned cover_groups = ch.groups[g];
                // Cover houses must not share cells, or one copy of the digit could serve two of them.
                if (disjoint_cover && (groups_met & cover_groups)) continue;
                if (needed_groups & ~cover_groups) continue;

                bool removed = false;
                fish::for_each_member(cover_lines, [&](int line) {
                    fish::for_each_member(at.of(cross, line) & ~base, [&](int pos) {
                        fish::on_line(*this, cross, line, pos).elim_bits &= ~bit;
                        removed = true;
                    });
                });
                removed |= clear_in_groups(*this, bit, cover_groups, [&](const PUZZLE_CELL& c) {
                    return !(base >> c.house(base_dim) & 1);
                });
                if (removed) return true;
            }
        }
    }
    return false;
}

bool Puzzle::simplify_franken_secondary_lines_only(unsigned bit, int n_rows, int n_groups, int houses[3][9],
                                                   FRANKEN_PATTERN p, DIMENSION base_dim, FrankenLists* shared) {
    // A shape asked on its own makes the lists itself (on the heap: they are large, and an empty
    // optional of them would be cleared byte by byte on every call).
    std::unique_ptr<FrankenLists> own;
    if (!shared) own = std::make_unique<FrankenLists>(*this, bit, n_rows, n_groups, houses);
    FrankenLists& lists = shared ? *shared : *own;
    const Choices ch(lists, base_dim, p.base_lines, p.cover_lines, p.base_groups);
    const DIMENSION cross = ch.cross;
    const fish::DigitLines& at = ch.at;
    unsigned lines_of_group[9];
    group_lines(*this, bit, cross, lines_of_group);

    for (int b = 0; b < ch.n_base_lines; ++b) {
        const unsigned base_lines = ch.base_lines[b];
        const unsigned groups_met = ch.meets.of(base_dim, base_lines);
        unsigned lines_needed_by_base_lines = 0;
        fish::for_each_member(base_lines,
                              [&](int line) { lines_needed_by_base_lines |= at.of(base_dim, line); });
        for (int g = 0; g < ch.n_groups; ++g) {
            const unsigned base_groups = ch.groups[g];
            // Base houses must not share cells, or one copy of the digit could serve two of them.
            if (p.base_lines && p.base_groups && (groups_met & base_groups)) continue;
            unsigned needed_lines = lines_needed_by_base_lines;
            fish::for_each_member(base_groups, [&](int group) { needed_lines |= lines_of_group[group]; });
            if (n_houses(needed_lines) > p.cover_lines) continue;
            for (int c = 0; c < ch.n_cross_lines; ++c) {
                const unsigned cover = ch.cross_lines[c];
                if (needed_lines & ~cover) continue;
                bool removed = false;
                fish::for_each_member(cover, [&](int line) {
                    fish::for_each_member(at.of(cross, line), [&](int pos) {
                        PUZZLE_CELL& cell = fish::on_line(*this, cross, line, pos);
                        if ((base_lines >> cell.house(base_dim) & 1) || (base_groups >> cell.group & 1))
                            return;
                        cell.elim_bits &= ~bit;
                        removed = true;
                    });
                });
                if (removed) return true;
            }
        }
    }
    return false;
}
