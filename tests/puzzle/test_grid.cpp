// House rings, first cells, the neighbour table and the digit-set tables.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "maps/square_group_map.h"
#include "puzzle/Puzzle.h"
#include "puzzle/set_bit_array.h"

namespace {

struct Grid {
    Puzzle* p = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
    ~Grid() {
        std::free(p->are_neighbors_array);
        std::free(p);
    }
    Puzzle* operator->() { return p; }
};

Matrix<int, 9> rows_as_groups() {
    Matrix<int, 9> m{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) m[r][c] = r;
    return m;
}

// An irregular but valid map: boxes with cells traded across borders, groups not all rectangles.
Matrix<int, 9> jigsaw_map() {
    Matrix<int, 9> m = square_group_map;
    std::swap(m[0][2], m[0][3]);  // group 0 takes (0,3), group 1 takes (0,2)
    std::swap(m[4][5], m[4][6]);
    std::swap(m[8][0], m[5][0]);
    return m;
}

// Walks every ring of every house and checks it visits exactly the house's nine cells once.
void expect_closed_rings(Puzzle* p) {
    for (int d = 0; d < N_DIMENSIONS; ++d) {
        int houses = d >= DIM_DIAG ? 1 : 9;
        for (int h = 0; h < houses; ++h) {
            PUZZLE_CELL* start = p->first_in_dim[d][h];
            ASSERT_NE(start, nullptr) << "dim " << d << " house " << h;
            std::vector<bool> seen(N_CELLS);
            PUZZLE_CELL* c = start;
            for (int step = 0; step < 9; ++step) {
                int k = p->index_of(c);
                ASSERT_TRUE(k >= 0 && k < N_CELLS);
                EXPECT_FALSE(seen[k]);
                seen[k] = true;
                EXPECT_EQ(c->house(d), start->house(d)) << "dim " << d << " cell " << k;
                c = c->next(d);
            }
            EXPECT_EQ(c, start) << "ring of dim " << d << " house " << h << " does not close after nine";
        }
    }
}

TEST(Grid, RingsCloseOnSquareRowAndJigsawMaps) {
    for (const Matrix<int, 9>& map : {square_group_map, rows_as_groups(), jigsaw_map()}) {
        Grid g;
        g->setup(map);
        expect_closed_rings(g.p);
        // group rings run in increasing cell order except for the one step back
        for (int k = 0; k < N_CELLS; ++k) {
            int off = g->cells[k].next_in_house[DIM_GROUP];
            if (off < 0) {
                EXPECT_EQ(g->first_in_dim[DIM_GROUP][g->cells[k].group], &g->cells[k + off]);
            }
        }
    }
}

TEST(Grid, SquareCentreBoxRingAndDiagonalWords) {
    Grid g;
    g->setup(square_group_map);
    const int expected[] = {1, 1, 7, 1, 1, 7, 1, 1, -20};
    int k = 30;
    for (int off : expected) {
        EXPECT_EQ(g->cells[k].next_in_house[DIM_GROUP], off) << "cell " << k;
        k += off;
    }
    EXPECT_EQ(k, 30);
    const PUZZLE_CELL& centre = g->cells[40];
    EXPECT_EQ(centre.diag, 0);
    EXPECT_EQ(centre.anti_diag, 0);
    EXPECT_EQ(centre.next_in_house[DIM_DIAG], 10);
    EXPECT_EQ(centre.next_in_house[DIM_ANTI_DIAG], 8);
    const PUZZLE_CELL& one = g->cells[1];
    EXPECT_EQ(one.diag, -1);
    EXPECT_EQ(one.anti_diag, -1);
    EXPECT_EQ(one.next_in_house[DIM_DIAG], 0);
    EXPECT_EQ(one.next_in_house[DIM_ANTI_DIAG], 0);
    EXPECT_EQ(g->cells[80].next_in_house[DIM_DIAG], -80);
    EXPECT_EQ(g->cells[72].next_in_house[DIM_ANTI_DIAG], -64);
    EXPECT_EQ(g->first_in_dim[DIM_ANTI_DIAG][0], &g->cells[8]);
    EXPECT_EQ(g->first_in_dim[DIM_DIAG][1], nullptr);
}

TEST(Grid, RowGroupsCopyRowRings) {
    Grid g;
    g->setup(rows_as_groups());
    for (const PUZZLE_CELL& c : g->cells) EXPECT_EQ(c.next_in_house[DIM_GROUP], c.next_in_house[DIM_ROW]);
}

TEST(Grid, SetupKeepsGameRecordTailAndSetupWithGroupsRebuilds) {
    Grid g;
    for (int i = 0; i < 9; ++i) g->color_map[i] = 10 + i;
    g->map_type = MAP_IRREGULAR;
    g->adjacency = ADJ_X;
    g->quality = UI_QUALITY(7);
    std::memset(g->cells, 0xab, sizeof g->cells);
    g->setup(jigsaw_map());
    for (int i = 0; i < 9; ++i) EXPECT_EQ(g->color_map[i], 10 + i);
    EXPECT_EQ(g->map_type, MAP_IRREGULAR);
    EXPECT_EQ(g->adjacency, ADJ_X);
    EXPECT_EQ(g->quality, 7);
    for (const PUZZLE_CELL& c : g->cells) EXPECT_EQ(c.unused[0] | c.unused[1] | c.unused[2], 0);

    // Keep groups and play state, clear the links, rebuild: same grid as before.
    Grid h;
    std::memcpy(h->cells, g->cells, sizeof g->cells);
    for (PUZZLE_CELL& c : h->cells) {
        c.solution = 5;
        std::memset(c.next_in_house, 0, sizeof c.next_in_house);
        c.row = c.col = 99;
    }
    h->setup_with_grp_set();
    for (int k = 0; k < N_CELLS; ++k) {
        EXPECT_EQ(0, std::memcmp(&h->cells[k], &g->cells[k], offsetof(PUZZLE_CELL, solution)));
        EXPECT_EQ(h->cells[k].solution, 5);
    }
}

TEST(Grid, NeighbourTableWithAndWithoutX) {
    Grid g;
    g->setup(square_group_map);
    g->adjacency = ADJ_REGULAR;
    g->define_are_neighbors_array();
    auto nb = [&](int p, int q) { return g->are_neighbors_array[p * 81 + q]; };
    EXPECT_EQ(nb(10, 70), 0);
    EXPECT_EQ(nb(0, 8), 1);
    for (int p = 0; p < N_CELLS; ++p) {
        int count = 0;
        for (int q = 0; q < N_CELLS; ++q) {
            EXPECT_EQ(nb(p, q), nb(q, p));
            count += nb(p, q);
        }
        EXPECT_EQ(nb(p, p), 1);
        EXPECT_EQ(count, 21) << "cell " << p;
    }
    uint8_t* table = g->are_neighbors_array;
    g->adjacency = ADJ_X;
    g->define_are_neighbors_array();
    EXPECT_EQ(g->are_neighbors_array, table) << "the table is reused, not reallocated";
    EXPECT_EQ(nb(10, 70), 1);
    EXPECT_EQ(nb(10, 56), 0);
    EXPECT_EQ(nb(0, 8), 1);
    int centre = 0;
    for (int q = 0; q < N_CELLS; ++q) centre += q != 40 && nb(40, q);
    EXPECT_EQ(centre, 32);
}

TEST(DigitTables, Entries) {
    EXPECT_EQ(set_bit_array[0x3fe >> 1], 9);
    EXPECT_EQ(set_bit_array[0], 0);
    EXPECT_EQ(set_bit_array[1023], 10);
    EXPECT_EQ(n_digits(0x3fe), 9);
    EXPECT_EQ(n_digits(0x24), 2);
    for (int i = 0; i < 1050; ++i) {
        int single = 0, high = 0;
        for (int d = 1; d <= 10; ++d) {
            if (i == 1 << d) single = d;
            if (i >> d) high = d;
        }
        EXPECT_EQ(bit_2_digit_array[i], single) << i;
        EXPECT_EQ(bits2digit_array[i], high) << i;
    }
    EXPECT_EQ(bit_2_digit_array[3], 0);
    EXPECT_EQ(bits2digit_array[1049], 10);
}

}  // namespace
