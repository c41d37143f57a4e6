// Straightening: the homography, the warps, the corner search, the warp size and the line repair.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ocr/grid_picture.h"
#include "ocr/ocr_locate.h"
#include "ocr/ocr_warp.h"

using grid_picture::Picture;

namespace {

void map_point(const float H[9], float u, float v, float& x, float& y) {
    const float d = H[6] * u + H[7] * v + H[8];
    x = (H[0] * u + H[1] * v + H[2]) / d;
    y = (H[3] * u + H[4] * v + H[5]) / d;
}

// Horizontal lines, full width, at the given rows; the first `short_first` of them only half wide.
Picture row_lines(int w, int h, const std::vector<int>& at, bool short_first) {
    Picture p = grid_picture::blank(w, h);
    for (size_t i = 0; i < at.size(); ++i) grid_picture::fill_rect(p, 0, at[i], i == 0 && short_first ? w / 2 : w - 1, at[i]);
    return p;
}

}  // namespace

TEST(OcrHomography, MapsTheUnitSquareOntoTheCorners) {
    const float xs[4] = {10, 110, 110, 10}, ys[4] = {10, 10, 110, 110};
    float H[9];
    ASSERT_TRUE(solve_homography(xs, ys, H));
    const float want[9] = {100, 0, 10, 0, 100, 10, 0, 0, 1};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(H[i], want[i], 1e-3) << i;

    // A true perspective quadrilateral: every corner and the grid's centre land where they should.
    const double dx[4] = {37, 402, 371, 12}, dy[4] = {55, 21, 388, 344};
    const float fx[4] = {37, 402, 371, 12}, fy[4] = {55, 21, 388, 344};
    ASSERT_TRUE(solve_homography(fx, fy, H));
    const float u[4] = {0, 1, 1, 0}, v[4] = {0, 0, 1, 1};
    for (int k = 0; k < 4; ++k) {
        float x, y;
        map_point(H, u[k], v[k], x, y);
        EXPECT_NEAR(x, fx[k], 0.01);
        EXPECT_NEAR(y, fy[k], 0.01);
    }
    double m[9];
    grid_picture::square_to_quad(dx, dy, m);
    float x, y;
    map_point(H, 0.5f, 0.5f, x, y);
    EXPECT_NEAR(x, (m[0] * 0.5 + m[1] * 0.5 + m[2]) / (m[6] * 0.5 + m[7] * 0.5 + 1), 0.01);
    EXPECT_NEAR(y, (m[3] * 0.5 + m[4] * 0.5 + m[5]) / (m[6] * 0.5 + m[7] * 0.5 + 1), 0.01);

    const float zero[4] = {0, 0, 0, 0};
    EXPECT_FALSE(solve_homography(zero, zero, H));
}

TEST(OcrWarp, SizeOfTheStraightenedPicture) {
    EXPECT_EQ(ocr_warp_size(300, 200), 250);
    EXPECT_EQ(ocr_warp_size(100, 100), 180);
    EXPECT_EQ(ocr_warp_size(4000, 3000), 1200);
    EXPECT_EQ(ocr_warp_size(2147483647, 2147483647), 1200);
}

TEST(OcrWarp, StraightensAPerspectiveGrid) {
    Picture p = grid_picture::blank(420, 400);
    const double dx[4] = {60, 370, 390, 30}, dy[4] = {50, 70, 360, 340};
    grid_picture::draw_quad(p, dx, dy, 3);

    float xs[4], ys[4];
    ASSERT_TRUE(find_quad_pol(p.px.data(), p.w, p.h, xs, ys, true));
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(xs[k], dx[k], 3) << "corner " << k;
        EXPECT_NEAR(ys[k], dy[k], 3) << "corner " << k;
    }
    float H[9];
    ASSERT_TRUE(solve_homography(xs, ys, H));
    const int S = ocr_warp_size(p.w, p.h);
    std::vector<uint8_t> warped;
    warp_quad(p.px.data(), p.w, p.h, H, warped, S);
    ASSERT_EQ(warped.size(), static_cast<size_t>(S) * S);
    EXPECT_EQ(comb_score(warped.data(), S, S), 16);

    // The colour warp takes its corners from the grey plane when the picture has no colour.
    for (int bpp : {1, 3}) {
        const std::vector<uint8_t> buf = grid_picture::as_colour(p, bpp);
        std::vector<uint8_t> out;
        int side = 0;
        ASSERT_TRUE(warp_colour(buf.data(), p.w, p.h, bpp, out, side));
        ASSERT_EQ(side, S);
        ASSERT_EQ(out.size(), static_cast<size_t>(S) * S * bpp);
        for (size_t i = 0; i < warped.size(); ++i) ASSERT_EQ(out[i * bpp + (bpp - 1)], warped[i]) << i;
    }
}

