// The stock of ready puzzles kept on disk as album files, refilled in the background.
#include "stock.h"
#include "translate.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "album.h"
#include "puzzle_line.h"  // colour_groups
#include "save_file.h"  // write_atomically, set_aside

namespace game {

namespace {

constexpr size_t kColorOffset = kCellBytes;
constexpr size_t kMapKindOffset = kCellBytes + 9 * 4;
constexpr size_t kAdjacencyOffset = kMapKindOffset + 4;
constexpr size_t kQualityOffset = kAdjacencyOffset + 4;
static_assert(kQualityOffset + 4 == kRecordBytes);

// Harvest bounds: each classification's exact search, and making the solution. A harvest then takes
// a few hundred milliseconds at most, which is what bounds stop_refill.
constexpr int kHarvestNodeLimit = 100000;
constexpr int kHarvestDeadlineMs = 500;
// The targeted search's slice: short enough that a cancel is seen within about half a second.
constexpr long kSearchSliceMs = 400;
constexpr int kSearchNodeLimit = 100000;
constexpr int kSearchDeadlineMs = 300;
// How long a take() counts as a recent wish of the player when the refill picks a kind.
constexpr auto kRecentWish = std::chrono::minutes(15);

const char* const kKindWords[4] = {"square regular", "square x", "jigsaw regular", "jigsaw x"};

bool valid_choice(int map_kind, int adjacency, int bucket) {
    return (map_kind == 0 || map_kind == 1) && (adjacency == 0 || adjacency == 1) && bucket >= 0 &&
           bucket <= 9;
}

bool are_boxes(const int groups[81]) {
    for (int k = 0; k < 81; ++k)
        if (groups[k] != (k / 27) * 3 + (k % 9) / 3) return false;
    return true;
}

// Nine group colours as the engine's own maps have them: alternating on the boxes; on a jigsaw map
// four colours with no two groups that share an edge alike. False for groups outside 0..8.
bool colour_groups(const int groups[81], int colors[9]) {
    if (std::any_of(groups, groups + 81, [](int g) { return g < 0 || g > 8; })) return false;
    if (are_boxes(groups)) {
        for (int g = 0; g < 9; ++g) colors[g] = g % 2 == 0 ? 1 : 0;
        return true;
    }
    if (!frontend::colour_groups(groups, colors))  // not a map drawn in the plane; any colours will do
        for (int g = 0; g < 9; ++g) colors[g] = g % 4;
    return true;
}

// What a stored record holds once loaded into a handle: its clue count and whether its groups are
// the 3x3 boxes.
struct RecordFacts {
    int clues = 0;
    bool boxes = false;
};

RecordFacts inspect(const frontend::Engine& e, SudokuHandle* h, const GameRecord& r) {
    e.sudoku_set_puzzle_bytes(h, r.bytes);
    e.sudoku_setup_loaded(h, r.map_kind(), r.adjacency());
    RecordFacts f;
    int groups[81];
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo cell;
        e.sudoku_get_cell(h, k, &cell);
        f.clues += cell.status != 0;
        groups[k] = cell.group;
    }
    f.boxes = are_boxes(groups);
    return f;
}

// A playable puzzle of the kind its words name: some clues and some open cells (a solution record
// has no clue), and groups that agree with the map kind (a jigsaw request that found no map files
// falls back to the boxes, and such a game is no jigsaw).
bool is_puzzle_of_its_kind(const RecordFacts& f, const GameRecord& r) {
    return f.clues > 0 && f.clues < 81 && f.boxes == (r.map_kind() == 0);
}

// The record of a puzzle given by clues, solution and groups, filed under `bucket`. False when the
// engine refuses the grids.
bool make_record(const frontend::Engine& e, SudokuHandle* h, int map_kind, int adjacency, int bucket,
                 const int clues[81], const int solution[81], const int groups[81], const int colors[9],
                 GameRecord& out) {
    if (!e.sudoku_build_from_clues(h, map_kind, adjacency, bucket, clues, solution, groups, colors))
        return false;
    std::memset(out.bytes, 0, sizeof out.bytes);
    e.sudoku_get_puzzle_bytes(h, out.bytes);
    int32_t words[12];
    e.sudoku_get_color_map(h, words);
    words[9] = map_kind;
    words[10] = adjacency;
    words[11] = bucket;
    std::memcpy(out.bytes + kColorOffset, words, sizeof words);
    return true;
}

// Reads an album file as the engine's reader would (one zlib stream of at most kAlbumInflatedLimit
// bytes, nothing after it) and has the engine check the blob. The counts of its three sections go
// to `counts`. False with the reason in `why`.
bool read_album(const frontend::Engine& e, const std::string& path, std::vector<unsigned char>& blob,
                unsigned counts[3], std::string& why) {
    frontend::AlbumFile file;
    if (!frontend::read_album_file(path, {e.sudoku_queue_load, e.sudoku_queue_free}, file, why)) return false;
    if (file.trailing) {
        why = path + ": bytes after the album";
        return false;
    }
    blob = std::move(file.blob);
    std::memcpy(counts, file.counts, sizeof file.counts);
    return true;
}

// The album blob of one kind's puzzles, all in the puzzle section.
std::vector<unsigned char> album_blob(const std::vector<const GameRecord*>& records) {
    frontend::AlbumSections sections;
    for (const GameRecord* r : records) sections[1].push_back(r->bytes);
    std::vector<unsigned char> blob;
    frontend::album_blob(sections, blob);
    return blob;
}

}  // namespace

