// The solver's quick routes reach what its plain ones reach: propagation on cell sets against the
// passes, counted hidden singles against the cell-by-cell scan, a clue counter that remembers
// second solutions against a fresh one (asked through the cells or a clue set), the counter's
// singles against the solver's, and tries on helper threads against one thread.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "ffi/quorvel.h"
#include "puzzle/clue_count.h"
#include "puzzle/clue_tries.h"
#include "support/puzzle_builder.h"
#include "support/random_grids.h"

namespace {

void lay_out_grid(TestPuzzle& t, const SolvedGrid& g, int x) {
    Matrix<int, 9> map{};
    for (int k = 0; k < 81; ++k) map[k / 9][k % 9] = g.groups[k / 9][k % 9];
    lay_out(t.p, x, map);
    for (int k = 0; k < 81; ++k) t->cells[k].solution = 1 << g.digits[k];
}

// A state the solver can meet, and some it meets only on broken or contradictory input: clues,
// candidates thinned at random (the solution's digit too, now and then), singles flagged as
// propagated at random.
void random_state(TestPuzzle& t, const SolvedGrid& g, int n_clues, bool break_solution) {
    const std::array<int, 81> clues = random_clues(g, n_clues);
    for (int k = 0; k < 81; ++k) {
        PUZZLE_CELL& c = t->cells[k];
        c.status = clues[k] ? STATUS_CLUE : 0;
        uint32_t bits = clues[k] ? 1u << clues[k] : ALL_DIGITS;
        if (!clues[k] && arc4random_uniform(3) == 0) {
            bits &= ~(1u << (1 + arc4random_uniform(9)));
            if (!break_solution) bits |= 1u << g.digits[k];
        }
        c.elim_bits = bits;
        if ((bits & (bits - 1)) == 0 && arc4random_uniform(4) == 0) c.status |= STATUS_PROPAGATED;
    }
}

// Marks the clue cells of `clues` (0: none) in p and returns them as a set.
CellSet mark_clues(Puzzle& p, const std::array<int, 81>& clues) {
    CellSet given;
    for (int k = 0; k < 81; ++k) {
        p.cells[k].status = clues[k] ? STATUS_CLUE : 0;
        if (clues[k]) given.add(k);
    }
    return given;
}

// Calls f(kind, grid, puzzle) for a random solved grid of each kind (square or jigsaw, with or
// without diagonals), laid out in the puzzle.
template <typename F>
void for_each_kind(F f) {
    for (int kind = 0; kind < 4; ++kind) {
        const SolvedGrid g = random_solved_grid(kind / 2, kind % 2);
        TestPuzzle t;
        lay_out_grid(t, g, kind % 2);
        f(kind, g, t);
    }
}

struct Cells {
    uint32_t bits[81], status[81];
    explicit Cells(const Puzzle& p) {
        for (int k = 0; k < 81; ++k) bits[k] = p.cells[k].elim_bits, status[k] = p.cells[k].status;
    }
    bool operator==(const Cells& o) const {
        return std::memcmp(bits, o.bits, sizeof bits) == 0 && std::memcmp(status, o.status, sizeof status) == 0;
    }
};

}  // namespace

TEST(SolverFastPaths, PropagationAndHiddenSinglesMatchThePlainScans) {
    rand_seed_thread(9090);
    int ran_dry = 0, hidden_found = 0, states = 0;
    for (int kind = 0; kind < 4; ++kind) {
        const SolvedGrid g = random_solved_grid(kind / 2, kind % 2);
        for (int t = 0; t < 150; ++t) {
            TestPuzzle plain, quick;
            lay_out_grid(plain, g, kind % 2);
            random_state(plain, g, 18 + t % 20, t % 5 == 4);
            std::memcpy(static_cast<void*>(quick.p->cells), plain.p->cells, sizeof plain.p->cells);
            lay_out_grid(quick, g, kind % 2);  // same houses; the cells' play state copied above stays
            std::memcpy(static_cast<void*>(quick.p->cells), plain.p->cells, sizeof plain.p->cells);
            ASSERT_TRUE(quick->build_peer_sets()) << "kind " << kind;
            plain->peers_state = PEERS_NONE;
            // Propagation, then hidden singles, then propagation again from what they decided.
            for (int round = 0; round < 3; ++round) {
                const bool a = plain->exhaustive_simple_elimination();
                const bool b = quick->exhaustive_simple_elimination();
                ASSERT_EQ(a, b) << "kind " << kind << " state " << t << " round " << round;
                ASSERT_TRUE(Cells(*plain) == Cells(*quick)) << "kind " << kind << " state " << t << " round " << round;
                std::memset(plain->technique_counts, 0, sizeof plain->technique_counts);
                std::memset(quick->technique_counts, 0, sizeof quick->technique_counts);
                const bool ha = plain->simplify(METHOD_HIDDEN_SINGLES);
                const bool hb = quick->simplify(METHOD_HIDDEN_SINGLES);
                ASSERT_EQ(ha, hb) << "kind " << kind << " state " << t << " round " << round;
                ASSERT_TRUE(Cells(*plain) == Cells(*quick));
                ASSERT_EQ(0, std::memcmp(plain->technique_counts, quick->technique_counts, sizeof plain->technique_counts));
                hidden_found += ha;
            }
            for (const PUZZLE_CELL& c : plain->cells) ran_dry += c.elim_bits == 0;
            ++states;
        }
    }
    // The sample reaches cells that run dry (where the order of the passes decides) and hidden singles.
    EXPECT_GT(ran_dry, 20);
    EXPECT_GT(hidden_found, states);
}

