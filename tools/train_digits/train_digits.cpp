// Trains the reader's digit network on glyphs cut by the reader's own code and writes its tables as C++.
//
//   train_digits [--pictures N] [--photos DIR] [--photo-views V] [--seed S] [--epochs E] [--augment 0|1]
//                [--batch B] [--momentum M] [--rate R] [--out FILE]
//
// Examples: N rendered pictures (held-out font families skipped), straightened by their true
// corners shaken a little, screenshots also read as they are; the training list of the photo set
// straightened the same way; drawn letters, zeros and scribbles as class 0. Every picture passes
// through the reader's crop and glyph code, so the network learns exactly the inputs it will see.
// With --augment (on by default) the training pictures also give a degraded view (low resolution,
// blur, weak contrast, uneven light, noise) and a cut from a slightly shifted lattice.
// One picture in ten (and one photo in ten) is kept for validation. Single thread, fixed seed.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cairo.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "imageio.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_read.h"
#include "ocr/ocr_second.h"
#include "ocr/ocr_warp.h"
#include "ocr_data.h"
#include "render.h"

namespace {

// One network input, stored as bytes (value * 255) to keep a few hundred thousand in memory. The
// first reader's inputs are the first kOcrInputs bytes; the second reader's take all of them.
struct Example {
    uint8_t px[kOcrSecondInputs];
    uint8_t label;
};

struct Set {
    // Which reader's glyphs are gathered: the first (read_grid's crops and filters) or the second
    // opinion's (its straightened grid, cell crops and gathered glyphs).
    bool second = false;
    int least_contrast = kOcrSecondLeastContrast;  // the second reader's: faint cells kept as glyphs
    std::vector<Example> train, valid, valid_photos;  // validation: rendered and drawn glyphs; photos
    std::vector<Example> valid_webcam;                // the second reader's: the webcam validation shots
    int refused[kOcrClasses] = {};  // labelled cells whose glyph the reader refused (digits missed before the network)
    int views = 0, own_agrees = 0;  // pictures cut, and those where the reader's own lattice matched the known one
    // Extra training-only views: degraded copies of each picture and a cut from a shifted lattice.
    // Their random choices come from their own generator, so the validation sets stay the same
    // whether they are on or not.
    bool augment = true;
    std::mt19937 aug{0};
};

void add_example(std::vector<Example>& to, const float* input, int label, int inputs = kOcrInputs) {
    Example e;
    std::fill(e.px, e.px + kOcrSecondInputs, 0);
    for (int i = 0; i < inputs; ++i) e.px[i] = static_cast<uint8_t>(std::lround(std::min(input[i], 1.0f) * 255.0f));
    e.label = static_cast<uint8_t>(label);
    to.push_back(e);
}

// Adds every glyph the reader would classify in the cells of a picture whose lattice box is
// known, labelled with the cell's digit (0 for anything in a cell without one). The reader's own
// lattice placement adds a second, slightly different cut of the same cells when it agrees with
// the known box to a quarter of a cell; when it does not, its cells would carry wrong labels.
void add_picture(std::vector<uint8_t>& img, int w, int h, const int box[4], const int digits[81],
                 std::vector<Example>& to, Set& set) {
    // The driver retries a grid that reads too little in the other polarity; a straightened grid
    // whose cells are mostly dark is light-on-dark.
    if (ink_majority(img.data(), w, h)) invert_grey(img.data(), img.size());
    int own[4];
    ocr_place_lattice(img.data(), w, h, own[0], own[1], own[2], own[3]);
    const float pitch = static_cast<float>(box[2] - box[0] + box[3] - box[1]) / 18.0f;
    bool agree = true;
    for (int k = 0; k < 4; ++k) agree = agree && std::fabs(static_cast<float>(own[k] - box[k])) <= 0.25f * pitch;
    // A lattice placed a little off, as on photos whose lines bow or blur: each edge moved by up to
    // 12% of a cell, so that crops cut into neighbouring lines and digits sit off centre.
    int shifted[4];
    const bool shift = set.augment && &to == &set.train;
    for (int k = 0; k < 4 && shift; ++k)
        shifted[k] = box[k] + static_cast<int>(std::lround(std::uniform_real_distribution<float>(-0.12f, 0.12f)(set.aug) * pitch));
    OcrScratch s;
    float input[kOcrInputs];
    for (int cut = 0; cut < 3; ++cut) {
        if ((cut == 1 && !agree) || (cut == 2 && !shift)) continue;
        const int* b = cut == 0 ? box : cut == 1 ? own : shifted;
        OcrCrop crops[81];
        ocr_crops_of_box(w, h, b[0], b[1], b[2], b[3], crops);
        for (int cell = 0; cell < 81; ++cell) {
            if (!crops[cell].usable()) continue;
            ocr_copy_crop(img.data(), w, crops[cell], s);
            if (ocr_cell_input(s.crop.data(), crops[cell].width(), crops[cell].height(), s, input))
                add_example(to, input, digits[cell]);
            else if (digits[cell] && cut == 0)
                ++set.refused[digits[cell]];
        }
    }
    ++set.views;
    set.own_agrees += agree;
}

// Horizontal then vertical running mean of 2r + 1 pixels, edges clamped.
void box_blur(std::vector<uint8_t>& img, int w, int h, int r) {
    if (r <= 0) return;
    std::vector<uint8_t> tmp(img.size());
    for (int pass = 0; pass < 2; ++pass) {
        const bool across = pass == 0;
        const int n = across ? w : h, lines = across ? h : w;
        const size_t step = across ? 1 : static_cast<size_t>(w), next = across ? static_cast<size_t>(w) : 1;
        for (int l = 0; l < lines; ++l) {
            const uint8_t* src = img.data() + static_cast<size_t>(l) * next;
            uint8_t* dst = tmp.data() + static_cast<size_t>(l) * next;
            for (int i = 0; i < n; ++i) {
                int sum = 0;
                for (int d = -r; d <= r; ++d) sum += src[static_cast<size_t>(std::clamp(i + d, 0, n - 1)) * step];
                dst[static_cast<size_t>(i) * step] = static_cast<uint8_t>(sum / (2 * r + 1));
            }
        }
        img.swap(tmp);
    }
}

// Degrades a straightened picture the way cheap cameras and poor light do: detail lost to a low
// resolution, blur, weaker contrast, light falling off across the grid, and sensor noise. The
// reader's ink test (45 levels below a cell's median) then breaks thin strokes and thins or
// thickens the rest, as it does on real photos.
void degrade(std::vector<uint8_t>& img, int w, int h, std::mt19937& rng) {
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    if (u(rng) < 0.5f) {  // resolution: average f x f blocks, then stretch back bilinearly
        const float f = 1.3f + 1.4f * u(rng);
        const int sw = std::max(8, static_cast<int>(static_cast<float>(w) / f));
        const int sh = std::max(8, static_cast<int>(static_cast<float>(h) / f));
        std::vector<float> small(static_cast<size_t>(sw) * sh);
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) {
                const int x0 = x * w / sw, x1 = std::max(x0 + 1, (x + 1) * w / sw);
                const int y0 = y * h / sh, y1 = std::max(y0 + 1, (y + 1) * h / sh);
                float sum = 0;
                for (int yy = y0; yy < y1; ++yy)
                    for (int xx = x0; xx < x1; ++xx) sum += img[static_cast<size_t>(yy) * w + xx];
                small[static_cast<size_t>(y) * sw + x] = sum / static_cast<float>((x1 - x0) * (y1 - y0));
            }
        for (int y = 0; y < h; ++y) {
            const float fy = std::clamp((static_cast<float>(y) + 0.5f) * sh / h - 0.5f, 0.0f, static_cast<float>(sh - 1));
            const int y0 = std::min(static_cast<int>(fy), sh - 2);
            const float ay = fy - static_cast<float>(y0);
            for (int x = 0; x < w; ++x) {
                const float fx = std::clamp((static_cast<float>(x) + 0.5f) * sw / w - 0.5f, 0.0f, static_cast<float>(sw - 1));
                const int x0 = std::min(static_cast<int>(fx), sw - 2);
                const float ax = fx - static_cast<float>(x0);
                const float* r0 = &small[static_cast<size_t>(y0) * sw + x0];
                const float* r1 = r0 + sw;
                const float v = (r0[0] * (1 - ax) + r0[1] * ax) * (1 - ay) + (r1[0] * (1 - ax) + r1[1] * ax) * ay;
                img[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(std::lround(v));
            }
        }
    }
    box_blur(img, w, h, static_cast<int>(rng() % 3));
    double mean = 0;
    for (uint8_t v : img) mean += v;
    mean /= static_cast<double>(img.size());
    const float contrast = 0.45f + 0.55f * u(rng), offset = 60.0f * (u(rng) - 0.5f);
    const float fall = 50.0f * u(rng), angle = 6.2831853f * u(rng);
    const float gx = std::cos(angle) / static_cast<float>(w), gy = std::sin(angle) / static_cast<float>(h);
    const float noise = 6.0f * u(rng);
    std::normal_distribution<float> grain(0.0f, 1.0f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t& p = img[static_cast<size_t>(y) * w + x];
            const float light = fall * ((static_cast<float>(x) * gx + static_cast<float>(y) * gy) - 0.5f);
            const float v = static_cast<float>(mean) + (static_cast<float>(p) - static_cast<float>(mean)) * contrast +
                            offset + light + noise * grain(rng);
            p = static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f));
        }
}

