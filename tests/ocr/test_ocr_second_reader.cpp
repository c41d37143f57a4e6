// The second opinion's own reader: its polarity test, its cells cut between the lines as they lie, its network, and a real photo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "imageio.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_recognize.h"
#include "ocr/ocr_second.h"
#include "ocr/ocr_warp.h"
#include "render.h"

namespace {

TEST(OcrLightOnDark, JudgesPolarityByWhereTheMedianLiesNotByAFixedCut) {
    const int w = 100, h = 80;
    auto page = [&](uint8_t ground, uint8_t print) {
        std::vector<uint8_t> img(static_cast<size_t>(w) * h, ground);
        for (int y = 10; y < 70; y += 6)  // thin strokes: about a tenth of the picture
            for (int x = 5; x < 95; ++x) img[static_cast<size_t>(y) * w + x] = print;
        return img;
    };
    // A dimly lit page: paper at 110, print at 30. Most pixels are below 128, yet it is dark print.
    const std::vector<uint8_t> dim = page(110, 30);
    EXPECT_TRUE(ink_majority(dim.data(), w, h));
    EXPECT_FALSE(ocr_light_on_dark(dim.data(), w, h));
    const std::vector<uint8_t> bright = page(230, 40);
    EXPECT_FALSE(ocr_light_on_dark(bright.data(), w, h));
    // Light print on a dark ground, as a dark app theme shows it.
    const std::vector<uint8_t> dark = page(35, 220);
    EXPECT_TRUE(ocr_light_on_dark(dark.data(), w, h));
    EXPECT_FALSE(ocr_light_on_dark(dark.data(), 0, 0));
}

// A straightened grid whose lines bow away from their even places by up to `bend` pixels, as a
// curved page or corners a little off leave them; the lines are 2 pixels wide.
std::vector<uint8_t> bowed_grid(int side, float bend) {
    std::vector<uint8_t> img(static_cast<size_t>(side) * side, 235);
    const float pitch = static_cast<float>(side) / 9.0f;
    auto offset = [&](int k, int along) {
        return bend * std::sin(3.14159f * static_cast<float>(along) / static_cast<float>(side)) * (k % 2 ? 1.0f : -0.6f);
    };
    for (int k = 0; k <= 9; ++k)
        for (int t = 0; t < side; ++t) {
            const int at = static_cast<int>(std::lround(static_cast<float>(k) * pitch + offset(k, t)));
            for (int d = -1; d <= 0; ++d) {
                const int p = std::clamp(at + d, 0, side - 1);
                img[static_cast<size_t>(p) * side + t] = 50;  // horizontal line k at column t
                img[static_cast<size_t>(t) * side + p] = 50;  // vertical line k at row t
            }
        }
    return img;
}

int line_pixels_in(const std::vector<uint8_t>& img, int side, const OcrCrop& c) {
    int n = 0;
    for (int y = c.y0; y < c.y1; ++y)
        for (int x = c.x0; x < c.x1; ++x) n += img[static_cast<size_t>(y) * side + x] < 128;
    return n;
}

TEST(OcrStraightCrops, CellsFollowGridLinesThatBowAwayFromTheirEvenPlaces) {
    const int side = kOcrStraightSide;
    const std::vector<uint8_t> img = bowed_grid(side, 7.0f);
    OcrCrop crops[81];
    ocr_straight_crops(img.data(), side, crops);
    int even_cut_lines = 0;
    for (int cell = 0; cell < 81; ++cell) {
        SCOPED_TRACE(cell);
        ASSERT_TRUE(crops[cell].usable());
        EXPECT_EQ(line_pixels_in(img, side, crops[cell]), 0);
        EXPECT_GE(crops[cell].width() * crops[cell].height(), 18 * 18);  // cells between lines bent towards each other shrink
        even_cut_lines += line_pixels_in(img, side, ocr_straight_crop(side, cell)) > 0;
    }
    EXPECT_GT(even_cut_lines, 20);  // the evenly divided cells would cut into the lines

    // A straight grid keeps its even cells.
    const std::vector<uint8_t> straight = bowed_grid(side, 0.0f);
    ocr_straight_crops(straight.data(), side, crops);
    for (int cell = 0; cell < 81; ++cell) {
        const OcrCrop even = ocr_straight_crop(side, cell);
        EXPECT_LE(std::abs(crops[cell].x0 - even.x0) + std::abs(crops[cell].y0 - even.y0), 2) << cell;
    }
}

TEST(OcrSecondNet, ReadsEachGlyphOfARenderedNewspaperPhotoAndCallsNoiseNoDigit) {
    const OcrNet net = ocr_second_net();
    ASSERT_EQ(net.hidden, kOcrSecondHidden);
    EXPECT_TRUE(std::any_of(net.w1, net.w1 + kOcrSecondInputs * kOcrSecondHidden, [](float v) { return v != 0; }));
    int digits = 0, right = 0, false_digits = 0;
    for (uint64_t seed : {41u, 42u, 43u}) {
        render::Options opt;
        opt.seed = seed;
        opt.style = render::Style::Newspaper;
        opt.photo = render::Photo::Mild;
        opt.regions = render::Regions::Boxes;
        opt.diagonals = render::Diagonals::None;
        opt.marks = render::Marks::None;
        imageio::Image img;
        render::Truth truth;
        ASSERT_TRUE(render::render(opt, img, truth));
        std::vector<uint8_t> grey;
        grey_from_colour(img.px.data(), img.w, img.h, img.bpp, grey);
        float H[9];
        ASSERT_TRUE(solve_homography(truth.corner_x, truth.corner_y, H));
        std::vector<uint8_t> warped;
        warp_quad(grey.data(), img.w, img.h, H, warped, kOcrStraightSide);
        OcrCrop crops[81];
        ocr_straight_crops(warped.data(), kOcrStraightSide, crops);
        OcrScratch s;
        float input[kOcrSecondInputs], p[kOcrClasses];
        for (int cell = 0; cell < 81; ++cell) {
            ocr_copy_crop(warped.data(), kOcrStraightSide, crops[cell], s);
            const bool glyph = ocr_second_cell_input(s.crop.data(), crops[cell].width(), crops[cell].height(), s, input);
            int read = 0;
            if (glyph) {
                ocr_wide_probs(net, input, p);
                float sum = 0;
                for (float v : p) sum += v;
                EXPECT_NEAR(sum, 1.0f, 1e-4f);
                const int top = static_cast<int>(std::max_element(p, p + kOcrClasses) - p);
                read = top != 0 && p[top] >= kOcrSecondAccept ? top : 0;
            }
            if (truth.givens[cell]) {
                ++digits;
                right += read == truth.givens[cell];
            } else {
                false_digits += read != 0;
            }
        }
    }
    EXPECT_GE(right, digits * 97 / 100);
    EXPECT_LE(false_digits, 1);
}

// The photo of tests/data: a newspaper page at an angle, blurred, under uneven light.
TEST(OcrSecondOpinion, ReadsTheNewspaperPhotoOfTheTestData) {
    imageio::Image img;
    ASSERT_TRUE(imageio::read_image(std::string(QUADRILLO_TEST_DATA_DIR) + "/newspaper-photo.jpg", img));
    const char* truth = ".42.....5...632.8..8..4.2...........715.6834.9.835.761.91..6.......2.19...61...5.";
    std::vector<uint8_t> grey;
    grey_from_colour(img.px.data(), img.w, img.h, img.bpp, grey);
    if (ocr_light_on_dark(grey.data(), img.w, img.h)) invert_grey(grey.data(), grey.size());
    int second[81];
    const OcrVerdict v = ocr_second_opinion(grey.data(), img.w, img.h, nullptr, false, second);
    EXPECT_TRUE(v.sound());
    int out[81];
    ASSERT_TRUE(ocr_recognize(img.px.data(), img.w, img.h, img.bpp, out));
    std::string read_second, read_whole;
    for (int k = 0; k < 81; ++k) {
        read_second += second[k] ? static_cast<char>('0' + second[k]) : '.';
        read_whole += out[k] ? static_cast<char>('0' + out[k]) : '.';
    }
    EXPECT_EQ(read_second, truth);
    EXPECT_EQ(read_whole, truth);
}

}  // namespace
