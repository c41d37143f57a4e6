// The exported play calls: answers with candidate upkeep, pencil marks, the digit assistant,
// progress reads, the x diagonals and bad input.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "ffi/quorvel.h"
#include "maps/square_group_map.h"
#include "puzzle/Puzzle.h"

namespace {

const char* kSolution =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

struct Handle {
    Puzzle* h = sudoku_new();
    ~Handle() { sudoku_free(h); }
};

// 30 clues spread over the grid (7 is prime to 81, so k * 7 % 81 runs through every residue once).
bool default_clue(int k) { return k * 7 % 81 < 30; }

// A square game in playing form, as a generation call leaves it: clues show their digit, the
// other cells are empty.
void make_game(Puzzle* h, int adjacency, bool (*clue)(int) = default_clue) {
    h->setup(square_group_map);
    h->adjacency = adjacency ? ADJ_X : ADJ_REGULAR;
    h->define_are_neighbors_array();
    h->setup_ptrs_first_in_dims();
    for (int k = 0; k < N_CELLS; ++k) {
        PUZZLE_CELL& c = h->cells[k];
        c.solution = kSolution[k] - '0';
        c.status = clue(k) ? 1 : 0;
        c.elim_bits = c.status ? 1u << c.solution : 0;
        c.user_answer = 0;
        c.small_mode = 0;
        c.reserved = 0;
    }
}

// Whether two different cells share a house, worked out from coordinates alone (not the rings).
bool sees(int a, int b, bool x) {
    if (a == b) return false;
    int ra = a / 9, ca = a % 9, rb = b / 9, cb = b % 9;
    if (ra == rb || ca == cb) return true;
    if (ra / 3 == rb / 3 && ca / 3 == cb / 3) return true;
    if (x && ra == ca && rb == cb) return true;
    if (x && ra + ca == 8 && rb + cb == 8) return true;
    return false;
}

bool shows(const PUZZLE_CELL& c, int d) { return c.user_answer == d || (c.status && c.solution == d); }

// The digits none of the houses of cell k shows, as a mask.
unsigned unseen_digits(const Puzzle* h, int k) {
    unsigned mask = ALL_DIGITS;
    for (int j = 0; j < N_CELLS; ++j)
        if (sees(k, j, h->x_flag()))
            for (int d = 1; d <= 9; ++d)
                if (shows(h->cells[j], d)) mask &= ~(1u << d);
    return mask;
}

// A cell that shows no digit: the candidate upkeep may give digits back to it.
bool shows_nothing(const PUZZLE_CELL& c) { return !c.status && c.user_answer == 0; }

std::vector<PUZZLE_CELL> snapshot(const Puzzle* h) { return {h->cells, h->cells + N_CELLS}; }

bool same_cell(const PUZZLE_CELL& a, const PUZZLE_CELL& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Cell 20 lies on the main diagonal, cell 40 on both diagonals; cells 5..11 are in the top rows.
// None of them is a clue.
constexpr int kDiagCell = 20;
constexpr int kCentre = 40;
constexpr int kOpen = 5;

int lowest_digit(unsigned mask) {
    for (int d = 1; d <= 9; ++d)
        if (mask & (1u << d)) return d;
    return 0;
}

class PlayAnswer : public ::testing::TestWithParam<int> {};

TEST_P(PlayAnswer, ChangingFourToSevenRestoresFourOnlyWhereNoOtherFourIsSeen) {
    Handle a;
    make_game(a.h, GetParam());
    ASSERT_FALSE(a.h->cells[kDiagCell].status);
    sudoku_digit_assistant_all(a.h);
    sudoku_set_user_answer(a.h, kDiagCell, 4, 0, 1);
    for (int j = 0; j < N_CELLS; ++j) {
        if (sees(kDiagCell, j, a.h->x_flag())) {
            ASSERT_FALSE(a.h->cells[j].elim_bits & (1u << 4)) << j;
        }
    }

    const auto before = snapshot(a.h);
    sudoku_set_user_answer(a.h, kDiagCell, 7, 4, 1);
    const PUZZLE_CELL& cell = a.h->cells[kDiagCell];
    EXPECT_EQ(cell.user_answer, 7);
    EXPECT_EQ(cell.elim_bits, 1u << 7);

    int regained = 0, still_blocked = 0;
    for (int j = 0; j < N_CELLS; ++j) {
        const PUZZLE_CELL& p = a.h->cells[j];
        if (j == kDiagCell) continue;
        if (!sees(kDiagCell, j, a.h->x_flag())) {
            EXPECT_TRUE(same_cell(p, before[j])) << "cell " << j << " is no neighbour";
            continue;
        }
        EXPECT_FALSE(p.elim_bits & (1u << 7)) << "neighbour " << j << " keeps 7";
        if (!shows_nothing(p)) continue;
        bool other_four = (unseen_digits(a.h, j) & (1u << 4)) == 0;
        EXPECT_EQ((p.elim_bits & (1u << 4)) != 0, !other_four) << "neighbour " << j;
        // Nothing but 4 and 7 moves in a neighbour's marks.
        EXPECT_EQ(p.elim_bits & ~(1u << 4), before[j].elim_bits & ~(1u << 4) & ~(1u << 7)) << j;
        (other_four ? still_blocked : regained)++;
    }
    EXPECT_GT(regained, 0);
    EXPECT_GT(still_blocked, 0);
}

TEST_P(PlayAnswer, RemovingAnAnswerLeavesTheCellsOwnMarksAtTheUnseenDigits) {
    Handle a;
    make_game(a.h, GetParam());
    sudoku_digit_assistant_all(a.h);
    sudoku_set_user_answer(a.h, kCentre, 5, 0, 1);
    // Another answer in the centre's row, of a digit nothing else there shows.
    const int row_cell = 39, other = lowest_digit(unseen_digits(a.h, kCentre) & ~(1u << 5));
    ASSERT_FALSE(a.h->cells[row_cell].status);
    ASSERT_NE(other, 0);
    sudoku_set_user_answer(a.h, row_cell, other, 0, 1);
    sudoku_set_user_answer(a.h, kCentre, 0, 5, 1);
    const PUZZLE_CELL& c = a.h->cells[kCentre];
    EXPECT_EQ(c.user_answer, 0);
    EXPECT_EQ(c.elim_bits, unseen_digits(a.h, kCentre));
    EXPECT_FALSE(c.elim_bits & (1u << other)) << "an answer in the row counts like a clue";
    for (int j = 0; j < N_CELLS; ++j) {
        if (sees(kCentre, j, a.h->x_flag()) && shows_nothing(a.h->cells[j])) {
            EXPECT_EQ((a.h->cells[j].elim_bits >> 5) & 1, (unseen_digits(a.h, j) >> 5) & 1) << j;
        }
    }
}

TEST_P(PlayAnswer, WithoutPropagationOnlyTheAnswerWordChanges) {
    Handle a;
    make_game(a.h, GetParam());
    sudoku_digit_assistant_all(a.h);
    sudoku_set_user_answer(a.h, kDiagCell, 4, 0, 1);
    auto before = snapshot(a.h);
    sudoku_set_user_answer(a.h, kDiagCell, 7, 4, 0);
    before[kDiagCell].user_answer = 7;
    for (int j = 0; j < N_CELLS; ++j) EXPECT_TRUE(same_cell(a.h->cells[j], before[j])) << j;
}

INSTANTIATE_TEST_SUITE_P(PlayRegularAndX, PlayAnswer, ::testing::Values(0, 1));

TEST(PlayDiagonals, OnlyTheXGameSpreadsAnAnswerAlongTheDiagonals) {
    for (int adjacency : {0, 1}) {
        Handle a;
        make_game(a.h, adjacency, [](int) { return false; });
        sudoku_digit_assistant_all(a.h);
        sudoku_set_user_answer(a.h, kCentre, 3, 0, 1);
        // 0 and 80 lie on the main diagonal, 8, 56 and 72 on the other; none shares a line or box
        // with 40.
        for (int j : {0, 80, 8, 56, 72})
            EXPECT_EQ((a.h->cells[j].elim_bits >> 3) & 1, adjacency ? 0u : 1u) << adjacency << " " << j;
        EXPECT_FALSE(a.h->cells[41].elim_bits & (1u << 3));
        // With a 3 on cell 0 as well, withdrawing the centre's 3 gives it back to cell 56 (which
        // does not see cell 0) but not to 80, which sees cell 0 along the diagonal; the centre
        // itself sees cell 0 only in the x game.
        sudoku_set_user_answer(a.h, 0, 3, 0, 1);
        sudoku_set_user_answer(a.h, kCentre, 0, 3, 1);
        EXPECT_EQ((a.h->cells[80].elim_bits >> 3) & 1, adjacency ? 0u : 1u);
        EXPECT_EQ((a.h->cells[56].elim_bits >> 3) & 1, 1u);
        EXPECT_EQ((a.h->cells[kCentre].elim_bits >> 3) & 1, adjacency ? 0u : 1u);
    }
}

TEST(PlayMarks, ToggleFlipsOneDigitAndZeroClearsAll) {
    Handle a;
    make_game(a.h, 0);
    const int k = kOpen;
    a.h->cells[k].elim_bits = (1u << 2) | (1u << 9);
    sudoku_toggle_elim_bit(a.h, k, 9);
    sudoku_toggle_elim_bit(a.h, k, 5);
    EXPECT_EQ(a.h->cells[k].elim_bits, (1u << 2) | (1u << 5));
    sudoku_toggle_elim_bit(a.h, k, 0);
    EXPECT_EQ(a.h->cells[k].elim_bits, 0u);
    sudoku_toggle_small_mode(a.h, k);
    EXPECT_EQ(a.h->cells[k].small_mode, 1);
    sudoku_toggle_small_mode(a.h, k);
    EXPECT_EQ(a.h->cells[k].small_mode, 0);
}

TEST(PlayAssistant, AllFillsEveryOpenCellWithWhatItsHousesLeave) {
    for (int adjacency : {0, 1}) {
        Handle a;
        make_game(a.h, adjacency);
        const int answered = kOpen, pencil_answered = kOpen + 1, marked = kOpen + 2;
        ASSERT_FALSE(a.h->cells[answered].status || a.h->cells[pencil_answered].status ||
                     a.h->cells[marked].status);
        a.h->cells[answered].user_answer = 9;  // a wrong answer still counts as shown
        a.h->cells[pencil_answered].user_answer = 1;
        a.h->cells[pencil_answered].small_mode = 1;
        a.h->cells[marked].elim_bits = 1u << 4;
        sudoku_digit_assistant_all(a.h);

        EXPECT_EQ(a.h->cells[answered].user_answer, 9);
        EXPECT_EQ(a.h->cells[answered].small_mode, 0);
        EXPECT_EQ(a.h->cells[pencil_answered].user_answer, 0) << "a pencil cell's answer is dropped";
        for (int k = 0; k < N_CELLS; ++k) {
            const PUZZLE_CELL& c = a.h->cells[k];
            if (c.status) {
                EXPECT_EQ(c.elim_bits, 1u << c.solution) << k;
            } else if (k != answered) {
                EXPECT_EQ(c.small_mode, 1) << k;
                EXPECT_EQ(c.elim_bits, unseen_digits(a.h, k)) << adjacency << " cell " << k;
            }
        }
    }
}

TEST(PlayAssistant, UpdateKeepsThePlayersMarksAndRefillsOnlyAnEmptySet) {
    Handle a;
    make_game(a.h, 0);
    sudoku_digit_assistant_all(a.h);
    // A pencil cell with at least three marks and an open cell in its row to answer.
    int reduced = -1, answer_cell = -1;
    for (int k = 0; k < N_CELLS && answer_cell < 0; ++k) {
        if (a.h->cells[k].status || __builtin_popcount(a.h->cells[k].elim_bits) < 3) continue;
        reduced = k;
        for (int j = k / 9 * 9; j < k / 9 * 9 + 9 && answer_cell < 0; ++j)
            if (j != k && !a.h->cells[j].status) answer_cell = j;
    }
    ASSERT_GE(answer_cell, 0);
    int hidden_empty = -1, hidden_marks = -1;
    for (int k = 0; k < N_CELLS; ++k) {
        if (a.h->cells[k].status || k == reduced || k == answer_cell) continue;
        (hidden_empty < 0 ? hidden_empty : hidden_marks) = k;
        if (hidden_marks >= 0) break;
    }
    // The player struck out one mark of the pencil cell.
    const unsigned full = a.h->cells[reduced].elim_bits;
    const int struck = lowest_digit(full);
    const unsigned kept = full & ~(1u << struck);
    a.h->cells[reduced].elim_bits = kept;
    a.h->cells[hidden_empty].small_mode = 0;
    a.h->cells[hidden_empty].elim_bits = 0;
    a.h->cells[hidden_marks].small_mode = 0;
    a.h->cells[hidden_marks].elim_bits = ALL_DIGITS;
    // An answer in the same row placed without upkeep, of a digit the pencil cell still has: the
    // update must take it out.
    const int answer = lowest_digit(kept);
    sudoku_set_user_answer(a.h, answer_cell, answer, 0, 0);
    sudoku_toggle_small_mode(a.h, answer_cell);
    ASSERT_EQ(a.h->cells[answer_cell].small_mode, 0);
    sudoku_digit_assistant_update(a.h);

    EXPECT_EQ(a.h->cells[reduced].elim_bits, kept & ~(1u << answer));
    EXPECT_EQ(a.h->cells[hidden_empty].elim_bits, unseen_digits(a.h, hidden_empty));
    EXPECT_EQ(a.h->cells[hidden_marks].elim_bits, unseen_digits(a.h, hidden_marks));
    for (int k : {reduced, hidden_empty, hidden_marks}) EXPECT_EQ(a.h->cells[k].small_mode, 1) << k;
    EXPECT_EQ(a.h->cells[answer_cell].elim_bits, 1u << answer);
    EXPECT_EQ(a.h->cells[answer_cell].small_mode, 0);
}

TEST(PlayAssistant, HideTurnsPencilModeOffAndKeepsTheMarks) {
    Handle a;
    make_game(a.h, 0);
    sudoku_digit_assistant_all(a.h);
    sudoku_set_user_answer(a.h, kOpen, 3, 0, 1);
    a.h->cells[kOpen].small_mode = 1;  // an answered cell keeps whatever mode it has
    const auto before = snapshot(a.h);
    sudoku_digit_assistant_hide(a.h);
    for (int k = 0; k < N_CELLS; ++k) {
        const PUZZLE_CELL& c = a.h->cells[k];
        EXPECT_EQ(c.elim_bits, before[k].elim_bits) << k;
        bool open = !c.status && !c.user_answer;
        EXPECT_EQ(c.small_mode, open ? 0 : before[k].small_mode) << k;
    }
}

// Fills every open cell with its right answer.
void answer_everything(Puzzle* h) {
    for (int k = 0; k < N_CELLS; ++k)
        if (!h->cells[k].status) sudoku_set_user_answer(h, k, h->cells[k].solution, 0, 1);
}

TEST(PlayState, FreshFullyWrongAndSolvedGames) {
    Handle a;
    make_game(a.h, 0);
    int counts[10];
    EXPECT_EQ(sudoku_get_state(a.h, counts), 0);
    int sum = 0;
    for (int d = 0; d < 10; ++d) sum += counts[d];
    EXPECT_EQ(sum, 30);
    EXPECT_EQ(counts[0], 0);
    EXPECT_EQ(sudoku_distance(a.h), 51);

    answer_everything(a.h);
    EXPECT_EQ(sudoku_get_state(a.h, counts), 1);
    for (int d = 1; d <= 9; ++d) EXPECT_EQ(counts[d], 9) << d;
    EXPECT_EQ(sudoku_distance(a.h), 0);

    // One wrong answer, nothing empty: full but wrong.
    const int k = kOpen;
    ASSERT_FALSE(a.h->cells[k].status);
    const int right = a.h->cells[k].solution, wrong = right % 9 + 1;
    sudoku_set_user_answer(a.h, k, wrong, right, 1);
    EXPECT_EQ(sudoku_get_state(a.h, counts), 2);
    EXPECT_EQ(counts[wrong], 10);
    EXPECT_EQ(counts[right], 8);
    EXPECT_EQ(sudoku_distance(a.h), 1);

    // The same cell in pencil mode or emptied leaves the game merely unfinished.
    sudoku_toggle_small_mode(a.h, k);
    EXPECT_EQ(sudoku_get_state(a.h, counts), 0);
    EXPECT_EQ(counts[wrong], 9);
    sudoku_toggle_small_mode(a.h, k);
    sudoku_set_user_answer(a.h, k, 0, wrong, 1);
    EXPECT_EQ(sudoku_get_state(a.h, nullptr), 0);

    // A right answer hidden behind pencil marks is not yet right.
    sudoku_set_user_answer(a.h, k, right, 0, 1);
    EXPECT_EQ(sudoku_get_state(a.h, counts), 1);
    sudoku_toggle_small_mode(a.h, k);
    EXPECT_EQ(sudoku_distance(a.h), 1);
    EXPECT_EQ(sudoku_get_state(a.h, counts), 0);
}

TEST(PlayState, MaxedDigitsNeedExactlyNineShowingCells) {
    Handle a;
    // Every 9 is a clue, nothing else is.
    make_game(a.h, 0, [](int k) { return kSolution[k] == '9'; });
    int flags[10];
    std::memset(flags, 0x7f, sizeof flags);
    sudoku_maxed_digits(a.h, flags);
    for (int d = 0; d <= 9; ++d) EXPECT_EQ(flags[d], d == 9 ? 1 : 0) << d;

    // A tenth 9 (a wrong answer) spoils it; hidden behind pencil marks it does not count.
    const int k = 0;
    ASSERT_NE(kSolution[k], '9');
    sudoku_set_user_answer(a.h, k, 9, 0, 0);
    sudoku_maxed_digits(a.h, flags);
    EXPECT_EQ(flags[9], 0);
    sudoku_toggle_small_mode(a.h, k);
    sudoku_maxed_digits(a.h, flags);
    EXPECT_EQ(flags[9], 1);

    // Eight 5s and a wrong 5 also make nine.
    int fives = 0, spare = -1;
    for (int j = 1; j < N_CELLS; ++j)
        if (kSolution[j] == '5' && fives++ < 8) sudoku_set_user_answer(a.h, j, 5, 0, 0);
    ASSERT_EQ(fives, 8) << "cell 0 holds the ninth 5";
    for (int j = 1; j < N_CELLS && spare < 0; ++j)
        if (kSolution[j] != '5' && kSolution[j] != '9') spare = j;
    sudoku_set_user_answer(a.h, spare, 5, 0, 0);
    sudoku_maxed_digits(a.h, flags);
    EXPECT_EQ(flags[5], 1);
    EXPECT_EQ(flags[0], 0);
}

TEST(PlayBadInput, NullHandleBadCellsAndBadDigitsChangeNothing) {
    int counts[10], flags[10];
    std::memset(counts, 0x5a, sizeof counts);
    std::memset(flags, 0x5a, sizeof flags);
    sudoku_set_user_answer(nullptr, 0, 1, 0, 1);
    sudoku_toggle_elim_bit(nullptr, 0, 1);
    sudoku_toggle_small_mode(nullptr, 0);
    sudoku_digit_assistant_all(nullptr);
    sudoku_digit_assistant_update(nullptr);
    sudoku_digit_assistant_hide(nullptr);
    EXPECT_EQ(sudoku_get_state(nullptr, counts), 0);
    EXPECT_EQ(sudoku_distance(nullptr), 0);
    sudoku_maxed_digits(nullptr, flags);
    for (int d = 0; d < 10; ++d) EXPECT_EQ(counts[d] | flags[d], 0);

    Handle a;
    make_game(a.h, 1);
    sudoku_digit_assistant_all(a.h);
    sudoku_maxed_digits(a.h, nullptr);
    const auto before = snapshot(a.h);
    for (int bad : {-1, 81, INT_MIN, INT_MAX}) {
        sudoku_set_user_answer(a.h, bad, 1, 0, 1);
        sudoku_toggle_elim_bit(a.h, bad, 1);
        sudoku_toggle_small_mode(a.h, bad);
    }
    for (int bad : {-1, 10, 32, INT_MIN}) {
        sudoku_set_user_answer(a.h, kOpen, bad, 0, 1);
        sudoku_set_user_answer(a.h, kOpen, 0, bad, 1);
        sudoku_toggle_elim_bit(a.h, kOpen, bad);
    }
    // A clue takes no answer.
    ASSERT_TRUE(a.h->cells[0].status);
    sudoku_set_user_answer(a.h, 0, 3, 0, 1);
    for (int k = 0; k < N_CELLS; ++k) EXPECT_TRUE(same_cell(a.h->cells[k], before[k])) << k;
}

TEST(PlayBadInput, StoredNonsenseStaysOnTheBoard) {
    Handle a;
    make_game(a.h, 1);
    // Stored digits far outside 1..9, on a clue and on an answer.
    a.h->cells[0].solution = 40;
    a.h->cells[kOpen].user_answer = -3;
    a.h->cells[kOpen + 1].user_answer = 1000;
    int counts[12];
    std::memset(counts, 0x5a, sizeof counts);
    EXPECT_EQ(sudoku_get_state(a.h, counts), 0);
    EXPECT_EQ(counts[10], 0x5a5a5a5a) << "no count past the ten digits";
    EXPECT_EQ(counts[11], 0x5a5a5a5a);
    int flags[10];
    sudoku_maxed_digits(a.h, flags);
    sudoku_digit_assistant_all(a.h);
    EXPECT_EQ(a.h->cells[0].elim_bits, 0u) << "a clue without a digit shows nothing";
    EXPECT_EQ(a.h->cells[kOpen].elim_bits, 0u);

    // House rings that leave the board: the calls that walk them leave the cells alone.
    make_game(a.h, 1);
    a.h->cells[30].next_in_house[DIM_ROW] = 1 << 20;
    auto before = snapshot(a.h);
    sudoku_digit_assistant_all(a.h);
    sudoku_digit_assistant_update(a.h);
    for (int k = 0; k < N_CELLS; ++k) EXPECT_TRUE(same_cell(a.h->cells[k], before[k])) << k;
    sudoku_set_user_answer(a.h, 31, 2, 0, 1);
    EXPECT_EQ(a.h->cells[31].user_answer, 2) << "the answer itself is still recorded";
    before[31].user_answer = 2;
    for (int k = 0; k < N_CELLS; ++k) EXPECT_TRUE(same_cell(a.h->cells[k], before[k])) << k;

    // A ring that never comes back to its cell.
    make_game(a.h, 1);
    a.h->cells[50].next_in_house[DIM_GROUP] = 0;
    before = snapshot(a.h);
    sudoku_digit_assistant_all(a.h);
    for (int k = 0; k < N_CELLS; ++k) EXPECT_TRUE(same_cell(a.h->cells[k], before[k])) << k;
}

}  // namespace
