// Classification and exact counting over the puzzle corpora: puzzles per second, median and p99 times.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "classify/matrix_engine.h"
#include "classify/puzzle_classify.h"
#include "ffi/quorvel.h"
#include "maps/square_group_map.h"

namespace {

struct CorpusPuzzle {
    int clues[9][9];
    int groups[9][9];
    int x;
};

// One puzzle a line: 81 grid characters, and for the x corpus the regions as a second field.
std::vector<CorpusPuzzle> read_corpus(const std::string& path, bool x_rule, size_t cap) {
    std::vector<CorpusPuzzle> out;
    std::ifstream in(path);
    std::string line;
    while (out.size() < cap && std::getline(in, line)) {
        if (line.size() < 81) continue;
        CorpusPuzzle p{};
        p.x = x_rule;
        for (int k = 0; k < 81; ++k) {
            const char ch = line[k];
            p.clues[k / 9][k % 9] = ch >= '1' && ch <= '9' ? ch - '0' : 0;
            p.groups[k / 9][k % 9] = square_group_map[k / 9][k % 9];
        }
        if (x_rule && line.size() >= 82 + 81)
            for (int k = 0; k < 81; ++k) p.groups[k / 9][k % 9] = line[82 + k] - '0';
        out.push_back(p);
    }
    return out;
}

double ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

struct Figures {
    double per_second, median_ms, p99_ms;
};

Figures figures(std::vector<double>& ms) {
    double total = 0;
    for (double m : ms) total += m;
    std::sort(ms.begin(), ms.end());
    return {ms.size() / (total / 1000), ms[ms.size() / 2], ms[ms.size() * 99 / 100]};
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = QUADRILLO_CORPUS_DIR;
    size_t classify_cap = 300, count_cap = 20000;
    CLI::App app{"Classification and exact counting speed per corpus file."};
    app.add_option("dir", dir, "folder of the corpus files")->capture_default_str();
    app.add_option("n", classify_cap, "puzzles classified per file")->capture_default_str();
    app.add_option("m", count_cap, "puzzles counted per file")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    const char* files[] = {"17-clue.txt", "top1465.txt", "forum-hardest-1106.txt", "forum-hardest-11plus.txt",
                           "multi-solution-10000.txt", "se-rated-2593.txt", "x-square-200.txt"};
    std::printf("corpora in %s; classification of the first %zu puzzles of each file, counting of the first %zu\n",
                dir.c_str(), classify_cap, count_cap);
    std::printf("%-26s %7s %10s %10s %10s %8s %8s | %7s %10s %10s %10s %6s %6s %6s\n", "file", "n", "class/s",
                "median ms", "p99 ms", "unique", "search", "n", "count/s", "median us", "p99 us", "0", "1", "2+");
    for (const char* name : files) {
        const bool x = std::string(name).rfind("x-", 0) == 0;
        const std::vector<CorpusPuzzle> all = read_corpus(dir + "/" + name, x, std::max(classify_cap, count_cap));
        if (all.empty()) {
            std::printf("%-26s (not found)\n", name);
            continue;
        }
        const size_t nc = std::min(classify_cap, all.size());
        std::vector<double> ms;
        int unique = 0, searched = 0;
        for (size_t i = 0; i < nc; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            const ClassifyResult r = classify_puzzle(0, all[i].x, all[i].clues, all[i].groups, 0);
            ms.push_back(ms_since(t0));
            unique += r.unique;
            searched += r.level == kNSolveLevels;
        }
        const Figures c = figures(ms);

        const size_t nk = std::min(count_cap, all.size());
        std::vector<double> us;
        int by_count[3] = {};
        for (size_t i = 0; i < nk; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            const matrix_engine::Ops* ops = matrix_engine::compile(all[i].x, all[i].groups);
            matrix_engine::Vec fixed{};
            for (int k = 0; k < 81; ++k)
                if (all[i].clues[k / 9][k % 9]) fixed.set(9 * k + all[i].clues[k / 9][k % 9] - 1);
            long budget = 1L << 40;
            int out[2][81];
            const int n = matrix_engine::count_completions_collect(*ops, matrix_engine::full_vec(), fixed, 2, out, 0,
                                                                   budget);
            us.push_back(ms_since(t0) * 1000);
            ++by_count[std::clamp(n, 0, 2)];
        }
        const Figures k = figures(us);
        std::printf("%-26s %7zu %10.1f %10.3f %10.3f %8d %8d | %7zu %10.0f %10.1f %10.1f %6d %6d %6d\n", name, nc,
                    c.per_second, c.median_ms, c.p99_ms, unique, searched, nk, k.per_second * 1000, k.median_ms,
                    k.p99_ms, by_count[0], by_count[1], by_count[2]);
        std::fflush(stdout);
    }
    return 0;
}
