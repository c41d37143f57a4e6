// Grid location: the lattice box of drawn grids in any polarity and pixel format, refusals, comb score, skew.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ffi/quorvel.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"
#include "ocr/grid_picture.h"

using grid_picture::Picture;

namespace {

// A 300 x 260 picture with a lattice whose outer line centres are 30, 20, 237, 227.
Picture upright_grid() {
    Picture p = grid_picture::blank(300, 260);
    grid_picture::draw_upright(p, 30, 20, 207, 3);
    return p;
}

// Horizontal lines every 24 pixels, descending by tan(degrees) per pixel to the right.
Picture slanted_lines(float degrees) {
    Picture p = grid_picture::blank(300, 300);
    const double s = std::tan(degrees * M_PI / 180);
    for (int y0 = 12; y0 < 300; y0 += 24)
        for (int x = 0; x < 300; ++x) {
            const int y = y0 + static_cast<int>(std::lround(x * s));
            grid_picture::fill_rect(p, x, y, x, y + 1);
        }
    return p;
}

}  // namespace

TEST(OcrLocate, FindsTheBoxInEveryPixelFormatAndPolarity) {
    const Picture p = upright_grid();
    for (int bpp = 1; bpp <= 4; ++bpp) {
        const std::vector<uint8_t> buf = grid_picture::as_colour(p, bpp);
        int out[4] = {};
        ASSERT_EQ(sudoku_ocr_locate(buf.data(), p.w, p.h, bpp, out), 1) << "bpp " << bpp;
        EXPECT_EQ(out[0], 30);
        EXPECT_EQ(out[1], 20);
        EXPECT_EQ(out[2], 237);
        EXPECT_EQ(out[3], 227);
    }
    // A white-on-black screenshot of the same grid.
    Picture inverted = p;
    invert_grey(inverted.px.data(), inverted.px.size());
    int out[4] = {};
    ASSERT_EQ(sudoku_ocr_locate(inverted.px.data(), p.w, p.h, 1, out), 1);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{30, 20, 237, 227}));
}

TEST(OcrLocate, FindsAGridInASmallTiltAndAmongClutter) {
    Picture p = grid_picture::blank(400, 360);
    const double xs[4] = {52, 331, 334, 49}, ys[4] = {40, 42, 320, 318};
    grid_picture::draw_quad(p, xs, ys, 2.5);
    grid_picture::fill_rect(p, 0, 385, 399, 390);  // a rule below the grid
    int out[4];
    ASSERT_TRUE(ocr_locate_grid(p.px.data(), p.w, p.h, &out[0], &out[1], &out[2], &out[3]));
    EXPECT_NEAR(out[0], 50, 3);
    EXPECT_NEAR(out[1], 41, 3);
    EXPECT_NEAR(out[2], 333, 3);
    EXPECT_NEAR(out[3], 319, 3);
}

TEST(OcrLocate, RefusesWhatIsNotAnEvenLattice) {
    const int untouched[4] = {-7, -7, -7, -7};
    auto refused = [&](const Picture& p) {
        int out[4] = {-7, -7, -7, -7};
        const int r = sudoku_ocr_locate(p.px.data(), p.w, p.h, 1, out);
        return r == 0 && std::equal(out, out + 4, untouched);
    };
    Picture frame = grid_picture::blank(300, 300);
    grid_picture::draw_upright(frame, 40, 40, 207, 3, false);
    EXPECT_TRUE(refused(frame)) << "a frame without inner lines";

    // Ten even columns over 207 pixels, the frame and thirds of rows over 250.
    Picture squat = grid_picture::blank(300, 300);
    for (int k = 0; k <= 9; ++k) grid_picture::fill_rect(squat, 40 + k * 23, 40, 41 + k * 23, 290);
    for (int y : {40, 123, 206, 290}) grid_picture::fill_rect(squat, 40, y, 247, y + 1);
    EXPECT_TRUE(refused(squat)) << "width and height differ by more than 12%";
    EXPECT_TRUE(refused(grid_picture::blank(100, 100)));
    EXPECT_TRUE(refused(grid_picture::blank(100, 100, 0)));
}

// A grid whose thin lines are too light to count as ink in places (as in a jigsaw drawn with
// bold region lines): the dark lines that remain also make up smaller boxes of six or seven cells,
// and the whole grid must still win over them.
TEST(OcrLocate, TakesTheWholeGridWhenSomeThinLinesAreMissing) {
    Picture p = grid_picture::blank(320, 320);
    const int left = 10, top = 10, side = 297;  // lines every 33 pixels
    for (int k = 0; k <= 9; ++k) {
        const int at = k * side / 9;
        if (k != 2) grid_picture::fill_rect(p, left + at - 1, top - 1, left + at + 1, top + side + 1);
        if (k != 1 && k != 8) grid_picture::fill_rect(p, left - 1, top + at - 1, left + side + 1, top + at + 1);
    }
    int box[4];
    ASSERT_TRUE(locate_lattice(p.px.data(), p.w, p.h, box[0], box[1], box[2], box[3], false));
    EXPECT_EQ(std::vector<int>(box, box + 4), (std::vector<int>{left, top, left + side, top + side}));
}

TEST(OcrComb, CountsInnerLinesOfTheBox) {
    const Picture uniform = grid_picture::blank(200, 150, 90);
    EXPECT_EQ(comb_score(uniform.px.data(), uniform.w, uniform.h), 0);
    const Picture p = upright_grid();
    EXPECT_EQ(comb_of_box(p.px.data(), p.w, p.h, 30, 20, 237, 227), 16);
    EXPECT_EQ(comb_of_box(p.px.data(), p.w, p.h, 30, 20, 55, 227), -1) << "26 pixels wide";
    EXPECT_EQ(comb_of_box(p.px.data(), p.w, p.h, 30, 20, 300, 227), -1) << "outside the picture";
    Picture frame = grid_picture::blank(300, 300);
    grid_picture::draw_upright(frame, 0, 0, 297, 3, false);
    EXPECT_EQ(comb_score(frame.px.data(), frame.w, frame.h), 0);
}

TEST(OcrSkew, MeasuresTiltAndShearsItBack) {
    for (float a : {2.0f, -2.0f, 4.5f}) {
        const Picture p = slanted_lines(a);
        EXPECT_FLOAT_EQ(estimate_skew_deg(p.px.data(), p.w, p.h), a);
        std::vector<uint8_t> straight;
        shear_correct(p.px.data(), p.w, p.h, a, straight);
        EXPECT_LE(std::fabs(estimate_skew_deg(straight.data(), p.w, p.h)), 0.5f) << a;
    }
    const Picture blank = grid_picture::blank(120, 80);
    EXPECT_EQ(estimate_skew_deg(blank.px.data(), blank.w, blank.h), 0.0f);
    const Picture p = upright_grid();
    std::vector<uint8_t> copy;
    shear_correct(p.px.data(), p.w, p.h, 0.0f, copy);
    EXPECT_EQ(copy, p.px);
}
