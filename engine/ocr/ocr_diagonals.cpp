// Marked diagonals: whether the 17 diagonal cells of a lattice stand apart from the other 64 in one common direction of look.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>

#include "ocr/ocr_image.h"
#include "ocr/ocr_regions.h"

namespace {

constexpr int kDims = 4;  // bright, dark, red share, green share
// A diagonal line shows at a sample when it is this many grey levels darker than the paper beside
// it; both diagonals need it at this share of their samples, and at this much more than the lines
// one cell aside, where digit strokes alone make up to a third of the samples look alike.
constexpr int kLineContrast = 25;
constexpr float kLineShare = 0.5f, kLineMargin = 0.3f;
using Vec = std::array<float, kDims>;

bool on_diagonal(int c) { return c / 9 == c % 9 || c / 9 + c % 9 == 8; }

Vec vec_of(const Look& l) { return {l.bright, l.dark, l.red_share, l.green_share}; }

// Per dimension, element n / 2 (ascending) over the looks of the cells with take[c] set; n > 0.
Vec median_look(const Vec looks[81], const bool take[81]) {
    Vec out{};
    std::array<float, 81> v;
    for (int d = 0; d < kDims; ++d) {
        size_t n = 0;
        for (int c = 0; c < 81; ++c)
            if (take[c]) v[n++] = looks[c][d];
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n / 2), v.begin() + static_cast<std::ptrdiff_t>(n));
        out[d] = v[n / 2];
    }
    return out;
}

bool marks_of_box(const unsigned char* pixels, const uint8_t*, int w, int h, int bpp, int left, int top, int right,
                  int bottom, void*) {
    return x_marked(pixels, w, h, bpp, left, top, right, bottom);
}

// Whether the 17 diagonal cells stand apart from the others by their looks (shading or tint).
bool shaded_or_tinted(const unsigned char* pixels, int w, int h, int bpp, int left, int top, int right,
                      int bottom) {
    const float px = static_cast<float>(right - left + 1) / 9, py = static_cast<float>(bottom - top + 1) / 9;
    const float x0 = static_cast<float>(left), y0 = static_cast<float>(top);
    // A cell too dark to show its paper (under a heavy blot, a dark selection or a deep shadow) is
    // left out: it serves as no reference and shows no difference, like any other cell that fails
    // to stand out, instead of hiding the marks of all the others.
    Vec looks[81] = {};
    bool seen[81];
    for (int c = 0; c < 81; ++c) {
        Look l;
        seen[c] = cell_look(pixels, w, h, bpp, x0, y0, px, py, c / 9, c % 9, l);
        if (seen[c]) looks[c] = vec_of(l);
    }
    std::vector<Rgb> palette;
    board_palette(pixels, w, h, bpp, palette, x0, y0, px, py);
    int cls[81];
    for (int c = 0; c < 81; ++c)
        cls[c] = palette.size() >= 2
                     ? std::max(cell_palette_index(pixels, w, h, bpp, x0, y0, px, py, c / 9, c % 9, palette), 0)
                     : 0;

    // Each cell is measured against the plain (off-diagonal) cells of its own colour class, so that
    // region colours do not count as marks. A class made only of diagonal cells (the diagonals tinted
    // in a hue of their own, which then forms a palette colour of its own) has no plain cells to
    // compare with. Each of its cells is measured instead against the class with plain cells whose
    // hue lies nearest its own (the paper on a plain board, most often the region colour under the
    // tint on a coloured one), by brightness and hue only: the quarter brightness `dark` is left at
    // no difference, since printed digits spread it widely among plain cells and would drown a pale
    // tint in that spread.
    // The reference is taken from the plain cells of that class next to the cell (its eight
    // neighbours) when it has any, and from all of them otherwise: light that falls unevenly over a
    // photographed board changes the brightness of cells far apart by more than a grey shading does,
    // while neighbours share nearly the same light.
    Vec ref[9];
    bool has_ref[9] = {};
    for (int k = 0; k < 9; ++k) {
        bool take[81];
        for (int c = 0; c < 81; ++c) {
            take[c] = seen[c] && cls[c] == k && !on_diagonal(c);
            has_ref[k] |= take[c];
        }
        if (has_ref[k]) ref[k] = median_look(looks, take);
    }
    Vec diff[81] = {};
    for (int c = 0; c < 81; ++c) {
        if (!seen[c]) continue;
        const bool own = has_ref[cls[c]];
        int k = own ? cls[c] : -1;
        float nearest = 0;
        for (int j = 0; j < 9 && !own; ++j) {
            if (!has_ref[j]) continue;
            const float dr = looks[c][2] - ref[j][2], dg = looks[c][3] - ref[j][3], d2 = dr * dr + dg * dg;
            if (k < 0 || d2 < nearest) {
                nearest = d2;
                k = j;
            }
        }
        if (k < 0) continue;
        bool near[81];
        bool any = false;
        for (int o = 0; o < 81; ++o) {
            near[o] = seen[o] && cls[o] == k && !on_diagonal(o) && std::abs(o / 9 - c / 9) <= 1 &&
                      std::abs(o % 9 - c % 9) <= 1;
            any |= near[o];
        }
        const Vec r = any ? median_look(looks, near) : ref[k];
        for (int d = 0; d < kDims; ++d)
            if (own || d != 1) diff[c][d] = looks[c][d] - r[d];
    }

    Vec dir{};
    for (int c = 0; c < 81; ++c)
        if (on_diagonal(c))
            for (int d = 0; d < kDims; ++d) dir[d] += diff[c][d] / 17;
    float len = 0;
    for (float v : dir) len += v * v;
    len = std::sqrt(len);
    if (len < 1.5f) return false;

    std::array<float, 17> diag_proj;
    std::array<float, 64> off_proj, off_abs;
    size_t nd = 0, no = 0;
    for (int c = 0; c < 81; ++c) {
        float p = 0;
        for (int d = 0; d < kDims; ++d) p += diff[c][d] * dir[d] / len;
        if (on_diagonal(c)) {
            diag_proj[nd++] = p;
        } else {
            off_abs[no] = std::fabs(p);
            off_proj[no++] = p;
        }
    }
    std::sort(diag_proj.begin(), diag_proj.end());
    std::sort(off_proj.begin(), off_proj.end());
    std::nth_element(off_abs.begin(), off_abs.begin() + 32, off_abs.end());
    // Up to three diagonal cells may be hidden by ink and up to five plain cells may look marked.
    const float diag_low = diag_proj[3], off_high = off_proj[58], noise = std::max(off_abs[32], 1.0f);
    const bool marked = diag_low > off_high && diag_low - off_high > 2 * noise && diag_low > 3;
    if (g_dbg)
        std::printf("x_marked box %d,%d..%d,%d pal %zu |dir| %.2f diagLow %.2f offHigh %.2f noise %.2f -> %s\n", left,
                    top, right, bottom, palette.size(), static_cast<double>(len), static_cast<double>(diag_low),
                    static_cast<double>(off_high), static_cast<double>(noise), marked ? "X" : "plain");
    return marked;
}

