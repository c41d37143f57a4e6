// The game model: moves as the player makes them, undo and redo to the first move, the saved form
// and what happens to damaged saves.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "game.h"
#include "save_file.h"

using testing_game::engine;
using testing_game::kPuzzle;
using testing_game::kSolution;
using testing_game::record_of;

namespace {

int solution_at(int k) { return kSolution[k] - '0'; }

struct Played {
    game::Game g{engine()};
    Played() {
        std::string why;
        EXPECT_TRUE(g.start(record_of(kPuzzle), why)) << why;
    }
};

}  // namespace

TEST(GameMoves, DigitsMarksAndClearsShowAsThePlayerMadeThem) {
    Played p;
    game::Game& g = p.g;
    EXPECT_EQ(g.first_empty_cell(), 2);
    EXPECT_FALSE(g.enter(0, 4)) << "a given takes no digit";
    EXPECT_TRUE(g.enter(2, 4));
    EXPECT_EQ(g.cell(2).digit, 4);
    EXPECT_FALSE(g.enter(2, 4)) << "the same digit again changes nothing";
    EXPECT_TRUE(g.toggle_mark(3, 6));
    EXPECT_TRUE(g.toggle_mark(3, 2));
    EXPECT_TRUE(g.cell(3).marks_shown);
    EXPECT_EQ(g.cell(3).marks, (1u << 6) | (1u << 2));
    EXPECT_EQ(g.cell(3).digit, 0);
    // A digit over marks replaces them; a mark over a digit clears the digit.
    EXPECT_TRUE(g.enter(3, 6));
    EXPECT_EQ(g.cell(3).digit, 6);
    EXPECT_FALSE(g.cell(3).marks_shown);
    EXPECT_TRUE(g.toggle_mark(3, 8));
    EXPECT_EQ(g.cell(3).digit, 0);
    EXPECT_EQ(g.cell(3).marks, 1u << 8);
    EXPECT_TRUE(g.enter(3, 0));
    EXPECT_FALSE(g.cell(3).marks_shown);
    EXPECT_EQ(g.cell(3).marks, 0u);
    EXPECT_FALSE(g.enter(3, 0)) << "clearing an empty cell is no move";
}

TEST(GameMoves, RepeatsAndWrongDigitsAreSeen) {
    Played p;
    game::Game& g = p.g;
    EXPECT_TRUE(g.enter(2, 5));  // 5 is given at the row's start
    EXPECT_TRUE(g.conflicting(2));
    EXPECT_TRUE(g.conflicting(0)) << "the given it repeats is marked too";
    EXPECT_TRUE(g.wrong(2));
    EXPECT_EQ(g.mistakes, 1);
    EXPECT_TRUE(g.enter(2, solution_at(2)));
    EXPECT_FALSE(g.conflicting(2));
    EXPECT_FALSE(g.wrong(2));
}

TEST(GameMoves, SolvingEveryCellFinishesTheGame) {
    Played p;
    game::Game& g = p.g;
    const int left = g.cells_left();
    EXPECT_EQ(left, 51);
    for (int k = 0; k < 81; ++k)
        if (!g.cell(k).given) g.enter(k, solution_at(k));
    EXPECT_TRUE(g.solved());
    EXPECT_EQ(g.cells_left(), 0);
    int counts[10];
    g.digit_counts(counts);
    for (int d = 1; d <= 9; ++d) EXPECT_EQ(counts[d], 9);
}

TEST(GameUndo, EveryKindOfMoveUndoesAndRedoesExactly) {
    Played p;
    game::Game& g = p.g;
    std::vector<game::GameRecord> seen{g.record()};
    auto step = [&](bool made) {
        ASSERT_TRUE(made);
        seen.push_back(g.record());
    };
    step(g.enter(2, 4));
    step(g.toggle_mark(3, 6));
    step(g.fill_candidates());
    EXPECT_TRUE(g.auto_candidates());
    step(g.enter(5, solution_at(5)));  // with the assistant on, neighbours lose the digit
    step(g.toggle_mark(6, solution_at(6)));
    step(g.hide_candidates());
    step(g.restart());
    for (size_t k = seen.size() - 1; k > 0; --k) {
        ASSERT_TRUE(g.undo());
        EXPECT_EQ(0, std::memcmp(g.record().bytes, seen[k - 1].bytes, game::kRecordBytes)) << "undo to step " << k - 1;
    }
    EXPECT_FALSE(g.undo());
    EXPECT_FALSE(g.auto_candidates());
    for (size_t k = 1; k < seen.size(); ++k) {
        ASSERT_TRUE(g.redo());
        EXPECT_EQ(0, std::memcmp(g.record().bytes, seen[k].bytes, game::kRecordBytes)) << "redo to step " << k;
    }
    EXPECT_FALSE(g.redo());
    // A new move after undoing drops the moves ahead of it.
    g.undo();
    g.undo();
    EXPECT_TRUE(g.enter(10, 1));
    EXPECT_FALSE(g.can_redo());
    EXPECT_EQ(g.history().size(), seen.size() - 2);
}

