// The second opinion: local-threshold corners, a cell reader fitted to small blurred print, the soundness test and second guesses.
#include "ocr/ocr_second.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "classify/matrix_engine.h"
#include "ocr/ocr_read.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"
#include "ocr/ocr_recognize.h"
#include "ocr/ocr_warp.h"

namespace {

// The local-threshold corner search works on the picture shrunk to at most this many pixels a side.
constexpr int kAdaptiveSide = 512;
// A pixel is ink when darker than the mean of its neighbourhood by this many grey levels.
constexpr int kAdaptiveMargin = 8;

// Part of the cell trimmed on each side before looking for the glyph.
constexpr float kCellMargin = 0.1f;
// Ink: darker than the median by this share of the cell's contrast.
constexpr float kInkShare = 0.55f;
// Least height of a glyph, as a share of the trimmed cell.
constexpr float kLeastHeight = 0.25f;

// A cell's next guess is tried only when the network gave it at least this probability: a
// puzzle with several solutions can often be made unique by some change, so a change the network
// all but ruled out would be an invention, not a reading.
constexpr float kLeastSecondGuess = 0.08f;
// Cells tried with their next guess, one at a time and then in pairs.
constexpr int kDoubtfulSingles = 14;
constexpr int kDoubtfulPairs = 8;

// The mean-smoothed picture shrunk by a whole factor f so that neither side exceeds kAdaptiveSide.
std::vector<uint8_t> shrink(const uint8_t* grey, int w, int h, int& f, int& sw, int& sh) {
    f = std::max(1, (std::max(w, h) + kAdaptiveSide - 1) / kAdaptiveSide);
    sw = w / f;
    sh = h / f;
    std::vector<uint8_t> out(static_cast<size_t>(sw) * static_cast<size_t>(sh));
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            int sum = 0;
            for (int dy = 0; dy < f; ++dy) {
                const uint8_t* row = grey + static_cast<size_t>(y * f + dy) * static_cast<size_t>(w) + x * f;
                for (int dx = 0; dx < f; ++dx) sum += row[dx];
            }
            out[static_cast<size_t>(y) * sw + x] = static_cast<uint8_t>(sum / (f * f));
        }
    return out;
}

// Ink by local threshold: 1 where a pixel is darker than the mean of the (2r+1)^2 square around it
// by more than the margin.
std::vector<uint8_t> local_ink(const std::vector<uint8_t>& img, int w, int h, int r) {
    std::vector<int64_t> sum(static_cast<size_t>(w + 1) * static_cast<size_t>(h + 1), 0);
    for (int y = 0; y < h; ++y) {
        int64_t row = 0;
        for (int x = 0; x < w; ++x) {
            row += img[static_cast<size_t>(y) * w + x];
            sum[static_cast<size_t>(y + 1) * (w + 1) + x + 1] = sum[static_cast<size_t>(y) * (w + 1) + x + 1] + row;
        }
    }
    std::vector<uint8_t> ink(img.size(), 0);
    for (int y = 0; y < h; ++y) {
        const int y0 = std::max(0, y - r), y1 = std::min(h, y + r + 1);
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(0, x - r), x1 = std::min(w, x + r + 1);
            const int64_t s = sum[static_cast<size_t>(y1) * (w + 1) + x1] - sum[static_cast<size_t>(y0) * (w + 1) + x1] -
                              sum[static_cast<size_t>(y1) * (w + 1) + x0] + sum[static_cast<size_t>(y0) * (w + 1) + x0];
            const int64_t n = static_cast<int64_t>(y1 - y0) * (x1 - x0);
            ink[static_cast<size_t>(y) * w + x] =
                static_cast<int64_t>(img[static_cast<size_t>(y) * w + x] + kAdaptiveMargin) * n < s;
        }
    }
    return ink;
}

