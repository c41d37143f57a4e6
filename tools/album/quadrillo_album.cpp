// quadrillo-album: writes album files from freshly made stock, lists an album, and runs harvests.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "album/queue_data.h"
#include "ffi/quorvel.h"
#include "maps/zipinput.h"
#include "util/rand_utils.h"
#include "util/utility.h"

namespace {

const char* const kKindNames[4] = {"square regular", "square x", "jigsaw regular", "jigsaw x"};

int usage() {
    std::fprintf(stderr,
                 "usage: quadrillo-album write FILE [--solutions N] [--puzzles N] [--games N] [--seed S]\n"
                 "       quadrillo-album list FILE\n"
                 "       quadrillo-album harvest [--kind square|jigsaw] [--x] [--count N] [--jobs N]\n"
                 "                               [--node-limit N] [--seed S]\n"
                 "write: N solutions, puzzles and games for each of the four kinds (defaults 2, 5, 2);\n"
                 "puzzles come from harvests, one per bucket reached; games are made at qualities 0..9 in turn across the kinds.\n"
                 "The jigsaw maps are read from $SUDOKU_GROUP_MAPS_DIR, else from ../lib/group_maps beside the program.\n");
    return 2;
}

// Options after the subcommand: "--name value" pairs and bare flags.
struct Options {
    std::vector<std::string> args;
    bool flag(const char* name) const {
        for (const std::string& a : args)
            if (a == name) return true;
        return false;
    }
    long number(const char* name, long fallback) const {
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == name) return std::strtol(args[i + 1].c_str(), nullptr, 10);
        return fallback;
    }
    std::string text(const char* name, const char* fallback) const {
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == name) return args[i + 1];
        return fallback;
    }
};

void use_shipped_maps(const char* argv0) {
    if (std::getenv("SUDOKU_GROUP_MAPS_DIR")) return;
    std::string dir = argv0;
    const size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    static std::string maps;
    maps = dir + "/../lib/group_maps";
    sudoku_set_group_maps_dir(maps.c_str());
}

// The game record of a handle: its first 5232 bytes.
PuzzleData record_of(SudokuHandle* h) {
    PuzzleData r;
    std::memcpy(&r, h, sizeof r);
    return r;
}

int clue_count(const PuzzleData& r) {
    int n = 0;
    for (const PUZZLE_CELL& c : r.cells) n += c.status != 0;
    return n;
}

// Records of one kind for the three sections, made through the exported calls.
struct KindStock {
    std::vector<PuzzleData> solutions, puzzles, games;
};

KindStock make_stock(int jigsaw, int x, long n_solutions, long n_puzzles, long n_games, int first_quality) {
    KindStock s;
    SudokuHandle* h = sudoku_new();
    while (static_cast<long>(s.solutions.size()) < n_solutions)
        if (sudoku_generate_solution(h, jigsaw, x)) s.solutions.push_back(record_of(h));
    // Harvests give one puzzle per bucket reached; the hardest buckets are taken first.
    for (int tries = 0; static_cast<long>(s.puzzles.size()) < n_puzzles && tries < 100; ++tries) {
        const int mask = sudoku_generate_harvest(nullptr, jigsaw, x, 200000, 0, 0);
        int solution[81], groups[81], colors[9];
        sudoku_harvest_solution(solution);
        sudoku_harvest_groupmap(groups);
        sudoku_harvest_colormap(colors);
        for (int b = 9; b >= 0 && static_cast<long>(s.puzzles.size()) < n_puzzles; --b) {
            int clues[81];
            if (!(mask >> b & 1) || sudoku_harvest_clues(b, clues) < 0) continue;
            if (sudoku_build_from_clues(h, jigsaw, x, b, clues, solution, groups, colors))
                s.puzzles.push_back(record_of(h));
        }
    }
    for (int q = first_quality % 10; static_cast<long>(s.games.size()) < n_games; q = (q + 1) % 10)
        if (sudoku_generate(h, jigsaw, x, q, q)) s.games.push_back(record_of(h));
    sudoku_free(h);
    return s;
}

bool write_compressed(const char* path, const void* data, size_t length) {
    uLongf packed_size = compressBound(length);
    std::vector<unsigned char> packed(packed_size);
    if (compress2(packed.data(), &packed_size, static_cast<const Bytef*>(data), length, 9) != Z_OK) return false;
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(packed.data(), 1, packed_size, f) == packed_size;
    return std::fclose(f) == 0 && ok;
}

int write_album(const char* path, const Options& o) {
    const long ns = o.number("--solutions", 2), np = o.number("--puzzles", 5), ng = o.number("--games", 2);
    if (ns < 0 || np < 0 || ng < 0 || 4 * (ns + np + ng) * GAME_RECORD_BYTES + 80 > kAlbumFileLimit) {
        std::fprintf(stderr, "quadrillo-album: the album would not fit the %d bytes a reader accepts\n",
                     kAlbumFileLimit);
        return 1;
    }
    const long seed = o.number("--seed", 0);
    if (seed) rand_seed_thread(static_cast<uint64_t>(seed));
    queue_data q(static_cast<unsigned>(4 * ns), static_cast<unsigned>(4 * np), static_cast<unsigned>(4 * ng));
    int at[3] = {};
    for (int kind = 0; kind < 4; ++kind) {
        const KindStock s = make_stock(kind / 2, kind % 2, ns, np, ng, static_cast<int>(kind * ng));
        for (const PuzzleData& r : s.solutions) q.set_solution(r, at[0]++);
        for (const PuzzleData& r : s.puzzles) q.set_puzzle(r, at[1]++);
        for (const PuzzleData& r : s.games) q.set_game(r, at[2]++);
        std::printf("%s: %zu solutions, %zu puzzles, %zu games\n", kKindNames[kind], s.solutions.size(),
                    s.puzzles.size(), s.games.size());
    }
    // Harvests that reached too few buckets leave puzzle slots unset: shrink to what was made.
    queue_data out(static_cast<unsigned>(at[0]), static_cast<unsigned>(at[1]), static_cast<unsigned>(at[2]));
    for (int i = 0; i < at[0]; ++i) out.set_solution(*q.solution(i), i);
    for (int i = 0; i < at[1]; ++i) out.set_puzzle(*q.puzzle(i), i);
    for (int i = 0; i < at[2]; ++i) out.set_game(*q.game(i), i);
    size_t length = 0;
    const void* blob = out.as_data(length);
    if (!write_compressed(path, blob, length)) {
        std::fprintf(stderr, "quadrillo-album: cannot write %s\n", path);
        return 1;
    }
    std::printf("%s: %d solutions, %d puzzles, %d games, %zu bytes before compression\n", path, at[0], at[1], at[2],
                length);
    return 0;
}

