// quorvel album: writes an album file of freshly made solutions, puzzles and games, and lists one.
#include "cli_album.h"

#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <thread>

namespace cli {

Record record_of(SudokuHandle* h, int adjacency, int quality) {
    Record r;
    std::memset(&r, 0, sizeof r);
    sudoku_get_puzzle_bytes(h, r.bytes);
    int32_t words[12];
    sudoku_get_color_map(h, words);
    int groups[81], boxes[81];
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo cell;
        sudoku_get_cell(h, k, &cell);
        groups[k] = cell.group;
    }
    square_groups(boxes);
    words[9] = std::memcmp(groups, boxes, sizeof boxes) != 0;
    words[10] = adjacency;
    words[11] = quality;
    std::memcpy(r.bytes + kCellBytes, words, sizeof words);
    return r;
}

std::vector<unsigned char> album_blob(const Album& album) {
    const std::vector<Record>* sections[3] = {&album.solutions, &album.puzzles, &album.games};
    std::vector<unsigned char> blob(kAlbumHeaderSize, 0);
    char header[kAlbumHeaderSize] = {};
    std::snprintf(header, sizeof header, "SQD0.002%4d%4d%4d", static_cast<int>(album.solutions.size()),
                  static_cast<int>(album.puzzles.size()), static_cast<int>(album.games.size()));
    std::memcpy(blob.data(), header, sizeof header);
    for (const auto* s : sections)
        for (const Record& r : *s) blob.insert(blob.end(), r.bytes, r.bytes + kRecordSize);
    return blob;
}

