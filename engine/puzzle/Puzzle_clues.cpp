// Clue removal: symmetric random clue sets, solved up to the difficulty's ceiling, thinned and rated.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "puzzle/Puzzle.h"
#include "puzzle/Puzzle_parameters.h"
#include "puzzle/clue_count.h"
#include "puzzle/clue_tries.h"
#include "puzzle/set_bit_array.h"
#include "util/comb_util.h"
#include "util/rand_utils.h"

namespace {

constexpr long kRemovalSeconds = 600;      // wall-clock bound of one thinning run
constexpr long kTimeoutMarkSeconds = 1190;  // reported as "timeout" in the failure report
constexpr long kLateAcceptSeconds = 595;    // hard difficulties keep a late best after a cancel

// Everything an attempt needs to restore: the cells and the solver's counters.
struct Snapshot {
    PUZZLE_CELL cells[N_CELLS];
    int counts[N_TECHNIQUE_COUNTS] = {};  // no technique until one is taken
};

void take(Snapshot& s, const Puzzle& p) {
    std::memcpy(s.cells, p.cells, sizeof s.cells);
    std::memcpy(s.counts, p.technique_counts, sizeof s.counts);
}

void restore(Puzzle& p, const Snapshot& s) {
    std::memcpy(p.cells, s.cells, sizeof s.cells);
    std::memcpy(p.technique_counts, s.counts, sizeof s.counts);
}

// What solve_clues did with the cells.
enum class Solved {
    kNo,            // the counter turned the clues down: the cells are as they were
    kYes,           // the solver ran: cells and counts are its own
    kSinglesAlone,  // (with `shortcut`) the counter found the singles solve the clues: nothing was set
};

// Solves the clues up to the ceiling, as `Puzzle::solve` does, unless they have a second solution.
// No technique can finish such a grid, since every one of them keeps the digits of all solutions,
// so the solver's long fruitless search is skipped and only its verdict is written: the counters
// of an unsolved grid with these givens. Thinning meets such clue sets at most of its steps.
// When cells `a` and `b` have just stopped being clues, only a solution that differs there can be a
// second one: the clues before had one solution, or the solver is run anyway.
// With `mask_first`, the cells are set to the clues (apply_mask) only when the solver runs: the
// counter reads nothing but the clue flags and the solution. With `shortcut` (for clue sets thinning
// keeps without reading their counts when the singles solve them alone), such a clue set is told
// apart without running the solver.
Solved solve_clues(Puzzle& p, METHOD_TYPE ceiling, const ClueCounter& counter, int a = -1, int b = -1,
                   const CellSet* clues = nullptr, bool mask_first = false, bool shortcut = false) {
    // The counter makes the clues' naked-single closure on its way; the solve starts from it.
    Puzzle::SinglesSeed seed;
    bool singles_alone = false;
    const bool two = a >= 0 ? counter.other_digit_at(p, a, b, clues, &seed, shortcut ? &singles_alone : nullptr)
                            : counter.second_solution(p);
    if (!two && singles_alone) return Solved::kSinglesAlone;
    if (!two) {
        if (mask_first) p.apply_mask();
        if (a >= 0 && seed.valid && !p.plain_paths) p.singles_seed = &seed;
        p.solve(ceiling);
        p.singles_seed = nullptr;
        return Solved::kYes;
    }
    std::memset(p.technique_counts, 0, sizeof p.technique_counts);
    p.technique_counts[SLOT_GIVENS] = p.count_mask();
    p.technique_counts[SLOT_UNSOLVED] = 1;
    return Solved::kNo;
}

// Whether every technique the difficulty asks for lies above the singles, so that a clue set the
// singles solve alone never qualifies and its exact counts are never read while thinning goes on.
bool singles_never_qualify(const ClueParameters& record, METHOD_TYPE ceiling) {
    if (ceiling <= METHOD_HIDDEN_SINGLES) return false;
    for (int k = 0; k < record.n_atoms; ++k) {
        const int t = record.listed(k).technique;
        if (t == METHOD_NAKED_SINGLES || t == METHOD_HIDDEN_SINGLES || t == ATOM_HIDDEN_SINGLE_GROUP ||
            t == ATOM_HIDDEN_SINGLE_LINE || t == SLOT_GIVENS || t == SLOT_UNSOLVED)
            return false;
    }
    return true;
}

}  // namespace

