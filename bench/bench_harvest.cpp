// Harvests and targeted searches per kind: harvest time, classifications, buckets filled, puzzles per
// bucket per second, and how often and how fast a targeted search reaches each bucket within a budget.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ffi/quorvel.h"
#include "generator/generator.h"
#include "util/rand_utils.h"

namespace {

constexpr long kNodeLimit = 200000;

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void bench_harvests(int jigsaw, int x, int n, const char* kind) {
    GenParams p{};
    p.map_kind = jigsaw;
    p.adjacency = x;
    p.classify_node_limit = kNodeLimit;
    std::vector<double> ms;
    long calls = 0, filled = 0, per_bucket[10] = {};
    double total_ms = 0;
    for (int i = 0; i < n; ++i) {
        p.seed = static_cast<uint32_t>(i + 1);
        const HarvestResult r = generate_harvest(p);
        ms.push_back(static_cast<double>(r.elapsed_ms));
        total_ms += static_cast<double>(r.elapsed_ms);
        calls += r.classify_calls;
        for (int b = 0; b < 10; ++b) {
            filled += r.bucket_filled[b];
            per_bucket[b] += r.bucket_filled[b];
        }
    }
    std::printf("%-15s %9.0f %10.1f %10.2f %12.0f ", kind, median(ms), static_cast<double>(calls) / n,
                static_cast<double>(filled) / n, 1000.0 * static_cast<double>(calls) / total_ms);
    for (int b = 0; b < 10; ++b) std::printf(" %5.2f", 1000.0 * static_cast<double>(per_bucket[b]) / total_ms);
    std::printf("\n");
}

void bench_targeted(int jigsaw, int x, int n, int budget_ms, const char* kind) {
    std::printf("%-15s", kind);
    for (int b = 0; b < 10; ++b) {
        GenParams p{};
        p.map_kind = jigsaw;
        p.adjacency = x;
        p.target_bucket = b;
        p.classify_node_limit = kNodeLimit;
        p.max_attempts = 1000;
        p.time_budget_ms = budget_ms;
        std::vector<double> ms;
        int hits = 0;
        for (int i = 0; i < n; ++i) {
            p.seed = static_cast<uint32_t>(7919 * (i + 1));
            const TargetedResult r = generate_targeted(p);
            hits += r.ok;
            if (r.ok) ms.push_back(static_cast<double>(r.elapsed_ms));
        }
        std::printf(" %3d%%/%5.0f", 100 * hits / n, median(ms));
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    int n = 20, m = 3, budget_ms = 3000;
    CLI::App app{"Harvests and targeted searches per kind."};
    app.add_option("n", n, "harvests per kind")->capture_default_str()->check(CLI::PositiveNumber);
    app.add_option("m", m, "searches per bucket")->capture_default_str()->check(CLI::PositiveNumber);
    app.add_option("budget", budget_ms, "time budget of each search, ms")->capture_default_str()->check(CLI::PositiveNumber);
    CLI11_PARSE(app, argc, argv);
    sudoku_set_group_maps_dir(QUADRILLO_GROUP_MAPS_DIR);
    rand_seed_thread(20261209);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* const kinds[4] = {"square/regular", "square/x", "jigsaw/regular", "jigsaw/x"};

    std::printf("generate_harvest, %d harvests per kind (seeded), node limit %ld\n", n, kNodeLimit);
    std::printf("%-15s %9s %10s %10s %12s  puzzles per second received by bucket 0..9\n", "kind", "median ms",
                "classify", "buckets", "classify/s");
    for (int k = 0; k < 4; ++k) bench_harvests(k / 2, k % 2, n, kinds[k]);

    std::printf("\ngenerate_targeted, %d searches per bucket, budget %d ms each: success %% / median ms of successes\n",
                m, budget_ms);
    std::printf("%-15s", "kind");
    for (int b = 0; b < 10; ++b) std::printf("   bucket %d", b);
    std::printf("\n");
    for (int k = 0; k < 4; ++k) bench_targeted(k / 2, k % 2, m, budget_ms, kinds[k]);
    return 0;
}