// The pixels of the largest 8-connected figure of the mask, as indices.
std::vector<int> largest_figure(const std::vector<uint8_t>& mask, int w, int h) {
    std::vector<int> label(mask.size(), 0), stack, best, cur;
    int next = 0;
    for (int start = 0; start < static_cast<int>(mask.size()); ++start) {
        if (!mask[static_cast<size_t>(start)] || label[static_cast<size_t>(start)]) continue;
        ++next;
        cur.clear();
        stack.assign(1, start);
        label[static_cast<size_t>(start)] = next;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            cur.push_back(p);
            const int x = p % w, y = p / w;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    const int q = ny * w + nx;
                    if (!mask[static_cast<size_t>(q)] || label[static_cast<size_t>(q)]) continue;
                    label[static_cast<size_t>(q)] = next;
                    stack.push_back(q);
                }
        }
        if (cur.size() > best.size()) best.swap(cur);
    }
    return best;
}

// A quadrilateral of usable shape: no side shorter than a fifth of the picture's smaller side, none
// more than 2.2 times another.
bool quad_plausible(const float xs[4], const float ys[4], int w, int h) {
    float lo = 1e30f, hi = 0;
    for (int k = 0; k < 4; ++k) {
        const float e = std::hypot(xs[(k + 1) % 4] - xs[k], ys[(k + 1) % 4] - ys[k]);
        lo = std::min(lo, e);
        hi = std::max(hi, e);
    }
    return lo >= 0.2f * static_cast<float>(std::min(w, h)) && hi <= 2.2f * lo;
}

// Median and a low percentile (the darkest 3%) of a crop, by selection.
void crop_levels(std::vector<uint8_t>& order, int& median, int& dark) {
    const size_t n = order.size();
    std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(n / 2), order.end());
    median = order[n / 2];
    const size_t k = n * 3 / 100;
    std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(k), order.end());
    dark = order[k];
}

// The glyph of a crop whose components are in s: the largest component that does not reach the
// crop's edge, joined by the other pieces whose middle lies in the middle of the cell (a digit's
// strokes broken by blur or faint print). The joined pieces are relabelled to its label and its
// record widened over them. Returns the label, or 0 when the cell shows no plausible glyph.
int gather_glyph(OcrScratch& s, int cw, int ch) {
    auto inner = [&](const OcrComponent& c) {
        const int mx = c.min_x + c.max_x, my = c.min_y + c.max_y;  // twice the middle
        return !c.spans && mx >= cw * 2 / 5 && mx <= cw * 8 / 5 && my >= ch * 2 / 5 && my <= ch * 8 / 5;
    };
    int best = 0;
    for (int l = 1; l <= static_cast<int>(s.comps.size()); ++l) {
        const OcrComponent& c = s.comps[static_cast<size_t>(l - 1)];
        const bool edge = c.min_x == 0 || c.min_y == 0 || c.max_x == cw - 1 || c.max_y == ch - 1;
        if ((edge && !inner(c)) || c.spans) continue;
        if (best == 0 || c.count > s.comps[static_cast<size_t>(best - 1)].count) best = l;
    }
    if (best == 0) return 0;
    OcrComponent g = s.comps[static_cast<size_t>(best - 1)];
    const int least_piece = std::max(3, g.count / 10);
    std::vector<int> joined(s.comps.size() + 1, 0);
    for (int l = 1; l <= static_cast<int>(s.comps.size()); ++l) {
        const OcrComponent& c = s.comps[static_cast<size_t>(l - 1)];
        if (l == best || c.count < least_piece || !inner(c)) continue;
        joined[static_cast<size_t>(l)] = 1;
        g.count += c.count;
        g.min_x = std::min(g.min_x, c.min_x);
        g.max_x = std::max(g.max_x, c.max_x);
        g.min_y = std::min(g.min_y, c.min_y);
        g.max_y = std::max(g.max_y, c.max_y);
    }
    const int bw = g.max_x - g.min_x + 1, bh = g.max_y - g.min_y + 1;
    if (g.count < std::max(8, cw * ch / 100) || static_cast<float>(bh) < kLeastHeight * static_cast<float>(ch) ||
        static_cast<float>(bw) > 1.3f * static_cast<float>(bh) || bh > ch * 19 / 20)
        return 0;
    for (int& l : s.labels)
        if (l > 0 && joined[static_cast<size_t>(l)]) l = best;
    s.comps[static_cast<size_t>(best - 1)] = g;
    return best;
}

