// The board as a picture file: PNG and SVG exports hold a drawn board, and bad paths are refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine_fixture.h"
#include "printing.h"

using testing_game::kPuzzle;
using testing_game::record_of;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(BoardPictures, PngAndSvgHoldTheBoardAndBadPathsAreRefused) {
    char tmpl[] = "/tmp/quadrillo-pictures-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::string why;
    const game::GameRecord r = record_of(kPuzzle);
    ASSERT_TRUE(ui::export_board(testing_game::engine(), r, false, 300, dir + "/board.png", why)) << why;
    const std::string png = slurp(dir + "/board.png");
    ASSERT_GT(png.size(), 2000u) << "a drawn board, not an empty picture";
    EXPECT_EQ(png.substr(1, 3), "PNG");
    ASSERT_TRUE(ui::export_board(testing_game::engine(), r, true, 300, dir + "/board.svg", why)) << why;
    const std::string svg = slurp(dir + "/board.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_GT(svg.size(), 5000u);
    EXPECT_FALSE(ui::export_board(testing_game::engine(), r, false, 300, dir + "/missing/board.png", why));
    EXPECT_FALSE(why.empty());
    std::system(("rm -rf " + dir).c_str());
}