TEST(OcrWarp, ColourWarpKeepsEachChannelApart) {
    // Red and green carry the grid, blue a fixed function of it, a fourth channel (alpha) is
    // constant: every channel must be sampled at the same point and come out in its own place.
    Picture p = grid_picture::blank(420, 400);
    const double dx[4] = {60, 370, 390, 30}, dy[4] = {50, 70, 360, 340};
    grid_picture::draw_quad(p, dx, dy, 3);
    std::vector<uint8_t> rgba(p.px.size() * 4);
    for (size_t i = 0; i < p.px.size(); ++i) {
        rgba[4 * i] = rgba[4 * i + 1] = p.px[i];
        rgba[4 * i + 2] = static_cast<uint8_t>(p.px[i] / 2 + 100);
        rgba[4 * i + 3] = 200;
    }
    std::vector<uint8_t> out;
    int S = 0;
    ASSERT_TRUE(warp_colour(rgba.data(), p.w, p.h, 4, out, S));
    ASSERT_EQ(out.size(), static_cast<size_t>(S) * S * 4);
    std::vector<uint8_t> red(static_cast<size_t>(S) * S);
    int inside = 0;
    for (size_t k = 0; k < red.size(); ++k) {
        const uint8_t* o = &out[4 * k];
        red[k] = o[0];
        ASSERT_EQ(o[1], o[0]) << k;
        ASSERT_NEAR(o[2], o[0] / 2.0 + 100, 1.0) << k;
        ASSERT_TRUE(o[3] == 200 || (o[3] == 255 && o[0] == 255 && o[2] == 255)) << k;
        inside += o[3] == 200;
    }
    EXPECT_GT(inside, S * S * 9 / 10);
    EXPECT_EQ(comb_score(red.data(), S, S), 16);
}

TEST(OcrWarp, SourcesOutsideTheSampledAreaStayWhite) {
    const Picture black = grid_picture::blank(100, 100, 0);
    const float xs[4] = {-50, 50, 50, -50}, ys[4] = {-50, -50, 50, 50};
    float H[9];
    ASSERT_TRUE(solve_homography(xs, ys, H));
    std::vector<uint8_t> out;
    warp_quad(black.px.data(), 100, 100, H, out, 100);
    EXPECT_EQ(out[10 * 100 + 10], 255) << "left of and above the picture";
    EXPECT_EQ(out[10 * 100 + 60], 255) << "above the picture";
    EXPECT_EQ(out[60 * 100 + 60], 0);
}

TEST(OcrWarp, CornerSearchRefusals) {
    const Picture small = grid_picture::blank(39, 200);
    float xs[4], ys[4];
    EXPECT_FALSE(find_quad_pol(small.px.data(), small.w, small.h, xs, ys, true));
    const Picture uniform = grid_picture::blank(200, 200, 128);
    EXPECT_FALSE(find_quad_pol(uniform.px.data(), 200, 200, xs, ys, true));
    // A long thin bar: one region, far too distorted for a grid.
    Picture bar = grid_picture::blank(300, 300);
    grid_picture::fill_rect(bar, 20, 140, 280, 160);
    EXPECT_FALSE(find_quad_pol(bar.px.data(), 300, 300, xs, ys, true));
    // The light board on a dark desk.
    Picture board = grid_picture::blank(300, 300, 40);
    grid_picture::fill_rect(board, 50, 60, 250, 250, 230);
    ASSERT_TRUE(find_quad_pol(board.px.data(), 300, 300, xs, ys, false));
    EXPECT_EQ(xs[0], 50);
    EXPECT_EQ(ys[0], 60);
    EXPECT_EQ(xs[2], 250);
    EXPECT_EQ(ys[2], 250);
}