TEST(SaveFile, RoundTripKeepsPositionHistoryAndTimer) {
    Played p;
    game::Game& g = p.g;
    g.enter(2, 4);
    g.toggle_mark(3, 6);
    g.fill_candidates();
    g.undo();
    g.add_time(83000);
    const std::vector<unsigned char> bytes = game::encode_save(game::saved_from(g));
    EXPECT_EQ(0, std::memcmp(bytes.data(), g.record().bytes, game::kRecordBytes)) << "the file starts with the record";
    game::SavedGame s;
    std::string why;
    ASSERT_TRUE(game::decode_save(bytes.data(), bytes.size(), s, why)) << why;
    game::Game back(engine());
    ASSERT_TRUE(back.restore(s.position, s.history, s.cursor, s.auto_candidates, s.elapsed_ms, why)) << why;
    EXPECT_TRUE(why.empty()) << why;
    EXPECT_EQ(back.elapsed_ms(), 83000);
    EXPECT_EQ(0, std::memcmp(back.record().bytes, g.record().bytes, game::kRecordBytes));
    EXPECT_TRUE(back.redo()) << "the undone fill comes back";
    EXPECT_TRUE(back.auto_candidates());
    EXPECT_TRUE(back.undo());
    EXPECT_TRUE(back.undo());
    EXPECT_TRUE(back.undo());
    EXPECT_EQ(back.cell(2).digit, 0);
}

TEST(SaveFile, DamagedForeignAndShortFilesAreRefusedWithoutReadingPastTheEnd) {
    Played p;
    p.g.enter(2, 4);
    p.g.enter(4, 6);
    const std::vector<unsigned char> good = game::encode_save(game::saved_from(p.g));
    game::SavedGame s;
    std::string why;
    // Every truncation, and every single flipped byte, is refused.
    for (size_t n = 0; n < good.size(); n += 97) {
        std::vector<unsigned char> cut(good.begin(), good.begin() + static_cast<long>(n));
        EXPECT_FALSE(game::decode_save(cut.data(), cut.size(), s, why)) << n;
    }
    for (size_t at = 0; at < good.size(); at += 13) {
        std::vector<unsigned char> bad = good;
        bad[at] ^= 0x5a;
        EXPECT_FALSE(game::decode_save(bad.data(), bad.size(), s, why)) << at;
    }
    const std::string text = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79\n";
    EXPECT_FALSE(game::decode_save(reinterpret_cast<const unsigned char*>(text.data()), text.size(), s, why));
}

TEST(SaveFile, HistoryThatDoesNotMatchTheBoardIsDroppedButThePositionKept) {
    Played p;
    p.g.enter(2, 4);
    game::SavedGame s = game::saved_from(p.g);
    s.history[0].changes[0].after.answer = 7;  // claims the move wrote a 7
    game::Game back(engine());
    std::string why;
    ASSERT_TRUE(back.restore(s.position, s.history, s.cursor, false, 0, why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(back.can_undo());
    EXPECT_EQ(back.cell(2).digit, 4) << "what the player saw stays";
    // A record the engine refuses is not started at all.
    game::GameRecord broken = s.position;
    broken.set_word(5 * game::kCellStride + 20, 99999);  // a house ring leaving the board
    EXPECT_FALSE(back.restore(broken, {}, 0, false, 0, why));
}

TEST(SaveFile, AtomicWriteReplacesWholeFiles) {
    char tmpl[] = "/tmp/quadrillo-save-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string path = dir + "/current.game";
    std::string why;
    ASSERT_TRUE(game::write_atomically(path, {1, 2, 3}, why)) << why;
    ASSERT_TRUE(game::write_atomically(path, {4, 5}, why)) << why;
    std::vector<unsigned char> back;
    ASSERT_TRUE(game::read_file(path, 100, back, why));
    EXPECT_EQ(back, (std::vector<unsigned char>{4, 5}));
    EXPECT_FALSE(game::read_file(path, 1, back, why)) << "over the limit";
    EXPECT_FALSE(game::write_atomically(dir + "/missing/x", {1}, why));
    const std::string aside = game::set_aside(path);
    EXPECT_FALSE(aside.empty());
    EXPECT_TRUE(game::read_file(aside, 100, back, why));
    std::system(("rm -rf " + dir).c_str());
}