// Straightens by the corners widened by `margin` and adds the cells of the known lattice box; with
// `degraded`, from a degraded copy of the straightened picture.
void add_straightened(const std::vector<uint8_t>& grey, int w, int h, const float xs[4], const float ys[4],
                      float margin, const int digits[81], std::vector<Example>& to, Set& set, bool degraded = false) {
    std::vector<uint8_t> warped;
    int side = 0;
    if (!ocr_data::straighten(grey, w, h, xs, ys, margin, warped, side)) return;
    if (degraded) degrade(warped, side, side, set.aug);
    int box[4];
    ocr_data::straightened_box(side, margin, box);
    add_picture(warped, side, side, box, digits, to, set);
}

// The second reader's examples from one view: the grid straightened by the corners into the second
// opinion's square, degraded with `degraded`, each cell through the second path's crop and glyph
// code, labelled with its digit.
void add_second_view(const std::vector<uint8_t>& grey, int w, int h, const float xs[4], const float ys[4],
                     const int digits[81], std::vector<Example>& to, Set& set, bool degraded = false) {
    float H[9];
    if (!solve_homography(xs, ys, H)) return;
    std::vector<uint8_t> warped;
    warp_quad(grey.data(), w, h, H, warped, kOcrStraightSide);
    if (degraded) degrade(warped, kOcrStraightSide, kOcrStraightSide, set.aug);
    OcrScratch s;
    float input[kOcrSecondInputs];
    OcrCrop crops[81];
    ocr_straight_crops(warped.data(), kOcrStraightSide, crops);
    for (int cell = 0; cell < 81; ++cell) {
        const OcrCrop& c = crops[cell];
        if (!c.usable()) continue;
        ocr_copy_crop(warped.data(), kOcrStraightSide, c, s);
        if (ocr_second_cell_input(s.crop.data(), c.width(), c.height(), s, input, set.least_contrast))
            add_example(to, input, digits[cell], kOcrSecondInputs);
        else if (digits[cell] && !degraded)
            ++set.refused[digits[cell]];
    }
    ++set.views;
}

