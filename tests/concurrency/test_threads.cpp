// Every kind of engine call on its own thread, all at once: generation with cancels arriving from
// another thread, solutions on jigsaw maps while the map directory changes (and goes missing),
// classification under and without a time limit, harvests, and picture reading. Built under
// ThreadSanitizer, any data race ends the run with a report; otherwise it prints what it did.
// Usage: concurrency_test MAP_DIR [SECONDS]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ffi/quorvel.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> g_stop{false};
std::atomic<SudokuHandle*> g_generating{nullptr};

struct Counter {
    const char* name;
    std::atomic<long> calls{0};
};

Counter generations{"generate"}, cancels{"cancel"}, solutions{"jigsaw solution"}, dir_changes{"map directory change"},
    classifications{"classify"}, counts{"count (many solutions)"}, harvests{"harvest"}, pictures{"picture call"};

void fail(const char* what) {
    std::fprintf(stderr, "concurrency_test: %s\n", what);
    std::exit(1);
}

void digits(const char* text, int* out) {
    for (int k = 0; k < 81; ++k) out[k] = text[k] >= '1' && text[k] <= '9' ? text[k] - '0' : 0;
}

// Puzzles of several qualities on one handle, which the canceller stops now and then.
void generate_with_cancels() {
    SudokuHandle* h = sudoku_new();
    for (int i = 0; !g_stop; ++i) {
        g_generating = h;
        sudoku_generate(h, i % 2, (i / 2) % 2, i % 4, 0);
        g_generating = nullptr;
        ++generations.calls;
    }
    sudoku_free(h);
}

void cancel_now_and_then() {
    while (!g_stop) {
        if (SudokuHandle* h = g_generating.load()) {
            sudoku_cancel(h);
            ++cancels.calls;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
}

// Jigsaw solutions read the map directory that the next thread keeps changing.
void jigsaw_solutions() {
    SudokuHandle* h = sudoku_new();
    while (!g_stop) {
        if (!sudoku_generate_solution(h, 1, 1)) fail("a jigsaw solution failed");
        ++solutions.calls;
    }
    sudoku_free(h);
}

void change_map_dir(const std::string& dir) {
    for (int i = 0; !g_stop; ++i) {
        // The real directory, none at all (the one-time warning), and one without map files.
        sudoku_set_group_maps_dir(i % 3 == 0 ? dir.c_str() : i % 3 == 1 ? nullptr : "/nonexistent/maps");
        ++dir_changes.calls;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    sudoku_set_group_maps_dir(dir.c_str());
}

void classify(bool with_limit) {
    if (with_limit) sudoku_set_classify_time_limit(50);
    int classic[81], many[81] = {}, boxes[81];
    digits("53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79", classic);
    many[0] = 1;
    for (int k = 0; k < 81; ++k) boxes[k] = (k / 27) * 3 + (k % 9) / 3;
    ClassifyInfo info;
    while (!g_stop) {
        if (sudoku_classify_clues(classic, boxes, 0, 0, &info) != 1 || !info.unique) fail("classic not unique");
        ++classifications.calls;
        const int r = sudoku_classify_clues(many, boxes, 0, 1, &info);
        if (r == 1 && info.unique) fail("a one-clue grid came out unique");
        ++counts.calls;
    }
}

void harvest() {
    int out[81];
    for (int seed = 1; !g_stop; ++seed) {
        const int buckets = sudoku_generate_harvest(nullptr, seed % 2, 0, 20000, 2000, seed);
        sudoku_harvest_solution(out);
        for (int b = 0; b < 10; ++b)
            if (buckets >> b & 1) sudoku_harvest_clues(b, out);
        ++harvests.calls;
    }
}

void read_pictures() {
    // A plain drawn grid, 190 x 190 grey: thick lines every third cell.
    const int side = 190;
    std::vector<unsigned char> px(side * side, 255);
    for (int i = 0; i <= 9; ++i) {
        const int at = 5 + i * 20, width = i % 3 == 0 ? 3 : 1;
        for (int t = 0; t < width; ++t)
            for (int j = 5; j <= 185; ++j) {
                px[(at + t) * side + j] = 0;
                px[j * side + at + t] = 0;
            }
    }
    int out[81];
    while (!g_stop) {
        sudoku_ocr_locate(px.data(), side, side, 1, out);
        sudoku_ocr_regions(px.data(), side, side, 1, out);
        sudoku_ocr_detect_x(px.data(), side, side, 1);
        sudoku_ocr_recognize(px.data(), side, side, 1, out);
        pictures.calls += 4;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) fail("usage: concurrency_test MAP_DIR [SECONDS]");
    const std::string dir = argv[1];
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    unsetenv("SUDOKU_GROUP_MAPS_DIR");
    sudoku_set_group_maps_dir(dir.c_str());
    const auto t0 = Clock::now();
    std::vector<std::thread> threads;
    threads.emplace_back(generate_with_cancels);
    threads.emplace_back(cancel_now_and_then);
    threads.emplace_back(jigsaw_solutions);
    threads.emplace_back(jigsaw_solutions);
    threads.emplace_back(change_map_dir, dir);
    threads.emplace_back(classify, false);
    threads.emplace_back(classify, true);
    threads.emplace_back(harvest);
    threads.emplace_back(read_pictures);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    g_stop = true;
    for (std::thread& t : threads) t.join();
    const double took = std::chrono::duration<double>(Clock::now() - t0).count();
    long total = 0;
    std::printf("concurrency_test: %zu threads for %.1f s\n", threads.size(), took);
    for (const Counter* c : {&generations, &cancels, &solutions, &dir_changes, &classifications, &counts, &harvests,
                             &pictures}) {
        std::printf("  %-24s %ld calls\n", c->name, c->calls.load());
        total += c->calls;
    }
    std::printf("  %-24s %ld calls\n", "total", total);
    for (const Counter* c : {&generations, &solutions, &classifications, &harvests, &pictures})
        if (c->calls == 0) fail("a thread made no call");
    return 0;
}
