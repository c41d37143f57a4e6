// The exported picture calls: argument checks shared by all of them, the whole reading, the grid position, drawn regions and diagonal marks.
#include <algorithm>
#include <new>
#include <vector>

#include "ffi/quorvel.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"
#include "ocr/ocr_recognize.h"
#include "ocr/ocr_regions.h"

namespace {

// The largest picture the reader takes, in pixels. Below it every size product the reader forms
// (w * h * bpp at most 4e8) fits an int, and a reading stays within a few seconds and a few GB.
constexpr long long kMaxPicturePixels = 100'000'000;

// Every picture call refuses these before it touches a pixel.
bool picture_args_ok(const unsigned char* pixels, int w, int h, int bpp) {
    return pixels && w >= 27 && h >= 27 && bpp >= 1 && bpp <= 4 &&
           static_cast<long long>(w) * static_cast<long long>(h) <= kMaxPicturePixels;
}

}  // namespace

extern "C" int sudoku_ocr_recognize(const unsigned char* pixels, int w, int h, int bpp, int* out) {
    if (!picture_args_ok(pixels, w, h, bpp) || !out) return 0;
    try {
        return ocr_recognize(pixels, w, h, bpp, out) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        // Out of memory mid-reading: report failure with an empty reading rather than a partial one.
        std::fill(out, out + 81, 0);
        return 0;
    }
}

extern "C" int sudoku_ocr_locate(const unsigned char* pixels, int w, int h, int bpp, int* out) {
    if (!picture_args_ok(pixels, w, h, bpp) || !out) return 0;
    try {
        std::vector<uint8_t> grey;
        grey_from_colour(pixels, w, h, bpp, grey);
        int left, top, right, bottom;
        if (!ocr_locate_grid(grey.data(), w, h, &left, &top, &right, &bottom)) return 0;
        out[0] = left;
        out[1] = top;
        out[2] = right;
        out[3] = bottom;
        return 1;
    } catch (const std::bad_alloc&) {
        // A picture too large for memory has no grid we could find; nothing may cross into C.
        return 0;
    }
}

extern "C" int sudoku_ocr_regions(const unsigned char* pixels, int w, int h, int bpp, int* out) {
    if (!picture_args_ok(pixels, w, h, bpp) || !out) return 0;
    try {
        return ocr_detect_regions(pixels, w, h, bpp, out) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        std::fill(out, out + 81, 0);
        return 0;
    }
}

extern "C" int sudoku_ocr_detect_x(const unsigned char* pixels, int w, int h, int bpp) {
    if (!picture_args_ok(pixels, w, h, bpp)) return 0;
    try {
        return ocr_detect_x(pixels, w, h, bpp) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
