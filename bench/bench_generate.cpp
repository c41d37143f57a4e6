// Puzzle generation per difficulty and map kind: median and 90th-percentile time, failure rate.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <time.h>

#include <unistd.h>

#include "ffi/quorvel.h"
#include "puzzle/Puzzle.h"
#include "puzzle/clue_tries.h"
#include "support/exact_search.h"
#include "util/rand_utils.h"

// Node budget for the second, long uniqueness search of a puzzle that passed the plain search's cap.
constexpr long kWholeSearch = 1000000000;

// Wall-clock time, and the CPU time of the whole process (a generation's helper threads included), in ms.
static double clock_ms(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    int first = 0, last = 2, n = 200, kinds = 15, threads = 0;
    CLI::App app{"sudoku_generate timings per difficulty and kind."};
    app.add_option("first", first, "first difficulty")->capture_default_str()->check(CLI::Range(0, 9));
    app.add_option("last", last, "last difficulty")->capture_default_str()->check(CLI::Range(0, 9));
    app.add_option("n", n, "puzzles per difficulty and kind")->capture_default_str();
    // Kinds to run, as bits: 1 square/regular, 2 square/x, 4 jigsaw/regular, 8 jigsaw/x.
    app.add_option("kinds", kinds, "kinds as bits: 1 square/regular, 2 square/x, 4 jigsaw/regular, 8 jigsaw/x")
        ->capture_default_str();
    app.add_option("--threads", threads, "threads per generation (0: as many as the machine spares)")
        ->capture_default_str()
        ->check(CLI::Range(0, 8));
    CLI11_PARSE(app, argc, argv);
    set_clue_try_threads(threads);
    // BENCH_EACH prints every puzzle's time as it finishes, for long runs.
    const bool each = getenv("BENCH_EACH") != nullptr;
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    // BENCH_SEED picks another seeded series, to add puzzles to a slow kind from a second process.
    rand_seed_thread(getenv("BENCH_SEED") ? std::strtoul(getenv("BENCH_SEED"), nullptr, 10) : 20261209);
    // Generation reports every finished puzzle on stderr; keep the table readable.
    if (!getenv("BENCH_KEEP_STDERR")) (void)!freopen("/dev/null", "w", stderr);
    std::printf("sudoku_generate, %d puzzles per difficulty and kind (seeded; wall time, and CPU time of all "
                "threads; threads per generation: %s)\n",
                n, threads ? std::to_string(threads).c_str() : "as the machine spares");
    std::printf("%-8s %-18s %12s %12s %12s %10s %10s %8s\n", "quality", "kind", "median ms", "p90 ms", "CPU med ms",
                "failures", "not unique", "clues");
    SudokuHandle* h = sudoku_new();
    for (int quality = first; quality <= last; ++quality) {
        for (int jigsaw = 0; jigsaw < 2; ++jigsaw) {
            for (int x = 0; x < 2; ++x) {
                if (!(kinds >> (jigsaw * 2 + x) & 1)) continue;
                std::vector<double> ms, cpu;
                int failures = 0, not_unique = 0, unchecked = 0;
                long clue_total = 0;
                for (int i = 0; i < n; ++i) {
                    const double t0 = clock_ms(CLOCK_MONOTONIC), c0 = clock_ms(CLOCK_PROCESS_CPUTIME_ID);
                    const int ok = sudoku_generate(h, jigsaw, x, quality, 0);
                    ms.push_back(clock_ms(CLOCK_MONOTONIC) - t0);
                    cpu.push_back(clock_ms(CLOCK_PROCESS_CPUTIME_ID) - c0);
                    int clues = 0, solutions = 0;
                    if (ok) {
                        // Every puzzle is checked by an independent exact search, outside the timing.
                        Matrix<int, 9> map{};
                        int given[81];
                        for (int k = 0; k < 81; ++k) {
                            map[k / 9][k % 9] = h->cells[k].group;
                            given[k] = h->cells[k].status ? h->cells[k].solution : 0;
                            clues += given[k] != 0;
                        }
                        // The sparsest puzzles (12 to 15 clues on jigsaw x maps) can take the plain search
                        // past its usual node cap; those are searched again, to the end.
                        ExactSearch search;
                        solutions = search.count_solutions(map, x, given);
                        if (search.capped()) solutions = search.count_solutions(map, x, given, 2, kWholeSearch);
                        if (search.capped()) solutions = -1;
                        clue_total += clues;
                        not_unique += solutions >= 0 && solutions != 1;
                        unchecked += solutions < 0;
                    } else {
                        ++failures;
                    }
                    if (each) {
                        const std::string verdict = !ok ? "failed"
                                                        : std::to_string(clues) + " clues, " +
                                                              (solutions == 1  ? "unique"
                                                               : solutions < 0 ? "unchecked (search too long)"
                                                                               : "NOT UNIQUE");
                        std::printf("  %d %s/%s #%d: %.0f ms, %s\n", quality, jigsaw ? "jigsaw" : "square",
                                    x ? "x" : "regular", i, ms.back(), verdict.c_str());
                        std::fflush(stdout);
                    }
                }
                std::sort(ms.begin(), ms.end());
                std::sort(cpu.begin(), cpu.end());
                char kind[32];
                std::snprintf(kind, sizeof kind, "%s/%s", jigsaw ? "jigsaw" : "square", x ? "x" : "regular");
                const int made = n - failures;
                std::printf("%-8d %-18s %12.2f %12.2f %12.2f %9.1f%% %10d %8.1f", quality, kind, ms[ms.size() / 2],
                            ms[ms.size() * 9 / 10], cpu[cpu.size() / 2], 100.0 * failures / n, not_unique,
                            made ? static_cast<double>(clue_total) / made : 0.0);
                if (unchecked) std::printf("  (%d unchecked: search too long)", unchecked);
                std::printf("\n");
                std::fflush(stdout);
            }
        }
    }
    sudoku_free(h);
    return 0;
}
