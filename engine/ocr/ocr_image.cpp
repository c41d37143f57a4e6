// Picture basics of the reader: grey conversion, ink counts, inversion, the two-means threshold, the trace flag.
#include "ocr/ocr_image.h"

#include <cstdlib>
#include <cstring>

const bool g_dbg = std::getenv("OCR_DEBUG") != nullptr;

void grey_from_colour(const unsigned char* pixels, int w, int h, int bpp, std::vector<uint8_t>& out) {
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    out.resize(n);
    if (bpp == 1) {
        std::memcpy(out.data(), pixels, n);
        return;
    }
    const unsigned char* p = pixels;
    for (size_t i = 0; i < n; ++i, p += bpp) out[i] = grey_of_pixel(p, bpp);
}

size_t count_below(const uint8_t* img, size_t n, int level) {
    size_t count = 0;
    for (size_t i = 0; i < n; ++i) count += img[i] < level;
    return count;
}

bool ink_majority(const uint8_t* img, int w, int h) {
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    return 2 * count_below(img, n, kInkLevel) > n;
}

void invert_grey(uint8_t* img, size_t n) {
    for (size_t i = 0; i < n; ++i) img[i] = static_cast<uint8_t>(255 - img[i]);
}

bool two_means_threshold(const uint8_t* values, size_t n, float& t) {
    if (n == 0) return false;
    uint64_t hist[256] = {};
    for (size_t i = 0; i < n; ++i) ++hist[values[i]];
    uint64_t sum = 0;
    for (int v = 0; v < 256; ++v) sum += hist[v] * static_cast<uint64_t>(v);
    const float m = static_cast<float>(static_cast<double>(sum) / static_cast<double>(n));
    uint64_t n_lo = 0, sum_lo = 0, n_hi = 0, sum_hi = 0;
    for (int v = 0; v < 256; ++v) {
        if (static_cast<float>(v) < m) {
            n_lo += hist[v];
            sum_lo += hist[v] * static_cast<uint64_t>(v);
        } else {
            n_hi += hist[v];
            sum_hi += hist[v] * static_cast<uint64_t>(v);
        }
    }
    if (n_lo == 0 || n_hi == 0) return false;
    const float lo = static_cast<float>(static_cast<double>(sum_lo) / static_cast<double>(n_lo));
    const float hi = static_cast<float>(static_cast<double>(sum_hi) / static_cast<double>(n_hi));
    t = (lo + hi) * 0.5f;
    return true;
}