// The groups of the rules as the exact counter takes them: the regions, or the 3x3 boxes.
void rule_groups(const int* regions, int groups[9][9]) {
    for (int k = 0; k < 81; ++k) groups[k / 9][k % 9] = regions ? regions[k] : (k / 27) * 3 + (k % 9) / 3;
}

}  // namespace

OcrVerdict ocr_verdict(const int reading[81], const int* regions, bool diagonals, long budget) {
    OcrVerdict v;
    v.repeats = ocr_unit_conflicts(reading, regions, diagonals);
    for (int k = 0; k < 81; ++k) v.digits += reading[k] >= 1 && reading[k] <= 9;
    v.solutions = -1;
    if (v.repeats > 0) {
        v.solutions = 0;
        return v;
    }
    if (v.digits < kOcrLeastClues) return v;
    int groups[9][9];
    rule_groups(regions, groups);
    const matrix_engine::Ops* ops = matrix_engine::compile(diagonals, groups);
    if (!ops) return v;
    matrix_engine::Vec fixed{};
    for (int k = 0; k < 81; ++k)
        if (reading[k] >= 1 && reading[k] <= 9) fixed.set(9 * k + reading[k] - 1);
    long left = budget;
    v.solutions = matrix_engine::count_completions_collect(*ops, matrix_engine::full_vec(), fixed, 2, nullptr, 0, left);
    return v;
}

bool ocr_verdict_better(const OcrVerdict& a, const OcrVerdict& b) {
    if (a.sound() != b.sound()) return a.sound();
    if (a.repeats != b.repeats) return a.repeats < b.repeats;
    if (a.digits != b.digits) return a.digits > b.digits;
    return a.solutions == 1 && b.solutions != 1;
}

bool ocr_light_on_dark(const uint8_t* grey, int w, int h) {
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (n == 0) return false;
    const size_t step = std::max<size_t>(1, n / 65536);  // a sample of at most about 64k pixels
    int hist[256] = {};
    size_t count = 0;
    for (size_t i = 0; i < n; i += step, ++count) ++hist[grey[i]];
    auto level = [&](size_t rank) {
        size_t seen = 0;
        for (int v = 0; v < 256; ++v)
            if ((seen += static_cast<size_t>(hist[v])) > rank) return v;
        return 255;
    };
    const int dark = level(count * 5 / 100), median = level(count / 2), bright = level(count * 95 / 100);
    return bright - median > median - dark;
}

bool ocr_adaptive_corners(const uint8_t* grey, int w, int h, float xs[4], float ys[4]) {
    int f = 1, sw = 0, sh = 0;
    const std::vector<uint8_t> small = shrink(grey, w, h, f, sw, sh);
    if (sw < 27 || sh < 27) return false;
    const std::vector<uint8_t> ink = local_ink(small, sw, sh, std::max(4, std::min(sw, sh) / 30));
    const std::vector<int> fig = largest_figure(ink, sw, sh);
    if (static_cast<long>(fig.size()) < static_cast<long>(sw) * sh / 100) return false;
    int best[4] = {fig[0], fig[0], fig[0], fig[0]};
    auto key = [&](int p, int k) {
        const int x = p % sw, y = p / sw;
        return k == 0 ? -(x + y) : k == 1 ? x - y : k == 2 ? x + y : y - x;
    };
    for (int p : fig)
        for (int k = 0; k < 4; ++k)
            if (key(p, k) > key(best[k], k)) best[k] = p;
    for (int k = 0; k < 4; ++k) {
        xs[k] = (static_cast<float>(best[k] % sw) + 0.5f) * static_cast<float>(f);
        ys[k] = (static_cast<float>(best[k] / sw) + 0.5f) * static_cast<float>(f);
    }
    return quad_plausible(xs, ys, w, h);
}