// The cell paired with cell k under the clue symmetry (itself when self-partnered or no symmetry).
static int partner_of(int symmetry, int k) {
    if (symmetry == 0) return (k / 9) * 9 + 8 - k % 9;
    if (symmetry == 1) return 80 - k;
    return k;
}

void Puzzle::set_symmetry() {
    uint32_t r = arc4random_uniform(8);
    symmetry = r == 0 ? 2 : (r == 1 ? 0 : 1);
}

void Puzzle::build_sym_pool() {
    sym_pool_count = 0;
    for (int k = 0; k < N_CELLS; ++k)
        if (k < partner_of(symmetry, k)) sym_pool[sym_pool_count++] = k;
}

void Puzzle::set_center() {
    if (symmetry == 2 || n_clues % 2 == 0) return;
    int k = symmetry == 1 ? 40 : static_cast<int>(arc4random_uniform(9)) * 9 + 4;
    cells[k].status = STATUS_CLUE;
    cells[k].elim_bits = static_cast<uint32_t>(cells[k].solution);
}

void Puzzle::init_mask() {
    for (PUZZLE_CELL& c : cells) {
        c.status = 0;
        c.elim_bits = ALL_DIGITS;
    }
    set_center();
}

bool Puzzle::long_run_of_clues() {
    int count[N_DIMENSIONS][9] = {};
    for (const PUZZLE_CELL& c : cells) {
        if (!(c.status & STATUS_CLUE)) continue;
        ++count[DIM_GROUP][c.group];
        ++count[DIM_ROW][c.row];
        ++count[DIM_COL][c.col];
        if (c.diag == 0) ++count[DIM_DIAG][0];
        if (c.anti_diag == 0) ++count[DIM_ANTI_DIAG][0];
    }
    const int dims = x_flag() ? N_DIMENSIONS : DIM_DIAG;
    for (int d = 0; d < dims; ++d)
        for (int h = 0; h < 9; ++h)
            if (count[d][h] >= 8) return true;
    return false;
}

void Puzzle::add_a_clue_or_two() {
    if (!next_added_clue || next_added_clue >= clue_order + N_CELLS || !*next_added_clue) return;
    PUZZLE_CELL* c = *next_added_clue++;
    for (int k : {index_of(c), partner_of(symmetry, index_of(c))}) {
        cells[k].status = STATUS_CLUE;
        cells[k].elim_bits = static_cast<uint32_t>(cells[k].solution);
    }
}

void Puzzle::apply_mask() {
    for (PUZZLE_CELL& c : cells) {
        if (c.status & STATUS_CLUE) {
            c.status = STATUS_CLUE;
            c.elim_bits = static_cast<uint32_t>(c.solution);
        } else {
            c.status = 0;
            c.elim_bits = ALL_DIGITS;
        }
    }
}

int Puzzle::count_mask() const {
    int n = 0;
    for (const PUZZLE_CELL& c : cells) n += (c.status & STATUS_CLUE) != 0;
    return n;
}

bool Puzzle::puzzle_is_solved() const { return all_cells_single(); }

void Puzzle::destroy_solution_if_no_mask() {
    for (PUZZLE_CELL& c : cells)
        if (c.status == 0) c.solution = 1;
}

void Puzzle::build_group_overlap() {
    std::memset(group_overlap, 0, sizeof group_overlap);
    for (const PUZZLE_CELL& c : cells) {
        // Stored cells come from outside; a house word out of range meets nothing.
        if (c.row < 0 || c.row > 8 || c.col < 0 || c.col > 8 || c.group < 0 || c.group > 8) continue;
        group_overlap[0][9 * c.row + c.group] = 1;
        group_overlap[1][9 * c.col + c.group] = 1;
        if (x_flag()) {
            if (c.diag == 0) group_overlap[2][c.group] = 1;
            if (c.anti_diag == 0) group_overlap[3][c.group] = 1;
        }
    }
}

