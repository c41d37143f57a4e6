// Regions and diagonal marks read back from rendered puzzle pictures (walls, region colours, shading, tints).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ffi/quorvel.h"
#include "render.h"

namespace {

struct Case {
    uint64_t seed;
    render::Regions regions;
    render::Diagonals diagonals;
};

// Screenshot-clean pictures of each way of drawing regions and diagonals; the seeds fix page
// style, colours and content.
constexpr Case kCases[] = {
    {25, render::Regions::Walls, render::Diagonals::None},
    {31, render::Regions::Walls, render::Diagonals::Shade},
    {55, render::Regions::Colours, render::Diagonals::Shade},
    {73, render::Regions::WallsAndColours, render::Diagonals::None},
    {13, render::Regions::Boxes, render::Diagonals::Tint},
    {37, render::Regions::Walls, render::Diagonals::Tint},
    {87, render::Regions::WallsAndColours, render::Diagonals::Tint},
    {2, render::Regions::Boxes, render::Diagonals::None},
};

}  // namespace

TEST(OcrRendered, RegionsAndDiagonalMarksMatchWhatWasDrawn) {
    for (const Case& c : kCases) {
        render::Options opt;
        opt.seed = c.seed;
        opt.regions = c.regions;
        opt.diagonals = c.diagonals;
        opt.photo = render::Photo::Clean;
        imageio::Image img;
        render::Truth truth;
        std::string err;
        ASSERT_TRUE(render::render(opt, img, truth, &err)) << err;
        SCOPED_TRACE(testing::Message() << "seed " << c.seed << " " << render::regions_name(c.regions) << "/"
                                        << render::diagonals_name(c.diagonals) << " "
                                        << render::style_name(truth.style));
        int regions[81];
        ASSERT_EQ(sudoku_ocr_regions(img.px.data(), img.w, img.h, img.bpp, regions), 1);
        EXPECT_EQ(std::vector<int>(regions, regions + 81), std::vector<int>(truth.regions, truth.regions + 81));
        EXPECT_EQ(sudoku_ocr_detect_x(img.px.data(), img.w, img.h, img.bpp), truth.diagonals ? 1 : 0);
    }
}
