// Corner search: the four extreme corners of the largest dark or light region of a sampled picture.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "ocr/ocr_image.h"
#include "ocr/ocr_warp.h"

namespace {

constexpr int kMaxSamples = 400;

// Labels the 4-connected components of the set samples (1, 2, ... in row-major order of their first
// sample) and returns the label of the largest, the first of equal sizes; 0 when nothing is set.
// With `inside`, a component that touches the edge of the picture counts as background (a dark table,
// a shadow, a neighbouring puzzle cut off by the edge) rather than as the board, which lies wholly
// inside: the largest component clear of the edges wins when it reaches `least` samples, otherwise
// the largest of all.
int largest_component(const std::vector<uint8_t>& mask, int sw, int sh, bool inside, long least,
                      std::vector<int>& label, long& size) {
    label.assign(mask.size(), 0);
    std::vector<int> stack;
    int next = 0, best = 0, inner = 0;
    long inner_size = 0;
    size = 0;
    for (int start = 0; start < sw * sh; ++start) {
        if (!mask[start] || label[start]) continue;
        label[start] = ++next;
        stack.assign(1, start);
        long count = 0;
        bool edge = false;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            ++count;
            const int x = at % sw, y = at / sw;
            edge |= x == 0 || y == 0 || x == sw - 1 || y == sh - 1;
            const int around[4] = {x + 1 < sw ? at + 1 : -1, x > 0 ? at - 1 : -1, y + 1 < sh ? at + sw : -1,
                                   y > 0 ? at - sw : -1};
            for (int n : around)
                if (n >= 0 && mask[n] && !label[n]) {
                    label[n] = next;
                    stack.push_back(n);
                }
        }
        if (count > size) {
            size = count;
            best = next;
        }
        if (!edge && count > inner_size) {
            inner_size = count;
            inner = next;
        }
    }
    if (inside && inner && inner_size >= least) {
        size = inner_size;
        return inner;
    }
    return best;
}

}  // namespace

bool find_quad_pol(const uint8_t* img, int w, int h, float xs[4], float ys[4], bool dark) {
    const int sw = std::min(w, kMaxSamples), sh = std::min(h, kMaxSamples);
    if (sw < 40 || sh < 40) return false;
    std::vector<uint8_t> samples(static_cast<size_t>(sw) * sh);
    for (int y = 0; y < sh; ++y) {
        const int64_t row = static_cast<int64_t>(h) * y / sh;
        for (int x = 0; x < sw; ++x) samples[y * sw + x] = img[row * w + static_cast<int64_t>(w) * x / sw];
    }
    float t;
    if (!two_means_threshold(samples.data(), samples.size(), t)) return false;
    std::vector<uint8_t> mask(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) mask[i] = (static_cast<float>(samples[i]) < t) == dark;

    std::vector<int> label;
    long size;
    const long least = static_cast<long>(0.02 * sw * sh);
    const int best = largest_component(mask, sw, sh, dark, least, label, size);
    if (best == 0 || size < least) return false;

    // Extremes of x + y and x - y, the first of equal values kept.
    int tl = -1, tr = -1, br = -1, bl = -1;
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            const int i = y * sw + x;
            if (label[i] != best) continue;
            auto sum = [sw](int k) { return k % sw + k / sw; };
            auto diff = [sw](int k) { return k % sw - k / sw; };
            if (tl < 0 || x + y < sum(tl)) tl = i;
            if (tr < 0 || x - y > diff(tr)) tr = i;
            if (br < 0 || x + y > sum(br)) br = i;
            if (bl < 0 || x - y < diff(bl)) bl = i;
        }
    const float fx = static_cast<float>(w) / static_cast<float>(sw);
    const float fy = static_cast<float>(h) / static_cast<float>(sh);
    const int corner[4] = {tl, tr, br, bl};
    for (int k = 0; k < 4; ++k) {
        xs[k] = static_cast<float>(corner[k] % sw) * fx;
        ys[k] = static_cast<float>(corner[k] / sw) * fy;
    }
    float edge[4];
    for (int k = 0; k < 4; ++k) edge[k] = std::hypot(xs[k] - xs[(k + 1) % 4], ys[k] - ys[(k + 1) % 4]);
    const float e_min = *std::min_element(edge, edge + 4), e_max = *std::max_element(edge, edge + 4);
    return e_min >= 0.25f * static_cast<float>(std::min(w, h)) && e_max <= 2.2f * e_min;
}
