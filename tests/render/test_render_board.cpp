// The renderer's boards: jigsaw maps and their colouring, and fills that match what the truth says.
#include <gtest/gtest.h>

#include <cstdlib>

#include "render.h"
#include "render_internal.h"

namespace {

bool side_neighbours(int a, int b) { return (b == a + 1 && a % 9 < 8) || b == a + 9; }

TEST(RenderBoard, JigsawMapsAreWholeAndColouredApart) {
  int differs_from_boxes = 0;
  for (std::uint64_t seed = 1; seed <= 200; ++seed) {
    render::Rng rng(seed);
    int regions[81];
    render::make_jigsaw(rng, regions);
    int size[9] = {};
    for (int v : regions) {
      ASSERT_TRUE(v >= 0 && v < 9);
      ++size[v];
    }
    for (int s : size) ASSERT_EQ(s, 9) << seed;
    bool boxes = true;
    for (int i = 0; i < 81; ++i) boxes = boxes && regions[i] == (i / 27) * 3 + (i % 9) / 3;
    differs_from_boxes += !boxes;
    for (int max_colours : {4, 9}) {
      int colour[9];
      int used = render::colour_regions(rng, regions, max_colours, colour);
      EXPECT_LE(used, 9);
      for (int a = 0; a < 81; ++a)
        for (int b = a + 1; b < 81; ++b)
          if (side_neighbours(a, b) && regions[a] != regions[b]) {
            ASSERT_NE(colour[regions[a]], colour[regions[b]]) << seed << " cells " << a << "," << b;
          }
    }
  }
  EXPECT_GE(differs_from_boxes, 195);
}

// Clue digits come from a complete grid valid for every house the board shows; jigsaw maps (and
// diagonals on them) may fall back to repeats, but only now and then.
TEST(RenderBoard, SolutionsRespectTheBoardsHouses) {
  int valid[4] = {};
  for (int kind = 0; kind < 4; ++kind)
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
      bool jigsaw = kind & 1, diagonals = kind & 2;
      render::Rng rng(seed);
      render::Content c;
      render::make_content(rng, jigsaw, diagonals, true, false, c);
      bool ok = true;
      for (int i = 0; i < 81; ++i) {
        ASSERT_TRUE(c.solution[i] >= 1 && c.solution[i] <= 9);
        if (c.givens[i]) {
          ASSERT_EQ(c.givens[i], c.solution[i]);
        }
        if (c.pencil[i]) {
          ASSERT_TRUE(c.pencil[i] >> (c.solution[i] - 1) & 1) << "notes keep the answer";
        }
        for (int j = i + 1; j < 81; ++j) {
          bool peer = i / 9 == j / 9 || i % 9 == j % 9 || c.regions[i] == c.regions[j] ||
                      (diagonals && i / 9 == i % 9 && j / 9 == j % 9) ||
                      (diagonals && i / 9 + i % 9 == 8 && j / 9 + j % 9 == 8);
          ok = ok && !(peer && c.solution[i] == c.solution[j]);
        }
      }
      valid[kind] += ok;
    }
  EXPECT_EQ(valid[0], 60);
  EXPECT_GE(valid[1], 57);
  EXPECT_GE(valid[2], 57);
  EXPECT_GE(valid[3], 3);  // random maps seldom admit distinct diagonals too
}

// Mean colour of a 3x3 patch near the top-left corner of a cell, clear of its lines (and, in an
// empty cell, of any ink).
void cell_colour(const imageio::Image& img, const render::Truth& t, int cell, int rgb[3]) {
  float xs[4], ys[4];
  render::cell_corners(t, cell / 9, cell % 9, xs, ys);
  int x = int(xs[0] + (xs[1] - xs[0]) * 0.2f), y = int(ys[0] + (ys[3] - ys[0]) * 0.2f);
  for (int c = 0; c < 3; ++c) {
    int s = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) s += img.px[(std::size_t(y + dy) * img.w + x + dx) * 3 + c];
    rgb[c] = s / 9;
  }
}

