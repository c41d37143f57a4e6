// The recognition driver: the first reading (straightened, sheared, plain or inverted) and the referee that weighs three alternatives.
#include "ocr/ocr_recognize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"
#include "ocr/ocr_read.h"
#include "ocr/ocr_regions.h"
#include "ocr/ocr_second.h"
#include "ocr/ocr_warp.h"

namespace {

// A straightened image must show at least this many of its 16 inner lines to be read.
constexpr int kCombAccept = 4;
// A first reading of this many digits or fewer is retried on other images.
constexpr int kFewDigits = 7;
// Sum of the sines of the top and left edges' turn below which a picture is read unstraightened.
constexpr float kTiltLeast = 0.02f;
// Least skew, in degrees, worth shearing back.
constexpr float kSkewLeast = 0.9f;
// The radial corner search samples at most this many points a side and needs this many dark ones.
constexpr int kRadialSamples = 400;
constexpr int kRadialLeastSide = 40;
constexpr int kRadialLeastDark = 100;

const char* const kAltNames[kOcrAlternatives] = {"radial corners", "bright-region corners", "other polarity"};
const char* const kKept = "first reading kept";

int digits_of(const int reading[81]) {
    int n = 0;
    for (int i = 0; i < 81; ++i) n += reading[i] >= 1 && reading[i] <= 9;
    return n;
}

// out takes the reading of the inverted img when that one reads strictly more digits than n.
void read_inverted(const uint8_t* img, int w, int h, int out[81], int& n) {
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<uint8_t> inv(img, img + count);
    invert_grey(inv.data(), count);
    int tmp[81];
    const int m = read_grid(inv.data(), w, h, tmp);
    if (m > n) {
        std::copy(tmp, tmp + 81, out);
        n = m;
    }
}

// Corners of the dark samples: in each quadrant around the ink centre the dark sample farthest from
// it, ordered top-left, top-right, bottom-right, bottom-left, in picture pixels. False when the
// picture is too small, too light or leaves a quadrant without ink.
bool radial_corners(const uint8_t* grey, int w, int h, float xs[4], float ys[4]) {
    const int sw = std::min(w, kRadialSamples), sh = std::min(h, kRadialSamples);
    if (sw < kRadialLeastSide || sh < kRadialLeastSide) return false;
    std::vector<uint8_t> samples(static_cast<size_t>(sw) * sh);
    int64_t sum = 0;
    for (int y = 0; y < sh; ++y) {
        const int64_t row = static_cast<int64_t>(h) * y / sh;
        for (int x = 0; x < sw; ++x) {
            const uint8_t v = grey[row * w + static_cast<int64_t>(w) * x / sw];
            samples[static_cast<size_t>(y) * sw + x] = v;
            sum += v;
        }
    }
    const float mean = static_cast<float>(sum) / static_cast<float>(sw * sh);
    auto dark = [&](int x, int y) { return static_cast<float>(samples[static_cast<size_t>(y) * sw + x]) < mean; };
    long n = 0;
    double sx = 0, sy = 0;
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x)
            if (dark(x, y)) {
                ++n;
                sx += x;
                sy += y;
            }
    if (n < kRadialLeastDark) return false;
    const double cx = sx / static_cast<double>(n), cy = sy / static_cast<double>(n);
    float best[4] = {-1, -1, -1, -1};
    int bx[4] = {-1, -1, -1, -1}, by[4] = {-1, -1, -1, -1};
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            if (!dark(x, y)) continue;
            const int q = (y >= cy ? 2 : 0) + (x >= cx ? 1 : 0);
            const double dx = x - cx, dy = y - cy;
            const float d = static_cast<float>(dx * dx + dy * dy);
            if (d > best[q]) {
                best[q] = d;
                bx[q] = x;
                by[q] = y;
            }
        }
    const float fx = static_cast<float>(w) / static_cast<float>(sw);
    const float fy = static_cast<float>(h) / static_cast<float>(sh);
    const int order[4] = {0, 1, 3, 2};
    for (int k = 0; k < 4; ++k) {
        const int q = order[k];
        if (bx[q] < 0) return false;
        xs[k] = static_cast<float>(bx[q]) * fx;
        ys[k] = static_cast<float>(by[q]) * fy;
    }
    return true;
}

