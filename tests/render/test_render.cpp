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

// Where the frame line runs near `guess` across a band of rows (or columns): the centre of the run
// of lines whose mean brightness is closest to the frame's extreme (darkest, or lightest on dark).
double frame_centre(const imageio::Image& img, bool rows, double guess, double from, double to, double reach,
                    bool light_lines) {
  std::vector<double> mean;
  int lo = int(std::floor(guess - reach)), hi = int(std::ceil(guess + reach));
  for (int p = lo; p <= hi; ++p) {
    double s = 0;
    int n = 0;
    for (int q = int(from); q <= int(to); ++q, ++n) s += rows ? luma(img, q, p) : luma(img, p, q);
    mean.push_back(light_lines ? -s / n : s / n);
  }
  double ext = *std::min_element(mean.begin(), mean.end());
  std::vector<double> sorted = mean;
  std::sort(sorted.begin(), sorted.end());
  double cut = ext + 0.25 * (sorted[sorted.size() / 2] - ext);
  int best = int(std::min_element(mean.begin(), mean.end()) - mean.begin());
  int a = best, b = best;
  while (a > 0 && mean[a - 1] <= cut) --a;
  while (b + 1 < int(mean.size()) && mean[b + 1] <= cut) ++b;
  return lo + (a + b) / 2.0;
}

bool light_on_dark(const Truth& t) { return t.style == render::Style::AppDark; }

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
    bool inv = light_on_dark(t);
    double reach = cell / 3;
    EXPECT_NEAR(frame_centre(img, true, top, l + cell / 2, r - cell / 2, reach, inv), top, 1.0) << seed;
    EXPECT_NEAR(frame_centre(img, true, bot, l + cell / 2, r - cell / 2, reach, inv), bot, 1.0) << seed;
    EXPECT_NEAR(frame_centre(img, false, l, top + cell / 2, bot - cell / 2, reach, inv), l, 1.0) << seed;
    EXPECT_NEAR(frame_centre(img, false, r, top + cell / 2, bot - cell / 2, reach, inv), r, 1.0) << seed;
  }
}

double bilinear(const imageio::Image& img, double x, double y) {
  int x0 = int(std::floor(x)), y0 = int(std::floor(y));
  double fx = x - x0, fy = y - y0;
  return luma(img, x0, y0) * (1 - fx) * (1 - fy) + luma(img, x0 + 1, y0) * fx * (1 - fy) +
         luma(img, x0, y0 + 1) * (1 - fx) * fy + luma(img, x0 + 1, y0 + 1) * fx * fy;
}

// On a turned, distorted photo the frame still runs along the straight segments between the
// reported corners: across each side, the darkest band of the mean brightness profile (taken
// perpendicular to the side, over its middle stretch) is centred on the segment.
TEST(Render, PhotoCornersStayInsideAndTraceTheFrame) {
  int checked = 0;
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
    for (int k = 0; k < 4; ++k) {
      double x0 = t.corner_x[k], y0 = t.corner_y[k], x1 = t.corner_x[(k + 1) % 4], y1 = t.corner_y[(k + 1) % 4];
      double len = std::hypot(x1 - x0, y1 - y0), nx = -(y1 - y0) / len, ny = (x1 - x0) / len;
      // Offsets in half pixels out to a quarter cell on either side, wider than any frame line.
      const int half = int(len / 9 / 4 * 2), steps = 2 * half + 1;
      std::vector<double> profile(steps, 0.0);
      for (int s = 2; s <= 18; ++s) {
        double f = s / 20.0, x = x0 + (x1 - x0) * f, y = y0 + (y1 - y0) * f;
        for (int d = 0; d < steps; ++d)
          profile[d] += bilinear(img, x + (d - half) * 0.5 * nx, y + (d - half) * 0.5 * ny);
      }
      int best = int(std::min_element(profile.begin(), profile.end()) - profile.begin());
      int lo = best, hi = best;
      double cut = profile[best] + 0.1 * (*std::max_element(profile.begin(), profile.end()) - profile[best]);
      while (lo > 0 && profile[lo - 1] <= cut) --lo;
      while (hi < steps - 1 && profile[hi + 1] <= cut) ++hi;
      EXPECT_NEAR((lo + hi - 2 * half) * 0.25, 0, 1.0) << "seed " << seed << " side " << k;
    }
  }
  EXPECT_GT(checked, 25);
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
