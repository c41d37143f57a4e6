// quorvel harvest: runs harvests on several threads and prints or stores what each bucket received.
#include <unistd.h>

#include <cstring>

#include "cli_album.h"
#include "cli_ordered.h"

namespace cli {

namespace {

const char kHarvestHelp[] =
    "usage: quorvel harvest [options]\n"
    "Runs harvests: each makes one random solution and digs it down one clue at a time, keeping the\n"
    "last puzzle it met in each difficulty bucket (quickie .. beyond_hell).\n"
    "\n"
    "  -m, --map MAP         square (default) or jigsaw\n"
    "  -a, --adjacency ADJ   regular (default) or x\n"
    "  -x                    the same as --adjacency x\n"
    "  -n, --count N         how many harvests (default 8)\n"
    "  -j, --jobs N          threads to use (default 1); the output does not depend on it\n"
    "  -s, --seed S          reproducible output: harvest i gets its own seed derived from S and i\n"
    "      --node-limit N    bound on each classification's exact search (default 200000)\n"
    "      --puzzles         print each puzzle received under its harvest's line\n"
    "      --store FILE      also write an album file: each harvest's solution, and every puzzle\n"
    "                        received with its bucket as quality word (at most 36 harvests)\n"
    "      --json            one JSON object per harvest, with its solution and puzzles\n"
    "  -v, --verbose         let the engine's own reports through to stderr\n"
    "  -h, --help            this text\n"
    "\n"
    "Plain output: a line per harvest, 'harvest I: BUCKET=CLUES ...', then the number of puzzles each\n"
    "bucket received. On a terminal a progress line and the time taken go to stderr.\n"
    "Exit status: 0 done, 1 a harvest could not make a solution or the album could not be written,\n"
    "2 bad usage.\n";

struct Request {
    BatchOptions batch{.count = 8};
    long long node_limit = 200000;
    bool puzzles = false, json = false;
    const char* store = nullptr;
};

// One harvest's result, copied off the engine's per-thread record.
struct Harvest {
    int mask = 0;
    uint64_t seed = 0;
    int solution[81], groups[81], colors[9];
    int clue_count[10];
    int clues[10][81];
};

void run_one(const Request& rq, long long index, SudokuHandle* h, Harvest& out, Album& stock) {
    const bool seeded = rq.batch.seed >= 0;
    out.seed = seeded ? derive_seed(static_cast<uint64_t>(rq.batch.seed), static_cast<uint64_t>(index), 0) : 0;
    sudoku_seed_thread(out.seed);
    out.mask = sudoku_generate_harvest(nullptr, rq.batch.map, rq.batch.adjacency, static_cast<int>(rq.node_limit), 0,
                                       harvest_dig_seed(seeded, out.seed));
    sudoku_seed_thread(0);
    // The getters read this thread's last harvest: copy everything before the next one.
    sudoku_harvest_solution(out.solution);
    sudoku_harvest_groupmap(out.groups);
    sudoku_harvest_colormap(out.colors);
    for (int b = 0; b < 10; ++b) out.clue_count[b] = sudoku_harvest_clues(b, out.clues[b]);
    if (!rq.store || !out.mask) return;
    const int map = frontend::map_kind_of(out.groups);
    // The solution goes in as a game without clues, each puzzle with its bucket as quality word.
    const int none[81] = {};
    if (sudoku_build_from_clues(h, map, rq.batch.adjacency, 0, none, out.solution, out.groups, out.colors))
        stock.solutions.push_back(record_of(h, rq.batch.adjacency, 0));
    for (int b = 0; b < 10; ++b)
        if (out.clue_count[b] >= 0 &&
            sudoku_build_from_clues(h, map, rq.batch.adjacency, b, out.clues[b], out.solution, out.groups, out.colors))
            stock.puzzles.push_back(record_of(h, rq.batch.adjacency, b));
}

std::string render(const Request& rq, long long index, const Harvest& hv) {
    const int map = frontend::map_kind_of(hv.groups);
    if (rq.json) {
        Json j{{"index", index}, {"map", map ? "jigsaw" : "square"}, {"adjacency", rq.batch.adjacency ? "x" : "regular"}};
        if (rq.batch.seed >= 0) j["seed"] = hv.seed;
        j["ok"] = hv.mask != 0;
        if (hv.mask) {
            j["solution"] = digits_string(hv.solution);
            j["groups"] = groups_string(hv.groups);
        }
        j["buckets"] = Json::array();
        for (int b = 0; b < 10; ++b)
            if (hv.clue_count[b] >= 0)
                j["buckets"].push_back(Json{{"bucket", b},
                                            {"label", gen_bucket_name(b)},
                                            {"clue_count", hv.clue_count[b]},
                                            {"clues", digits_string(hv.clues[b])}});
        return j.dump() + "\n";
    }
    std::string s = "harvest " + std::to_string(index) + ":";
    if (!hv.mask) s += " no solution";
    for (int b = 0; b < 10; ++b)
        if (hv.clue_count[b] >= 0) s += std::string(" ") + gen_bucket_name(b) + "=" + std::to_string(hv.clue_count[b]);
    s += "\n";
    if (rq.puzzles)
        for (int b = 0; b < 10; ++b)
            if (hv.clue_count[b] >= 0)
                s += std::string("  ") + gen_bucket_name(b) + "\t" + puzzle_line(hv.clues[b], hv.groups, map) + "\n";
    return s;
}

}  // namespace

int cmd_harvest(int argc, char** argv) {
    Request rq;
    std::string store;
    bool verbose = false;
    Options options(kHarvestHelp);
    rq.batch.add_to(options);
    options.number("--node-limit", "--node-limit", 1, INT32_MAX, rq.node_limit);
    options.flag("--puzzles", rq.puzzles);
    options.value("--store", [&](const std::string& v) { return store = v, rq.store = store.c_str(), true; });
    options.flag("--json", rq.json);
    options.flag("-v,--verbose", verbose);
    if (const int status = options.parse(argc, argv); status >= 0) return status;
    // A harvest stores at most a solution and ten puzzles; the album file must hold them all.
    const long long max_store = static_cast<long long>(kAlbumMaxRecords) / 11;
    if (rq.store && rq.batch.count > max_store) {
        complain("--count: %lld harvests could need more records than the %zu an album file holds (at most %lld "
                 "with --store)",
                 rq.batch.count, kAlbumMaxRecords, max_store);
        return kExitUsage;
    }

    locate_group_maps();
    const bool terminal = isatty(fileno(g_ctx.err)) && rq.batch.count > 1;
    if (!verbose) silence_engine_stderr();

    // A harvest's output is rendered on its own thread; only the text, the tallies and (with --store)
    // its records wait for their turn.
    struct Outcome {
        std::string text;
        bool ok = false;
        bool received[10] = {};
        Album stock;
    };
    auto harvest = [&](long long index, SudokuHandle* h) {
        Harvest hv;
        Outcome out;
        run_one(rq, index, h, hv, out.stock);
        out.text = render(rq, index, hv);
        out.ok = hv.mask != 0;
        for (int b = 0; b < 10; ++b) out.received[b] = hv.clue_count[b] >= 0;
        return out;
    };
    long long received[10] = {}, failed = 0;
    Album album;
    auto print = [&](long long, const Outcome& out) {
        std::fputs(out.text.c_str(), stdout);
        failed += !out.ok;
        for (int b = 0; b < 10; ++b) received[b] += out.received[b];
        album.solutions.insert(album.solutions.end(), out.stock.solutions.begin(), out.stock.solutions.end());
        album.puzzles.insert(album.puzzles.end(), out.stock.puzzles.begin(), out.stock.puzzles.end());
    };
    auto show_progress = [&](long long done, double secs) {
        if (!terminal) return;
        std::fprintf(g_ctx.err, "\rharvested %lld/%lld, %.1f s   ", done, rq.batch.count, secs);
        std::fflush(g_ctx.err);
    };
    const double start = now_ms();
    const long long n_threads = rq.batch.jobs < rq.batch.count ? rq.batch.jobs : rq.batch.count;
    run_ordered<Outcome>(rq.batch.count, n_threads, harvest, print, show_progress);
    if (terminal)
        std::fprintf(g_ctx.err, "\r%lld harvests in %.1f s on %lld thread%s   \n", rq.batch.count,
                     (now_ms() - start) / 1000.0, n_threads, n_threads == 1 ? "" : "s");
    if (!rq.json) {
        std::printf("%lld harvests of %s %s, %lld without a solution\n", rq.batch.count,
                    rq.batch.map ? "jigsaw" : "square", rq.batch.adjacency ? "x" : "regular", failed);
        for (int b = 0; b < 10; ++b) std::printf("  %-16s %4lld puzzles\n", gen_bucket_name(b), received[b]);
    }
    int status = kExitOk;
    if (rq.store && !write_album_file(rq.store, album_blob(album))) status = kExitFail;
    if (failed > 0) {
        complain("%lld of %lld harvests could not make a solution", failed, rq.batch.count);
        status = kExitFail;
    }
    return status;
}

}  // namespace cli