// The second opinion's own corner estimates of a picture that lie within a quarter of a cell of its
// true corners: the straightenings it will really read. Farther ones would put labels on the
// wrong cells.
std::vector<std::array<float, 8>> own_quads(const std::vector<uint8_t>& grey, int w, int h, const float xs[4],
                                            const float ys[4]) {
    const float cell = std::hypot(xs[1] - xs[0], ys[1] - ys[0]) / 9.0f;
    std::vector<std::array<float, 8>> near;
    for (const auto& q : ocr_second_quads(grey.data(), w, h)) {
        bool ok = true;
        for (int k = 0; k < 4; ++k) ok = ok && std::hypot(q[k] - xs[k], q[4 + k] - ys[k]) <= 0.25f * cell;
        if (ok) near.push_back(q);
    }
    return near;
}

// The true corners moved by up to `shake` of the grid's side, as a corner search might place them.
void shaken(const float xs[4], const float ys[4], float shake, std::mt19937& rng, float ox[4], float oy[4]) {
    const float side = std::hypot(xs[1] - xs[0], ys[1] - ys[0]);
    std::uniform_real_distribution<float> u(-shake * side, shake * side);
    for (int k = 0; k < 4; ++k) {
        ox[k] = xs[k] + u(rng);
        oy[k] = ys[k] + u(rng);
    }
}

// How far outside the corners a straightening reaches: none (a frame line cut in half, as true
// corners on line centres give) up to 3% of the grid (the whole frame and some surroundings).
float margin(std::mt19937& rng) { return std::uniform_real_distribution<float>(0.0f, 0.03f)(rng); }