OcrNet ocr_second_net() { return OcrNet{kOcrSecondW1, kOcrSecondB1, kOcrSecondW2, kOcrSecondB2, kOcrSecondHidden}; }

void ocr_wide_probs(const OcrNet& net, const float* input, float p[kOcrClasses]) {
    std::array<float, 512> hidden{};
    const int nh = std::min(net.hidden, static_cast<int>(hidden.size()));
    std::copy(net.b1, net.b1 + nh, hidden.begin());
    for (int i = 0; i < kOcrSecondInputs; ++i) {
        const float v = input[i];
        if (v == 0.0f) continue;  // adds exactly nothing; most of the glyph image is empty
        const float* wr = net.w1 + static_cast<size_t>(i) * static_cast<size_t>(net.hidden);
        for (int j = 0; j < nh; ++j) hidden[static_cast<size_t>(j)] += v * wr[j];
    }
    float o[kOcrClasses];
    std::copy(net.b2, net.b2 + kOcrClasses, o);
    for (int j = 0; j < nh; ++j) {
        const float a = std::max(hidden[static_cast<size_t>(j)], 0.0f);
        if (a == 0.0f) continue;
        const float* wr = net.w2 + static_cast<size_t>(j) * kOcrClasses;
        for (int k = 0; k < kOcrClasses; ++k) o[k] += a * wr[k];
    }
    float m = o[0];
    for (float v : o) m = std::max(m, v);
    float sum = 0;
    for (int k = 0; k < kOcrClasses; ++k) sum += p[k] = std::exp(o[k] - m);
    for (int k = 0; k < kOcrClasses; ++k) p[k] /= sum;
}

namespace {

// How far from its even place a grid line may be found, as a share of the pitch.
constexpr float kLineReach = 0.3f;
// A line must darken this share of a cell's width (or height) to be taken.
constexpr float kLineCover = 0.6f;
// A line piece farther than this share of the pitch from its neighbours' median is replaced by it.
constexpr float kLineBend = 0.12f;

// The median of n (at least 1) values, sorting them in place; n is small.
float small_median(float* v, int n) {
    for (int i = 1; i < n; ++i)
        for (int k = i; k > 0 && v[k - 1] > v[k]; --k) std::swap(v[k - 1], v[k]);
    return v[n / 2];
}

// Where the pieces of the grid lines of one direction really lie in a straightened image: for
// line k (0..9) and the cell span j (0..8) across it, pos[k][j] is the row (for horizontal lines)
// or column of the line within that span. Each piece is the row (column) within reach of its even
// place where the most pixels of the span are ink, taken only when they cover most of the span
// (a digit's bar covers less); pieces not found, or bent away from their neighbours, follow them.
void line_pieces(const uint8_t* img, int side, bool horizontal, float pos[10][9]) {
    const float pitch = static_cast<float>(side) / 9.0f;
    const int reach = static_cast<int>(kLineReach * pitch);
    std::vector<uint8_t> order;
    for (int j = 0; j < 9; ++j) {
        // The ink level of the band of cells j along the lines: darker than its median by half
        // its contrast.
        const int a = static_cast<int>(static_cast<float>(j) * pitch), b = std::min(side, static_cast<int>(static_cast<float>(j + 1) * pitch));
        order.clear();
        for (int t = 0; t < side; t += 2)
            for (int u = a; u < b; u += 2) order.push_back(horizontal ? img[static_cast<size_t>(t) * side + u] : img[static_cast<size_t>(u) * side + t]);
        int median = 0, dark = 0;
        crop_levels(order, median, dark);
        const int cut = median - (median - dark) / 2;
        for (int k = 0; k < 10; ++k) {
            const int even = static_cast<int>(std::lround(static_cast<float>(k) * pitch));
            int best = -1, best_cover = static_cast<int>(kLineCover * static_cast<float>(b - a));
            for (int t = std::max(0, even - reach); t <= std::min(side - 1, even + reach); ++t) {
                int cover = 0;
                for (int u = a; u < b; ++u)
                    cover += (horizontal ? img[static_cast<size_t>(t) * side + u] : img[static_cast<size_t>(u) * side + t]) < cut;
                if (cover > best_cover || (cover == best_cover && best >= 0 && std::abs(t - even) < std::abs(best - even))) {
                    best_cover = cover;
                    best = t;
                }
            }
            pos[k][j] = best >= 0 ? static_cast<float>(best) : -1.0f;
        }
    }
    for (int k = 0; k < 10; ++k) {
        float found[9];
        int n = 0;
        for (int j = 0; j < 9; ++j)
            if (pos[k][j] >= 0) found[n++] = pos[k][j];
        const float even = static_cast<float>(k) * pitch;
        float fixed[9];
        for (int j = 0; j < 9; ++j) {
            // The median of the found pieces around this one (itself and up to two on each side).
            float near[5];
            int m = 0;
            for (int d = -2; d <= 2; ++d)
                if (j + d >= 0 && j + d < 9 && pos[k][j + d] >= 0) near[m++] = pos[k][j + d];
            float mid = even;
            if (m > 0) mid = small_median(near, m);
            else if (n > 0) mid = small_median(found, n);
            fixed[j] = pos[k][j] >= 0 && std::fabs(pos[k][j] - mid) <= kLineBend * pitch ? pos[k][j] : mid;
        }
        std::copy(fixed, fixed + 9, pos[k]);
    }
}

}  // namespace