Stock::Stock(const frontend::Engine& engine, std::string dir) : engine_(engine), dir_(std::move(dir)) {}

Stock::~Stock() {
    stop_refill();
}

std::string Stock::file_name(int map_kind, int adjacency) {
    return std::string(map_kind == 1 ? "jigsaw" : "square") + (adjacency == 1 ? "-x" : "-regular") + ".album";
}

bool Stock::open(std::string& message) {
    message.clear();
    std::error_code ec;
    std::filesystem::create_directories(dir_, ec);
    if (!std::filesystem::is_directory(dir_, ec) || ::access(dir_.c_str(), W_OK | X_OK) != 0) {
        message = _("The puzzle stock folder ") + dir_ + _(" cannot be created or written.");
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        for (auto& by_adjacency : stock_)
            for (auto& by_bucket : by_adjacency)
                for (auto& records : by_bucket) records.clear();
        write_error_.clear();
    }
    // One sentence per event: the first start, each kind set aside, a starter album that failed.
    std::vector<std::string> notes;
    auto note = [&](const std::string& sentence) {
        if (std::find(notes.begin(), notes.end(), sentence) == notes.end()) notes.push_back(sentence);
    };
    for (int kind = 0; kind < 4; ++kind) {
        const int map_kind = kind / 2, adjacency = kind % 2;
        const std::string path = dir_ + "/" + file_name(map_kind, adjacency);
        std::remove((path + ".tmp").c_str());  // left by a write that never finished; the file is whole
        std::string starter_failure;
        if (::access(path.c_str(), F_OK) != 0) {
            if (seed_kind(map_kind, adjacency, starter_failure))
                note(_("The puzzle stock was started from the starter puzzles."));
            else
                note(starter_failure);
            continue;
        }
        std::string why;
        if (load_kind(map_kind, adjacency, why)) continue;
        const std::string aside = set_aside(path);  // when even that fails, the reseed overwrites it
        const bool reseeded = seed_kind(map_kind, adjacency, starter_failure);
        note(std::string(_("The stock of ")) + kKindWords[kind] + _(" puzzles was damaged (") + why + ")" +
             (aside.empty() ? ""
                            : _("; it was set aside as ") + std::filesystem::path(aside).filename().string()) +
             (reseeded ? _(" and started again from the starter puzzles.") : "."));
        if (!reseeded) note(starter_failure);
    }
    const std::string failed_write = write_error();
    if (!failed_write.empty()) note(_("The puzzle stock could not be saved (") + failed_write + ").");
    for (const std::string& n : notes) message += (message.empty() ? "" : " ") + n;
    return true;
}

