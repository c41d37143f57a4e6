// Drawn regions of a picture: lattice refinement from darkness profiles, wall and colour measures of the 144 cell sides, the nine-region cut.
#include <algorithm>
#include <array>
#include <cstddef>

#include "ocr/ocr_image.h"
#include "ocr/ocr_regions.h"

namespace {

// Ink across one cell side, in units of a fully black line pixel: the band of half-width `half`
// around the line at `line` (along the band axis), averaged over span_lo..span_hi of the other axis.
// vertical: the band runs over x and the span over y.
float side_ink(const uint8_t* grey, int w, int h, bool vertical, float line, float half, float span_lo, float span_hi,
               float reference) {
    const int a = round_px(span_lo), b = round_px(span_hi);
    if (b - a < 2) return 0;
    const int band_n = vertical ? w : h, span_n = vertical ? h : w;
    const int sa = std::max(a, 0), sb = std::min(b, span_n - 1);
    if (sb < sa) return 0;
    float sum = 0;
    for (int k = std::max(round_px(line - half), 0); k <= std::min(round_px(line + half), band_n - 1); ++k) {
        float dark = 0;
        for (int s = sa; s <= sb; ++s) {
            const int x = vertical ? k : s, y = vertical ? s : k;
            dark += std::max(0.0f, reference - grey[static_cast<size_t>(y) * static_cast<size_t>(w) + x]);
        }
        sum += dark / static_cast<float>(sb - sa + 1);
    }
    return sum / 255.0f;
}

float look_distance(const Look& a, const Look& b) {
    const float db = a.bright - b.bright, dr = a.red_share - b.red_share, dg = a.green_share - b.green_share;
    return db * db + dr * dr + dg * dg;
}

// The same by the colour shares alone.
float hue_distance(const Look& a, const Look& b) {
    const float dr = a.red_share - b.red_share, dg = a.green_share - b.green_share;
    return dr * dr + dg * dg;
}

// Element 72 of the 144 values in ascending order, at least 0.001.
float side_median(const float vertical[9][8], const float horizontal[8][9]) {
    std::array<float, 144> all;
    std::copy(&vertical[0][0], &vertical[0][0] + 72, all.begin());
    std::copy(&horizontal[0][0], &horizontal[0][0] + 72, all.begin() + 72);
    std::nth_element(all.begin(), all.begin() + 72, all.end());
    return std::max(all[72], 0.001f);
}

// Labels the cells in row-major order through every side not above t; false unless that gives
// nine regions of nine cells.
bool label_regions(const float vertical[9][8], const float horizontal[8][9], float t, int labels[81]) {
    std::fill(labels, labels + 81, -1);
    int regions = 0;
    for (int start = 0; start < 81; ++start) {
        if (labels[start] >= 0) continue;
        if (regions == 9) return false;
        int stack[81], top = 0, size = 0;
        labels[start] = regions;
        stack[top++] = start;
        while (top > 0) {
            const int c = stack[--top], i = c / 9, j = c % 9;
            ++size;
            auto grow = [&](int next, float wall) {
                if (wall > t || labels[next] >= 0) return;
                labels[next] = regions;
                stack[top++] = next;
            };
            if (j > 0) grow(c - 1, vertical[i][j - 1]);
            if (j < 8) grow(c + 1, vertical[i][j]);
            if (i > 0) grow(c - 9, horizontal[i - 1][j]);
            if (i < 8) grow(c + 9, horizontal[i][j]);
        }
        if (size != 9) return false;
        ++regions;
    }
    return true;
}

}  // namespace