OcrCrop ocr_straight_crop(int side, int cell) {
    const float pitch = static_cast<float>(side) / 9.0f;
    const int i = cell / 9, j = cell % 9;
    OcrCrop c;
    c.x0 = static_cast<int>(std::lround((static_cast<float>(j) + kCellMargin) * pitch));
    c.x1 = std::min(side, static_cast<int>(std::lround((static_cast<float>(j + 1) - kCellMargin) * pitch)));
    c.y0 = static_cast<int>(std::lround((static_cast<float>(i) + kCellMargin) * pitch));
    c.y1 = std::min(side, static_cast<int>(std::lround((static_cast<float>(i + 1) - kCellMargin) * pitch)));
    return c;
}

void ocr_straight_crops(const uint8_t* img, int side, OcrCrop crops[81]) {
    float rows[10][9], cols[10][9];
    line_pieces(img, side, true, rows);
    line_pieces(img, side, false, cols);
    for (int cell = 0; cell < 81; ++cell) {
        const int i = cell / 9, j = cell % 9;
        const float top = rows[i][j], bottom = rows[i + 1][j], left = cols[j][i], right = cols[j + 1][i];
        const float my = kCellMargin * (bottom - top), mx = kCellMargin * (right - left);
        OcrCrop& c = crops[cell];
        c.x0 = std::max(0, static_cast<int>(std::lround(left + mx)));
        c.x1 = std::min(side, static_cast<int>(std::lround(right - mx)));
        c.y0 = std::max(0, static_cast<int>(std::lround(top + my)));
        c.y1 = std::min(side, static_cast<int>(std::lround(bottom - my)));
    }
}