// Straightens the grey image by the corners and reads it into alt when its lattice shows; else the
// refusal is traced and alt stays empty.
void read_by_corners(const uint8_t* grey, int w, int h, int S, const float xs[4], const float ys[4], const char* name,
                     std::vector<uint8_t>& warped, int alt[81]) {
    float H[9];
    if (!solve_homography(xs, ys, H)) {
        if (g_dbg) std::printf("referee: %s refused (comb=%d)\n", name, -1);
        return;
    }
    warp_quad(grey, w, h, H, warped, S);
    const int comb = comb_score(warped.data(), S, S);
    if (comb < kCombAccept) {
        if (g_dbg) std::printf("referee: %s refused (comb=%d)\n", name, comb);
        return;
    }
    read_grid(warped.data(), S, S, alt);
}

// Repeats of a reading in its rows and columns only: a rule every kind of board keeps.
int line_repeats(const int reading[81]) {
    static constexpr std::array<int, 81> kNoRegion = [] {
        std::array<int, 81> none{};
        none.fill(-1);
        return none;
    }();
    return ocr_unit_conflicts(reading, kNoRegion.data(), false);
}

// Reads an image of a roughly upright grid: sheared back first when its lines lean by 0.9 degrees or
// more, and inverted as well when it reads few digits. Returns the digits read.
int read_upright(const uint8_t* grey, int w, int h, int out[81]) {
    const float a = estimate_skew_deg(grey, w, h);
    std::vector<uint8_t> sheared;
    const uint8_t* img = grey;
    if (std::fabs(a) >= kSkewLeast) {
        shear_correct(grey, w, h, a, sheared);
        img = sheared.data();
    }
    int n = read_grid(img, w, h, out);
    if (n <= kFewDigits) read_inverted(img, w, h, out, n);
    return n;
}

// The part of the picture around an upright board's corners, with a margin for the frame lines
// and the coarseness of the corner search, into out (ow x oh). Left empty unless that part shows a
// lattice.
void crop_to_board(const uint8_t* grey, int w, int h, const float xs[4], const float ys[4],
                   std::vector<uint8_t>& out, int& ow, int& oh) {
    out.clear();
    const float x_lo = std::min(xs[0], xs[3]), x_hi = std::max(xs[1], xs[2]);
    const float y_lo = std::min(ys[0], ys[1]), y_hi = std::max(ys[2], ys[3]);
    const float margin = std::max(4.0f, std::max(x_hi - x_lo, y_hi - y_lo) / 50);
    const int x0 = std::max(0, static_cast<int>(x_lo - margin));
    const int x1 = std::min(w - 1, static_cast<int>(x_hi + margin));
    const int y0 = std::max(0, static_cast<int>(y_lo - margin));
    const int y1 = std::min(h - 1, static_cast<int>(y_hi + margin));
    ow = x1 - x0 + 1;
    oh = y1 - y0 + 1;
    if (ow < 27 || oh < 27) return;
    out.resize(static_cast<size_t>(ow) * static_cast<size_t>(oh));
    for (int y = 0; y < oh; ++y)
        std::copy(grey + static_cast<size_t>(y0 + y) * static_cast<size_t>(w) + x0,
                  grey + static_cast<size_t>(y0 + y) * static_cast<size_t>(w) + x0 + ow,
                  out.begin() + static_cast<std::ptrdiff_t>(y) * ow);
    if (comb_score(out.data(), ow, oh) < kCombAccept) out.clear();
}

}  // namespace

int ocr_unit_conflicts(const int reading[81], const int* regions, bool diagonals) {
    uint32_t rows[9] = {}, cols[9] = {}, boxes[9] = {}, diag = 0, anti = 0;
    int repeats = 0;
    auto mark = [&repeats](uint32_t& house, uint32_t bit) {
        repeats += (house & bit) != 0;
        house |= bit;
    };
    for (int i = 0; i < 81; ++i) {
        const int d = reading[i];
        if (d < 1 || d > 9) continue;
        const uint32_t bit = 1u << d;
        const int r = i / 9, c = i % 9;
        mark(rows[r], bit);
        mark(cols[c], bit);
        const int region = regions ? regions[i] : (r / 3) * 3 + c / 3;
        if (region >= 0 && region <= 8) mark(boxes[region], bit);
        if (diagonals && r == c) mark(diag, bit);
        if (diagonals && c == 8 - r) mark(anti, bit);
    }
    return repeats;
}

