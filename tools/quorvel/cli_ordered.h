// Work on several threads with results handed back in index order: the runner behind the commands
// whose output must not depend on --jobs.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "cli.h"

namespace cli {

// Runs `work(index, handle)` for every index 0..count-1 on `threads` threads, each with a handle of
// its own. The calling thread hands each result to `emit(index, result)` in index order as soon as
// its turn comes, and calls `progress(done, seconds)` at most four times a second.
template <typename Result, typename Work, typename Emit, typename Progress>
void run_ordered(long long count, long long threads, Work work, Emit emit, Progress progress) {
    std::vector<std::optional<Result>> slots(static_cast<size_t>(count));
    std::mutex lock;
    std::condition_variable filled;
    std::atomic<long long> next{0}, done{0};
    auto worker = [&]() {
        SudokuHandle* h = sudoku_new();
        for (long long i; (i = next.fetch_add(1)) < count;) {
            Result r = work(i, h);
            done.fetch_add(1);
            std::lock_guard<std::mutex> g(lock);
            slots[static_cast<size_t>(i)] = std::move(r);
            filled.notify_all();
        }
        sudoku_free(h);
    };
    const double start = now_ms();
    std::vector<std::thread> pool;
    for (long long t = 0; t < (threads < count ? threads : count); ++t) pool.emplace_back(worker);
    double last_progress = 0;
    for (long long turn = 0; turn < count;) {
        std::unique_lock<std::mutex> g(lock);
        filled.wait_for(g, std::chrono::milliseconds(200), [&] { return slots[static_cast<size_t>(turn)].has_value(); });
        for (; turn < count && slots[static_cast<size_t>(turn)]; ++turn) {
            emit(turn, *slots[static_cast<size_t>(turn)]);
            slots[static_cast<size_t>(turn)].reset();
        }
        g.unlock();
        std::fflush(stdout);
        const double t = now_ms();
        if (t - last_progress > 250) {
            last_progress = t;
            progress(done.load(), (t - start) / 1000.0);
        }
    }
    for (auto& t : pool) t.join();
}

}  // namespace cli
