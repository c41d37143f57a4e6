// Perspective correction: the homography of a quadrilateral and the grey and colour warps through it.
#include "ocr/ocr_warp.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"

int ocr_warp_size(int w, int h) {
    const int64_t sum = static_cast<int64_t>(w) + h;
    const int64_t s = sum < 362 ? 180 : sum / 2;
    return static_cast<int>(std::min<int64_t>(s, 1200));
}

bool solve_homography(const float xs[4], const float ys[4], float H[9]) {
    static constexpr float kU[4] = {0, 1, 1, 0}, kV[4] = {0, 0, 1, 1};
    float a[8][9];
    for (int k = 0; k < 4; ++k) {
        const float u = kU[k], v = kV[k], x = xs[k], y = ys[k];
        const float xrow[9] = {u, v, 1, 0, 0, 0, -u * x, -v * x, x};
        const float yrow[9] = {0, 0, 0, u, v, 1, -u * y, -v * y, y};
        std::copy(xrow, xrow + 9, a[2 * k]);
        std::copy(yrow, yrow + 9, a[2 * k + 1]);
    }
    for (int i = 0; i < 8; ++i) {
        int pivot = i;
        for (int r = i + 1; r < 8; ++r)
            if (std::fabs(a[r][i]) > std::fabs(a[pivot][i])) pivot = r;
        if (std::fabs(a[pivot][i]) < 1e-9f) return false;
        if (pivot != i) std::swap(a[pivot], a[i]);
        for (int r = 0; r < 8; ++r) {
            if (r == i) continue;
            const float f = -a[r][i] / a[i][i];
            for (int c = i; c < 9; ++c) a[r][c] += f * a[i][c];
        }
    }
    for (int k = 0; k < 8; ++k) H[k] = a[k][8] / a[k][k];
    H[8] = 1;
    return true;
}

namespace {

// Samples the picture of bpp interleaved channels (w x h) at every pixel of the S x S square that
// the homography H maps onto it, bilinearly, into out (S x S x bpp, already filled with 255 where
// nothing maps). Each position is computed once for all channels, and each channel is interpolated
// exactly as a picture of that channel alone would be.
void warp_channels(const uint8_t* img, int w, int h, int bpp, const float H[9], uint8_t* out, int S) {
    const size_t side = static_cast<size_t>(std::max(S, 0)), channels = static_cast<size_t>(bpp);
    const float xmax = static_cast<float>(w - 1), ymax = static_cast<float>(h - 1);
    const size_t stride = static_cast<size_t>(w) * channels;
    for (int i = 0; i < S; ++i) {
        const float v = (static_cast<float>(i) + 0.5f) / static_cast<float>(S);
        for (int j = 0; j < S; ++j) {
            const float u = (static_cast<float>(j) + 0.5f) / static_cast<float>(S);
            const float den = H[6] * u + H[7] * v + H[8];
            if (std::fabs(den) < 1e-9f) continue;
            const float x = (H[0] * u + H[1] * v + H[2]) / den;
            const float y = (H[3] * u + H[4] * v + H[5]) / den;
            // Written so that NaN and infinities fail the test too.
            if (!(x >= 0 && x < xmax && y >= 0 && y < ymax)) continue;
            const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
            if (x0 + 1 >= w || y0 + 1 >= h) continue;
            const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
            const uint8_t* p = img + static_cast<size_t>(y0) * stride + static_cast<size_t>(x0) * channels;
            uint8_t* o = out + (static_cast<size_t>(i) * side + static_cast<size_t>(j)) * channels;
            for (size_t c = 0; c < channels; ++c, ++p) {
                const float value = p[0] * (1 - fx) * (1 - fy) + p[channels] * fx * (1 - fy) +
                                    p[stride] * (1 - fx) * fy + p[stride + channels] * fx * fy;
                o[c] = static_cast<uint8_t>(static_cast<int>(value + 0.5f));
            }
        }
    }
}

}  // namespace

void warp_quad(const uint8_t* img, int w, int h, const float H[9], std::vector<uint8_t>& out, int S) {
    const size_t side = static_cast<size_t>(std::max(S, 0));
    out.assign(side * side, 255);
    warp_channels(img, w, h, 1, H, out.data(), S);
}

namespace {

// How plainly the grey picture, straightened by the quadrilateral, shows a lattice; -1 when the
// quadrilateral is degenerate.
int straightened_comb(const uint8_t* grey, int w, int h, const float xs[4], const float ys[4], int S,
                      std::vector<uint8_t>& warped) {
    float H[9];
    if (!solve_homography(xs, ys, H)) return -1;
    warp_quad(grey, w, h, H, warped, S);
    return comb_score(warped.data(), S, S);
}

}  // namespace

bool warp_colour(const unsigned char* pixels, int w, int h, int bpp, std::vector<uint8_t>& out, int& S) {
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<uint8_t> plane;
    float xs[4], ys[4];
    bool found = false;
    if (bpp > 2) {
        // Colourfulness: grey pixels white, strongly coloured ones dark.
        plane.resize(n);
        const unsigned char* p = pixels;
        for (size_t i = 0; i < n; ++i, p += bpp) {
            const int d = 3 * (std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}));
            plane[i] = static_cast<uint8_t>(d < 255 ? 255 - d : 0);
        }
        found = find_quad_pol(plane.data(), w, h, xs, ys, true);
    }
    grey_from_colour(pixels, w, h, bpp, plane);
    float gx[4], gy[4];
    if (!found) {
        found = find_quad_pol(plane.data(), w, h, xs, ys, true);
    } else if (find_quad_pol(plane.data(), w, h, gx, gy, true)) {
        // The most colourful region of a photo is not always the board: a black-and-white puzzle
        // lies on a coloured page or beside coloured print. The dark lines' corners are taken
        // instead when they straighten the picture into a clearer lattice.
        std::vector<uint8_t> warped;
        const int side = ocr_warp_size(w, h);
        const int by_colour = straightened_comb(plane.data(), w, h, xs, ys, side, warped);
        if (by_colour >= 0 && straightened_comb(plane.data(), w, h, gx, gy, side, warped) > by_colour) {
            std::copy(gx, gx + 4, xs);
            std::copy(gy, gy + 4, ys);
        }
    }
    float H[9];
    if (!found || !solve_homography(xs, ys, H)) return false;

    const int side = ocr_warp_size(w, h);
    S = side;
    const size_t cells = static_cast<size_t>(side) * static_cast<size_t>(side);
    out.assign(cells * static_cast<size_t>(bpp), 255);
    warp_channels(pixels, w, h, bpp, H, out.data(), side);
    return true;
}
