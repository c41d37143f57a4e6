// The digit reader: glyph choice and its refusals, scaling into the 24 x 24 input, the acceptance threshold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ocr/grid_picture.h"
#include "ocr/ocr_read.h"

using grid_picture::Picture;

namespace {

// The reader's view of a crop: its chosen glyph label and, when none, the reason.
struct Choice {
    int label;
    OcrRefusal why;
};

Choice choose(const Picture& crop, OcrScratch& s) {
    ocr_components(crop.px.data(), crop.w, crop.h, s);
    Choice c{0, OcrRefusal::None};
    c.label = ocr_choose_glyph(s, crop.w, crop.h, &c.why);
    return c;
}

// A network that ignores its input: one hidden unit always at 1 feeds the given class scores.
struct FixedNet {
    std::vector<float> w1 = std::vector<float>(kOcrInputs * kOcrHidden, 0.0f), b1 = std::vector<float>(kOcrHidden, 0.0f),
                       w2 = std::vector<float>(kOcrHidden * kOcrClasses, 0.0f), b2 = std::vector<float>(kOcrClasses, 0.0f);

    explicit FixedNet(const float scores[kOcrClasses]) {
        b1[0] = 1;
        std::copy(scores, scores + kOcrClasses, w2.begin());
    }
    // Class 3 at probability p, class 0 taking the rest, the other classes out of the running.
    static FixedNet three_at(double p) {
        float scores[kOcrClasses];
        std::fill(scores, scores + kOcrClasses, -60.0f);
        scores[0] = 0;
        scores[3] = static_cast<float>(std::log(p / (1 - p)));
        return FixedNet(scores);
    }
    OcrNet view() const { return OcrNet{w1.data(), b1.data(), w2.data(), b2.data()}; }
};

// A 300 x 300 lattice of 30-pixel cells with one upright bar, a plausible glyph, in cell (2, 3).
Picture grid_with_glyph() {
    Picture p = grid_picture::blank(300, 300);
    grid_picture::draw_upright(p, 10, 10, 270, 3);
    grid_picture::fill_rect(p, 113, 77, 117, 93);
    return p;
}

}  // namespace

TEST(OcrGlyph, RefusesCellsWithoutOnePlausibleDigit) {
    OcrScratch s;
    Picture blank = grid_picture::blank(30, 30);
    EXPECT_EQ(choose(blank, s).why, OcrRefusal::NoInk);

    // A mostly dark crop (median 40) has no ink at all, however light its other pixels.
    Picture dark = grid_picture::blank(30, 30, 40);
    grid_picture::fill_rect(dark, 0, 0, 29, 10, 250);
    EXPECT_TRUE(choose(dark, s).why == OcrRefusal::NoInk && s.comps.empty());

    Picture bar = grid_picture::blank(30, 30);  // a dash, or what is left of a grid line
    grid_picture::fill_rect(bar, 5, 14, 24, 16);
    const OcrRefusal bar_why = choose(bar, s).why;
    EXPECT_TRUE(bar_why == OcrRefusal::TooShort || bar_why == OcrRefusal::TooWide);
    Picture wide = grid_picture::blank(30, 30);
    grid_picture::fill_rect(wide, 2, 5, 27, 20);
    EXPECT_EQ(choose(wide, s).why, OcrRefusal::TooWide);

    Picture speck = grid_picture::blank(40, 40);
    grid_picture::fill_rect(speck, 20, 20, 21, 21);
    EXPECT_EQ(choose(speck, s).why, OcrRefusal::TooSmall);

    Picture stroke = grid_picture::blank(30, 30);  // one-pixel diagonal: fills a tenth of its box at most
    for (int k = 0; k < 24; ++k) grid_picture::fill_rect(stroke, 3 + k, 3 + k, 3 + k, 3 + k);
    EXPECT_EQ(choose(stroke, s).why, OcrRefusal::TooThin);

    Picture pair = grid_picture::blank(30, 30);  // two marks of equal height side by side
    grid_picture::fill_rect(pair, 6, 8, 10, 21);
    grid_picture::fill_rect(pair, 18, 8, 22, 21);
    EXPECT_EQ(choose(pair, s).why, OcrRefusal::SecondMark);
}

