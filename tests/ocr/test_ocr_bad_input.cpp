// Picture calls under bad input: argument refusals, and seeded random pictures that must come back safely.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ffi/quorvel.h"
#include "ocr/grid_picture.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"
#include "ocr/ocr_warp.h"
#include "util/rand_utils.h"

using grid_picture::Picture;

TEST(OcrBadInput, ArgumentChecksComeBeforeAnyPixelIsRead) {
    // One byte of pixels: any read beyond it is caught by the address sanitizer.
    const std::vector<uint8_t> one(1, 0);
    int out[4] = {5, 6, 7, 8};
    EXPECT_EQ(sudoku_ocr_locate(nullptr, 100, 100, 1, out), 0);
    EXPECT_EQ(sudoku_ocr_locate(one.data(), 26, 1000, 1, out), 0);
    EXPECT_EQ(sudoku_ocr_locate(one.data(), 1000, 26, 3, out), 0);
    EXPECT_EQ(sudoku_ocr_locate(one.data(), -5, 100, 1, out), 0);
    EXPECT_EQ(sudoku_ocr_locate(one.data(), 100, 100, 0, out), 0);
    EXPECT_EQ(sudoku_ocr_locate(one.data(), 100, 100, 5, out), 0);
    EXPECT_EQ(sudoku_ocr_locate(one.data(), 100, 100, -1, out), 0);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{5, 6, 7, 8}));
    const Picture blank = grid_picture::blank(100, 100);
    EXPECT_EQ(sudoku_ocr_locate(blank.px.data(), 100, 100, 1, nullptr), 0);
    int box[4];
    EXPECT_FALSE(ocr_locate_grid(blank.px.data(), 100, 100, nullptr, &box[1], &box[2], &box[3]));

    // The smallest picture accepted: a 27 x 27 frame with its thirds, in grey and in colour.
    Picture tiny = grid_picture::blank(27, 27);
    for (int at : {0, 9, 18, 26}) {
        grid_picture::fill_rect(tiny, at, 0, at, 26);
        grid_picture::fill_rect(tiny, 0, at, 26, at);
    }
    for (int bpp : {1, 3}) {
        const std::vector<uint8_t> buf = grid_picture::as_colour(tiny, bpp);
        ASSERT_EQ(sudoku_ocr_locate(buf.data(), 27, 27, bpp, out), 1);
        EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{0, 0, 26, 26}));
    }
}

namespace {

enum Kind { kUniform, kNoise, kStripes, kGridInNoise, kKinds };

// A random picture of the given kind, sized exactly w x h x bpp so that any overrun is caught.
std::vector<uint8_t> random_picture(Kind kind, int w, int h, int bpp) {
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * bpp);
    const uint8_t level = static_cast<uint8_t>(arc4random_uniform(256));
    const int period = 2 + static_cast<int>(arc4random_uniform(3));
    const int dir = static_cast<int>(arc4random_uniform(3));  // rows, columns, both
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp; ++c) {
                uint8_t v = level;
                if (kind == kNoise || kind == kGridInNoise) v = static_cast<uint8_t>(arc4random_uniform(256));
                if (kind == kStripes) {
                    const bool on = (dir != 1 && y % period == 0) || (dir != 0 && x % period == 0);
                    v = on ? 0 : 255;
                }
                px[(static_cast<size_t>(y) * w + x) * bpp + c] = v;
            }
    if (kind == kGridInNoise) {
        Picture p = grid_picture::blank(w, h);
        const int side = std::min(w, h) - 1;
        grid_picture::draw_upright(p, 0, 0, side, 1);
        for (size_t i = 0; i < p.px.size(); ++i)
            if (p.px[i] == 0)
                for (int c = 0; c < bpp; ++c) px[i * bpp + c] = 0;
    }
    return px;
}

