// Digit reader on pictures with known cells: share of cells and of whole grids read right, confusions and time.
//
//   bench_ocr_read [--photos DIR] [--rendered N] [--seed S] [--only NAME] [--save DIR]
//
// Photos: each list of the set (v2_train.desc, v2_test.desc) on its own, every photo straightened
// by its true corners so that only the reader is measured. Rendered: pictures from seeds the
// trainer never used; N of them printed in the font families held out of training, and the same
// seeds in every font, straightened by their true corners; screenshots also read as they are.
// --only reads just the photos whose path contains NAME (run with OCR_DEBUG set to see the cells);
// --save writes the straightened pictures there as PNG.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "imageio.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_read.h"
#include "ocr_data.h"
#ifdef QUADRILLO_HAVE_RENDER
#include "render.h"
#endif

namespace {

struct Tally {
    long cells = 0, right = 0, grids = 0, grids_right = 0;
    long digits = 0, no_glyph = 0, inverted = 0;  // printed digits, those whose cell gave no glyph, grids read inverted
    long why[7] = {};             // digits without glyph by refusal (index: OcrRefusal), 0 for an unusable crop
    long confusion[10][10] = {};  // [true digit][read digit], 0 = empty
    double ms = 0;

    // Reads the picture as the recognition driver does: when it gives 7 digits or fewer, the
    // inverted picture is read too and kept when it gives more. With a box (left, top, right,
    // bottom) the cells are cut from that known lattice instead of the one the reader places.
    void read(const uint8_t* given, int w, int h, const int truth[81], const int* box = nullptr) {
        int out[81], other[81];
        OcrCrop crops[81];
        const OcrNet net = ocr_builtin_net();
        auto read_once = [&](const uint8_t* img, int* into) {
            if (!box) return read_grid(img, w, h, into);
            ocr_crops_of_box(w, h, box[0], box[1], box[2], box[3], crops);
            return ocr_read_crops(img, w, crops, into, net);
        };
        const auto t0 = std::chrono::steady_clock::now();
        const uint8_t* img = given;
        const int n = read_once(img, out);
        ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        std::vector<uint8_t> inv;
        if (n <= 7) {
            inv.assign(given, given + static_cast<size_t>(w) * static_cast<size_t>(h));
            invert_grey(inv.data(), inv.size());
            if (read_once(inv.data(), other) > n) {
                std::copy(other, other + 81, out);
                img = inv.data();
                ++inverted;
            }
        }
        int wrong = 0;
        for (int i = 0; i < 81; ++i) {
            ++confusion[truth[i]][out[i]];
            wrong += out[i] != truth[i];
        }
        if (box) ocr_crops_of_box(w, h, box[0], box[1], box[2], box[3], crops);
        else ocr_cell_crops(img, w, h, crops);
        OcrScratch s;
        float input[kOcrInputs];
        for (int i = 0; i < 81; ++i) {
            if (!truth[i]) continue;
            ++digits;
            if (!crops[i].usable()) {
                ++no_glyph;
                ++why[0];
                continue;
            }
            ocr_copy_crop(img, w, crops[i], s);
            OcrRefusal r;
            if (!ocr_cell_input(s.crop.data(), crops[i].width(), crops[i].height(), s, input, &r)) {
                ++no_glyph;
                ++why[static_cast<int>(r)];
            }
        }
        cells += 81;
        right += 81 - wrong;
        ++grids;
        grids_right += wrong == 0;
    }

