// Puzzles from outside: lines as people type them, and the verdicts on what they hold.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "game.h"

using testing_game::engine;
using testing_game::kPuzzle;

TEST(PuzzleLines, ReadWithOrWithoutGroupsAndRefusedWithAReason) {
    frontend::PuzzleLine p;
    std::string why;
    EXPECT_TRUE(frontend::parse_puzzle_line(std::string(kPuzzle) + "  \n", p, why));
    EXPECT_FALSE(p.has_groups);
    EXPECT_EQ(p.clues[0], 5);
    EXPECT_EQ(p.groups[80], 8);
    EXPECT_FALSE(frontend::parse_puzzle_line(std::string(kPuzzle).substr(1), p, why));
    EXPECT_NE(why.find("80 characters"), std::string::npos) << why;
    std::string bad = kPuzzle;
    bad[7] = 'x';
    EXPECT_FALSE(frontend::parse_puzzle_line(bad, p, why));
    EXPECT_NE(why.find("at clue 8"), std::string::npos) << why;
    std::string groups(81, '0');  // one group of 81
    EXPECT_FALSE(frontend::parse_puzzle_line(std::string(kPuzzle) + groups, p, why));
    int boxes[81];
    frontend::square_groups(boxes);
    const std::string line = frontend::format_puzzle_line(p.clues, boxes, true);
    EXPECT_TRUE(frontend::parse_puzzle_line(line, p, why)) << why;
    EXPECT_TRUE(p.has_groups);
}

TEST(PuzzleLines, FirstPlayableLineOfAFile) {
    frontend::PuzzleLine p;
    std::string why;
    EXPECT_TRUE(game::first_puzzle_in_text("# my puzzles\n\n" + std::string(kPuzzle) + "\n", p, why));
    EXPECT_FALSE(game::first_puzzle_in_text("hello\n", p, why));
    EXPECT_EQ(why.rfind("line 1:", 0), 0u) << why;
    EXPECT_FALSE(game::first_puzzle_in_text("", p, why));
}

TEST(Imports, VerdictsForNoneSeveralAndOneSolution) {
    frontend::PuzzleLine p;
    std::string why;
    ASSERT_TRUE(frontend::parse_puzzle_line(kPuzzle, p, why));
    game::Import one = game::import_puzzle(engine(), p, 0);
    EXPECT_EQ(one.verdict, game::Verdict::Unique);
    EXPECT_GE(one.bucket, 0);
    EXPECT_EQ(one.record.map_kind(), 0);
    p.clues[2] = 5;  // repeats the 5 of the row
    EXPECT_EQ(game::import_puzzle(engine(), p, 0).verdict, game::Verdict::NoSolution);
    ASSERT_TRUE(frontend::parse_puzzle_line(std::string(81, '.'), p, why));
    EXPECT_EQ(game::import_puzzle(engine(), p, 0).verdict, game::Verdict::Several);
    ASSERT_TRUE(frontend::parse_puzzle_line(kPuzzle, p, why));
    // The same clues under the diagonal rules have no solution (the given 5 and 9 meet there).
    EXPECT_NE(game::import_puzzle(engine(), p, 1).verdict, game::Verdict::Unique);
}

TEST(Imports, TheSearchGivesUpWithinItsBudgetInsteadOfRunningOn) {
    int clues[81] = {}, groups[81], solution[81], count = 7;
    clues[0] = 1;
    frontend::square_groups(groups);
    ASSERT_TRUE(game::solve_clues(clues, groups, 0, solution, &count, 10));
    EXPECT_EQ(count, -1) << "ten steps cannot settle an almost empty grid";
    ASSERT_TRUE(game::solve_clues(clues, groups, 0, solution, &count));
    EXPECT_EQ(count, 2);
}

TEST(Imports, JigsawLinesBecomeJigsawGamesWithTheirWalls) {
    // A jigsaw puzzle the engine made, written as a line with its group map.
    SudokuHandle* h = engine().sudoku_new();
    ASSERT_TRUE(engine().sudoku_generate(h, 1, 0, 1, 0));
    int clues[81], groups[81];
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo c;
        engine().sudoku_get_cell(h, k, &c);
        clues[k] = c.status ? c.solution : 0;
        groups[k] = c.group;
    }
    engine().sudoku_free(h);
    frontend::PuzzleLine p;
    std::string why;
    ASSERT_TRUE(frontend::parse_puzzle_line(frontend::format_puzzle_line(clues, groups, true), p, why)) << why;
    const game::Import im = game::import_puzzle(engine(), p, 0);
    ASSERT_EQ(im.verdict, game::Verdict::Unique) << im.why;
    game::Game g(engine());
    ASSERT_TRUE(g.start(im.record, why)) << why;
    EXPECT_EQ(g.map_kind(), 1);
    for (int k = 0; k < 81; ++k) {
        EXPECT_EQ(g.cell(k).group, groups[k]);
        if (k % 9 < 8) {
            EXPECT_EQ(g.same_group_right(k), groups[k] == groups[k + 1]);
        }
    }
    int colours[9];
    ASSERT_TRUE(frontend::colour_groups(groups, colours));
    for (int k = 0; k < 81; ++k)
        if (k % 9 < 8 && groups[k] != groups[k + 1]) {
            EXPECT_NE(colours[groups[k]], colours[groups[k + 1]]);
        }
}
