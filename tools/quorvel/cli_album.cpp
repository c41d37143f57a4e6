// quorvel album: writes an album file of freshly made solutions, puzzles and games, and lists one.
#include "cli_album.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <thread>

#include "ffi/quorvel_pool.h"

namespace cli {

Record record_of(SudokuHandle* h, int adjacency, int quality) {
    Record r;
    std::memset(&r, 0, sizeof r);
    sudoku_get_puzzle_bytes(h, r.bytes);
    int32_t words[12];
    sudoku_get_color_map(h, words);
    int groups[81];
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo cell;
        sudoku_get_cell(h, k, &cell);
        groups[k] = cell.group;
    }
    words[9] = frontend::map_kind_of(groups);
    words[10] = adjacency;
    words[11] = quality;
    std::memcpy(r.bytes + kCellBytes, words, sizeof words);
    return r;
}

namespace {

constexpr frontend::AlbumCalls kEngine = {sudoku_queue_load, sudoku_queue_free};

}  // namespace

std::vector<unsigned char> album_blob(const Album& album) {
    frontend::AlbumSections sections;
    const std::vector<Record>* lists[3] = {&album.solutions, &album.puzzles, &album.games};
    for (int s = 0; s < 3; ++s)
        for (const Record& r : *lists[s]) sections[s].push_back(r.bytes);
    std::vector<unsigned char> blob;
    frontend::album_blob(sections, blob);
    return blob;
}

bool write_album_file(const char* path, const std::vector<unsigned char>& blob) {
    std::string why;
    if (frontend::write_album_file(path, blob, 9, kEngine, why)) return true;
    complain("%s", why.c_str());
    return false;
}

bool read_album_file(const char* path, std::vector<unsigned char>& blob, unsigned counts[3]) {
    frontend::AlbumFile file;
    std::string why;
    if (!frontend::read_album_file(path, kEngine, file, why)) {
        complain("%s", why.c_str());
        return false;
    }
    blob = std::move(file.blob);
    std::memcpy(counts, file.counts, sizeof file.counts);
    return true;
}

int harvest_dig_seed(bool seeded, uint64_t seed) {
    if (seeded) return static_cast<int>(seed % 2147483646ULL) + 1;
    static thread_local std::mt19937 draw{std::random_device{}()};
    return static_cast<int>(draw() % 2147483646U) + 1;
}

