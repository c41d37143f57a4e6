// The next-step call followed from the givens to the end, on a rated corpus: steps per puzzle and
// time per call, by difficulty bucket. Usage: bench_hint [file] [stride]
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ffi/quorvel.h"

int main(int argc, char** argv) {
    std::string path = std::string(QUADRILLO_CORPUS_DIR) + "/se-rated-2593.txt";
    int stride = 1;
    CLI::App app{"The next-step call followed from the givens to the end on a rated corpus."};
    app.add_option("file", path, "rated corpus")->capture_default_str();
    app.add_option("stride", stride, "every stride-th puzzle")->capture_default_str()->check(CLI::PositiveNumber);
    CLI11_PARSE(app, argc, argv);
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "bench_hint: cannot read %s\n", path.c_str());
        return 1;
    }
    int groups[81];
    for (int k = 0; k < 81; ++k) groups[k] = (k / 27) * 3 + (k % 9) / 3;
    long puzzles[11] = {}, steps[11] = {}, unfinished[11] = {};
    double seconds[11] = {};
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (line.size() < 81 || n++ % stride) continue;
        int clues[81], answers[81] = {}, cand[81] = {};
        for (int k = 0; k < 81; ++k) clues[k] = line[k] >= '1' && line[k] <= '9' ? line[k] - '0' : 0;
        ClassifyInfo info;
        if (!sudoku_classify_clues(clues, groups, 0, 0, &info) || !info.unique) continue;
        const int b = info.bucket >= 0 && info.bucket <= 9 ? info.bucket : 10;
        ++puzzles[b];
        for (int guard = 0; guard < 500; ++guard) {
            SudokuStep s;
            const auto t0 = std::chrono::steady_clock::now();
            sudoku_next_step(clues, answers, cand, groups, 0, 0, 0, &s);
            seconds[b] += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            if (s.status != 1) {
                unfinished[b] += s.status != 0;
                break;
            }
            ++steps[b];
            for (int k = 0; k < 81; ++k) {
                if (s.placed[k]) answers[k] = s.placed[k];
                if (s.removed[k]) cand[k] = (cand[k] ? cand[k] : 0x3fe) & ~s.removed[k];
            }
        }
    }
    std::printf("bench_hint: %s, every %d. puzzle, hints followed from the givens to the end\n", path.c_str(), stride);
    std::printf("  %-16s %8s %12s %14s %10s\n", "bucket", "puzzles", "steps/puzzle", "ms per step", "unfinished");
    for (int b = 0; b <= 10; ++b) {
        if (!puzzles[b]) continue;
        const char* name = b < 10 ? gen_bucket_name(b) : "other";
        std::printf("  %-16s %8ld %12.1f %14.3f %10ld\n", name, puzzles[b], static_cast<double>(steps[b]) / puzzles[b],
                    steps[b] ? 1000.0 * seconds[b] / steps[b] : 0.0, unfinished[b]);
    }
    return 0;
}
