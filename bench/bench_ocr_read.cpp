// Digit reader on pictures with known cells: share of cells and of whole grids read right, confusions and time.
//
//   bench_ocr_read [--photos DIR] [--list NAME] [--rendered N] [--seed S] [--only NAME] [--save DIR]
//
// Photos: each list of the set (v2_train.desc, v2_test.desc) on its own, every photo straightened
// by its true corners so that only the reader is measured. Rendered: pictures from seeds the
// trainer never used; N of them printed in the font families held out of training, and the same
// seeds in every font, straightened by their true corners; screenshots also read as they are.
// --list measures only that list of the photo set (e.g. v2_train.desc); --only reads just the
// photos whose path contains NAME (run with OCR_DEBUG set to see the cells); --save writes the
// straightened pictures there as PNG. Each set also reports how often the reader's own lattice
// placement matched the known lattice.
#include <CLI/CLI.hpp>

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
#include "ocr/ocr_locate.h"
#include "ocr/ocr_read.h"
#include "ocr/ocr_warp.h"
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

// How the reader's own lattice placement compares with the known box, per direction: right (both
// edges within a quarter cell), a span of eight or ten pitches, or otherwise wrong; and whether the
// line search found a lattice at all or the outermost lines had to do.
struct LatticeTally {
    long pictures = 0, no_lattice = 0, repaired = 0;
    long right[2] = {}, eight[2] = {}, ten[2] = {}, other[2] = {};  // [0] columns, [1] rows

    void check(const uint8_t* given, int w, int h, const int known[4]) {
        std::vector<uint8_t> inv;  // a light-on-dark grid is read inverted
        const uint8_t* img = given;
        if (ink_majority(given, w, h)) {
            inv.assign(given, given + static_cast<size_t>(w) * static_cast<size_t>(h));
            invert_grey(inv.data(), inv.size());
            img = inv.data();
        }
        int found[4], placed[4];
        const bool located = locate_lattice(img, w, h, found[0], found[1], found[2], found[3], false);
        if (!located) grid_box(img, w, h, found[0], found[1], found[2], found[3]);
        ocr_place_lattice(img, w, h, placed[0], placed[1], placed[2], placed[3]);
        ++pictures;
        no_lattice += !located;
        repaired += !std::equal(found, found + 4, placed);
        const float pitch = static_cast<float>(known[2] - known[0] + known[3] - known[1]) / 18.0f;
        for (int d = 0; d < 2; ++d) {
            const float lo = std::fabs(static_cast<float>(placed[d] - known[d])) / pitch;
            const float hi = std::fabs(static_cast<float>(placed[d + 2] - known[d + 2])) / pitch;
            const float span = static_cast<float>(placed[d + 2] - placed[d]) / pitch;
            if (lo <= 0.25f && hi <= 0.25f) ++right[d];
            else if (std::fabs(span - 8) <= 0.3f) ++eight[d];
            else if (std::fabs(span - 10) <= 0.3f) ++ten[d];
            else ++other[d];
        }
    }
    void print() const {
        if (!pictures) return;
        std::printf("  lattice placed (%ld pictures, %ld without a found lattice, %ld repaired):", pictures, no_lattice, repaired);
        for (int d = 0; d < 2; ++d)
            std::printf(" %s right %ld, 8 pitches %ld, 10 pitches %ld, other %ld;", d ? "rows" : "columns", right[d], eight[d],
                        ten[d], other[d]);
        std::printf("\n");
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

void run_photos(const std::string& dir, const std::string& only, const std::string& save_dir, const std::string& lists) {
    for (const char* list : {"v2_train.desc", "v2_test.desc"}) {
        if (!lists.empty() && lists != list) continue;
        Tally t[2], known;
        LatticeTally lattice;
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
                lattice.check(warped.data(), side, side, box);
            }
        }
        for (int m = 0; m < 2; ++m) t[m].print(std::string("photos ") + list + margin_name(kMargins[m]), m == 0);
        lattice.print();
        known.print(std::string("photos ") + list + margin_name(kMargins[0]) + ", cells of the known lattice", true);
        if (unreadable) std::printf("  (%d unreadable)\n", unreadable);
    }
}

#ifdef QUADRILLO_HAVE_RENDER
void run_rendered(int n, uint64_t seed, const std::string& save_dir) {
    int saved = 0;
    static const int kSizes[4][2] = {{640, 480}, {480, 640}, {800, 800}, {1024, 768}};
    Tally held[2], held_known, held_shot, held_shot_known, all;
    LatticeTally lattice, shot_lattice;
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
        lattice.check(warped[0].data(), side, side, box);
        if (truth.photo != render::Photo::Clean) continue;
        held_shot.read(grey.data(), img.w, img.h, digits);
        int shot_box[4];
        ocr_data::upright_box(truth.corner_x, truth.corner_y, shot_box);
        held_shot_known.read(grey.data(), img.w, img.h, digits, shot_box);
        shot_lattice.check(grey.data(), img.w, img.h, shot_box);
    }
    held[0].print("rendered, held-out fonts" + margin_name(kMargins[0]), true);
    lattice.print();
    held[1].print("rendered, held-out fonts" + margin_name(kMargins[1]), false);
    held_known.print("rendered, held-out fonts" + margin_name(kMargins[0]) + ", cells of the known lattice", true);
    held_shot.print("rendered, held-out fonts, screenshots as is", false);
    shot_lattice.print();
    held_shot_known.print("rendered, held-out fonts, screenshots, cells of the known lattice", false);
    all.print("rendered, same seeds, all fonts" + margin_name(kMargins[1]), false);
    for (const auto& [name, t] : by_style) t.print(name, false);
    if (failed) std::printf("  (%d pictures failed)\n", failed);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::string photos = "/work/shared/data/ocr/photos-newspaper", only, save_dir, lists;
    int rendered = 200;
    uint64_t seed = 90000000;
    CLI::App app{"The digit reader on the photo set's true corners and on rendered pictures."};
    app.add_option("--photos", photos, "photo folder ('' for none)")->capture_default_str();
    app.add_option("--rendered", rendered, "rendered pictures")->capture_default_str();
    app.add_option("--seed", seed, "first render seed")->capture_default_str();
    app.add_option("--only", only, "one photo by name");
    app.add_option("--save", save_dir, "folder for the glyphs read wrong");
    app.add_option("--list", lists, "photo lists (.desc files, comma-separated)");
    CLI11_PARSE(app, argc, argv);
    std::printf("Digit reader: a cell is right when it reads the printed (or entered) digit, or 0 when empty\n");
    if (!photos.empty()) run_photos(photos, only, save_dir, lists);
#ifdef QUADRILLO_HAVE_RENDER
    if (rendered > 0 && only.empty()) run_rendered(rendered, seed, save_dir);
#else
    (void)rendered;
    (void)seed;
#endif
    return 0;
}
