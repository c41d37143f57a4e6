// Region cut and diagonal marks on drawn grids: wall thresholds, line fitting, the box map, shaded diagonals, refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "ffi/quorvel.h"
#include "ocr/grid_picture.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_regions.h"
#include "ocr/ocr_warp.h"

using grid_picture::Picture;

namespace {

const std::vector<int> kBoxMap = [] {
    std::vector<int> m(81);
    for (int c = 0; c < 81; ++c) m[c] = c / 27 * 3 + c % 9 / 3;
    return m;
}();

constexpr int kLeft = 20, kTop = 16, kSide = 270;  // pitch 30

// A plain puzzle grid: thin cell lines and 5-pixel box lines, optional grey shading of the 17
// diagonal cells (all but a 2-pixel margin inside the lines).
Picture plain_grid(int w, int h, uint8_t diagonal_shade = 255) {
    Picture p = grid_picture::blank(w, h);
    const int pitch = kSide / 9;
    if (diagonal_shade != 255)
        for (int i = 0; i < 9; ++i)
            for (int j : {i, 8 - i})
                grid_picture::fill_rect(p, kLeft + j * pitch + 2, kTop + i * pitch + 2, kLeft + (j + 1) * pitch - 2,
                                        kTop + (i + 1) * pitch - 2, diagonal_shade);
    grid_picture::draw_upright(p, kLeft, kTop, kSide, 1);
    for (int k = 0; k <= 9; k += 3) {
        grid_picture::fill_rect(p, kLeft + k * pitch - 2, kTop - 2, kLeft + k * pitch + 2, kTop + kSide + 2);
        grid_picture::fill_rect(p, kLeft - 2, kTop + k * pitch - 2, kLeft + kSide + 2, kTop + k * pitch + 2);
    }
    return p;
}

// Covers the middle of a cell with a heavy blot, leaving a plain ring of paper inside its lines.
void blot_cell(Picture& p, int row, int column) {
    const int pitch = kSide / 9;
    const int x = kLeft + column * pitch, y = kTop + row * pitch;
    grid_picture::fill_rect(p, x + 2, y + 2, x + pitch - 2, y + pitch - 2, 255);
    grid_picture::fill_rect(p, x + 9, y + 9, x + pitch - 9, y + pitch - 9, 0);
}

// Side values with every box side at `wall` and every other side at 1.
void box_walls(float v[9][8], float hz[8][9], float wall) {
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 8; ++j) v[i][j] = j % 3 == 2 ? wall : 1;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 9; ++j) hz[i][j] = i % 3 == 2 ? wall : 1;
}

}  // namespace

TEST(OcrRegions, WallsCutNineRegionsAtTheFirstGapThatAllows) {
    float v[9][8], hz[8][9];
    box_walls(v, hz, 10);
    // One side far stronger than all others: its gap is the largest, but walling it alone leaves a
    // single region of 81 cells, so the next gap must be the one taken.
    v[4][1] = 1000;
    int regions[81];
    ASSERT_TRUE(walls_to_map(v, hz, regions));
    EXPECT_EQ(std::vector<int>(regions, regions + 81), kBoxMap);

    // No threshold gives nine regions of nine: the output stays as it was.
    box_walls(v, hz, 10);
    v[0][2] = 1;  // boxes 0 and 1 merge
    std::fill(regions, regions + 81, 7);
    EXPECT_FALSE(walls_to_map(v, hz, regions));
    EXPECT_EQ(std::vector<int>(regions, regions + 81), std::vector<int>(81, 7));
    box_walls(v, hz, 1);
    EXPECT_FALSE(walls_to_map(v, hz, regions));
}

TEST(OcrRegions, FitLinesFindsTheCombAndRefusesWhatHasNone) {
    std::vector<float> profile(300, 0.0f);
    float origin = -1, pitch = -1;
    EXPECT_FALSE(fit_lines(profile, 10, 3.9f, origin, pitch));
    EXPECT_FALSE(fit_lines(profile, 10, 30, origin, pitch));  // no darkness anywhere: best score 0
    for (int k = 0; k <= 9; ++k) profile[12 + 28 * k] = 50;
    ASSERT_TRUE(fit_lines(profile, 10, 30, origin, pitch));
    // Every line lands within the two-sample reach of its peak.
    for (int k = 0; k <= 9; ++k) EXPECT_LE(std::abs(std::lround(origin + k * pitch) - (12 + 28 * k)), 2) << k;
}