bool walls_to_map(const float vertical[9][8], const float horizontal[8][9], int regions[81]) {
    std::array<float, 144> sorted;
    std::copy(&vertical[0][0], &vertical[0][0] + 72, sorted.begin());
    std::copy(&horizontal[0][0], &horizontal[0][0] + 72, sorted.begin() + 72);
    std::sort(sorted.begin(), sorted.end());
    struct Cut {
        float gap, t;
    };
    std::array<Cut, 143> cuts;
    size_t n = 0;
    for (size_t k = 0; k + 1 < sorted.size(); ++k) {
        const float gap = sorted[k + 1] - sorted[k];
        if (gap > 1e-6f) cuts[n++] = {gap, (sorted[k] + sorted[k + 1]) / 2};
    }
    // Equal gaps keep their ascending order, so the result never depends on the sort's whims.
    std::stable_sort(cuts.begin(), cuts.begin() + static_cast<std::ptrdiff_t>(n),
                     [](const Cut& a, const Cut& b) { return a.gap > b.gap; });
    int labels[81];
    for (size_t k = 0; k < n; ++k)
        if (label_regions(vertical, horizontal, cuts[k].t, labels)) {
            std::copy(labels, labels + 81, regions);
            return true;
        }
    return false;
}

bool fit_lines(const std::vector<float>& profile, float origin, float pitch, float& best_origin, float& best_pitch) {
    if (!(pitch >= 4)) return false;
    const int n = static_cast<int>(profile.size());
    // The largest value within two samples of every position, so that each line costs one look-up.
    std::vector<float> near(profile);
    for (int r = 0; r < n; ++r)
        for (int s = std::max(r - 2, 0); s <= std::min(r + 2, n - 1); ++s) near[r] = std::max(near[r], profile[s]);
    auto window_max = [&](int r) {
        if (r >= 0 && r < n) return near[r];
        // A line just off the profile still sees the samples within two of it; farther off, nothing.
        const int a = std::max(r - 2, 0), b = std::min(r + 2, n - 1);
        if (a > b) return 0.0f;
        float m = profile[a];
        for (int s = a + 1; s <= b; ++s) m = std::max(m, profile[s]);
        return m;
    };
    float best = -1;
    for (int qi = 0;; ++qi) {
        const float q = 0.82f * pitch + 0.25f * static_cast<float>(qi);
        if (q > 1.32f * pitch) break;
        for (int di = 0;; ++di) {
            const float d = origin - 1.5f * pitch + 0.5f * static_cast<float>(di);
            if (d > origin + 1.5f * pitch) break;
            if (d < -2 || d + 9 * q > static_cast<float>(n) + 2) continue;
            float score = 0;
            for (int k = 0; k <= 9; ++k) score += window_max(round_px(d + static_cast<float>(k) * q));
            if (score > best) {
                best = score;
                best_origin = d;
                best_pitch = q;
            }
        }
    }
    return best > 0;
}