bool Stock::load_kind(int map_kind, int adjacency, std::string& why) {
    std::vector<unsigned char> blob;
    unsigned counts[3];
    if (!read_album(engine_, dir_ + "/" + file_name(map_kind, adjacency), blob, counts, why)) return false;
    // The stock writes its puzzles in the puzzle section only; anything else is some other album.
    if (counts[0] != 0 || counts[2] != 0) {
        why = "not an album of the stock";
        return false;
    }
    std::vector<GameRecord> by_bucket[10];
    SudokuHandle* h = engine_.sudoku_new();
    bool fits = h != nullptr;
    for (unsigned i = 0; i < counts[1] && fits; ++i) {
        GameRecord r;
        std::memcpy(r.bytes, frontend::album_record(blob, i), kRecordBytes);
        fits = r.map_kind() == map_kind && r.adjacency() == adjacency &&
               is_puzzle_of_its_kind(inspect(engine_, h, r), r);
        if (fits) by_bucket[r.quality()].push_back(r);  // the engine has checked quality is 0..9
    }
    engine_.sudoku_free(h);
    if (!fits) {
        why = "holds records that are not puzzles of its kind";
        return false;
    }
    std::lock_guard lock(mutex_);
    for (int b = 0; b < 10; ++b) stock_[map_kind][adjacency][b] = std::move(by_bucket[b]);
    return true;
}

bool Stock::seed_kind(int map_kind, int adjacency, std::string& message) {
    const std::string path = engine_.maps_dir + "/starter.z";
    std::vector<unsigned char> blob;
    unsigned counts[3];
    std::string why;
    if (!read_album(engine_, path, blob, counts, why)) {
        message = _("The starter puzzles could not be read (") + why + _("); new ones will be made.");
        return false;
    }
    std::vector<GameRecord> by_bucket[10];
    SudokuHandle* h = engine_.sudoku_new();
    if (!h) {
        message = _("The puzzle engine could not start; new puzzles will be made.");
        return false;
    }
    // Solutions come first and are never puzzles; then puzzles filed by bucket; then the generator's
    // games, whose quality is a generator difficulty, so they are classified to find their bucket.
    for (unsigned i = counts[0]; i < counts[0] + counts[1] + counts[2]; ++i) {
        GameRecord r;
        std::memcpy(r.bytes, frontend::album_record(blob, i), kRecordBytes);
        if (r.map_kind() != map_kind || r.adjacency() != adjacency) continue;
        if (!is_puzzle_of_its_kind(inspect(engine_, h, r), r)) continue;
        if (i >= counts[0] + counts[1]) {
            ClassifyInfo info;
            if (!engine_.sudoku_classify_handle(h, map_kind, adjacency, &info) || !info.unique ||
                info.bucket < 0 || info.bucket > 9)
                continue;
            const int32_t bucket = info.bucket;  // the quality word becomes the bucket it is filed under
            std::memcpy(r.bytes + kQualityOffset, &bucket, sizeof bucket);
        }
        if (static_cast<int>(by_bucket[r.quality()].size()) < kMaxPerBucket)
            by_bucket[r.quality()].push_back(r);
    }
    engine_.sudoku_free(h);
    {
        std::lock_guard lock(mutex_);
        for (int b = 0; b < 10; ++b) stock_[map_kind][adjacency][b] = std::move(by_bucket[b]);
    }
    persist(map_kind, adjacency);
    return true;
}