int distance(const int a[3], const int b[3]) { return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]); }

bool on_diagonal(int i) { return i / 9 == i % 9 || i / 9 + i % 9 == 8; }

TEST(RenderBoard, ShadedDiagonalsShowAndPlainOnesDoNot) {
  for (int seed = 1; seed <= 24; ++seed) {
    render::Options o;
    o.seed = seed;
    o.style = seed % 2 ? render::Style::Book : render::Style::Newspaper;
    o.photo = render::Photo::Clean;
    o.regions = render::Regions::Boxes;
    o.marks = render::Marks::None;
    o.diagonals = seed % 3 ? render::Diagonals::Shade : render::Diagonals::None;
    imageio::Image img;
    render::Truth t;
    ASSERT_TRUE(render::render(o, img, t));
    int col[81][3];
    for (int i = 0; i < 81; ++i) cell_colour(img, t, i, col[i]);
    // Within a box every cell has the same ground, so empty diagonal cells compare with their
    // empty box mates.
    for (int i = 0; i < 81; ++i) {
      if (!on_diagonal(i)) continue;
      for (int j = 0; j < 81; ++j) {
        if (on_diagonal(j) || t.regions[j] != t.regions[i] || t.givens[i] || t.givens[j]) continue;
        int gi = col[i][0] + col[i][1] + col[i][2], gj = col[j][0] + col[j][1] + col[j][2];
        if (t.diagonals) {
          EXPECT_LT(gi, gj - 30) << "seed " << seed << " cells " << i << "," << j;
        } else {
          EXPECT_LE(std::abs(gi - gj), 6) << "seed " << seed << " cells " << i << "," << j;
        }
      }
    }
  }
}

TEST(RenderBoard, RegionColoursFollowTheMap) {
  for (int seed = 1; seed <= 16; ++seed) {
    render::Options o;
    o.seed = seed;
    o.style = render::Style::Book;
    o.photo = render::Photo::Clean;
    o.regions = render::Regions::Colours;
    o.marks = render::Marks::None;
    o.diagonals = render::Diagonals::None;
    imageio::Image img;
    render::Truth t;
    ASSERT_TRUE(render::render(o, img, t));
    ASSERT_TRUE(t.jigsaw);
    int col[81][3];
    for (int i = 0; i < 81; ++i) cell_colour(img, t, i, col[i]);
    for (int a = 0; a < 81; ++a)
      for (int b = a + 1; b < 81; ++b) {
        if (!side_neighbours(a, b) || t.givens[a] || t.givens[b]) continue;
        if (t.regions[a] == t.regions[b]) {
          EXPECT_LE(distance(col[a], col[b]), 4) << "seed " << seed << " cells " << a << "," << b;
        } else {
          EXPECT_GT(distance(col[a], col[b]), 8) << "seed " << seed << " cells " << a << "," << b;
        }
      }
  }
}

TEST(RenderBoard, OptionsReachTheTruth) {
  render::Options o;
  o.width = 400;
  o.height = 300;
  for (int seed = 1; seed <= 8; ++seed) {
    o.seed = seed;
    o.style = seed % 2 ? render::Style::AppDark : render::Style::Newspaper;
    o.photo = seed % 4 < 2 ? render::Photo::Clean : render::Photo::Rough;
    imageio::Image img;
    render::Truth t;
    ASSERT_TRUE(render::render(o, img, t));
    EXPECT_EQ(t.style, o.style);
    EXPECT_EQ(t.photo, o.photo);
    if (o.photo == render::Photo::Clean) {
      EXPECT_EQ(t.jpeg_quality, 0);
      EXPECT_EQ(t.rotation_deg, 0);
    } else {
      EXPECT_GE(t.jpeg_quality, 35);
      EXPECT_LE(std::abs(t.rotation_deg), 6.0f);
    }
  }
}

}  // namespace
