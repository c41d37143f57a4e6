// What the cells of a located lattice look like: bright-pixel looks, the board palette and palette classes; the three tries.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"
#include "ocr/ocr_regions.h"
#include "ocr/ocr_warp.h"

namespace {

// A pixel's channels; grey pixels (one or two bytes) repeat byte 0.
struct Px {
    int r, g, b;
};

Px px_at(const unsigned char* pixels, int w, int bpp, int x, int y) {
    const unsigned char* p = pixels + (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * bpp;
    if (bpp < 3) return {p[0], p[0], p[0]};
    return {p[0], p[1], p[2]};
}

// 299 R + 587 G + 114 B: a pixel is bright at 120000 or more, and its brightness is this / 1000.
int weighted(Px c) { return 299 * c.r + 587 * c.g + 114 * c.b; }
constexpr int kBrightSum = 120000;

// Integer colour shares, (85, 85, 85) for black.
Px shares_of(Px c) {
    const int s = c.r + c.g + c.b;
    if (s == 0) return {85, 85, 85};
    return {c.r * 255 / s, c.g * 255 / s, c.b * 255 / s};
}

int share_dist2(Px a, Px b) {
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

// The pixel span of the part lo..hi (fractions of a pitch) of cell `index`, clamped to 0..n-1;
// empty when first > last.
void cell_span(float origin, float pitch, int index, float lo, float hi, int n, int& first, int& last) {
    first = std::max(round_px((static_cast<float>(index) + lo) * pitch + origin), 0);
    last = std::min(round_px((static_cast<float>(index) + hi) * pitch + origin), n - 1);
}

// Entry k (ascending) of the values counted in hist.
float hist_entry(const std::array<int, 256>& hist, size_t k) {
    size_t seen = 0;
    for (int v = 0; v < 256; ++v) {
        seen += static_cast<size_t>(hist[v]);
        if (seen > k) return static_cast<float>(v);
    }
    return 255;
}

float median_of(std::vector<float>& v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

}  // namespace

bool cell_look(const unsigned char* pixels, int w, int h, int bpp, float x0, float y0, float px, float py, int row,
               int column, Look& out) {
    return cell_look_from(pixels, w, h, bpp, x0, y0, px, py, row, column, kBrightSum, out);
}

bool cell_look_from(const unsigned char* pixels, int w, int h, int bpp, float x0, float y0, float px,
                    float py, int row, int column, int least_sum, Look& out) {
    int xa, xb, ya, yb;
    cell_span(x0, px, column, 0.2f, 0.8f, w, xa, xb);
    cell_span(y0, py, row, 0.2f, 0.8f, h, ya, yb);
    std::array<int, 256> brightness{};
    std::vector<float> reds, greens;
    if (xb >= xa && yb >= ya) {
        const size_t area = static_cast<size_t>(xb - xa + 1) * static_cast<size_t>(yb - ya + 1);
        reds.reserve(area);
        greens.reserve(area);
    }
    for (int y = ya; y <= yb; ++y)
        for (int x = xa; x <= xb; ++x) {
            const Px c = px_at(pixels, w, bpp, x, y);
            const int sum = weighted(c);
            if (sum < least_sum) continue;
            ++brightness[sum / 1000];
            const int s = c.r + c.g + c.b;  // 0 only for black, which has the shares of grey
            reds.push_back(s ? static_cast<float>(c.r) * 255.0f / static_cast<float>(s) : 85.0f);
            greens.push_back(s ? static_cast<float>(c.g) * 255.0f / static_cast<float>(s) : 85.0f);
        }
    const size_t n = reds.size();
    if (n <= 8) return false;
    out.bright = hist_entry(brightness, 3 * n / 4);
    out.dark = hist_entry(brightness, n / 4);
    out.red_share = median_of(reds);
    out.green_share = median_of(greens);
    return true;
}

void board_palette(const unsigned char* pixels, int w, int h, int bpp, std::vector<Rgb>& palette, float x0, float y0,
                   float px, float py) {
    constexpr int kBins = 32768;
    std::vector<int> count(kBins, 0);
    std::vector<Px> first_colour(kBins);
    std::vector<int> met;  // bins in the order they were first met
    int64_t total = 0;
    for (int row = 0; row < 9; ++row) {
        int ya, yb;
        cell_span(y0, py, row, 0.15f, 0.85f, h, ya, yb);
        for (int column = 0; column < 9; ++column) {
            int xa, xb;
            cell_span(x0, px, column, 0.15f, 0.85f, w, xa, xb);
            for (int y = ya; y <= yb; ++y)
                for (int x = xa; x <= xb; ++x) {
                    const Px c = px_at(pixels, w, bpp, x, y);
                    if (weighted(c) < kBrightSum) continue;
                    const int bin = (c.r >> 3) * 1024 + (c.g >> 3) * 32 + (c.b >> 3);
                    if (count[bin]++ == 0) {
                        first_colour[bin] = c;
                        met.push_back(bin);
                    }
                    ++total;
                }
        }
    }
    if (met.empty()) return;
    std::vector<bool> used(met.size(), false);
    for (int round = 0; round < 9; ++round) {
        int seed = -1;
        for (size_t i = 0; i < met.size(); ++i)
            if (!used[i] && (seed < 0 || count[met[i]] > count[met[seed]])) seed = static_cast<int>(i);
        if (seed < 0) break;
        const Px seed_share = shares_of(first_colour[met[seed]]);
        int64_t members = 0, sr = 0, sg = 0, sb = 0;
        for (size_t i = 0; i < met.size(); ++i) {
            if (used[i]) continue;
            const Px c = first_colour[met[i]];
            if (share_dist2(shares_of(c), seed_share) > 99) continue;
            used[i] = true;
            const int64_t k = count[met[i]];
            members += k;
            sr += k * c.r;
            sg += k * c.g;
            sb += k * c.b;
        }
        if (members >= total / 20)
            palette.push_back({static_cast<int>(sr / members), static_cast<int>(sg / members),
                               static_cast<int>(sb / members)});
    }
}

int cell_palette_index(const unsigned char* pixels, int w, int h, int bpp, float x0, float y0, float px, float py,
                       int row, int column, const std::vector<Rgb>& palette) {
    if (palette.empty()) return -1;
    std::array<Px, 9> shares{};
    const size_t colours = std::min<size_t>(palette.size(), shares.size());
    for (size_t k = 0; k < colours; ++k) shares[k] = shares_of({palette[k].r, palette[k].g, palette[k].b});
    std::array<int, 9> votes{};
    int xa, xb, ya, yb;
    cell_span(x0, px, column, 0.12f, 0.88f, w, xa, xb);
    cell_span(y0, py, row, 0.12f, 0.88f, h, ya, yb);
    for (int y = ya; y <= yb; ++y)
        for (int x = xa; x <= xb; ++x) {
            const Px c = px_at(pixels, w, bpp, x, y);
            if (weighted(c) < kBrightSum) continue;
            const Px s = shares_of(c);
            int best = -1, nearest = 0, second = -1;  // second < 0: no second colour yet
            for (size_t k = 0; k < colours; ++k) {
                const int d = share_dist2(s, shares[k]);
                if (best < 0 || d < nearest) {
                    second = best < 0 ? -1 : nearest;
                    best = static_cast<int>(k);
                    nearest = d;
                } else if (second < 0 || d < second) {
                    second = d;
                }
            }
            if (second < 0 || second >= 3 * nearest) ++votes[best];
        }
    int winner = -1;
    for (size_t k = 0; k < colours; ++k)
        if (votes[k] > 0 && (winner < 0 || votes[k] > votes[winner])) winner = static_cast<int>(k);
    return winner;
}

const unsigned char* ink_dark_color(const unsigned char* pixels, int w, int h, int bpp, std::vector<uint8_t>& store) {
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    size_t dark = 0;
    const unsigned char* p = pixels;
    for (size_t i = 0; i < n; ++i, p += bpp)
        dark += bpp < 3 ? p[0] < 128 : 299 * p[0] + 587 * p[1] + 114 * p[2] < 128000;
    if (2 * dark <= n) return pixels;
    store.assign(pixels, pixels + n * static_cast<size_t>(bpp));
    for (uint8_t& v : store) v = static_cast<uint8_t>(255 - v);
    return store.data();
}

void box_for(const uint8_t* grey, int w, int h, bool warped, int& left, int& top, int& right, int& bottom) {
    if (warped) {
        left = 0;
        top = 0;
        right = w - 1;
        bottom = h - 1;
        return;
    }
    if (!locate_lattice(grey, w, h, left, top, right, bottom, false) &&
        !locate_lattice(grey, w, h, left, top, right, bottom, true))
        grid_box(grey, w, h, left, top, right, bottom);
    const std::vector<int> rows = line_positions(grey, w, h, true);
    repair_span(grey, w, h, true, rows, top, bottom);
    const std::vector<int> cols = line_positions(grey, w, h, false);
    repair_span(grey, w, h, false, cols, left, right);
}

namespace {

// Runs every test not yet passed on one image of the picture: on the lattice box of box_for and,
// when that fails, on the whole image. True when every test has passed.
bool attempt(const unsigned char* pixels, const uint8_t* grey, int w, int h, int bpp, bool warped, BoxTry* tries,
             int n) {
    int left, top, right, bottom;
    box_for(grey, w, h, warped, left, top, right, bottom);
    bool all = true;
    for (int k = 0; k < n; ++k) {
        BoxTry& t = tries[k];
        if (!t.passed)
            t.passed = t.on_box(pixels, grey, w, h, bpp, left, top, right, bottom, t.ctx) ||
                       t.on_box(pixels, grey, w, h, bpp, 0, 0, w - 1, h - 1, t.ctx);
        all = all && t.passed;
    }
    return all;
}

}  // namespace

bool try_three_ways(const unsigned char* pixels, int w, int h, int bpp, BoxTest on_box, void* ctx) {
    BoxTry one{on_box, ctx, false};
    return try_three_ways(pixels, w, h, bpp, &one, 1);
}

bool try_three_ways(const unsigned char* pixels, int w, int h, int bpp, BoxTry* tries, int n) {
    std::vector<uint8_t> store, grey;
    const unsigned char* P = ink_dark_color(pixels, w, h, bpp, store);
    grey_from_colour(P, w, h, bpp, grey);
    if (attempt(P, grey.data(), w, h, bpp, false, tries, n)) return true;

    const float s = estimate_skew_deg(grey.data(), w, h);
    if (std::fabs(s) >= 0.9f) {
        const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
        std::vector<uint8_t> turned(count * static_cast<size_t>(bpp)), plane(count), sheared;
        for (int c = 0; c < bpp; ++c) {
            for (size_t i = 0; i < count; ++i) plane[i] = P[i * bpp + c];
            shear_correct(plane.data(), w, h, s, sheared);
            for (size_t i = 0; i < count; ++i) turned[i * bpp + c] = sheared[i];
        }
        grey_from_colour(turned.data(), w, h, bpp, grey);
        if (attempt(turned.data(), grey.data(), w, h, bpp, false, tries, n)) return true;
    }

    std::vector<uint8_t> straight;
    int S = 0;
    if (!warp_colour(P, w, h, bpp, straight, S)) return false;
    grey_from_colour(straight.data(), S, S, bpp, grey);
    return attempt(straight.data(), grey.data(), S, S, bpp, true, tries, n);
}
