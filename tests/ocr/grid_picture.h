// Test pictures: a 9x9 lattice rasterised into a grey picture, upright or through any quadrilateral.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace grid_picture {

struct Picture {
    int w = 0, h = 0;
    std::vector<uint8_t> px;  // w x h grey, 255 = paper
};

inline Picture blank(int w, int h, uint8_t level = 255) {
    return Picture{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, level)};
}

inline void fill_rect(Picture& p, int x0, int y0, int x1, int y1, uint8_t level = 0) {
    for (int y = std::max(y0, 0); y <= std::min(y1, p.h - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, p.w - 1); ++x) p.px[static_cast<size_t>(y) * p.w + x] = level;
}

// An upright lattice whose outer line centres are left, top, left + side, top + side; lines are
// `thick` pixels wide around their centres (left + k * side / 9). Without inner lines only the frame.
inline void draw_upright(Picture& p, int left, int top, int side, int thick, bool inner = true) {
    const int lo = -(thick - 1) / 2, hi = thick / 2;
    for (int k = 0; k <= 9; ++k) {
        if (!inner && k != 0 && k != 9) continue;
        const int at = k * side / 9;
        fill_rect(p, left + at + lo, top + lo, left + at + hi, top + side + hi);
        fill_rect(p, left + lo, top + at + lo, left + side + hi, top + at + hi);
    }
}

// The projective map of the unit square onto the quadrilateral (corners top-left, top-right,
// bottom-right, bottom-left), closed form; m is row-major 3 x 3.
inline void square_to_quad(const double xs[4], const double ys[4], double m[9]) {
    const double dx1 = xs[1] - xs[2], dx2 = xs[3] - xs[2], dx3 = xs[0] - xs[1] + xs[2] - xs[3];
    const double dy1 = ys[1] - ys[2], dy2 = ys[3] - ys[2], dy3 = ys[0] - ys[1] + ys[2] - ys[3];
    const double den = dx1 * dy2 - dx2 * dy1;
    const double g = (dx3 * dy2 - dx2 * dy3) / den, hh = (dx1 * dy3 - dx3 * dy1) / den;
    const double r[9] = {xs[1] - xs[0] + g * xs[1], xs[3] - xs[0] + hh * xs[3], xs[0],
                         ys[1] - ys[0] + g * ys[1], ys[3] - ys[0] + hh * ys[3], ys[0], g, hh, 1};
    for (int i = 0; i < 9; ++i) m[i] = r[i];
}

// A lattice seen through a quadrilateral: a pixel is ink when its unit-square position lies within
// half a line of a lattice line, lines being `thick` pixels wide at the lattice's mean side.
inline void draw_quad(Picture& p, const double xs[4], const double ys[4], double thick) {
    double m[9];
    square_to_quad(xs, ys, m);
    // Inverse by the adjugate; the scale does not matter for a projective map.
    const double inv[9] = {m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
                           m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
                           m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
    const double side = (std::hypot(xs[1] - xs[0], ys[1] - ys[0]) + std::hypot(xs[3] - xs[0], ys[3] - ys[0])) / 2;
    const double half = thick / 2 / side;
    auto near_line = [half](double t) { return std::fabs(t * 9 - std::round(t * 9)) / 9 <= half; };
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double d = inv[6] * px + inv[7] * py + inv[8];
            const double u = (inv[0] * px + inv[1] * py + inv[2]) / d, v = (inv[3] * px + inv[4] * py + inv[5]) / d;
            if (u < -half || u > 1 + half || v < -half || v > 1 + half) continue;
            if (near_line(u) || near_line(v)) p.px[static_cast<size_t>(y) * p.w + x] = 0;
        }
}

// The same picture as bpp bytes per pixel: grey repeated in the colour bytes, 255 in a fourth.
inline std::vector<uint8_t> as_colour(const Picture& p, int bpp) {
    std::vector<uint8_t> out(p.px.size() * bpp);
    for (size_t i = 0; i < p.px.size(); ++i)
        for (int c = 0; c < bpp; ++c) out[i * bpp + c] = c == 3 || (bpp == 2 && c == 1) ? 255 : p.px[i];
    return out;
}

}  // namespace grid_picture
