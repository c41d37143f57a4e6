// The stock of ready puzzles kept on disk as album files, refilled in the background.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "album.h"
#include "engine.h"
#include "record.h"  // GameRecord: a record in the album form, its quality word the bucket here

namespace game {

using frontend::kAlbumHeaderBytes;
using frontend::kAlbumMaxRecords;
// The most puzzles one choice may hold, so that the ten buckets of a kind always fit one album file.
constexpr int kMaxPerBucket = static_cast<int>(kAlbumMaxRecords / 10);

// The puzzles ready to play, per kind (map kind 0 square / 1 jigsaw, adjacency 0 regular / 1 x) and
// difficulty bucket 0..9: one album file per kind in `dir`, every change written through at once.
// All members may be called from any thread; open() comes before the others.
class Stock {
  public:
    // Figures of the background refill since the stock was made.
    struct RefillStats {
        long harvests = 0;          // harvests run
        long added[2][2][10] = {};  // puzzles added, by map kind, adjacency and bucket
        double seconds = 0;         // time spent harvesting and filing, summed over the threads
    };

    // `dir` (e.g. $XDG_DATA_HOME/quadrillo/stock) is created by open() when missing; `engine` must
    // outlive the stock.
    Stock(const frontend::Engine& engine, std::string dir);
    // Stops the refill thread and waits for it.
    ~Stock();
    Stock(const Stock&) = delete;
    Stock& operator=(const Stock&) = delete;

    // Reads the four stock files. A kind without a file (the first start) is seeded from the starter
    // album beside the map files; a file that cannot be read as an album of its kind is set aside
    // (renamed "<file>.damaged-<time>") and its kind seeded afresh. `message` gets a sentence for each such
    // event (empty when there was none). False, with the reason, when the folder cannot be made.
    bool open(std::string& message);
    // How many puzzles the choice holds; 0 for a choice outside the 40.
    int count(int map_kind, int adjacency, int bucket) const;
    // Takes the oldest puzzle of the choice into `out` and writes the shrunken kind file at once, so
    // the puzzle is not handed out again after a restart. False when the choice is empty (which
    // moves it to the front of the refill) or outside the 40.
    bool take(int map_kind, int adjacency, int bucket, GameRecord& out);
    // How many puzzles the choice should hold: the engine's desired depth, at most kMaxPerBucket.
    int wanted(int map_kind, int adjacency, int bucket) const;
    // Starts the background threads that refill short choices with harvests, one per processor
    // core up to two; no-op when running.
    void start_refill();
    // Stops the refill threads; returns once the harvests under way (bounded, well under a second
    // on a desktop) have ended.
    void stop_refill();
    // The refill's figures so far.
    RefillStats refill_stats() const;
    // The last failure to write a kind file (empty when every write succeeded).
    std::string write_error() const;
    // The file name of a kind's album inside the stock folder, e.g. "square-regular.album".
    static std::string file_name(int map_kind, int adjacency);

  private:
    using Clock = std::chrono::steady_clock;

    bool load_kind(int map_kind, int adjacency, std::string& why);
    bool seed_kind(int map_kind, int adjacency, std::string& message);
    bool persist(int map_kind, int adjacency);
    int pick_kind(Clock::time_point now) const;  // call with mutex_ held; -1 when all kinds are full
    void refill_loop();
    int refill_once(SudokuHandle* h, int kind);

    const frontend::Engine& engine_;
    const std::string dir_;

    mutable std::mutex mutex_;  // guards everything below up to the thread
    std::vector<GameRecord> stock_[2][2][10];
    bool starved_[2][2][10] = {};                  // asked for while empty, not refilled since
    Clock::time_point last_asked_[2][2][10] = {};  // the last take() of the choice
    RefillStats stats_;
    std::string write_error_;
    bool jigsaw_unavailable_ = false;  // a jigsaw harvest came back on the boxes: no map files
    bool stopping_ = false;
    std::condition_variable wake_;  // a take() or stop_refill() for the refill thread

    std::mutex write_mutex_[4];  // one writer per kind file at a time, in snapshot order
    std::mutex thread_mutex_;    // serialises start_refill and stop_refill
    std::vector<std::thread> refill_;
};

// A targeted search for one puzzle of the choice, for when it is empty: the engine's search for one
// bucket in slices of a few hundred milliseconds, so that `cancel` is honoured within about half a
// second. `progress` (may be empty) is called from the searching thread after each fruitless slice
// with -1 (how long a search takes is unknown) and a short text on the effort so far. True with
// `out` filled on success; false when cancelled, after `max_ms` (<= 0: no limit), for a choice
// outside the 40, or for a jigsaw when the engine has no map files.
bool search_puzzle(const frontend::Engine& engine, int map_kind, int adjacency, int bucket,
                   const std::atomic<bool>& cancel,
                   const std::function<void(double, const std::string&)>& progress, long max_ms,
                   GameRecord& out);

}  // namespace game
