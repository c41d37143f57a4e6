// quorvel bench: a fixed, seeded workload through generation, classification and counting, with
// per-stage timings and one signature over the results (never over timings).
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <ctime>
#include <cstring>
#include <mutex>
#include <thread>

#include "cli.h"

namespace cli {

namespace {

const char kBenchHelp[] =
    "usage: quorvel bench [options]\n"
    "Runs a fixed workload on one thread and prints how long each stage took and a signature:\n"
    "  generate   one puzzle per quality and kind (square/jigsaw x regular/x), each from its own\n"
    "             fixed seed: qualities 0..7 (0..3 with --quick)\n"
    "  classify   every generated puzzle through the difficulty ladder\n"
    "  count      each puzzle again with every third clue removed: 0, 1 or several solutions\n"
    "  hard       qualities 8 and 9 on the four kinds, each given --hard-ms to finish (default\n"
    "             1000); made and missed are reported but, being timing-bound, stay out of the\n"
    "             signature (skipped with --quick)\n"
    "The signature is an FNV-1a hash of every result (puzzles, labels, levels, per-cell techniques\n"
    "and digits, counts): the same build gives the same signature on any machine and at any\n"
    "load, and a change of behaviour changes it.\n"
    "      --quick           the reduced workload (a few seconds)\n"
    "  -s, --seed S          base seed of the workload (default 20261209)\n"
    "      --hard-ms MS      time allowed to each hard generation\n"
    "      --json            the figures as one JSON object\n"
    "  -v, --verbose         let the engine's own generation reports through to stderr\n";

constexpr int kKinds = 4;  // square regular, square x, jigsaw regular, jigsaw x
const char* const kKindNames[kKinds] = {"square/regular", "square/x", "jigsaw/regular", "jigsaw/x"};

struct StageTime {
    std::string name;
    int items;
    double ms;
};

void hash_int(uint64_t& h, int v) { h = fnv1a(h, &v, sizeof v); }

void hash_classification(uint64_t& h, const ClassifyInfo& info) {
    hash_int(h, info.level);
    hash_int(h, info.solvable);
    hash_int(h, info.unique);
    h = fnv1a(h, info.label, std::strlen(info.label));
    h = fnv1a(h, info.cell_method, sizeof info.cell_method);
    h = fnv1a(h, info.cell_digit, sizeof info.cell_digit);
}

// Generates with a time cap: another thread cancels the handle when the cap passes.
bool generate_capped(SudokuHandle* h, int map, int adjacency, int quality, int cap_ms) {
    std::mutex m;
    std::condition_variable cv;
    bool finished = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> g(m);
        if (!cv.wait_for(g, std::chrono::milliseconds(cap_ms), [&] { return finished; })) sudoku_cancel(h);
    });
    sudoku_set_deadline_ms(h, cap_ms);
    const int ok = sudoku_generate(h, map, adjacency, quality, 0);
    {
        std::lock_guard<std::mutex> g(m);
        finished = true;
    }
    cv.notify_all();
    watchdog.join();
    sudoku_set_deadline_ms(h, 0);
    return ok != 0;
}

}  // namespace