namespace {

const char kAlbumHelp[] =
    "usage: quorvel album write FILE [options]\n"
    "       quorvel album list FILE [--json]\n"
    "Writes an album file of new solutions, puzzles and games for each of the four kinds (square or\n"
    "jigsaw, regular or x), or lists what an album file holds. Album files are zlib-compressed, as\n"
    "the engine reads them beside the map files.\n"
    "\n"
    "write options (counts are per kind):\n"
    "      --solutions N     complete solutions (default 2)\n"
    "      --puzzles N       puzzles from harvests, the hardest buckets each reached first (default 5);\n"
    "                        their quality word is the bucket\n"
    "      --per-bucket N    instead of --puzzles: N puzzles in each of the ten buckets (quickie ..\n"
    "                        beyond_hell), from harvests, then targeted searches for buckets still short\n"
    "      --harvests N      with --per-bucket: at most N harvests per kind (default 10 x --per-bucket)\n"
    "      --search-attempts N\n"
    "                        with --per-bucket: solutions each targeted search digs at most (default 500);\n"
    "                        a search that misses its bucket ends the searches for that bucket\n"
    "      --search-ms MS    with --per-bucket: each targeted search's time budget (default none; a\n"
    "                        search the clock cuts short makes the album depend on the machine)\n"
    "      --games N         games from the generator at qualities 0..9 in turn across the kinds (default 2)\n"
    "      --node-limit N    bound on each classification's exact search in harvests and searches\n"
    "                        (default 200000)\n"
    "  -m, --map MAP         only the kinds on this map: square or jigsaw (default both)\n"
    "  -a, --adjacency ADJ   only the kinds of this adjacency: regular or x (default both); -x for x\n"
    "  -j, --jobs N          threads, up to one per kind (default 1); the album does not depend on it\n"
    "  -s, --seed S          reproducible album: the same seed writes the same file\n"
    "      --json            the summary as one JSON object\n"
    "  -v, --verbose         let the engine's own generation reports through to stderr\n"
    "list options:\n"
    "      --json            one JSON object per record, with clues, groups and solution\n"
    "  -h, --help            this text\n"
    "\n"
    "An album holds at most 400 records (2 MiB inflated), so 4 x (solutions + puzzles + games) <= 400,\n"
    "where puzzles is 10 x N with --per-bucket N. A bucket left short is named on stderr.\n"
    "Exit status: 0 done, 1 an unreadable or damaged album or a failed write, 2 bad usage.\n";

const char* const kKindNames[4] = {"square regular", "square x", "jigsaw regular", "jigsaw x"};

struct WriteRequest {
    long long solutions = 2, puzzles = 5, games = 2, node_limit = 200000, jobs = 1, seed = -1;
    // --per-bucket N: N puzzles of each bucket take the place of --puzzles' hardest-first picks. They
    // come from at most `harvests` harvests per kind (-1: 10 x N), then from targeted searches for the
    // buckets the harvests left short, each bounded by `search_attempts` digs and `search_ms` (0: no clock).
    long long per_bucket = 0, harvests = -1, search_attempts = 500, search_ms = 0;
    // --map and --adjacency keep the album to the kinds they name; -1: both of them.
    int map = -1, adjacency = -1;
    bool seeded() const { return seed >= 0; }
    bool makes(int kind) const { return (map < 0 || kind / 2 == map) && (adjacency < 0 || kind % 2 == adjacency); }
    long long puzzles_per_kind() const { return per_bucket > 0 ? 10 * per_bucket : puzzles; }
};

// What one kind's stock came to, beside its records.
struct KindStock {
    Album album;
    long long harvests = 0, searches = 0;
    int per_bucket[10] = {};
};

using frontend::map_kind_of;

// Nine group colours for a map that came without any: no two groups that share an edge alike, in at
// most four colours (the boxes come out in two, alternating).
void group_colors(const int* groups, int* colors) {
    if (!frontend::colour_groups(groups, colors))  // groups that are not connected regions
        for (int k = 0; k < 9; ++k) colors[k] = k % 4;
}

// Harvest t of a kind, its dig order seeded from the run's seed. Each bucket it reached, hardest
// first, is offered to sink(bucket), which names the list the puzzle goes to (with the bucket as its
// quality word) or is null to pass it by.
template <typename Sink>
void harvest_puzzles(const WriteRequest& rq, int kind, int t, SudokuHandle* h, Sink sink) {
    const int jigsaw = kind / 2, x = kind % 2;
    const uint64_t dig = derive_seed(static_cast<uint64_t>(rq.seed), static_cast<uint64_t>(kind),
                                     static_cast<uint64_t>(t) + 1);
    const int mask = sudoku_generate_harvest(nullptr, jigsaw, x, static_cast<int>(rq.node_limit), 0,
                                             harvest_dig_seed(rq.seeded(), dig));
    int solution[81], groups[81], colors[9];
    sudoku_harvest_solution(solution);
    sudoku_harvest_groupmap(groups);
    sudoku_harvest_colormap(colors);
    const int map = map_kind_of(groups);
    for (int b = 9; b >= 0; --b) {
        int clues[81];
        if (!(mask >> b & 1)) continue;
        std::vector<Record>* to = sink(b);
        if (!to || sudoku_harvest_clues(b, clues) < 0) continue;
        if (sudoku_build_from_clues(h, map, x, b, clues, solution, groups, colors)) to->push_back(record_of(h, x, b));
    }
}

// Targeted search i for bucket b of a kind, with its solutions and dig order seeded from the run's
// seed. The puzzle it ends with (of bucket b, or the nearest bucket it met) goes to sink(bucket) when
// that takes it. True when the search reached bucket b.
template <typename Sink>
bool search_puzzle(const WriteRequest& rq, int kind, int b, int i, SudokuHandle* h, Sink sink) {
    const int x = kind % 2;
    const uint64_t seed = derive_seed(static_cast<uint64_t>(rq.seed), static_cast<uint64_t>(4 + kind),
                                      static_cast<uint64_t>(10 * i + b));
    sudoku_seed_thread(rq.seeded() ? seed : 0);
    GenParams p{};
    p.map_kind = kind / 2;
    p.adjacency = x;
    p.target_bucket = b;
    p.classify_node_limit = rq.node_limit;
    p.max_attempts = static_cast<int32_t>(rq.search_attempts - 1);
    p.time_budget_ms = rq.search_ms;
    p.seed = static_cast<uint32_t>(harvest_dig_seed(rq.seeded(), seed));
    const TargetedResult r = generate_targeted(p);
    std::vector<Record>* to = r.bucket >= 0 && r.bucket <= 9 ? sink(r.bucket) : nullptr;
    int colors[9];
    group_colors(r.groups, colors);
    if (to && sudoku_build_from_clues(h, map_kind_of(r.groups), x, r.bucket, r.clues, r.solution, r.groups, colors))
        to->push_back(record_of(h, x, r.bucket));
    return r.ok;
}

// The stock of one kind, made on the calling thread.
void make_kind(const WriteRequest& rq, int kind, KindStock& stock) {
    const int jigsaw = kind / 2, x = kind % 2;
    Album& out = stock.album;
    sudoku_seed_thread(rq.seeded() ? derive_seed(static_cast<uint64_t>(rq.seed), static_cast<uint64_t>(kind), 0) : 0);
    SudokuHandle* h = sudoku_new();
    for (int tries = 0; static_cast<long long>(out.solutions.size()) < rq.solutions && tries < 100; ++tries)
        if (sudoku_generate_solution(h, jigsaw, x)) out.solutions.push_back(record_of(h, x, 0));
    // Puzzles per bucket: a harvest fills many buckets at once, so harvests come first.
    std::vector<Record> by_bucket[10];
    auto short_bucket = [&](int b) {
        return static_cast<long long>(by_bucket[b].size()) < rq.per_bucket ? &by_bucket[b] : nullptr;
    };
    auto any_short = [&] {
        for (int b = 0; b < 10; ++b)
            if (short_bucket(b)) return true;
        return false;
    };
    if (rq.per_bucket > 0) {
        for (; stock.harvests < rq.harvests && any_short(); ++stock.harvests)
            harvest_puzzles(rq, kind, static_cast<int>(stock.harvests), h, short_bucket);
    } else {
        // Each harvest gives one puzzle per bucket it reached; the hardest are taken first.
        auto room = [&](int) {
            return static_cast<long long>(out.puzzles.size()) < rq.puzzles ? &out.puzzles : nullptr;
        };
        for (int t = 0; static_cast<long long>(out.puzzles.size()) < rq.puzzles && t < 100; ++t)
            harvest_puzzles(rq, kind, t, h, room);
    }
    const long long first = kind * rq.games;
    for (long long i = 0, tries = 0; i < rq.games && tries < 10 * rq.games; ++tries) {
        const int q = static_cast<int>((first + i) % 10);
        if (sudoku_generate(h, jigsaw, x, q, q)) {
            out.games.push_back(record_of(h, x, q));
            ++i;
        }
    }
    // The searches come last and each seeds its own solutions, so a search cut short by the clock
    // changes no other record. A search that misses its bucket stops the searches for that bucket.
    if (rq.per_bucket > 0) {
        for (int b = 0; b < 10; ++b)
            for (int i = 0; short_bucket(b) && i < rq.per_bucket; ++i) {
                ++stock.searches;
                if (!search_puzzle(rq, kind, b, i, h, short_bucket)) break;
            }
        for (int b = 0; b < 10; ++b) {
            stock.per_bucket[b] = static_cast<int>(by_bucket[b].size());
            out.puzzles.insert(out.puzzles.end(), by_bucket[b].begin(), by_bucket[b].end());
        }
    }
    sudoku_free(h);
    sudoku_seed_thread(0);
}

// The one FILE a subcommand takes among its arguments; false (after complaining) for none or more.
bool one_file(const std::vector<std::string>& files, const char* action, const char*& path) {
    if (files.empty()) {
        complain("%s needs a FILE", action);
        return false;
    }
    if (files.size() > 1) {
        complain("unexpected argument '%s' (see --help)", files[1].c_str());
        return false;
    }
    path = files[0].c_str();
    return true;
}

int album_write(int argc, char** argv) {
    const char* path = nullptr;
    std::vector<std::string> files;
    WriteRequest rq;
    bool json = false, verbose = false, puzzles_given = false;
    Options options(kAlbumHelp);
    options.number("--solutions", "--solutions", 0, 100, rq.solutions);
    options.value("--puzzles", [&](const std::string& v) {
        puzzles_given = true;
        return parse_long("--puzzles", v.c_str(), 0, 100, rq.puzzles);
    });
    options.number("--per-bucket", "--per-bucket", 0, 100, rq.per_bucket);
    options.number("--harvests", "--harvests", 0, 100000, rq.harvests);
    options.number("--search-attempts", "--search-attempts", 1, INT32_MAX, rq.search_attempts);
    options.number("--search-ms", "--search-ms", 0, INT32_MAX, rq.search_ms);
    options.number("--games", "--games", 0, 100, rq.games);
    options.number("--node-limit", "--node-limit", 1, INT32_MAX, rq.node_limit);
    options.value("-m,--map", [&](const std::string& v) { return parse_map(v.c_str(), rq.map); });
    options.value("-a,--adjacency", [&](const std::string& v) { return parse_adjacency(v.c_str(), rq.adjacency); });
    options.flag("-x", [&] { rq.adjacency = 1; });
    options.number("-j,--jobs", "--jobs", 1, 256, rq.jobs);
    options.number("-s,--seed", "--seed", 0, INT64_MAX, rq.seed);
    options.flag("--json", json);
    options.flag("-v,--verbose", verbose);
    options.positionals(files);
    if (const int status = options.parse(argc, argv); status >= 0) return status;
    if (!one_file(files, "write", path)) return kExitUsage;
    if (rq.harvests < 0) rq.harvests = 10 * rq.per_bucket;
    if (puzzles_given && rq.per_bucket > 0) {
        complain("--puzzles and --per-bucket both say how many puzzles to make: give one of them");
        return kExitUsage;
    }
    std::vector<int> chosen;
    for (int kind = 0; kind < 4; ++kind)
        if (rq.makes(kind)) chosen.push_back(kind);
    const long long per_kind = rq.solutions + rq.puzzles_per_kind() + rq.games;
    if (static_cast<long long>(chosen.size()) * per_kind > static_cast<long long>(kAlbumMaxRecords)) {
        complain("%s: %lld records of each of the %zu kinds would not fit the %zu an album file holds",
                 rq.per_bucket > 0 ? "--solutions + 10 x --per-bucket + --games" : "--solutions + --puzzles + --games",
                 per_kind, chosen.size(), kAlbumMaxRecords);
        return kExitUsage;
    }
    locate_group_maps();
    if (!verbose) silence_engine_stderr();
    const bool terminal = isatty(fileno(g_ctx.err));
    const double start = now_ms();

    // Each kind is made on its own thread (or all in turn) from its own seed, so jobs change nothing.
    KindStock kinds[4];
    const int n_kinds = static_cast<int>(chosen.size());
    const int n_threads = static_cast<int>(rq.jobs < n_kinds ? rq.jobs : n_kinds);
    std::vector<std::thread> threads;
    for (int t = 0; t < n_threads; ++t)
        threads.emplace_back([&, t] {
            for (int i = t; i < n_kinds; i += n_threads) make_kind(rq, chosen[i], kinds[chosen[i]]);
        });
    for (auto& t : threads) t.join();

    Album album;
    bool short_of_stock = false;
    for (int kind : chosen) {
        const Album& k = kinds[kind].album;
        album.solutions.insert(album.solutions.end(), k.solutions.begin(), k.solutions.end());
        album.puzzles.insert(album.puzzles.end(), k.puzzles.begin(), k.puzzles.end());
        album.games.insert(album.games.end(), k.games.begin(), k.games.end());
        short_of_stock |= static_cast<long long>(k.solutions.size()) < rq.solutions ||
                          static_cast<long long>(k.puzzles.size()) < rq.puzzles_per_kind() ||
                          static_cast<long long>(k.games.size()) < rq.games;
        if (!json)
            std::printf("%s: %zu solutions, %zu puzzles, %zu games\n", kKindNames[kind], k.solutions.size(),
                        k.puzzles.size(), k.games.size());
        if (!json && rq.per_bucket > 0) {
            std::printf("  %lld harvests, %lld searches; puzzles per bucket:", kinds[kind].harvests,
                        kinds[kind].searches);
            for (int b = 0; b < 10; ++b) std::printf(" %d", kinds[kind].per_bucket[b]);
            std::printf("\n");
        }
        for (int b = 0; rq.per_bucket > 0 && b < 10; ++b)
            if (kinds[kind].per_bucket[b] < rq.per_bucket)
                complain("%s: %s has %d of %lld puzzles", kKindNames[kind], gen_bucket_name(b),
                         kinds[kind].per_bucket[b], rq.per_bucket);
    }
    const std::vector<unsigned char> blob = album_blob(album);
    if (!write_album_file(path, blob)) return kExitFail;
    if (json)
        print_json(Json{{"file", path},
                        {"solutions", album.solutions.size()},
                        {"puzzles", album.puzzles.size()},
                        {"games", album.games.size()},
                        {"bytes", blob.size()}});
    else
        std::printf("%s: %zu solutions, %zu puzzles, %zu games, %zu bytes before compression\n", path,
                    album.solutions.size(), album.puzzles.size(), album.games.size(), blob.size());
    if (terminal) std::fprintf(g_ctx.err, "album written in %.1f s\n", (now_ms() - start) / 1000.0);
    // A kind that came up short (harvests that reached too few buckets) is written all the same.
    if (short_of_stock) complain("%s: some kinds hold fewer records than asked for", path);
    return kExitOk;
}

const char* const kSectionNames[3] = {"solution", "puzzle", "game"};

int album_list(int argc, char** argv) {
    const char* path = nullptr;
    std::vector<std::string> files;
    bool json = false;
    Options options(kAlbumHelp);
    options.flag("--json", json);
    options.positionals(files);
    if (const int status = options.parse(argc, argv); status >= 0) return status;
    if (!one_file(files, "list", path)) return kExitUsage;
    std::vector<unsigned char> blob;
    unsigned counts[3];
    if (!read_album_file(path, blob, counts)) return kExitFail;
    if (!json) std::printf("%s: %u solutions, %u puzzles, %u games\n", path, counts[0], counts[1], counts[2]);
    SudokuHandle* h = sudoku_new();
    size_t first = 0;
    for (int s = 0; s < 3; ++s) {
        // The engine serves only the game section: each section is handed to it as the games of an
        // album of its own, so every record is read back through the same calls a game would be.
        frontend::AlbumSections only;
        for (size_t i = 0; i < counts[s]; ++i) only[2].push_back(frontend::album_record(blob, first + i));
        first += counts[s];
        std::vector<unsigned char> part;
        frontend::album_blob(only, part);
        SudokuAlbum* album = sudoku_queue_load(part.data(), part.size());
        const int n = sudoku_queue_game_count(album);
        for (int i = 0; i < n; ++i) {
            unsigned char cells[kCellBytes];
            int colors[9], map = 0, adjacency = 0, quality = 0;
            if (!sudoku_queue_get_game(album, i, cells, colors, &map, &adjacency, &quality)) continue;
            sudoku_set_puzzle_bytes(h, cells);
            sudoku_setup_loaded(h, map, adjacency);
            Made m;
            read_game(h, adjacency == 1, m);
            int n_clues = 0;
            for (int k = 0; k < 81; ++k) n_clues += m.clues[k] != 0;
            ClassifyInfo info;
            std::memset(&info, 0, sizeof info);
            const bool rated = n_clues > 0 && n_clues < 81 &&
                               sudoku_classify_clues(m.clues, m.groups, m.map_kind, m.adjacency, &info);
            if (json) {
                Json j{{"section", kSectionNames[s]},
                       {"index", i},
                       {"map", m.map_kind ? "jigsaw" : "square"},
                       {"adjacency", m.adjacency ? "x" : "regular"},
                       {"quality", quality},
                       {"clue_count", n_clues},
                       {"clues", digits_string(m.clues)},
                       {"groups", groups_string(m.groups)},
                       {"solution", digits_string(m.solution)}};
                if (rated) j["label"] = info.label;
                print_json(j);
            } else {
                std::printf("%-8s %3d  %-6s %-7s quality %d  %2d clues%s%s\n", kSectionNames[s], i,
                            m.map_kind ? "jigsaw" : "square", m.adjacency ? "x" : "regular", quality, n_clues,
                            rated ? "  " : "", rated ? info.label : "");
            }
        }
        sudoku_queue_free(album);
    }
    sudoku_free(h);
    return kExitOk;
}

}  // namespace

int cmd_album(int argc, char** argv) {
    const std::string action = argc > 0 ? argv[0] : "";
    if (action == "--help" || action == "-h") {
        std::fputs(kAlbumHelp, stdout);
        return kExitOk;
    }
    if (argc == 0) {
        complain("needs 'write FILE' or 'list FILE' (see --help)");
        return kExitUsage;
    }
    if (action == "write") return album_write(argc - 1, argv + 1);
    if (action == "list") return album_list(argc - 1, argv + 1);
    complain("unknown action '%s' (use write or list)", action.c_str());
    return kExitUsage;
}

}  // namespace cli
