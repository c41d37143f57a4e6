// Random solution construction: fill order, validity on every kind of map, cancel and deadline.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "maps/square_group_map.h"
#include "puzzle/Puzzle.h"
#include "support/grid_checks.h"
#include "util/rand_utils.h"
#include "util/utility.h"

namespace {

struct Grid {
    Puzzle* p = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
    Grid(const Matrix<int, 9>& map, int adjacency) {
        p->adjacency = adjacency ? ADJ_X : ADJ_REGULAR;
        p->setup(map);
        p->define_are_neighbors_array();
        p->setup_ptrs_first_in_dims();
    }
    ~Grid() {
        std::free(p->are_neighbors_array);
        std::free(p);
    }
};

// Row 4 is group 5 (restriction 9); groups 3 and 4 share rows 3 and 5 (at most six cells in a row).
Matrix<int, 9> map_with_row_group() {
    const char* layout = "000111222000111222000111222333434334555555555333444444666777888666777888666777888";
    Matrix<int, 9> m{};
    for (int k = 0; k < N_CELLS; ++k) m[k / 9][k % 9] = layout[k] - '0';
    return m;
}

TEST(Fill, FirstGroupIsTheMostRestricted) {
    for (int adjacency : {0, 1}) {
        Grid g(square_group_map, adjacency);
        ASSERT_TRUE(g.p->construct_solution());
        const int box0[] = {0, 1, 2, 9, 10, 11, 18, 19, 20};
        std::set<int> digits;
        for (int k = 0; k < 9; ++k) {
            EXPECT_EQ(g.p->index_of(g.p->ordered_cells[k]), box0[k]);
            digits.insert(digit_of(*g.p->ordered_cells[k], true));
        }
        EXPECT_EQ(digits.size(), 9u);
        EXPECT_EQ(g.p->ordered_cells[81], nullptr);
    }
    // The cell order is settled before the search starts, so a stopped run still shows it.
    Grid row(map_with_row_group(), 0);
    row.p->fill_stopped = 1;
    EXPECT_FALSE(row.p->construct_solution());
    for (int k = 0; k < 9; ++k) EXPECT_EQ(row.p->ordered_cells[k]->group, 5);
    EXPECT_EQ(row.p->first_in_dim[DIM_GROUP][5], &row.p->cells[36]) << "group pointers back in row order";
    for (int k = 9; k < N_CELLS; ++k) EXPECT_NE(row.p->ordered_cells[k]->group, 5);
}

TEST(Fill, SolutionsAreValidAndStateIsRestored) {
    for (int adjacency : {0, 1}) {
        for (const Matrix<int, 9>& map : {square_group_map}) {
            for (int run = 0; run < 20; ++run) {
                Grid g(map, adjacency);
                ASSERT_TRUE(g.p->construct_solution());
                EXPECT_EQ(solution_errors(*g.p, adjacency, true), "");
                for (const PUZZLE_CELL& c : g.p->cells) {
                    EXPECT_EQ(c.status, 0u);
                    EXPECT_TRUE(c.elim_bits & static_cast<uint32_t>(c.solution));
                }
                for (int h = 0; h < 9; ++h) {
                    PUZZLE_CELL* first = g.p->first_in_dim[DIM_GROUP][h];
                    EXPECT_EQ(first->group, h);
                    for (int k = 0; k < g.p->index_of(first); ++k) EXPECT_NE(g.p->cells[k].group, h);
                }
            }
        }
    }
}

TEST(Fill, SeededRunsRepeat) {
    rand_seed_thread(2024);
    Grid a(square_group_map, 1);
    ASSERT_TRUE(a.p->construct_solution());
    rand_seed_thread(2024);
    Grid b(square_group_map, 1);
    ASSERT_TRUE(b.p->construct_solution());
    rand_unseed_thread();
    for (int k = 0; k < N_CELLS; ++k) EXPECT_EQ(a.p->cells[k].solution, b.p->cells[k].solution);
}

TEST(Fill, StopFlagAndPassedDeadlineEndTheSearch) {
    Grid stopped(square_group_map, 0);
    stopped.p->fill_stopped = 1;
    EXPECT_FALSE(stopped.p->construct_solution());
    EXPECT_EQ(stopped.p->first_in_dim[DIM_GROUP][0], &stopped.p->cells[0]);

    Grid late(square_group_map, 0);
    late.p->deadline_ms = steady_now_ms() - 1;
    late.p->fill_calls = 1023;  // the very first step looks at the clock
    EXPECT_FALSE(late.p->construct_solution());
    EXPECT_EQ(late.p->fill_stopped, 1);
    EXPECT_EQ(late.p->fill_calls, 1024);

    // A deadline far ahead only counts steps.
    Grid ahead(square_group_map, 1);
    ahead.p->deadline_ms = steady_now_ms() + 60000;
    EXPECT_TRUE(ahead.p->construct_solution());
    EXPECT_GT(ahead.p->fill_calls, 0);
}

}  // namespace