int best_opinion(const int first[81], const int alts[kOcrAlternatives][81], const int* regions, bool diagonals) {
    const int least_digits = digits_of(first);
    int best = ocr_unit_conflicts(first, regions, diagonals);
    int chosen = -1;
    for (int k = 0; k < kOcrAlternatives; ++k) {
        const int repeats = ocr_unit_conflicts(alts[k], regions, diagonals);
        const int digits = digits_of(alts[k]);
        if (g_dbg) std::printf("referee: %s repeats %d, digits %d\n", kAltNames[k], repeats, digits);
        if (digits >= least_digits && repeats < best) {
            best = repeats;
            chosen = k;
        }
    }
    return chosen;
}

namespace {

// The picture's rules once its detectors have been asked.
struct PictureRules {
    bool asked = false, x = false, has_regions = false;
    int regions[81] = {};
};

// The first reading: straightened, sheared, plain or inverted, and the referee between it and three
// alternatives. grey is the picture's dark-on-light grey image; the referee may invert it. rules
// (may be null) keeps the picture's rules when the referee had to ask for them.
void first_reading(const unsigned char* pixels, int w, int h, int bpp, std::vector<uint8_t>& grey, int out[81],
                   PictureRules* rules) {
    const size_t count = grey.size();
    const int S = ocr_warp_size(w, h);

    // Straightening by the corners of the largest dark region, only for a visibly tilted grid.
    std::vector<uint8_t> warped, board;
    int comb = -1, bw = 0, bh = 0;
    float xs[4], ys[4], H[9];
    if (find_quad_pol(grey.data(), w, h, xs, ys, true)) {
        const float top = std::fabs(ys[1] - ys[0]) / std::max(std::hypot(xs[1] - xs[0], ys[1] - ys[0]), 1.0f);
        const float left = std::fabs(xs[3] - xs[0]) / std::max(std::hypot(xs[3] - xs[0], ys[3] - ys[0]), 1.0f);
        if (top + left > kTiltLeast) {
            if (solve_homography(xs, ys, H)) {
                warp_quad(grey.data(), w, h, H, warped, S);
                comb = comb_score(warped.data(), S, S);
            }
        } else {
            crop_to_board(grey.data(), w, h, xs, ys, board, bw, bh);
        }
    }
    if (g_dbg) std::printf("warp %s (comb=%d)\n", comb >= kCombAccept ? "ACCEPTED" : "rejected", comb);

    int n;
    if (comb >= kCombAccept) {
        n = read_grid(warped.data(), S, S, out);
        if (n <= kFewDigits) {
            int tmp[81];
            const int m = read_grid(grey.data(), w, h, tmp);
            if (m > n) {
                std::copy(tmp, tmp + 81, out);
                n = m;
            }
        }
        if (n <= kFewDigits) read_inverted(grey.data(), w, h, out, n);
    } else {
        n = read_upright(grey.data(), w, h, out);
        // A board square to the camera is not resampled, but print around it can pass for its lines
        // and misplace the cells. When the corner search found the board, its own part of the
        // picture is read as well, and that reading taken when it repeats less in rows and columns,
        // or as little and reads more digits.
        if (!board.empty()) {
            int tmp[81];
            const int m = read_upright(board.data(), bw, bh, tmp);
            const int before = line_repeats(out), after = line_repeats(tmp);
            if (after < before || (after == before && m > n)) {
                std::copy(tmp, tmp + 81, out);
                n = m;
            }
        }
    }

    const int repeats = ocr_unit_conflicts(out, nullptr, false);
    if (repeats == 0) return;

    // Referee: the first reading breaks the rule; three other readings may repeat less.
    if (g_dbg) std::printf("referee: first reading repeats %d, digits %d\n", repeats, digits_of(out));
    int alts[kOcrAlternatives][81] = {};
    if (radial_corners(grey.data(), w, h, xs, ys))
        read_by_corners(grey.data(), w, h, S, xs, ys, kAltNames[0], warped, alts[0]);
    if (find_quad_pol(grey.data(), w, h, xs, ys, false))
        read_by_corners(grey.data(), w, h, S, xs, ys, kAltNames[1], warped, alts[1]);
    invert_grey(grey.data(), count);  // grey is not needed upright any more
    read_grid(grey.data(), w, h, alts[2]);

    if (best_opinion(out, alts, nullptr, false) < 0) {
        if (g_dbg) std::printf("referee: %s\n", kKept);
        return;
    }
    // Only now is it worth asking which houses the picture itself draws.
    bool x, has_regions;
    int regions[81];
    ocr_detect_rules(pixels, w, h, bpp, x, has_regions, regions);
    if (rules) {
        rules->asked = true;
        rules->x = x;
        rules->has_regions = has_regions;
        std::copy(regions, regions + 81, rules->regions);
    }
    if (g_dbg)
        std::printf("referee: the picture's rules are %s%s\n", has_regions ? "its drawn regions" : "the 3x3 boxes",
                    x ? " and both diagonals" : "");
    const int m = best_opinion(out, alts, has_regions ? regions : nullptr, x);
    if (g_dbg) std::printf("referee: %s\n", m >= 0 ? kAltNames[m] : kKept);
    if (m >= 0) std::copy(alts[m], alts[m] + 81, out);
}

}  // namespace