bool ocr_second_cell_input(const uint8_t* crop, int cw, int ch, OcrScratch& s, float input[kOcrSecondInputs],
                           int least_contrast) {
    if (cw < 6 || ch < 6) return false;
    s.order.assign(crop, crop + static_cast<size_t>(cw) * static_cast<size_t>(ch));
    int median = 0, dark = 0;
    crop_levels(s.order, median, dark);
    if (median - dark < least_contrast) return false;
    const int cut = median - static_cast<int>(kInkShare * static_cast<float>(median - dark));
    ocr_components_below(crop, cw, ch, cut, s);
    const int label = gather_glyph(s, cw, ch);
    if (label == 0) return false;
    ocr_glyph_input(s, cw, label, input);
    const OcrComponent& g = s.comps[static_cast<size_t>(label - 1)];
    const int bw = g.max_x - g.min_x + 1, bh = g.max_y - g.min_y + 1;
    float* extra = input + kOcrInputs;
    extra[0] = static_cast<float>(bh) / static_cast<float>(ch);
    extra[1] = static_cast<float>(bw) / static_cast<float>(cw);
    extra[2] = static_cast<float>(g.count) / static_cast<float>(bw * bh);
    extra[3] = static_cast<float>(median - dark) / 255.0f;
    return true;
}

int ocr_read_straight(const uint8_t* img, int side, int out[81], OcrCellGuess* guesses) {
    std::fill(out, out + 81, 0);
    if (guesses) std::fill(guesses, guesses + 81, OcrCellGuess{});
    const OcrNet net = ocr_second_net();
    OcrScratch s;
    float input[kOcrSecondInputs], p[kOcrClasses];
    int read = 0;
    OcrCrop crops[81];
    ocr_straight_crops(img, side, crops);
    for (int cell = 0; cell < 81; ++cell) {
        const OcrCrop& c = crops[cell];
        if (!c.usable()) continue;
        ocr_copy_crop(img, side, c, s);
        if (!ocr_second_cell_input(s.crop.data(), c.width(), c.height(), s, input)) continue;
        ocr_wide_probs(net, input, p);
        int first = 0, second = -1;
        for (int k = 1; k < kOcrClasses; ++k)
            if (p[k] > p[first]) first = k;
        for (int k = 0; k < kOcrClasses; ++k)
            if (k != first && (second < 0 || p[k] > p[second])) second = k;
        const bool digit = first != 0 && p[first] >= kOcrSecondAccept;
        if (digit) {
            out[cell] = first;
            ++read;
        }
        if (guesses) {
            OcrCellGuess& g = guesses[cell];
            g.glyph = true;
            g.digit = out[cell];
            g.prob = digit ? p[first] : p[0];
            // A digit refused for doubt has that digit as its next guess.
            g.second = digit ? second : first != 0 ? first : second;
            g.p_second = p[g.second];
        }
    }
    return read;
}

bool ocr_try_second_guesses(int reading[81], const OcrCellGuess guesses[81], const int* regions, bool diagonals,
                            OcrVerdict& verdict) {
    std::vector<int> doubtful;
    for (int k = 0; k < 81; ++k)
        if (guesses[k].glyph && guesses[k].second != reading[k] && guesses[k].p_second >= kLeastSecondGuess)
            doubtful.push_back(k);
    std::sort(doubtful.begin(), doubtful.end(), [&](int a, int b) {
        return guesses[a].p_second / guesses[a].prob > guesses[b].p_second / guesses[b].prob;
    });
    if (doubtful.size() > kDoubtfulSingles) doubtful.resize(kDoubtfulSingles);
    auto attempt = [&](int a, int b) {
        int trial[81];
        std::copy(reading, reading + 81, trial);
        trial[a] = guesses[a].second;
        if (b >= 0) trial[b] = guesses[b].second;
        const OcrVerdict v = ocr_verdict(trial, regions, diagonals);
        if (!v.sound()) return false;
        if (g_dbg)
            for (int c : {a, b})
                if (c >= 0)
                    std::printf("second guess: r%dc%d %d (p %.3f) -> %d (p %.3f)\n", c / 9, c % 9, reading[c],
                                static_cast<double>(guesses[c].prob), guesses[c].second, static_cast<double>(guesses[c].p_second));
        std::copy(trial, trial + 81, reading);
        verdict = v;
        return true;
    };
    for (int a : doubtful)
        if (attempt(a, -1)) return true;
    const size_t pairs = std::min<size_t>(doubtful.size(), kDoubtfulPairs);
    for (size_t x = 0; x < pairs; ++x)
        for (size_t y = x + 1; y < pairs; ++y)
            if (attempt(doubtful[x], doubtful[y])) return true;
    return false;
}