void add_rendered(int pictures, uint64_t seed, std::mt19937& rng, Set& set) {
    static const int kSizes[5][2] = {{640, 480}, {480, 640}, {800, 800}, {1024, 768}, {400, 400}};
    int used = 0, held_out = 0;
    for (int k = 0; used < pictures; ++k) {
        render::Options opt;
        opt.seed = seed + static_cast<uint64_t>(k);
        opt.width = kSizes[k % 5][0];
        opt.height = kSizes[k % 5][1];
        imageio::Image img;
        render::Truth truth;
        if (!render::render(opt, img, truth)) continue;
        if (ocr_data::held_out_font(truth.font)) {
            ++held_out;
            continue;
        }
        std::vector<Example>& to = used % 10 == 0 ? set.valid : set.train;
        ++used;
        int digits[81];
        for (int i = 0; i < 81; ++i) digits[i] = truth.givens[i] ? truth.givens[i] : truth.entries[i];
        const std::vector<uint8_t> grey = set.second ? ocr_data::second_grey(img) : ocr_data::reader_grey(img);
        if (truth.photo == render::Photo::Clean && !set.second) {  // a screenshot, also read as it is
            std::vector<uint8_t> shot = grey;
            int box[4];
            ocr_data::upright_box(truth.corner_x, truth.corner_y, box);
            add_picture(shot, img.w, img.h, box, digits, to, set);
        }
        for (int view = 0; view < 2; ++view) {
            float xs[4], ys[4];
            shaken(truth.corner_x, truth.corner_y, view == 0 ? 0.003f : 0.012f, rng, xs, ys);
            if (set.second) add_second_view(grey, img.w, img.h, xs, ys, digits, to, set);
            else add_straightened(grey, img.w, img.h, xs, ys, margin(rng), digits, to, set);
        }
        if (set.augment && &to == &set.train) {  // a degraded view, from the augmentation generator
            float xs[4], ys[4];
            shaken(truth.corner_x, truth.corner_y, 0.008f, set.aug, xs, ys);
            if (set.second) add_second_view(grey, img.w, img.h, xs, ys, digits, to, set, true);
            else add_straightened(grey, img.w, img.h, xs, ys, margin(set.aug), digits, to, set, true);
        }
    }
    std::printf("rendered: %d pictures used (seeds from %llu), %d skipped for held-out fonts\n", used,
                static_cast<unsigned long long>(seed), held_out);
}

// Each photo is cut `views` times, from its true corners and from corners shaken by up to 1%; one in
// `valid_every` goes to `valid` (all of them with 1), the rest to training, where they also give
// half as many degraded views. For the second reader, the second opinion's own corner estimates
// near the true ones give a view each as well. Returns the photos used.
int add_photo_views(const std::vector<ocr_data::Photo>& photos, int views, int valid_every, std::vector<Example>& valid,
                    std::mt19937& rng, Set& set) {
    int used = 0;
    for (size_t k = 0; k < photos.size(); ++k) {
        imageio::Image img;
        if (!imageio::read_image(photos[k].path, img)) continue;
        std::vector<Example>& to = k % static_cast<size_t>(valid_every) == 0 ? valid : set.train;
        ++used;
        const std::vector<uint8_t> grey = set.second ? ocr_data::second_grey(img) : ocr_data::reader_grey(img);
        const ocr_data::Photo& p = photos[k];
        for (int view = 0; view < views; ++view) {
            float xs[4], ys[4];
            shaken(p.corner_x, p.corner_y, view == 0 ? 0.0f : 0.01f, rng, xs, ys);
            if (set.second) add_second_view(grey, img.w, img.h, xs, ys, p.digits, to, set);
            else add_straightened(grey, img.w, img.h, xs, ys, margin(rng), p.digits, to, set);
        }
        for (int view = 0; set.augment && &to == &set.train && view < views / 2; ++view) {  // degraded views
            float xs[4], ys[4];
            shaken(p.corner_x, p.corner_y, 0.01f, set.aug, xs, ys);
            if (set.second) add_second_view(grey, img.w, img.h, xs, ys, p.digits, to, set, true);
            else add_straightened(grey, img.w, img.h, xs, ys, margin(set.aug), p.digits, to, set, true);
        }
        if (set.second)
            for (const auto& q : own_quads(grey, img.w, img.h, p.corner_x, p.corner_y))
                add_second_view(grey, img.w, img.h, q.data(), q.data() + 4, p.digits, to, set);
    }
    return used;
}

void add_photos(const std::string& dir, int views, std::mt19937& rng, Set& set) {
    const int used = add_photo_views(ocr_data::load_photos(dir, "v2_train.desc"), views, 10, set.valid_photos, rng, set);
    std::printf("photos: %d of the training list used, %d views each\n", used, views);
}

// The webcam shots: its training file for training, its validation file for validation only.
void add_webcam(const std::string& dir, int views, std::mt19937& rng, Set& set) {
    const int train = add_photo_views(ocr_data::load_webcam(dir, "training-data.json"), views, 1 << 30, set.train, rng, set);
    const int valid = add_photo_views(ocr_data::load_webcam(dir, "validation-data.json"), views, 1, set.valid_webcam, rng, set);
    std::printf("webcam: %d training and %d validation shots, %d views each\n", train, valid, views);
}