TEST(OcrGlyph, PrefersAGlyphThatDoesNotSpanItsCrop) {
    OcrScratch s;
    Picture crop = grid_picture::blank(30, 30);
    grid_picture::fill_rect(crop, 0, 1, 29, 3);      // a line remnant from edge to edge, the largest component
    grid_picture::fill_rect(crop, 13, 8, 16, 24);    // a smaller upright glyph
    const Choice c = choose(crop, s);
    ASSERT_EQ(s.comps.size(), 2u);
    EXPECT_TRUE(s.comps[0].spans);
    EXPECT_GT(s.comps[0].count, s.comps[1].count);
    EXPECT_EQ(c.label, 2);

    // Only spanning ink: the largest of it is the glyph, and here it passes as one.
    Picture line = grid_picture::blank(30, 30);
    grid_picture::fill_rect(line, 12, 0, 17, 29);
    EXPECT_EQ(choose(line, s).label, 1);
}

TEST(OcrGlyph, ScalesTheLongerSideToTwentyAndCentresTheBox) {
    OcrScratch s;
    float input[kOcrInputs];
    Picture one = grid_picture::blank(40, 40);
    grid_picture::fill_rect(one, 18, 10, 20, 29);  // 3 x 20: kept as it is
    ASSERT_TRUE(ocr_cell_input(one.px.data(), one.w, one.h, s, input));
    for (int y = 0; y < kOcrSide; ++y)
        for (int x = 0; x < kOcrSide; ++x)
            EXPECT_EQ(input[y * kOcrSide + x], x >= 10 && x < 13 && y >= 2 && y < 22 ? 1.0f : 0.0f) << x << "," << y;

    // 10 x 40 halves to 5 x 20: each input pixel averages 2 x 2 glyph pixels, so a notch of five
    // pixels in one row leaves two halves and a three-quarter.
    Picture tall = grid_picture::blank(60, 60);
    grid_picture::fill_rect(tall, 25, 10, 34, 49);
    grid_picture::fill_rect(tall, 25, 30, 29, 30, 255);
    ASSERT_TRUE(ocr_cell_input(tall.px.data(), tall.w, tall.h, s, input));
    float total = 0;
    for (float v : input) total += v;
    EXPECT_FLOAT_EQ(total, 5 * 20 - 1.25f);
    EXPECT_FLOAT_EQ(input[2 * kOcrSide + 9], 1.0f);    // top-left of the box at (9, 2)
    EXPECT_FLOAT_EQ(input[12 * kOcrSide + 10], 0.5f);  // the row holding the notch
    EXPECT_FLOAT_EQ(input[12 * kOcrSide + 11], 0.75f);
    EXPECT_FLOAT_EQ(input[2 * kOcrSide + 8], 0.0f);
    EXPECT_FLOAT_EQ(input[22 * kOcrSide + 9], 0.0f);
}

TEST(OcrRead, AcceptsADigitFromProbabilityPointFiftyFive) {
    const Picture p = grid_with_glyph();
    int out[81];
    const FixedNet below = FixedNet::three_at(0.54);
    EXPECT_EQ(read_grid_net(p.px.data(), p.w, p.h, out, below.view()), 0);
    EXPECT_EQ(std::count(out, out + 81, 0), 81);

    const FixedNet at = FixedNet::three_at(0.5500001);
    float prob = 0;
    const float input[kOcrInputs] = {};
    ASSERT_EQ(ocr_classify(at.view(), input, prob), 3);
    ASSERT_GE(prob, kOcrAccept);
    EXPECT_EQ(read_grid_net(p.px.data(), p.w, p.h, out, at.view()), 1);  // the count is the digits read
    EXPECT_EQ(out[2 * 9 + 3], 3);
    EXPECT_EQ(std::count(out, out + 81, 0), 80);

    // Equal scores: the lower class wins, and a no-digit verdict reads nothing whatever its probability.
    float tie[kOcrClasses] = {-60, -60, 5, -60, -60, 5, -60, -60, -60, -60};
    EXPECT_EQ(ocr_classify(FixedNet(tie).view(), input, prob), 2);
    float none[kOcrClasses] = {9, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const FixedNet refuse(none);
    EXPECT_EQ(read_grid_net(p.px.data(), p.w, p.h, out, refuse.view()), 0);
}
