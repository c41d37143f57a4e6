// Clue removal: symmetric starting sets, the centre rule, thinning, rating and the attempt loop.
#include <gtest/gtest.h>

#include <ctime>

#include "puzzle/Puzzle_parameters.h"
#include "support/puzzle_builder.h"
#include "util/rand_utils.h"

namespace {

struct Seeded {
    explicit Seeded(uint64_t s) { rand_seed_thread(s); }
    ~Seeded() { rand_unseed_thread(); }
};

// A solved grid in generation form, ready for clue removal at the given difficulty.
void prepare(TestPuzzle& t, int quality, int adjacency = 0) {
    load_solver_form(t.p, adjacency ? kXGrid : kGrid, std::string(81, '.'), adjacency);
    t->quality = static_cast<UI_QUALITY>(quality);
    t->build_group_overlap();
}

int clue_count(Puzzle& p) { return p.count_mask(); }

TEST(ClueRemoval, StartingSetsFollowTheSymmetry) {
    Seeded seed(11);
    for (int symmetry : {0, 1, 2}) {
        for (int target : {24, 25}) {
            TestPuzzle t;
            prepare(t, 5, 1);
            t->symmetry = symmetry;
            t->n_clues = target;
            if (symmetry != 2) t->build_sym_pool();
            EXPECT_EQ(t->sym_pool_count, symmetry == 1 ? 40 : (symmetry == 0 ? 36 : 0));
            for (int run = 0; run < 30; ++run) {
                t->set_initial_clues(target);
                EXPECT_FALSE(t->long_run_of_clues());
                const int odd = target % 2;
                if (symmetry == 2) {
                    EXPECT_EQ(clue_count(*t), target);
                    continue;
                }
                EXPECT_EQ(clue_count(*t), target - (target % 2) + odd) << symmetry << " " << target;
                if (symmetry == 1) {
                    EXPECT_EQ((t->cells[40].status & STATUS_CLUE) != 0, odd == 1);
                }
                int column4 = 0;
                for (int r = 0; r < 9; ++r) column4 += (t->cells[r * 9 + 4].status & STATUS_CLUE) != 0;
                if (symmetry == 0) {
                    EXPECT_EQ(column4, odd);
                }
                for (int k = 0; k < 81; ++k) {
                    int partner = symmetry == 0 ? (k / 9) * 9 + 8 - k % 9 : 80 - k;
                    EXPECT_EQ(t->cells[k].status & STATUS_CLUE, t->cells[partner].status & STATUS_CLUE);
                }
                EXPECT_EQ(t->next_added_clue, t->clue_order + target / 2);
            }
        }
    }
}

TEST(ClueRemoval, AddingCluesStopsAtTheEndOfThePool) {
    TestPuzzle t;
    prepare(t, 0);
    t->symmetry = 2;
    t->n_clues = 30;
    t->set_initial_clues(30);
    EXPECT_EQ(clue_count(*t), 30);
    for (int i = 0; i < 60; ++i) t->add_a_clue_or_two();  // more than the pool holds
    EXPECT_EQ(clue_count(*t), 81);
    EXPECT_EQ(t->next_added_clue, t->clue_order + 81) << "nothing read past the list";
}

TEST(ClueRemoval, ThinningStopsAtTheTargetAndRatesTheResult) {
    Seeded seed(3);
    TestPuzzle t;
    prepare(t, 1);
    t->symmetry = 1;
    t->build_sym_pool();
    t->n_clues = 30;
    t->make_solvable_puzzle();
    EXPECT_EQ(t->technique_counts[SLOT_UNSOLVED], 0);
    int rating = t->remove_clues_returning_rating(static_cast<long>(std::time(nullptr)) + 600, 1);
    if (rating > 0) {
        EXPECT_GE(t->technique_counts[SLOT_GIVENS], 30);
        EXPECT_EQ(rating, t->rate_puzzle());
        // The kept clues still solve with naked singles and stay symmetric.
        t->apply_mask();
        EXPECT_EQ(t->solve(METHOD_NAKED_SINGLES), SOLVED);
    }
    // A deadline in the past stops before anything is removed.
    TestPuzzle late;
    prepare(late, 1);
    late->symmetry = 2;
    late->n_clues = 30;
    late->make_solvable_puzzle();
    const int before = clue_count(*late);
    EXPECT_EQ(late->remove_clues_returning_rating(static_cast<long>(std::time(nullptr)) - 5, 1), 0);
    EXPECT_EQ(clue_count(*late), before);
}

TEST(ClueRemoval, ConstructPuzzleLeavesAFinishedPuzzle) {
    Seeded seed(99);
    for (int quality : {0, 1, 2}) {
        for (int adjacency : {0, 1}) {
            TestPuzzle t;
            prepare(t, quality, adjacency);
            int result = t->construct_puzzle(static_cast<UI_QUALITY>(quality), MAP_SQUARE);
            ASSERT_GT(result, 0) << quality << " " << adjacency;
            EXPECT_EQ(t->are_neighbors_array, nullptr);
            const ParameterAtom& atom = clue_parameters_of(*t).ruling();
            const int clues = clue_count(*t);
            EXPECT_LE(clues, atom.max_n_clues);
            EXPECT_GE(clues, result);
            for (const PUZZLE_CELL& c : t->cells) EXPECT_EQ(c.status & STATUS_PROPAGATED, 0u);
            if (quality == 0 && adjacency == 0) {
                EXPECT_TRUE(result == 34 || result == 35);
            }
            // The clues alone solve up to the ceiling, so the solution is unique.
            t->define_are_neighbors_array();
            t->apply_mask();
            EXPECT_EQ(t->solve(atom.method()), SOLVED);
            for (const PUZZLE_CELL& c : t->cells) EXPECT_EQ(c.elim_bits, static_cast<uint32_t>(c.solution));
            EXPECT_NE(t->technique_counts[atom.technique], 0) << "the ruling technique was needed";
        }
    }
}

TEST(ClueRemoval, CancelAndHopelessBudgetsFail) {
    Seeded seed(5);
    TestPuzzle t;
    prepare(t, 1);
    t->cancelled = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(t->construct_puzzle(UI_QUALITY(1), MAP_SQUARE), -3) << "cancelled before any attempt";
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("make_puzzle FAILED -3: itries=0/100"), std::string::npos) << err;
    EXPECT_NE(err.find("technique_totals: by_mult=0"), std::string::npos);
}

}  // namespace
