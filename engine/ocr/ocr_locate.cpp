// Finding the 9x9 lattice of a grey picture from its long dark lines, and judging a lattice by its comb score.
#include "ocr/ocr_locate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "ocr/ocr_image.h"

namespace {

// Above this many line positions in one direction the picture is stripes or noise, not a grid, and
// the lattice search (quadratic in each list) would run for hours on a large picture.
constexpr size_t kMaxLatticeLines = 128;

// True when some entry of the ascending list lies within tol of p.
bool line_near(const std::vector<int>& lines, int p, int tol) {
    auto it = std::lower_bound(lines.begin(), lines.end(), p - tol);
    return it != lines.end() && *it <= p + tol;
}

// How many of the eight inner places start + n*span/9 (n = 1..8) have a line within tol.
int inner_lines_near(const std::vector<int>& lines, int start, int span, int tol) {
    int found = 0;
    for (int n = 1; n <= 8; ++n) found += line_near(lines, start + n * span / 9, tol);
    return found;
}

// Thirds of a span: both inner lines that divide the lattice into its boxes.
bool thirds_present(const std::vector<int>& lines, int start, int span, int tol) {
    return line_near(lines, start + span / 3, tol) && line_near(lines, start + 2 * span / 3, tol);
}

// Darkness peaks of a profile: local maxima standing above mean + 0.6 standard deviations.
std::vector<int> profile_peaks(const std::vector<float>& v) {
    std::vector<int> peaks;
    const size_t n = v.size();
    if (n <= 2) return peaks;
    double sum = 0;
    for (float x : v) sum += x;
    const double mu = sum / static_cast<double>(n);
    double var = 0;
    for (float x : v) var += (x - mu) * (x - mu);
    const float tau = static_cast<float>(mu + 0.6 * std::sqrt(var / static_cast<double>(n)));
    for (size_t i = 1; i + 1 < n; ++i)
        if (v[i] >= v[i - 1] && v[i] >= v[i + 1] && v[i] > tau) peaks.push_back(static_cast<int>(i));
    return peaks;
}

// How many of the eight inner places floor(k*n/9) have a peak within tol.
int peaks_at_ninths(const std::vector<int>& peaks, int n, int tol) {
    int found = 0;
    for (int k = 1; k <= 8; ++k) {
        const int place = k * n / 9;
        for (int p : peaks)
            if (std::abs(p - place) <= tol) {
                ++found;
                break;
            }
    }
    return found;
}

// Comb score of a w x h window whose rows lie `stride` bytes apart.
int comb_score_window(const uint8_t* img, size_t stride, int w, int h) {
    std::vector<float> row_profile(static_cast<size_t>(h)), col_profile(static_cast<size_t>(w));
    std::vector<int64_t> col_sum(static_cast<size_t>(w), 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = img + static_cast<size_t>(y) * stride;
        int64_t s = 0;
        for (int x = 0; x < w; ++x) {
            s += row[x];
            col_sum[x] += row[x];
        }
        row_profile[y] = -static_cast<float>(s) / static_cast<float>(w);
    }
    for (int x = 0; x < w; ++x) col_profile[x] = -static_cast<float>(col_sum[x]) / static_cast<float>(h);
    const int tx = w / 40 < 4 ? 3 : w / 40;
    const int ty = h / 40 < 4 ? 3 : h / 40;
    return peaks_at_ninths(profile_peaks(col_profile), w, tx) + peaks_at_ninths(profile_peaks(row_profile), h, ty);
}

}  // namespace

std::vector<int> run_centres(const uint8_t* img, int w, int h, float t, bool rows) {
    const int n = rows ? h : w;
    const float need = 0.35f * static_cast<float>(rows ? w : h);
    std::vector<int> counts(static_cast<size_t>(n), 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = img + static_cast<size_t>(y) * static_cast<size_t>(w);
        if (rows) {
            int c = 0;
            for (int x = 0; x < w; ++x) c += static_cast<float>(row[x]) < t;
            counts[y] = c;
        } else {
            for (int x = 0; x < w; ++x) counts[x] += static_cast<float>(row[x]) < t;
        }
    }
    std::vector<int> centres;
    int start = -1;
    for (int i = 0; i < n; ++i) {
        const bool qualifies = static_cast<float>(counts[i]) > need;
        if (qualifies && start < 0) start = i;
        if (!qualifies && start >= 0) {
            centres.push_back((start + i - 1) / 2);
            start = -1;
        }
    }
    if (start >= 0) centres.push_back((start + n - 1) / 2);
    return centres;
}