// A counter asked many times about one grid answers as a fresh one does, though it skips the search
// whenever a second solution it found before fits.
TEST(ClueCounter, RememberedSecondSolutionsChangeNoAnswer) {
    rand_seed_thread(4343);
    int remembered_yes = 0;
    for_each_kind([&](int kind, const SolvedGrid& g, TestPuzzle& t) {
        const ClueCounter kept(*t);
        for (int q = 0; q < 120; ++q) {
            mark_clues(*t, random_clues(g, 20 + q % 16));
            const ClueCounter fresh(*t);
            ASSERT_EQ(kept.second_solution(*t), fresh.second_solution(*t)) << "kind " << kind << " query " << q;
            const int a = static_cast<int>(arc4random_uniform(81)), b = static_cast<int>(arc4random_uniform(81));
            const uint32_t sa = t->cells[a].status, sb = t->cells[b].status;
            t->cells[a].status = t->cells[b].status = 0;
            const ClueCounter fresh_too(*t);
            const bool answer = fresh_too.other_digit_at(*t, a, b);
            int known[81];
            for (int k = 0; k < 81; ++k) known[k] = g.digits[k] - 1;
            CellSet given, at;
            for (int k = 0; k < 81; ++k)
                if (t->cells[k].status & STATUS_CLUE) given.add(k);
            at.add(a);
            at.add(b);
            remembered_yes += kept.knows_other(known, given, at);
            ASSERT_EQ(kept.other_digit_at(*t, a, b), answer) << "kind " << kind << " query " << q;
            // Named by a clue set instead of read from the cells: the same answer.
            ASSERT_TRUE(kept.check_solution(*t));
            ASSERT_EQ(kept.other_digit_at(*t, a, b, &given), answer) << "kind " << kind << " query " << q;
            t->cells[a].status = sa;
            t->cells[b].status = sb;
        }
        // Second solutions were remembered along the way.
        EXPECT_GT(kept.n_other, 0);
    });
    EXPECT_GT(remembered_yes, 10);
}

// Thinning keeps clue sets the singles solve alone without running the solver, on the counter's
// word: its closure of naked and hidden singles must finish a grid exactly when the solver's do.
TEST(ClueCounter, SinglesFinishExactlyWhenTheSolversSinglesDo) {
    rand_seed_thread(5151);
    int finished = 0, short_of = 0;
    for_each_kind([&](int kind, const SolvedGrid& g, TestPuzzle& t) {
        const ClueCounter counter(*t);
        for (int q = 0; q < 150; ++q) {
            const std::array<int, 81> clues = random_clues(g, 22 + q % 18);
            const CellSet given = mark_clues(*t, clues);
            ASSERT_TRUE(counter.check_solution(*t));
            int open = 0;
            while (clues[open]) ++open;
            bool alone = false;
            const bool other = counter.other_digit_at(*t, open, open, &given, nullptr, &alone);
            if (alone) {
                ASSERT_FALSE(other);
            }
            t->build_group_overlap();
            t->apply_mask();
            ASSERT_EQ(alone, t->solve(METHOD_HIDDEN_SINGLES) == SOLVED) << "kind " << kind << " set " << q;
            (alone ? finished : short_of) += 1;
        }
    });
    EXPECT_GT(finished, 60);
    EXPECT_GT(short_of, 60);
}

// The same seed gives the same puzzles whether the tries run on one thread or on several.
TEST(GenerationThreads, OneThreadOrSeveralMakeTheSamePuzzles) {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    auto make = [](int threads, int jigsaw, int x, int quality) {
        set_clue_try_threads(threads);
        rand_seed_thread(5150 + 10 * jigsaw + x);
        SudokuHandle* h = sudoku_new();
        std::vector<int> out;
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(sudoku_generate(h, jigsaw, x, quality, 0), 1);
            for (int k = 0; k < 81; ++k) out.push_back(h->cells[k].status & STATUS_CLUE ? h->cells[k].solution : 0);
        }
        sudoku_free(h);
        return out;
    };
    for (int kind = 0; kind < 4; ++kind) {
        const int quality = kind == 0 ? 2 : 4;
        const std::vector<int> one = make(1, kind / 2, kind % 2, quality);
        EXPECT_EQ(make(2, kind / 2, kind % 2, quality), one) << "kind " << kind;
        EXPECT_EQ(make(3, kind / 2, kind % 2, quality), one) << "kind " << kind;
    }
    set_clue_try_threads(0);
    sudoku_set_group_maps_dir(nullptr);
}

