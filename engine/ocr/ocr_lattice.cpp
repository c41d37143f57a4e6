// Placing the nine rows and columns of a roughly upright grid: the outer-line box, the line list and the span repair.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>

#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"
#include "ocr/ocr_warp.h"

namespace {

// Ink pixels in the whole lines first..last (rows or columns), clipped to the picture.
int64_t ink_in_lines(const uint8_t* img, int w, int h, bool rows, int first, int last) {
    const int n = rows ? h : w;
    first = std::max(first, 0);
    last = std::min(last, n - 1);
    const size_t stride = static_cast<size_t>(w);
    int64_t ink = 0;
    for (int i = first; i <= last; ++i) {
        if (rows) {
            ink += static_cast<int64_t>(count_below(img + static_cast<size_t>(i) * stride, stride, kInkLevel));
        } else {
            for (int y = 0; y < h; ++y) ink += img[static_cast<size_t>(y) * stride + static_cast<size_t>(i)] < kInkLevel;
        }
    }
    return ink;
}

}  // namespace

void grid_box(const uint8_t* img, int w, int h, int& left, int& top, int& right, int& bottom) {
    std::vector<int> row_ink(static_cast<size_t>(h), 0), col_ink(static_cast<size_t>(w), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (img[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] < kInkLevel) {
                ++row_ink[y];
                ++col_ink[x];
            }
    auto row_long = [&](int y) { return static_cast<float>(row_ink[y]) / static_cast<float>(w) > 0.35f; };
    auto col_long = [&](int x) { return static_cast<float>(col_ink[x]) / static_cast<float>(h) > 0.35f; };
    int l = 0, t = 0, r = w - 1, b = h - 1;
    for (int y = 0; y < h; ++y)
        if (row_long(y)) { t = y; break; }
    for (int y = h - 1; y >= 0; --y)
        if (row_long(y)) { b = y; break; }
    for (int x = 0; x < w; ++x)
        if (col_long(x)) { l = x; break; }
    for (int x = w - 1; x >= 0; --x)
        if (col_long(x)) { r = x; break; }
    if (r - l < w / 3 || b - t < h / 3) {
        l = 0;
        t = 0;
        r = w - 1;
        b = h - 1;
    }
    left = l;
    top = t;
    right = r;
    bottom = b;
}

std::vector<int> line_positions(const uint8_t* img, int w, int h, bool rows) {
    return run_centres(img, w, h, static_cast<float>(kInkLevel), rows);
}

void repair_span(const uint8_t* img, int w, int h, bool rows, const std::vector<int>& lines, int& lo, int& hi) {
    if (lines.size() < 2) return;
    std::vector<int> gaps;
    for (size_t i = 1; i < lines.size(); ++i) {
        const int p = lines[i - 1], q = lines[i];
        if (p >= int64_t{lo} - 2 && q <= int64_t{hi} + 2 && q - p >= 3) gaps.push_back(q - p);
    }
    if (gaps.size() < 5) return;
    std::sort(gaps.begin(), gaps.end());
    const float pitch = static_cast<float>(gaps[gaps.size() / 2]);
    size_t regular = 0;
    for (int g : gaps) regular += std::fabs(static_cast<float>(g) - pitch) <= 0.15f * pitch;
    if (4 * regular < 3 * gaps.size()) return;
    if (pitch < 4) return;

    // Far-off edges (possible after an earlier repair) must not overflow the arithmetic below.
    if (lo < -(1 << 28) || hi > (1 << 28)) return;
    const float ratio = static_cast<float>(hi - lo) / pitch;
    const long n = std::lround(ratio);
    if ((n != 8 && n != 10) || std::fabs(ratio - static_cast<float>(n)) > 0.2f) return;
    const int span = static_cast<int>(std::lround(9 * pitch));
    const int last = rows ? h - 1 : w - 1;

    const int64_t ink_lo = ink_in_lines(img, w, h, rows, lo - 2, lo + 2);
    const int64_t ink_hi = ink_in_lines(img, w, h, rows, hi - 2, hi + 2);
    int new_lo = lo, new_hi = hi, over;
    if (ink_lo < ink_hi) {
        new_lo = hi - span;
        over = -(hi - span);
    } else {
        new_hi = lo + span;
        over = lo + span - last;
    }
    if (static_cast<float>(over) > 1.5f * pitch) {
        if (g_dbg) std::printf("repair: refused (n=%ld pitch=%.1f over=%.1f)\n", n, pitch, static_cast<double>(over));
        return;
    }
    if (g_dbg) std::printf("repair: [%d,%d] n=%ld pitch=%.1f -> [%d,%d]\n", lo, hi, n, pitch, new_lo, new_hi);
    lo = new_lo;
    hi = new_hi;
}