TEST(OcrRegions, PlainGridGivesTheBoxMapInAnyFormatAndPolarity) {
    const Picture p = plain_grid(320, 300);
    int out[81];
    for (int bpp : {1, 3, 4}) {
        const std::vector<uint8_t> buf = grid_picture::as_colour(p, bpp);
        std::fill(out, out + 81, -1);
        ASSERT_EQ(sudoku_ocr_regions(buf.data(), p.w, p.h, bpp, out), 1) << "bpp " << bpp;
        EXPECT_EQ(std::vector<int>(out, out + 81), kBoxMap);
    }
    Picture inverted = p;
    invert_grey(inverted.px.data(), inverted.px.size());
    std::fill(out, out + 81, -1);
    ASSERT_EQ(sudoku_ocr_regions(inverted.px.data(), p.w, p.h, 1, out), 1);
    EXPECT_EQ(std::vector<int>(out, out + 81), kBoxMap);

    // A blank page: nothing to cut, and the regions come back all 0.
    const Picture blank = grid_picture::blank(200, 200);
    std::fill(out, out + 81, -1);
    EXPECT_EQ(sudoku_ocr_regions(blank.px.data(), 200, 200, 1, out), 0);
    EXPECT_EQ(std::vector<int>(out, out + 81), std::vector<int>(81, 0));
}

namespace {

// Boxes coloured A B A / B C B / A B A on thin lines: A and B are pastels of one grey level whose
// colour shares lie close enough for the palette to take them as one colour, C a clearly different
// one. Only the hue tells A from B: no ink marks their sides. With `shade`, the diagonal cells are
// darkened to that fraction, which keeps their hue.
std::vector<uint8_t> pastel_boxes(int pitch, double shade = 1) {
    const int side = 9 * pitch + 1;
    const uint8_t kColours[3][3] = {{200, 230, 240}, {219, 220, 243}, {250, 240, 170}};
    std::vector<uint8_t> rgb(static_cast<size_t>(side) * side * 3);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int row = std::min(y / pitch, 8), column = std::min(x / pitch, 8);
            const int box = row / 3 * 3 + column / 3;
            const int colour = box == 4 ? 2 : box % 2;
            const bool line = x % pitch == 0 || y % pitch == 0;
            const double f = row == column || row + column == 8 ? shade : 1;
            uint8_t* px = &rgb[(static_cast<size_t>(y) * side + x) * 3];
            for (int c = 0; c < 3; ++c) px[c] = line ? 150 : static_cast<uint8_t>(kColours[colour][c] * f);
        }
    return rgb;
}

}  // namespace

TEST(OcrRegions, PaleNeighbouringColoursThatThePaletteMergesStillCutTheBoard) {
    const int pitch = 30, side = 9 * pitch + 1;
    for (double shade : {1.0, 0.8}) {
        const std::vector<uint8_t> rgb = pastel_boxes(pitch, shade);
        std::vector<uint8_t> grey;
        grey_from_colour(rgb.data(), side, side, 3, grey);
        std::vector<Rgb> palette;
        board_palette(rgb.data(), side, side, 3, palette, 0, 0, pitch, pitch);
        ASSERT_EQ(palette.size(), 2u) << "shade " << shade;
        int regions[81];
        ASSERT_TRUE(regions_at(rgb.data(), side, side, 3, grey.data(), 0, 0, pitch, pitch, regions)) << shade;
        EXPECT_EQ(std::vector<int>(regions, regions + 81), kBoxMap) << "shade " << shade;
    }
}

TEST(OcrRegions, DigitStrokesBesideThinSidesDoNotPassForWalls) {
    // Grey box walls three pixels wide, and beside every thin vertical side a black stroke a few
    // pixels into the next cell, as the edge of a large bold digit: it darkens the side's band more
    // than a wall does, but lies off the line itself.
    const int pitch = 30, side = 9 * pitch + 1;
    Picture p = grid_picture::blank(side, side);
    for (int k = 0; k <= 9; ++k) {
        const bool box = k % 3 == 0;
        const int at = k * pitch;
        grid_picture::fill_rect(p, at - box, 0, at + box, side - 1, box ? 120 : 200);
        grid_picture::fill_rect(p, 0, at - box, side - 1, at + box, box ? 120 : 200);
        if (!box)
            for (int row = 0; row < 9; ++row)
                grid_picture::fill_rect(p, at + 3, row * pitch + 6, at + 5, row * pitch + 24);
    }
    int regions[81];
    ASSERT_TRUE(regions_at(p.px.data(), side, side, 1, p.px.data(), 0, 0, pitch, pitch, regions));
    EXPECT_EQ(std::vector<int>(regions, regions + 81), kBoxMap);
}

