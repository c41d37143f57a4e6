// Random solutions through the exported call, per map kind: median, 99th percentile, worst, failures.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ffi/quorvel.h"
#include "puzzle/Puzzle.h"
#include "util/rand_utils.h"

int main(int argc, char** argv) {
    int n = 10000;
    CLI::App app{"sudoku_generate_solution timings per kind."};
    app.add_option("n", n, "solutions per kind")->capture_default_str()->check(CLI::PositiveNumber);
    CLI11_PARSE(app, argc, argv);
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    rand_seed_thread(20261209);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("sudoku_generate_solution, %d solutions per kind (seeded)\n", n);
    std::printf("%-18s %10s %10s %10s %10s %9s\n", "kind", "median us", "p99 us", "worst us", "per sec", "failures");
    SudokuHandle* h = sudoku_new();
    for (int jigsaw = 0; jigsaw < 2; ++jigsaw) {
        for (int x = 0; x < 2; ++x) {
            std::vector<double> us;
            us.reserve(n);
            int failures = 0;
            auto all_start = std::chrono::steady_clock::now();
            for (int i = 0; i < n; ++i) {
                auto t0 = std::chrono::steady_clock::now();
                int ok = sudoku_generate_solution(h, jigsaw, x);
                auto t1 = std::chrono::steady_clock::now();
                us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
                failures += !ok || (jigsaw && h->map_type != 1);
            }
            double total_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - all_start).count();
            std::sort(us.begin(), us.end());
            char kind[32];
            std::snprintf(kind, sizeof kind, "%s/%s", jigsaw ? "jigsaw" : "square", x ? "x" : "regular");
            std::printf("%-18s %10.1f %10.1f %10.1f %10.0f %9d\n", kind, us[us.size() / 2], us[us.size() * 99 / 100],
                        us.back(), n / total_s, failures);
        }
    }
    sudoku_free(h);
    return 0;
}
