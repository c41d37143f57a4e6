// The built engine, opened once per test program the way the game opens it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine.h"
#include "imported.h"

namespace testing_game {

inline const frontend::Engine& engine() {
    static frontend::Engine* e = [] {
        auto* loaded = new frontend::Engine();
        std::string why;
        std::string path = frontend::default_engine_path();
#ifdef QUADRILLO_TEST_ENGINE
        if (!std::getenv("QUADRILLO_ENGINE")) path = QUADRILLO_TEST_ENGINE;
#endif
        if (!frontend::load_engine(path, *loaded, why)) {
            std::fprintf(stderr, "engine: %s\n", why.c_str());
            std::abort();
        }
        return loaded;
    }();
    return *e;
}

// A well-known puzzle with one solution, and its solution.
constexpr const char* kPuzzle =
    "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";
constexpr const char* kSolution =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

inline game::GameRecord record_of(const char* line, int adjacency = 0) {
    frontend::PuzzleLine p;
    std::string why;
    EXPECT_TRUE(frontend::parse_puzzle_line(line, p, why)) << why;
    const game::Import im = game::import_puzzle(engine(), p, adjacency);
    EXPECT_EQ(im.verdict, game::Verdict::Unique) << im.why;
    return im.record;
}

}  // namespace testing_game