TEST(OcrRegions, CellsInDeepShadowStillTakePartInTheCut) {
    // A shadow over the left third of the board takes its paper down to grey level 102, too dark
    // to count as bright: those cells are measured from all their pixels.
    Picture p = plain_grid(320, 300);
    const int pitch = kSide / 9;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < kLeft + 3 * pitch; ++x) {
            uint8_t& v = p.px[static_cast<size_t>(y) * p.w + x];
            v = static_cast<uint8_t>(v * 2 / 5);
        }
    int regions[81];
    ASSERT_TRUE(regions_at(p.px.data(), p.w, p.h, 1, p.px.data(), kLeft, kTop, pitch, pitch, regions));
    EXPECT_EQ(std::vector<int>(regions, regions + 81), kBoxMap);
}

TEST(OcrDiagonals, ShadedDiagonalsAreMarkedAndAPlainGridIsNot) {
    const Picture plain = plain_grid(320, 300);
    EXPECT_EQ(sudoku_ocr_detect_x(plain.px.data(), plain.w, plain.h, 1), 0);
    EXPECT_FALSE(x_marked(plain.px.data(), plain.w, plain.h, 1, kLeft, kTop, kLeft + kSide, kTop + kSide));

    Picture shaded = plain_grid(320, 300, 205);
    for (int bpp : {1, 3}) {
        const std::vector<uint8_t> buf = grid_picture::as_colour(shaded, bpp);
        EXPECT_EQ(sudoku_ocr_detect_x(buf.data(), shaded.w, shaded.h, bpp), 1) << "bpp " << bpp;
    }
    // Three diagonal cells hidden under heavy ink do not change the verdict; a fourth may.
    blot_cell(shaded, 0, 0);
    blot_cell(shaded, 4, 4);
    blot_cell(shaded, 2, 6);
    EXPECT_EQ(sudoku_ocr_detect_x(shaded.px.data(), shaded.w, shaded.h, 1), 1);
    blot_cell(shaded, 8, 0);
    blot_cell(shaded, 7, 7);
    EXPECT_EQ(sudoku_ocr_detect_x(shaded.px.data(), shaded.w, shaded.h, 1), 0);

    // Cells inked all over, which show no paper at all, are passed over like the blotted ones.
    Picture dark_cells = plain_grid(320, 300, 205);
    const int pitch = kSide / 9;
    for (auto [row, column] : {std::pair{0, 4}, std::pair{3, 3}})
        grid_picture::fill_rect(dark_cells, kLeft + column * pitch, kTop + row * pitch,
                                kLeft + (column + 1) * pitch, kTop + (row + 1) * pitch);
    EXPECT_EQ(sudoku_ocr_detect_x(dark_cells.px.data(), dark_cells.w, dark_cells.h, 1), 1);
}

TEST(OcrDiagonals, ShadedDiagonalsUnderUnevenLightAreMarked) {
    // Light falling off towards the left edge of a photographed page, to two thirds of full paper
    // brightness: the paper on the left is darker than the shaded cells on the right.
    auto dim_towards_left = [](Picture p) {
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) {
                uint8_t& v = p.px[static_cast<size_t>(y) * p.w + x];
                v = static_cast<uint8_t>(v * (0.66 + 0.34 * x / (p.w - 1)));
            }
        return p;
    };
    const Picture p = dim_towards_left(plain_grid(320, 300, 205));
    EXPECT_TRUE(x_marked(p.px.data(), p.w, p.h, 1, kLeft, kTop, kLeft + kSide, kTop + kSide));
    EXPECT_EQ(sudoku_ocr_detect_x(p.px.data(), p.w, p.h, 1), 1);
    const Picture plain = dim_towards_left(plain_grid(320, 300));
    EXPECT_EQ(sudoku_ocr_detect_x(plain.px.data(), plain.w, plain.h, 1), 0);
}