// The bucket a record's clues classify into, or -1.
int bucket_of(const PuzzleData& r) {
    int clues[81], groups[81];
    for (int k = 0; k < 81; ++k) {
        clues[k] = r.cells[k].status ? r.cells[k].solution : 0;
        groups[k] = r.cells[k].group;
    }
    ClassifyInfo info;
    return sudoku_classify_clues(clues, groups, r.map_type, r.adjacency, &info) ? info.bucket : -1;
}

void list_section(const char* name, const queue_data& q, const PuzzleData* (queue_data::*get)(int) const, unsigned n) {
    for (unsigned i = 0; i < n; ++i) {
        const PuzzleData& r = *(q.*get)(static_cast<int>(i));
        const int clues = clue_count(r);
        std::printf("%-8s %3u  %-9s %-7s quality %d  %2d clues", name, i, gen_map_name(r.map_type),
                    gen_adj_name(r.adjacency), static_cast<int>(r.quality), clues);
        if (clues > 0 && clues < 81) std::printf("  %s", gen_bucket_name(bucket_of(r)));
        std::printf("\n");
    }
}

int list_album(const char* path) {
    uint64_t length = 0;
    unsigned char* bytes = get_zipped_file_contents(path, &length, kAlbumFileLimit);
    queue_data* q = bytes ? queue_data::from_data(bytes, length) : nullptr;
    std::free(bytes);
    if (!q) {
        std::fprintf(stderr, "quadrillo-album: %s is not a readable album\n", path);
        return 1;
    }
    std::printf("%s: %u solutions, %u puzzles, %u games\n", path, q->num_solutions, q->num_puzzles, q->num_games);
    list_section("solution", *q, &queue_data::solution, q->num_solutions);
    list_section("puzzle", *q, &queue_data::puzzle, q->num_puzzles);
    list_section("game", *q, &queue_data::game, q->num_games);
    delete q;
    return 0;
}

int run_harvests(const Options& o) {
    const int jigsaw = o.text("--kind", "square") == "jigsaw" ? 1 : 0;
    const int x = o.flag("--x") ? 1 : 0;
    const long count = o.number("--count", 8), node_limit = o.number("--node-limit", 200000), seed = o.number("--seed", 0);
    long jobs = o.number("--jobs", 1);
    if (count < 1 || jobs < 1) return usage();
    if (jobs > count) jobs = count;
    std::mutex print;
    long received[10] = {}, failed = 0, next = 0;
    const int64_t start = steady_now_ms();
    auto worker = [&](long job) {
        if (seed) rand_seed_thread(static_cast<uint64_t>(seed) + static_cast<uint64_t>(job));
        for (;;) {
            long n;
            {
                std::lock_guard<std::mutex> lock(print);
                if (next >= count) return;
                n = next++;
            }
            const int64_t t0 = steady_now_ms();
            const int mask = sudoku_generate_harvest(nullptr, jigsaw, x, static_cast<int>(node_limit), 0,
                                                     seed ? static_cast<int>(seed + n) : 0);
            const int64_t ms = steady_now_ms() - t0;
            int clues[10], grid[81];
            for (int b = 0; b < 10; ++b) clues[b] = sudoku_harvest_clues(b, grid);
            std::lock_guard<std::mutex> lock(print);
            if (!mask) ++failed;
            std::printf("harvest %3ld (job %ld, %4lld ms):", n, job, static_cast<long long>(ms));
            for (int b = 0; b < 10; ++b) {
                if (clues[b] < 0) continue;
                ++received[b];
                std::printf(" %s=%d", gen_bucket_name(b), clues[b]);
            }
            std::printf("\n");
        }
    };
    std::vector<std::thread> threads;
    for (long j = 0; j < jobs; ++j) threads.emplace_back(worker, j);
    for (std::thread& t : threads) t.join();
    const double secs = static_cast<double>(steady_now_ms() - start) / 1000.0;
    std::printf("%ld harvests of %s%s on %ld jobs in %.1f s, %ld without a solution\n", count,
                jigsaw ? "jigsaw" : "square", x ? " x" : "", jobs, secs, failed);
    for (int b = 0; b < 10; ++b) std::printf("  %-16s %4ld puzzles\n", gen_bucket_name(b), received[b]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    use_shipped_maps(argv[0]);
    const std::string cmd = argv[1];
    Options o;
    for (int i = (cmd == "harvest" ? 2 : 3); i < argc; ++i) o.args.push_back(argv[i]);
    if (cmd == "write" && argc >= 3) return write_album(argv[2], o);
    if (cmd == "list" && argc >= 3) return list_album(argv[2]);
    if (cmd == "harvest") return run_harvests(o);
    return usage();
}