// Glyphs that are no printed digit: letters, zeros and signs in many faces, and pen scribbles,
// drawn into cell-sized crops with paper, ink and noise levels like the pictures'.
void add_non_digits(int count, std::mt19937& rng, Set& set) {
    static const char* const kFamilies[] = {"DejaVu Sans", "DejaVu Serif", "Liberation Sans", "Liberation Serif",
                                            "FreeSans", "FreeSerif", "Noto Sans", "Roboto", "Open Sans",
                                            "Cantarell", "Nimbus Roman", "URW Gothic", "C059", "DejaVu Sans Mono"};
    static const char kGlyphs[] = "ACEFHKMNPRTUVWXYacdefhkmnprtuvwxy0?&%#@";
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    OcrScratch s;
    float input[kOcrSecondInputs];
    std::vector<uint8_t> crop;
    int made = 0;
    for (int n = 0; n < count; ++n) {
        const int side = 24 + pick(60);
        cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_A8, side, side);
        cairo_t* cr = cairo_create(surf);
        cairo_set_source_rgba(cr, 0, 0, 0, 1);
        const double cx = side * (0.5 + 0.15 * (u(rng) - 0.5)), cy = side * (0.5 + 0.15 * (u(rng) - 0.5));
        if (n % 4 != 3) {
            const char text[2] = {kGlyphs[pick(static_cast<int>(sizeof kGlyphs) - 1)], 0};
            cairo_select_font_face(cr, kFamilies[pick(static_cast<int>(std::size(kFamilies)))],
                                   u(rng) < 0.2f ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                                   u(rng) < 0.4f ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
            cairo_set_font_size(cr, side * (0.55 + 0.4 * u(rng)));
            cairo_text_extents_t ext;
            cairo_text_extents(cr, text, &ext);
            cairo_move_to(cr, cx - ext.x_bearing - ext.width / 2, cy - ext.y_bearing - ext.height / 2);
            cairo_show_text(cr, text);
        } else {  // a pen scribble: a few joined curves
            auto at = [&](double c) { return c + side * 0.6 * (u(rng) - 0.5); };
            cairo_set_line_width(cr, side * (0.03 + 0.08 * u(rng)));
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_move_to(cr, at(cx), at(cy));
            for (int seg = 2 + pick(3); seg > 0; --seg)
                cairo_curve_to(cr, at(cx), at(cy), at(cx), at(cy), at(cx), at(cy));
            cairo_stroke(cr);
        }
        cairo_surface_flush(surf);
        const unsigned char* alpha = cairo_image_surface_get_data(surf);
        const int stride = cairo_image_surface_get_stride(surf);
        const float paper = 190 + 60 * u(rng), ink = 120 * u(rng), noise = 8 * u(rng);
        std::normal_distribution<float> grain(0.0f, 1.0f);
        crop.resize(static_cast<size_t>(side) * side);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const float a = alpha[y * stride + x] / 255.0f;
                const float v = paper + (ink - paper) * a + noise * grain(rng);
                crop[static_cast<size_t>(y) * side + x] = static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f));
            }
        cairo_destroy(cr);
        cairo_surface_destroy(surf);
        if (set.second ? !ocr_second_cell_input(crop.data(), side, side, s, input, set.least_contrast)
                       : !ocr_cell_input(crop.data(), side, side, s, input))
            continue;
        add_example(n % 10 == 0 ? set.valid : set.train, input, 0, set.second ? kOcrSecondInputs : kOcrInputs);
        ++made;
    }
    std::printf("non-digit glyphs: %d of %d drawn passed the glyph filters\n", made, count);
}

// The widest hidden layer the trainer takes.
constexpr int kMaxHidden = 512;

// The network's tables and its training steps: plain stochastic gradient descent on one example at
// a time, or minibatches with momentum.
struct Net {
    int inputs = kOcrInputs, hidden = kOcrHidden;
    std::vector<float> w1, b1, w2, b2;
    std::vector<float> g1, gb1, g2, gb2;  // a minibatch's summed gradient
    std::vector<float> v1, vb1, v2, vb2;  // momentum: the running step

    Net(std::mt19937& rng, int inputs_, int hidden_)
        : inputs(inputs_), hidden(hidden_), w1(static_cast<size_t>(inputs_ * hidden_)), b1(static_cast<size_t>(hidden_), 0.0f),
          w2(static_cast<size_t>(hidden_ * kOcrClasses)), b2(kOcrClasses, 0.0f) {
        std::normal_distribution<float> n1(0.0f, std::sqrt(2.0f / 100.0f)),
            n2(0.0f, std::sqrt(1.0f / static_cast<float>(hidden_)));
        for (float& v : w1) v = n1(rng);
        for (float& v : w2) v = n2(rng);
    }
    // The class probabilities of an input, by the reader's own forward pass.
    void probs(const float* x, float p[kOcrClasses]) const {
        if (inputs == kOcrInputs && hidden == kOcrHidden) ocr_class_probs(OcrNet{w1.data(), b1.data(), w2.data(), b2.data()}, x, p);
        else ocr_wide_probs(OcrNet{w1.data(), b1.data(), w2.data(), b2.data(), hidden}, x, p);
    }

