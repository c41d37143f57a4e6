// Small rotations: estimating the tilt of a picture's dark lines and shearing the picture back.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"

namespace {

constexpr float kPi = 3.1415927f;

}  // namespace

float estimate_skew_deg(const uint8_t* img, int w, int h) {
    const int sw = std::min(w, 256), sh = std::min(h, 256);
    std::vector<uint8_t> ink(static_cast<size_t>(sw) * static_cast<size_t>(sh));
    for (int y = 0; y < sh; ++y) {
        const int64_t row = static_cast<int64_t>(h) * y / sh;
        for (int x = 0; x < sw; ++x) {
            const int64_t col = static_cast<int64_t>(w) * x / sw;
            ink[static_cast<size_t>(y) * sw + x] = img[row * w + col] < kInkLevel;
        }
    }
    std::vector<int> counts(static_cast<size_t>(sh));
    double best_score = -1;
    float best_angle = 0;
    for (float a = -6.0f; a <= 6.0f; a += 0.5f) {
        const float s = std::tan(a * kPi / 180);
        int64_t total = 0;
        for (int y = 0; y < sh; ++y) {
            int c = 0;
            for (int x = 0; x < sw; ++x) {
                const int yy = y + static_cast<int>(static_cast<float>(x) * s);
                if (yy >= 0 && yy < sh && ink[static_cast<size_t>(yy) * sw + x]) ++c;
            }
            counts[y] = c;
            total += c;
        }
        const double mean = static_cast<double>(total) / sh;
        double score = 0;
        for (int c : counts) score += (c - mean) * (c - mean);
        if (score > best_score || (score == best_score && std::fabs(a) < std::fabs(best_angle))) {
            best_score = score;
            best_angle = a;
        }
    }
    return best_angle;
}

void shear_correct(const uint8_t* img, int w, int h, float degrees, std::vector<uint8_t>& out) {
    const float s = std::tan(degrees * kPi / 180);
    const size_t stride = static_cast<size_t>(w);
    out.assign(stride * static_cast<size_t>(h), 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const long yy = y + std::lround(static_cast<float>(x) * s);
            if (yy >= 0 && yy < h) out[y * stride + x] = img[yy * stride + x];
        }
    const std::vector<uint8_t> sheared = out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const long xx = x + std::lround(static_cast<float>(y) * -s);
            out[y * stride + x] = xx >= 0 && xx < w ? sheared[y * stride + xx] : 255;
        }
}
