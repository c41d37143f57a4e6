// Region map and diagonal verdict on rendered pictures, by how regions and diagonals are drawn: exact-hit rates and time.
//
//   bench_ocr_regions [--per-set N] [--seed S] [--width W] [--height H] [--photo auto|clean|mild|rough]
//
// Every set renders N seeded pictures of one region display (plain boxes, jigsaw walls, jigsaw
// colours, both) and one diagonal display (none, shaded, tinted, lines), in any page style and
// capture. Each picture is measured twice:
//   true warp  the picture straightened through its true grid corners, then the whole-picture
//              region cut and mark test (what the detections do once the grid is known);
//   exported   sudoku_ocr_regions and sudoku_ocr_detect_x on the picture as it is.
// "regions" is the share whose 81 region numbers are all right; "x right" the share whose diagonal
// verdict matches the truth (marked sets: detection rate; unmarked sets: 100% minus false alarms).
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ffi/quorvel.h"
#include "ocr/ocr_regions.h"
#include "ocr/ocr_warp.h"
#include "render.h"

namespace {

struct Tally {
    int pictures = 0, regions_ok = 0, x_ok = 0;
    double regions_ms = 0, x_ms = 0;

    void add(bool regions_right, bool x_right, double ms_regions, double ms_x) {
        ++pictures;
        regions_ok += regions_right;
        x_ok += x_right;
        regions_ms += ms_regions;
        x_ms += ms_x;
    }
    void add(const Tally& t) {
        pictures += t.pictures;
        regions_ok += t.regions_ok;
        x_ok += t.x_ok;
        regions_ms += t.regions_ms;
        x_ms += t.x_ms;
    }
    double pct(int k) const { return pictures ? 100.0 * k / pictures : 0.0; }
};

// The picture straightened through the truth's corners into S x S, the frame on the picture's edges.
bool true_warp(const imageio::Image& img, const render::Truth& t, std::vector<uint8_t>& out, int& S) {
    float H[9];
    if (!solve_homography(t.corner_x, t.corner_y, H)) return false;
    S = ocr_warp_size(img.w, img.h);
    const size_t n = static_cast<size_t>(img.w) * img.h, cells = static_cast<size_t>(S) * S;
    out.assign(cells * img.bpp, 255);
    std::vector<uint8_t> plane(n), warped;
    for (int c = 0; c < img.bpp; ++c) {
        for (size_t i = 0; i < n; ++i) plane[i] = img.px[i * img.bpp + c];
        warp_quad(plane.data(), img.w, img.h, H, warped, S);
        for (size_t k = 0; k < cells; ++k) out[k * img.bpp + c] = warped[k];
    }
    return true;
}

double ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void print_row(const std::string& set, const char* method, const Tally& t) {
    const double n = t.pictures ? t.pictures : 1;
    std::printf("%-26s %-10s %5d %8.1f%% %8.1f%% %9.1f %9.1f\n", set.c_str(), method, t.pictures, t.pct(t.regions_ok),
                t.pct(t.x_ok), t.regions_ms / n, t.x_ms / n);
}

}  // namespace