    // The cross-entropy gradient of one example: with batched = false subtracted from the weights
    // at once, times lr; otherwise added to the minibatch gradient. Only the inputs that are not
    // zero touch their first-layer rows.
    void step(const Example& e, float lr, bool batched = false) {
        if (batched && g1.empty()) {
            for (auto* g : {&g1, &v1}) g->assign(w1.size(), 0.0f);
            for (auto* g : {&gb1, &vb1}) g->assign(b1.size(), 0.0f);
            for (auto* g : {&g2, &v2}) g->assign(w2.size(), 0.0f);
            for (auto* g : {&gb2, &vb2}) g->assign(b2.size(), 0.0f);
        }
        float* tw1 = batched ? g1.data() : w1.data();
        float* tb1 = batched ? gb1.data() : b1.data();
        float* tw2 = batched ? g2.data() : w2.data();
        float* tb2 = batched ? gb2.data() : b2.data();
        const float scale = batched ? -1.0f : lr;
        float x[kOcrSecondInputs], hid[kMaxHidden], o[kOcrClasses];
        int nz[kOcrSecondInputs], nnz = 0;
        for (int i = 0; i < inputs; ++i) {
            x[i] = e.px[i] / 255.0f;
            if (e.px[i]) nz[nnz++] = i;
        }
        std::copy(b1.begin(), b1.end(), hid);
        for (int t = 0; t < nnz; ++t) {
            const float* wr = &w1[static_cast<size_t>(nz[t]) * static_cast<size_t>(hidden)];
            for (int j = 0; j < hidden; ++j) hid[j] += x[nz[t]] * wr[j];
        }
        for (int j = 0; j < hidden; ++j) hid[j] = std::max(hid[j], 0.0f);
        std::copy(b2.begin(), b2.end(), o);
        for (int j = 0; j < hidden; ++j)
            for (int k = 0; k < kOcrClasses; ++k) o[k] += hid[j] * w2[static_cast<size_t>(j * kOcrClasses + k)];
        float m = o[0], sum = 0;
        for (float v : o) m = std::max(m, v);
        for (float& v : o) sum += v = std::exp(v - m);
        float d_o[kOcrClasses], d_h[kMaxHidden];
        for (int k = 0; k < kOcrClasses; ++k) d_o[k] = o[k] / sum - (k == e.label ? 1.0f : 0.0f);
        for (int j = 0; j < hidden; ++j) {
            float g = 0;
            for (int k = 0; k < kOcrClasses; ++k) g += w2[static_cast<size_t>(j * kOcrClasses + k)] * d_o[k];
            d_h[j] = hid[j] > 0 ? g : 0.0f;
        }
        for (int j = 0; j < hidden; ++j)
            for (int k = 0; k < kOcrClasses; ++k) tw2[j * kOcrClasses + k] -= scale * hid[j] * d_o[k];
        for (int k = 0; k < kOcrClasses; ++k) tb2[k] -= scale * d_o[k];
        for (int t = 0; t < nnz; ++t) {
            float* wr = &tw1[static_cast<size_t>(nz[t]) * static_cast<size_t>(hidden)];
            const float xi = scale * x[nz[t]];
            for (int j = 0; j < hidden; ++j) wr[j] -= xi * d_h[j];
        }
        for (int j = 0; j < hidden; ++j) tb1[j] -= scale * d_h[j];
    }

    // Ends a minibatch of n examples: the running step becomes momentum times itself plus the
    // mean gradient, the weights move by lr times it, and the gradient sum starts again.
    void apply(float lr, float momentum, int n) {
        const float inv = 1.0f / static_cast<float>(n);
        auto update = [&](std::vector<float>& w, std::vector<float>& g, std::vector<float>& v) {
            for (size_t i = 0; i < w.size(); ++i) {
                v[i] = momentum * v[i] + g[i] * inv;
                w[i] -= lr * v[i];
                g[i] = 0.0f;
            }
        };
        update(w1, g1, v1);
        update(b1, gb1, vb1);
        update(w2, g2, v2);
        update(b2, gb2, vb2);
    }
};