int cmd_bench(int argc, char** argv) {
    bool quick = false, json = false, verbose = false;
    long long seed = 20261209, hard_ms = 1000;
    Options options(kBenchHelp);
    options.flag("--quick", quick);
    options.flag("--json", json);
    options.flag("-v,--verbose", verbose);
    options.number("-s,--seed", "--seed", 0, INT64_MAX, seed);
    options.number("--hard-ms", "--hard-ms", 1, 600000, hard_ms);
    if (const int status = options.parse(argc, argv); status >= 0) return status;
    locate_group_maps();
    if (!verbose) silence_engine_stderr();

    const int top_quality = quick ? 3 : 7;
    uint64_t signature = 0xcbf29ce484222325ULL;
    std::vector<StageTime> stages;
    std::vector<Made> made;
    int gen_failures = 0;
    SudokuHandle* h = sudoku_new();
    if (!h) {
        complain("no engine handle");
        return kExitFail;
    }
    const double total_start = now_ms();
    const std::clock_t cpu_start = std::clock();

    // Generation: one puzzle per quality and kind, each from its own seed.
    for (int q = 0; q <= top_quality; ++q) {
        const double t0 = now_ms();
        for (int kind = 0; kind < kKinds; ++kind) {
            sudoku_seed_thread(derive_seed(static_cast<uint64_t>(seed), static_cast<uint64_t>(q * kKinds + kind), 0));
            const bool ok = sudoku_generate(h, kind / 2, kind % 2, q, 0) != 0;
            hash_int(signature, ok);
            if (!ok) {
                ++gen_failures;
                continue;
            }
            Made m;
            read_game(h, kind % 2, m);
            signature = fnv1a(signature, m.clues, sizeof m.clues);
            signature = fnv1a(signature, m.groups, sizeof m.groups);
            made.push_back(m);
        }
        stages.push_back({"generate q" + std::to_string(q), kKinds, now_ms() - t0});
    }
    sudoku_seed_thread(0);

    // Classification of every generated puzzle.
    double t0 = now_ms();
    for (const Made& m : made) {
        ClassifyInfo info;
        std::memset(&info, 0, sizeof info);
        sudoku_classify_clues(m.clues, m.groups, m.map_kind, m.adjacency, &info);
        hash_classification(signature, info);
    }
    stages.push_back({"classify", static_cast<int>(made.size()), now_ms() - t0});

    // Counting: thinned copies mostly have several solutions, which the exact search settles.
    int counts[3] = {};
    t0 = now_ms();
    for (const Made& m : made) {
        int thin[81];
        std::memcpy(thin, m.clues, sizeof thin);
        for (int k = 0, seen = 0; k < 81; ++k)
            if (thin[k] && ++seen % 3 == 0) thin[k] = 0;
        ClassifyInfo info;
        std::memset(&info, 0, sizeof info);
        sudoku_classify_clues(thin, m.groups, m.map_kind, m.adjacency, &info);
        const int c = info.unique ? 1 : info.solvable ? 2 : 0;
        ++counts[c];
        hash_int(signature, c);
    }
    stages.push_back({"count", static_cast<int>(made.size()), now_ms() - t0});

    // The slow qualities, bounded in time: outside the signature.
    int hard_made = 0, hard_missed = 0;
    if (!quick) {
        t0 = now_ms();
        for (int q = 8; q <= 9; ++q) {
            for (int kind = 0; kind < kKinds; ++kind) {
                sudoku_seed_thread(derive_seed(static_cast<uint64_t>(seed), static_cast<uint64_t>(q * kKinds + kind), 0));
                if (generate_capped(h, kind / 2, kind % 2, q, static_cast<int>(hard_ms)))
                    ++hard_made;
                else
                    ++hard_missed;
            }
        }
        sudoku_seed_thread(0);
        stages.push_back({"hard q8-q9", 2 * kKinds, now_ms() - t0});
    }
    sudoku_free(h);
    const double total_ms = now_ms() - total_start;
    // Processor time of the whole process (the watchdog threads sleep), for comparing loaded machines.
    const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;

    if (json) {
        // Times to a tenth of a millisecond, as the plain report gives them.
        auto tenths = [](double ms) { return std::round(ms * 10) / 10; };
        Json out{{"mode", quick ? "quick" : "full"}, {"seed", seed}, {"stages", Json::array()}};
        for (const auto& s : stages)
            out["stages"].push_back(Json{{"stage", s.name}, {"items", s.items}, {"ms", tenths(s.ms)}});
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(signature));
        out["generated"] = made.size();
        out["generation_failures"] = gen_failures;
        out["counts"] = Json{{"none", counts[0]}, {"unique", counts[1]}, {"multiple", counts[2]}};
        out["hard_made"] = hard_made;
        out["hard_missed"] = hard_missed;
        out["hard_ms"] = hard_ms;
        out["total_ms"] = tenths(total_ms);
        out["cpu_ms"] = tenths(cpu_ms);
        out["signature"] = hex;
        print_json(out);
        return kExitOk;
    }
    std::printf("quorvel bench (%s), seed %lld, one thread\n", quick ? "quick" : "full", seed);
    std::printf("%-14s %6s %10s %10s\n", "stage", "items", "ms", "ms/item");
    for (const auto& s : stages)
        std::printf("%-14s %6d %10.1f %10.2f\n", s.name.c_str(), s.items, s.ms, s.items ? s.ms / s.items : 0.0);
    std::printf("generated %zu puzzles (%d failed) on %s, %s, %s, %s\n", made.size(), gen_failures, kKindNames[0],
                kKindNames[1], kKindNames[2], kKindNames[3]);
    std::printf("thinned copies: %d without, %d with one, %d with several solutions\n", counts[0], counts[1], counts[2]);
    if (!quick)
        std::printf("hard qualities 8-9: %d made, %d missed within %lld ms each (not in the signature)\n", hard_made,
                    hard_missed, hard_ms);
    std::printf("total %.1f ms wall clock, %.1f ms processor time\nsignature %016llx\n", total_ms, cpu_ms,
                static_cast<unsigned long long>(signature));
    return kExitOk;
}

}  // namespace cli