bool regions_at(const unsigned char* pixels, int w, int h, int bpp, const uint8_t* grey, float x0, float y0, float px,
                float py, int regions[81]) {
    if (!(px >= 6 && py >= 6)) return false;
    // A cell in deep shadow shows no pixel bright enough to count as paper, yet its paper is still
    // the brightest part of it: its look is then taken from all its pixels.
    Look looks[81];
    for (int c = 0; c < 81; ++c)
        if (!cell_look(pixels, w, h, bpp, x0, y0, px, py, c / 9, c % 9, looks[c]) &&
            !cell_look_from(pixels, w, h, bpp, x0, y0, px, py, c / 9, c % 9, 0, looks[c]))
            return false;
    std::vector<Rgb> palette;
    board_palette(pixels, w, h, bpp, palette, x0, y0, px, py);
    int index[81];
    for (int c = 0; c < 81; ++c)
        index[c] = palette.size() >= 2 ? cell_palette_index(pixels, w, h, bpp, x0, y0, px, py, c / 9, c % 9, palette) : -1;
    auto colour_step = [&](int a, int b) {
        if (index[a] >= 0 && index[b] >= 0) return index[a] == index[b] ? 0.0f : 1000.0f;
        return look_distance(looks[a], looks[b]);
    };

    // The ink on every side, in a band reaching `reach` pitches either side of its line. The side
    // after cell a towards cell b: vertical sides lie between columns, their line at the next column
    // line and their span the middle half of the row; horizontal ones the other way.
    auto side_inks = [&](float reach, float vertical_ink[9][8], float horizontal_ink[8][9]) {
        auto one = [&](bool vertical, int a, int b) {
            const int i = a / 9, j = a % 9;
            const float line =
                vertical ? x0 + static_cast<float>(j + 1) * px : y0 + static_cast<float>(i + 1) * py;
            const float pitch = vertical ? px : py, across = vertical ? py : px;
            const float E = vertical ? y0 + static_cast<float>(i) * py : x0 + static_cast<float>(j) * px;
            const float q = across / 4;
            return side_ink(grey, w, h, vertical, line, std::max(reach * pitch, 1.0f), E + q, E + across - q,
                            (looks[a].bright + looks[b].bright) / 2);
        };
        for (int i = 0; i < 9; ++i)
            for (int j = 0; j < 8; ++j) vertical_ink[i][j] = one(true, i * 9 + j, i * 9 + j + 1);
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 9; ++j) horizontal_ink[i][j] = one(false, i * 9 + j, i * 9 + j + 9);
    };
    float ink_v[9][8], ink_h[8][9], col_v[9][8], col_h[8][9];
    side_inks(0.18f, ink_v, ink_h);
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 8; ++j) col_v[i][j] = colour_step(i * 9 + j, i * 9 + j + 1);
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 9; ++j) col_h[i][j] = colour_step(i * 9 + j, i * 9 + j + 9);
    if (walls_to_map(ink_v, ink_h, regions) || walls_to_map(col_v, col_h, regions)) return true;

    // The band reaches far enough into the cells to take in the strokes of large digits printed
    // beside a side, which can weigh more than a thin wall. The ink of the line itself, within a
    // narrow band, is free of them.
    {
        float line_v[9][8], line_h[8][9];
        side_inks(0.08f, line_v, line_h);
        if (walls_to_map(line_v, line_h, regions)) return true;
    }

    // The palette can merge pale region colours whose shares lie close together (two pastel hues
    // next to each other on the colour wheel), which leaves neighbouring regions with one colour.
    // The looks of the cells still tell them apart; by their colour shares alone when shaded
    // diagonal cells or uneven light change the brightness within a region but not its hue.
    auto look_walls = [&](bool brightness) {
        auto step = [&](int a, int b) {
            return brightness ? look_distance(looks[a], looks[b]) : hue_distance(looks[a], looks[b]);
        };
        float look_v[9][8], look_h[8][9];
        for (int i = 0; i < 9; ++i)
            for (int j = 0; j < 8; ++j) look_v[i][j] = step(i * 9 + j, i * 9 + j + 1);
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 9; ++j) look_h[i][j] = step(i * 9 + j, i * 9 + j + 9);
        return walls_to_map(look_v, look_h, regions);
    };
    if ((palette.size() >= 2 && look_walls(true)) || look_walls(false)) return true;

    // Neither measure alone cuts the board: each side counts by whichever measure, relative to its
    // typical size, marks it more strongly.
    const float mi = side_median(ink_v, ink_h), mc = side_median(col_v, col_h);
    float both_v[9][8], both_h[8][9];
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 8; ++j) both_v[i][j] = std::max(col_v[i][j] / mc, ink_v[i][j] / mi);
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 9; ++j) both_h[i][j] = std::max(col_h[i][j] / mc, ink_h[i][j] / mi);
    return walls_to_map(both_v, both_h, regions);
}

bool regions_from_box(const unsigned char* pixels, int w, int h, int bpp, int left, int top, int right, int bottom,
                      int regions[81]) {
    if (right - left + 1 < 54 || bottom - top + 1 < 54) return false;  // a pitch below 6
    std::vector<uint8_t> G;
    grey_from_colour(pixels, w, h, bpp, G);
    return regions_from_box(pixels, G.data(), w, h, bpp, left, top, right, bottom, regions);
}

