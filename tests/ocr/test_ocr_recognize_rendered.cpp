// Whole puzzles read back from rendered screenshots, as drawn and with light and dark swapped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ffi/quorvel.h"
#include "render.h"

namespace {

struct Case {
    uint64_t seed;
    render::Style style;
    render::Regions regions;
};

// Screenshot-clean pictures without pencil marks; the seeds fix colours, fonts and content.
constexpr Case kCases[] = {
    {7, render::Style::App, render::Regions::Boxes},
    {12, render::Style::AppDark, render::Regions::Boxes},
    {21, render::Style::App, render::Regions::Walls},
    {33, render::Style::Book, render::Regions::Boxes},
    // Newspaper pages square to the camera, print all around the puzzle.
    {8, render::Style::Newspaper, render::Regions::Boxes},
    {39, render::Style::Newspaper, render::Regions::Boxes},
};

std::vector<int> digits_of(const render::Truth& t) {
    std::vector<int> d(81);
    for (int i = 0; i < 81; ++i) d[i] = t.givens[i] ? t.givens[i] : t.entries[i];
    return d;
}

}  // namespace

TEST(OcrRecognizeRendered, CleanScreenshotsReadFullyInEitherPolarity) {
    for (const Case& c : kCases) {
        render::Options opt;
        opt.seed = c.seed;
        opt.style = c.style;
        opt.regions = c.regions;
        opt.diagonals = render::Diagonals::None;
        opt.marks = render::Marks::None;
        opt.photo = render::Photo::Clean;
        imageio::Image img;
        render::Truth truth;
        std::string err;
        ASSERT_TRUE(render::render(opt, img, truth, &err)) << err;
        SCOPED_TRACE(testing::Message() << "seed " << c.seed << " " << render::style_name(truth.style) << " "
                                        << render::regions_name(c.regions));
        int out[81];
        ASSERT_EQ(sudoku_ocr_recognize(img.px.data(), img.w, img.h, img.bpp, out), 1);
        EXPECT_EQ(std::vector<int>(out, out + 81), digits_of(truth));

        // The same picture light on dark reads the same digits.
        std::vector<unsigned char> inv(img.px);
        for (unsigned char& v : inv) v = static_cast<unsigned char>(255 - v);
        ASSERT_EQ(sudoku_ocr_recognize(inv.data(), img.w, img.h, img.bpp, out), 1);
        EXPECT_EQ(std::vector<int>(out, out + 81), digits_of(truth));
    }
}