int main(int argc, char** argv) {
    int per_set = 20, width = 640, height = 480;
    uint64_t seed = 1;
    render::Photo photo = render::Photo::Auto;
    const bool verbose = std::getenv("BENCH_VERBOSE") != nullptr;  // one line per picture
    CLI::App app{"Region and diagonal detection on rendered pictures, by set."};
    app.add_option("--per-set", per_set, "pictures per set")->capture_default_str()->check(CLI::PositiveNumber);
    app.add_option("--seed", seed, "first render seed")->capture_default_str();
    app.add_option("--width", width, "picture width")->capture_default_str()->check(CLI::PositiveNumber);
    app.add_option("--height", height, "picture height")->capture_default_str()->check(CLI::PositiveNumber);
    app.add_option("--photo", "capture: the renderer's capture names")->each([&](const std::string& v) {
        if (!render::parse_photo(v, photo)) throw CLI::ValidationError("--photo", "unknown capture '" + v + "'");
    });
    CLI11_PARSE(app, argc, argv);
    using render::Diagonals;
    using render::Regions;
    const Regions kRegions[] = {Regions::Boxes, Regions::Walls, Regions::Colours, Regions::WallsAndColours};
    const Diagonals kDiagonals[] = {Diagonals::None, Diagonals::Shade, Diagonals::Tint, Diagonals::Line};

    std::printf("%d pictures per set, %dx%d, photo %s, seeds from %llu\n", per_set, width, height,
                render::photo_name(photo), static_cast<unsigned long long>(seed));
    std::printf("%-26s %-10s %5s %9s %9s %9s %9s\n", "set", "method", "pics", "regions", "x right", "ms map", "ms x");
    Tally all_warp, all_exported, jigsaw_warp, jigsaw_exported, plain_warp, plain_exported, marked_warp,
        marked_exported;
    uint64_t next_seed = seed;
    for (Regions r : kRegions)
        for (Diagonals d : kDiagonals) {
            Tally warp, exported;
            for (int k = 0; k < per_set; ++k) {
                render::Options opt;
                opt.seed = next_seed++;
                opt.width = width;
                opt.height = height;
                opt.regions = r;
                opt.diagonals = d;
                opt.photo = photo;
                imageio::Image img;
                render::Truth truth;
                std::string err;
                if (!render::render(opt, img, truth, &err)) {
                    std::fprintf(stderr, "seed %llu: %s\n", static_cast<unsigned long long>(opt.seed), err.c_str());
                    continue;
                }
                auto same_map = [&](const int* got) { return std::memcmp(got, truth.regions, sizeof truth.regions) == 0; };

                std::vector<uint8_t> straight;
                int S = 0, regions[81] = {};
                bool map_ok = false, x = false;
                double map_ms = 0, x_ms = 0;
                if (true_warp(img, truth, straight, S)) {
                    std::vector<uint8_t> store;
                    const unsigned char* P = ink_dark_color(straight.data(), S, S, img.bpp, store);
                    auto t0 = std::chrono::steady_clock::now();
                    map_ok = regions_from_box(P, S, S, img.bpp, 0, 0, S - 1, S - 1, regions) && same_map(regions);
                    map_ms = ms_since(t0);
                    t0 = std::chrono::steady_clock::now();
                    x = x_marked(P, S, S, img.bpp, 0, 0, S - 1, S - 1);
                    x_ms = ms_since(t0);
                }
                warp.add(map_ok, x == truth.diagonals, map_ms, x_ms);
                const bool warp_map_ok = map_ok, warp_x = x;

                auto t0 = std::chrono::steady_clock::now();
                map_ok = sudoku_ocr_regions(img.px.data(), img.w, img.h, img.bpp, regions) == 1 && same_map(regions);
                map_ms = ms_since(t0);
                t0 = std::chrono::steady_clock::now();
                x = sudoku_ocr_detect_x(img.px.data(), img.w, img.h, img.bpp) == 1;
                exported.add(map_ok, x == truth.diagonals, map_ms, ms_since(t0));
                if (verbose)
                    std::printf("  seed %llu %s %s: true warp map %d x %d, exported map %d x %d, truth x %d\n",
                                static_cast<unsigned long long>(opt.seed), render::style_name(truth.style),
                                render::photo_name(truth.photo), warp_map_ok, warp_x, map_ok, x, truth.diagonals);
            }
            const std::string set = std::string(render::regions_name(r)) + "/" + render::diagonals_name(d);
            print_row(set, "true warp", warp);
            print_row(set, "exported", exported);
            all_warp.add(warp);
            all_exported.add(exported);
            (d == Diagonals::None ? plain_warp : marked_warp).add(warp);
            (d == Diagonals::None ? plain_exported : marked_exported).add(exported);
            if (r != Regions::Boxes) {
                jigsaw_warp.add(warp);
                jigsaw_exported.add(exported);
            }
            std::fflush(stdout);
        }
    print_row("all", "true warp", all_warp);
    print_row("all", "exported", all_exported);
    print_row("jigsaw (all diagonals)", "true warp", jigsaw_warp);
    print_row("jigsaw (all diagonals)", "exported", jigsaw_exported);
    print_row("unmarked (all regions)", "true warp", plain_warp);
    print_row("unmarked (all regions)", "exported", plain_exported);
    print_row("marked (all regions)", "true warp", marked_warp);
    print_row("marked (all regions)", "exported", marked_exported);
    return 0;
}