namespace {

// The k-th corner estimate of the second opinion (0: local-threshold figure, 1: largest dark
// region, 2: largest bright region, 3: the lattice's box) into q (xs then ys); false when that
// search finds nothing.
bool second_quad(const uint8_t* grey, int w, int h, int k, std::array<float, 8>& q) {
    float* xs = q.data();
    float* ys = q.data() + 4;
    if (k == 0) return ocr_adaptive_corners(grey, w, h, xs, ys);
    if (k == 1 || k == 2) return find_quad_pol(grey, w, h, xs, ys, k == 1);
    int left, top, right, bottom;
    if (!locate_lattice(grey, w, h, left, top, right, bottom, false)) return false;
    const float l = static_cast<float>(left), t = static_cast<float>(top);
    const float r = static_cast<float>(right), b = static_cast<float>(bottom);
    q = {l, r, r, l, t, t, b, b};
    return true;
}

// True when q lies within 1% of the picture's smaller side of one of the quads, corner by corner.
bool already_tried(const std::vector<std::array<float, 8>>& quads, const std::array<float, 8>& q, int w, int h) {
    const float near = 0.01f * static_cast<float>(std::min(w, h));
    for (const auto& o : quads) {
        bool same = true;
        for (int k = 0; k < 8; ++k) same = same && std::fabs(o[static_cast<size_t>(k)] - q[static_cast<size_t>(k)]) <= near;
        if (same) return true;
    }
    return false;
}

constexpr int kSecondQuads = 4;

}  // namespace

std::vector<std::array<float, 8>> ocr_second_quads(const uint8_t* grey, int w, int h) {
    std::vector<std::array<float, 8>> quads;
    for (int k = 0; k < kSecondQuads; ++k) {
        std::array<float, 8> q;
        if (second_quad(grey, w, h, k, q) && !already_tried(quads, q, w, h)) quads.push_back(q);
    }
    return quads;
}

OcrVerdict ocr_second_opinion(const uint8_t* grey, int w, int h, const int* regions, bool diagonals, int out[81]) {
    std::fill(out, out + 81, 0);

    const int side = kOcrStraightSide;
    std::vector<uint8_t> warped;
    OcrVerdict best;
    best.solutions = -1;
    OcrCellGuess best_guesses[81];
    bool any = false;
    // The estimates are made one at a time: most pictures are read soundly by the first.
    std::vector<std::array<float, 8>> quads;
    for (int k = 0; k < kSecondQuads; ++k) {
        std::array<float, 8> q;
        if (!second_quad(grey, w, h, k, q) || already_tried(quads, q, w, h)) continue;
        quads.push_back(q);
        float H[9];
        if (!solve_homography(q.data(), q.data() + 4, H)) continue;
        warp_quad(grey, w, h, H, warped, side);
        int reading[81];
        OcrCellGuess guesses[81];
        ocr_read_straight(warped.data(), side, reading, guesses);
        const OcrVerdict v = ocr_verdict(reading, regions, diagonals);
        if (g_dbg) std::printf("second opinion: repeats %d, digits %d, solutions %d\n", v.repeats, v.digits, v.solutions);
        if (!any || ocr_verdict_better(v, best)) {
            any = true;
            best = v;
            std::copy(reading, reading + 81, out);
            std::copy(guesses, guesses + 81, best_guesses);
        }
        if (v.sound()) break;
    }
    if (!any) {
        best.solutions = 0;
        return best;
    }
    if (!best.sound() && ocr_try_second_guesses(out, best_guesses, regions, diagonals, best) && g_dbg)
        std::printf("second opinion: second guesses made it sound\n");
    return best;
}
