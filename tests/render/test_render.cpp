// The puzzle picture renderer: reproducible output, corners that match the drawn frame, sound truth.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render.h"

// The system fontconfig loses a small block while parsing its configuration files; the leak
// checker of sanitizer builds would otherwise fail every run on that alone.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

using render::Options;
using render::Truth;

int luma(const imageio::Image& img, int x, int y) {
  x = std::clamp(x, 0, img.w - 1);
  y = std::clamp(y, 0, img.h - 1);
  const unsigned char* p = &img.px[(std::size_t(y) * img.w + x) * 3];
  return (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000;
}

bool light_on_dark(const Truth& t) { return t.style == render::Style::AppDark; }

double bilinear(const imageio::Image& img, double x, double y) {
  int x0 = int(std::floor(x)), y0 = int(std::floor(y));
  double fx = x - x0, fy = y - y0;
  return luma(img, x0, y0) * (1 - fx) * (1 - fy) + luma(img, x0 + 1, y0) * fx * (1 - fy) +
         luma(img, x0, y0 + 1) * (1 - fx) * fy + luma(img, x0 + 1, y0 + 1) * fx * fy;
}

// How far the darkest band (lightest for light lines) across the segment (x0,y0)-(x1,y1) lies from it, in pixels: the mean
// brightness profile perpendicular to the segment over its middle stretch, out to `reach` pixels
// on either side in half-pixel steps, and the centre of the run of samples near its minimum.
double band_offset(const imageio::Image& img, double x0, double y0, double x1, double y1, double reach,
                   bool light_lines) {
  double len = std::hypot(x1 - x0, y1 - y0), nx = -(y1 - y0) / len, ny = (x1 - x0) / len;
  const int half = int(reach * 2), steps = 2 * half + 1;
  std::vector<double> profile(steps, 0.0);
  for (int s = 2; s <= 18; ++s) {
    double f = s / 20.0, x = x0 + (x1 - x0) * f, y = y0 + (y1 - y0) * f;
    for (int d = 0; d < steps; ++d) {
      double v = bilinear(img, x + (d - half) * 0.5 * nx, y + (d - half) * 0.5 * ny);
      profile[d] += light_lines ? -v : v;
    }
  }
  int best = int(std::min_element(profile.begin(), profile.end()) - profile.begin());
  int lo = best, hi = best;
  double cut = profile[best] + 0.1 * (*std::max_element(profile.begin(), profile.end()) - profile[best]);
  while (lo > 0 && profile[lo - 1] <= cut) --lo;
  while (hi < steps - 1 && profile[hi + 1] <= cut) ++hi;
  return (lo + hi - 2 * half) * 0.25;
}

// Offsets of the four frame sides between the reported corners.
void frame_offsets(const imageio::Image& img, const Truth& t, double reach, double off[4]) {
  for (int k = 0; k < 4; ++k) {
    int n = (k + 1) % 4;
    off[k] = band_offset(img, t.corner_x[k], t.corner_y[k], t.corner_x[n], t.corner_y[n], reach,
                         t.style == render::Style::AppDark);
  }
}

TEST(Render, SameSeedSameBytesOtherSeedOtherPicture) {
  for (render::Photo p : {render::Photo::Clean, render::Photo::Rough}) {
    Options o;
    o.seed = 4242;
    o.photo = p;
    imageio::Image a, b, c;
    Truth ta, tb, tc;
    ASSERT_TRUE(render::render(o, a, ta));
    ASSERT_TRUE(render::render(o, b, tb));
    EXPECT_EQ(a.px, b.px);
    EXPECT_EQ(render::truth_json(o, ta), render::truth_json(o, tb));
    o.seed = 4243;
    ASSERT_TRUE(render::render(o, c, tc));
    EXPECT_NE(a.px, c.px);
  }
}

TEST(Render, ChangingTheCaptureKeepsTheBoard) {
  Options o;
  o.seed = 77;
  o.photo = render::Photo::Clean;
  imageio::Image a, b;
  Truth ta, tb;
  ASSERT_TRUE(render::render(o, a, ta));
  o.photo = render::Photo::Rough;
  ASSERT_TRUE(render::render(o, b, tb));
  EXPECT_TRUE(std::equal(ta.givens, ta.givens + 81, tb.givens));
  EXPECT_TRUE(std::equal(ta.regions, ta.regions + 81, tb.regions));
  EXPECT_EQ(ta.style, tb.style);
}

TEST(Render, CleanCornersSitOnTheDrawnFrame) {
  for (int seed = 1; seed <= 40; ++seed) {
    Options o;
    o.seed = seed;
    o.photo = render::Photo::Clean;
    o.width = seed % 2 ? 640 : 480;
    o.height = seed % 2 ? 480 : 640;
    imageio::Image img;
    Truth t;
    ASSERT_TRUE(render::render(o, img, t));
    ASSERT_EQ(img.w, o.width);
    ASSERT_EQ(img.px.size(), std::size_t(o.width) * o.height * 3);
    EXPECT_FLOAT_EQ(t.corner_y[0], t.corner_y[1]) << seed;  // unturned: an upright rectangle
    EXPECT_FLOAT_EQ(t.corner_x[1], t.corner_x[2]) << seed;
    double l = t.corner_x[0], r = t.corner_x[1], top = t.corner_y[0], bot = t.corner_y[2];
    double cell = (r - l) / 9;
    ASSERT_GT(cell, 6) << seed;
    EXPECT_NEAR(r - l, bot - top, 1.0) << seed;
    double off[4];
    frame_offsets(img, t, cell / 3, off);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(off[k], 0, 1.0) << "seed " << seed << " side " << k;
    float xs[4], ys[4];
    ASSERT_TRUE(render::cell_corners(t, 4, 7, xs, ys));
    EXPECT_NEAR(xs[0], l + 7 * cell, 1e-3);
    EXPECT_NEAR(ys[2], top + 5 * (bot - top) / 9, 1e-3);
    EXPECT_FALSE(render::cell_corners(t, 9, 0, xs, ys));
    EXPECT_FALSE(render::cell_corners(t, 0, -1, xs, ys));
  }
}

// On a turned, distorted photo the frame still runs along the straight segments between the
// reported corners, and on a classic board the box lines run where the corners' projective map
// puts the thirds: the darkest band across each is centred on it.
TEST(Render, PhotoCornersStayInsideAndTraceTheLattice) {
  int checked = 0, boxed = 0, skipped = 0;
  for (int seed = 100; seed < 145; ++seed) {
    Options o;
    o.seed = seed;
    o.photo = render::Photo::Rough;
    imageio::Image img;
    Truth t;
    ASSERT_TRUE(render::render(o, img, t));
    for (int k = 0; k < 4; ++k) {
      EXPECT_GE(t.corner_x[k], 0) << seed;
      EXPECT_GE(t.corner_y[k], 0) << seed;
      EXPECT_LT(t.corner_x[k], img.w) << seed;
      EXPECT_LT(t.corner_y[k], img.h) << seed;
    }
    if (light_on_dark(t)) continue;
    ++checked;
    double reach = std::hypot(t.corner_x[1] - t.corner_x[0], t.corner_y[1] - t.corner_y[0]) / 36;
    double off[4];
    frame_offsets(img, t, reach, off);
    for (int k = 0; k < 4; ++k) {
      // Where the page ends just past the frame, the dark table beyond is no frame to find.
      int n = (k + 1) % 4;
      double mx = (t.corner_x[k] + t.corner_x[n]) / 2, my = (t.corner_y[k] + t.corner_y[n]) / 2;
      double len = std::hypot(t.corner_x[n] - t.corner_x[k], t.corner_y[n] - t.corner_y[k]);
      double nx = -(t.corner_y[n] - t.corner_y[k]) / len, ny = (t.corner_x[n] - t.corner_x[k]) / len;
      if (bilinear(img, mx - 2 * reach * nx, my - 2 * reach * ny) < 0.6 * bilinear(img, mx + 1.2 * reach * nx, my + 1.2 * reach * ny)) {
        ++skipped;
        continue;
      }
      EXPECT_NEAR(off[k], 0, 1.0) << "seed " << seed << " side " << k;
    }
    if (t.region_display != render::Regions::Boxes) continue;
    ++boxed;
    for (int line = 3; line <= 6; line += 3) {
      float ax[4], ay[4], bx[4], by[4];
      ASSERT_TRUE(render::cell_corners(t, 0, line, ax, ay));
      ASSERT_TRUE(render::cell_corners(t, 8, line, bx, by));
      EXPECT_NEAR(band_offset(img, ax[0], ay[0], bx[3], by[3], reach, false), 0, 1.0) << "seed " << seed << " column line " << line;
      ASSERT_TRUE(render::cell_corners(t, line, 0, ax, ay));
      ASSERT_TRUE(render::cell_corners(t, line, 8, bx, by));
      EXPECT_NEAR(band_offset(img, ax[0], ay[0], bx[1], by[1], reach, false), 0, 1.0) << "seed " << seed << " row line " << line;
    }
  }
  EXPECT_GT(checked, 25);
  EXPECT_GT(boxed, 12);
  EXPECT_LT(skipped, checked / 2);
}

bool connected_regions_of_nine(const int regions[81]) {
  for (int r = 0; r < 9; ++r) {
    int seen[81] = {}, stack[81], n = 0, count = 0, start = -1;
    for (int i = 0; i < 81; ++i)
      if (regions[i] == r && start < 0) start = i;
    if (start < 0) return false;
    stack[n++] = start;
    seen[start] = 1;
    while (n) {
      int i = stack[--n];
      ++count;
      const int nb[4] = {i % 9 ? i - 1 : -1, i % 9 < 8 ? i + 1 : -1, i - 9, i + 9};
      for (int j : nb)
        if (j >= 0 && j < 81 && !seen[j] && regions[j] == r) seen[j] = 1, stack[n++] = j;
    }
    if (count != 9) return false;
  }
  return true;
}

TEST(Render, TruthIsAConsistentBoard) {
  for (int seed = 1; seed <= 60; ++seed) {
    Options o;
    o.seed = seed;
    o.width = o.height = 320;
    o.photo = render::Photo::Clean;
    o.regions = seed % 3 == 0 ? render::Regions::Walls : seed % 3 == 1 ? render::Regions::Colours : render::Regions::Boxes;
    o.diagonals = seed % 2 ? render::Diagonals::Shade : render::Diagonals::None;
    o.marks = render::Marks::Some;
    imageio::Image img;
    Truth t;
    ASSERT_TRUE(render::render(o, img, t));
    EXPECT_EQ(t.jigsaw, o.regions != render::Regions::Boxes) << seed;
    EXPECT_EQ(t.diagonals, seed % 2 == 1) << seed;
    EXPECT_TRUE(connected_regions_of_nine(t.regions)) << seed;
    int next = 0;  // numbered in order of first appearance
    for (int i = 0; i < 81; ++i) {
      ASSERT_LE(t.regions[i], next) << seed;
      if (t.regions[i] == next) ++next;
    }
    for (int i = 0; i < 81; ++i) {
      EXPECT_TRUE(t.givens[i] >= 0 && t.givens[i] <= 9);
      if (t.givens[i]) {
        EXPECT_EQ(t.entries[i] | t.pencil[i], 0) << seed << " cell " << i;
      }
      if (t.entries[i]) {
        EXPECT_EQ(t.pencil[i], 0) << seed << " cell " << i;
      }
      EXPECT_EQ(t.pencil[i] & ~0x1FF, 0);
      for (int j = i + 1; j < 81 && t.givens[i]; ++j) {
        bool peer = i / 9 == j / 9 || i % 9 == j % 9 || (!t.jigsaw && t.regions[i] == t.regions[j]);
        if (peer) {
          EXPECT_NE(t.givens[i], t.givens[j]) << seed << " cells " << i << "," << j;
        }
      }
    }
  }
}

TEST(Render, RefusesSizesOutOfRangeAndWritesPictures) {
  Options o;
  imageio::Image img;
  Truth t;
  o.width = render::kMinSide - 1;
  EXPECT_FALSE(render::render(o, img, t));
  o.width = render::kMaxSide + 1;
  EXPECT_FALSE(render::render(o, img, t));
  o.width = 300;
  o.height = 200;
  o.photo = render::Photo::Mild;
  ASSERT_TRUE(render::render(o, img, t));
  std::vector<unsigned char> bytes;
  imageio::Image back;
  ASSERT_TRUE(imageio::encode_png(img, bytes));
  ASSERT_TRUE(imageio::decode_png(bytes.data(), bytes.size(), back));
  EXPECT_EQ(back.px, img.px);
  ASSERT_TRUE(imageio::encode_jpeg(img, 85, bytes));
  ASSERT_TRUE(imageio::decode_jpeg(bytes.data(), bytes.size(), back));
  EXPECT_EQ(back.w, 300);
  EXPECT_EQ(back.h, 200);
  EXPECT_EQ(back.bpp, 3);
}

}  // namespace
