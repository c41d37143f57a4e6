// Worker threads for imports and searches. Each holds its job by shared pointer, so a job the
// window has given up on finishes harmlessly on its own.
#include "jobs.h"

#include <chrono>
#include <thread>

#include "stock.h"
#include "translate.h"

namespace ui {

std::shared_ptr<Job> start_import(const frontend::Engine& engine, const frontend::PuzzleLine& line, int adjacency) {
    auto job = std::make_shared<Job>();
    std::thread([job, &engine, line, adjacency] {
        job->import = game::import_puzzle(engine, line, adjacency);
        job->ok = job->import.verdict == game::Verdict::Unique;
        job->why = job->import.why;
        job->done = true;
    }).detach();
    return job;
}

std::shared_ptr<Job> start_picture_import(const frontend::Engine& engine, std::vector<unsigned char> pixels, int w,
                                          int h, int bpp) {
    auto job = std::make_shared<Job>();
    std::thread([job, &engine, pixels = std::move(pixels), w, h, bpp] {
        const auto t0 = std::chrono::steady_clock::now();
        frontend::PuzzleLine& line = job->line;
        int regions[81];
        int digits = 0;
        if (engine.sudoku_ocr_recognize(pixels.data(), w, h, bpp, line.clues))
            for (int k = 0; k < 81; ++k) digits += line.clues[k] != 0;
        frontend::square_groups(line.groups);
        // A reading with exactly one solution on the plain rules is taken as a plain puzzle (the
        // player can still tick jigsaw or x in the editor); only other readings pay for looking at
        // the picture's drawn regions and diagonals.
        int solution[81], count = 0;
        const bool plain = digits > 0 && game::solve_clues(line.clues, line.groups, 0, solution, &count) && count == 1;
        if (digits > 0 && !plain && engine.sudoku_ocr_regions(pixels.data(), w, h, bpp, regions)) {
            std::copy(regions, regions + 81, line.groups);
            line.has_groups = true;
        }
        job->adjacency = digits > 0 && !plain && engine.sudoku_ocr_detect_x(pixels.data(), w, h, bpp) ? 1 : 0;
        job->ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        job->ok = digits > 0;
        if (!job->ok) job->why = _("no puzzle could be read in the picture");
        job->done = true;
    }).detach();
    return job;
}

std::shared_ptr<Job> start_hint(const frontend::Engine& engine, const Position& position) {
    auto job = std::make_shared<Job>();
    std::thread([job, &engine, position] {
        job->ok = engine.sudoku_next_step(position.givens, position.answers, position.marks, position.groups,
                                          position.map_kind, position.adjacency, 0, &job->step);
        job->done = true;
    }).detach();
    return job;
}

std::shared_ptr<Job> start_classify(const frontend::Engine& engine, const Position& position) {
    auto job = std::make_shared<Job>();
    std::thread([job, &engine, position] {
        job->ok = engine.sudoku_classify_clues(position.givens, position.groups, position.map_kind, position.adjacency,
                                               &job->info);
        job->done = true;
    }).detach();
    return job;
}

std::shared_ptr<Job> start_search(const frontend::Engine& engine, int map_kind, int adjacency, int bucket) {
    auto job = std::make_shared<Job>();
    std::thread([job, &engine, map_kind, adjacency, bucket] {
        auto progress = [job](double fraction, const std::string& text) {
            std::lock_guard<std::mutex> lock(job->mutex);
            job->fraction = fraction;
            job->progress_text = text;
        };
        job->ok = game::search_puzzle(engine, map_kind, adjacency, bucket, job->cancel, progress, 30L * 60 * 1000, job->record);
        if (!job->ok) job->why = job->cancel ? _("cancelled") : _("no puzzle of this kind was found in time");
        job->done = true;
    }).detach();
    return job;
}

}  // namespace ui