// The share of sample points along the line from cell corner (c0, r0) in steps of (dc, dr) cells
// at which a thin dark line runs: darker, within a few pixels across, than the paper on both of
// its sides. Only the middle of each cell is sampled, away from the lattice's own lines.
float line_share(const unsigned char* pixels, int w, int h, int bpp, float x0, float y0, float px, float py,
                 float c0, float r0, float dc, float dr, int cells) {
    const float ux = dc * px, uy = dr * py, len = std::hypot(ux, uy);
    const float nx = -uy / len, ny = ux / len;  // across the line
    const float pitch = std::min(px, py), reach = std::max(2.0f, 0.04f * pitch), aside = 0.15f * pitch;
    auto grey_at = [&](float x, float y) {
        const int xi = round_px(x), yi = round_px(y);
        if (xi < 0 || yi < 0 || xi >= w || yi >= h) return -1;
        return static_cast<int>(grey_of_pixel(pixels + (static_cast<size_t>(yi) * w + xi) * bpp, bpp));
    };
    int samples = 0, dark = 0;
    for (int k = 0; k < cells; ++k)
        for (int s = 0; s <= 4; ++s) {
            const float t = static_cast<float>(k) + 0.3f + 0.1f * static_cast<float>(s);
            const float x = x0 + (c0 + t * dc) * px, y = y0 + (r0 + t * dr) * py;
            const int left_side = grey_at(x - aside * nx, y - aside * ny);
            const int right_side = grey_at(x + aside * nx, y + aside * ny);
            if (left_side < 0 || right_side < 0) continue;
            int on = 255;
            for (float o = -reach; o <= reach; o += 1.0f) {
                const int v = grey_at(x + o * nx, y + o * ny);
                if (v >= 0) on = std::min(on, v);
            }
            ++samples;
            dark += on + kLineContrast < std::min(left_side, right_side);
        }
    return samples ? static_cast<float>(dark) / static_cast<float>(samples) : 0.0f;
}

// Whether both long diagonals are drawn as lines across the board: a line runs along most of each,
// and along clearly more of it than of the parallel lines one cell aside, which cross as many digits.
bool diagonal_lines(const unsigned char* pixels, int w, int h, int bpp, int left, int top, int right,
                    int bottom) {
    const float px = static_cast<float>(right - left + 1) / 9, py = static_cast<float>(bottom - top + 1) / 9;
    const float x0 = static_cast<float>(left), y0 = static_cast<float>(top);
    const float main = line_share(pixels, w, h, bpp, x0, y0, px, py, 0, 0, 1, 1, 9);
    const float anti = line_share(pixels, w, h, bpp, x0, y0, px, py, 9, 0, -1, 1, 9);
    const float aside = std::max(line_share(pixels, w, h, bpp, x0, y0, px, py, 1, 0, 1, 1, 8),
                                 line_share(pixels, w, h, bpp, x0, y0, px, py, 8, 0, -1, 1, 8));
    const float both = std::min(main, anti);
    return both >= kLineShare && both - aside >= kLineMargin;
}

}  // namespace

bool x_marked(const unsigned char* pixels, int w, int h, int bpp, int left, int top, int right, int bottom) {
    const float px = static_cast<float>(right - left + 1) / 9, py = static_cast<float>(bottom - top + 1) / 9;
    if (px < 6 || py < 6) return false;
    return shaded_or_tinted(pixels, w, h, bpp, left, top, right, bottom) ||
           diagonal_lines(pixels, w, h, bpp, left, top, right, bottom);
}

bool ocr_detect_x(const unsigned char* pixels, int w, int h, int bpp) {
    if (!pixels || w < 27 || h < 27 || bpp < 1 || bpp > 4) return false;
    return try_three_ways(pixels, w, h, bpp, marks_of_box, nullptr);
}
