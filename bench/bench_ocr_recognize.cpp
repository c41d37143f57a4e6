// Whole-picture reading end to end (no known corners): grids read fully right, cells right and time per picture.
//
//   bench_ocr_recognize [--photos DIR] [--list NAME] [--webcam DIR] [--webcam-list FILES] [--rendered N] [--seed S]
//                       [--verbose 0|1]
//
// Photos: each list of the set (v2_train.desc, v2_test.desc) on its own, or only the one --list
// names; the test list is only measured, never tuned on. Webcam: the raw colour shots of the
// webcam set named by the comma-separated JSON files of --webcam-list (default its training and
// validation files; its test file is for measurement only). Rendered: N pictures for every page style and capture (clean
// screenshot, careful photo, rough phone photo) from seeds the digit trainer never used, regions,
// diagonals and marks as the seed chooses. A cell is right when it reads its printed (or entered)
// digit, or 0 when empty. Times are per call of sudoku_ocr_recognize on one thread.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ffi/quorvel.h"
#include "imageio.h"
#include "ocr_data.h"
#ifdef QUADRILLO_HAVE_RENDER
#include "render.h"
#endif

namespace {

// With --verbose 1, each picture's name, wrong cells and time are printed.
bool g_verbose = false;

struct Tally {
    long grids = 0, grids_right = 0, cells = 0, cells_right = 0, refused = 0;
    std::vector<double> ms;

    void read(const imageio::Image& img, const int truth[81], const std::string& name = "") {
        int out[81];
        const auto t0 = std::chrono::steady_clock::now();
        const int ok = sudoku_ocr_recognize(img.px.data(), img.w, img.h, img.bpp, out);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        if (!ok) {
            ++refused;
            std::fill(out, out + 81, 0);
        }
        int wrong = 0;
        for (int i = 0; i < 81; ++i) wrong += out[i] != truth[i];
        if (g_verbose) std::printf("  %s: %d wrong, %.1f ms\n", name.c_str(), wrong, ms.back());
        ++grids;
        grids_right += wrong == 0;
        cells += 81;
        cells_right += 81 - wrong;
    }

    double quantile(double q) const {
        if (ms.empty()) return 0;
        std::vector<double> s = ms;
        const size_t k = std::min(s.size() - 1, static_cast<size_t>(q * static_cast<double>(s.size())));
        std::nth_element(s.begin(), s.begin() + static_cast<long>(k), s.end());
        return s[k];
    }

    void print(const std::string& name) const {
        std::printf("%-40s pictures %4ld  grids right %6.2f%%  cells right %7.3f%%  median %7.2f ms  p90 %7.2f ms  worst %7.2f ms",
                    name.c_str(), grids, grids ? 100.0 * static_cast<double>(grids_right) / static_cast<double>(grids) : 0.0,
                    cells ? 100.0 * static_cast<double>(cells_right) / static_cast<double>(cells) : 0.0, quantile(0.5),
                    quantile(0.9), ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()));
        if (refused) std::printf("  (%ld refused)", refused);
        std::printf("\n");
    }
};

void run_photos(const std::string& dir, const std::string& only) {
    for (const char* list : {"v2_train.desc", "v2_test.desc"}) {
        if (!only.empty() && only != list) continue;
        Tally t;
        int unreadable = 0, w = 0, h = 0;
        for (const ocr_data::Photo& p : ocr_data::load_photos(dir, list)) {
            imageio::Image img;
            if (!imageio::read_image(p.path, img)) {
                ++unreadable;
                continue;
            }
            w = std::max(w, img.w);
            h = std::max(h, img.h);
            t.read(img, p.digits, p.path);
        }
        t.print(std::string("photos ") + list);
        std::printf("  (largest %d x %d%s)\n", w, h,
                    unreadable ? (", " + std::to_string(unreadable) + " unreadable").c_str() : "");
    }
}

// The webcam set: the raw colour shots of each comma-separated list file, with their puzzles' digits.
void run_webcam(const std::string& dir, const std::string& lists) {
    for (size_t from = 0; from < lists.size();) {
        size_t comma = lists.find(',', from);
        if (comma == std::string::npos) comma = lists.size();
        const std::string list = lists.substr(from, comma - from);
        from = comma + 1;
        Tally t;
        for (const ocr_data::Photo& p : ocr_data::load_webcam(dir, list)) {
            imageio::Image img;
            if (imageio::read_image(p.path, img)) t.read(img, p.digits, p.path);
        }
        t.print("webcam " + list);
    }
}

#ifdef QUADRILLO_HAVE_RENDER
void run_rendered(int n, uint64_t seed) {
    static const int kSizes[4][2] = {{640, 480}, {480, 640}, {800, 800}, {1024, 768}};
    const render::Style styles[] = {render::Style::Newspaper, render::Style::Book, render::Style::App,
                                    render::Style::AppDark};
    const render::Photo photos[] = {render::Photo::Clean, render::Photo::Mild, render::Photo::Rough};
    Tally all;
    int failed = 0;
    for (render::Photo photo : photos)
        for (render::Style style : styles) {
            Tally t;
            for (int k = 0; k < n; ++k) {
                const uint64_t s = seed + static_cast<uint64_t>(k);
                render::Options opt;
                opt.seed = s;
                opt.width = kSizes[s % 4][0];
                opt.height = kSizes[s % 4][1];
                opt.style = style;
                opt.photo = photo;
                imageio::Image img;
                render::Truth truth;
                if (!render::render(opt, img, truth)) {
                    ++failed;
                    continue;
                }
                int digits[81];
                for (int i = 0; i < 81; ++i) digits[i] = truth.givens[i] ? truth.givens[i] : truth.entries[i];
                t.read(img, digits);
                all.read(img, digits);
            }
            t.print(std::string("rendered ") + render::style_name(style) + ", " + render::photo_name(photo));
        }
    all.print("rendered, all");
    if (failed) std::printf("  (%d pictures failed to render)\n", failed);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::string photos = "/work/shared/data/ocr/photos-newspaper", only;
    std::string webcam = "/work/shared/data/ocr/photos-webcam", webcam_lists = "training-data.json,validation-data.json";
    int rendered = 50;
    uint64_t seed = 90000000;
    int verbose = 0;
    CLI::App app{"sudoku_ocr_recognize end to end on the photo sets and rendered pictures."};
    app.add_option("--photos", photos, "newspaper photo folder ('' for none)")->capture_default_str();
    app.add_option("--list", only, "photo list by name (v2_train.desc, v2_test.desc)");
    app.add_option("--webcam", webcam, "webcam folder ('' for none)")->capture_default_str();
    app.add_option("--webcam-list", webcam_lists, "webcam files by name, comma-separated")->capture_default_str();
    app.add_option("--rendered", rendered, "rendered pictures")->capture_default_str();
    app.add_option("--seed", seed, "first render seed")->capture_default_str();
    app.add_option("--verbose", verbose, "1: each picture's wrong cells and time")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    g_verbose = verbose != 0;
    std::printf("sudoku_ocr_recognize end to end\n");
    if (!photos.empty()) run_photos(photos, only);
    if (!webcam.empty() && !webcam_lists.empty()) run_webcam(webcam, webcam_lists);
#ifdef QUADRILLO_HAVE_RENDER
    if (rendered > 0) run_rendered(rendered, seed);
#else
    (void)rendered;
    (void)seed;
#endif
    return 0;
}