bool write_album_file(const char* path, const std::vector<unsigned char>& blob) {
    // The engine must take back what we write: a refusal here is a fault of this tool, not the disk.
    SudokuAlbum* check = sudoku_queue_load(blob.data(), blob.size());
    sudoku_queue_free(check);
    if (!check) {
        complain("%s: the engine refuses the album this tool built; nothing written", path);
        return false;
    }
    uLongf packed_size = compressBound(blob.size());
    std::vector<unsigned char> packed(packed_size);
    if (compress2(packed.data(), &packed_size, blob.data(), blob.size(), 9) != Z_OK) {
        complain("%s: compression failed", path);
        return false;
    }
    const std::string tmp = std::string(path) + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        complain("%s: %s", tmp.c_str(), std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(packed.data(), 1, packed_size, f) == packed_size;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(tmp.c_str(), path) != 0) {
        complain("%s: %s", path, std::strerror(errno ? errno : EIO));
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

bool read_album_file(const char* path, std::vector<unsigned char>& blob, unsigned counts[3]) {
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        complain("%s: %s", path, std::strerror(errno));
        return false;
    }
    std::vector<unsigned char> packed;
    unsigned char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) {
        packed.insert(packed.end(), chunk, chunk + n);
        if (packed.size() > 2 * kAlbumInflatedLimit) break;  // far beyond any stream that inflates within the limit
    }
    const bool read_error = std::ferror(f);
    std::fclose(f);
    if (read_error) {
        complain("%s: read error", path);
        return false;
    }
    // One whole zlib stream that inflates to at most the limit, as the engine's reader demands.
    blob.assign(kAlbumInflatedLimit, 0);
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    zs.next_in = packed.data();
    zs.avail_in = static_cast<uInt>(packed.size());
    zs.next_out = blob.data();
    zs.avail_out = static_cast<uInt>(blob.size());
    bool inflated = false;
    if (!packed.empty() && inflateInit(&zs) == Z_OK) {
        inflated = inflate(&zs, Z_FINISH) == Z_STREAM_END;
        inflateEnd(&zs);
    }
    if (!inflated) {
        complain("%s: not a zlib-compressed album of at most %zu bytes (empty, damaged or too large)", path,
                 kAlbumInflatedLimit);
        return false;
    }
    blob.resize(zs.total_out);
    SudokuAlbum* album = sudoku_queue_load(blob.data(), blob.size());
    sudoku_queue_free(album);
    if (!album) {
        complain("%s: not an album: wrong header, a length that does not match its counts, or damaged records",
                 path);
        return false;
    }
    // The engine has checked the header; its counts say where each section lies.
    for (int s = 0; s < 3; ++s) {
        char field[5] = {};
        std::memcpy(field, blob.data() + 8 + 4 * s, 4);
        counts[s] = static_cast<unsigned>(std::strtoul(field, nullptr, 10));
    }
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
    "      --games N         games from the generator at qualities 0..9 in turn across the kinds (default 2)\n"
    "      --node-limit N    bound on each classification's exact search in the harvests (default 200000)\n"
    "  -j, --jobs N          threads, up to one per kind (default 1); the album does not depend on it\n"
    "  -s, --seed S          reproducible album: the same seed writes the same file\n"
    "      --json            the summary as one JSON object\n"
    "  -v, --verbose         let the engine's own generation reports through to stderr\n"
    "list options:\n"
    "      --json            one JSON object per record, with clues, groups and solution\n"
    "  -h, --help            this text\n"
    "\n"
    "An album holds at most 400 records (2 MiB inflated), so 4 x (solutions + puzzles + games) <= 400.\n"
    "Exit status: 0 done, 1 an unreadable or damaged album or a failed write, 2 bad usage.\n";

const char* const kKindNames[4] = {"square regular", "square x", "jigsaw regular", "jigsaw x"};

struct WriteRequest {
    long long solutions = 2, puzzles = 5, games = 2, node_limit = 200000, jobs = 1, seed = -1;
};

// The stock of one kind, made on the calling thread.
void make_kind(const WriteRequest& rq, int kind, Album& out) {
    const int jigsaw = kind / 2, x = kind % 2;
    const bool seeded = rq.seed >= 0;
    sudoku_seed_thread(seeded ? derive_seed(static_cast<uint64_t>(rq.seed), static_cast<uint64_t>(kind), 0) : 0);
    SudokuHandle* h = sudoku_new();
    for (int tries = 0; static_cast<long long>(out.solutions.size()) < rq.solutions && tries < 100; ++tries)
        if (sudoku_generate_solution(h, jigsaw, x)) out.solutions.push_back(record_of(h, x, 0));
    // Each harvest gives one puzzle per bucket it reached; the hardest are taken first.
    for (int t = 0; static_cast<long long>(out.puzzles.size()) < rq.puzzles && t < 100; ++t) {
        const uint64_t dig = derive_seed(static_cast<uint64_t>(rq.seed), static_cast<uint64_t>(kind),
                                         static_cast<uint64_t>(t) + 1);
        const int mask = sudoku_generate_harvest(nullptr, jigsaw, x, static_cast<int>(rq.node_limit), 0,
                                                 harvest_dig_seed(seeded, dig));
        int solution[81], groups[81], colors[9], boxes[81];
        sudoku_harvest_solution(solution);
        sudoku_harvest_groupmap(groups);
        sudoku_harvest_colormap(colors);
        square_groups(boxes);
        const int map = std::memcmp(groups, boxes, sizeof boxes) != 0;
        for (int b = 9; b >= 0 && static_cast<long long>(out.puzzles.size()) < rq.puzzles; --b) {
            int clues[81];
            if (!(mask >> b & 1) || sudoku_harvest_clues(b, clues) < 0) continue;
            if (sudoku_build_from_clues(h, map, x, b, clues, solution, groups, colors))
                out.puzzles.push_back(record_of(h, x, b));
        }
    }
    const long long first = kind * rq.games;
    for (long long i = 0, tries = 0; i < rq.games && tries < 10 * rq.games; ++tries) {
        const int q = static_cast<int>((first + i) % 10);
        if (sudoku_generate(h, jigsaw, x, q, q)) {
            out.games.push_back(record_of(h, x, q));
            ++i;
        }
    }
    sudoku_free(h);
    sudoku_seed_thread(0);
}

int album_write(Args& args) {
    const char* path = nullptr;
    WriteRequest rq;
    bool json = false, verbose = false;
    while (!args.done() && !args.bad) {
        if (args.flag("--help", "-h")) {
            std::fputs(kAlbumHelp, stdout);
            return kExitOk;
        } else if (args.option("--solutions")) {
            if (!parse_long("--solutions", args.value, 0, 100, rq.solutions)) return kExitUsage;
        } else if (args.option("--puzzles")) {
            if (!parse_long("--puzzles", args.value, 0, 100, rq.puzzles)) return kExitUsage;
        } else if (args.option("--games")) {
            if (!parse_long("--games", args.value, 0, 100, rq.games)) return kExitUsage;
        } else if (args.option("--node-limit")) {
            if (!parse_long("--node-limit", args.value, 1, INT32_MAX, rq.node_limit)) return kExitUsage;
        } else if (args.option("--jobs", "-j")) {
            if (!parse_long("--jobs", args.value, 1, 256, rq.jobs)) return kExitUsage;
        } else if (args.option("--seed", "-s")) {
            if (!parse_long("--seed", args.value, 0, INT64_MAX, rq.seed)) return kExitUsage;
        } else if (args.flag("--json")) {
            json = true;
        } else if (args.flag("--verbose", "-v")) {
            verbose = true;
        } else if (!path && args.current()[0] != '-') {
            path = args.argv[args.i++];
        } else if (!args.bad) {
            args.unknown();
        }
    }
    if (args.bad) return kExitUsage;
    if (!path) {
        complain("write needs a FILE");
        return kExitUsage;
    }
    const long long per_kind = rq.solutions + rq.puzzles + rq.games;
    if (4 * per_kind > static_cast<long long>(kAlbumMaxRecords)) {
        complain("--solutions + --puzzles + --games: %lld records of each of the four kinds would not fit the %zu "
                 "an album file holds",
                 per_kind, kAlbumMaxRecords);
        return kExitUsage;
    }
    locate_group_maps();
    if (!verbose) silence_engine_stderr();
    const bool terminal = isatty(fileno(g_ctx.err));
    const double start = now_ms();

    // Each kind is made on its own thread (or all in turn) from its own seed, so jobs change nothing.
    Album kinds[4];
    const int n_threads = static_cast<int>(rq.jobs < 4 ? rq.jobs : 4);
    std::vector<std::thread> threads;
    for (int t = 0; t < n_threads; ++t)
        threads.emplace_back([&, t] {
            for (int kind = t; kind < 4; kind += n_threads) make_kind(rq, kind, kinds[kind]);
        });
    for (auto& t : threads) t.join();

    Album album;
    bool short_of_stock = false;
    for (int kind = 0; kind < 4; ++kind) {
        const Album& k = kinds[kind];
        album.solutions.insert(album.solutions.end(), k.solutions.begin(), k.solutions.end());
        album.puzzles.insert(album.puzzles.end(), k.puzzles.begin(), k.puzzles.end());
        album.games.insert(album.games.end(), k.games.begin(), k.games.end());
        short_of_stock |= static_cast<long long>(k.solutions.size()) < rq.solutions ||
                          static_cast<long long>(k.puzzles.size()) < rq.puzzles ||
                          static_cast<long long>(k.games.size()) < rq.games;
        if (!json)
            std::printf("%s: %zu solutions, %zu puzzles, %zu games\n", kKindNames[kind], k.solutions.size(),
                        k.puzzles.size(), k.games.size());
    }
    const std::vector<unsigned char> blob = album_blob(album);
    if (!write_album_file(path, blob)) return kExitFail;
    if (json)
        std::printf("{\"file\":%s,\"solutions\":%zu,\"puzzles\":%zu,\"games\":%zu,\"bytes\":%zu}\n",
                    json_string(path).c_str(), album.solutions.size(), album.puzzles.size(), album.games.size(),
                    blob.size());
    else
        std::printf("%s: %zu solutions, %zu puzzles, %zu games, %zu bytes before compression\n", path,
                    album.solutions.size(), album.puzzles.size(), album.games.size(), blob.size());
    if (terminal) std::fprintf(g_ctx.err, "album written in %.1f s\n", (now_ms() - start) / 1000.0);
    // A kind that came up short (harvests that reached too few buckets) is written all the same.
    if (short_of_stock) complain("%s: some kinds hold fewer records than asked for", path);
    return kExitOk;
}

const char* const kSectionNames[3] = {"solution", "puzzle", "game"};

int album_list(Args& args) {
    const char* path = nullptr;
    bool json = false;
    while (!args.done() && !args.bad) {
        if (args.flag("--help", "-h")) {
            std::fputs(kAlbumHelp, stdout);
            return kExitOk;
        } else if (args.flag("--json")) {
            json = true;
        } else if (!path && args.current()[0] != '-') {
            path = args.argv[args.i++];
        } else if (!args.bad) {
            args.unknown();
        }
    }
    if (args.bad) return kExitUsage;
    if (!path) {
        complain("list needs a FILE");
        return kExitUsage;
    }
    std::vector<unsigned char> blob;
    unsigned counts[3];
    if (!read_album_file(path, blob, counts)) return kExitFail;
    if (!json) std::printf("%s: %u solutions, %u puzzles, %u games\n", path, counts[0], counts[1], counts[2]);
    SudokuHandle* h = sudoku_new();
    size_t offset = kAlbumHeaderSize;
    for (int s = 0; s < 3; ++s) {
        // The engine serves only the game section: each section is handed to it as the games of an
        // album of its own, so every record is read back through the same calls a game would be.
        std::vector<unsigned char> part(kAlbumHeaderSize, 0);
        std::snprintf(reinterpret_cast<char*>(part.data()), kAlbumHeaderSize, "SQD0.002%4d%4d%4u", 0, 0, counts[s]);
        part.insert(part.end(), blob.begin() + static_cast<long>(offset),
                    blob.begin() + static_cast<long>(offset + counts[s] * kRecordSize));
        offset += counts[s] * kRecordSize;
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
                std::string line = "{\"section\":" + json_string(kSectionNames[s]) + ",\"index\":" +
                                   std::to_string(i) + ",\"map\":" + json_string(m.map_kind ? "jigsaw" : "square") +
                                   ",\"adjacency\":" + json_string(m.adjacency ? "x" : "regular") +
                                   ",\"quality\":" + std::to_string(quality) + ",\"clue_count\":" +
                                   std::to_string(n_clues) + ",\"clues\":" + json_string(digits_string(m.clues).c_str()) +
                                   ",\"groups\":" + json_string(groups_string(m.groups).c_str()) +
                                   ",\"solution\":" + json_string(digits_string(m.solution).c_str());
                if (rated) line += ",\"label\":" + json_string(info.label);
                std::printf("%s}\n", line.c_str());
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

int cmd_album(Args& args) {
    if (args.flag("--help", "-h")) {
        std::fputs(kAlbumHelp, stdout);
        return kExitOk;
    }
    if (args.done()) {
        complain("needs 'write FILE' or 'list FILE' (see --help)");
        return kExitUsage;
    }
    if (args.flag("write")) return album_write(args);
    if (args.flag("list")) return album_list(args);
    complain("unknown action '%s' (use write or list)", args.current());
    return kExitUsage;
}

}  // namespace cli