// Every picture operation on one picture; the results only have to be safe.
void run_all(const std::vector<uint8_t>& px, int w, int h, int bpp) {
    int out[4];
    sudoku_ocr_locate(px.data(), w, h, bpp, out);
    std::vector<uint8_t> grey;
    grey_from_colour(px.data(), w, h, bpp, grey);
    float xs[4], ys[4], H[9];
    for (bool dark : {true, false})
        if (find_quad_pol(grey.data(), w, h, xs, ys, dark) && solve_homography(xs, ys, H)) {
            std::vector<uint8_t> warped;
            warp_quad(grey.data(), w, h, H, warped, ocr_warp_size(w, h));
        }
    std::vector<uint8_t> colour_out;
    int S;
    warp_colour(px.data(), w, h, bpp, colour_out, S);
    std::vector<uint8_t> sheared;
    shear_correct(grey.data(), w, h, estimate_skew_deg(grey.data(), w, h) + 3.5f, sheared);
    comb_score(sheared.data(), w, h);
    int l, t, r, b;
    grid_box(grey.data(), w, h, l, t, r, b);
    comb_of_box(grey.data(), w, h, l, t, r, b);
    for (bool rows : {true, false}) {
        const std::vector<int> lines = line_positions(grey.data(), w, h, rows);
        int lo = rows ? t : l, hi = rows ? b : r;
        repair_span(grey.data(), w, h, rows, lines, lo, hi);
        int far_lo = -1000, far_hi = 100000;
        repair_span(grey.data(), w, h, rows, lines, far_lo, far_hi);
    }
    locate_lattice(grey.data(), w, h, l, t, r, b, true);
}

}  // namespace

TEST(OcrBadInput, RandomPicturesComeBackSafely) {
    rand_seed_thread(20261209);
    for (int round = 0; round < 60; ++round) {
        const Kind kind = static_cast<Kind>(round % kKinds);
        const int w = 27 + static_cast<int>(arc4random_uniform(480));
        const int h = 27 + static_cast<int>(arc4random_uniform(480));
        const int bpp = 1 + static_cast<int>(arc4random_uniform(4));
        SCOPED_TRACE(testing::Message() << "kind " << kind << " " << w << "x" << h << "x" << bpp);
        const std::vector<uint8_t> px = random_picture(kind, w, h, bpp);
        run_all(px, w, h, bpp);
        int regions[81];
        if (sudoku_ocr_regions(px.data(), w, h, bpp, regions)) {
            for (int r : regions) EXPECT_TRUE(r >= 0 && r <= 8);
        } else {
            EXPECT_EQ(std::vector<int>(regions, regions + 81), std::vector<int>(81, 0));
        }
        sudoku_ocr_detect_x(px.data(), w, h, bpp);
        int reading[81];
        ASSERT_EQ(sudoku_ocr_recognize(px.data(), w, h, bpp, reading), 1);
        for (int d : reading) EXPECT_TRUE(d >= 0 && d <= 9);
    }
    rand_unseed_thread();
}

TEST(OcrBadInput, HugePicturesComeBack) {
    rand_seed_thread(4000);
    // One-pixel stripes over 4000 x 4000 give thousands of line positions each way.
    const std::vector<uint8_t> stripes = random_picture(kStripes, 4000, 4000, 1);
    run_all(stripes, 4000, 4000, 1);
    // A whole-picture lattice on a huge colour picture is still found.
    Picture p = grid_picture::blank(4100, 4000);
    grid_picture::draw_upright(p, 50, 10, 3980, 9);
    const std::vector<uint8_t> colour = grid_picture::as_colour(p, 3);
    int out[4];
    ASSERT_EQ(sudoku_ocr_locate(colour.data(), p.w, p.h, 3, out), 1);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{50, 10, 4030, 3990}));
    // Equal lines everywhere: no walls to cut along, so no regions, and no marks.
    int regions[81];
    EXPECT_EQ(sudoku_ocr_regions(colour.data(), p.w, p.h, 3, regions), 0);
    EXPECT_EQ(sudoku_ocr_detect_x(colour.data(), p.w, p.h, 3), 0);
    rand_unseed_thread();
}
