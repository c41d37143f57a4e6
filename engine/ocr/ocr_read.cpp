// The digit reader: lattice placement, cell crops, glyph isolation, input scaling and the digit network.
#include "ocr/ocr_read.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ocr/ocr_image.h"
#include "ocr/ocr_locate.h"
#include "ocr/ocr_warp.h"

OcrNet ocr_builtin_net() { return OcrNet{kOcrW1, kOcrB1, kOcrW2, kOcrB2}; }

void ocr_place_lattice(const uint8_t* img, int w, int h, int& left, int& top, int& right, int& bottom) {
    if (!locate_lattice(img, w, h, left, top, right, bottom, false)) grid_box(img, w, h, left, top, right, bottom);
    const std::vector<int> rows = line_positions(img, w, h, true);
    repair_span(img, w, h, true, rows, top, bottom);
    const std::vector<int> cols = line_positions(img, w, h, false);
    repair_span(img, w, h, false, cols, left, right);
}

void ocr_cell_crops(const uint8_t* img, int w, int h, OcrCrop crops[81]) {
    int left = 0, top = 0, right = 0, bottom = 0;
    ocr_place_lattice(img, w, h, left, top, right, bottom);
    ocr_crops_of_box(w, h, left, top, right, bottom, crops);
}

void ocr_crops_of_box(int w, int h, int left, int top, int right, int bottom, OcrCrop crops[81]) {
    const float pw = static_cast<float>(right - left + 1) / 9.0f;
    const float ph = static_cast<float>(bottom - top + 1) / 9.0f;
    for (int i = 0; i < 9; ++i) {
        const int ya = static_cast<int>(std::lroundf(static_cast<float>(i) * ph + static_cast<float>(top)));
        const int yb = static_cast<int>(std::lroundf(static_cast<float>(i + 1) * ph + static_cast<float>(top)));
        const int my = static_cast<int>(static_cast<float>(yb - ya) * 0.08f);
        for (int j = 0; j < 9; ++j) {
            const int xa = static_cast<int>(std::lroundf(static_cast<float>(j) * pw + static_cast<float>(left)));
            const int xb = static_cast<int>(std::lroundf(static_cast<float>(j + 1) * pw + static_cast<float>(left)));
            const int mx = static_cast<int>(static_cast<float>(xb - xa) * 0.08f);
            OcrCrop& c = crops[i * 9 + j];
            c.x0 = std::max(0, xa + mx);
            c.x1 = std::min(w, xb - mx);
            c.y0 = std::max(0, ya + my);
            c.y1 = std::min(h, yb - my);
        }
    }
}

void ocr_copy_crop(const uint8_t* img, int w, const OcrCrop& c, OcrScratch& s) {
    const int cw = c.width(), ch = c.height();
    s.crop.resize(static_cast<size_t>(cw) * static_cast<size_t>(ch));
    for (int y = 0; y < ch; ++y) {
        const uint8_t* row = img + static_cast<size_t>(c.y0 + y) * static_cast<size_t>(w) + c.x0;
        std::copy(row, row + cw, s.crop.begin() + static_cast<std::ptrdiff_t>(y) * cw);
    }
}

void ocr_components(const uint8_t* crop, int cw, int ch, OcrScratch& s) {
    const size_t n = static_cast<size_t>(cw) * static_cast<size_t>(ch);
    if (n == 0) {
        s.comps.clear();
        s.labels.clear();
        return;
    }
    s.order.assign(crop, crop + n);
    std::nth_element(s.order.begin(), s.order.begin() + static_cast<std::ptrdiff_t>(n / 2), s.order.end());
    // ink is darker than the median by more than 45
    ocr_components_below(crop, cw, ch, static_cast<int>(s.order[n / 2]) - 45, s);
}

