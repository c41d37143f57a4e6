// The tries of clue removal run side by side: drawn in order, solved on spare threads, folded in order.
#include "puzzle/clue_tries.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "puzzle/clue_count.h"

namespace {

constexpr int kBlock = 256;         // tries drawn ahead and solved before their outcomes are folded
constexpr int kMaxThreads = 8;
constexpr long kRemovalSeconds = 600;  // wall-clock bound of one thinning run

// The generations running in this process: the machine's threads are shared out among them.
std::atomic<int> running{0};
std::atomic<int> thread_limit{0};

// What a try's random draw leaves in the puzzle: every cell's status and candidates, and the order
// in which clues are added back.
struct Draw {
    uint32_t status[N_CELLS];
    uint32_t elim_bits[N_CELLS];
    int8_t order[N_CELLS];  // clue_order as cell indices, -1 for none
    int32_t n_picks;
    int32_t next_added;
};

// What a try leaves behind.
struct Outcome {
    int rating;
    PUZZLE_CELL cells[N_CELLS];
    int32_t counts[N_TECHNIQUE_COUNTS];
    int32_t next_added;
};

void capture(const Puzzle& p, Draw& d) {
    for (int k = 0; k < N_CELLS; ++k) {
        d.status[k] = p.cells[k].status;
        d.elim_bits[k] = p.cells[k].elim_bits;
        d.order[k] = p.clue_order[k] ? static_cast<int8_t>(p.index_of(p.clue_order[k])) : int8_t{-1};
    }
    d.n_picks = p.n_picks;
    d.next_added = static_cast<int32_t>(p.next_added_clue - p.clue_order);
}

void apply(Puzzle& p, const Draw& d) {
    for (int k = 0; k < N_CELLS; ++k) {
        p.cells[k].status = d.status[k];
        p.cells[k].elim_bits = d.elim_bits[k];
        p.clue_order[k] = d.order[k] >= 0 ? &p.cells[d.order[k]] : nullptr;
    }
    p.clue_order_start = p.clue_order;
    p.n_picks = d.n_picks;
    p.next_added_clue = p.clue_order + d.next_added;
}

// A copy of p to run tries on: its cell pointers moved to its own cells, its own clue counter
// (whose memory of second solutions is not shared between threads), p's stop flag obeyed.
struct Helper {
    Puzzle* p = nullptr;
    std::unique_ptr<ClueCounter> counter;

    explicit Helper(const Puzzle& from) {
        p = static_cast<Puzzle*>(std::malloc(sizeof(Puzzle)));
        if (!p) std::abort();
        // Everything but the stop flags, which another thread may be setting: the copy's own stay
        // clear, and it reads the helped puzzle's through cancel_also.
        constexpr size_t flags = offsetof(Puzzle, cancelled), after = offsetof(Puzzle, deadline_ms);
        static_assert(offsetof(Puzzle, fill_stopped) < after && offsetof(Puzzle, spare_flags) < after);
        std::memcpy(static_cast<void*>(p), &from, flags);
        std::memset(reinterpret_cast<char*>(p) + flags, 0, after - flags);
        std::memcpy(reinterpret_cast<char*>(p) + after, reinterpret_cast<const char*>(&from) + after,
                    sizeof(Puzzle) - after);
        auto move = [&](PUZZLE_CELL* c) { return c ? p->cells + (c - from.cells) : nullptr; };
        for (auto& dim : p->first_in_dim)
            for (PUZZLE_CELL*& c : dim) c = move(c);
        for (PUZZLE_CELL*& c : p->ordered_cells) c = move(c);
        for (PUZZLE_CELL*& c : p->clue_order) c = move(c);
        p->clue_order_start = p->clue_order;
        p->next_added_clue = p->clue_order + (from.next_added_clue - from.clue_order);
        counter = std::make_unique<ClueCounter>(*p);
        p->kept_counter = counter.get();
        p->cancel_also = &from.cancelled;
    }
    ~Helper() { std::free(p); }  // the neighbour table belongs to the puzzle helped
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    void run(const Draw& d, Outcome& out) {
        apply(*p, d);
        p->solve_drawn_clues();
        out.rating = p->remove_clues_returning_rating(static_cast<long>(std::time(nullptr)) + kRemovalSeconds, 1);
        std::memcpy(out.cells, p->cells, sizeof out.cells);
        std::memcpy(out.counts, p->technique_counts, sizeof out.counts);
        out.next_added = static_cast<int32_t>(p->next_added_clue - p->clue_order);
    }
};

}  // namespace

namespace {

void run_tries(Puzzle& p, int tries, const std::function<bool(int)>& fold) {
    struct Running {
        Running() { running.fetch_add(1); }
        ~Running() { running.fetch_sub(1); }
    } counted;
    const int machine = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<Draw> draws(kBlock);
    std::vector<Outcome> outcomes(kBlock);
    std::vector<std::unique_ptr<Helper>> helpers;
    for (int first = 0; first < tries; first += kBlock) {
        if (p.cancel_requested()) return;
        const int n = std::min(kBlock, tries - first);
        for (int i = 0; i < n; ++i) {
            p.set_initial_clues(p.initial_clue_count());
            capture(p, draws[i]);
        }
        const int limit = thread_limit.load() > 0 ? thread_limit.load() : kMaxThreads;
        const int share = std::clamp(machine / std::max(1, running.load()), 1, std::min({limit, kMaxThreads, n}));
        while (static_cast<int>(helpers.size()) < share) helpers.push_back(std::make_unique<Helper>(p));
        std::atomic<int> next{0};
        auto work = [&](Helper& h) {
            for (int i; (i = next.fetch_add(1)) < n;) h.run(draws[i], outcomes[i]);
        };
        std::vector<std::thread> threads;
        for (int t = 1; t < share; ++t) {
            try {
                threads.emplace_back(work, std::ref(*helpers[t]));
            } catch (...) {
                break;  // no thread to spare after all: the rest runs here
            }
        }
        work(*helpers[0]);
        for (std::thread& t : threads) t.join();
        for (int i = 0; i < n; ++i) {
            const Outcome& o = outcomes[i];
            std::memcpy(p.cells, o.cells, sizeof p.cells);
            std::memcpy(p.technique_counts, o.counts, sizeof p.technique_counts);
            p.next_added_clue = p.clue_order + o.next_added;
            if (!fold(o.rating)) return;
        }
    }
}

}  // namespace

void run_clue_tries(Puzzle& p, int tries, const std::function<bool(int)>& fold) {
    // No exception leaves the engine's calls: running out of memory (or threads failing to join)
    // here ends the process, as a failed allocation does everywhere else in the engine.
    try {
        run_tries(p, tries, fold);
    } catch (...) {
        std::abort();
    }
}

void set_clue_try_threads(int n) { thread_limit.store(n > 0 ? n : 0); }