// A dark table showing along two edges of a photo covers more of it than the lattice's thin lines:
// the corners are still the lattice's, not the picture's.
TEST(OcrWarp, CornerSearchPassesOverDarkBackgroundAtTheEdges) {
    Picture p = grid_picture::blank(400, 400);
    grid_picture::fill_rect(p, 340, 0, 399, 399, 60);
    grid_picture::fill_rect(p, 0, 350, 399, 399, 60);
    grid_picture::draw_upright(p, 60, 60, 243, 3);
    float xs[4], ys[4];
    ASSERT_TRUE(find_quad_pol(p.px.data(), p.w, p.h, xs, ys, true));
    const float want_x[4] = {59, 304, 304, 59}, want_y[4] = {59, 59, 304, 304};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(xs[k], want_x[k], 2) << "corner " << k;
        EXPECT_NEAR(ys[k], want_y[k], 2) << "corner " << k;
    }
}

// A black-and-white puzzle beside a yellow panel: the panel is the picture's most colourful region,
// but the straightening follows the puzzle's lines, which show a lattice.
TEST(OcrWarp, ColourWarpFollowsTheLatticeRatherThanAColouredPanel) {
    Picture p = grid_picture::blank(400, 400);
    grid_picture::draw_upright(p, 175, 175, 216, 3);
    std::vector<uint8_t> rgb = grid_picture::as_colour(p, 3);
    for (int y = 10; y <= 200; ++y)
        for (int x = 10; x <= 150; ++x) {
            uint8_t* px = &rgb[(static_cast<size_t>(y) * p.w + x) * 3];
            px[0] = 255;
            px[1] = 220;
            px[2] = 0;
        }
    std::vector<uint8_t> out;
    int S = 0;
    ASSERT_TRUE(warp_colour(rgb.data(), p.w, p.h, 3, out, S));
    std::vector<uint8_t> green(static_cast<size_t>(S) * S);
    for (size_t i = 0; i < green.size(); ++i) green[i] = out[i * 3 + 1];
    EXPECT_GE(comb_score(green.data(), S, S), 14);
}

TEST(OcrLattice, GridBoxAndLines) {
    int l, t, r, b;
    const Picture blank = grid_picture::blank(90, 60);
    grid_box(blank.px.data(), 90, 60, l, t, r, b);
    EXPECT_EQ(std::vector<int>({l, t, r, b}), (std::vector<int>{0, 0, 89, 59}));
    Picture p = grid_picture::blank(300, 260);
    grid_picture::draw_upright(p, 30, 20, 207, 3);
    grid_box(p.px.data(), p.w, p.h, l, t, r, b);
    EXPECT_EQ(std::vector<int>({l, t, r, b}), (std::vector<int>{29, 19, 238, 228}));
    const std::vector<int> rows = line_positions(p.px.data(), p.w, p.h, true);
    ASSERT_EQ(rows.size(), 10u);
    for (int k = 0; k <= 9; ++k) EXPECT_EQ(rows[k], 20 + k * 207 / 9);
}

TEST(OcrLattice, RepairSpanMovesTheWeakerEdgeByNinePitches) {
    const std::vector<int> lines = {10, 30, 50, 70, 90, 110, 130, 150, 170};
    // Eight pitches, the top line the weaker: the top moves 180 above the bottom.
    Picture weak_top = row_lines(200, 220, lines, true);
    int lo = 10, hi = 170;
    repair_span(weak_top.px.data(), 200, 220, true, lines, lo, hi);
    EXPECT_EQ(lo, -10);
    EXPECT_EQ(hi, 170);
    // Equal ink at both edges: the bottom moves.
    Picture even = row_lines(200, 220, lines, false);
    lo = 10, hi = 170;
    repair_span(even.px.data(), 200, 220, true, lines, lo, hi);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 190);
    // Nine pitches are left alone.
    std::vector<int> nine = lines;
    nine.push_back(190);
    Picture full = row_lines(200, 220, nine, false);
    lo = 10, hi = 190;
    repair_span(full.px.data(), 200, 220, true, nine, lo, hi);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 190);
    // The bottom would land 41 pixels (more than 1.5 pitches) below a 150-pixel picture: refused.
    Picture cut = row_lines(200, 150, {10, 30, 50, 70, 90, 110, 130}, false);
    lo = 10, hi = 170;
    repair_span(cut.px.data(), 200, 150, true, lines, lo, hi);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 170);
}