void ocr_components_below(const uint8_t* crop, int cw, int ch, int cut, OcrScratch& s) {
    const size_t n = static_cast<size_t>(cw) * static_cast<size_t>(ch);
    s.comps.clear();
    s.labels.assign(n, 0);
    s.stack.clear();
    for (size_t start = 0; start < n; ++start) {
        if (s.labels[start] != 0 || static_cast<int>(crop[start]) >= cut) continue;
        s.comps.emplace_back();
        const int label = static_cast<int>(s.comps.size());
        OcrComponent& c = s.comps.back();
        s.labels[start] = label;
        s.stack.push_back(static_cast<int>(start));
        while (!s.stack.empty()) {
            const int p = s.stack.back();
            s.stack.pop_back();
            const int x = p % cw, y = p / cw;
            ++c.count;
            c.min_x = std::min(c.min_x, x);
            c.max_x = std::max(c.max_x, x);
            c.min_y = std::min(c.min_y, y);
            c.max_y = std::max(c.max_y, y);
            for (int dy = -1; dy <= 1; ++dy) {
                const int ny = y + dy;
                if (ny < 0 || ny >= ch) continue;
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    if (nx < 0 || nx >= cw) continue;
                    const int q = ny * cw + nx;
                    if (s.labels[static_cast<size_t>(q)] != 0 || static_cast<int>(crop[q]) >= cut) continue;
                    s.labels[static_cast<size_t>(q)] = label;
                    s.stack.push_back(q);
                }
            }
        }
        c.spans = (c.min_x == 0 && c.max_x == cw - 1) || (c.min_y == 0 && c.max_y == ch - 1);
    }
}

int ocr_choose_glyph(const OcrScratch& s, int cw, int ch, OcrRefusal* why) {
    OcrRefusal ignored;
    OcrRefusal& reason = why ? *why : ignored;
    reason = OcrRefusal::None;
    int best = 0, any = 0;
    for (int l = 1; l <= static_cast<int>(s.comps.size()); ++l) {
        const OcrComponent& c = s.comps[static_cast<size_t>(l - 1)];
        if (any == 0 || c.count > s.comps[static_cast<size_t>(any - 1)].count) any = l;
        if (!c.spans && (best == 0 || c.count > s.comps[static_cast<size_t>(best - 1)].count)) best = l;
    }
    if (best == 0) best = any;  // every component spans: the largest of them all
    if (best == 0) {
        reason = OcrRefusal::NoInk;
        return 0;
    }
    const OcrComponent& g = s.comps[static_cast<size_t>(best - 1)];
    const int bw = g.max_x - g.min_x + 1, bh = g.max_y - g.min_y + 1;
    const float fbw = static_cast<float>(bw), fbh = static_cast<float>(bh), fch = static_cast<float>(ch);
    if (g.count < std::max(6, static_cast<int>(static_cast<float>(cw * ch) * 0.006f))) reason = OcrRefusal::TooSmall;
    else if (fbh < 0.4f * fch) reason = OcrRefusal::TooShort;
    else if (fbw > 1.15f * fbh) reason = OcrRefusal::TooWide;
    else if (static_cast<float>(g.count) < 0.1f * fbw * fbh) reason = OcrRefusal::TooThin;
    for (int l = 1; l <= static_cast<int>(s.comps.size()) && reason == OcrRefusal::None; ++l) {
        const OcrComponent& c = s.comps[static_cast<size_t>(l - 1)];
        if (l == best || c.spans) continue;
        const float other = static_cast<float>(c.max_y - c.min_y + 1);
        if (other >= 0.8f * fbh && other >= 0.4f * fch) reason = OcrRefusal::SecondMark;
    }
    return reason == OcrRefusal::None ? best : 0;
}

void ocr_glyph_input(const OcrScratch& s, int cw, int label, float input[kOcrInputs]) {
    const OcrComponent& g = s.comps[static_cast<size_t>(label - 1)];
    const int bw = g.max_x - g.min_x + 1, bh = g.max_y - g.min_y + 1;
    const float k = static_cast<float>(kOcrGlyphSide) / static_cast<float>(std::max(bw, bh));
    const int nw = std::max(1, static_cast<int>(std::lroundf(static_cast<float>(bw) * k)));
    const int nh = std::max(1, static_cast<int>(std::lroundf(static_cast<float>(bh) * k)));
    const int ox = (kOcrSide - nw) / 2, oy = (kOcrSide - nh) / 2;
    std::fill(input, input + kOcrInputs, 0.0f);
    for (int y = 0; y < nh; ++y) {
        const int r0 = bh * y / nh;
        const int r1 = std::min(bh, std::max(r0 + 1, (bh * (y + 1) + nh - 1) / nh));
        for (int x = 0; x < nw; ++x) {
            const int c0 = bw * x / nw;
            const int c1 = std::min(bw, std::max(c0 + 1, (bw * (x + 1) + nw - 1) / nw));
            int on = 0;
            for (int r = r0; r < r1; ++r) {
                const int* row = s.labels.data() + static_cast<size_t>(g.min_y + r) * static_cast<size_t>(cw) + g.min_x;
                for (int c = c0; c < c1; ++c) on += row[c] == label;
            }
            input[(oy + y) * kOcrSide + ox + x] = static_cast<float>(on) / static_cast<float>((r1 - r0) * (c1 - c0));
        }
    }
}