bool ocr_recognize(const unsigned char* pixels, int w, int h, int bpp, int out[81]) {
    std::fill(out, out + 81, 0);
    if (bpp < 1 || bpp > 4 || !pixels || w < 27 || h < 27) return false;

    std::vector<uint8_t> grey;
    grey_from_colour(pixels, w, h, bpp, grey);
    // The second opinion judges the polarity itself: a dim page is not light print on dark.
    std::vector<uint8_t> upright = grey;
    if (ocr_light_on_dark(upright.data(), w, h)) invert_grey(upright.data(), upright.size());
    if (ink_majority(grey.data(), w, h)) invert_grey(grey.data(), grey.size());
    PictureRules known;
    first_reading(pixels, w, h, bpp, grey, out, &known);

    // A reading that is a sound puzzle on the picture's own rules stands. Anything else (a repeat,
    // too few digits, no or several solutions) is put to the second opinion, which takes over only
    // with a sound puzzle, or, when neither is sound, with fewer repeats and no fewer digits.
    // The rule detectors are slow, so they are asked only once some reading could be a puzzle on
    // any rules: no repeat in a row or column and at least 17 digits, and at most once a picture
    // (the referee's answer, when it asked, is taken as it is). Until then the second opinion
    // weighs its readings on the 3x3 boxes. A reading that is already a sound puzzle on the plain
    // rules (3x3 boxes, no diagonals) is taken as a plain puzzle without asking them: drawn
    // regions or marked diagonals would almost never leave such clues a unique plain puzzle, and
    // the detectors cost more than the rest of the reading together.
    bool asked = false, x = false;
    int regions[81];
    const int* rules = nullptr;
    auto ask_rules = [&] {
        asked = true;
        bool has_regions;
        if (known.asked) {
            x = known.x;
            has_regions = known.has_regions;
            std::copy(known.regions, known.regions + 81, regions);
        } else {
            ocr_detect_rules(pixels, w, h, bpp, x, has_regions, regions);
        }
        rules = has_regions ? regions : nullptr;
    };
    auto could_be_puzzle = [](const int reading[81]) {
        return line_repeats(reading) == 0 && digits_of(reading) >= kOcrLeastClues;
    };
    if (known.asked) ask_rules();
    if (could_be_puzzle(out)) {
        if (!asked && ocr_verdict(out, nullptr, false).sound()) return true;
        if (!asked) ask_rules();
        if (ocr_verdict(out, rules, x).sound()) return true;
    }
    int second[81];
    OcrVerdict other = ocr_second_opinion(upright.data(), w, h, rules, x, second);
    if (!asked && could_be_puzzle(second) && !other.sound()) {
        ask_rules();
        if (rules || x) other = ocr_second_opinion(upright.data(), w, h, rules, x, second);
    }
    const OcrVerdict first = ocr_verdict(out, rules, x);
    if (g_dbg)
        std::printf("first reading not sound: repeats %d, digits %d, solutions %d\n", first.repeats, first.digits,
                    first.solutions);
    const bool take = other.sound() || (other.repeats < first.repeats && other.digits >= first.digits);
    if (g_dbg) std::printf("second opinion %s\n", take ? "taken" : "not taken");
    if (take) std::copy(second, second + 81, out);
    return true;
}