bool Stock::persist(int map_kind, int adjacency) {
    // Holding the kind's write lock while taking the snapshot keeps the writes in the order of the
    // states they save: a later write always saves a later state.
    std::lock_guard write_lock(write_mutex_[map_kind * 2 + adjacency]);
    std::vector<unsigned char> blob;
    {
        std::lock_guard lock(mutex_);
        std::vector<const GameRecord*> records;
        for (const auto& bucket : stock_[map_kind][adjacency])
            for (const GameRecord& r : bucket) records.push_back(&r);
        blob = album_blob(records);
    }
    std::vector<unsigned char> packed;
    std::string why;
    // The fastest level: a take() waits for this write, and the files stay small all the same.
    if (!frontend::compress_album(blob, 1, packed)) {
        why = "compression failed";
    } else {
        if (write_atomically(dir_ + "/" + file_name(map_kind, adjacency), packed, why)) return true;
    }
    std::lock_guard lock(mutex_);
    write_error_ = why;
    return false;
}

int Stock::count(int map_kind, int adjacency, int bucket) const {
    if (!valid_choice(map_kind, adjacency, bucket)) return 0;
    std::lock_guard lock(mutex_);
    return static_cast<int>(stock_[map_kind][adjacency][bucket].size());
}

bool Stock::take(int map_kind, int adjacency, int bucket, GameRecord& out) {
    if (!valid_choice(map_kind, adjacency, bucket)) return false;
    {
        std::lock_guard lock(mutex_);
        auto& records = stock_[map_kind][adjacency][bucket];
        last_asked_[map_kind][adjacency][bucket] = Clock::now();
        if (records.empty()) {
            starved_[map_kind][adjacency][bucket] = true;
            wake_.notify_all();
            return false;
        }
        out = records.front();
        records.erase(records.begin());
        wake_.notify_all();
    }
    // A failed write is kept for write_error(); the player still gets the puzzle.
    persist(map_kind, adjacency);
    return true;
}

int Stock::wanted(int map_kind, int adjacency, int bucket) const {
    if (!valid_choice(map_kind, adjacency, bucket)) return 0;
    return std::min(engine_.sudoku_desired_queue_depth(map_kind, adjacency, bucket), kMaxPerBucket);
}

Stock::RefillStats Stock::refill_stats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

std::string Stock::write_error() const {
    std::lock_guard lock(mutex_);
    return write_error_;
}

void Stock::start_refill() {
    std::lock_guard thread_lock(thread_mutex_);
    if (!refill_.empty()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    // Harvests are independent (each thread has its own handle and harvest record), so a second
    // core simply doubles the rate; a take() still only waits for the stock's own lock.
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 2u);
    for (unsigned i = 0; i < workers; ++i) refill_.emplace_back([this] { refill_loop(); });
}

void Stock::stop_refill() {
    std::lock_guard thread_lock(thread_mutex_);
    if (refill_.empty()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wake_.notify_all();
    }
    for (std::thread& t : refill_) t.join();
    refill_.clear();
}

int Stock::pick_kind(Clock::time_point now) const {
    int best = -1;
    long best_score = 0;
    for (int kind = 0; kind < 4; ++kind) {
        const int m = kind / 2, a = kind % 2;
        if (jigsaw_unavailable_ && m == 1) continue;
        long score = 0;
        for (int b = 0; b < 10; ++b) {
            const long deficit = wanted(m, a, b) - static_cast<long>(stock_[m][a][b].size());
            if (deficit <= 0) continue;
            const bool recent =
                last_asked_[m][a][b] != Clock::time_point{} && now - last_asked_[m][a][b] < kRecentWish;
            score += deficit * (1 + (recent ? 10 : 0) + (starved_[m][a][b] ? 1000 : 0));
        }
        if (score > best_score) {
            best_score = score;
            best = kind;
        }
    }
    return best;
}

void Stock::refill_loop() {
    // The refill is background work: it yields the processor to the game (this thread only).
    setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
    SudokuHandle* h = engine_.sudoku_new();
    if (!h) return;
    for (;;) {
        int kind;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || pick_kind(Clock::now()) >= 0; });
            if (stopping_) break;
            kind = pick_kind(Clock::now());
        }
        const auto start = Clock::now();
        const int added = refill_once(h, kind);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (added > 0) persist(kind / 2, kind % 2);
        std::lock_guard lock(mutex_);
        ++stats_.harvests;
        stats_.seconds += seconds;
    }
    engine_.sudoku_free(h);
}