    void print(const std::string& name, bool matrix) const {
        std::printf("%-46s grids %4ld  cells right %7.3f%%  grids right %6.2f%%  digits without glyph %5.2f%%  inverted %ld  %6.2f ms/grid\n",
                    name.c_str(), grids, cells ? 100.0 * static_cast<double>(right) / static_cast<double>(cells) : 0.0,
                    grids ? 100.0 * static_cast<double>(grids_right) / static_cast<double>(grids) : 0.0,
                    digits ? 100.0 * static_cast<double>(no_glyph) / static_cast<double>(digits) : 0.0, inverted,
                    grids ? ms / static_cast<double>(grids) : 0.0);
        if (no_glyph)
            std::printf("  digits without glyph: %ld no ink, %ld too small, %ld too short, %ld too wide, %ld too thin, "
                        "%ld second mark, %ld crop too small\n", why[1], why[2], why[3], why[4], why[5], why[6], why[0]);
        if (!matrix) return;
        std::printf("  confusion (rows: true, 0 = empty; columns: read)\n      ");
        for (int r = 0; r < 10; ++r) std::printf(" %6d", r);
        std::printf("\n");
        for (int t = 0; t < 10; ++t) {
            std::printf("  %2d: ", t);
            for (int r = 0; r < 10; ++r) std::printf(" %6ld", confusion[t][r]);
            std::printf("\n");
        }
    }
};

void save(const std::string& dir, const std::string& name, const std::vector<uint8_t>& px, int side) {
    if (dir.empty()) return;
    imageio::Image img;
    img.w = img.h = side;
    img.bpp = 1;
    img.px.assign(px.begin(), px.end());
    std::string base = name.substr(name.rfind('/') + 1);
    imageio::write_png(dir + "/" + base.substr(0, base.rfind('.')) + ".png", img);
}

// Straightening margins measured: the true corners as they are (a frame line on them shows
// half), and widened by 1.5% of the grid on every side (the frame shows whole, as it does after
// the reader's own corner search, which finds the frame's outer edge).
constexpr float kMargins[2] = {0.015f, 0.0f};

std::string margin_name(float m) { return m > 0 ? " (true corners + 1.5%)" : " (true corners)"; }

void run_photos(const std::string& dir, const std::string& only, const std::string& save_dir) {
    for (const char* list : {"v2_train.desc", "v2_test.desc"}) {
        Tally t[2], known;
        int unreadable = 0;
        for (const ocr_data::Photo& p : ocr_data::load_photos(dir, list)) {
            if (!only.empty() && p.path.find(only) == std::string::npos) continue;
            imageio::Image img;
            if (!imageio::read_image(p.path, img)) {
                ++unreadable;
                continue;
            }
            const std::vector<uint8_t> grey = ocr_data::reader_grey(img);
            for (int m = 0; m < 2; ++m) {
                std::vector<uint8_t> warped;
                int side = 0, box[4];
                if (!ocr_data::straighten(grey, img.w, img.h, p.corner_x, p.corner_y, kMargins[m], warped, side)) continue;
                const long before = t[m].no_glyph;
                t[m].read(warped.data(), side, side, p.digits);
                if (m > 0) continue;
                save(save_dir, p.path, warped, side);
                if (!only.empty()) std::printf("%s: %ld digits without glyph\n", p.path.c_str(), t[m].no_glyph - before);
                ocr_data::straightened_box(side, kMargins[m], box);
                known.read(warped.data(), side, side, p.digits, box);
            }
        }
        for (int m = 0; m < 2; ++m) t[m].print(std::string("photos ") + list + margin_name(kMargins[m]), m == 0);
        known.print(std::string("photos ") + list + margin_name(kMargins[0]) + ", cells of the known lattice", true);
        if (unreadable) std::printf("  (%d unreadable)\n", unreadable);
    }
}

#ifdef QUADRILLO_HAVE_RENDER
void run_rendered(int n, uint64_t seed, const std::string& save_dir) {
    int saved = 0;
    static const int kSizes[4][2] = {{640, 480}, {480, 640}, {800, 800}, {1024, 768}};
    Tally held[2], held_known, held_shot, held_shot_known, all;
    std::map<std::string, Tally> by_style;
    int failed = 0;
    for (uint64_t s = seed; held[0].grids < n; ++s) {
        render::Options opt;
        opt.seed = s;
        opt.width = kSizes[s % 4][0];
        opt.height = kSizes[s % 4][1];
        imageio::Image img;
        render::Truth truth;
        if (!render::render(opt, img, truth)) {
            ++failed;
            continue;
        }
        int digits[81];
        for (int i = 0; i < 81; ++i) digits[i] = truth.givens[i] ? truth.givens[i] : truth.entries[i];
        const std::vector<uint8_t> grey = ocr_data::reader_grey(img);
        std::vector<uint8_t> warped[2];
        int side = 0;
        for (int m = 0; m < 2; ++m)
            if (!ocr_data::straighten(grey, img.w, img.h, truth.corner_x, truth.corner_y, kMargins[m], warped[m], side))
                warped[m].clear();
        if (warped[0].empty() || warped[1].empty()) {
            ++failed;
            continue;
        }
        all.read(warped[1].data(), side, side, digits);
        by_style[std::string("  style ") + render::style_name(truth.style) + ", photo " + render::photo_name(truth.photo)]
            .read(warped[1].data(), side, side, digits);
        if (!ocr_data::held_out_font(truth.font)) continue;
        for (int m = 0; m < 2; ++m) {
            const long before = held[m].grids_right;
            held[m].read(warped[m].data(), side, side, digits);
            if (m == 0 && held[m].grids_right == before && saved < 6)
                ++saved, save(save_dir, "rendered" + std::to_string(s) + ".png", warped[m], side);
        }
        int box[4];
        ocr_data::straightened_box(side, kMargins[0], box);
        held_known.read(warped[0].data(), side, side, digits, box);
        if (truth.photo != render::Photo::Clean) continue;
        held_shot.read(grey.data(), img.w, img.h, digits);
        int shot_box[4];
        ocr_data::upright_box(truth.corner_x, truth.corner_y, shot_box);
        held_shot_known.read(grey.data(), img.w, img.h, digits, shot_box);
    }
    held[0].print("rendered, held-out fonts" + margin_name(kMargins[0]), true);
    held[1].print("rendered, held-out fonts" + margin_name(kMargins[1]), false);
    held_known.print("rendered, held-out fonts" + margin_name(kMargins[0]) + ", cells of the known lattice", true);
    held_shot.print("rendered, held-out fonts, screenshots as is", false);
    held_shot_known.print("rendered, held-out fonts, screenshots, cells of the known lattice", false);
    all.print("rendered, same seeds, all fonts" + margin_name(kMargins[1]), false);
    for (const auto& [name, t] : by_style) t.print(name, false);
    if (failed) std::printf("  (%d pictures failed)\n", failed);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::string photos = "/work/shared/data/ocr/photos-newspaper", only, save_dir;
    int rendered = 200;
    uint64_t seed = 90000000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--photos")) photos = argv[i + 1];
        else if (!std::strcmp(argv[i], "--rendered")) rendered = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed")) seed = std::strtoull(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--only")) only = argv[i + 1];
        else if (!std::strcmp(argv[i], "--save")) save_dir = argv[i + 1];
    }
    std::printf("Digit reader: a cell is right when it reads the printed (or entered) digit, or 0 when empty\n");
    if (!photos.empty()) run_photos(photos, only, save_dir);
#ifdef QUADRILLO_HAVE_RENDER
    if (rendered > 0 && only.empty()) run_rendered(rendered, seed, save_dir);
#else
    (void)rendered;
    (void)seed;
#endif
    return 0;
}