TEST(OcrDiagonals, DiagonalsDrawnAsLinesAreMarked) {
    // Two dark lines two pixels wide from corner to corner of the frame, on a board with a few
    // digits' worth of blots in other cells.
    Picture p = plain_grid(320, 300);
    for (int t = 0; t <= kSide; ++t)
        for (int d = 0; d < 2; ++d) {
            grid_picture::fill_rect(p, kLeft + t + d, kTop + t, kLeft + t + d, kTop + t, 60);
            grid_picture::fill_rect(p, kLeft + kSide - t - d, kTop + t, kLeft + kSide - t - d, kTop + t, 60);
        }
    blot_cell(p, 0, 3);
    blot_cell(p, 5, 1);
    EXPECT_EQ(sudoku_ocr_detect_x(p.px.data(), p.w, p.h, 1), 1);
    // Only one diagonal drawn is not the mark of both.
    Picture one = plain_grid(320, 300);
    for (int t = 0; t <= kSide; ++t)
        grid_picture::fill_rect(one, kLeft + t, kTop + t, kLeft + t + 1, kTop + t, 60);
    EXPECT_EQ(sudoku_ocr_detect_x(one.px.data(), one.w, one.h, 1), 0);
}

TEST(OcrDiagonals, TintedDiagonalsInAHueOfTheirOwnAreMarked) {
    // The 17 diagonal cells in a pale blue that no other cell shares: a palette colour whose class
    // holds only diagonal cells.
    const Picture p = plain_grid(320, 300, 1);
    std::vector<uint8_t> rgb = grid_picture::as_colour(p, 3);
    for (size_t i = 0; i < p.px.size(); ++i)
        if (p.px[i] == 1) {
            rgb[3 * i] = 200;
            rgb[3 * i + 1] = 220;
            rgb[3 * i + 2] = 255;
        }
    EXPECT_EQ(sudoku_ocr_detect_x(rgb.data(), p.w, p.h, 3), 1);
}

TEST(OcrRegions, PictureCallsRefuseBadArgumentsWithoutReading) {
    const std::vector<uint8_t> one(1, 0);
    int out[81];
    std::fill(out, out + 81, 5);
    for (int bpp : {0, 5, -1}) {
        EXPECT_EQ(sudoku_ocr_regions(one.data(), 100, 100, bpp, out), 0);
        EXPECT_EQ(sudoku_ocr_detect_x(one.data(), 100, 100, bpp), 0);
    }
    EXPECT_EQ(sudoku_ocr_regions(one.data(), 26, 100, 1, out), 0);
    EXPECT_EQ(sudoku_ocr_regions(one.data(), 100, 26, 1, out), 0);
    EXPECT_EQ(sudoku_ocr_regions(nullptr, 100, 100, 1, out), 0);
    EXPECT_EQ(sudoku_ocr_detect_x(one.data(), 26, 100, 3), 0);
    EXPECT_EQ(sudoku_ocr_detect_x(nullptr, 100, 100, 3), 0);
    EXPECT_EQ(std::vector<int>(out, out + 81), std::vector<int>(81, 5));
    const Picture p = plain_grid(320, 300);
    EXPECT_EQ(sudoku_ocr_regions(p.px.data(), p.w, p.h, 1, nullptr), 0);
}

namespace {

// A box test that records the images it was run on and passes on pictures of a chosen width
// (any width when pass_width is 0, none when it is negative).
struct Probe {
    int pass_width = 0;
    std::vector<std::pair<int, int>> sizes;
};
bool probe_box(const unsigned char*, const uint8_t*, int w, int h, int, int, int, int, int, void* ctx) {
    Probe& p = *static_cast<Probe*>(ctx);
    p.sizes.emplace_back(w, h);
    return p.pass_width == 0 || p.pass_width == w;
}

}  // namespace