void Puzzle::set_initial_clues(int count) {
    const bool sym = symmetry != 2;
    int pool[N_CELLS];
    int pool_size = 0;
    if (sym) {
        for (int i = 0; i < sym_pool_count; ++i) pool[pool_size++] = sym_pool[i];
    } else {
        for (int k = 0; k < N_CELLS; ++k) pool[pool_size++] = k;
    }
    int picks = sym ? count / 2 : count;
    if (picks > pool_size) picks = pool_size;
    if (picks < 0) picks = 0;
    n_picks = picks;
    do {
        init_mask();
        for (PUZZLE_CELL*& c : clue_order) c = nullptr;
        int perm[N_CELLS];
        initialize_comb(pool_size, perm);
        random_combination(pool_size, pool_size, perm);
        for (int i = 0; i < pool_size; ++i) {
            const int k = pool[perm[i]];
            clue_order[i] = &cells[k];
            if (i < picks) {
                cells[k].status = STATUS_CLUE;
                cells[partner_of(symmetry, k)].status = STATUS_CLUE;
            }
        }
    } while (long_run_of_clues());
    clue_order_start = clue_order;
    next_added_clue = clue_order + picks;
}

// Every ceiling starts from a generous clue set, made solvable, then thinned toward the target.
// A random set drawn right at a hard target (23 to 27 clues on the box map) almost never has a
// unique solution (none in several thousand draws), so testing such sets alone would leave the
// hard difficulties without puzzles.
int Puzzle::initial_clue_count() const { return symmetry == 2 ? 40 : 40 + n_clues % 2; }

void Puzzle::make_solvable_puzzle() {
    set_initial_clues(initial_clue_count());
    solve_drawn_clues();
}

void Puzzle::solve_drawn_clues() {
    const ParameterAtom& atom = clue_parameters_of(*this).ruling();
    count_mask();
    apply_mask();
    const auto ceiling = static_cast<METHOD_TYPE>(atom.technique);
    std::unique_ptr<ClueCounter> own_counter;
    const ClueCounter& counter = counter_for(*this, own_counter);
    solve_clues(*this, ceiling, counter);
    while (technique_counts[SLOT_UNSOLVED] != 0 && !cancel_requested()) {
        PUZZLE_CELL** before = next_added_clue;
        add_a_clue_or_two();
        if (next_added_clue == before) break;  // the pool is spent
        solve_clues(*this, ceiling, counter);
    }
}

