// The digit reader's trace lines; this program runs with OCR_DEBUG set, which switches the trace on at load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocr/grid_picture.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_read.h"

TEST(OcrReadTrace, PrintsRefusedCropsAndClassifiedInputs) {
    if (!g_dbg) GTEST_SKIP() << "run with OCR_DEBUG set";
    grid_picture::Picture p = grid_picture::blank(300, 300);
    grid_picture::draw_upright(p, 10, 10, 270, 3);
    grid_picture::fill_rect(p, 113, 77, 117, 93);  // a 5 x 17 bar in cell (2, 3)
    // All-zero tables: every class at 0.10, class 0 first.
    const std::vector<float> w1(kOcrInputs * kOcrHidden), b1(kOcrHidden), w2(kOcrHidden * kOcrClasses), b2(kOcrClasses);
    int out[81];
    testing::internal::CaptureStdout();
    read_grid_net(p.px.data(), p.w, p.h, out, OcrNet{w1.data(), b1.data(), w2.data(), b2.data()});
    const std::string trace = testing::internal::GetCapturedStdout();

    // A blank 26 x 26 crop, sampled every second pixel: 13 rows of 13 blanks.
    std::string blank_cell = "\ncell r0 c0 -> REJECTED (raw 26x26):\n";
    for (int y = 0; y < 13; ++y) blank_cell += std::string(13, ' ') + "\n";
    EXPECT_EQ(trace.rfind(blank_cell, 0), 0u);

    // The bar scaled to 6 x 20 at column 9, row 2 of the input.
    std::string glyph = "\ncell r2 c3 -> 0 (conf 0.10)\n";
    for (int y = 0; y < kOcrSide; ++y)
        glyph += (y >= 2 && y < 22 ? std::string(9, ' ') + "######" + std::string(9, ' ') : std::string(24, ' ')) + "\n";
    EXPECT_NE(trace.find(glyph + "\ncell r2 c4 -> REJECTED (raw 27x26):\n"), std::string::npos)
        << trace.substr(trace.find("cell r2 c3") - 1, glyph.size() + 40);
}