// Clue removal's quick routes (clue sets the singles solve alone kept without the solver, the last
// of them solved at the end of a pass; solves started from the counter's closure) leave the same
// puzzles, counts and cells as solving every clue set from its clues.
TEST(GenerationFastPaths, ThinningMakesWhatSolvingEveryClueSetMakes) {
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    auto make = [](bool plain, int jigsaw, int x, int quality) {
        rand_seed_thread(6160 + 10 * jigsaw + x + 100 * quality);
        SudokuHandle* h = sudoku_new();
        h->plain_paths = plain;
        std::vector<int> out;
        for (int i = 0; i < 2; ++i) {
            out.push_back(sudoku_generate(h, jigsaw, x, quality, 0));  // failures, too, must match
            for (const PUZZLE_CELL& c : h->cells) out.push_back(c.status & STATUS_CLUE ? c.solution : 0);
            out.insert(out.end(), h->technique_counts, h->technique_counts + N_TECHNIQUE_COUNTS);
        }
        sudoku_free(h);
        return out;
    };
    for (int quality : {3, 4, 6})
        for (int kind = 0; kind < 4; ++kind)
            EXPECT_EQ(make(true, kind / 2, kind % 2, quality), make(false, kind / 2, kind % 2, quality))
                << "kind " << kind << " quality " << quality;
    sudoku_set_group_maps_dir(nullptr);
}

// Whole solves up to the hardest levels, on unique and on many-solution clue sets of every kind:
// the quick routes (set propagation, counted hidden singles, peer intersections, the memo of failed
// fish and chain searches, chains on cell sets) end with the same candidates and counts as the
// ring walks.
TEST(SolverFastPaths, WholeSolvesMatchTheRingWalks) {
    rand_seed_thread(2718);
    const METHOD_TYPE levels[] = {METHOD_SUBSETS, METHOD_X_WING, METHOD_FINNED_FISH, METHOD_FORCING_NET};
    int solved = 0, stuck = 0, seeded_solves = 0, fired[N_TECHNIQUE_COUNTS] = {};
    for (int kind = 0; kind < 4; ++kind) {
        const SolvedGrid g = random_solved_grid(kind / 2, kind % 2);
        for (int t = 0; t < 40; ++t) {
            const std::array<int, 81> clues = random_clues(g, 21 + t % 12);
            const METHOD_TYPE level = levels[t % 4];
            TestPuzzle quick, plain;
            for (TestPuzzle* tp : {&quick, &plain}) {
                lay_out_grid(*tp, g, kind % 2);
                for (int k = 0; k < 81; ++k) (*tp)->cells[k].status = clues[k] ? STATUS_CLUE : 0;
                (*tp)->build_group_overlap();
                (*tp)->apply_mask();
            }
            plain->plain_paths = true;
            const int a = quick->solve(level), b = plain->solve(level);
            ASSERT_EQ(a, b) << "kind " << kind << " set " << t;
            ASSERT_TRUE(Cells(*quick) == Cells(*plain)) << "kind " << kind << " set " << t;
            ASSERT_EQ(0, std::memcmp(quick->technique_counts, plain->technique_counts, sizeof quick->technique_counts))
                << "kind " << kind << " set " << t;
            (a == SOLVED ? solved : stuck) += 1;
            for (int m = 0; m < N_TECHNIQUE_COUNTS; ++m) fired[m] += quick->technique_counts[m] > 0;

            // Started from the naked-single closure the clue counter makes on its way: the same solve.
            TestPuzzle seeded;
            lay_out_grid(seeded, g, kind % 2);
            const CellSet given = mark_clues(*seeded, clues);
            seeded->build_group_overlap();
            seeded->apply_mask();
            const ClueCounter counter(*seeded);
            ASSERT_TRUE(counter.check_solution(*seeded));
            int open = 0;
            while (clues[open]) ++open;
            Puzzle::SinglesSeed seed;
            counter.other_digit_at(*seeded, open, open, &given, &seed);
            if (!seed.valid) continue;
            seeded->singles_seed = &seed;
            ASSERT_EQ(a, seeded->solve(level)) << "kind " << kind << " set " << t;
            ASSERT_EQ(nullptr, seeded->singles_seed);
            ASSERT_TRUE(Cells(*quick) == Cells(*seeded)) << "kind " << kind << " set " << t;
            ASSERT_EQ(0, std::memcmp(quick->technique_counts, seeded->technique_counts, sizeof quick->technique_counts))
                << "kind " << kind << " set " << t;
            ++seeded_solves;
        }
    }
    EXPECT_GT(solved, 10);
    EXPECT_GT(stuck, 10);
    EXPECT_GT(seeded_solves, 100);
    // The sample reaches the techniques with quick routes of their own.
    for (int m : {METHOD_HIDDEN_SINGLES, METHOD_X_WING, METHOD_X_CHAIN, METHOD_TURBOT, METHOD_FRANKEN_FISH,
                  METHOD_FINNED_FISH, METHOD_FORCING_NET})
        EXPECT_GT(fired[m], 0) << "technique " << m;
}
