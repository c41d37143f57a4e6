// Grid location on pictures with known corners: the lattice box call and the corner search, success rate and error.
//
//   bench_ocr_locate [--photos DIR] [--rendered N] [--seed S]
//
// Photos: DIR holds images/, outlines_sorted.csv (true corners) and the lists v2_train.desc and
// v2_test.desc; each list is measured on its own. Rendered: N seeded pictures of every style.
// A picture is a success when all four corners lie within 3% of the grid's side of the truth; the
// share of single corners that do is printed beside it.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ffi/quorvel.h"
#include "imageio.h"
#include "ocr/ocr_image.h"
#include "ocr/ocr_warp.h"
#include "ocr_data.h"
#ifdef QUADRILLO_HAVE_RENDER
#include "render.h"
#endif

namespace {

struct Corners {
    float x[4], y[4];  // top-left, top-right, bottom-right, bottom-left
};

// Results of one method over a set of pictures.
struct Tally {
    int pictures = 0, found = 0, success = 0, corners_ok = 0;
    std::vector<double> corner_err, worst_err;
    double ms = 0;

    void add(bool ok, const Corners& got, const Corners& truth, double elapsed_ms) {
        ++pictures;
        ms += elapsed_ms;
        if (!ok) return;
        ++found;
        double side = 0, worst = 0;
        for (int k = 0; k < 4; ++k)
            side += std::hypot(truth.x[k] - truth.x[(k + 1) % 4], truth.y[k] - truth.y[(k + 1) % 4]) / 4;
        for (int k = 0; k < 4; ++k) {
            const double e = std::hypot(got.x[k] - truth.x[k], got.y[k] - truth.y[k]);
            corner_err.push_back(e);
            worst = std::max(worst, e);
            corners_ok += e <= 0.03 * side;
        }
        worst_err.push_back(worst);
        success += worst <= 0.03 * side;
    }
};

double quantile(std::vector<double> v, double q) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

void print_header() {
    std::printf("%-24s %-15s %6s %6s %8s %9s %9s %9s %9s %9s %8s\n", "set", "method", "pics", "found", "success",
                "corner ok", "corner50", "corner90", "worst50", "worst90", "ms/pic");
}

void print_row(const std::string& set, const char* method, const Tally& t) {
    std::printf("%-24s %-15s %6d %6d %7.1f%% %8.1f%% %9.1f %9.1f %9.1f %9.1f %8.2f\n", set.c_str(), method,
                t.pictures, t.found, t.pictures ? 100.0 * t.success / t.pictures : 0.0,
                t.pictures ? 25.0 * t.corners_ok / t.pictures : 0.0, quantile(t.corner_err, 0.5),
                quantile(t.corner_err, 0.9), quantile(t.worst_err, 0.5), quantile(t.worst_err, 0.9),
                t.pictures ? t.ms / t.pictures : 0.0);
}

// The three measured methods on one picture: the exported box call, the dark-region corner search
// and the bright-region corner search, each on the polarity-normalised grey picture as the reader uses it.
struct Methods {
    Tally box, dark, bright;

    void measure(const imageio::Image& img, const Corners& truth) {
        using clock = std::chrono::steady_clock;
        auto t0 = clock::now();
        int out[4];
        const bool ok = sudoku_ocr_locate(img.px.data(), img.w, img.h, img.bpp, out) == 1;
        const double box_ms = std::chrono::duration<double, std::milli>(clock::now() - t0).count();
        const Corners got{{float(out[0]), float(out[2]), float(out[2]), float(out[0])},
                          {float(out[1]), float(out[1]), float(out[3]), float(out[3])}};
        box.add(ok, got, truth, box_ms);

        t0 = clock::now();
        std::vector<uint8_t> grey;
        grey_from_colour(img.px.data(), img.w, img.h, img.bpp, grey);
        if (ink_majority(grey.data(), img.w, img.h)) invert_grey(grey.data(), grey.size());
        const double grey_ms = std::chrono::duration<double, std::milli>(clock::now() - t0).count();
        for (bool is_dark : {true, false}) {
            t0 = clock::now();
            Corners quad;
            const bool found = find_quad_pol(grey.data(), img.w, img.h, quad.x, quad.y, is_dark);
            const double ms = grey_ms + std::chrono::duration<double, std::milli>(clock::now() - t0).count();
            (is_dark ? dark : bright).add(found, quad, truth, ms);
        }
    }

    void print(const std::string& set) const {
        print_row(set, "ocr_locate box", box);
        print_row(set, "corners dark", dark);
        print_row(set, "corners bright", bright);
    }
};

void run_photos(const std::string& dir) {
    for (const char* list : {"v2_train.desc", "v2_test.desc"}) {
        Methods m;
        int unreadable = 0;
        for (const ocr_data::Photo& p : ocr_data::load_photos(dir, list)) {  // the photos with known corners
            imageio::Image img;
            if (!imageio::read_image(p.path, img)) {
                ++unreadable;
                continue;
            }
            Corners c;
            std::copy(p.corner_x, p.corner_x + 4, c.x);
            std::copy(p.corner_y, p.corner_y + 4, c.y);
            m.measure(img, c);
        }
        m.print(std::string("photos ") + list);
        if (unreadable) std::printf("  (%s: %d unreadable)\n", list, unreadable);
    }
}

#ifdef QUADRILLO_HAVE_RENDER
void run_rendered(int n, uint64_t seed) {
    static const int kSizes[4][2] = {{640, 480}, {480, 640}, {800, 800}, {1024, 768}};
    std::map<std::string, Methods> by_kind;  // by style, by capture and by region display
    Methods all;
    int failed = 0;
    for (int i = 0; i < n; ++i) {
        render::Options opt;
        opt.seed = seed + static_cast<uint64_t>(i);
        opt.width = kSizes[i % 4][0];
        opt.height = kSizes[i % 4][1];
        imageio::Image img;
        render::Truth truth;
        if (!render::render(opt, img, truth)) {
            ++failed;
            continue;
        }
        Corners c;
        std::copy(truth.corner_x, truth.corner_x + 4, c.x);
        std::copy(truth.corner_y, truth.corner_y + 4, c.y);
        all.measure(img, c);
        by_kind[std::string("style ") + render::style_name(truth.style)].measure(img, c);
        by_kind[std::string("photo ") + render::photo_name(truth.photo)].measure(img, c);
        by_kind[std::string("regions ") + render::regions_name(truth.region_display)].measure(img, c);
    }
    all.print("rendered all");
    for (const auto& [name, m] : by_kind) m.print(name);
    if (failed) std::printf("  (%d pictures failed to render)\n", failed);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::string photos = "/work/shared/data/ocr/photos-newspaper";
    int rendered = 400;
    uint64_t seed = 1000;
    CLI::App app{"Grid location on the photo set and on rendered pictures."};
    app.add_option("--photos", photos, "photo folder ('' for none)")->capture_default_str();
    app.add_option("--rendered", rendered, "rendered pictures")->capture_default_str();
    app.add_option("--seed", seed, "first render seed")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    std::printf("Grid location; success = all four corners within 3%% of the grid side; errors in pixels\n");
    std::printf("(corner50/90: median and 90th percentile of every corner's error; worst50/90: of each picture's worst corner;\n"
                " errors over the pictures where something was found)\n");
    print_header();
    if (!photos.empty()) run_photos(photos);
#ifdef QUADRILLO_HAVE_RENDER
    if (rendered > 0) run_rendered(rendered, seed);
#else
    (void)rendered;
    (void)seed;
    std::printf("rendered pictures: skipped (built without the renderer)\n");
#endif
    return 0;
}
