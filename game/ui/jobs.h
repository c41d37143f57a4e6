// Work that runs off the GTK main thread: importing a puzzle (a line or a picture) and searching
// for a puzzle the stock lacks. The main thread polls a job; the job never touches GTK.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine.h"
#include "imported.h"
#include "record.h"

namespace ui {

struct Job {
    std::atomic<bool> done{false};
    std::atomic<bool> cancel{false};
    std::mutex mutex;           // guards the two fields below while the job runs
    double fraction = -1;       // progress 0..1, or -1 when unknown
    std::string progress_text;

    // Results, read once `done` is set.
    bool ok = false;
    game::Import import;        // import jobs
    game::GameRecord record{};  // search jobs
    SudokuStep step{};          // hint jobs
    frontend::PuzzleLine line;  // picture jobs: what was read
    int adjacency = 0;
    double ms = 0;              // picture jobs: how long the reading took
    ClassifyInfo info{};        // classification jobs
    std::string why;
};

// What a hint or a classification looks at: the givens, the shown answers and marks, the groups.
struct Position {
    int givens[81], answers[81], marks[81], groups[81];
    int map_kind, adjacency;
};

// Judges a puzzle line in a worker thread.
std::shared_ptr<Job> start_import(const frontend::Engine& engine, const frontend::PuzzleLine& line, int adjacency);
// Reads a picture (w x h, bpp bytes per pixel) in a worker thread: digits, drawn regions and marked
// diagonals; ok when any digit was read.
std::shared_ptr<Job> start_picture_import(const frontend::Engine& engine, std::vector<unsigned char> pixels, int w,
                                          int h, int bpp);
// The next step in a position, in a worker thread.
std::shared_ptr<Job> start_hint(const frontend::Engine& engine, const Position& position);
// The classification of a position's givens, in a worker thread.
std::shared_ptr<Job> start_classify(const frontend::Engine& engine, const Position& position);
// Searches for a puzzle of one choice in a worker thread, until found or cancelled.
std::shared_ptr<Job> start_search(const frontend::Engine& engine, int map_kind, int adjacency, int bucket);

}  // namespace ui