TEST(OcrRules, SharedTriesRunEachTestUntilItsOwnSuccess) {
    Picture tilted = grid_picture::blank(420, 400);
    const double dx[4] = {60, 370, 390, 30}, dy[4] = {50, 70, 360, 340};
    grid_picture::draw_quad(tilted, dx, dy, 3);
    const int S = ocr_warp_size(tilted.w, tilted.h);
    // One test passes at once, one only on the straightened image, one never.
    Probe early, late{S, {}}, never{-1, {}};
    BoxTry tries[3] = {{probe_box, &early, false}, {probe_box, &late, false}, {probe_box, &never, false}};
    EXPECT_FALSE(try_three_ways(tilted.px.data(), tilted.w, tilted.h, 1, tries, 3));
    EXPECT_TRUE(tries[0].passed);
    EXPECT_TRUE(tries[1].passed);
    EXPECT_FALSE(tries[2].passed);
    EXPECT_EQ(early.sizes.size(), 1u);
    // Lattice box, then whole image, on every try; the late test passes on the straightened
    // image's box, where the failing one goes on to the whole image.
    ASSERT_GE(late.sizes.size(), 3u);
    EXPECT_EQ(late.sizes.back(), std::make_pair(S, S));
    EXPECT_EQ(late.sizes.front(), std::make_pair(tilted.w, tilted.h));
    std::vector<std::pair<int, int>> expected = late.sizes;
    expected.emplace_back(S, S);
    EXPECT_EQ(never.sizes, expected);
    // Alone, the late test takes the same course and is then the only one, so the call succeeds.
    Probe alone{S, {}};
    EXPECT_TRUE(try_three_ways(tilted.px.data(), tilted.w, tilted.h, 1, probe_box, &alone));
    EXPECT_EQ(alone.sizes, late.sizes);
}

TEST(OcrRules, BothDetectionsAtOnceAnswerAsEachAlone) {
    // Each picture passes the two tests at different tries, or not at all (the blank page and the
    // unmarked grid run every try for the diagonals), so the shared tries must keep each test's own
    // course: a test that passed is not run again, one that failed goes on to the next try.
    struct Case {
        const char* name;
        std::vector<uint8_t> px;
        int w, h, bpp;
    };
    std::vector<Case> cases;
    const Picture plain = plain_grid(320, 300), shaded = plain_grid(320, 300, 205);
    const Picture blank = grid_picture::blank(200, 200);
    cases.push_back({"plain", plain.px, plain.w, plain.h, 1});
    cases.push_back({"shaded, colour", grid_picture::as_colour(shaded, 4), shaded.w, shaded.h, 4});
    cases.push_back({"blank", blank.px, blank.w, blank.h, 1});
    cases.push_back({"pastel boxes, shaded diagonals", pastel_boxes(30, 0.85), 9 * 30 + 1, 9 * 30 + 1, 3});
    Picture tilted = grid_picture::blank(420, 400);
    const double dx[4] = {60, 370, 390, 30}, dy[4] = {50, 70, 360, 340};
    grid_picture::draw_quad(tilted, dx, dy, 3);
    cases.push_back({"tilted", tilted.px, tilted.w, tilted.h, 1});
    for (const Case& c : cases) {
        int alone[81], together[81];
        std::fill(together, together + 81, 7);
        const bool x_alone = ocr_detect_x(c.px.data(), c.w, c.h, c.bpp);
        const bool regions_alone = ocr_detect_regions(c.px.data(), c.w, c.h, c.bpp, alone);
        bool x = !x_alone, has_regions = !regions_alone;
        ocr_detect_rules(c.px.data(), c.w, c.h, c.bpp, x, has_regions, together);
        EXPECT_EQ(x, x_alone) << c.name;
        EXPECT_EQ(has_regions, regions_alone) << c.name;
        EXPECT_EQ(std::vector<int>(together, together + 81), std::vector<int>(alone, alone + 81)) << c.name;
    }
    EXPECT_TRUE(ocr_detect_x(cases[1].px.data(), cases[1].w, cases[1].h, 4));  // the cases differ
    EXPECT_FALSE(ocr_detect_regions(blank.px.data(), blank.w, blank.h, 1, std::vector<int>(81).data()));

    // Bad arguments: nothing found, and the map comes back all 0.
    int regions[81];
    for (int bpp : {0, 5}) {
        bool x = true, has_regions = true;
        std::fill(regions, regions + 81, 3);
        ocr_detect_rules(plain.px.data(), plain.w, plain.h, bpp, x, has_regions, regions);
        EXPECT_FALSE(x || has_regions) << "bpp " << bpp;
        EXPECT_EQ(std::vector<int>(regions, regions + 81), std::vector<int>(81, 0));
    }
    bool x = true, has_regions = true;
    ocr_detect_rules(nullptr, 100, 100, 1, x, has_regions, regions);
    EXPECT_FALSE(x || has_regions);
}
