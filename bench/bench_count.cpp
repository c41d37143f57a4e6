// The exact counter alone over the puzzle corpora: puzzles per second, search nodes, and a digest
// of every count, node count and collected solution, so two builds can be checked for equal results.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <time.h>

#include "classify/matrix_engine.h"
#include "maps/square_group_map.h"

namespace {

struct Entry {
    int clues[81];
    int groups[9][9];
    bool x;
};

// A corpus line: 81 clue characters, and for the x corpus its group map as the second field.
bool parse(const std::string& line, bool x, Entry& e) {
    if (line.size() < 81) return false;
    const bool own_groups = x && line.size() >= 82 + 81;
    e.x = x;
    for (int k = 0; k < 81; ++k) {
        e.clues[k] = line[k] >= '1' && line[k] <= '9' ? line[k] - '0' : 0;
        e.groups[k / 9][k % 9] = own_groups ? line[82 + k] - '0' : square_group_map[k / 9][k % 9];
    }
    return true;
}

std::vector<Entry> read_corpus(const std::string& path, bool x, size_t cap) {
    std::vector<Entry> out;
    std::ifstream in(path);
    std::string line;
    Entry e{};
    while (out.size() < cap && std::getline(in, line))
        if (parse(line, x, e)) out.push_back(e);
    return out;
}

double thread_cpu_s() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// FNV-1a over 64-bit values.
void mix(uint64_t& h, int64_t v) {
    for (int i = 0; i < 8; ++i) {
        h ^= static_cast<uint64_t>(v >> (8 * i)) & 0xff;
        h *= 0x100000001b3ULL;
    }
}

struct Outcome {
    int count;
    long nodes;
    int out[2][81];
};

Outcome run(const matrix_engine::Ops& ops, const Entry& e) {
    matrix_engine::Vec fixed{};
    for (int k = 0; k < 81; ++k)
        if (e.clues[k]) fixed.set(9 * k + e.clues[k] - 1);
    Outcome o{};
    const long start = 1L << 40;
    long budget = start;
    o.count = matrix_engine::count_completions_collect(ops, matrix_engine::full_vec(), fixed, 2, o.out, 0, budget);
    o.nodes = start - budget;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = QUADRILLO_CORPUS_DIR;
    size_t cap = 20000;
    // Each corpus is timed this many times; the fastest round is reported (a shared machine adds noise).
    int rounds = 3;
    CLI::App app{"The exact counter on the shared corpora: rate, nodes and a digest of every result."};
    app.add_option("dir", dir, "folder of the corpora")->capture_default_str();
    app.add_option("count", cap, "puzzles of each file at most")->capture_default_str()->check(CLI::PositiveNumber);
    app.add_option("rounds", rounds, "timed rounds, the fastest reported")->capture_default_str()->check(CLI::PositiveNumber);
    CLI11_PARSE(app, argc, argv);
    const char* files[] = {"17-clue.txt", "top1465.txt", "forum-hardest-1106.txt", "forum-hardest-11plus.txt",
                           "multi-solution-10000.txt", "se-rated-2593.txt", "x-square-200.txt"};
    // BENCH_PORTABLE=1 times the portable search even where the AVX2 one can run.
    if (getenv("BENCH_PORTABLE")) matrix_engine::set_search_path(matrix_engine::SearchPath::portable);
    std::printf("exact counter (limit 2) on the first %zu puzzles of each file, best of %d rounds, thread CPU time\n",
                cap, rounds);
    std::printf("%-26s %7s %11s %11s %11s %9s  %s\n", "file", "n", "puzzles/s", "nodes/puz", "ns/node", "0/1/2+",
                "digest of counts, nodes, solutions");
    uint64_t all = 0xcbf29ce484222325ULL;
    for (const char* name : files) {
        const bool x = std::string(name).rfind("x-", 0) == 0;
        const std::vector<Entry> corpus = read_corpus(dir + "/" + name, x, cap);
        if (corpus.empty()) {
            std::printf("%-26s (not found)\n", name);
            continue;
        }
        std::vector<const matrix_engine::Ops*> ops;
        for (const Entry& e : corpus) ops.push_back(matrix_engine::compile(e.x, e.groups));
        double best = 1e30;
        uint64_t digest = 0;
        long nodes = 0;
        int by_count[3] = {};
        for (int round = 0; round < rounds; ++round) {
            uint64_t h = 0xcbf29ce484222325ULL;
            long n_nodes = 0;
            int counts[3] = {};
            const double t0 = thread_cpu_s();
            for (size_t i = 0; i < corpus.size(); ++i) {
                const Outcome o = run(*ops[i], corpus[i]);
                mix(h, o.count);
                mix(h, o.nodes);
                for (int s = 0; s < std::min(o.count, 2); ++s)
                    for (int k = 0; k < 81; ++k) mix(h, o.out[s][k]);
                n_nodes += o.nodes;
                ++counts[std::clamp(o.count, 0, 2)];
            }
            best = std::min(best, thread_cpu_s() - t0);
            digest = h, nodes = n_nodes;
            std::copy(counts, counts + 3, by_count);
        }
        mix(all, static_cast<int64_t>(digest));
        char split[32];
        std::snprintf(split, sizeof split, "%d/%d/%d", by_count[0], by_count[1], by_count[2]);
        std::printf("%-26s %7zu %11.0f %11.1f %11.1f %9s  %016llx\n", name, corpus.size(), corpus.size() / best,
                    static_cast<double>(nodes) / corpus.size(), best * 1e9 / nodes, split,
                    static_cast<unsigned long long>(digest));
        std::fflush(stdout);
    }
    std::printf("all corpora digest %016llx\n", static_cast<unsigned long long>(all));
    return 0;
}