int Stock::refill_once(SudokuHandle* h, int kind) {
    const int map_kind = kind / 2, adjacency = kind % 2;
    static thread_local std::mt19937 draw{std::random_device{}()};
    const int dig_seed = static_cast<int>(draw() % 2147483646U) + 1;  // 0 would repeat the dig order
    const int mask = engine_.sudoku_generate_harvest(nullptr, map_kind, adjacency, kHarvestNodeLimit,
                                                     kHarvestDeadlineMs, dig_seed);
    if (!mask) return 0;
    int solution[81], groups[81], colors[9];
    engine_.sudoku_harvest_solution(solution);
    engine_.sudoku_harvest_groupmap(groups);
    engine_.sudoku_harvest_colormap(colors);
    if (map_kind == 1 && are_boxes(groups)) {
        // The map files are missing: every jigsaw harvest would be a square one. Stop trying.
        std::lock_guard lock(mutex_);
        jigsaw_unavailable_ = true;
        return 0;
    }
    int added = 0;
    for (int b = 0; b < 10; ++b) {
        int clues[81];
        if (!(mask >> b & 1) || count(map_kind, adjacency, b) >= wanted(map_kind, adjacency, b)) continue;
        if (engine_.sudoku_harvest_clues(b, clues) < 0) continue;
        GameRecord r;
        if (!make_record(engine_, h, map_kind, adjacency, b, clues, solution, groups, colors, r)) continue;
        std::lock_guard lock(mutex_);
        auto& records = stock_[map_kind][adjacency][b];
        if (static_cast<int>(records.size()) >= wanted(map_kind, adjacency, b)) continue;
        records.push_back(r);
        starved_[map_kind][adjacency][b] = false;
        ++stats_.added[map_kind][adjacency][b];
        ++added;
    }
    return added;
}

bool search_puzzle(const frontend::Engine& e, int map_kind, int adjacency, int bucket,
                   const std::atomic<bool>& cancel,
                   const std::function<void(double, const std::string&)>& progress, long max_ms,
                   GameRecord& out) {
    if (!valid_choice(map_kind, adjacency, bucket)) return false;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed_ms = [&] {
        return static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count());
    };
    std::mt19937 draw{std::random_device{}()};
    std::string name = e.gen_bucket_name(bucket) ? e.gen_bucket_name(bucket) : "";
    std::replace(name.begin(), name.end(), '_', ' ');
    for (long slice = 1; !cancel.load(); ++slice) {
        const long left = max_ms > 0 ? max_ms - elapsed_ms() : kSearchSliceMs;
        if (left <= 0) break;
        frontend::TargetParams p{};
        p.map_kind = map_kind;
        p.adjacency = adjacency;
        p.target_bucket = bucket;
        p.classify_node_limit = kSearchNodeLimit;
        p.max_attempts = 1 << 20;  // the slice's clock ends it
        p.solution_deadline_ms = kSearchDeadlineMs;
        p.time_budget_ms = std::min(left, kSearchSliceMs);
        p.seed = draw() | 1u;  // every slice digs in its own order
        const frontend::TargetResult r = e.generate_targeted(p);
        if (r.ok && r.bucket == bucket) {
            if (map_kind == 1 && are_boxes(r.groups)) return false;  // no map files: no jigsaw to be had
            int colors[9];
            SudokuHandle* h = e.sudoku_new();
            const bool made =
                h && colour_groups(r.groups, colors) &&
                make_record(e, h, map_kind, adjacency, bucket, r.clues, r.solution, r.groups, colors, out);
            e.sudoku_free(h);
            if (made) return true;
        }
        if (progress) {
            // How long a bucket takes to find cannot be told in advance: no fraction, only the effort so far.
            progress(-1.0, "Looking for a " + name + " puzzle: " + std::to_string(slice) +
                               (slice == 1 ? " round, " : " rounds, ") + std::to_string(elapsed_ms() / 1000) +
                               " s");
        }
    }
    return false;
}

}  // namespace game