// Per class: examples, the network's top class right, and the reader's decision right (a digit
// only at probability `accept` or more, otherwise 0).
struct Score {
    int n[kOcrClasses] = {}, top[kOcrClasses] = {}, read[kOcrClasses] = {};

    Score(const Net& net, const std::vector<Example>& set, float accept) {
        float x[kOcrSecondInputs], p[kOcrClasses];
        for (const Example& e : set) {
            for (int i = 0; i < net.inputs; ++i) x[i] = e.px[i] / 255.0f;
            net.probs(x, p);
            int c = 0;
            for (int k = 1; k < kOcrClasses; ++k)
                if (p[k] > p[c]) c = k;
            const int decided = c != 0 && p[c] >= accept ? c : 0;
            ++n[e.label];
            top[e.label] += c == e.label;
            read[e.label] += decided == e.label;
        }
    }
    static double pct(int a, int b) { return b ? 100.0 * a / b : 0.0; }
    double all() const {
        int right = 0, total = 0;
        for (int k = 0; k < kOcrClasses; ++k) right += read[k], total += n[k];
        return pct(right, total);
    }
    void print(const char* name) const {
        int tn = 0, tt = 0, tr = 0;
        for (int k = 0; k < kOcrClasses; ++k) tn += n[k], tt += top[k], tr += read[k];
        std::printf("%-6s class:", name);
        for (int k = 0; k < kOcrClasses; ++k) std::printf(" %7d", k);
        std::printf("     all\n       count:");
        for (int k = 0; k < kOcrClasses; ++k) std::printf(" %7d", n[k]);
        std::printf(" %7d\n       top %%:", tn);
        for (int k = 0; k < kOcrClasses; ++k) std::printf(" %7.2f", pct(top[k], n[k]));
        std::printf(" %7.2f\n       read%%:", pct(tt, tn));
        for (int k = 0; k < kOcrClasses; ++k) std::printf(" %7.2f", pct(read[k], n[k]));
        std::printf(" %7.2f\n", pct(tr, tn));
    }
};

void write_table(FILE* f, const char* name, const std::vector<float>& v) {
    std::fprintf(f, "const float %s[%zu] = {\n", name, v.size());
    for (size_t i = 0; i < v.size(); ++i)
        std::fprintf(f, "%s%.9gf,%s", i % 8 ? " " : "    ", static_cast<double>(v[i]), i % 8 == 7 || i + 1 == v.size() ? "\n" : "");
    std::fprintf(f, "};\n");
}

