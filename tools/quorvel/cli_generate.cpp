// quorvel generate: new puzzles of one difficulty and kind, on several threads, reproducible with --seed.
#include <unistd.h>

#include <cstring>

#include "cli_ordered.h"

namespace cli {

namespace {

const char kGenerateHelp[] =
    "usage: quorvel generate [options]\n"
    "Makes new puzzles with a unique solution and prints one per line.\n"
    "\n"
    "  -q, --quality Q       difficulty 0 (quickest) .. 9 (hardest); default 1\n"
    "  -m, --map MAP         square (3x3 boxes, default) or jigsaw (irregular groups)\n"
    "  -a, --adjacency ADJ   regular (default) or x (both long diagonals hold 1-9 too)\n"
    "  -x                    the same as --adjacency x\n"
    "  -n, --count N         how many puzzles (default 1)\n"
    "  -j, --jobs N          threads to use (default 1); the output does not depend on it\n"
    "  -s, --seed S          reproducible output: the same seed gives the same puzzles\n"
    "      --grid            draw each puzzle and its solution as a grid\n"
    "      --json            one JSON object per line, with the puzzle's classification\n"
    "      --retries N       new attempts after a failed generation (default 3)\n"
    "  -v, --verbose         let the engine's own generation reports through to stderr\n"
    "  -h, --help            this text\n"
    "\n"
    "Plain output is 81 characters per puzzle (digits, '.' for blanks); a jigsaw puzzle adds a\n"
    "space and its 81-character group map (group 0-8 of each cell). On a terminal, runs of more\n"
    "than one puzzle show a progress line and a summary on stderr.\n"
    "Exit status: 0 all made, 1 some generation failed, 2 bad usage.\n";

enum Format { kLine, kGrid, kJson };

struct Request {
    BatchOptions batch;
    int quality = 1, format = kLine;
    long long retries = 3;
};

// One puzzle's output text, or empty when every attempt failed.
struct Slot {
    std::string text;
    bool ok = false;
};

std::string render(const Request& rq, const Made& m, long long index, uint64_t seed) {
    if (rq.format == kLine) return puzzle_line(m.clues, m.groups, m.map_kind) + "\n";
    ClassifyInfo info;
    std::memset(&info, 0, sizeof info);
    sudoku_classify_clues(m.clues, m.groups, m.map_kind, m.adjacency, &info);
    if (rq.format == kGrid) {
        char head[256];
        std::snprintf(head, sizeof head, "# %lld: quality %d, %s %s: %s, level %d, %d clues (%s)\n", index + 1,
                      rq.quality, m.map_kind ? "jigsaw" : "square", m.adjacency ? "x" : "regular", info.label,
                      info.level, info.clue_count, info.description);
        return head + draw_grid(m.clues, m.groups, m.adjacency) + "solution:\n" +
               draw_grid(m.solution, m.groups, m.adjacency) + "\n";
    }
    Json j;
    j["index"] = index;
    j["quality"] = rq.quality;
    j["map"] = m.map_kind ? "jigsaw" : "square";
    j["adjacency"] = m.adjacency ? "x" : "regular";
    if (rq.batch.seed >= 0) j["seed"] = seed;
    j["clues"] = digits_string(m.clues);
    j["groups"] = groups_string(m.groups);
    j["solution"] = digits_string(m.solution);
    add_classification(j, info);
    return j.dump() + "\n";
}

}  // namespace

int cmd_generate(int argc, char** argv) {
    Request rq;
    bool verbose = false;
    long long quality = rq.quality;
    Options options(kGenerateHelp);
    options.number("-q,--quality", "--quality", 0, 9, quality);
    rq.batch.add_to(options);
    options.number("--retries", "--retries", 0, 1000, rq.retries);
    options.flag("--grid", [&] { rq.format = kGrid; });
    options.flag("--json", [&] { rq.format = kJson; });
    options.flag("-v,--verbose", verbose);
    if (const int status = options.parse(argc, argv); status >= 0) return status;
    rq.quality = static_cast<int>(quality);

    locate_group_maps();
    const bool terminal = isatty(fileno(g_ctx.err ? g_ctx.err : stderr)) && rq.batch.count > 1;
    if (!verbose) silence_engine_stderr();

    std::atomic<long long> failed{0};
    auto make = [&](long long index, SudokuHandle* h) {
        Slot out;
        uint64_t seed = 0;
        for (long long attempt = 0; attempt <= rq.retries && !out.ok; ++attempt) {
            seed = rq.batch.seed >= 0 ? derive_seed(static_cast<uint64_t>(rq.batch.seed), index, attempt) : 0;
            sudoku_seed_thread(seed);
            if (!h || !sudoku_generate(h, rq.batch.map, rq.batch.adjacency, rq.quality, 0)) continue;
            Made m;
            read_game(h, rq.batch.adjacency, m);
            out.text = render(rq, m, index, seed);
            out.ok = true;
        }
        sudoku_seed_thread(0);
        if (!out.ok) failed.fetch_add(1);
        return out;
    };
    auto print = [](long long, const Slot& s) {
        if (s.ok) std::fputs(s.text.c_str(), stdout);
    };
    auto show_progress = [&](long long done, double secs) {
        if (!terminal) return;
        std::fprintf(g_ctx.err, "\rgenerated %lld/%lld, %lld failed, %.1f s, %.1f per second   ", done, rq.batch.count,
                     failed.load(), secs, secs > 0 ? done / secs : 0.0);
        std::fflush(g_ctx.err);
    };
    const double start = now_ms();
    const long long n_threads = rq.batch.jobs < rq.batch.count ? rq.batch.jobs : rq.batch.count;
    run_ordered<Slot>(rq.batch.count, n_threads, make, print, show_progress);
    if (terminal) {
        const double secs = (now_ms() - start) / 1000.0;
        std::fprintf(g_ctx.err, "\r%lld puzzles made, %lld failed, in %.1f s (%.2f per second) on %lld thread%s   \n",
                     rq.batch.count - failed.load(), failed.load(), secs,
                     secs > 0 ? (rq.batch.count - failed.load()) / secs : 0.0, n_threads, n_threads == 1 ? "" : "s");
    }
    if (failed.load() > 0) {
        complain("%lld of %lld generations failed (after %lld retries each)", failed.load(), rq.batch.count,
                 rq.retries);
        return kExitFail;
    }
    return kExitOk;
}

}  // namespace cli