bool locate_lattice(const uint8_t* img, int w, int h, int& left, int& top, int& right, int& bottom,
                    bool adaptive) {
    float t = kInkLevel;
    if (adaptive) two_means_threshold(img, static_cast<size_t>(w) * static_cast<size_t>(h), t);
    const std::vector<int> rows = run_centres(img, w, h, t, true);
    const std::vector<int> cols = run_centres(img, w, h, t, false);
    if (rows.empty() || cols.empty()) return false;
    if (rows.size() > kMaxLatticeLines || cols.size() > kMaxLatticeLines) return false;

    const int dmin = std::min(w, h) / 3;
    int best = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = i + 1; j < rows.size(); ++j) {
            const int g = rows[j] - rows[i];
            if (g < dmin) continue;
            const int tol = static_cast<int>(static_cast<float>(g) * 0.06f) + 2;
            // The row thirds do not depend on the column pair: without them no candidate can follow.
            if (!thirds_present(rows, rows[i], g, tol)) continue;
            // Inner lines count only within a quarter of the candidate's cell pitch. The thirds'
            // tolerance, 6% of the span, is more than half a pitch: with it, a box of six, seven
            // or eight cells built from the grid's own lines finds a line near each of its ninths
            // too, and wins over the whole grid as soon as a few thin lines are too light to count.
            const int inner_tol = g / 36 + 1;
            const int row_inner = inner_lines_near(rows, rows[i], g, inner_tol);
            for (size_t k = 0; k < cols.size(); ++k) {
                for (size_t l = k + 1; l < cols.size(); ++l) {
                    const int m = cols[l] - cols[k];
                    if (m < dmin) continue;
                    if (std::fabs(static_cast<float>(g - m)) > 0.12f * static_cast<float>(std::max(g, m))) continue;
                    if (!thirds_present(cols, cols[k], m, tol)) continue;
                    const int score = m + g + 1000 * (row_inner + inner_lines_near(cols, cols[k], m, inner_tol));
                    if (score > best) {
                        best = score;
                        left = cols[k];
                        top = rows[i];
                        right = cols[l];
                        bottom = rows[j];
                    }
                }
            }
        }
    }
    return best >= 0;
}

bool ocr_locate_grid(const uint8_t* img, int w, int h, int* left, int* top, int* right, int* bottom) {
    if (w < 27 || h < 27 || !img || !left || !top || !right || !bottom) return false;
    std::vector<uint8_t> inverted;
    const uint8_t* src = img;
    if (ink_majority(img, w, h)) {
        inverted.assign(img, img + static_cast<size_t>(w) * static_cast<size_t>(h));
        invert_grey(inverted.data(), inverted.size());
        src = inverted.data();
    }
    int a[4], b[4];
    const bool found_a = locate_lattice(src, w, h, a[0], a[1], a[2], a[3], false);
    const bool found_b = locate_lattice(src, w, h, b[0], b[1], b[2], b[3], true);
    const int comb_a = found_a ? comb_of_box(src, w, h, a[0], a[1], a[2], a[3]) : -1;
    const int comb_b = found_b ? comb_of_box(src, w, h, b[0], b[1], b[2], b[3]) : -1;
    const int* chosen = nullptr;
    if (found_a && found_b) chosen = comb_b > comb_a ? b : a;
    else if (found_a) chosen = a;
    else if (found_b && comb_b >= 14) chosen = b;
    if (!chosen) return false;
    *left = chosen[0];
    *top = chosen[1];
    *right = chosen[2];
    *bottom = chosen[3];
    return true;
}

int comb_score(const uint8_t* img, int w, int h) { return comb_score_window(img, static_cast<size_t>(w), w, h); }

int comb_of_box(const uint8_t* img, int w, int h, int left, int top, int right, int bottom) {
    if (left < 0 || top < 0 || right >= w || bottom >= h || right - left < 26 || bottom - top < 26) return -1;
    const size_t stride = static_cast<size_t>(w);
    return comb_score_window(img + static_cast<size_t>(top) * stride + static_cast<size_t>(left), stride,
                             right - left + 1, bottom - top + 1);
}