bool write_source(const std::string& path, const Net& net, const std::string& command, bool second) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    const std::string prefix = second ? "kOcrSecond" : "kOcr";
    std::fprintf(f, "// %s tables. Generated by tools/train_digits; do not edit by hand, retrain instead.\n",
                 second ? "Second-opinion digit network" : "Digit network");
    std::fprintf(f, "// Command: %s\n", command.c_str());
    std::fprintf(f, "#include \"ocr/%s.h\"\n\n", second ? "ocr_second" : "ocr_read");
    if (second)
        std::fprintf(f, "static_assert(kOcrSecondHidden == %d, \"the tables are for %d hidden units\");\n\n", net.hidden,
                     net.hidden);
    write_table(f, (prefix + "W1").c_str(), net.w1);
    write_table(f, (prefix + "B1").c_str(), net.b1);
    write_table(f, (prefix + "W2").c_str(), net.w2);
    write_table(f, (prefix + "B2").c_str(), net.b2);
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    int pictures = 2000, epochs = 20, photo_views = 16, batch = 1;
    float rate = 0.02f, momentum = 0.0f;
    bool augment = true, second = false;
    int hidden = kOcrSecondHidden, least_contrast = kOcrSecondLeastContrast;
    uint64_t seed = 1;
    std::string photos = "/work/shared/data/ocr/photos-newspaper", out;
    std::string webcam = "/work/shared/data/ocr/photos-webcam";
    std::string command = "train_digits";
    for (int i = 1; i + 1 < argc; i += 2)  // where the tables go does not change them
        if (std::strcmp(argv[i], "--out")) command += std::string(" ") + argv[i] + " " + argv[i + 1];
    std::string reader = "first";
    CLI::App app{"Trains a digit network of the picture reader and writes its tables as a source file."};
    app.add_option("--reader", reader, "which reader's network: first or second")
        ->capture_default_str()->check(CLI::IsMember({"first", "second"}));
    app.add_option("--pictures", pictures, "rendered pictures")->capture_default_str();
    app.add_option("--photos", photos, "photo folder ('' for none)")->capture_default_str();
    app.add_option("--photo-views", photo_views, "cuts of each training photo")->capture_default_str();
    app.add_option("--seed", seed, "seed of every random choice")->capture_default_str();
    app.add_option("--epochs", epochs, "passes over the examples")->capture_default_str();
    app.add_option("--augment", augment, "0|1: degraded and shifted training views")->capture_default_str();
    app.add_option("--batch", batch, "examples per step")->capture_default_str()->transform(CLI::Bound(1, 1 << 20));
    app.add_option("--momentum", momentum, "momentum")->capture_default_str();
    app.add_option("--rate", rate, "learning rate")->capture_default_str();
    app.add_option("--out", out, "where the tables go (left out of the stamp)");
    app.add_option("--hidden", hidden, "second reader: hidden units")->capture_default_str()->transform(CLI::Bound(8, kMaxHidden));
    app.add_option("--webcam", webcam, "second reader: webcam folder ('' for none)")->capture_default_str();
    app.add_option("--least-contrast", least_contrast, "second reader: faintest cell trained on")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    second = reader == "second";
    if (out.empty()) out = second ? "engine/ocr/ocr_second_weights.cpp" : "engine/ocr/ocr_weights.cpp";
    const float accept = second ? kOcrSecondAccept : kOcrAccept;
    using clock = std::chrono::steady_clock;
    const auto t0 = clock::now();
    std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
    Set set;
    set.second = second;
    set.least_contrast = least_contrast;
    set.augment = augment;
    set.aug.seed(static_cast<std::mt19937::result_type>(seed + 7919));
    add_rendered(pictures, 1000000 * seed, rng, set);
    if (!photos.empty()) add_photos(photos, photo_views, rng, set);
    if (second && !webcam.empty()) add_webcam(webcam, photo_views, rng, set);
    add_non_digits(pictures * 4, rng, set);
    std::printf("refused before the network (labelled digits):");
    for (int k = 1; k < kOcrClasses; ++k) std::printf(" %d:%d", k, set.refused[k]);
    if (second) std::printf("\n%d straightened pictures cut\n", set.views);
    else std::printf("\nreader's own lattice matched the known one in %d of %d cut pictures\n", set.own_agrees, set.views);
    std::printf("examples: %zu training, %zu + %zu + %zu validation; built in %.0f s\n", set.train.size(),
                set.valid.size(), set.valid_photos.size(), set.valid_webcam.size(),
                std::chrono::duration<double>(clock::now() - t0).count());
    if (second) {  // where the second reader starts from: the first network on the same glyphs
        Net first(rng, kOcrInputs, kOcrHidden);
        first.w1.assign(kOcrW1, kOcrW1 + kOcrInputs * kOcrHidden);
        first.b1.assign(kOcrB1, kOcrB1 + kOcrHidden);
        first.w2.assign(kOcrW2, kOcrW2 + kOcrHidden * kOcrClasses);
        first.b2.assign(kOcrB2, kOcrB2 + kOcrClasses);
        std::printf("the first network on the second reader's glyphs, accepting at %.2f:\n", static_cast<double>(accept));
        Score(first, set.valid_photos, accept).print("photos");
        Score(first, set.valid_webcam, accept).print("webcam");
    }

    Net net(rng, second ? kOcrSecondInputs : kOcrInputs, second ? hidden : kOcrHidden);
    std::vector<size_t> order(set.train.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    const bool batched = batch > 1 || momentum > 0.0f;
    for (int e = 0; e < epochs; ++e) {
        const float lr = rate * 0.5f * (1.0f + std::cos(3.1415927f * static_cast<float>(e) / static_cast<float>(epochs)));
        std::shuffle(order.begin(), order.end(), rng);
        int in_batch = 0;
        for (size_t i : order) {
            net.step(set.train[i], lr, batched);
            if (batched && ++in_batch == batch) {
                net.apply(lr, momentum, in_batch);
                in_batch = 0;
            }
        }
        if (in_batch > 0) net.apply(lr, momentum, in_batch);
        const Score v(net, set.valid, accept), vp(net, set.valid_photos, accept);
        std::printf("epoch %2d lr %.4f validation read %.3f%%, photos %.3f%%", e + 1, static_cast<double>(lr), v.all(), vp.all());
        if (second) std::printf(", webcam %.3f%%", Score(net, set.valid_webcam, accept).all());
        std::printf("  (%.0f s)\n", std::chrono::duration<double>(clock::now() - t0).count());
        std::fflush(stdout);
    }
    Score(net, set.train, accept).print("train");
    Score(net, set.valid, accept).print("valid");
    Score(net, set.valid_photos, accept).print("photos");
    if (second) Score(net, set.valid_webcam, accept).print("webcam");
    if (!write_source(out, net, command, second)) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("wrote %s\n", out.c_str());
    return 0;
}
