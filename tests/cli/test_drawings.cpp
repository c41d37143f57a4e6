// The command-line tool's grid drawings.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli.h"

namespace {

const std::string kClassic = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";

TEST(Drawings, KeepTheirShapeOnAnyMap) {
    cli::Grid g;
    std::string why;
    ASSERT_TRUE(frontend::parse_sound_puzzle_line(kClassic, 1, g, why));
    const std::string grid = cli::draw_grid(g.clues, g.groups, 1);
    EXPECT_EQ(std::count(grid.begin(), grid.end(), '\n'), 19);
    EXPECT_EQ(grid.substr(0, 38), "+---+---+---+---+---+---+---+---+---+\n");
    EXPECT_NE(grid.find("|\\5   3   . |"), std::string::npos) << grid;
    int masks[81];
    for (int k = 0; k < 81; ++k) masks[k] = 0x3fe;
    const std::string all = cli::draw_candidates(masks, g.groups);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 37);
    EXPECT_EQ(std::count(all.begin(), all.end(), '5'), 81);
}

}  // namespace
