// The digit reader with its trained network on rendered pictures printed in faces the trainer never saw.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ocr/ocr_read.h"
#include "ocr_data.h"
#include "render.h"

namespace {

// The first `count` pictures from `seed` on whose digits are printed in a held-out face.
std::vector<std::pair<imageio::Image, render::Truth>> held_out_pictures(render::Options opt, int count) {
    std::vector<std::pair<imageio::Image, render::Truth>> found;
    for (int tries = 0; tries < 400 && static_cast<int>(found.size()) < count; ++tries, ++opt.seed) {
        imageio::Image img;
        render::Truth truth;
        if (render::render(opt, img, truth) && ocr_data::held_out_font(truth.font)) found.emplace_back(img, truth);
    }
    return found;
}

}  // namespace

TEST(OcrReadRendered, ReadsCleanScreenshotsInNewFacesFullyRight) {
    render::Options opt;
    opt.seed = 424200;
    opt.style = render::Style::App;
    opt.photo = render::Photo::Clean;
    opt.marks = render::Marks::None;
    const auto pictures = held_out_pictures(opt, 3);
    ASSERT_EQ(pictures.size(), 3u);
    for (const auto& [img, truth] : pictures) {
        const std::vector<uint8_t> grey = ocr_data::reader_grey(img);
        int out[81];
        const int n = read_grid(grey.data(), img.w, img.h, out);
        EXPECT_EQ(n, 81 - std::count(truth.givens, truth.givens + 81, 0)) << truth.font;
        EXPECT_TRUE(std::equal(out, out + 81, truth.givens)) << truth.font;
    }
}
