// The whole-picture reader's straightening trace; this program runs with OCR_DEBUG set.
#include <gtest/gtest.h>

#include <string>

#include "ocr/grid_picture.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_recognize.h"

namespace {

std::string trace_of_reading(const grid_picture::Picture& p) {
    int out[81];
    testing::internal::CaptureStdout();
    EXPECT_TRUE(ocr_recognize(p.px.data(), p.w, p.h, 1, out));
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(OcrRecognizeTrace, OnlyATiltedGridIsStraightened) {
    if (!g_dbg) GTEST_SKIP() << "run with OCR_DEBUG set";
    grid_picture::Picture square = grid_picture::blank(300, 300);
    grid_picture::draw_upright(square, 20, 20, 260, 3);
    const std::string upright = trace_of_reading(square);
    EXPECT_EQ(upright.rfind("warp rejected (comb=-1)\n", 0), 0u);
    // The empty lattice reads no digit, so nothing repeats and the referee stays silent.
    EXPECT_EQ(upright.find("referee"), std::string::npos);

    grid_picture::Picture tilted = grid_picture::blank(300, 300);
    const double xs[4] = {40, 265, 280, 25}, ys[4] = {30, 45, 270, 255};
    grid_picture::draw_quad(tilted, xs, ys, 3);
    EXPECT_EQ(trace_of_reading(tilted).rfind("warp ACCEPTED (comb=", 0), 0u);
}