bool ocr_cell_input(const uint8_t* crop, int cw, int ch, OcrScratch& s, float input[kOcrInputs], OcrRefusal* why) {
    ocr_components(crop, cw, ch, s);
    const int label = ocr_choose_glyph(s, cw, ch, why);
    if (label == 0) return false;
    ocr_glyph_input(s, cw, label, input);
    return true;
}

void ocr_class_probs(const OcrNet& net, const float input[kOcrInputs], float p[kOcrClasses]) {
    float hidden[kOcrHidden];
    std::copy(net.b1, net.b1 + kOcrHidden, hidden);
    for (int i = 0; i < kOcrInputs; ++i) {
        const float v = input[i];
        if (v == 0.0f) continue;  // adds exactly nothing; most of the input is empty
        const float* wr = net.w1 + static_cast<size_t>(i) * kOcrHidden;
        for (int j = 0; j < kOcrHidden; ++j) hidden[j] += v * wr[j];
    }
    float o[kOcrClasses];
    std::copy(net.b2, net.b2 + kOcrClasses, o);
    for (int j = 0; j < kOcrHidden; ++j) {
        const float a = std::max(hidden[j], 0.0f);
        const float* wr = net.w2 + static_cast<size_t>(j) * kOcrClasses;
        for (int k = 0; k < kOcrClasses; ++k) o[k] += a * wr[k];
    }
    float m = -1e9f;
    for (float v : o) m = std::max(m, v);
    float e[kOcrClasses], sum = 0;
    for (int k = 0; k < kOcrClasses; ++k) sum += e[k] = std::exp(o[k] - m);
    for (int k = 0; k < kOcrClasses; ++k) p[k] = e[k] / sum;
}

int ocr_classify(const OcrNet& net, const float input[kOcrInputs], float& prob) {
    float p[kOcrClasses];
    ocr_class_probs(net, input, p);
    int best = 0;
    for (int k = 1; k < kOcrClasses; ++k)
        if (p[k] > p[best]) best = k;
    prob = p[best];
    return best;
}

namespace {

void trace_rejected(int i, int j, const uint8_t* crop, int cw, int ch) {
    std::printf("\ncell r%d c%d -> REJECTED (raw %dx%d):\n", i, j, cw, ch);
    const int sx = std::max(1, cw / 10), sy = std::max(1, ch / 10);
    for (int y = 0; y < ch; y += sy) {
        for (int x = 0; x < cw; x += sx) std::putchar(crop[y * cw + x] < 150 ? '#' : ' ');
        std::putchar('\n');
    }
}

void trace_classified(int i, int j, int cls, float prob, const float input[kOcrInputs]) {
    std::printf("\ncell r%d c%d -> %d (conf %.2f)\n", i, j, cls, static_cast<double>(prob));
    for (int y = 0; y < kOcrSide; ++y) {
        for (int x = 0; x < kOcrSide; ++x) {
            const float v = input[y * kOcrSide + x];
            std::putchar(v > 0.5f ? '#' : v > 0.15f ? '.' : ' ');
        }
        std::putchar('\n');
    }
}

}  // namespace

int read_grid_net(const uint8_t* img, int w, int h, int out[81], const OcrNet& net) {
    OcrCrop crops[81];
    ocr_cell_crops(img, w, h, crops);
    return ocr_read_crops(img, w, crops, out, net);
}

int ocr_read_crops(const uint8_t* img, int w, const OcrCrop crops[81], int out[81], const OcrNet& net) {
    std::fill(out, out + 81, 0);
    OcrScratch s;
    float input[kOcrInputs];
    int read = 0;
    for (int cell = 0; cell < 81; ++cell) {
        const OcrCrop& c = crops[cell];
        if (!c.usable()) continue;
        ocr_copy_crop(img, w, c, s);
        const int cw = c.width(), ch = c.height();
        if (!ocr_cell_input(s.crop.data(), cw, ch, s, input)) {
            if (g_dbg) trace_rejected(cell / 9, cell % 9, s.crop.data(), cw, ch);
            continue;
        }
        float prob = 0;
        const int cls = ocr_classify(net, input, prob);
        if (g_dbg) trace_classified(cell / 9, cell % 9, cls, prob, input);
        if (cls != 0 && prob >= kOcrAccept) {
            out[cell] = cls;
            ++read;
        }
    }
    return read;
}

int read_grid(const uint8_t* img, int w, int h, int out[81]) { return read_grid_net(img, w, h, out, ocr_builtin_net()); }