int Puzzle::remove_clues_returning_rating(long deadline, int passes) {
    const ParameterAtom& atom = clue_parameters_of(*this).ruling();
    const auto ceiling = static_cast<METHOD_TYPE>(atom.technique);
    Snapshot last, best;
    int best_rating = 0;
    bool improved = false;
    int givens = technique_counts[SLOT_GIVENS];
    if (givens <= n_clues) {
        if (technique_counts[SLOT_UNSOLVED] != 0 || !at_least_one_technique_for_difficulty(technique_counts))
            return 0;
        int r = rate_puzzle(technique_counts);
        return r > 0 ? r : 0;
    }
    int order[N_CELLS];
    for (int i = 0; i < n_picks; ++i) order[i] = i;
    if (passes <= 0) return 0;
    const bool sym = symmetry != 2;
    std::unique_ptr<ClueCounter> own_counter;
    const ClueCounter& counter = counter_for(*this, own_counter);
    // The clue cells, kept up as clues go and come back, and the solution read once for the counter.
    CellSet clue_set;
    for (int k = 0; k < N_CELLS; ++k)
        if (cells[k].status & STATUS_CLUE) clue_set.add(k);
    const bool solution_read = counter.check_solution(*this);
    // Clue sets the singles solve alone are kept without running the solver: they have one solution
    // and never qualify, so all that thinning reads of them is that they were solved. Should such a
    // set be the last one the cells were solved for, it is solved for real at the end of the pass,
    // so the cells and counts left behind are the solver's.
    const bool singles_shortcut = solution_read && !plain_paths && singles_never_qualify(clue_parameters_of(*this), ceiling);
    for (int p = 0; p < passes; ++p) {
        if (p > 0) random_combination(n_picks, n_picks, order);
        bool kept = false;
        bool unsolved_cells = false;  // the cells are not yet solved for the last set kept by the shortcut
        bool counts_owed = false;     // and the counts are those of that set
        auto settle = [&] {
            if (!unsolved_cells) return;
            // Every step since has turned its clue set down without touching the cells, so the
            // clues are those of the set kept.
            int counts[N_TECHNIQUE_COUNTS];
            std::memcpy(counts, technique_counts, sizeof counts);
            apply_mask();
            solve(ceiling);
            if (!counts_owed) std::memcpy(technique_counts, counts, sizeof counts);
            unsolved_cells = counts_owed = false;
        };
        for (int i = 0; i < n_picks; ++i) {
            if (givens <= n_clues) break;
            if (std::time(nullptr) > deadline) {
                settle();
                return 0;
            }
            PUZZLE_CELL* c = clue_order[order[i]];
            if (!c || !(c->status & STATUS_CLUE)) continue;  // already taken out in an earlier pass
            const int k = index_of(c), partner = partner_of(symmetry, k);
            const int step = sym && partner != k ? 2 : 1;
            cells[k].status = 0;
            cells[partner].status = 0;
            clue_set.remove(k);
            clue_set.remove(partner);
            givens -= step;
            // A clue set with a second solution leaves the cells as they are: what they hold after a
            // rejected step is never read (the next step sets them, a kept one is a snapshot).
            const Solved solved =
                solve_clues(*this, ceiling, counter, k, partner, solution_read ? &clue_set : nullptr, true, singles_shortcut);
            if (solved == Solved::kSinglesAlone) {
                std::memset(technique_counts, 0, sizeof technique_counts);
                technique_counts[SLOT_GIVENS] = givens;
                // Such a snapshot is never rated, so its cells are never read: only its counts are taken.
                if (!at_least_one_technique_for_difficulty(last.counts))
                    std::memcpy(last.counts, technique_counts, sizeof last.counts);
                kept = true;
                unsolved_cells = counts_owed = true;
                continue;
            }
            if (solved == Solved::kYes) unsolved_cells = false;
            counts_owed = false;
            if (technique_counts[SLOT_UNSOLVED] != 0) {
                cells[k].status = STATUS_CLUE;
                cells[partner].status = STATUS_CLUE;
                clue_set.add(k);
                clue_set.add(partner);
                givens += step;
                continue;
            }
            const bool qualifies =
                at_least_one_technique_for_difficulty(technique_counts) && rate_puzzle(technique_counts) > 0;
            if (qualifies || !at_least_one_technique_for_difficulty(last.counts)) take(last, *this);
            kept = true;
        }
        if (kept && at_least_one_technique_for_difficulty(last.counts)) {
            int rating = rate_puzzle(last.counts);
            if (rating > best_rating) {
                best = last;
                best_rating = rating;
                improved = true;
            }
        }
        settle();
    }
    if (improved) restore(*this, best);
    return best_rating;
}