bool regions_from_box(const unsigned char* pixels, const uint8_t* G, int w, int h, int bpp, int left, int top,
                      int right, int bottom, int regions[81]) {
    const float px = static_cast<float>(right - left + 1) / 9, py = static_cast<float>(bottom - top + 1) / 9;
    if (px < 6 || py < 6) return false;

    // Paper level: the mean of the grey values at or above the overall mean.
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    int64_t total = 0;
    for (size_t i = 0; i < n; ++i) total += G[i];
    const double m = static_cast<double>(total) / static_cast<double>(n);
    int64_t upper = 0, upper_n = 0;
    for (size_t i = 0; i < n; ++i)
        if (G[i] >= m) {
            upper += G[i];
            ++upper_n;
        }
    const float paper = upper_n ? static_cast<float>(static_cast<double>(upper) / static_cast<double>(upper_n)) : 255.0f;

    const int ya = std::max(top, 0), yb = std::min(bottom, h - 1), xa = std::max(left, 0), xb = std::min(right, w - 1);
    std::vector<float> cols(static_cast<size_t>(w), 0.0f), rows(static_cast<size_t>(h), 0.0f);
    for (int y = 0; y < h; ++y) {
        const uint8_t* line = G + static_cast<size_t>(y) * static_cast<size_t>(w);
        const bool in_rows = y >= ya && y <= yb;
        float row_sum = 0;
        for (int x = 0; x < w; ++x) {
            const float dark = std::max(0.0f, paper - line[x]);
            if (in_rows) cols[x] += dark;
            if (x >= xa && x <= xb) row_sum += dark;
        }
        if (xb >= xa) rows[y] = row_sum / static_cast<float>(xb - xa + 1);
    }
    if (yb >= ya)
        for (float& v : cols) v /= static_cast<float>(yb - ya + 1);

    float x0, y0, fpx, fpy;
    if (fit_lines(cols, static_cast<float>(left), px, x0, fpx) && fit_lines(rows, static_cast<float>(top), py, y0, fpy) &&
        fpx >= 6 && fpy >= 6 && regions_at(pixels, w, h, bpp, G, x0, y0, fpx, fpy, regions))
        return true;
    return regions_at(pixels, w, h, bpp, G, static_cast<float>(left), static_cast<float>(top), px, py, regions);
}

namespace {

bool regions_of_box(const unsigned char* pixels, const uint8_t* grey, int w, int h, int bpp, int left, int top,
                    int right, int bottom, void* regions) {
    return regions_from_box(pixels, grey, w, h, bpp, left, top, right, bottom, static_cast<int*>(regions));
}

}  // namespace

bool ocr_detect_regions(const unsigned char* pixels, int w, int h, int bpp, int regions[81]) {
    std::fill(regions, regions + 81, 0);
    if (bpp < 1 || bpp > 4 || !pixels || w <= 26 || h <= 26) return false;
    if (try_three_ways(pixels, w, h, bpp, regions_of_box, regions)) return true;
    std::fill(regions, regions + 81, 0);
    return false;
}

void ocr_detect_rules(const unsigned char* pixels, int w, int h, int bpp, bool& x, bool& has_regions, int regions[81]) {
    std::fill(regions, regions + 81, 0);
    x = has_regions = false;
    if (bpp < 1 || bpp > 4 || !pixels || w <= 26 || h <= 26) return;
    const BoxTest marks = [](const unsigned char* p, const uint8_t*, int pw, int ph, int pb, int left, int top,
                             int right, int bottom, void*) { return x_marked(p, pw, ph, pb, left, top, right, bottom); };
    BoxTry tries[2] = {{marks, nullptr, false}, {regions_of_box, regions, false}};
    try_three_ways(pixels, w, h, bpp, tries, 2);
    x = tries[0].passed;
    has_regions = tries[1].passed;
    if (!has_regions) std::fill(regions, regions + 81, 0);
}
