// The second opinion: the soundness verdict, second guesses, local-threshold corners and the cell reader on rendered photos.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ocr/ocr_image.h"
#include "ocr/ocr_second.h"
#include "ocr/ocr_warp.h"
#include "render.h"

namespace {

// A puzzle with exactly one solution (30 clues) and that solution.
constexpr char kPuzzle[] = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";
constexpr char kSolution[] = "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

void digits(const char* text, int out[81]) {
    for (int k = 0; k < 81; ++k) out[k] = text[k] >= '1' && text[k] <= '9' ? text[k] - '0' : 0;
}

TEST(OcrVerdict, TellsSoundPuzzlesFromEveryKindOfUnsoundReading) {
    int r[81];
    digits(kPuzzle, r);
    OcrVerdict v = ocr_verdict(r, nullptr, false);
    EXPECT_TRUE(v.sound());
    EXPECT_EQ(v.solutions, 1);

    // A repeat in a box only: unsound on the boxes, and no count is made.
    int rep[81];
    std::copy(r, r + 81, rep);
    rep[18] = 3;  // r2c0 = 3, as r0c1: the box repeats it, its row and column do not
    v = ocr_verdict(rep, nullptr, false);
    EXPECT_FALSE(v.sound());
    EXPECT_EQ(v.repeats, 1);
    // With regions in which those two cells lie apart the repeat is gone.
    int stripes[81];
    for (int k = 0; k < 81; ++k) stripes[k] = k / 9;  // each row its own region
    EXPECT_EQ(ocr_verdict(rep, stripes, false).repeats, 0);

    // Down to 16 digits: never sound, whatever the count would say.
    int fewer[81];
    std::copy(r, r + 81, fewer);
    for (int k = 0, left = ocr_verdict(r, nullptr, false).digits; k < 81 && left > 16; ++k)
        if (fewer[k]) fewer[k] = 0, --left;
    v = ocr_verdict(fewer, nullptr, false);
    EXPECT_EQ(v.digits, 16);
    EXPECT_FALSE(v.sound());  // under 17 digits is never sound

    // The full solution is sound; on the x rules it breaks a diagonal.
    int full[81];
    digits(kSolution, full);
    EXPECT_TRUE(ocr_verdict(full, nullptr, false).sound());
    EXPECT_GT(ocr_verdict(full, nullptr, true).repeats, 0);

    // 17 scattered digits of the solution leave several solutions; a budget of one node gives up
    // (-1) rather than guess.
    int sparse[81] = {};
    for (int k = 0; k < 17; ++k) sparse[k * 4] = full[k * 4];
    const OcrVerdict many = ocr_verdict(sparse, nullptr, false);
    EXPECT_EQ(many.repeats, 0);
    EXPECT_EQ(many.solutions, 2);
    EXPECT_EQ(ocr_verdict(sparse, nullptr, false, 1).solutions, -1);
}

TEST(OcrVerdict, OrdersReadingsSoundFirstThenFewerRepeatsThenMoreDigits) {
    OcrVerdict sound{0, 20, 1}, several{0, 30, 2}, repeats{1, 40, 0}, worse{2, 40, 0}, fewer{1, 30, 0};
    EXPECT_TRUE(ocr_verdict_better(sound, several));
    EXPECT_TRUE(ocr_verdict_better(several, repeats));
    EXPECT_TRUE(ocr_verdict_better(repeats, worse));
    EXPECT_TRUE(ocr_verdict_better(repeats, fewer));
    EXPECT_FALSE(ocr_verdict_better(fewer, repeats));
    EXPECT_FALSE(ocr_verdict_better(sound, sound));
}

TEST(OcrSecondGuesses, ADoubtfulCellTakesItsNextGuessOnlyWhenThatMakesThePuzzleSound) {
    int truth[81];
    digits(kPuzzle, truth);
    OcrCellGuess guesses[81];
    for (int k = 0; k < 81; ++k) {
        guesses[k].glyph = truth[k] != 0;
        guesses[k].digit = truth[k];
        guesses[k].second = truth[k] == 1 ? 7 : 1;  // a next guess that would break the puzzle
        guesses[k].prob = 0.99f;
        guesses[k].p_second = 0.005f;
    }
    // The 7 of r0c4 was misread as 1 with doubt (column 4 holds a 1 already), 7 being its next
    // guess; the confident cells' next guesses would break the puzzle and are not taken.
    int reading[81];
    std::copy(truth, truth + 81, reading);
    const int cell = 4;
    ASSERT_EQ(truth[cell], 7);
    reading[cell] = 1;
    guesses[cell].digit = 1;
    guesses[cell].second = 7;
    guesses[cell].prob = 0.55f;
    guesses[cell].p_second = 0.4f;
    OcrVerdict v = ocr_verdict(reading, nullptr, false);
    ASSERT_FALSE(v.sound());
    ASSERT_TRUE(ocr_try_second_guesses(reading, guesses, nullptr, false, v));
    EXPECT_TRUE(v.sound());
    EXPECT_EQ(std::vector<int>(reading, reading + 81), std::vector<int>(truth, truth + 81));

    // When no single or paired change makes it sound, the reading is left as it was.
    int hopeless[81] = {};
    hopeless[0] = hopeless[1] = 5;
    OcrCellGuess none[81];
    OcrVerdict hv = ocr_verdict(hopeless, nullptr, false);
    EXPECT_FALSE(ocr_try_second_guesses(hopeless, none, nullptr, false, hv));
    EXPECT_EQ(hopeless[0], 5);
    EXPECT_EQ(hopeless[1], 5);
}

// A rendered photo of a newspaper grid, grey and dark on light.
bool rendered_photo(uint64_t seed, render::Photo photo, std::vector<uint8_t>& grey, imageio::Image& img,
                    render::Truth& truth) {
    render::Options opt;
    opt.seed = seed;
    opt.style = render::Style::Newspaper;
    opt.photo = photo;
    opt.regions = render::Regions::Boxes;
    opt.diagonals = render::Diagonals::None;
    opt.marks = render::Marks::None;
    if (!render::render(opt, img, truth)) return false;
    grey_from_colour(img.px.data(), img.w, img.h, img.bpp, grey);
    if (ink_majority(grey.data(), img.w, img.h)) invert_grey(grey.data(), grey.size());
    return true;
}

TEST(OcrSecondPath, ReadsRenderedPhotosStraightenedByTheirCornersAndFindsThoseCorners) {
    int cells = 0, right = 0, corners_found = 0, pictures = 0;
    for (uint64_t seed : {3u, 5u, 14u, 27u}) {
        std::vector<uint8_t> grey;
        imageio::Image img;
        render::Truth truth;
        ASSERT_TRUE(rendered_photo(seed, render::Photo::Mild, grey, img, truth));
        ++pictures;
        float H[9];
        ASSERT_TRUE(solve_homography(truth.corner_x, truth.corner_y, H));
        std::vector<uint8_t> warped;
        const int side = 324;
        warp_quad(grey.data(), img.w, img.h, H, warped, side);
        int out[81];
        OcrCellGuess guesses[81];
        const int n = ocr_read_straight(warped.data(), side, out, guesses);
        EXPECT_EQ(n, static_cast<int>(std::count_if(out, out + 81, [](int d) { return d != 0; })));
        for (int k = 0; k < 81; ++k) {
            ++cells;
            right += out[k] == truth.givens[k];
            if (out[k]) {
                EXPECT_EQ(guesses[k].digit, out[k]);
            }
        }
        float xs[4], ys[4];
        if (ocr_adaptive_corners(grey.data(), img.w, img.h, xs, ys)) {
            float worst = 0;
            for (int k = 0; k < 4; ++k)
                worst = std::max(worst, std::hypot(xs[k] - truth.corner_x[k], ys[k] - truth.corner_y[k]));
            const float side_px = std::hypot(truth.corner_x[1] - truth.corner_x[0], truth.corner_y[1] - truth.corner_y[0]);
            corners_found += worst <= 0.03f * side_px;
        }
    }
    EXPECT_GE(right, cells * 95 / 100);
    EXPECT_GE(corners_found, pictures - 1);
}

TEST(OcrSecondPath, PicturesWithoutAGridGiveNoCornersAndAnEmptyReading) {
    std::vector<uint8_t> blank(200 * 150, 230);
    float xs[4], ys[4];
    EXPECT_FALSE(ocr_adaptive_corners(blank.data(), 200, 150, xs, ys));
    int out[81];
    const OcrVerdict v = ocr_second_opinion(blank.data(), 200, 150, nullptr, false, out);
    EXPECT_FALSE(v.sound());
    EXPECT_EQ(std::count(out, out + 81, 0), 81);
}

}  // namespace