int Puzzle::make_puzzle(UI_QUALITY effort) {
    const ParameterAtom& atom = clue_parameters_of(*this).ruling();
    const int tries = atom.tries[effort >= 0 && effort <= 2 ? effort : 2];
    int too_many[N_CELLS + 1] = {};
    const time_t start = std::time(nullptr);
    int best = 0, itries = 0, fewest = 81, wrong = 0, unremovable = 0;
    int totals[6] = {};
    static constexpr int kTotalSlots[6] = {3, 4, 7, 10, 11, 5};
    Snapshot* kept = static_cast<Snapshot*>(std::malloc(sizeof(Snapshot)));
    if (!kept) std::abort();

    // One try's outcome, in try order: the best rating so far is kept, the others are tallied for
    // the failure report.
    auto fold = [&](int r, const int* counts) {
        const int givens = counts[SLOT_GIVENS];
        if (r > best) {
            take(*kept, *this);
            best = r;
            if (atom.stop_at_target && givens == n_clues) return false;
        } else {
            if (givens < fewest) fewest = givens;
            if (givens > atom.max_n_clues)
                ++too_many[givens <= N_CELLS ? givens : N_CELLS];
            else if (!at_least_one_technique_for_difficulty(counts))
                ++wrong;
            else
                ++unremovable;
            for (int t = 0; t < 6; ++t) totals[t] += counts[kTotalSlots[t]];
        }
        ++itries;
        return true;
    };
    if (atom.stop_at_target) {
        // Whether a try ends the search depends on the try before it: one after the other.
        while (itries < tries) {
            if (cancel_requested()) break;
            make_solvable_puzzle();
            const int r = remove_clues_returning_rating(static_cast<long>(std::time(nullptr)) + kRemovalSeconds, 1);
            if (!fold(r, technique_counts)) break;
        }
    } else {
        // Every try is run, and a try's random draws do not depend on what earlier tries found:
        // they are drawn here in order and solved on as many threads as the machine spares. Each
        // outcome is brought into this puzzle's cells and counts before it is folded, so what stays
        // behind is what one thread would have left.
        run_clue_tries(*this, tries, [&](int r) {
            if (cancel_requested()) return false;
            return fold(r, technique_counts);
        });
    }

    if (best > 0) {
        if (cancel_requested()) {
            const long elapsed = static_cast<long>(std::time(nullptr) - start);
            const bool late_ok = quality >= 7 && (elapsed >= kLateAcceptSeconds || kept->counts[SLOT_GIVENS] <= n_clues + 2);
            if (!late_ok) {
                std::free(kept);
                return -4;
            }
        }
        restore(*this, *kept);
        std::free(kept);
        std::fprintf(stderr, "make_puzzle: itries=%d/%d rating=%d nclues=%d x_wing=%d\n", itries, tries, best,
                     technique_counts[SLOT_GIVENS], technique_counts[METHOD_X_WING]);
        return n_clues;
    }
    std::free(kept);
    const long elapsed = static_cast<long>(std::time(nullptr) - start);
    std::fprintf(stderr, "make_puzzle FAILED -3: itries=%d/%d timeout=%s technique=%d difficulty=%d too_many_clues={ ",
                 itries, tries, elapsed > kTimeoutMarkSeconds ? "yes" : "no", atom.technique,
                 static_cast<int>(quality));
    for (int j = 0; j <= N_CELLS; ++j)
        if (too_many[j] > 0) std::fprintf(stderr, "%d:%d ", j, too_many[j]);
    std::fprintf(stderr, "} wrong_technique=%d no_removable=%d min_clues=%d max_allowed=%d\n", wrong, unremovable,
                 fewest, atom.max_n_clues);
    std::fprintf(stderr, "  technique_totals: by_mult=%d dbl_restr=%d x_wing=%d x_chain=%d xy_chain=%d als=%d\n",
                 totals[0], totals[1], totals[2], totals[3], totals[4], totals[5]);
    return -3;
}

int Puzzle::construct_puzzle(UI_QUALITY, MAP_TYPE) {
    define_are_neighbors_array();
    // The houses stay as they are for the whole generation: their peer sets are made once.
    if (build_peer_sets()) peers_state = PEERS_KEPT;
    forget_failures();
    set_n_clues(static_cast<UI_QUALITY>(2));  // the plain draw
    set_symmetry();
    if (symmetry != 2) build_sym_pool();
    build_group_overlap();
    const ClueCounter counter(*this);
    kept_counter = &counter;
    int result = make_puzzle(static_cast<UI_QUALITY>(2));
    kept_counter = nullptr;
    for (PUZZLE_CELL& c : cells) c.status &= STATUS_CLUE;
    std::free(are_neighbors_array);
    are_neighbors_array = nullptr;
    peers_state = PEERS_NONE;
    return result;
}
